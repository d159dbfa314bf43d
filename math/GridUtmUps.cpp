// The UTM and UPS grid rules: zones, hemispheres, bands and coordinate
// limits over the transverse Mercator and polar stereographic projections of
// WGS 84, and the zone designators and band checks of the grid vocabulary.

#include "math/Grid.h"
#include "math/detail/Angles.h"
#include "math/detail/GridCore.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orrery {

namespace {

using detail::kUpsFalseOrigin;
using detail::kUpsScale;
using detail::kUtmBandLetters;
using detail::kUtmFalseEasting;
using detail::kUtmFalseNorthing;
using detail::kUtmScale;
using detail::kWgs84;
using detail::letterIndex;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// An angle in degrees reduced exactly into [-180, 180]: remainder(deg, 360),
// which within that range is deg itself (at +-180 the quotient's tie goes to
// the even 0). The C library's remainder sets and restores the rounding
// mode, as slow as a sine, so the call is kept for angles outside.
double reduceDegrees(double deg) {
  return std::fabs(deg) <= 180.0 ? deg : std::remainder(deg, 360.0);
}

// Coordinate limits in metres: [minimum, maximum] of easting and northing.
struct Limits {
  double eMin, eMax, nMin, nMax;
};

Limits limits(int zone, bool north) {
  if (zone == kUpsZone) {
    return north ? Limits{1200e3, 2800e3, 1200e3, 2800e3} : Limits{700e3, 3300e3, 700e3, 3300e3};
  }
  return north ? Limits{0.0, 1000e3, -9100e3, 9600e3} : Limits{0.0, 1000e3, 900e3, 19600e3};
}

bool inside(const Limits &l, double easting, double northing) {
  return easting >= l.eMin && easting <= l.eMax && northing >= l.nMin && northing <= l.nMax;
}

char utmBand(double lat, bool north) {
  int index = static_cast<int>(std::floor(lat / 8.0)) + 10;
  index = std::clamp(index, 0, 19);
  if (!north && index >= 10) {
    index = 9; // latitude -0 is southern
  }
  return kUtmBandLetters[index];
}

GridPosition positionFailure(GridError error) {
  return GridPosition{error, 0, false, 0, kNaN, kNaN, kNaN, kNaN};
}

GeoPosition geoFailure(GridError error) { return GeoPosition{error, kNaN, kNaN, kNaN, kNaN}; }

} // namespace

const char *GridErrorText(GridError error) {
  switch (error) {
  case GridError::None:
    return "";
  case GridError::NotFinite:
    return "coordinate is NaN or infinite";
  case GridError::LatitudeOutOfRange:
    return "latitude outside [-90, 90]";
  case GridError::ZoneOutOfRange:
    return "zone outside 0..60";
  case GridError::OutsideZone:
    return "point outside the limits of the zone";
  case GridError::PrecisionOutOfRange:
    return "MGRS precision outside 0..11 digits";
  case GridError::OutsideMgrsRange:
    return "coordinates outside the MGRS squares of the zone";
  case GridError::BadZoneNumber:
    return "MGRS zone number missing or outside 1..60";
  case GridError::BadBandLetter:
    return "MGRS band letter unknown";
  case GridError::BadColumnLetter:
    return "MGRS column letter not used in this zone";
  case GridError::BadRowLetter:
    return "MGRS row letter not used in this grid";
  case GridError::SquareNotInBand:
    return "MGRS 100 km square outside its grid zone";
  case GridError::OddDigitCount:
    return "MGRS easting and northing digits differ in number";
  case GridError::TooManyDigits:
    return "MGRS reference has more than 11 digits per coordinate";
  case GridError::MissingSquare:
    return "MGRS reference lacks its 100 km square letters";
  case GridError::BadCharacter:
    return "MGRS reference has an unexpected character";
  }
  return "unknown grid error";
}

int StandardGridZone(double latitude, double longitude) {
  if (!(std::fabs(latitude) <= 90.0) || !std::isfinite(longitude)) {
    return kStandardZone;
  }
  if (latitude >= 84.0 || latitude < -80.0) {
    return kUpsZone;
  }
  // Whole degrees in [-180, 180): the zone edges fall on integers, so the
  // floor decides exactly which side a longitude lies.
  int degree = static_cast<int>(std::floor(reduceDegrees(longitude)));
  if (degree == 180) {
    degree = -180;
  }
  int zone = (degree + 180) / 6 + 1;
  if (latitude >= 56.0 && latitude < 64.0 && degree >= 3 && degree < 12) {
    zone = 32;
  } else if (latitude >= 72.0 && degree >= 0 && degree < 42) {
    zone = 2 * ((degree + 3) / 12) + 31; // 0-8: 31, 9-20: 33, 21-32: 35, 33-41: 37
  }
  return zone;
}

GridPosition LatLonToGrid(double latitude, double longitude, int zone) {
  if (!std::isfinite(latitude) || !std::isfinite(longitude)) {
    return positionFailure(GridError::NotFinite);
  }
  if (!(std::fabs(latitude) <= 90.0)) {
    return positionFailure(GridError::LatitudeOutOfRange);
  }
  if (zone == kStandardZone) {
    zone = StandardGridZone(latitude, longitude);
  } else if (zone < 0 || zone > 60) {
    return positionFailure(GridError::ZoneOutOfRange);
  }
  GridPosition p;
  p.error = GridError::None;
  p.zone = zone;
  p.north = !std::signbit(latitude);
  const double lon = reduceDegrees(longitude);
  if (zone == kUpsZone) {
    const detail::PolarPoint ps = detail::polarForward(kWgs84, kUpsScale, std::fabs(latitude), lon);
    p.easting = kUpsFalseOrigin + ps.x;
    p.northing = p.north ? kUpsFalseOrigin - ps.y : kUpsFalseOrigin + ps.y;
    p.convergence = p.north ? lon : -lon;
    p.scale = ps.scale;
    p.band = p.north ? (p.easting >= kUpsFalseOrigin ? 'Z' : 'Y')
                     : (p.easting >= kUpsFalseOrigin ? 'B' : 'A');
  } else {
    // Longitude from the central meridian, taken near it before subtracting
    // so that the difference is rounded once, at its own magnitude.
    double centre = 6.0 * zone - 183.0;
    if (lon - centre > 180.0) {
      centre += 360.0;
    } else if (lon - centre < -180.0) {
      centre -= 360.0;
    }
    const double dlon = lon - centre;
    if (std::fabs(dlon) > 60.0) {
      return positionFailure(GridError::OutsideZone);
    }
    const detail::TmPoint tm = detail::tmForward(kWgs84, latitude, dlon);
    const double scaleA = kUtmScale * kWgs84.a * kWgs84.rectifyingOverA;
    p.easting = kUtmFalseEasting + scaleA * tm.eta;
    p.northing = scaleA * tm.xi + (p.north ? 0.0 : kUtmFalseNorthing);
    p.convergence = tm.gamma * detail::kRadToDeg;
    p.scale = kUtmScale * tm.scale;
    p.band = utmBand(latitude, p.north);
  }
  if (!inside(limits(zone, p.north), p.easting, p.northing)) {
    return positionFailure(GridError::OutsideZone);
  }
  return p;
}

GeoPosition GridToLatLon(int zone, bool north, double easting, double northing) {
  if (!std::isfinite(easting) || !std::isfinite(northing)) {
    return geoFailure(GridError::NotFinite);
  }
  if (zone < 0 || zone > 60) {
    return geoFailure(GridError::ZoneOutOfRange);
  }
  if (!inside(limits(zone, north), easting, northing)) {
    return geoFailure(GridError::OutsideZone);
  }
  GeoPosition g;
  g.error = GridError::None;
  if (zone == kUpsZone) {
    // The projection's y runs away from the pole along longitude 0: south
    // on the northern grid, north on the southern.
    const double y = northing - kUpsFalseOrigin;
    const detail::PolarPosition ps =
        detail::polarReverse(kWgs84, kUpsScale, easting - kUpsFalseOrigin, north ? -y : y);
    g.latitude = north ? ps.latitude : -ps.latitude;
    g.longitude = ps.longitude;
    g.convergence = north ? g.longitude : -g.longitude;
    g.scale = ps.scale;
  } else {
    const double scaleA = kUtmScale * kWgs84.a * kWgs84.rectifyingOverA;
    const double xi = (northing - (north ? 0.0 : kUtmFalseNorthing)) / scaleA;
    const double eta = (easting - kUtmFalseEasting) / scaleA;
    const detail::TmPoint tm = detail::tmReverse(kWgs84, xi, eta);
    g.latitude = tm.latitude;
    g.longitude = reduceDegrees(6.0 * zone - 183.0 + tm.lambda);
    g.convergence = tm.gamma * detail::kRadToDeg;
    g.scale = kUtmScale * tm.scale;
  }
  if (g.longitude == -180.0) {
    g.longitude = 180.0;
  }
  return g;
}

GridZoneDesignator ParseGridZone(std::string_view text, GridZoneLetters letters) {
  GridZoneDesignator z{GridError::None, kUpsZone, true, '\0'};
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
    if (digits == 2) {
      return GridZoneDesignator{GridError::BadZoneNumber, 0, false, '\0'};
    }
    z.zone = 10 * z.zone + (text[digits++] - '0');
  }
  const std::string_view rest = text.substr(digits);
  const bool utm = digits > 0 && z.zone != kUpsZone;
  if (z.zone > 60) {
    return GridZoneDesignator{GridError::BadZoneNumber, 0, false, '\0'};
  }
  const auto failure = [](GridError error) { return GridZoneDesignator{error, 0, false, '\0'}; };
  // Hemisphere words in either case, single letters as the reading says.
  const auto word = [rest](std::string_view w) {
    if (rest.size() != w.size()) {
      return false;
    }
    for (std::size_t i = 0; i < w.size(); ++i) {
      const char c = rest[i] >= 'A' && rest[i] <= 'Z' ? static_cast<char>(rest[i] + 32) : rest[i];
      if (c != w[i]) {
        return false;
      }
    }
    return true;
  };
  if (rest == "n" || word("north")) {
    z.north = true;
    return z;
  }
  if (rest == "s" || word("south")) {
    z.north = false;
    return z;
  }
  if (rest.size() != 1) {
    return failure(rest.empty() && digits == 0 ? GridError::BadZoneNumber
                                               : GridError::BadBandLetter);
  }
  const char c = rest[0];
  if ((c == 'N' || c == 'S') && (!utm || letters == GridZoneLetters::Hemispheres)) {
    z.north = c == 'N';
    return z;
  }
  if (utm) {
    if (letterIndex(kUtmBandLetters, c) < 0) {
      return failure(GridError::BadBandLetter);
    }
    z.north = c >= 'N';
  } else {
    if (c != 'A' && c != 'B' && c != 'Y' && c != 'Z') {
      // A UTM band letter without its zone number.
      return failure(digits == 0 && letterIndex(kUtmBandLetters, c) >= 0
                         ? GridError::BadZoneNumber
                         : GridError::BadBandLetter);
    }
    z.north = c >= 'Y';
  }
  z.band = c;
  return z;
}

GridZoneText FormatGridZone(const GridZoneDesignator &zone) {
  GridZoneText t{};
  if (zone.error != GridError::None || zone.zone < 0 || zone.zone > 60) {
    return t;
  }
  char *out = t.text;
  if (zone.zone != kUpsZone) {
    if (zone.zone >= 10) {
      *out++ = static_cast<char>('0' + zone.zone / 10);
    }
    *out++ = static_cast<char>('0' + zone.zone % 10);
  }
  if (zone.band == '\0') {
    *out = zone.north ? 'n' : 's';
    return t;
  }
  const bool fits = zone.zone == kUpsZone ? (zone.north ? zone.band == 'Y' || zone.band == 'Z'
                                                        : zone.band == 'A' || zone.band == 'B')
                                          : letterIndex(kUtmBandLetters, zone.band) >= 0 &&
                                                (zone.band >= 'N') == zone.north;
  if (!fits) {
    return GridZoneText{};
  }
  *out = zone.band;
  return t;
}

GridLatitudeRange GridBandLatitudes(char band) {
  if (band == 'A' || band == 'B') {
    return GridLatitudeRange{GridError::None, -90.0, kUtmSouthLimit};
  }
  if (band == 'Y' || band == 'Z') {
    return GridLatitudeRange{GridError::None, kUtmNorthLimit, 90.0};
  }
  const int index = band == '\0' ? -1 : letterIndex(kUtmBandLetters, band);
  if (index < 0) {
    return GridLatitudeRange{GridError::BadBandLetter, kNaN, kNaN};
  }
  const double south = kUtmSouthLimit + 8.0 * index;
  return GridLatitudeRange{GridError::None, south, index == 19 ? kUtmNorthLimit : south + 8.0};
}

char UtmBand(double latitude) {
  if (!(latitude >= kUtmSouthLimit && latitude <= kUtmNorthLimit)) {
    return '\0';
  }
  return utmBand(latitude, !std::signbit(latitude));
}

char UpsBand(bool north, double easting) {
  if (std::isnan(easting)) {
    return '\0';
  }
  const bool east = easting >= kUpsFalseOrigin;
  return north ? (east ? 'Z' : 'Y') : (east ? 'B' : 'A');
}

double GridBandAllowance(double uncertainty, double convergence) {
  if (!(uncertainty >= 0.0) || !std::isfinite(uncertainty) || !std::isfinite(convergence)) {
    return kNaN;
  }
  // An error of u in both easting and northing moves a point at most
  // u (|cos g| + |sin g|) grid metres along the meridian; on the ground that
  // is at most 1 / 0.9996 times as far, and a degree of latitude is nowhere
  // shorter than on the equator, where the meridian's radius is a (1 - e^2).
  constexpr double kConversionMetres = 1e-6; // projection and decimal reading, with room
  double s, c;
  detail::sinCosDegrees(reduceDegrees(convergence), s, c);
  const double metres = uncertainty * (std::fabs(c) + std::fabs(s)) + kConversionMetres;
  return metres / (kUtmScale * kWgs84.a * kWgs84.oneMinusE2) * detail::kRadToDeg;
}

GridError CheckGridBand(const GridZoneDesignator &zone, double easting, const GeoPosition &found,
                        double uncertainty) {
  if (zone.band == '\0') {
    return GridError::None;
  }
  if (zone.zone == kUpsZone) {
    if (!std::isfinite(easting) || !std::isfinite(uncertainty)) {
      return GridError::NotFinite;
    }
    const double slack = uncertainty + 1e-6; // metres, as GridBandAllowance
    switch (zone.band) {
    case 'A':
    case 'Y':
      return (zone.band == 'Y') == zone.north && easting < kUpsFalseOrigin + slack
                 ? GridError::None
                 : GridError::BadBandLetter;
    case 'B':
    case 'Z':
      return (zone.band == 'Z') == zone.north && easting >= kUpsFalseOrigin - slack
                 ? GridError::None
                 : GridError::BadBandLetter;
    default:
      return GridError::BadBandLetter;
    }
  }
  const GridLatitudeRange range = GridBandLatitudes(zone.band);
  if (range.error != GridError::None || zone.band == 'A' || zone.band == 'B' || zone.band == 'Y' ||
      zone.band == 'Z' || (zone.band >= 'N') != zone.north) {
    return GridError::BadBandLetter;
  }
  const double allowance = GridBandAllowance(uncertainty, found.convergence);
  if (std::isnan(allowance) || !std::isfinite(found.latitude)) {
    return GridError::NotFinite;
  }
  return found.latitude >= range.south - allowance && found.latitude <= range.north + allowance
             ? GridError::None
             : GridError::BadBandLetter;
}

} // namespace orrery
