// The late-binding layer: VARIANT conversions both ways, calls by name against the system's own
// Scripting.Dictionary, and how failures become EOleException.
#include "TestServer.h"

#include "win32/Win32ComClassFactory.h"

#include "support/OleError.h"

#include <gtest/gtest.h>

#include <objbase.h>

using namespace win32;
using testserver::FakeCall;
using testserver::FakeDispatch;
using testserver::VariantArray;

namespace {

class ComTest : public ::testing::Test {
protected:
    ComApartment apartment;
};

OwnedVariant Make(VARTYPE vt, const std::function<void(VARIANT&)>& fill) {
    OwnedVariant v;
    fill(*v.get());
    v.get()->vt = vt;
    return v;
}

DispatchPtr CreateDictionary() {
    CLSID id{};
    Check(CLSIDFromProgID(L"Scripting.Dictionary", &id));
    IDispatch* raw = nullptr;
    Check(CoCreateInstance(id, nullptr, CLSCTX_ALL, IID_IDispatch, reinterpret_cast<void**>(&raw)));
    return DispatchPtr::Attach(raw);
}

// An object of another back end, which cannot be handed to a COM server.
class ForeignObject : public IDispatchObject {};

} // namespace

// ---- VARIANT to Variant ----

using VariantToValue = ComTest;

TEST_F(VariantToValue, EveryIntegerAndFloatingKindGivesANumber) {
    EXPECT_EQ(FromVariant(*Make(VT_I1, [](VARIANT& v) { v.cVal = -5; }).get()), Variant(-5));
    EXPECT_EQ(FromVariant(*Make(VT_UI1, [](VARIANT& v) { v.bVal = 250; }).get()), Variant(250));
    EXPECT_EQ(FromVariant(*Make(VT_I2, [](VARIANT& v) { v.iVal = -32000; }).get()), Variant(-32000));
    EXPECT_EQ(FromVariant(*Make(VT_UI2, [](VARIANT& v) { v.uiVal = 65000; }).get()), Variant(65000));
    EXPECT_EQ(FromVariant(*Make(VT_I4, [](VARIANT& v) { v.lVal = -2000000000; }).get()), Variant(-2000000000));
    EXPECT_EQ(FromVariant(*Make(VT_UI4, [](VARIANT& v) { v.ulVal = 4000000000u; }).get()), Variant(4000000000.0));
    EXPECT_EQ(FromVariant(*Make(VT_INT, [](VARIANT& v) { v.intVal = 7; }).get()), Variant(7));
    EXPECT_EQ(FromVariant(*Make(VT_UINT, [](VARIANT& v) { v.uintVal = 8; }).get()), Variant(8));
    EXPECT_EQ(FromVariant(*Make(VT_I8, [](VARIANT& v) { v.llVal = -(1LL << 40); }).get()), Variant(-1099511627776.0));
    EXPECT_EQ(FromVariant(*Make(VT_UI8, [](VARIANT& v) { v.ullVal = 1ULL << 50; }).get()), Variant(1125899906842624.0));
    EXPECT_EQ(FromVariant(*Make(VT_R4, [](VARIANT& v) { v.fltVal = 1.5f; }).get()), Variant(1.5));
    EXPECT_EQ(FromVariant(*Make(VT_R8, [](VARIANT& v) { v.dblVal = -0.125; }).get()), Variant(-0.125));
    EXPECT_EQ(FromVariant(*Make(VT_CY, [](VARIANT& v) { v.cyVal.int64 = 123456; }).get()), Variant(12.3456));
}

TEST_F(VariantToValue, DecimalGivesANumber) {
    OwnedVariant v;
    ASSERT_EQ(VarDecFromR8(-2.75, &v.get()->decVal), S_OK);
    v.get()->vt = VT_DECIMAL;
    EXPECT_EQ(FromVariant(*v.get()), Variant(-2.75));
}

TEST_F(VariantToValue, EmptyNullBooleanDateAndText) {
    EXPECT_TRUE(FromVariant(*Make(VT_EMPTY, [](VARIANT&) {}).get()).isEmpty());
    EXPECT_TRUE(FromVariant(*Make(VT_NULL, [](VARIANT&) {}).get()).isEmpty());
    EXPECT_EQ(FromVariant(*Make(VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_TRUE; }).get()), Variant(true));
    EXPECT_EQ(FromVariant(*Make(VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_FALSE; }).get()), Variant(false));
    EXPECT_EQ(FromVariant(*Make(VT_DATE, [](VARIANT& v) { v.date = 45000.25; }).get()), Variant(OleDate{45000.25}));
    const std::u16string text = u"Gr\u00fc\u00dfe \U0001F600";
    const std::u16string withNul(u"a\0b", 3);
    EXPECT_EQ(FromVariant(*TextArg(text).get()), Variant(text));
    EXPECT_EQ(FromVariant(*TextArg(withNul).get()), Variant(withNul));
    EXPECT_EQ(FromVariant(*Make(VT_BSTR, [](VARIANT& v) { v.bstrVal = nullptr; }).get()), Variant(u""));
}

TEST_F(VariantToValue, ByReferenceValuesAreReadThrough) {
    LONG number = 42;
    OwnedVariant byRef = Make(VT_I4 | VT_BYREF, [&](VARIANT& v) { v.plVal = &number; });
    EXPECT_EQ(FromVariant(*byRef.get()), Variant(42));

    OwnedVariant inner = TextArg(u"inside");
    OwnedVariant variantRef = Make(VT_VARIANT | VT_BYREF, [&](VARIANT& v) { v.pvarVal = inner.get(); });
    EXPECT_EQ(FromVariant(*variantRef.get()), Variant(u"inside"));
    // The referenced values still belong to their owners.
    byRef.release();
    variantRef.release();
    EXPECT_EQ(FromVariant(*inner.get()), Variant(u"inside"));
}

TEST_F(VariantToValue, ArraysOfVariantAnyLowerBoundAndNested) {
    std::vector<OwnedVariant> nested;
    nested.push_back(IntArg(1));
    nested.push_back(TextArg(u"x"));
    std::vector<OwnedVariant> values;
    values.push_back(TextArg(u"first"));
    values.push_back(IntArg(2));
    values.push_back(OwnedVariant());
    values.push_back(VariantArray(0, std::move(nested)));
    const OwnedVariant array = VariantArray(3, std::move(values));
    const Variant expected(Variant::Array{u"first", 2, Variant(), Variant(Variant::Array{1, u"x"})});
    EXPECT_EQ(FromVariant(*array.get()), expected);

    EXPECT_EQ(FromVariant(*VariantArray(-7, {}).get()), Variant(Variant::Array{}));
    EXPECT_EQ(FromVariant(*Make(VT_ARRAY | VT_VARIANT, [](VARIANT& v) { v.parray = nullptr; }).get()),
              Variant(Variant::Array{}));
}

TEST_F(VariantToValue, ArraysOfPlainTypes) {
    SAFEARRAYBOUND bound{3, -2};
    OwnedVariant texts;
    texts.get()->parray = SafeArrayCreate(VT_BSTR, 1, &bound);
    texts.get()->vt = VT_ARRAY | VT_BSTR;
    const wchar_t* words[] = {L"a", L"bb", L"ccc"};
    for (LONG i = 0; i < 3; ++i) {
        LONG index = i - 2;
        BSTR word = SysAllocString(words[i]);
        ASSERT_EQ(SafeArrayPutElement(texts.get()->parray, &index, word), S_OK); // copies
        SysFreeString(word);
    }
    EXPECT_EQ(FromVariant(*texts.get()), Variant(Variant::Array{u"a", u"bb", u"ccc"}));

    OwnedVariant numbers;
    numbers.get()->parray = SafeArrayCreate(VT_I4, 1, &bound);
    numbers.get()->vt = VT_ARRAY | VT_I4;
    for (LONG i = 0; i < 3; ++i) {
        LONG index = i - 2;
        LONG value = (i + 1) * 10;
        ASSERT_EQ(SafeArrayPutElement(numbers.get()->parray, &index, &value), S_OK);
    }
    EXPECT_EQ(FromVariant(*numbers.get()), Variant(Variant::Array{10, 20, 30}));
}

TEST_F(VariantToValue, ObjectsAndNothing) {
    const Variant nothing = FromVariant(*Make(VT_DISPATCH, [](VARIANT& v) { v.pdispVal = nullptr; }).get());
    ASSERT_EQ(nothing.kind(), Variant::Kind::Object);
    EXPECT_EQ(nothing.asObject(), nullptr);

    FakeDispatch* fake = nullptr;
    auto server = FakeDispatch::Create(&fake);
    fake->DefineDefault([](FakeCall& call) { return call.ReturnText(u"My view"); });
    {
        const Variant object = FromVariant(*ObjectArg(server).get());
        ASSERT_EQ(object.kind(), Variant::Kind::Object);
        ASSERT_NE(object.asObject(), nullptr);
        EXPECT_EQ(object.asObject()->DefaultValueText(), u"My view");
        EXPECT_EQ(DispatchOf(object.asObject()).get(), server.get());
        EXPECT_EQ(fake->references(), 2u);
    }
    EXPECT_EQ(fake->references(), 1u);
}

TEST_F(VariantToValue, UnsupportedKindsAndErrorValuesRaise) {
    EXPECT_EQ(OleErrorCode([] { FromVariant(*Make(VT_CLSID, [](VARIANT&) {}).get()); }), DISP_E_TYPEMISMATCH);
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    OwnedVariant matrix;
    matrix.get()->parray = SafeArrayCreate(VT_VARIANT, 2, bounds);
    matrix.get()->vt = VT_ARRAY | VT_VARIANT;
    EXPECT_EQ(OleErrorCode([&] { FromVariant(*matrix.get()); }), DISP_E_TYPEMISMATCH);

    EXPECT_TRUE(FromVariant(*Make(VT_ERROR, [](VARIANT& v) { v.scode = DISP_E_PARAMNOTFOUND; }).get()).isEmpty());
    EXPECT_EQ(OleErrorCode([] { FromVariant(*Make(VT_ERROR, [](VARIANT& v) { v.scode = E_ACCESSDENIED; }).get()); }),
              E_ACCESSDENIED);
}

// ---- Variant to VARIANT ----

using ValueToVariant = ComTest;

TEST_F(ValueToVariant, ScalarsAndTextRoundTrip) {
    for (const Variant& value : {Variant(), Variant(true), Variant(false), Variant(3.25), Variant(OleDate{1.5}),
                                 Variant(u"text \u00e9\U0001F600"), Variant(u"")}) {
        const OwnedVariant v = ToVariant(value);
        EXPECT_EQ(FromVariant(*v.get()), value);
    }
    EXPECT_EQ(ToVariant(Variant(true)).vt(), VT_BOOL);
    EXPECT_EQ(ToVariant(Variant(2)).vt(), VT_R8);
    EXPECT_EQ(ToVariant(Variant(OleDate{2})).vt(), VT_DATE);
    EXPECT_EQ(ToVariant(Variant(u"t")).vt(), VT_BSTR);
    EXPECT_EQ(ToVariant(Variant()).vt(), VT_EMPTY);
}

TEST_F(ValueToVariant, ArraysBecomeSafeArraysOfVariantFromZero) {
    const Variant value(Variant::Array{u"a", 1, Variant(Variant::Array{true}), Variant()});
    const OwnedVariant v = ToVariant(value);
    ASSERT_EQ(v.vt(), VT_ARRAY | VT_VARIANT);
    LONG lower = -1, upper = -1;
    ASSERT_EQ(SafeArrayGetLBound(v.get()->parray, 1, &lower), S_OK);
    ASSERT_EQ(SafeArrayGetUBound(v.get()->parray, 1, &upper), S_OK);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, 3);
    EXPECT_EQ(FromVariant(*v.get()), value);
    EXPECT_EQ(FromVariant(*ToVariant(Variant(Variant::Array{})).get()), Variant(Variant::Array{}));
}

TEST_F(ValueToVariant, ObjectsPassTheirDispatchAndForeignObjectsAreRefused) {
    auto server = FakeDispatch::Create();
    auto ours = std::make_shared<DispatchObject>(server);
    const OwnedVariant v = ToVariant(Variant(Variant::Object(ours)));
    ASSERT_EQ(v.vt(), VT_DISPATCH);
    EXPECT_EQ(v.get()->pdispVal, server.get());

    const OwnedVariant nothing = ToVariant(Variant(Variant::Object()));
    EXPECT_EQ(nothing.vt(), VT_DISPATCH);
    EXPECT_EQ(nothing.get()->pdispVal, nullptr);

    EXPECT_EQ(OleErrorCode([] { ToVariant(Variant(Variant::Object(std::make_shared<ForeignObject>()))); }),
              DISP_E_TYPEMISMATCH);
    // A foreign object inside an array fails as well, and frees what was built.
    EXPECT_EQ(OleErrorCode([&] {
                  ToVariant(Variant(Variant::Array{Variant(Variant::Object(ours)),
                                                   Variant(Variant::Object(std::make_shared<ForeignObject>()))}));
              }),
              DISP_E_TYPEMISMATCH);
}

TEST_F(ValueToVariant, ResultCoercions) {
    EXPECT_EQ(AsText(IntArg(12)), u"12");
    EXPECT_EQ(AsText(OwnedVariant()), u"");
    EXPECT_EQ(AsInt(TextArg(u"34")), 34);
    EXPECT_EQ(AsInt(Make(VT_I2, [](VARIANT& v) { v.iVal = 5; })), 5);
    EXPECT_TRUE(AsBool(IntArg(1)));
    EXPECT_FALSE(AsBool(BoolArg(false)));
    EXPECT_EQ(OleErrorCode([] { AsInt(TextArg(u"not a number")); }), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(OleErrorCode([] { AsObject(TextArg(u"not an object")); }), DISP_E_TYPEMISMATCH);
    EXPECT_FALSE(AsObject(OwnedVariant()));
}

// ---- Calls by name against Scripting.Dictionary ----

class Dictionary : public ComTest {
protected:
    DispatchPtr dict = CreateDictionary();
};

TEST_F(Dictionary, AddCountItemAndKeys) {
    Call(dict.get(), u"Add", u"one", Variant(1));
    Call(dict.get(), u"Add", u"text", Variant(u"value \u00e9"));
    Call(dict.get(), u"Add", u"date", Variant(OleDate{40000.5}));
    Call(dict.get(), u"Add", u"flag", true);
    Call(dict.get(), u"Add", u"list", Variant(Variant::Array{u"a", 2}));
    EXPECT_EQ(AsInt(Call(dict.get(), u"Count")), 5);
    EXPECT_EQ(FromVariant(*Call(dict.get(), u"Item", u"one").get()), Variant(1));
    EXPECT_EQ(FromVariant(*Call(dict.get(), u"Item", u"text").get()), Variant(u"value \u00e9"));
    EXPECT_EQ(FromVariant(*Call(dict.get(), u"Item", u"date").get()), Variant(OleDate{40000.5}));
    EXPECT_EQ(FromVariant(*Call(dict.get(), u"Item", u"flag").get()), Variant(true));
    EXPECT_EQ(FromVariant(*Call(dict.get(), u"Item", u"list").get()), Variant(Variant::Array{u"a", 2}));
    EXPECT_TRUE(AsBool(Call(dict.get(), u"Exists", u"one")));
    EXPECT_FALSE(AsBool(Call(dict.get(), u"Exists", u"two")));

    const OwnedVariant keys = Call(dict.get(), u"Keys");
    EXPECT_TRUE(keys.vt() & VT_ARRAY);
    EXPECT_EQ(FromVariant(*keys.get()), Variant(Variant::Array{u"one", u"text", u"date", u"flag", u"list"}));
}

TEST_F(Dictionary, PropertyPutWithIndex) {
    Call(dict.get(), u"Add", u"k", Variant(1));
    Put(dict.get(), u"Item", u"changed", u"k");
    EXPECT_EQ(FromVariant(*Call(dict.get(), u"Item", u"k").get()), Variant(u"changed"));
    // Putting a new key adds it.
    Put(dict.get(), u"Item", int32_t{9}, u"new");
    EXPECT_EQ(AsInt(Call(dict.get(), u"Count")), 2);
    EXPECT_EQ(AsInt(Call(dict.get(), u"Item", u"new")), 9);
}

TEST_F(Dictionary, ObjectsGoInAndComeBackAsTheSameDispatch) {
    FakeDispatch* fake = nullptr;
    auto server = FakeDispatch::Create(&fake);
    fake->DefineDefault([](FakeCall& call) { return call.ReturnText(u"stored"); });
    Call(dict.get(), u"Add", u"obj", server);
    {
        const Variant back = FromVariant(*Call(dict.get(), u"Item", u"obj").get());
        ASSERT_EQ(back.kind(), Variant::Kind::Object);
        EXPECT_EQ(DispatchOf(back.asObject()).get(), server.get());
        EXPECT_EQ(back.asObject()->DefaultValueText(), u"stored");
    }
    Call(dict.get(), u"RemoveAll");
    EXPECT_EQ(fake->references(), 1u);
}

TEST_F(Dictionary, FailuresBecomeOleExceptions) {
    std::u16string message;
    EXPECT_EQ(OleErrorCode([&] { Call(dict.get(), u"NoSuchMember"); }, &message), DISP_E_UNKNOWNNAME);
    EXPECT_FALSE(message.empty());

    Call(dict.get(), u"Add", u"k", Variant(1));
    message.clear();
    const int32_t duplicate = OleErrorCode([&] { Call(dict.get(), u"Add", u"k", Variant(2)); }, &message);
    EXPECT_LT(duplicate, 0) << "adding a key twice must fail";
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(AsInt(Call(dict.get(), u"Item", u"k")), 1);

    EXPECT_EQ(OleErrorCode([] { Call(nullptr, u"Count"); }), E_POINTER);
}

// ---- Errors raised by a server ----

class ServerErrors : public ComTest {
protected:
    FakeDispatch* fake = nullptr;
    DispatchPtr server = FakeDispatch::Create(&fake);
};

TEST_F(ServerErrors, ExceptionInfoGivesDescriptionAndCode) {
    fake->Define(u"Fail", [](FakeCall& call) { return call.Raise(u"File does not exist\r\n", 0x80040FA3); });
    std::u16string message;
    EXPECT_EQ(OleErrorCode([&] { Call(server.get(), u"Fail"); }, &message), static_cast<int32_t>(0x80040FA3));
    EXPECT_EQ(message, u"File does not exist");
}

TEST_F(ServerErrors, WCodeOnlyMapsIntoTheInterfaceRange) {
    fake->Define(u"Fail", [](FakeCall& call) { return call.Raise(u"Old style", 0, 4005); });
    std::u16string message;
    EXPECT_EQ(OleErrorCode([&] { Call(server.get(), u"Fail"); }, &message), static_cast<int32_t>(0x80040000 + 4005));
    EXPECT_EQ(message, u"Old style");
}

TEST_F(ServerErrors, DeferredFillInIsCalled) {
    fake->Define(u"Fail", [](FakeCall& call) {
        *call.info = EXCEPINFO{};
        call.info->pfnDeferredFillIn = [](EXCEPINFO* info) -> HRESULT {
            info->bstrDescription = SysAllocString(L"Filled in later");
            info->scode = E_ACCESSDENIED;
            return S_OK;
        };
        return DISP_E_EXCEPTION;
    });
    std::u16string message;
    EXPECT_EQ(OleErrorCode([&] { Call(server.get(), u"Fail"); }, &message), E_ACCESSDENIED);
    EXPECT_EQ(message, u"Filled in later");
}

TEST_F(ServerErrors, NoDescriptionGivesTheSystemText) {
    fake->Define(u"Fail", [](FakeCall& call) { return call.Raise(u"", E_INVALIDARG); });
    fake->Define(u"Plain", [](FakeCall&) { return E_OUTOFMEMORY; });
    std::u16string message;
    EXPECT_EQ(OleErrorCode([&] { Call(server.get(), u"Fail"); }, &message), E_INVALIDARG);
    EXPECT_EQ(message, SystemMessage(E_INVALIDARG));
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(OleErrorCode([&] { Call(server.get(), u"Plain"); }, &message), E_OUTOFMEMORY);
    EXPECT_EQ(message, SystemMessage(E_OUTOFMEMORY));
    EXPECT_EQ(SystemMessage(static_cast<HRESULT>(0xA0BC0DEF)), u"Automation error 0xA0BC0DEF");
}

TEST_F(ServerErrors, DefaultValueMissingRaises) {
    auto object = std::make_shared<DispatchObject>(server);
    EXPECT_EQ(OleErrorCode([&] { object->DefaultValueText(); }), DISP_E_MEMBERNOTFOUND);
}

TEST_F(ServerErrors, ArgumentsArePassedInOrderAndReleased) {
    auto other = FakeDispatch::Create();
    fake->Define(u"Take", [](FakeCall& call) { return call.ReturnInt(static_cast<int32_t>(call.args.size())); });
    EXPECT_EQ(AsInt(Call(server.get(), u"Take", u"a", int32_t{2}, true, other, Variant(1.5))), 5);
    const auto& args = fake->lastArgs[u"Take"];
    EXPECT_EQ(args[0], Variant(u"a"));
    EXPECT_EQ(args[1], Variant(2));
    EXPECT_EQ(args[2], Variant(true));
    EXPECT_EQ(fake->lastObjects[u"Take"][3], other.get());
    EXPECT_EQ(args[4], Variant(1.5));
    EXPECT_EQ(fake->lastTypes[u"Take"], (std::vector<VARTYPE>{VT_BSTR, VT_I4, VT_BOOL, VT_DISPATCH, VT_R8}));
    EXPECT_EQ(other.get()->AddRef(), 2u); // ours, plus the one just taken
    other.get()->Release();
}
