#include "common/DateTime.h"

#include <cmath>
#include <cstdint>

namespace orrery {

namespace {

constexpr double kUnixEpochJulianDate = 2440587.5;
constexpr double kSecondsPerDay = 86400.0;

bool isLeapYear(std::int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(std::int64_t year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the given proleptic Gregorian date, exact for any
// int year (eras of 400 years hold 146097 days).
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

} // namespace

DateTime::DateTime(int year, int month, int day, int hour, int minute, double seconds) {
  const bool valid = month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month) &&
                     hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && seconds >= 0.0 &&
                     seconds < 61.0;
  if (!valid) {
    return;
  }
  const double days = static_cast<double>(daysFromCivil(year, month, day));
  const double dayFraction = (hour * 3600.0 + minute * 60.0 + seconds) / kSecondsPerDay;
  mJulianDate = kUnixEpochJulianDate + days + dayFraction;
}

DateTime DateTime::fromJulianDate(double julianDate) {
  DateTime t;
  if (std::isfinite(julianDate)) {
    t.mJulianDate = julianDate;
  }
  return t;
}

bool DateTime::isValid() const { return !std::isnan(mJulianDate); }

double DateTime::toJulianDate() const { return mJulianDate; }

} // namespace orrery
