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

DominoFileRead ReadDominoFile(const QString& path) {
    const importer::CachedDatabase cached = importer::CacheDominoDatabase(path.toStdU16String());
    return {static_cast<qsizetype>(cached.unread), QString::fromStdU16String(cached.report.u16string())};
}
