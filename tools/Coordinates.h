#pragma once

// Angles, positions and grid zones as people type them, and angles written
// back in degrees, minutes and seconds. Shared by every subcommand that reads
// a place, so that they all accept the same forms and refuse the same
// values with the same words.
//
// Angles: signed decimal degrees ("-33.9"), a hemisphere letter before or
// after the number ("33.9S", "S33.9", "7.985E"), or degrees, minutes and
// seconds ("46d33'29\"N", "46:33:29N", "46°33′29″N", "46d33.5'"; minutes
// and seconds below 60, a fraction on the last part only). A letter and a
// sign together are refused.
//
// Positions are latitude before longitude unless the caller asks for
// longitude first; two angles that both carry hemisphere letters may come
// in either order. Longitudes from -540 to 540 degrees are accepted and
// those beyond ±180 are shifted by 360 into [-180, 180].

#include <string>
#include <string_view>

namespace orrery::tool {

struct Angle {
  double degrees = 0.0; // signed
  char hemisphere = 0;  // 'N', 'S', 'E' or 'W' when a letter was given
};

// One angle; false with a message naming name otherwise.
bool parseAngle(std::string_view token, std::string_view name, Angle &angle, std::string &message);

struct LatLon {
  double latitude;
  double longitude; // wrapped into [-180, 180]
};

// A latitude (-90 to 90) and a longitude (-540 to 540, wrapped) from two
// fields; lonlat takes the longitude first when no letters decide.
bool parseLatLon(std::string_view first, std::string_view second, bool lonlat, LatLon &position,
                 std::string &message);

// The longitude wrapped into [-180, 180], or false with a message when it
// lies outside -540 to 540 degrees.
bool wrapLongitude(double &longitude, std::string_view name, std::string &message);

// "56.3°N", "33.9°S", "0°" with the given decimals, for messages.
std::string latitudeText(double latitude, int decimals);

// A UTM zone with either a hemisphere ("34s", "34 s", "34 south") or a
// latitude band letter ("32T", "32 T"; C to X without I and O), or the polar
// grid (UPS): zone 0 with a hemisphere or a polar band letter A, B (south), Y,
// Z (north) ("0 Z", "0n"), or the hemisphere or polar band alone ("n", "Z"),
// as GeoConvert writes it.
struct GridZone {
  int zone = 0;      // 1..60, or 0 for UPS
  char band = 0;     // the band letter, or 0 when a hemisphere was given
  bool north = true; // the hemisphere, from the band when one was given
};

// Reads the zone at the start of fields and returns how many fields it took
// (1 or 2), or 0 with a message. values is how many numbers must follow it
// (2 for easting and northing), so a wrong count is named as such.
int parseGridZone(const std::string_view *fields, int count, int values, GridZone &zone,
                  std::string &message);

// Checks the latitude the inverse found against the zone: within the band
// named, or within the UTM grid (80°S to 84°N) for a hemisphere, allowing
// tolerance degrees across the edge. The message names both and suggests the
// other way of writing the zone.
bool checkGridLatitude(const GridZone &zone, std::string_view northing, double latitude,
                       double tolerance, std::string &message);

// Checks a polar band letter against the easting (A and Y west of the pole,
// below 2000000 m; B and Z east), allowing tolerance metres across it.
bool checkPolarBand(const GridZone &zone, std::string_view eastingText, double easting,
                    double tolerance, std::string &message);

// An angle's magnitude split into whole units, minutes and the last part in
// units of 10^-decimals, rounded once and carried: 59.99999999 degrees at 3
// decimals of seconds is 60° 00' 00.000". seconds false gives decimal minutes.
struct Sexagesimal {
  long long whole = 0;
  long long minutes = 0;
  long long ticks = 0; // seconds (or minutes) × 10^decimals
  long long scale = 1; // 10^decimals
};
Sexagesimal roundSexagesimal(double whole, double minutes, double seconds, int decimals);
Sexagesimal roundMinutes(double whole, double minutes, int decimals);

// ticks / scale as "SS.fff" with at least two digits before the point.
std::string tickText(const Sexagesimal &s);

} // namespace orrery::tool
