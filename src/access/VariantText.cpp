#include "access/VariantText.h"

#include <QDate>
#include <QTime>

#include <QCoreApplication>
#include <cmath>

namespace {

// The date-time range automation values can hold: 0100-01-01 to 9999-12-31.
constexpr double kFirstOleDate = -657434.0;
constexpr double kLastOleDate = 2958466.0;

QString DateTimeText(double oleDate, const QLocale& locale) {
    if (!std::isfinite(oleDate) || oleDate < kFirstOleDate || oleDate >= kLastOleDate)
        throw EOleException(QCoreApplication::translate("Variant", "参数无效：日期时间值超出了范围").toStdU16String(),
                            hresult::kTypeMismatch);
    // Whole days count from 1899-12-30; the fraction is the time of day, also for dates
    // before the epoch (-1.25 is 1899-12-29 06:00).
    double days = std::trunc(oleDate);
    double fraction = std::fabs(oleDate - days);
    qint64 ms = std::llround(fraction * 86400000.0);
    if (ms >= 86400000) {
        ms -= 86400000;
        days += oleDate < 0 ? -1 : 1;
    }
    const QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(days));
    const QTime time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
    const QString timeText = locale.toString(time, QStringLiteral("H:mm:ss"));
    if (days == 0)
        return timeText;
    const QString dateText = locale.toString(date, QLocale::ShortFormat);
    if (ms == 0)
        return dateText;
    return dateText + QLatin1Char(' ') + timeText;
}

QString NumberText(double value, const QLocale& locale) {
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(value, 'g', 15);
}

} // namespace

void UseChineseLocaleWhereNoneIsSet() {
    if (QLocale().language() == QLocale::C)
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
}

QString VariantToText(const Variant& value, const QLocale& locale) {
    switch (value.kind()) {
    case Variant::Kind::Empty:
        return {};
    case Variant::Kind::Boolean:
        return value.asBoolean() ? QStringLiteral("True") : QStringLiteral("False");
    case Variant::Kind::Number:
        return NumberText(value.asNumber(), locale);
    case Variant::Kind::DateTime:
        return DateTimeText(value.asDateTime().value, locale);
    case Variant::Kind::Text:
        return QString::fromStdU16String(value.asText());
    case Variant::Kind::Array:
        throw EOleException(QCoreApplication::translate("Variant", "无法把数组类型的值转换为文本").toStdU16String(),
                            hresult::kTypeMismatch);
    case Variant::Kind::Object:
        if (!value.asObject())
            return {};
        return QString::fromStdU16String(value.asObject()->DefaultValueText());
    }
    return {};
}

QStringList VariantArrayToTexts(const Variant& value, const QLocale& locale) {
    QStringList texts;
    for (const auto& element : value.asArray())
        texts << VariantToText(element, locale);
    return texts;
}

QString JoinedValueText(const Variant& value, const QLocale& locale) {
    if (value.kind() != Variant::Kind::Array)
        return VariantToText(value, locale);
    if (value.asArray().size() == 1) // most fields: no list to build and join
        return VariantToText(value.asArray().front(), locale);
    return VariantArrayToTexts(value, locale).join(QStringLiteral(", "));
}

bool IsIntegerText(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (i < n && (text[i] == QLatin1Char('$') || text[i] == QLatin1Char('x') || text[i] == QLatin1Char('X'))) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == QLatin1Char('0') &&
               (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X'))) {
        base = 16;
        i += 2;
    }
    if (i >= n)
        return false;
    const qint64 limit = negative ? 2147483648LL : 2147483647LL;
    qint64 value = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return false;
        value = value * base + digit;
        if (value > limit)
            return false;
    }
    return true;
}
