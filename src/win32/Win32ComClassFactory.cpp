#include "win32/Win32ComClassFactory.h"

#include "interfaces/DominoObjects.h"
#include "win32/Dispatch.h"
#include "win32/Win32DominoObjects.h"

#include <objbase.h>

namespace {

CLSID ParseClassId(const std::u16string& clsid) {
    std::wstring text(clsid.begin(), clsid.end());
    CLSID id{};
    win32::Check(CLSIDFromString(text.c_str(), &id));
    return id;
}

} // namespace

ComApartment::ComApartment() {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // S_FALSE (already initialised the same way) also needs its matching CoUninitialize.
    if (FAILED(hr))
        win32::ThrowComError(hr);
}

ComApartment::~ComApartment() {
    CoUninitialize();
}

std::shared_ptr<IDispatchObject> Win32ComClassFactory::CreateByClass(const std::u16string& clsid) {
    const CLSID id = ParseClassId(clsid);
    IDispatch* raw = nullptr;
    win32::Check(CoCreateInstance(id, nullptr, CLSCTX_ALL, IID_IDispatch, reinterpret_cast<void**>(&raw)));
    auto object = win32::DispatchPtr::Attach(raw);
    if (!object)
        throw EOleException(win32::SystemMessage(E_POINTER), E_POINTER);
    if (IsEqualCLSID(id, ParseClassId(domino_ids::kNotesSessionClass)))
        return win32::WrapSession(object.get());
    return std::make_shared<win32::DispatchObject>(std::move(object));
}
