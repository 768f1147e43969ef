// "Connect by class": how a wrapper obtains a new instance of an automation class. On Windows the
// COM runtime does it (win32/Win32ComClassFactory.h); elsewhere the portable factory reads the
// class registration and starts the component the registered file names
// (platform/PortableComClassFactory.h). Standard C++ only.
#pragma once

#include "interfaces/ComObject.h"

#include <memory>
#include <string>

class IComClassFactory {
public:
    virtual ~IComClassFactory() = default;
    // A new instance of the class (no instance of the classes used here is ever left running
    // for another client to attach to). Raises EOleException (0x80040154,
    // "Class not registered") when the class has no usable registration.
    virtual std::shared_ptr<IDispatchObject> CreateByClass(const std::u16string& clsid) = 0;

    // The registry key (relative to HKEY_LOCAL_MACHINE) that names a class's in-process server.
    static std::u16string InprocServerKey(const std::u16string& clsid) {
        return u"SOFTWARE\\Classes\\CLSID\\" + clsid + u"\\InprocServer32";
    }
};
