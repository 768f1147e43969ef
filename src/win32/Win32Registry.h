// The Windows registry back end: HKEY_LOCAL_MACHINE through the Win32 API.
#pragma once

#include "interfaces/Registry.h"

class Win32Registry : public IRegistry {
public:
    std::unique_ptr<IRegistryKey> OpenKey(const std::u16string& path) override;
    std::unique_ptr<IRegistryKey> CreateKey(const std::u16string& path) override;
};
