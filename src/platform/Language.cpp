#include "platform/Language.h"

#include "interfaces/Translate.h"
#include "platform/ProfileFile.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace {

const QString kSection = QStringLiteral("interface");
const QString kKey = QStringLiteral("language");

std::string TranslateWithQt(const char* context, const char* text) {
    return QCoreApplication::translate(context, text).toStdString();
}

// Qt's own texts in Chinese: from Qt's translations, or a "translations" folder beside the
// executable (where a Windows installation keeps them).
bool LoadQtChinese(QTranslator& translator) {
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    for (const QString& dir : {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                               QCoreApplication::applicationDirPath() + QStringLiteral("/translations")})
        if (translator.load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"), dir))
            return true;
    return false;
}

} // namespace

std::optional<Language> LanguageNamed(const QString& code) {
    const QString lower = code.trimmed().toLower();
    if (lower == QLatin1String("zh"))
        return Language::Chinese;
    if (lower == QLatin1String("en"))
        return Language::English;
    return std::nullopt;
}

QString LanguageCode(Language language) {
    return language == Language::English ? QStringLiteral("en") : QStringLiteral("zh");
}

Language LoadLanguage(const QString& iniPath) {
    return LanguageNamed(ProfileFile(iniPath).ReadString(kSection, kKey, QString())).value_or(Language::Chinese);
}

void SaveLanguage(const QString& iniPath, Language language) {
    ProfileFile(iniPath).WriteString(kSection, kKey, LanguageCode(language));
}

Language CommandLineLanguage(const QStringList& arguments, const QString& iniPath) {
    std::optional<Language> named;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--"))
            break;
        if (argument == QLatin1String("--language") && i + 1 < arguments.size())
            named = LanguageNamed(arguments[++i]);
        else if (argument.startsWith(QLatin1String("--language=")))
            named = LanguageNamed(argument.mid(11));
    }
    return named ? *named : LoadLanguage(iniPath);
}

InterfaceLanguage::InterfaceLanguage(Language language) {
    // The texts stand in the code in Chinese; English comes from the catalogue built into the
    // program. Qt's own texts are English as they stand.
    if (language == Language::English) {
        if (m_own.load(QStringLiteral(":/i18n/verdanix_en.qm")))
            QCoreApplication::installTranslator(&m_own);
        else // a build without its catalogue: the texts stay Chinese, and that is said
            qWarning("verdanix: the English texts are not in this build; the interface stays Chinese");
    } else if (LoadQtChinese(m_qt)) {
        QCoreApplication::installTranslator(&m_qt);
    }
    SetTextTranslator(&TranslateWithQt);
}

InterfaceLanguage::~InterfaceLanguage() {
    SetTextTranslator(nullptr);
    QCoreApplication::removeTranslator(&m_own);
    QCoreApplication::removeTranslator(&m_qt);
}
