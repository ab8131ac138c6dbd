#include "jet/ole_date.h"

#include <cmath>
#include <cstdint>

namespace tabulon::jet {
namespace {

constexpr int kMinYear = 100;
constexpr int kMaxYear = 9999;

// Days from 1970-01-01 in the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

const std::int64_t kOleEpoch = daysFromCivil(1899, 12, 30);

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

}  // namespace

std::int64_t oleDayNumber(int year, int month, int day) {
    return daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kOleEpoch;
}

void civilFromOleDay(std::int64_t oleDay, int& year, int& month, int& day) {
    civilFromDays(oleDay + kOleEpoch, year, month, day);
}

int daysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

double toOleDate(const DateTime& when) {
    const std::int64_t days = oleDayNumber(when.year, when.month, when.day);
    const double fraction = (when.hour * 3600.0 + when.minute * 60.0 + when.second) / 86400.0;
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

DateTime fromOleDate(double oleDate) {
    double whole = std::trunc(oleDate);
    double fraction = std::fabs(oleDate - whole);
    auto seconds = static_cast<std::int64_t>(std::llround(fraction * 86400.0));
    if (seconds >= 86400) {
        seconds -= 86400;
        whole += oleDate < 0 ? -1 : 1;
    }
    DateTime out;
    civilFromOleDay(static_cast<std::int64_t>(whole), out.year, out.month, out.day);
    out.hour = static_cast<int>(seconds / 3600);
    out.minute = static_cast<int>(seconds / 60 % 60);
    out.second = static_cast<int>(seconds % 60);
    return out;
}

std::optional<std::string> dateProblem(const DateTime& when) {
    if (when.year < kMinYear || when.year > kMaxYear) return "年份 " + std::to_string(when.year) + " 超出 100 到 9999";
    if (when.month < 1 || when.month > 12) return "月份 " + std::to_string(when.month) + " 无效";
    if (when.day < 1 || when.day > daysInMonth(when.year, when.month)) {
        return std::to_string(when.year) + "-" + std::to_string(when.month) + " 没有第 " + std::to_string(when.day) +
               " 日";
    }
    if (when.hour < 0 || when.hour > 23 || when.minute < 0 || when.minute > 59 || when.second < 0 || when.second > 59) {
        return "时间 " + std::to_string(when.hour) + ":" + std::to_string(when.minute) + ":" +
               std::to_string(when.second) + " 无效";
    }
    return std::nullopt;
}

}  // namespace tabulon::jet
