// The date/time helpers of Value.h: OLE days (days since 1899-12-30, the time
// of day as the fraction) to and from "YYYY-MM-DD HH:MM:SS".
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
}  // namespace

double oleDaysFromCivil(int year, int month, int day, int hour, int minute, int second) {
    double days = static_cast<double>(daysFromCivil(year, month, day) - kOleEpoch);
    double fraction = (hour * 3600 + minute * 60 + second) / 86400.0;
    // Before day zero the time still counts forward from midnight, as in the Access engine.
    return days >= 0 ? days + fraction : days - fraction;
}

std::string formatDateTime(double oleDays) {
    double whole = std::trunc(oleDays);
    double fraction = std::fabs(oleDays - whole);
    int64_t seconds = std::llround(fraction * 86400.0);
    int64_t day = static_cast<int64_t>(whole);
    if (seconds >= 86400) {
        seconds -= 86400;
        day += oleDays >= 0 ? 1 : -1;
    }
    int y, m, d;
    civilFromDays(day + kOleEpoch, y, m, d);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d,
                  static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                  static_cast<int>(seconds % 60));
    return buffer;
}

bool parseDateTime(const std::string& text, double& oleDays) {
    int y, mo, d, h = 0, mi = 0, s = 0;
    int n = std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s);
    if (n != 3 && n != 6) return false;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 ||
        s > 59)
        return false;
    oleDays = oleDaysFromCivil(y, mo, d, h, mi, s);
    return true;
}

}  // namespace pelmora::engine
