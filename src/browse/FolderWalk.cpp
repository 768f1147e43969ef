#include "browse/FolderWalk.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

bool IsDatabaseName(const QString& name) {
    if (name.size() < 3)
        return false;
    return name.right(3).compare(QLatin1String("NSF"), Qt::CaseInsensitive) == 0;
}

QString DirectoryWithSeparator(QString directory) {
    while (directory.size() > 1 && (directory.endsWith(QLatin1Char('/')) || directory.endsWith(QLatin1Char('\\'))))
        directory.chop(1);
    if (!directory.endsWith(QLatin1Char('/')))
        directory += QLatin1Char('/');
    return directory;
}

// A folder whose nodes are still to be read, and where they go.
struct PendingFolder {
    TreeNode* node;
    QString path;
    QString canonical;
};

// The nodes below directory, whose canonical path (links resolved) is canonical. Only a link can
// lead back up the tree, so only a link's target is resolved; a folder's own canonical path
// follows from its parent's. With pending, the subfolders are not read but listed there.
QList<TreeNode> Walk(const QString& directory, const QString& canonical, bool withDatabases, QSet<QString>& ancestors,
                     std::vector<PendingFolder>* pending = nullptr) {
    QList<TreeNode> nodes;
    const QString base = DirectoryWithSeparator(directory);
    ancestors.insert(canonical);
    std::vector<std::pair<qsizetype, PendingFolder>> subfolders; // by place in nodes
    QDirIterator entries(base, QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);
    while (entries.hasNext()) {
        entries.next();
        const QFileInfo info = entries.fileInfo();
        const QString name = info.fileName();
        if (name.startsWith(QLatin1Char('.')))
            continue;
        if (info.isDir()) {
            TreeNode folder{name, tree_node::kFolderImage, {}};
            const QString path = base + name;
            const QString target =
                info.isSymLink() ? QFileInfo(path).canonicalFilePath() : DirectoryWithSeparator(canonical) + name;
            // A link that leads back up the tree would make the walk endless.
            if (!target.isEmpty() && !ancestors.contains(target)) {
                if (pending)
                    subfolders.push_back({nodes.size(), {nullptr, path, target}});
                else
                    folder.children = Walk(path, target, withDatabases, ancestors);
            }
            nodes.append(std::move(folder));
        } else if (withDatabases && IsDatabaseName(name)) {
            nodes.append({name, tree_node::kDatabaseImage, {}});
        }
    }
    ancestors.remove(canonical);
    for (auto& [place, folder] : subfolders) {
        folder.node = &nodes[place];
        pending->push_back(std::move(folder));
    }
    return nodes;
}

// Reads the pending folders on a few threads: reading folders waits mostly on the system, and a
// data folder of thousands of folders is read in a fraction of the time. Each folder's nodes are
// its own, so the threads share nothing but the list.
void WalkPending(std::vector<PendingFolder>& pending, const QString& root, bool withDatabases) {
    std::atomic<size_t> next{0};
    std::mutex failing;
    std::exception_ptr failure; // the first, raised once every thread has ended
    const auto work = [&] {
        try {
            QSet<QString> ancestors{root};
            for (size_t i; (i = next++) < pending.size();)
                pending[i].node->children = Walk(pending[i].path, pending[i].canonical, withDatabases, ancestors);
        } catch (...) {
            next = pending.size();
            const std::lock_guard lock(failing);
            if (!failure)
                failure = std::current_exception();
        }
    };
    const size_t helpers =
        std::min<size_t>(pending.size() / 2, std::clamp(std::thread::hardware_concurrency(), 1u, 4u) - 1);
    std::vector<std::thread> threads;
    threads.reserve(helpers); // no allocation while threads run: only their start may fail
    try {
        for (size_t i = 0; i < helpers; ++i)
            threads.emplace_back(work);
    } catch (const std::system_error&) {
        // No more threads to be had: those that started, and this one, read it all.
    }
    work();
    for (auto& thread : threads)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace

QList<TreeNode> FolderNodes(const QString& directory, bool withDatabases) {
    if (directory.isEmpty())
        return {};
    const QString canonical = QFileInfo(DirectoryWithSeparator(directory)).canonicalFilePath();
    if (canonical.isEmpty())
        return {};
    QSet<QString> ancestors;
    std::vector<PendingFolder> pending;
    QList<TreeNode> nodes = Walk(directory, canonical, withDatabases, ancestors, &pending);
    WalkPending(pending, canonical, withDatabases);
    return nodes;
}
