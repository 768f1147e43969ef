// The window of a view's entries that a walk through the view is served from.
#pragma once

#include "store/DbFile.h"

#include <chrono>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace store::local {

// A run of a view's entries read together, and the view's size read with them. Walking a view
// is served from here, so that a page of documents costs a few reads of the file, not one or
// two per document. What it holds is at most kFreshFor old: a view that changes is followed.
struct ViewWindow {
    static constexpr int64_t kRows = 128;
    static constexpr auto kFreshFor = std::chrono::milliseconds(100);

    struct Row {
        int64_t position;
        NoteData header;
        std::string columns;
    };
    std::vector<Row> rows;
    int64_t viewId = 0;
    std::shared_ptr<ViewReadAhead> ahead; // the runs after these, read on another thread
    bool walkedOn = false;                // these rows came after the run before, in a walk
    std::chrono::steady_clock::time_point rowsRead;
    int64_t count = 0;
    std::chrono::steady_clock::time_point countRead;
    bool hasRows = false, hasCount = false;

    static bool Fresh(std::chrono::steady_clock::time_point t) {
        return std::chrono::steady_clock::now() - t < kFreshFor;
    }
    const Row* find(int64_t position) const {
        if (!hasRows || !Fresh(rowsRead) || rows.empty() || position < rows.front().position ||
            position > rows.back().position)
            return nullptr;
        return &rows[static_cast<size_t>(position - rows.front().position)];
    }
    // The entry is past the end: the window reaches the end of the view and is fresh.
    bool pastEnd(int64_t position) const {
        return hasRows && hasCount && Fresh(rowsRead) && rowsRead == countRead && position > count;
    }

    // The items and files of the window's notes, read together (in one read transaction) when the
    // first of them is asked for: a walk that reads every document then costs a few locks of the
    // file per window, not several per document. Each body is handed out once.
    std::unordered_map<int64_t, NoteData> bodies;
    bool bodiesRead = false;
    std::optional<CopiedBodies> copiedBodies; // the bodies' rows, when the window was read ahead

    std::optional<NoteData> takeBody(DbFile& file, int64_t noteId, int64_t position) {
        if (!bodiesRead && find(position)) {
            bodiesRead = true;
            if (copiedBodies) {
                bodies.reserve(rows.size());
                LoadCopiedBodies(file.noteBody, *copiedBodies, bodies);
                copiedBodies.reset();
            } else {
                ReadTransaction transaction(file);
                const auto first = static_cast<size_t>(position - rows.front().position);
                std::vector<int64_t> ids;
                ids.reserve(rows.size() - first);
                for (size_t i = first; i < rows.size(); ++i)
                    ids.push_back(rows[i].header.noteId);
                bodies.reserve(ids.size()); // buckets made once, not grown step by step
                LoadNoteBodies(file.noteBody, std::move(ids), bodies);
                transaction.commit();
            }
            // A walk on through the view that reads its documents' items: the next runs are read
            // ahead for it (a walk over the entries alone, or one document, reads none of them).
            if (ahead && walkedOn && rows.size() == static_cast<size_t>(kRows))
                KeepReadingAhead(file, viewId, ahead, rows.back().position + 1, count);
        }
        const auto found = bodies.find(noteId);
        if (found == bodies.end())
            return std::nullopt;
        NoteData body = std::move(found->second);
        bodies.erase(found);
        return body;
    }
};

} // namespace store::local
