#include "assembly/DominoFiles.h"

#include "import/NsfCache.h"
#include "import/NsfImport.h"

bool IsDominoDatabaseFile(const QString& path) {
#ifdef _WIN32
    (void)path;
    return false;
#else
    return importer::IsDominoDatabaseFile(path.toStdU16String());
#endif
}

DominoFileRead ReadDominoFile(const QString& path, const std::function<void()>& reading) {
    const importer::CachedDatabase cached =
        importer::CacheDominoDatabase(path.toStdU16String(), importer::DominoCacheFolder(), reading);
    return {static_cast<qsizetype>(cached.unread), cached.losses, QString::fromStdU16String(cached.report.u16string()),
            cached.readNow};
}
