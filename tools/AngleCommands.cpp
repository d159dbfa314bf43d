// orrery dms, hms and zenith: splitting angles and the sky straight above a
// place, one value (or one time and place) per argument list or per input
// line.

#include "tools/Commands.h"
#include "tools/Coordinates.h"
#include "tools/Json.h"
#include "tools/Options.h"
#include "tools/Stream.h"
#include "tools/Text.h"

#include "common/DateTime.h"
#include "math/SkyMath.h"
#include "math/Units.h"
#include "math/Vector.h"
#include "math/detail/Angles.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>

namespace orrery::tool {

namespace {

using detail::kDegToRad;
using detail::kPi;

// A shortest-form number for JSON and messages.
std::string shortestText(double v) {
  LineBuffer t;
  t->shortest(v);
  return t.str();
}

// The value of a rounded last part, as a double for JSON.
double lastPart(const Sexagesimal &s) {
  return static_cast<double>(s.ticks) / static_cast<double>(s.scale);
}

// Hours, minutes and seconds rounded at decimals and carried; a time that
// rounds up to 24 h is 0 h, as the hour count of a longitude runs up to but
// not including 24.
Sexagesimal roundHms(const Vec3d &hms, int decimals) {
  Sexagesimal s = roundSexagesimal(hms.x, hms.y, hms.z, decimals);
  s.whole %= 24;
  return s;
}

// Decimals of the seconds of time beside degrees with the given decimals: a
// second of time is 1/240 degree, so three fewer carry about as much.
int secondDecimals(int degreeDecimals) { return degreeDecimals > 3 ? degreeDecimals - 3 : 0; }

std::string hmsText(const Sexagesimal &s) {
  char head[64];
  std::snprintf(head, sizeof head, "%lldh %02lldm ", s.whole, s.minutes);
  return head + tickText(s) + "s";
}

bool dmsRecord(const std::string_view *fields, int count, const AngleOptions &o, Cursor &out,
               std::string &message) {
  Angle a;
  if (count != 1) {
    message = fieldsExpected("one angle in degrees", count);
    return false;
  }
  if (!parseAngle(fields[0], "DEGREES", a, message)) {
    return false;
  }
  if (!(a.degrees >= -180.0 && a.degrees <= 180.0)) {
    message = "DEGREES: " + shortestText(a.degrees) + " is outside -180 to 180 degrees";
    return false;
  }
  Sexagesimal s;
  if (o.dmm) {
    const Vec2d dmm = convert::SphToDmm(a.degrees);
    s = roundMinutes(dmm.x, dmm.y, o.precision);
  } else {
    const Vec3d dms = convert::SphToDms(a.degrees);
    s = roundSexagesimal(dms.x, dms.y, dms.z, o.precision);
  }
  // The sign stays only where the rounded angle is not zero.
  const bool negative = a.degrees < 0.0 && (s.whole != 0 || s.minutes != 0 || s.ticks != 0);
  if (o.mode.json) {
    JsonWriter j(out);
    j.beginObject().integer("degrees", static_cast<long>(s.whole));
    if (o.dmm) {
      j.number("minutes", lastPart(s));
    } else {
      j.integer("minutes", static_cast<long>(s.minutes)).number("seconds", lastPart(s));
    }
    j.boolean("negative", negative).endObject();
    return true;
  }
  out.put(negative ? "-" : "").integer(static_cast<long>(s.whole)).put("° ");
  if (o.dmm) {
    out.put(tickText(s)).put('\'');
  } else {
    char minutes[32];
    std::snprintf(minutes, sizeof minutes, "%02lld' ", s.minutes);
    out.put(minutes).put(tickText(s)).put('"');
  }
  return true;
}

bool hmsRecord(const std::string_view *fields, int count, const AngleOptions &o, Cursor &out,
               std::string &message) {
  if (count != 1) {
    message = fieldsExpected("one normalised longitude (longitude / 180)", count);
    return false;
  }
  const auto v = parseNumber(fields[0]);
  if (!v) {
    message =
        "NORMALISED_LONGITUDE: expected a number (longitude / 180), got " + tool::quoted(fields[0]);
    return false;
  }
  if (!(*v >= -3.0 && *v <= 3.0)) {
    message = "NORMALISED_LONGITUDE: " + std::string(fields[0]) +
              " is outside -3 to 3 (longitudes of -540 to 540 degrees)";
    return false;
  }
  // Whole turns off, as for every longitude the command reads.
  const double wrapped = *v > 1.0 ? *v - 2.0 : (*v < -1.0 ? *v + 2.0 : *v);
  const Sexagesimal s = roundHms(convert::SphToHms(wrapped), o.precision);
  if (o.mode.json) {
    JsonWriter j(out);
    j.beginObject().integer("hours", static_cast<long>(s.whole));
    j.integer("minutes", static_cast<long>(s.minutes)).number("seconds", lastPart(s)).endObject();
  } else {
    out.put(hmsText(s));
  }
  return true;
}

struct Zenith {
  std::string_view time;
  double julianDate;
  double declination;       // degrees
  double rightAscension;    // degrees, 0 to 360
  double rightAscensionRad; // radians, 0 to 2 pi
  Vec3d hms;
};

// TIME LAT LON (a space in TIME, "2000-01-01 12:00", makes four fields).
bool zenithOf(const std::string_view *fields, int count, bool lonlat, Zenith &z,
              std::string &message) {
  std::string_view time = count > 0 ? fields[0] : std::string_view();
  if (count == 4) {
    time = std::string_view(
        fields[0].data(),
        static_cast<std::size_t>(fields[1].data() + fields[1].size() - fields[0].data()));
    ++fields;
    --count;
  }
  if (count != 3) {
    message = fieldsExpected(lonlat ? "TIME LON LAT" : "TIME LAT LON", count);
    return false;
  }
  const DateTime when = parseUtcTime(time);
  if (!when.isValid()) {
    message = "TIME: expected an ISO 8601 UTC time such as 2000-01-01T12:00:00Z, got " +
              tool::quoted(time);
    return false;
  }
  LatLon p{};
  if (!parseLatLon(fields[1], fields[2], lonlat, p, message)) {
    return false;
  }
  // The declination comes back in the latitude's unit; the longitude goes in
  // as radians.
  const Vec2d zenith =
      skymath::ComputeZenithInDecRA(when, Vec2d{p.latitude, p.longitude * kDegToRad});
  // The library gives the right ascension as the angle (hours / 12 - 1) pi,
  // -pi to pi with 0 h at -pi: a normalised longitude once divided by pi.
  // Written as the right ascension itself, 0 to 360 degrees, 0 to 2 pi.
  const double normalised = zenith.y / kPi;
  z = {time,
       when.toJulianDate(),
       zenith.x,
       (normalised + 1.0) * 180.0,
       (normalised + 1.0) * kPi,
       convert::SphToHms(normalised)};
  if (!std::isfinite(z.julianDate) || !std::isfinite(z.declination) ||
      !std::isfinite(z.rightAscension)) {
    message = "no finite zenith for this time and place";
    return false;
  }
  return true;
}

void zenithJson(const Zenith &z, Cursor &out) {
  JsonWriter j(out);
  j.beginObject().string("time", z.time).number("julian_date", z.julianDate);
  j.number("declination", z.declination).number("right_ascension", z.rightAscension);
  j.triple("right_ascension_hms", z.hms.x, z.hms.y, z.hms.z);
  j.number("right_ascension_rad", z.rightAscensionRad).endObject();
}

} // namespace

int runDms(const AngleOptions &o) {
  return convertRecords<1>(
      "dms", o.values, o.mode,
      [&](const std::string_view *fields, int count, Cursor &out, std::string &message) {
        return dmsRecord(fields, count, o, out, message);
      });
}

int runHms(const AngleOptions &o) {
  return convertRecords<1>(
      "hms", o.values, o.mode,
      [&](const std::string_view *fields, int count, Cursor &out, std::string &message) {
        return hmsRecord(fields, count, o, out, message);
      });
}

int runZenith(const ZenithOptions &o) {
  const bool any = !o.time.empty() || !o.latitude.empty() || !o.longitude.empty();
  if (any && (o.time.empty() || o.latitude.empty() || o.longitude.empty())) {
    throw UsageError("--time, --lat and --lon go together; without them each line of standard "
                     "input is TIME LAT LON");
  }
  if (!any) {
    std::string_view fields[4];
    return filterLines("zenith", o.mode, [&](std::string_view line, Cursor &out, std::string &m) {
      Zenith z{};
      const int n = splitFields(line, fields, 4);
      if (!zenithOf(fields, n, o.lonlat, z, m)) {
        return false;
      }
      if (o.mode.json) {
        zenithJson(z, out);
      } else {
        const int p = o.precision;
        out.fixed(z.julianDate, p).put(' ').fixed(z.declination, p).put(' ');
        out.fixed(z.rightAscension, p).put(' ').put(hmsText(roundHms(z.hms, secondDecimals(p))));
      }
      return true;
    });
  }
  // The options name their values, so --lonlat has nothing to swap here.
  const std::string_view fields[3] = {o.time, o.latitude, o.longitude};
  Zenith z{};
  std::string message;
  if (!zenithOf(fields, 3, false, z, message)) {
    // Named by the options that gave the values.
    for (const char *name : {"TIME", "LAT", "LON"}) {
      if (message.starts_with(std::string(name) + ":")) {
        std::string option = name;
        for (char &c : option) {
          c = static_cast<char>(c - 'A' + 'a');
        }
        message.replace(0, option.size(), "--" + option);
      }
    }
    throw UsageError(message);
  }
  if (o.mode.json) {
    LineBuffer line;
    zenithJson(z, *line);
    return writeResult("zenith", line.str() + '\n');
  }
  const int p = o.precision;
  return writeResult("zenith", "julian date      " + fixedText(z.julianDate, p) +
                                   "\ndeclination      " + fixedText(z.declination, p) +
                                   "°\nright ascension  " + fixedText(z.rightAscension, p) + "°  " +
                                   hmsText(roundHms(z.hms, secondDecimals(p))) + "\n");
}

namespace {

std::function<int()> attachDms(CLI::App *sub, std::vector<std::string> *&values) {
  auto o = std::make_shared<AngleOptions>();
  addValues(sub, o->values, "An angle in degrees, -180 to 180");
  sub->add_flag("--dmm", o->dmm, "Degrees and decimal minutes instead");
  addStream(sub, o->mode,
            "Write JSON: degrees, minutes, seconds (rounded), negative; one object a line "
            "when streaming");
  addPrecision(sub, o->precision, kMaxSecondDecimals,
               "Decimals of the seconds (or of the minutes with --dmm); default 3",
               "1e-10 seconds of arc");
  values = &o->values;
  return [o] { return runDms(*o); };
}

} // namespace

const Command kDmsCommand{
    "dms", "Degrees into degrees, minutes and seconds",
    "An angle of -180 to 180 degrees in any form the command reads. The seconds (or the "
    "minutes with --dmm) are rounded once, at the printed precision, and a rounding up to "
    "60 carries into the minutes and degrees. The sign is shown on the degrees, also for "
    "angles above -1, and dropped when the rounded angle is zero. Without values, converts "
    "standard input line by line (see orrery --help).",
    "  $ orrery dms -45.5\n"
    "  -45° 30' 00.000\"\n"
    "  $ orrery dms 59.99999999\n"
    "  60° 00' 00.000\"\n"
    "  $ orrery dms --dmm -p 1 46:33:29N\n"
    "  46° 33.5'",
    attachDms};

namespace {

std::function<int()> attachHms(CLI::App *sub, std::vector<std::string> *&values) {
  auto o = std::make_shared<AngleOptions>();
  addValues(sub, o->values, "longitude / 180, -3 to 3");
  addStream(sub, o->mode,
            "Write JSON: hours, minutes, seconds (rounded); one object a line when streaming");
  addPrecision(sub, o->precision, kMaxSecondDecimals, "Decimals of the seconds; default 3",
               "1e-10 s");
  values = &o->values;
  return [o] { return runHms(*o); };
}

} // namespace

const Command kHmsCommand{
    "hms", "A normalised longitude into hours, minutes and seconds",
    "NORMALISED_LONGITUDE is longitude / 180: -1 is 0 h, 0 is 12 h; -3 to 3 is accepted "
    "and wrapped like every longitude. The seconds are rounded once, at the printed "
    "precision, and carried; a time that rounds up to 24 h is written 0 h, as the hours "
    "run up to but not including 24. Without values, converts standard input line by line "
    "(see orrery --help).",
    "  $ orrery hms 0.5\n"
    "  18h 00m 00.000s\n"
    "  $ orrery hms 0.999999999999\n"
    "  0h 00m 00.000s",
    attachHms};

namespace {

std::function<int()> attachZenith(CLI::App *sub, std::vector<std::string> *&values) {
  auto o = std::make_shared<ZenithOptions>();
  sub->add_option("--time", o->time, "ISO 8601 UTC time, e.g. 2000-01-01T12:00:00Z");
  sub->add_option("--lat", o->latitude, "Latitude in degrees");
  sub->add_option("--lon", o->longitude, "Longitude in degrees, east positive");
  sub->add_flag("--lonlat", o->lonlat, "Lines of TIME LON LAT");
  addStream(sub, o->mode,
            "Write JSON: time, julian_date, declination, right_ascension (degrees), "
            "right_ascension_hms, right_ascension_rad (radians); one object a line when "
            "streaming");
  addPrecision(sub, o->precision, kMaxDayDecimals,
               "Decimals of the Julian date and of the degrees (the seconds of the right "
               "ascension get 3 fewer); default 6",
               "1e-9 day");
  values = nullptr;
  return [o] { return runZenith(*o); };
}

} // namespace

const Command kZenithCommand{
    "zenith", "The sky straight above a place at a UTC instant",
    "Declination (the latitude) and right ascension (the local mean sidereal time) of the "
    "zenith, in degrees (0 to 360 for the right ascension) and in hours, minutes and "
    "seconds. Given --time, --lat and --lon, one labelled answer; without them, lines of "
    "TIME LAT LON from standard input (see orrery --help), each answered by JULIAN_DATE "
    "DECLINATION RIGHT_ASCENSION and the right ascension in hours. --json adds "
    "right_ascension_rad, the right ascension in radians (0 to 2 pi); the library "
    "(skymath::ComputeZenithInDecRA) gives it as the angle (hours / 12 - 1) pi, -pi to pi "
    "with 0 h at -pi, to which the command adds pi.",
    "  $ orrery zenith --time 2000-01-01T12:00:00Z --lat 45 --lon 0\n"
    "  julian date      2451545.000000\n"
    "  declination      45.000000°\n"
    "  right ascension  280.460618°  18h 41m 50.548s\n"
    "  $ echo '2000-01-01T12:00:00Z 45 0' | orrery zenith\n"
    "  2451545.000000 45.000000 280.460618 18h 41m 50.548s",
    attachZenith};

} // namespace orrery::tool
