#include "TestServer.h"

namespace testserver {

namespace {

bool SameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; };
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

win32::OwnedVariant Copy(const VARIANT& v) {
    win32::OwnedVariant out;
    VariantCopy(out.get(), const_cast<VARIANT*>(&v));
    return out;
}

} // namespace

HRESULT FakeCall::ReturnValue(win32::OwnedVariant value) {
    if (result)
        *result = value.release();
    return S_OK;
}

HRESULT FakeCall::ReturnText(std::u16string_view text) {
    return ReturnValue(win32::TextArg(text));
}

HRESULT FakeCall::ReturnInt(int32_t value) {
    return ReturnValue(win32::IntArg(value));
}

HRESULT FakeCall::ReturnShort(int16_t value) {
    win32::OwnedVariant v;
    v.get()->vt = VT_I2;
    v.get()->iVal = value;
    return ReturnValue(std::move(v));
}

HRESULT FakeCall::ReturnBool(bool value) {
    return ReturnValue(win32::BoolArg(value));
}

HRESULT FakeCall::ReturnObject(IDispatch* object) {
    return ReturnValue(win32::ObjectArg(win32::DispatchPtr::Share(object)));
}

HRESULT FakeCall::Raise(std::u16string_view description, HRESULT scode, WORD wCode) {
    if (!info)
        return scode ? scode : E_FAIL;
    *info = EXCEPINFO{};
    info->bstrSource = SysAllocString(L"Test server");
    info->bstrDescription =
        SysAllocStringLen(reinterpret_cast<const OLECHAR*>(description.data()), static_cast<UINT>(description.size()));
    info->scode = scode;
    info->wCode = wCode;
    return DISP_E_EXCEPTION;
}

std::u16string FakeCall::TextArg(size_t i) const {
    return win32::AsText(args.at(i));
}

int32_t FakeCall::IntArg(size_t i) const {
    return win32::AsInt(args.at(i));
}

win32::DispatchPtr FakeDispatch::Create(FakeDispatch** raw) {
    auto* object = new FakeDispatch;
    if (raw)
        *raw = object;
    return win32::DispatchPtr::Attach(object);
}

void FakeDispatch::Define(const std::u16string& name, Member member) {
    for (auto& entry : m_members) {
        if (SameName(entry.name, name)) {
            entry.member = std::move(member);
            return;
        }
    }
    m_members.push_back({name, std::move(member)});
}

void FakeDispatch::DefineDefault(Member member) {
    m_default = std::move(member);
}

void FakeDispatch::DefineText(const std::u16string& name, std::u16string text) {
    Define(name, [text](FakeCall& call) { return call.ReturnText(text); });
}

void FakeDispatch::DefineObject(const std::u16string& name, IDispatch* object) {
    Define(name, [object](FakeCall& call) { return call.ReturnObject(object); });
}

HRESULT FakeDispatch::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG FakeDispatch::AddRef() {
    return ++m_refs;
}

ULONG FakeDispatch::Release() {
    const ULONG left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

HRESULT FakeDispatch::GetTypeInfoCount(UINT* count) {
    *count = 0;
    return S_OK;
}

HRESULT FakeDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    *info = nullptr;
    return E_NOTIMPL;
}

HRESULT FakeDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (count != 1)
        return DISP_E_UNKNOWNNAME;
    const std::u16string name(reinterpret_cast<const char16_t*>(names[0]));
    for (size_t i = 0; i < m_members.size(); ++i) {
        if (SameName(m_members[i].name, name)) {
            ids[0] = static_cast<DISPID>(i + 1);
            return S_OK;
        }
    }
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

HRESULT FakeDispatch::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                             UINT*) {
    const Member* member = nullptr;
    FakeCall call;
    if (id == DISPID_VALUE) {
        member = &m_default;
        call.member = u"<default>";
    } else if (id >= 1 && static_cast<size_t>(id) <= m_members.size()) {
        member = &m_members[id - 1].member;
        call.member = m_members[id - 1].name;
    }
    if (!member || !*member)
        return DISP_E_MEMBERNOTFOUND;
    call.flags = flags;
    call.result = result;
    call.info = info;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT || params->cArgs < 1)
            return DISP_E_PARAMNOTFOUND;
        call.value = Copy(params->rgvarg[0]);
        log.push_back(u"put:" + call.member);
        lastPut[call.member] = win32::FromVariant(*call.value.get());
        for (UINT i = params->cArgs; i-- > 1;)
            call.args.push_back(Copy(params->rgvarg[i]));
    } else {
        if (params->cNamedArgs != 0)
            return DISP_E_NONAMEDARGS;
        log.push_back(call.member);
        for (UINT i = params->cArgs; i-- > 0;)
            call.args.push_back(Copy(params->rgvarg[i]));
    }
    auto& values = lastArgs[call.member];
    auto& types = lastTypes[call.member];
    auto& objects = lastObjects[call.member];
    values.clear();
    types.clear();
    objects.clear();
    for (const auto& arg : call.args) {
        types.push_back(arg.vt());
        objects.push_back(arg.vt() == VT_DISPATCH ? arg.get()->pdispVal : nullptr);
        values.push_back(arg.vt() == VT_DISPATCH ? Variant() : win32::FromVariant(*arg.get()));
    }
    return (*member)(call);
}

HRESULT FakeClassFactory::QueryInterface(REFIID iid, void** out) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
        *out = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (outer)
        return CLASS_E_NOAGGREGATION;
    return m_object->QueryInterface(iid, out);
}

win32::OwnedVariant VariantArray(LONG lower, std::vector<win32::OwnedVariant> values) {
    SAFEARRAYBOUND bound{static_cast<ULONG>(values.size()), lower};
    win32::OwnedVariant v;
    v.get()->parray = SafeArrayCreate(VT_VARIANT, 1, &bound);
    v.get()->vt = VT_ARRAY | VT_VARIANT;
    for (size_t i = 0; i < values.size(); ++i) {
        LONG index = lower + static_cast<LONG>(i);
        SafeArrayPutElement(v.get()->parray, &index, values[i].get());
    }
    return v;
}

} // namespace testserver
