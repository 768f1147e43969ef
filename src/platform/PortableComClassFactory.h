// The portable "connect by class": the class registration read from the registry names a
// component file, and the factory starts the component that file names. Also the factory that
// chooses between it and the system's own, and a component file's self-registration.
#pragma once

#include "interfaces/ComClassFactory.h"
#include "interfaces/Registry.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

// Portable back end. A component file is a small text file of ours:
//
//     Verdanix component
//     Server=<kind>
//
// and the factory starts it with the loader registered for that kind, passing the file's path.
class PortableComClassFactory : public IComClassFactory {
public:
    using Loader = std::function<std::shared_ptr<IDispatchObject>(const std::filesystem::path& componentFile)>;

    explicit PortableComClassFactory(IRegistry& registry) : m_registry(registry) {}

    void RegisterLoader(const std::string& kind, Loader loader) { m_loaders[kind] = std::move(loader); }
    std::shared_ptr<IDispatchObject> CreateByClass(const std::u16string& clsid) override;

    // Reads the kind a component file names; empty when the file is not one of ours.
    static std::string ComponentKind(const std::filesystem::path& componentFile);
    // Writes a component file naming kind.
    static void WriteComponentFile(const std::filesystem::path& componentFile, const std::string& kind);

private:
    IRegistry& m_registry;
    std::map<std::string, Loader> m_loaders;
};

// Chooses per class: a registration that names one of our component files goes to the portable
// factory (the local store), any other to the system's own (the real COM runtime on Windows).
class ChoosingComClassFactory : public IComClassFactory {
public:
    ChoosingComClassFactory(IRegistry& registry, PortableComClassFactory& portable, IComClassFactory& system)
        : m_registry(registry), m_portable(portable), m_system(system) {}
    std::shared_ptr<IDispatchObject> CreateByClass(const std::u16string& clsid) override;

private:
    IRegistry& m_registry;
    PortableComClassFactory& m_portable;
    IComClassFactory& m_system;
};

// What a component file's self-registration does: records the file as the in-process server of
// the classes it implements (for ours, the session class clsid). A file that is not one of our
// components registers nothing. Raises RegistryError when the registry cannot be written.
void SelfRegisterComponent(IRegistry& registry, const std::filesystem::path& componentFile,
                           const std::u16string& clsid);
