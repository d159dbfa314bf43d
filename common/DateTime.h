#pragma once

/// @file
/// A UTC instant, made from a proleptic Gregorian calendar date and time or
/// from a Julian date. A calendar input that names no real instant (month 13,
/// day 0, February 30, a non-finite second) makes an invalid DateTime whose
/// Julian date is NaN.

#include "common/Export.h"

namespace orrery {

/// An instant as a Julian date on the UT scale, or invalid.
class ORRERY_COMMON_API DateTime {
public:
  /// An invalid instant.
  DateTime() = default;

  /// hour 0-23, minute 0-59, seconds in [0, 61) to admit a leap second.
  DateTime(int year, int month, int day, int hour = 0, int minute = 0, double seconds = 0.0);

  /// Any finite Julian date is valid; NaN and infinities give an invalid instant.
  static DateTime fromJulianDate(double julianDate);

  /// False for the default instant and for one made from a NaN or infinite
  /// date or from fields out of range.
  bool isValid() const;

  /// Days with fraction on the UT scale: 2451545.0 is 2000-01-01 12:00.
  double toJulianDate() const;

private:
  double mJulianDate = __builtin_nan("");
};

} // namespace orrery
