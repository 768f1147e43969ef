#include "assembly/DominoFiles.h"

#include "store/NsfCache.h"
#include "store/NsfImport.h"

bool IsDominoDatabaseFile(const QString& path) {
#ifdef _WIN32
    (void)path;
    return false;
#else
    return store::IsDominoDatabaseFile(path.toStdU16String());
#endif
}

DominoFileRead ReadDominoFile(const QString& path) {
    const store::CachedDatabase cached = store::CacheDominoDatabase(path.toStdU16String());
    return {static_cast<qsizetype>(cached.unread), QString::fromStdU16String(cached.report.u16string())};
}
