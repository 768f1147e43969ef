#include "platform/PortableComClassFactory.h"
#include "platform/PortableRegistry.h"

#include <QTemporaryDir>

#include <fstream>

#include "support/OleError.h"

#include <gtest/gtest.h>

namespace {

struct Server : IDispatchObject {
    std::filesystem::path file;
};

constexpr char16_t kClass[] = u"{29131539-2EED-1069-BF5D-00DD011186B7}";

} // namespace

TEST(ComClassFactory, FailsAsAnUnregisteredClassUnlessARegisteredComponentExists) {
    QTemporaryDir dir;
    const std::filesystem::path component = dir.filePath("nlsxbe.dll").toStdString();
    MemoryRegistry registry;
    PortableComClassFactory factory(registry);
    factory.RegisterLoader("LocalDominoStore", [](const std::filesystem::path& file) {
        auto server = std::make_shared<Server>();
        server->file = file;
        return server;
    });
    auto create = [&] { factory.CreateByClass(kClass); };

    EXPECT_EQ(OleErrorCode(create), hresult::kClassNotRegistered) << "no class key";

    registry.CreateKey(PortableComClassFactory::InprocServerKey(kClass))->WriteString(u"", component.u16string());
    EXPECT_EQ(OleErrorCode(create), hresult::kClassNotRegistered) << "registered file missing";

    std::ofstream(component) << "MZ not ours\n";
    EXPECT_EQ(OleErrorCode(create), hresult::kClassNotRegistered) << "a file of another kind";

    PortableComClassFactory::WriteComponentFile(component, "LocalDominoStore");
    auto object = std::dynamic_pointer_cast<Server>(factory.CreateByClass(kClass));
    ASSERT_TRUE(object);
    EXPECT_EQ(object->file, component);
}

TEST(ComClassFactory, SelfRegistrationWritesTheClassKeyForOurComponentsOnly) {
    QTemporaryDir dir;
    const std::filesystem::path ours = dir.filePath("nlsxbe.dll").toStdString();
    const std::filesystem::path other = dir.filePath("other.dll").toStdString();
    PortableComClassFactory::WriteComponentFile(ours, "LocalDominoStore");
    std::ofstream(other) << "something else";
    MemoryRegistry registry;

    SelfRegisterComponent(registry, other, kClass);
    EXPECT_FALSE(registry.OpenKey(PortableComClassFactory::InprocServerKey(kClass)));

    SelfRegisterComponent(registry, ours, kClass);
    auto key = registry.OpenKey(PortableComClassFactory::InprocServerKey(kClass));
    ASSERT_TRUE(key);
    EXPECT_EQ(key->ReadString(u"").value(), ours.u16string());
}

TEST(ComClassFactory, ChoosesTheLocalStoreForOurComponentsAndTheSystemForOthers) {
    QTemporaryDir dir;
    const std::filesystem::path ours = dir.filePath("nlsxbe.dll").toStdString();
    const std::filesystem::path real = dir.filePath("real.dll").toStdString();
    PortableComClassFactory::WriteComponentFile(ours, "LocalDominoStore");
    std::ofstream(real) << "MZ";
    MemoryRegistry registry;
    PortableComClassFactory portable(registry);
    portable.RegisterLoader("LocalDominoStore",
                            [](const std::filesystem::path&) { return std::make_shared<Server>(); });
    struct System : IComClassFactory {
        int calls = 0;
        std::shared_ptr<IDispatchObject> CreateByClass(const std::u16string&) override {
            ++calls;
            throw EOleException(u"Class not registered", hresult::kClassNotRegistered);
        }
    } system;
    ChoosingComClassFactory choosing(registry, portable, system);

    EXPECT_EQ(OleErrorCode([&] { choosing.CreateByClass(kClass); }), hresult::kClassNotRegistered);
    EXPECT_EQ(system.calls, 1) << "no registration: the system decides";

    auto key = registry.CreateKey(PortableComClassFactory::InprocServerKey(kClass));
    key->WriteString(u"", ours.u16string());
    EXPECT_TRUE(std::dynamic_pointer_cast<Server>(choosing.CreateByClass(kClass)));
    EXPECT_EQ(system.calls, 1);

    key->WriteString(u"", real.u16string());
    EXPECT_EQ(OleErrorCode([&] { choosing.CreateByClass(kClass); }), hresult::kClassNotRegistered);
    EXPECT_EQ(system.calls, 2);
}
