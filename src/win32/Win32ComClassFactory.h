// The class factory and COM set-up on Windows. Standard C++ only, so that the program's start
// can use it without the system headers.
#pragma once

#include "interfaces/ComClassFactory.h"

// Initialises COM for the calling thread, apartment-threaded, for the object's lifetime.
// Raises EOleException when the thread is already initialised in another model. Every object
// obtained through COM must be released, on this thread, before the apartment ends.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

// Creates instances through the COM runtime (CLSCTX_ALL). An instance of the Domino session
// class comes back as an ISession; any other class as a plain automation object. Failures raise
// EOleException with the system's code (0x80040154 for a class that is not registered,
// 0x800401F3 for a malformed class identifier).
class Win32ComClassFactory : public IComClassFactory {
public:
    std::shared_ptr<IDispatchObject> CreateByClass(const std::u16string& clsid) override;
};
