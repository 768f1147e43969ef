// Spreadsheet automation back ends for tests: one whose creation fails as it does on a machine
// without a spreadsheet program, and one that records every call (and can fail chosen calls).
// Header only.
#pragma once

#include "interfaces/SpreadsheetAutomation.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace spreadsheettest {

// Creation fails as creating an unknown programmatic identifier does.
class FailingSpreadsheetAutomation : public ISpreadsheetAutomation {
public:
    std::unique_ptr<ISpreadsheetApplication> CreateApplication(WorkbookFormat) override {
        ++creations;
        throw EOleException(u"Invalid class string", hresult::kInvalidClassString);
    }
    int creations = 0;
};

// One recorded call. Unused fields stay 0 or empty.
struct SpreadsheetCall {
    enum class Kind {
        AddWorkbook,
        AddSheet,
        ActivateSheet,
        SetSheetName,
        SetColumnWidth,
        SetCellNumberFormat,
        SetCellValue,
        SaveActiveWorkbookAs,
        Quit
    };
    Kind kind;
    int32_t row = 0;
    int32_t column = 0;
    int32_t width = 0;
    std::u16string text; // the format, the value or the path

    friend bool operator==(const SpreadsheetCall&, const SpreadsheetCall&) = default;
};

// What the recording back end saw; shared, so it outlives the application object.
struct SpreadsheetLog {
    std::vector<SpreadsheetCall> calls;
    int applicationsCreated = 0;
    int applicationsReleased = 0;

    // Makes the n-th call (counting from 1) of that kind raise EOleException instead of being
    // recorded; 0 disables. The failed call is not recorded; later calls succeed again.
    SpreadsheetCall::Kind failKind = SpreadsheetCall::Kind::AddWorkbook;
    int failAt = 0;
    std::u16string failMessage = u"Automation call failed";
    int failKindAttempts = 0;     // calls of failKind so far, failed or not
    std::function<void()> onCall; // runs at every call, before it is recorded

    // The calls of one kind, in order.
    std::vector<SpreadsheetCall> of(SpreadsheetCall::Kind kind) const {
        std::vector<SpreadsheetCall> out;
        for (const auto& call : calls)
            if (call.kind == kind)
                out.push_back(call);
        return out;
    }
    // The last value set into a cell, or nullptr.
    const std::u16string* value(int32_t row, int32_t column) const {
        const std::u16string* found = nullptr;
        for (const auto& call : calls)
            if (call.kind == SpreadsheetCall::Kind::SetCellValue && call.row == row && call.column == column)
                found = &call.text;
        return found;
    }
};

class RecordingSpreadsheetApplication : public ISpreadsheetApplication {
public:
    explicit RecordingSpreadsheetApplication(std::shared_ptr<SpreadsheetLog> log) : m_log(std::move(log)) {
        ++m_log->applicationsCreated;
    }
    ~RecordingSpreadsheetApplication() override { ++m_log->applicationsReleased; }

    void AddWorkbook() override { record({SpreadsheetCall::Kind::AddWorkbook, 0, 0, 0, {}}); }
    void AddSheet() override { record({SpreadsheetCall::Kind::AddSheet, 0, 0, 0, {}}); }
    void ActivateSheet(int32_t index) override { record({SpreadsheetCall::Kind::ActivateSheet, 0, 0, index, {}}); }
    void SetSheetName(const std::u16string& name) override {
        record({SpreadsheetCall::Kind::SetSheetName, 0, 0, 0, name});
    }
    void SetColumnWidth(int32_t column, int32_t width) override {
        record({SpreadsheetCall::Kind::SetColumnWidth, 0, column, width, {}});
    }
    void SetCellNumberFormat(int32_t row, int32_t column, const std::u16string& format) override {
        record({SpreadsheetCall::Kind::SetCellNumberFormat, row, column, 0, format});
    }
    void SetCellValue(int32_t row, int32_t column, std::u16string_view text) override {
        record({SpreadsheetCall::Kind::SetCellValue, row, column, 0, std::u16string(text)});
    }
    void SaveActiveWorkbookAs(const std::u16string& path) override {
        record({SpreadsheetCall::Kind::SaveActiveWorkbookAs, 0, 0, 0, path});
    }
    void Quit() override { record({SpreadsheetCall::Kind::Quit, 0, 0, 0, {}}); }

private:
    void record(SpreadsheetCall call) {
        if (m_log->onCall)
            m_log->onCall();
        if (call.kind == m_log->failKind && ++m_log->failKindAttempts == m_log->failAt)
            throw EOleException(m_log->failMessage, hresult::kFail);
        m_log->calls.push_back(std::move(call));
    }

    std::shared_ptr<SpreadsheetLog> m_log;
};

class RecordingSpreadsheetAutomation : public ISpreadsheetAutomation {
public:
    RecordingSpreadsheetAutomation() : log(std::make_shared<SpreadsheetLog>()) {}

    std::unique_ptr<ISpreadsheetApplication> CreateApplication(WorkbookFormat) override {
        return std::make_unique<RecordingSpreadsheetApplication>(log);
    }

    std::shared_ptr<SpreadsheetLog> log;
};

} // namespace spreadsheettest
