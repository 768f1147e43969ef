#include "win32/Dispatch.h"

#include <cstdio>
#include <cstring>

namespace win32 {

namespace {

const char16_t* Text16(const wchar_t* text) {
    return reinterpret_cast<const char16_t*>(text);
}

// The system's conversion functions read their source without declaring it const.
VARIANT* Source(const VARIANT& v) {
    return const_cast<VARIANT*>(&v);
}

std::u16string FromBstr(BSTR text) {
    if (!text)
        return {};
    return std::u16string(Text16(text), SysStringLen(text));
}

BSTR AllocBstr(std::u16string_view text) {
    if (text.size() > 0x7FFFFFF0u)
        throw EOleException(SystemMessage(E_OUTOFMEMORY), E_OUTOFMEMORY);
    BSTR b = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
    if (!b)
        throw EOleException(SystemMessage(E_OUTOFMEMORY), E_OUTOFMEMORY);
    return b;
}

[[noreturn]] void ThrowTypeMismatch() {
    ThrowComError(DISP_E_TYPEMISMATCH);
}

// Frees the strings of an EXCEPINFO however the caller leaves.
struct ExcepInfoStrings {
    EXCEPINFO& info;
    ~ExcepInfoStrings() {
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
        info.bstrSource = info.bstrDescription = info.bstrHelpFile = nullptr;
    }
};

// Keeps a SAFEARRAY's data locked while in scope.
class ArrayAccess {
public:
    explicit ArrayAccess(SAFEARRAY* array) : m_array(array) { Check(SafeArrayAccessData(array, &m_data)); }
    ~ArrayAccess() { SafeArrayUnaccessData(m_array); }
    ArrayAccess(const ArrayAccess&) = delete;
    ArrayAccess& operator=(const ArrayAccess&) = delete;
    template <class T> T* data() const { return static_cast<T*>(m_data); }

private:
    SAFEARRAY* m_array;
    void* m_data = nullptr;
};

std::u16string TrimEnd(std::u16string text) {
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' '))
        text.pop_back();
    return text;
}

DISPID MemberId(IDispatch* object, std::u16string_view name) {
    if (!object)
        throw EOleException(u"The automation object is not connected (no object was returned)", E_POINTER);
    std::wstring wide(name.begin(), name.end());
    LPOLESTR names[1] = {wide.data()};
    DISPID id = DISPID_UNKNOWN;
    Check(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    return id;
}

OwnedVariant Invoke(IDispatch* object, DISPID id, WORD flags, DISPPARAMS& params) {
    OwnedVariant result;
    EXCEPINFO info{};
    ExcepInfoStrings guard{info};
    UINT argError = 0;
    const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                      flags == DISPATCH_PROPERTYPUT ? nullptr : result.get(), &info, &argError);
    if (FAILED(hr))
        ThrowComError(hr, &info);
    return result;
}

// The VARIANT a by-reference value points to, copied; other values are returned as they are.
const VARIANT& ReadThrough(const VARIANT& v, OwnedVariant& holder) {
    if (!(v.vt & VT_BYREF))
        return v;
    Check(VariantCopyInd(holder.get(), Source(v)));
    return *holder.get();
}

bool IsPlainElementType(VARTYPE vt) {
    switch (vt) {
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_I8:
    case VT_UI8:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_BSTR:
    case VT_BOOL:
    case VT_ERROR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
        return true;
    default:
        return false;
    }
}

Variant FromArray(SAFEARRAY* array, VARTYPE elementType, const ObjectWrapper& wrap) {
    Variant::Array out;
    if (!array)
        return Variant(std::move(out));
    if (SafeArrayGetDim(array) != 1)
        throw EOleException(u"Arrays of more than one dimension are not supported", DISP_E_TYPEMISMATCH);
    LONG lower = 0;
    LONG upper = -1;
    Check(SafeArrayGetLBound(array, 1, &lower));
    Check(SafeArrayGetUBound(array, 1, &upper));
    const long long count = static_cast<long long>(upper) - lower + 1;
    if (count <= 0)
        return Variant(std::move(out));
    out.reserve(static_cast<size_t>(count));
    if (elementType == VT_VARIANT) {
        ArrayAccess access(array);
        const VARIANT* items = access.data<VARIANT>();
        for (long long i = 0; i < count; ++i)
            out.push_back(FromVariant(items[i], wrap));
        return Variant(std::move(out));
    }
    if (elementType != VT_DECIMAL && !IsPlainElementType(elementType))
        ThrowTypeMismatch();
    for (long long i = 0; i < count; ++i) {
        LONG index = static_cast<LONG>(lower + i);
        OwnedVariant item;
        if (elementType == VT_DECIMAL) {
            DECIMAL d{};
            Check(SafeArrayGetElement(array, &index, &d));
            item.get()->decVal = d;
        } else {
            // The element is copied into the value part of the VARIANT (strings are duplicated,
            // objects get a reference of their own), which the holder then owns.
            Check(SafeArrayGetElement(array, &index, &item.get()->llVal));
        }
        item.get()->vt = elementType;
        out.push_back(FromVariant(*item.get(), wrap));
    }
    return Variant(std::move(out));
}

DispatchPtr ObjectFrom(const VARIANT& v) {
    switch (v.vt) {
    case VT_EMPTY:
    case VT_NULL:
        return {};
    case VT_DISPATCH:
        return DispatchPtr::Share(v.pdispVal);
    case VT_UNKNOWN: {
        if (!v.punkVal)
            return {};
        IDispatch* dispatch = nullptr;
        Check(v.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)));
        return DispatchPtr::Attach(dispatch);
    }
    default:
        ThrowTypeMismatch();
    }
}

Variant::Object WrapObject(DispatchPtr object, const ObjectWrapper& wrap) {
    if (!object)
        return {};
    if (wrap)
        return wrap(std::move(object));
    return std::make_shared<DispatchObject>(std::move(object));
}

} // namespace

std::u16string SystemMessage(HRESULT hr) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::u16string text;
    if (length > 0 && buffer)
        text.assign(Text16(buffer), length);
    if (buffer)
        LocalFree(buffer);
    text = TrimEnd(std::move(text));
    if (text.empty()) {
        char code[32];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
        text = u"Automation error " + Utf8ToUtf16(code);
    }
    return text;
}

void ThrowComError(HRESULT hr, EXCEPINFO* info) {
    if (!info || hr != DISP_E_EXCEPTION) {
        if (info) {
            ExcepInfoStrings guard{*info};
        }
        throw EOleException(SystemMessage(hr), hr);
    }
    ExcepInfoStrings guard{*info};
    if (info->pfnDeferredFillIn)
        info->pfnDeferredFillIn(info);
    HRESULT code = hr;
    if (info->scode != 0)
        code = info->scode;
    else if (info->wCode != 0)
        code = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, info->wCode);
    std::u16string message = TrimEnd(FromBstr(info->bstrDescription));
    if (message.empty())
        message = SystemMessage(code);
    throw EOleException(std::move(message), code);
}

OwnedVariant TextArg(std::u16string_view text) {
    OwnedVariant v;
    v.get()->bstrVal = AllocBstr(text);
    v.get()->vt = VT_BSTR;
    return v;
}

OwnedVariant IntArg(int32_t value) {
    OwnedVariant v;
    v.get()->vt = VT_I4;
    v.get()->lVal = value;
    return v;
}

OwnedVariant BoolArg(bool value) {
    OwnedVariant v;
    v.get()->vt = VT_BOOL;
    v.get()->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

OwnedVariant ObjectArg(const DispatchPtr& object) {
    OwnedVariant v;
    v.get()->vt = VT_DISPATCH;
    v.get()->pdispVal = object.get();
    if (object)
        object.get()->AddRef();
    return v;
}

OwnedVariant ValueArg(const Variant& value) {
    return ToVariant(value);
}

OwnedVariant InvokeRaw(IDispatch* object, std::u16string_view name, std::vector<OwnedVariant>& args) {
    const DISPID id = MemberId(object, name);
    // The arguments go right to left; the VARIANTs stay owned by args.
    std::vector<VARIANT> reversed;
    reversed.reserve(args.size());
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        reversed.push_back(*it->get());
    DISPPARAMS params{};
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    return Invoke(object, id, DISPATCH_METHOD | DISPATCH_PROPERTYGET, params);
}

void PutRaw(IDispatch* object, std::u16string_view name, std::vector<OwnedVariant>& args, OwnedVariant value) {
    const DISPID id = MemberId(object, name);
    std::vector<VARIANT> reversed;
    reversed.reserve(args.size() + 1);
    reversed.push_back(*value.get());
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        reversed.push_back(*it->get());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    params.rgvarg = reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    params.rgdispidNamedArgs = &named;
    params.cNamedArgs = 1;
    Invoke(object, id, DISPATCH_PROPERTYPUT, params);
}

OwnedVariant DefaultValue(IDispatch* object) {
    if (!object)
        throw EOleException(u"The automation object is not connected (no object was returned)", E_POINTER);
    DISPPARAMS params{};
    return Invoke(object, DISPID_VALUE, DISPATCH_PROPERTYGET, params);
}

std::u16string DefaultValueTextOf(IDispatch* object) {
    return AsText(DefaultValue(object));
}

Variant FromVariant(const VARIANT& value, const ObjectWrapper& wrap) {
    OwnedVariant holder;
    const VARIANT& v = ReadThrough(value, holder);
    if (v.vt & VT_ARRAY)
        return FromArray(v.parray, v.vt & VT_TYPEMASK, wrap);
    switch (v.vt) {
    case VT_EMPTY:
    case VT_NULL:
        return {};
    case VT_BOOL:
        return Variant(v.boolVal != VARIANT_FALSE);
    case VT_I1:
        return Variant(static_cast<double>(v.cVal));
    case VT_UI1:
        return Variant(static_cast<double>(v.bVal));
    case VT_I2:
        return Variant(static_cast<double>(v.iVal));
    case VT_UI2:
        return Variant(static_cast<double>(v.uiVal));
    case VT_I4:
        return Variant(static_cast<double>(v.lVal));
    case VT_UI4:
        return Variant(static_cast<double>(v.ulVal));
    case VT_INT:
        return Variant(static_cast<double>(v.intVal));
    case VT_UINT:
        return Variant(static_cast<double>(v.uintVal));
    case VT_I8:
        return Variant(static_cast<double>(v.llVal));
    case VT_UI8:
        return Variant(static_cast<double>(v.ullVal));
    case VT_R4:
        return Variant(static_cast<double>(v.fltVal));
    case VT_R8:
        return Variant(v.dblVal);
    case VT_CY:
        return Variant(static_cast<double>(v.cyVal.int64) / 10000.0);
    case VT_DECIMAL: {
        double d = 0;
        DECIMAL copy = v.decVal;
        Check(VarR8FromDec(&copy, &d));
        return Variant(d);
    }
    case VT_DATE:
        return Variant(OleDate{v.date});
    case VT_BSTR:
        return Variant(FromBstr(v.bstrVal));
    case VT_DISPATCH:
        return Variant(WrapObject(DispatchPtr::Share(v.pdispVal), wrap));
    case VT_UNKNOWN:
        return Variant(WrapObject(ObjectFrom(v), wrap));
    case VT_ERROR:
        // An omitted optional value; any other error code is a failure the server reports.
        if (v.scode == DISP_E_PARAMNOTFOUND)
            return {};
        ThrowComError(v.scode);
    default:
        ThrowTypeMismatch();
    }
}

OwnedVariant ToVariant(const Variant& value) {
    OwnedVariant v;
    switch (value.kind()) {
    case Variant::Kind::Empty:
        break;
    case Variant::Kind::Boolean:
        return BoolArg(value.asBoolean());
    case Variant::Kind::Number:
        v.get()->vt = VT_R8;
        v.get()->dblVal = value.asNumber();
        break;
    case Variant::Kind::DateTime:
        v.get()->vt = VT_DATE;
        v.get()->date = value.asDateTime().value;
        break;
    case Variant::Kind::Text:
        return TextArg(value.asText());
    case Variant::Kind::Array: {
        const auto& items = value.asArray();
        if (items.size() > 0x7FFFFFFFu)
            throw EOleException(SystemMessage(E_OUTOFMEMORY), E_OUTOFMEMORY);
        SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(items.size()));
        if (!array)
            throw EOleException(SystemMessage(E_OUTOFMEMORY), E_OUTOFMEMORY);
        // Owned by v from here on, so a failing element frees the whole array.
        v.get()->vt = VT_ARRAY | VT_VARIANT;
        v.get()->parray = array;
        if (!items.empty()) {
            ArrayAccess access(array);
            VARIANT* slots = access.data<VARIANT>();
            for (size_t i = 0; i < items.size(); ++i)
                slots[i] = ToVariant(items[i]).release();
        }
        break;
    }
    case Variant::Kind::Object:
        return ObjectArg(DispatchOf(value.asObject()));
    }
    return v;
}

std::u16string AsText(const OwnedVariant& value) {
    OwnedVariant holder;
    const VARIANT& v = ReadThrough(*value.get(), holder);
    if (v.vt == VT_BSTR)
        return FromBstr(v.bstrVal);
    if (v.vt == VT_EMPTY || v.vt == VT_NULL)
        return {};
    OwnedVariant text;
    Check(VariantChangeType(text.get(), Source(v), VARIANT_ALPHABOOL, VT_BSTR));
    return FromBstr(text.get()->bstrVal);
}

int32_t AsInt(const OwnedVariant& value) {
    OwnedVariant number;
    Check(VariantChangeType(number.get(), Source(*value.get()), 0, VT_I4));
    return number.get()->lVal;
}

bool AsBool(const OwnedVariant& value) {
    OwnedVariant flag;
    Check(VariantChangeType(flag.get(), Source(*value.get()), 0, VT_BOOL));
    return flag.get()->boolVal != VARIANT_FALSE;
}

DispatchPtr AsObject(const OwnedVariant& value) {
    OwnedVariant holder;
    return ObjectFrom(ReadThrough(*value.get(), holder));
}

DispatchPtr DispatchOf(const Variant::Object& object) {
    if (!object)
        return {};
    if (auto holder = dynamic_cast<const DispatchHolder*>(object.get()))
        return holder->dispatchPtr();
    throw EOleException(u"The object does not belong to this automation server", DISP_E_TYPEMISMATCH);
}

} // namespace win32
