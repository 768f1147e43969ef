// The local store's failures as the server raises them: an internal failure (SQLite, damaged
// bytes, a formula, memory) becomes the error with the server's message and code.
#pragma once

#include "interfaces/DominoObjects.h"
#include "interfaces/Text.h"
#include "store/Formula.h"
#include "store/LocalStore.h"
#include "store/Messages.h"
#include "store/Note.h"
#include "store/Sqlite.h"

#include <new>
#include <string>

namespace store::local {

[[noreturn]] inline void Raise(const std::u16string& text, int32_t code = notes_code::kNotesError) {
    throw EOleException(text, code);
}

// Runs f, turning the store's internal failures into the errors the server raises.
template <class F> auto Guarded(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const EOleException&) {
        throw;
    } catch (const sql::Error& e) {
        if (e.isNotADatabase())
            Raise(notes_text::NotADatabase(), notes_code::kDatabaseOpenFailed);
        Raise(notes_text::ReadFailed(Utf8ToUtf16(e.what())));
    } catch (const CorruptData&) {
        Raise(notes_text::NotADatabase(), notes_code::kDatabaseOpenFailed);
    } catch (const FormulaError& e) {
        Raise(notes_text::FormulaFailed(Utf8ToUtf16(e.what())));
    } catch (const std::bad_alloc&) {
        Raise(notes_text::InsufficientMemory(), hresult::kFail);
    }
}

} // namespace store::local
