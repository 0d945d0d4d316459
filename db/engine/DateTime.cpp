// The date/time helpers of Value.h: OLE days (days since 1899-12-30, the time
// of day as the fraction) to and from "YYYY-MM-DD HH:MM:SS".
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "db/engine/Value.h"

namespace pelmora::engine {

// Civil-date arithmetic on the proleptic Gregorian calendar (days from 1970-01-01).
namespace {
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

const int64_t kOleEpoch = daysFromCivil(1899, 12, 30);

// The days Access stores fall strictly between these: 31 December 99 and
// 1 January 10000. The last whole second it shows is 9999-12-31 23:59:59.
constexpr double kDayBeforeFirst = -657435.0;
constexpr double kDayAfterLast = 2958466.0;
constexpr double kLastSecond = kDayAfterLast - 1.0 / 86400;

int daysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// The numbers of "Y-M-D" or "Y-M-D H:M:S" and nothing else, into `parts`.
bool dateParts(const std::string& text, int parts[6]) {
    static const char separators[5] = {'-', '-', ' ', ':', ':'};
    const char* p = text.data();
    const char* end = p + text.size();
    for (int i = 0; i < 6; ++i) {
        const auto [next, error] = std::from_chars(p, end, parts[i]);
        if (error != std::errc()) return false;
        if (next == end) return i == 2 || i == 5;
        if (i == 5 || *next != separators[i]) return false;
        p = next + 1;
    }
    return false;
}

}  // namespace

bool isStorableDate(double oleDays) {
    return oleDays > kDayBeforeFirst && oleDays < kDayAfterLast;
}

double oleDaysFromCivil(int year, int month, int day, int hour, int minute, int second) {
    double days = static_cast<double>(daysFromCivil(year, month, day) - kOleEpoch);
    // The seconds times the length of one second, as Access computes a time: the
    // double it stores, which dividing by 86400 misses in the last bit now and then.
    double fraction = (hour * 3600 + minute * 60 + second) * (1.0 / 86400);
    // Before day zero the time still counts forward from midnight, as in the Access engine.
    return days >= 0 ? days + fraction : days - fraction;
}

std::string formatDateTime(double oleDays) {
    char buffer[32];
    if (!isStorableDate(oleDays)) {
        std::snprintf(buffer, sizeof buffer, "%.17g", oleDays);
        return buffer;
    }
    oleDays = std::min(oleDays, kLastSecond);
    const double whole = std::trunc(oleDays);
    int64_t seconds = std::llround(std::fabs(oleDays - whole) * 86400.0);
    int64_t day = static_cast<int64_t>(whole);
    if (seconds >= 86400) {  // rounded up to the next midnight, a day later on either side of zero
        seconds -= 86400;
        ++day;
    }
    int y, m, d;
    civilFromDays(day + kOleEpoch, y, m, d);
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d,
                  static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                  static_cast<int>(seconds % 60));
    return buffer;
}

bool parseDateTime(const std::string& text, double& oleDays) {
    int p[6] = {0, 0, 0, 0, 0, 0};
    if (!dateParts(text, p) || p[1] < 1 || p[1] > 12 || p[2] < 1 ||
        p[2] > daysInMonth(p[0], p[1]) || p[3] < 0 || p[3] > 23 || p[4] < 0 || p[4] > 59 ||
        p[5] < 0 || p[5] > 59)
        return false;
    oleDays = oleDaysFromCivil(p[0], p[1], p[2], p[3], p[4], p[5]);
    return true;
}

}  // namespace pelmora::engine
