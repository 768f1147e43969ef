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

#include <map>
#include <mutex>
#include <optional>

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
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/verdanix/nsf-cache");
    // Kept in the configuration folder before, which is backed up and synced: moved once.
    static std::once_flag moved;
    std::call_once(moved, [&folder] {
        const QString old = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                            QStringLiteral("/verdanix/nsf-cache");
        if (!QFileInfo::exists(old) || QFileInfo::exists(folder))
            return;
        QDir().mkpath(QFileInfo(folder).path());
        if (!QDir().rename(old, folder))
            QDir(old).removeRecursively(); // another disk: the cache is made again where it belongs
    });
    return fs::path(folder.toStdU16String());
}

namespace {

// The files resolved to their cache databases in this run of the program, so that the store opens
// one without looking at the file again; reading a file ahead looks again and renews its entry.
class ResolvedFiles {
public:
    static ResolvedFiles& instance() {
        static ResolvedFiles files;
        return files;
    }
    std::optional<fs::path> find(const fs::path& source, const fs::path& cacheFolder) {
        std::lock_guard lock(m_mutex);
        const auto found = m_files.find(Key(source, cacheFolder));
        return found == m_files.end() ? std::nullopt : std::optional<fs::path>(found->second);
    }
    void keep(const fs::path& source, const fs::path& cacheFolder, const fs::path& cached) {
        std::lock_guard lock(m_mutex);
        m_files.insert_or_assign(Key(source, cacheFolder), cached);
    }

private:
    static fs::path Key(const fs::path& source, const fs::path& cacheFolder) {
        return cacheFolder / fs::absolute(source).lexically_normal();
    }
    std::mutex m_mutex;
    std::map<fs::path, fs::path> m_files;
};

} // namespace

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
    const QByteArray lossesLine = QByteArrayLiteral("losses "), unreadLine = QByteArrayLiteral("unread ");
    const auto upToDate = [&] {
        const QByteArray kept = ReadSmallFile(keyFile);
        if (!kept.startsWith(key + lossesLine) || !fs::is_regular_file(cached.file, ec))
            return false;
        // "losses N", then "unread M": the lines of the report past its first.
        const QList<QByteArray> counts = kept.mid(key.size() + lossesLine.size()).split('\n');
        bool number = false;
        cached.losses = counts.value(0).trimmed().toLongLong(&number);
        if (!number || !counts.value(1).startsWith(unreadLine) || !QFileInfo::exists(QtPath(cached.report)))
            return false;
        cached.unread = counts.value(1).mid(unreadLine.size()).trimmed().toULongLong(&number);
        return number;
    };
    if (upToDate()) {
        ResolvedFiles::instance().keep(source, cacheFolder, cached.file);
        return cached;
    }
    if (!QDir().mkpath(QtPath(cacheFolder)))
        throw ImportError(report_text::CacheFolderNotMade(QtPath(cacheFolder)).toStdString());
    // One program at a time reads a file into the cache (the window and the command line may
    // open the same file); whoever waited finds it read.
    QLockFile lock(QtPath(base) + QStringLiteral(".lock"));
    lock.setStaleLockTime(0); // a reading takes as long as it takes; only a dead holder's lock is stale
    if (!lock.lock())
        throw ImportError(report_text::CacheNotLocked(QtPath(base)).toStdString());
    if (upToDate()) {
        ResolvedFiles::instance().keep(source, cacheFolder, cached.file);
        return cached;
    }
    fs::remove(keyFile, ec); // the database is about to change: no key may vouch for it meanwhile
    if (reading)
        reading();
    const ImportReport report = Import({source}, cached.file, false);
    const std::string description = DescribeImport(report);
    try {
        WriteWholeFile(QtPath(cached.report), QByteArray::fromStdString(description));
        WriteWholeFile(QtPath(keyFile), key + lossesLine + QByteArray::number(static_cast<qlonglong>(report.losses)) +
                                            '\n' + unreadLine +
                                            QByteArray::number(static_cast<qulonglong>(report.notes.size())) + '\n');
    } catch (const WholeFileError& e) {
        throw ImportError(report_text::CacheNotWritten(QtPath(cacheFolder), QString::fromUtf8(e.what())).toStdString());
    }
    cached.unread = report.notes.size();
    cached.losses = report.losses;
    cached.readNow = true;
    ResolvedFiles::instance().keep(source, cacheFolder, cached.file);
    return cached;
}

store::ForeignDatabaseReader DominoDatabaseReader() {
    return [](const fs::path& file) -> std::optional<fs::path> {
        const fs::path cacheFolder = DominoCacheFolder();
        if (auto resolved = ResolvedFiles::instance().find(file, cacheFolder))
            return resolved;
        if (!IsDominoDatabaseFile(file))
            return std::nullopt;
        return CacheDominoDatabase(file, cacheFolder).file;
    };
}

} // namespace importer
