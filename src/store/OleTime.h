// OLE dates (days since 1899-12-30, the time as the fraction) to and from civil dates and times.
#pragma once

#include <optional>
#include <string_view>

namespace store {

// OLE date of a civil date and time (no time zone), and back.
double ToOleDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int msec = 0);
struct CivilTime {
    int year, month, day, hour, minute, second, centiseconds;
};
CivilTime FromOleDate(double date);
// "2024-03-05", "2024-03-05T09:30:00", "2024-03-05 09:30" -> OLE date; nothing when unparsable.
std::optional<double> ParseIsoDate(std::u16string_view text);
// The current local time as an OLE date.
double OleNow();

} // namespace store
