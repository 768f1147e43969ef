// A small automation server for the tests: an IDispatch whose members are defined by name at
// run time. Each call is logged; members see their arguments in natural order and can return
// values, objects, Nothing, or raise an exception with EXCEPINFO.
#pragma once

#include "win32/Dispatch.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace testserver {

struct FakeCall {
    std::u16string member;
    WORD flags = 0;
    std::vector<win32::OwnedVariant> args; // copies, natural order (indexes for a property put)
    win32::OwnedVariant value;             // the assigned value of a property put
    VARIANT* result = nullptr;
    EXCEPINFO* info = nullptr;

    HRESULT ReturnText(std::u16string_view text);
    HRESULT ReturnInt(int32_t value);
    HRESULT ReturnShort(int16_t value);
    HRESULT ReturnBool(bool value);
    HRESULT ReturnObject(IDispatch* object); // adds a reference; nullptr is Nothing
    HRESULT ReturnValue(win32::OwnedVariant value);
    // Raises an exception: fills EXCEPINFO and answers DISP_E_EXCEPTION.
    HRESULT Raise(std::u16string_view description, HRESULT scode, WORD wCode = 0);

    std::u16string TextArg(size_t i) const;
    int32_t IntArg(size_t i) const;
    VARTYPE ArgType(size_t i) const { return args.at(i).vt(); }
};

using Member = std::function<HRESULT(FakeCall&)>;

class FakeDispatch : public IDispatch {
public:
    // A new object with one reference, owned by the returned holder.
    static win32::DispatchPtr Create(FakeDispatch** raw = nullptr);

    // Defines member name (matched without regard to case, as automation does).
    void Define(const std::u16string& name, Member member);
    // Defines the default member (DISPID_VALUE).
    void DefineDefault(Member member);
    // A member that answers text / an object (nullptr for Nothing) whatever the arguments.
    void DefineText(const std::u16string& name, std::u16string text);
    void DefineObject(const std::u16string& name, IDispatch* object);

    ULONG references() const { return m_refs; }
    // Member names called, in order ("put:" marks property puts).
    std::vector<std::u16string> log;
    // The arguments (natural order) of the last call of each member, converted.
    std::map<std::u16string, std::vector<Variant>> lastArgs;
    std::map<std::u16string, std::vector<VARTYPE>> lastTypes;
    std::map<std::u16string, std::vector<IDispatch*>> lastObjects;
    std::map<std::u16string, Variant> lastPut;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* info, UINT* argError) override;

private:
    FakeDispatch() = default;
    virtual ~FakeDispatch() = default;

    struct Entry {
        std::u16string name;
        Member member;
    };
    std::vector<Entry> m_members; // DISPID = index + 1
    Member m_default;
    ULONG m_refs = 1;
};

// A class factory that hands out one object, for registering a fake server class.
class FakeClassFactory : public IClassFactory {
public:
    explicit FakeClassFactory(IDispatch* object) : m_object(object) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    IDispatch* m_object;
};

// A one-dimensional SAFEARRAY of VARIANT counting from lower, holding values.
win32::OwnedVariant VariantArray(LONG lower, std::vector<win32::OwnedVariant> values);

// A fake object and the reference that keeps it alive, for tests that build object graphs.
struct FakeObject {
    FakeDispatch* raw = nullptr;
    win32::DispatchPtr holder = FakeDispatch::Create(&raw);
    FakeDispatch* operator->() const { return raw; }
    IDispatch* get() const { return holder.get(); }
};

} // namespace testserver
