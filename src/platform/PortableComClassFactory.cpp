#include "platform/PortableComClassFactory.h"

#include "interfaces/Text.h"

#include <QCoreApplication>

#include <fstream>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

constexpr char kComponentHeader[] = "Verdanix component";

[[noreturn]] void ThrowClassNotRegistered() {
    throw EOleException(QCoreApplication::translate("ComClassFactory", "没有注册类").toStdU16String(),
                        hresult::kClassNotRegistered);
}

} // namespace

std::string PortableComClassFactory::ComponentKind(const std::filesystem::path& componentFile) {
    std::ifstream in(componentFile, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line) || TrimBlanks(std::string_view(line)) != kComponentHeader)
        return {};
    while (std::getline(in, line)) {
        const auto trimmed = TrimBlanks(std::string_view(line));
        if (trimmed.starts_with("Server="))
            return std::string(trimmed.substr(7));
    }
    return {};
}

void PortableComClassFactory::WriteComponentFile(const std::filesystem::path& componentFile, const std::string& kind) {
    std::ofstream out(componentFile, std::ios::binary | std::ios::trunc);
    out << kComponentHeader << "\nServer=" << kind << "\n";
    if (!out.flush())
        throw EOleException(QCoreApplication::translate("ComClassFactory", "无法写入组件文件 %1")
                                .arg(QString::fromStdU16String(componentFile.u16string()))
                                .toStdU16String(),
                            hresult::kFail);
}

std::shared_ptr<IDispatchObject> PortableComClassFactory::CreateByClass(const std::u16string& clsid) {
    auto key = m_registry.OpenKey(InprocServerKey(clsid));
    if (!key)
        ThrowClassNotRegistered();
    const auto server = key->ReadString(u"");
    key.reset();
    if (!server || server->empty())
        ThrowClassNotRegistered();
    const std::filesystem::path file(*server);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        ThrowClassNotRegistered();
    const auto loader = m_loaders.find(ComponentKind(file));
    if (loader == m_loaders.end())
        ThrowClassNotRegistered();
    auto object = loader->second(file);
    if (!object)
        ThrowClassNotRegistered();
    return object;
}

std::shared_ptr<IDispatchObject> ChoosingComClassFactory::CreateByClass(const std::u16string& clsid) {
    std::u16string server;
    if (auto key = m_registry.OpenKey(PortableComClassFactory::InprocServerKey(clsid)))
        server = key->ReadString(u"").value_or(u"");
    if (!server.empty() && !PortableComClassFactory::ComponentKind(std::filesystem::path(server)).empty())
        return m_portable.CreateByClass(clsid);
    return m_system.CreateByClass(clsid);
}

void SelfRegisterComponent(IRegistry& registry, const std::filesystem::path& componentFile,
                           const std::u16string& clsid) {
#ifdef _WIN32
    // A real in-process server registers itself through its DllRegisterServer entry point.
    if (PortableComClassFactory::ComponentKind(componentFile).empty()) {
        HMODULE module = LoadLibraryW(componentFile.wstring().c_str());
        if (!module)
            throw EOleException(QCoreApplication::translate("ComClassFactory", "无法加载 %1")
                                    .arg(QString::fromStdU16String(componentFile.u16string()))
                                    .toStdU16String(),
                                hresult::kFail);
        using RegisterFn = HRESULT(__stdcall*)();
        if (auto fn =
                reinterpret_cast<RegisterFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer"))))
            fn();
        FreeLibrary(module);
        return;
    }
#else
    if (PortableComClassFactory::ComponentKind(componentFile).empty())
        return;
#endif
    auto key = registry.CreateKey(PortableComClassFactory::InprocServerKey(clsid));
    key->WriteString(u"", componentFile.u16string());
}
