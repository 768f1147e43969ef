// Late binding on Windows: calling automation members by name through IDispatch, and converting
// between the system's VARIANT and the program's Variant. Every failure raises EOleException
// with the server's description (or the system's text for the code) and the HRESULT.
//
// Every owned resource (interface reference, BSTR, SAFEARRAY, VARIANT) lives in a holder that
// frees it, so no path through these calls leaks one.
#pragma once

#include "interfaces/ComObject.h"

#include <windows.h>

#include <oaidl.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "BSTR text is UTF-16");

// One counted reference to an IDispatch; empty stands for Nothing.
class DispatchPtr {
public:
    DispatchPtr() = default;
    // Takes over a reference the caller owns.
    static DispatchPtr Attach(IDispatch* p) noexcept {
        DispatchPtr d;
        d.m_p = p;
        return d;
    }
    // Adds a reference of its own.
    static DispatchPtr Share(IDispatch* p) noexcept {
        if (p)
            p->AddRef();
        return Attach(p);
    }
    DispatchPtr(const DispatchPtr& other) noexcept : m_p(other.m_p) {
        if (m_p)
            m_p->AddRef();
    }
    DispatchPtr(DispatchPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    DispatchPtr& operator=(DispatchPtr other) noexcept {
        std::swap(m_p, other.m_p);
        return *this;
    }
    ~DispatchPtr() { reset(); }

    void reset() noexcept {
        if (auto p = std::exchange(m_p, nullptr))
            p->Release();
    }
    IDispatch* get() const noexcept { return m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }

private:
    IDispatch* m_p = nullptr;
};

// A VARIANT that is cleared when it goes out of scope.
class OwnedVariant {
public:
    OwnedVariant() noexcept { VariantInit(&m_v); }
    OwnedVariant(const OwnedVariant&) = delete;
    OwnedVariant& operator=(const OwnedVariant&) = delete;
    OwnedVariant(OwnedVariant&& other) noexcept : m_v(other.m_v) { VariantInit(&other.m_v); }
    OwnedVariant& operator=(OwnedVariant&& other) noexcept {
        if (this != &other) {
            clear();
            m_v = other.m_v;
            VariantInit(&other.m_v);
        }
        return *this;
    }
    ~OwnedVariant() { clear(); }

    void clear() noexcept {
        VariantClear(&m_v);
        VariantInit(&m_v);
    }
    VARIANT* get() noexcept { return &m_v; }
    const VARIANT* get() const noexcept { return &m_v; }
    VARTYPE vt() const noexcept { return m_v.vt; }
    // Hands the content over to the caller, leaving this one empty.
    VARIANT release() noexcept {
        VARIANT v = m_v;
        VariantInit(&m_v);
        return v;
    }

private:
    VARIANT m_v;
};

// Arguments of a call, made from the program's types.
OwnedVariant TextArg(std::u16string_view text);
OwnedVariant IntArg(int32_t value);
OwnedVariant BoolArg(bool value);
OwnedVariant ObjectArg(const DispatchPtr& object);
OwnedVariant ValueArg(const Variant& value);

// Raises the EOleException for a failed call: the description of info when it has one (info's
// strings are freed), else the system's text for hr. A call that failed with an exception
// carries the exception's own code.
[[noreturn]] void ThrowComError(HRESULT hr, EXCEPINFO* info = nullptr);
// The system's text for hr, without the trailing line break; a generic text when it has none.
std::u16string SystemMessage(HRESULT hr);
// Raises ThrowComError(hr) when hr is a failure.
inline void Check(HRESULT hr) {
    if (FAILED(hr))
        ThrowComError(hr);
}

// Calls member name of object with args in their natural order, as a method or property get.
OwnedVariant InvokeRaw(IDispatch* object, std::u16string_view name, std::vector<OwnedVariant>& args);
// Assigns value to property name of object; args are the property's indexes, if any.
void PutRaw(IDispatch* object, std::u16string_view name, std::vector<OwnedVariant>& args, OwnedVariant value);
// The default value of object (DISPID_VALUE, as a property get).
OwnedVariant DefaultValue(IDispatch* object);

// Wraps an object found inside a converted value; the default gives a plain DispatchObject.
using ObjectWrapper = std::function<Variant::Object(DispatchPtr)>;

// VARIANT to Variant: empty and null give Empty; booleans; every integer, floating, currency
// and decimal kind gives a number; dates; text; one-dimensional SAFEARRAYs (of VARIANT or of a
// plain type, any lower bound) give arrays; objects give objects (Nothing gives an empty object
// pointer). By-reference values are read through. Other kinds raise a type mismatch.
Variant FromVariant(const VARIANT& v, const ObjectWrapper& wrap = {});
// Variant to VARIANT: numbers as doubles, arrays as SAFEARRAYs of VARIANT counting from 0.
// An object must be one of ours (see DispatchHolder); an empty object pointer gives Nothing.
OwnedVariant ToVariant(const Variant& value);

// Result conversions for members with a known type. Text and numbers are coerced as automation
// does; a value that cannot be coerced raises the system's error.
std::u16string AsText(const OwnedVariant& v);
int32_t AsInt(const OwnedVariant& v);
bool AsBool(const OwnedVariant& v);
// An object result: Nothing (and an empty result) give an empty pointer; a non-object raises a
// type mismatch.
DispatchPtr AsObject(const OwnedVariant& v);

// Calls with arguments of the program's types.
inline OwnedVariant MakeArg(int32_t v) {
    return IntArg(v);
}
inline OwnedVariant MakeArg(bool v) {
    return BoolArg(v);
}
inline OwnedVariant MakeArg(const char16_t* v) {
    return TextArg(v);
}
inline OwnedVariant MakeArg(const std::u16string& v) {
    return TextArg(v);
}
inline OwnedVariant MakeArg(const DispatchPtr& v) {
    return ObjectArg(v);
}
inline OwnedVariant MakeArg(const Variant& v) {
    return ValueArg(v);
}
inline OwnedVariant MakeArg(OwnedVariant&& v) {
    return std::move(v);
}

template <class... A> OwnedVariant Call(IDispatch* object, std::u16string_view name, A&&... args) {
    std::vector<OwnedVariant> list;
    list.reserve(sizeof...(A));
    (list.push_back(MakeArg(std::forward<A>(args))), ...);
    return InvokeRaw(object, name, list);
}

template <class V, class... A> void Put(IDispatch* object, std::u16string_view name, V&& value, A&&... indexes) {
    std::vector<OwnedVariant> list;
    list.reserve(sizeof...(A));
    (list.push_back(MakeArg(std::forward<A>(indexes))), ...);
    PutRaw(object, name, list, MakeArg(std::forward<V>(value)));
}

// The part every object of ours has: its IDispatch. Passing an object to a call passes this.
class DispatchHolder {
public:
    explicit DispatchHolder(DispatchPtr dispatch) : m_dispatch(std::move(dispatch)) {}
    virtual ~DispatchHolder() = default;
    IDispatch* dispatch() const noexcept { return m_dispatch.get(); }
    const DispatchPtr& dispatchPtr() const noexcept { return m_dispatch; }

private:
    DispatchPtr m_dispatch;
};

// The default value of object converted to text.
std::u16string DefaultValueTextOf(IDispatch* object);

// An automation object implementing the program's interface I; its default value is the
// server's default member.
template <class I> class DispatchAdapter : public I, public DispatchHolder {
public:
    explicit DispatchAdapter(DispatchPtr dispatch) : DispatchHolder(std::move(dispatch)) {}
    std::u16string DefaultValueText() override { return DefaultValueTextOf(dispatch()); }
};

// An object of no particular interface.
using DispatchObject = DispatchAdapter<IDispatchObject>;

// The IDispatch of one of our objects; Nothing for an empty pointer. An object from elsewhere
// (another back end) cannot be passed to a server and raises a type mismatch.
DispatchPtr DispatchOf(const Variant::Object& object);

} // namespace win32
