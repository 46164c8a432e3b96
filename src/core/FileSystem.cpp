#include "FileSystem.h"

#include <cmath>

namespace {

// Days from 1970-01-01 to a civil date in the proleptic Gregorian calendar (H. Hinnant).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

// Day number of 1899-12-30, the zero of date-time numbers, counted from 1970-01-01.
constexpr int64_t kDateTimeEpoch = -25569;

unsigned DaysInMonth(int64_t y, unsigned m) {
    static constexpr unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[m - 1];
}

} // namespace

double DosToDateTime(uint16_t dosDate, uint16_t dosTime) {
    int64_t year = 1980 + (dosDate >> 9);
    unsigned month = (dosDate >> 5) & 15;
    unsigned day = dosDate & 31;
    unsigned hour = dosTime >> 11;
    unsigned minute = (dosTime >> 5) & 63;
    unsigned second = (dosTime & 31) * 2;
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 59)
        return -1.0;
    double days = static_cast<double>(DaysFromCivil(year, month, day) - kDateTimeEpoch);
    return days + (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

bool DateTimeToDos(double value, uint16_t& dosDate, uint16_t& dosTime) {
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
        return false;
    // Whole milliseconds first, so that 0.9999999 of a second does not fall a second short.
    // Before the zero day the fraction counts forward from midnight as well.
    int64_t msecs = std::llround(std::fabs(value - std::trunc(value)) * 86400000.0);
    int64_t dayNumber = static_cast<int64_t>(std::trunc(value));
    if (msecs >= 86400000) {
        msecs -= 86400000;
        dayNumber += value < 0 ? -1 : 1;
    }
    int64_t year;
    unsigned month, day;
    CivilFromDays(dayNumber + kDateTimeEpoch, year, month, day);
    if (year < 1980 || year > 2107)
        return false;
    int64_t seconds = msecs / 1000;
    unsigned hour = static_cast<unsigned>(seconds / 3600);
    unsigned minute = static_cast<unsigned>(seconds / 60 % 60);
    unsigned second = static_cast<unsigned>(seconds % 60);
    dosDate = static_cast<uint16_t>(((year - 1980) << 9) | (month << 5) | day);
    dosTime = static_cast<uint16_t>((hour << 11) | (minute << 5) | (second / 2));
    return true;
}

std::string JoinPath(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += PathDelimiter;
    return path += name;
}
