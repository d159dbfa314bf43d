#include "common/DateTime.h"

#include <gtest/gtest.h>

#include <erfa.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>

using orrery::DateTime;

TEST(DateTime, CalendarDatesAgreeWithErfa) {
  EXPECT_EQ(DateTime(2000, 1, 1, 12, 0, 0.0).toJulianDate(), 2451545.0);
  // Julian day 0 is noon of 24 November 4714 BC in the proleptic Gregorian calendar.
  EXPECT_EQ(DateTime(-4713, 11, 24, 12).toJulianDate(), 0.0);
  std::mt19937 rng(2);
  std::uniform_int_distribution<int> year(-4700, 3000), month(1, 12), day(1, 31), hour(0, 23);
  std::uniform_real_distribution<double> seconds(0.0, 60.0);
  int checked = 0;
  for (int trial = 0; trial < 20000; ++trial) {
    const int y = year(rng), m = month(rng), d = day(rng), h = hour(rng);
    double mjd0 = 0.0, mjd = 0.0;
    const bool erfaValid = eraCal2jd(y, m, d, &mjd0, &mjd) == 0;
    const DateTime midnight(y, m, d);
    ASSERT_EQ(midnight.isValid(), erfaValid) << y << "-" << m << "-" << d;
    if (!erfaValid) {
      EXPECT_TRUE(std::isnan(midnight.toJulianDate()));
      continue;
    }
    EXPECT_EQ(midnight.toJulianDate(), mjd0 + mjd);
    const double s = seconds(rng), fraction = (h * 3600.0 + 17 * 60.0 + s) / 86400.0;
    EXPECT_NEAR(DateTime(y, m, d, h, 17, s).toJulianDate(), mjd0 + mjd + fraction, 5e-10);
    ++checked;
  }
  EXPECT_GT(checked, 10000); // leap years and months' lengths among them
}

TEST(DateTime, InputsNamingNoInstantAreInvalidWithNaNJulianDate) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    int y, mo, d, h, mi;
    double s;
  } bad[] = {{2024, 13, 1, 0, 0, 0},  {2024, 0, 1, 0, 0, 0},
             {2024, 1, 0, 0, 0, 0},   {2023, 2, 29, 0, 0, 0},
             {2024, 2, 30, 0, 0, 0},  {2024, 4, 31, 0, 0, 0},
             {2024, 1, 1, 24, 0, 0},  {2024, 1, 1, -1, 0, 0},
             {2024, 1, 1, 0, 60, 0},  {2024, 1, 1, 0, 0, nan},
             {2024, 1, 1, 0, 0, inf}, {2024, 1, 1, 0, 0, -0.5},
             {2024, 1, 1, 0, 0, 61},  {INT_MIN, INT_MIN, INT_MIN, 0, 0, 0}};
  for (const auto &b : bad) {
    const DateTime t(b.y, b.mo, b.d, b.h, b.mi, b.s);
    EXPECT_FALSE(t.isValid()) << b.y << "-" << b.mo << "-" << b.d << " " << b.h << ":" << b.mi;
    EXPECT_TRUE(std::isnan(t.toJulianDate()));
  }
  EXPECT_FALSE(DateTime().isValid());
  EXPECT_TRUE(std::isnan(DateTime().toJulianDate()));
  // A leap second is admitted.
  EXPECT_TRUE(DateTime(2016, 12, 31, 23, 59, 60.5).isValid());
}

TEST(DateTime, ExtremeYearsStayFiniteAndOrdered) {
  const DateTime early(INT_MIN, 1, 1);
  const DateTime late(INT_MAX, 12, 31, 23, 59, 59.0);
  ASSERT_TRUE(early.isValid());
  ASSERT_TRUE(late.isValid());
  EXPECT_LT(early.toJulianDate(), 0.0);
  EXPECT_GT(late.toJulianDate(), 7e11);
}

TEST(DateTime, JulianDatesRoundTripAndNonFiniteOnesAreInvalid) {
  EXPECT_EQ(DateTime::fromJulianDate(2451545.25).toJulianDate(), 2451545.25);
  EXPECT_TRUE(DateTime::fromJulianDate(-1e6).isValid());
  EXPECT_FALSE(DateTime::fromJulianDate(std::numeric_limits<double>::quiet_NaN()).isValid());
  EXPECT_FALSE(DateTime::fromJulianDate(-std::numeric_limits<double>::infinity()).isValid());
}
