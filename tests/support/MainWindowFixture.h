// Builds the main window headless: memory registry, recording prompter, scripted forms, the
// progress window, a temporary folder for system.ini, and a class factory tests can fill with
// loaders.
#pragma once

#include "browse/FormRunner.h"
#include "export/SpreadsheetTestDoubles.h"
#include "platform/PortableComClassFactory.h"
#include "platform/PortableRegistry.h"
#include "shell/WaitMsg.h"
#include "shell/main.h"
#include "support/RecordingPrompter.h"

#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <memory>

// Runs queued scripts against the forms the program shows; a form with no script is cancelled.
class ScriptedFormRunner : public IFormRunner {
public:
    std::deque<std::function<int(QDialog&)>> scripts;
    QStringList shown;

    int Run(QDialog& form) override {
        shown << form.objectName();
        if (scripts.empty())
            return QDialog::Rejected;
        auto script = std::move(scripts.front());
        scripts.pop_front();
        return script(form);
    }
};

struct MainWindowFixture {
    QTemporaryDir exeDir;
    MemoryRegistry registry;
    RecordingPrompter prompter;
    ScriptedFormRunner forms;
    WaitMsgWindow progress;
    spreadsheettest::RecordingSpreadsheetAutomation spreadsheet;
    PortableComClassFactory factory{registry};
    int terminateCalls = 0;
    bool leftButton = false;
    QStringList openedUrls;

    MainEnvironment Environment() {
        MainEnvironment env;
        env.registry = &registry;
        env.prompter = &prompter;
        env.progress = &progress;
        env.spreadsheet = &spreadsheet;
        env.comFactory = &factory;
        env.forms = &forms;
        env.exeDir = exeDir.path();
        env.terminate = [this] { ++terminateCalls; };
        env.leftButtonDown = [this] { return leftButton; };
        env.openUrl = [this](const QString& url) { openedUrls << url; };
        env.hostName = [] { return QStringLiteral("TESTHOST"); };
        return env;
    }

    // Registers a Domino installation at programDir/dataDir (either may be empty).
    void InstallDomino(const QString& programDir, const QString& dataDir) {
        auto key = registry.CreateKey(u"Software\\Lotus\\Domino");
        if (!programDir.isNull())
            key->WriteString(u"Path", programDir.toStdU16String());
        if (!dataDir.isNull())
            key->WriteString(u"DataPath", dataDir.toStdU16String());
    }
    void InstallNotes(const QString& programDir) {
        auto key = registry.CreateKey(u"Software\\Lotus\\Notes");
        if (!programDir.isNull())
            key->WriteString(u"Path", programDir.toStdU16String());
    }

    std::unique_ptr<TfrmMain> CreateMain() {
        auto main = std::make_unique<TfrmMain>(Environment());
        progress.setAnchor(main.get());
        return main;
    }
};
