#pragma once

// Grid coordinates on the WGS 84 ellipsoid (a = 6378137 m, f = 1/298.257223563):
// the universal transverse Mercator (UTM) and universal polar stereographic
// (UPS) grids, and MGRS references to them.
//
// Latitudes, longitudes and meridian convergence are degrees, eastings and
// northings metres. The transverse Mercator projection is Krueger's series to
// sixth order in the third flattening, accurate to about 5 nm within 4000 km
// of the central meridian (far beyond any zone); the polar stereographic
// projection is exact but for rounding (the conformal latitude, a series of
// the same order, errs by under 1e-17 radians). Results agree with
// GeographicLib's UTMUPS to a few units in the last place: eastings and
// northings to 4 nm, latitudes and longitudes to 5e-14 degrees, convergence
// and scale to 1e-14. A forward and reverse round trip returns to within 1 nm,
// or the resolution of the values on the way where that is coarser (2 nm for
// a northing near 10000 km or a longitude beyond 128 degrees). Every function
// is a pure computation on plain values: no allocation, safe from any thread.
// Failures come back as a GridError in the result, whose other fields are
// then unspecified (NaN or zero).
//
// Zones: 1 to 60 are UTM zones (zone z has central meridian 6 z - 183), zone 0
// (kUpsZone) is UPS. The hemisphere is 'north', true for latitudes whose sign
// bit is clear (so -0 is southern). UTM scale on the central meridian is
// 0.9996 with false easting 500 km and false northing 0 (north) or 10000 km
// (south); UPS scale at the pole is 0.994 with false easting and northing
// 2000 km. The standard zone is UPS for latitudes of 84 and above and below
// -80, else the UTM zone of the longitude with the Norway exception (zone 32
// for 56 <= lat < 64, 3 <= lon < 12) and the Svalbard zones 31, 33, 35, 37
// for 72 <= lat < 84.
//
// Bands: a UTM band letter is C (-80 to -72) up to X (72 to 84), 8 degrees
// each (I and O skipped), lower edge inclusive; a southern point at latitude
// -0 is in band M. A UPS band letter is A or B (south) and Y or Z (north), the
// second of each pair for eastings of 2000 km and more.
//
// Coordinate limits: a UTM easting lies in [0, 1000] km, a northern northing
// in [-9100, 9600] km and a southern one in [900, 19600] km; UPS eastings and
// northings lie in [1200, 2800] km (north) or [700, 3300] km (south). Points
// of the standard zone always fall inside; a forced zone is accepted as far as
// these limits (and for UTM 60 degrees of longitude from the central meridian).

#include "math/Export.h"

#include <string_view>

namespace orrery {

enum class GridError : unsigned char {
  None = 0,
  NotFinite,           // NaN or infinite input
  LatitudeOutOfRange,  // latitude outside [-90, 90]
  ZoneOutOfRange,      // zone not in 0..60 (or kStandardZone where allowed)
  OutsideZone,         // the point or coordinates lie beyond the zone's limits
  PrecisionOutOfRange, // MGRS digits per coordinate not in 0..11
  OutsideMgrsRange,    // coordinates outside the lettered 100 km squares
  BadZoneNumber,       // MGRS zone number missing, malformed or not in 1..60
  BadBandLetter,       // MGRS band letter unknown or wrong for UTM/UPS
  BadColumnLetter,     // MGRS column letter not in the zone's set
  BadRowLetter,        // MGRS row letter not in the grid's set
  SquareNotInBand,     // MGRS 100 km square does not meet its latitude band
  OddDigitCount,       // MGRS easting and northing digits of unequal length
  TooManyDigits,       // MGRS digits beyond 11 per coordinate
  MissingSquare,       // MGRS reference ends before its 100 km square letters
  BadCharacter,        // MGRS reference has a character out of place
};

// A short static description of an error ("" for None).
ORRERY_MATH_API const char *GridErrorText(GridError error);

inline constexpr int kUpsZone = 0;
inline constexpr int kStandardZone = -1;

// A position on the grid. Convergence is the angle from true north to grid
// north, clockwise positive (degrees); scale is the point scale factor.
struct GridPosition {
  GridError error;
  int zone; // 1..60 UTM, 0 UPS
  bool north;
  char band; // 'C'..'X' (UTM) or 'A', 'B', 'Y', 'Z' (UPS)
  double easting, northing;
  double convergence, scale;
};

// A geographic position, longitude in [-180, 180] (180 rather than -180).
struct GeoPosition {
  GridError error;
  double latitude, longitude;
  double convergence, scale;
};

// The standard zone (1..60, or kUpsZone) of a position; kStandardZone (-1) for
// a NaN, infinite or out-of-range latitude or a non-finite longitude.
ORRERY_MATH_API int StandardGridZone(double latitude, double longitude);

// Projects a position into its standard zone, or into 'zone' (0..60) when one
// is forced. The hemisphere follows the latitude's sign in either case.
ORRERY_MATH_API GridPosition LatLonToGrid(double latitude, double longitude,
                                          int zone = kStandardZone);

// The inverse: grid coordinates of 'zone' (0..60) and hemisphere to latitude
// and longitude, with the convergence and scale there.
ORRERY_MATH_API GeoPosition GridToLatLon(int zone, bool north, double easting, double northing);

// An MGRS reference: zone number (two digits, UTM only), band letter, the
// column and row letters of the 100 km square, then 'digits' (0..11) digits
// of easting and as many of northing within the square. The coordinates are
// truncated toward the square's south-west corner, so a reference names the
// cell that contains the point (taken to whole micrometres after one rounding
// of the scaling, as GeoConvert does, so a coordinate within a rounding of a
// cell edge may land in the cell above). A UTM reference carries the
// position's band letter; a UPS one takes its letter from the easting. UTM
// eastings must lie in [100, 900) km and northings in [0, 9500) km (north)
// or [1000, 10000] km (south, 10000 km itself counting as just below it); UPS
// coordinates in [1300, 2700) km (north) or [800, 3200) km (south). The text
// is NUL-terminated, at most 27 characters, and empty on failure.
struct MgrsReference {
  GridError error;
  char text[32];
};

ORRERY_MATH_API MgrsReference GridToMgrs(const GridPosition &position, int digits);
ORRERY_MATH_API MgrsReference LatLonToMgrs(double latitude, double longitude, int digits);

// A decoded MGRS reference: the cell's centre (or its south-west corner when
// 'centre' is false) in grid coordinates, and the digits per coordinate it
// carried. Letters may be either case; zone numbers have one or two digits;
// no blanks are allowed. The band letter picks the 2000 km cycle of the row
// letters; a square that does not meet its band anywhere within 6 degrees of
// the central meridian (the widest zone) is an error.
struct MgrsSquare {
  GridError error;
  int zone; // 1..60 UTM, 0 UPS
  bool north;
  char band;
  int digits;
  double easting, northing;
};

ORRERY_MATH_API MgrsSquare MgrsToGrid(std::string_view reference, bool centre = true);

} // namespace orrery
