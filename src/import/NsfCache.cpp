#include "import/NsfCache.h"

#include "import/ReportText.h"

#include "import/Import.h"
#include "import/NsfImport.h"
#include "platform/WholeFile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

namespace importer {

using namespace store;

namespace fs = std::filesystem;

namespace {

// Changes whenever the reader reads a file differently, so that caches made before are read again.
constexpr int kReaderVersion = 3;

QByteArray ReadSmallFile(const fs::path& file) {
    QFile in(QtPath(file));
    return in.open(QIODevice::ReadOnly) ? in.read(4096) : QByteArray();
}

} // namespace

fs::path DominoCacheFolder() {
    return fs::path((QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                     QStringLiteral("/verdanix/nsf-cache"))
                        .toStdU16String());
}

CachedDatabase CacheDominoDatabase(const fs::path& source, const fs::path& cacheFolder,
                                   const std::function<void()>& reading) {
    const QFileInfo info(QtPath(source));
    if (!info.isFile())
        throw ImportError(report_text::FileMissing(QtPath(source)).toStdString());
    // One cache database per file, named by its path; its key file says what it was read from.
    const QString path = info.canonicalFilePath();
    const QString name =
        QString::fromLatin1(QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex().left(24));
    const fs::path base = cacheFolder / fs::path(name.toStdU16String());
    CachedDatabase cached{fs::path(base) += ".nsf", fs::path(base) += ".txt", 0, false};
    const QByteArray key = QStringLiteral("%1\n%2\n%3\n%4\n")
                               .arg(path)
                               .arg(info.size())
                               .arg(info.lastModified().toMSecsSinceEpoch())
                               .arg(kReaderVersion)
                               .toUtf8();
    const fs::path keyFile = fs::path(base) += ".key";
    std::error_code ec;
    // The key file: the key, then the import's count of losses.
    const QByteArray lossesLine = QByteArrayLiteral("losses ");
    const auto upToDate = [&] {
        const QByteArray kept = ReadSmallFile(keyFile);
        if (!kept.startsWith(key + lossesLine) || !fs::is_regular_file(cached.file, ec))
            return false;
        bool number = false;
        cached.losses = kept.mid(key.size() + lossesLine.size()).trimmed().toLongLong(&number);
        if (!number)
            return false;
        // The report's first line sums up; every further line is one thing not read. It is read
        // whole: a file with many such things writes more than a key's worth of text.
        QFile report(QtPath(cached.report));
        if (!report.open(QIODevice::ReadOnly))
            return false;
        cached.unread = static_cast<size_t>(std::max<qsizetype>(0, report.readAll().count('\n') - 1));
        return true;
    };
    if (upToDate())
        return cached;
    if (!QDir().mkpath(QtPath(cacheFolder)))
        throw ImportError(report_text::CacheFolderNotMade(QtPath(cacheFolder)).toStdString());
    // One program at a time reads a file into the cache (the window and the command line may
    // open the same file); whoever waited finds it read.
    QLockFile lock(QtPath(base) + QStringLiteral(".lock"));
    lock.setStaleLockTime(0); // a reading takes as long as it takes; only a dead holder's lock is stale
    if (!lock.lock())
        throw ImportError(report_text::CacheNotLocked(QtPath(base)).toStdString());
    if (upToDate())
        return cached;
    fs::remove(keyFile, ec); // the database is about to change: no key may vouch for it meanwhile
    if (reading)
        reading();
    const ImportReport report = Import({source}, cached.file, false);
    const std::string description = DescribeImport(report);
    try {
        WriteWholeFile(QtPath(cached.report), QByteArray::fromStdString(description));
        WriteWholeFile(QtPath(keyFile),
                       key + lossesLine + QByteArray::number(static_cast<qlonglong>(report.losses)) + '\n');
    } catch (const WholeFileError& e) {
        throw ImportError(report_text::CacheNotWritten(QtPath(cacheFolder), QString::fromUtf8(e.what())).toStdString());
    }
    cached.unread = report.notes.size();
    cached.losses = report.losses;
    cached.readNow = true;
    return cached;
}

store::ForeignDatabaseReader DominoDatabaseReader() {
    return [](const fs::path& file) -> std::optional<fs::path> {
        if (!IsDominoDatabaseFile(file))
            return std::nullopt;
        return CacheDominoDatabase(file).file;
    };
}

} // namespace importer
