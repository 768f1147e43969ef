#include "store/OleTime.h"

#include <QDateTime>
#include <QString>

#include <cmath>

namespace store {

double ToOleDate(int year, int month, int day, int hour, int minute, int second, int msec) {
    const QDate date(year, month, day);
    const qint64 days = QDate(1899, 12, 30).daysTo(date);
    const double time = (hour * 3600.0 + minute * 60.0 + second + msec / 1000.0) / 86400.0;
    // Dates before 1899-12-30 keep the time as a positive fraction away from zero.
    return days >= 0 ? days + time : days - time;
}

CivilTime FromOleDate(double value) {
    if (!std::isfinite(value) || value > 2958465.0 || value < -657434.0)
        value = 0;
    double days = std::trunc(value);
    double fraction = std::fabs(value - days);
    long long centis = std::llround(fraction * 8640000.0);
    if (centis >= 8640000) {
        centis -= 8640000;
        days += value >= 0 ? 1 : -1;
    }
    const QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(days));
    CivilTime t{};
    t.year = date.year();
    t.month = date.month();
    t.day = date.day();
    t.hour = static_cast<int>(centis / 360000);
    t.minute = static_cast<int>(centis / 6000 % 60);
    t.second = static_cast<int>(centis / 100 % 60);
    t.centiseconds = static_cast<int>(centis % 100);
    return t;
}

std::optional<double> ParseIsoDate(std::u16string_view text) {
    // Parsed by hand: Qt's date-time parsing consults the local time zone on every call.
    while (!text.empty() && text.front() == u' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == u' ')
        text.remove_suffix(1);
    size_t pos = 0;
    auto number = [&](size_t digits, int& out) {
        if (text.size() - pos < digits)
            return false;
        out = 0;
        for (size_t i = 0; i < digits; ++i) {
            const char16_t c = text[pos + i];
            if (c < u'0' || c > u'9')
                return false;
            out = out * 10 + (c - u'0');
        }
        pos += digits;
        return true;
    };
    auto literal = [&](char16_t c) {
        if (pos < text.size() && text[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    };
    int year, month, day, hour = 0, minute = 0, second = 0;
    if (!number(4, year) || !literal(u'-') || !number(2, month) || !literal(u'-') || !number(2, day))
        return std::nullopt;
    if (pos < text.size()) {
        if (!(literal(u'T') || literal(u' ')) || !number(2, hour) || !literal(u':') || !number(2, minute))
            return std::nullopt;
        if (pos < text.size() && (!literal(u':') || !number(2, second)))
            return std::nullopt;
        if (pos != text.size())
            return std::nullopt;
    }
    if (!QDate::isValid(year, month, day) || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return ToOleDate(year, month, day, hour, minute, second);
}

double OleNow() {
    const QDateTime now = QDateTime::currentDateTime();
    return ToOleDate(now.date().year(), now.date().month(), now.date().day(), now.time().hour(), now.time().minute(),
                     now.time().second(), now.time().msec());
}

} // namespace store
