// The language the program speaks to its user: Chinese unless the user chooses English. The
// choice is kept in system.ini (section "interface", key "language": "zh" or "en"); the window
// and the command lines read it there, and a command line's --language overrides it for one run.
#pragma once

#include <QString>
#include <QStringList>
#include <QTranslator>

#include <optional>

enum class Language { Chinese, English };

// "zh" or "en", in any letter case; nothing for any other text.
std::optional<Language> LanguageNamed(const QString& code);
QString LanguageCode(Language language);

// The language kept in the settings file iniPath: Chinese where the file, the key or a known
// value is missing.
Language LoadLanguage(const QString& iniPath);
// Keeps language in iniPath. Raises ProfileWriteError when the file cannot be written.
void SaveLanguage(const QString& iniPath, Language language);

// The language a command line speaks, chosen before its options are read (their help is in it):
// the one its last --language names (--language en, --language=en), else the one kept in
// iniPath. A value that names no language counts as not given; the command says so once it
// reads its options.
Language CommandLineLanguage(const QStringList& arguments, const QString& iniPath);

// The program's texts and Qt's own (buttons, file dialogs) in one language, for as long as it
// lives: needs the application object, and is made before any window or text.
class InterfaceLanguage {
public:
    explicit InterfaceLanguage(Language language);
    ~InterfaceLanguage();
    InterfaceLanguage(const InterfaceLanguage&) = delete;
    InterfaceLanguage& operator=(const InterfaceLanguage&) = delete;

private:
    QTranslator m_own; // the program's texts in English
    QTranslator m_qt;  // Qt's own texts in Chinese
};
