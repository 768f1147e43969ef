#include "assembly/DominoFiles.h"

#include "import/NsfCache.h"
#include "import/NsfImport.h"
#include "interfaces/DominoObjects.h"
#include "platform/PortableComClassFactory.h"

namespace {

// The local store serves the session: always where there is no other, and on Windows where the
// Domino Objects class names one of our component files.
bool LocalStoreServes([[maybe_unused]] IRegistry& registry) {
#ifdef _WIN32
    const auto key = registry.OpenKey(IComClassFactory::InprocServerKey(domino_ids::kNotesSessionClass));
    const std::u16string server = key ? key->ReadString(u"").value_or(u"") : std::u16string();
    return !server.empty() && !PortableComClassFactory::ComponentKind(std::filesystem::path(server)).empty();
#else
    return true;
#endif
}

} // namespace

std::optional<DominoFileRead> ReadDominoFileAhead(IRegistry& registry, const QString& path,
                                                  const std::function<void()>& reading) {
    if (!LocalStoreServes(registry) || !importer::IsDominoDatabaseFile(path.toStdU16String()))
        return std::nullopt;
    const importer::CachedDatabase cached =
        importer::CacheDominoDatabase(path.toStdU16String(), importer::DominoCacheFolder(), reading);
    return DominoFileRead{static_cast<qsizetype>(cached.unread), cached.losses,
                          QString::fromStdU16String(cached.report.u16string()), cached.readNow};
}
