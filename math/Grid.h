#pragma once

/// @file
/// Grid coordinates on the WGS 84 ellipsoid (a = 6378137 m, f = 1/298.257223563):
/// the universal transverse Mercator (UTM) and universal polar stereographic
/// (UPS) grids, and MGRS references to them.
///
/// Latitudes, longitudes and meridian convergence are degrees, eastings and
/// northings metres. The transverse Mercator projection is Krueger's series to
/// sixth order in the third flattening, accurate to about 5 nm within 4000 km
/// of the central meridian (far beyond any zone); the polar stereographic
/// projection is exact but for rounding (the conformal latitude, a series of
/// the same order, errs by under 1e-17 radians).
///
/// Against GeographicLib's UTMUPS, over a million points in each of the twelve
/// regions of the test
/// Grid.ForwardAndReverseAgreeWithGeographicLibInEveryRegion (run it with
/// ORRERY_GRID_SAMPLES=1000000; by default it checks the same bounds on 1500
/// points a region): eastings and northings agree to 4.7 nm (in the Norway
/// zone; 3.8 nm, two units in the last place of a northing near 10000 km,
/// elsewhere), latitudes to 5e-14 degrees, longitudes and convergence to
/// 4.7e-14 degrees in the standard zones and in zones forced 12 degrees away,
/// and to 2.2e-13 degrees in zones forced up to 60 degrees away near the 9600
/// km northing limit, where the longitude is ill-conditioned in the formula
/// itself; scales agree to 1.4e-15. A forward, reverse and forward round trip
/// returns to within 3.8 nm.
///
/// Every function is a pure computation on plain values: no allocation, safe
/// from any thread. Failures come back as a GridError in the result, whose
/// other fields are then unspecified (NaN or zero).
///
/// Zones: 1 to 60 are UTM zones (zone z has central meridian 6 z - 183), zone 0
/// (kUpsZone) is UPS. The hemisphere is 'north', true for latitudes whose sign
/// bit is clear (so -0 is southern). UTM scale on the central meridian is
/// 0.9996 with false easting 500 km and false northing 0 (north) or 10000 km
/// (south); UPS scale at the pole is 0.994 with false easting and northing
/// 2000 km. The standard zone is UPS for latitudes of 84 and above and below
/// -80, else the UTM zone of the longitude with the Norway exception (zone 32
/// for 56 <= lat < 64, 3 <= lon < 12) and the Svalbard zones 31, 33, 35, 37
/// for 72 <= lat < 84.
///
/// Bands: a UTM band letter is C (-80 to -72) up to X (72 to 84), 8 degrees
/// each (I and O skipped), lower edge inclusive; a southern point at latitude
/// -0 is in band M. A UPS band letter is A or B (south) and Y or Z (north), the
/// second of each pair for eastings of 2000 km and more.
///
/// Coordinate limits: a UTM easting lies in [0, 1000] km, a northern northing
/// in [-9100, 9600] km and a southern one in [900, 19600] km; UPS eastings and
/// northings lie in [1200, 2800] km (north) or [700, 3300] km (south). Points
/// of the standard zone always fall inside; a forced zone is accepted as far as
/// these limits (and for UTM 60 degrees of longitude from the central meridian).

#include "math/Export.h"

#include <string_view>

namespace orrery {

/// Why a grid conversion failed; None on success.
enum class GridError : unsigned char {
  None = 0,            ///< success
  NotFinite,           ///< NaN or infinite input
  LatitudeOutOfRange,  ///< latitude outside [-90, 90]
  ZoneOutOfRange,      ///< zone not in 0..60 (or kStandardZone where allowed)
  OutsideZone,         ///< the point or coordinates lie beyond the zone's limits
  PrecisionOutOfRange, ///< MGRS digits per coordinate not in 0..11
  OutsideMgrsRange,    ///< coordinates outside the lettered 100 km squares
  BadZoneNumber,       ///< MGRS zone number missing, malformed or not in 1..60
  BadBandLetter,       ///< band letter unknown, wrong for UTM/UPS, or not holding the position
  BadColumnLetter,     ///< MGRS column letter not in the zone's set
  BadRowLetter,        ///< MGRS row letter not in the grid's set
  SquareNotInBand,     ///< MGRS 100 km square does not meet its grid zone
  OddDigitCount,       ///< MGRS easting and northing digits of unequal length
  TooManyDigits,       ///< MGRS digits beyond 11 per coordinate
  MissingSquare,       ///< MGRS reference ends before its 100 km square letters
  BadCharacter,        ///< MGRS reference has a character out of place
};

/// A short static description of an error ("" for None).
ORRERY_MATH_API const char *GridErrorText(GridError error);

/// The zone number of the UPS grid.
inline constexpr int kUpsZone = 0;
/// Asks for the standard zone of a position; also the answer for no zone.
inline constexpr int kStandardZone = -1;

/// @name Grid positions and conversions
/// @{

/// A position on the grid, with the grid's convergence and scale there.
struct GridPosition {
  GridError error; ///< None, or why the other fields are unspecified
  int zone;        ///< 1..60 UTM, 0 UPS
  bool north;      ///< the hemisphere
  char band;       ///< 'C'..'X' (UTM) or 'A', 'B', 'Y', 'Z' (UPS)
  double easting;  ///< metres, false easting included
  double northing; ///< metres, false northing included
  /// The angle from true north to grid north, clockwise positive, degrees.
  double convergence;
  double scale; ///< the point scale factor
};

/// A geographic position, longitude in [-180, 180] (180 rather than -180).
struct GeoPosition {
  GridError error;  ///< None, or why the other fields are unspecified
  double latitude;  ///< degrees
  double longitude; ///< degrees, in [-180, 180]
  /// The angle from true north to grid north, clockwise positive, degrees.
  double convergence;
  double scale; ///< the point scale factor
};

/// The standard zone (1..60, or kUpsZone) of a position; kStandardZone (-1) for
/// a NaN, infinite or out-of-range latitude or a non-finite longitude.
ORRERY_MATH_API int StandardGridZone(double latitude, double longitude);

/// Projects a position into its standard zone, or into 'zone' (0..60) when one
/// is forced. The hemisphere follows the latitude's sign in either case.
ORRERY_MATH_API GridPosition LatLonToGrid(double latitude, double longitude,
                                          int zone = kStandardZone);

/// The inverse: grid coordinates of 'zone' (0..60) and hemisphere to latitude
/// and longitude, with the convergence and scale there.
ORRERY_MATH_API GeoPosition GridToLatLon(int zone, bool north, double easting, double northing);

/// @}

/// @name MGRS references
/// @{

/// An MGRS reference: zone number (two digits, UTM only), band letter, the
/// column and row letters of the 100 km square, then 'digits' (0..11) digits
/// of easting and as many of northing within the square. The coordinates are
/// truncated toward the square's south-west corner, so a reference names the
/// cell that contains the point (taken to whole micrometres after one rounding
/// of the scaling, as GeoConvert does, so a coordinate within a rounding of a
/// cell edge may land in the cell above). A UTM reference carries the
/// position's band letter; a UPS one takes its letter from the easting. UTM
/// eastings must lie in [100, 900) km and northings in [0, 9500) km (north)
/// or [1000, 10000] km (south, 10000 km itself counting as just below it); UPS
/// coordinates in [1300, 2700) km (north) or [800, 3200) km (south). The text
/// is NUL-terminated, at most 27 characters, and empty on failure.
///
/// GridToMgrs checks the position it is given: the band and the hemisphere
/// must hold its coordinates (BadBandLetter otherwise: a UTM band its
/// latitude, within the micrometre of CheckGridBand, and a UPS band the side
/// of the pole), and the square must exist (SquareNotInBand otherwise, as for
/// a position of a forced zone outside the grid zone), so that every reference
/// it writes MgrsToGrid reads back. LatLonToMgrs writes the standard zone's
/// reference, which always passes.
struct MgrsReference {
  GridError error; ///< None, or why text is empty
  char text[32];   ///< the reference, NUL-terminated
};

/// The MGRS reference of a grid position with 'digits' (0..11) digits per
/// coordinate; see MgrsReference for the checks.
ORRERY_MATH_API MgrsReference GridToMgrs(const GridPosition &position, int digits);
/// The MGRS reference, in its standard zone, of a position in degrees.
ORRERY_MATH_API MgrsReference LatLonToMgrs(double latitude, double longitude, int digits);

/// A decoded MGRS reference: the cell's centre (or its south-west corner when
/// 'centre' is false) in grid coordinates, and the digits per coordinate it
/// carried. Letters may be either case; zone numbers have one or two digits;
/// no blanks are allowed.
///
/// A UTM square exists exactly when some point of it lies in its grid zone:
/// the zone's longitudes (6 z - 186 to 6 z - 180, west edge included; in band
/// V zone 31 is 0 to 3 and zone 32 is 3 to 12; in band X zones 31, 33, 35 and
/// 37 are 0 to 9, 9 to 21, 21 to 33 and 33 to 42, and 32, 34 and 36 do not
/// exist) crossed with the band's latitudes; the band letter then picks the
/// 2000 km cycle of the row letter, and the check covers the column as well as
/// the row. 69,450 of the 192,000 UTM references of zone, band, column and row
/// exist (the test Mgrs.EverySquareReferenceIsAcceptedExactlyWhenItMeetsItsGridZone
/// samples every square's edges against the grid zone with GeographicLib's
/// projection); GeoConvert reads every one of them and also 28,470 that miss
/// their grid zone (600 of them the band's latitudes, the others the zone's
/// longitudes), which are errors here (SquareNotInBand). Every lettered UPS
/// square exists. The decision reads a table of each grid zone's rows per
/// column, generated from the projection by scripts/mgrs-squares.cpp.
struct MgrsSquare {
  GridError error; ///< None, or why the other fields are unspecified
  int zone;        ///< 1..60 UTM, 0 UPS
  bool north;      ///< the hemisphere, from the band letter
  char band;       ///< the band letter, upper case
  int digits;      ///< digits per coordinate in the reference, 0..11
  double easting;  ///< metres, of the cell's centre or south-west corner
  double northing; ///< metres, of the cell's centre or south-west corner
};

/// Decodes an MGRS reference; see MgrsSquare.
/// @param reference the text, without blanks, letters in either case
/// @param centre    the cell's centre when true, its south-west corner when false
ORRERY_MATH_API MgrsSquare MgrsToGrid(std::string_view reference, bool centre = true);

/// @}

/// @name Grid zone vocabulary
/// The rules a caller needs to read and write grid zones, bands and squares
/// the way the conversions above decide them.
/// @{

/// The southern limit of the UTM bands, degrees: they cover 80 degrees south
/// to 84 north.
inline constexpr double kUtmSouthLimit = -80.0;
/// The northern limit of the UTM bands, degrees (84 itself is in band X).
inline constexpr double kUtmNorthLimit = 84.0;
/// The false northing of the southern hemisphere's UTM grid, in metres: a
/// point's southern northing less its northern one.
inline constexpr double kUtmSouthernFalseNorthing = 10000000.0;

/// A grid zone designator as written before grid coordinates: a UTM zone or
/// the UPS grid, with a band letter or with the hemisphere alone.
struct GridZoneDesignator {
  GridError error; ///< None, BadZoneNumber or BadBandLetter
  int zone;        ///< 1..60 UTM, kUpsZone
  bool north;      ///< the hemisphere, from the band letter when one is given
  char band;       ///< 'C'..'X' (UTM), 'A', 'B', 'Y', 'Z' (UPS); '\0' for a hemisphere alone
};

/// How a designator's upper-case N and S read after a UTM zone number.
enum class GridZoneLetters : unsigned char {
  Bands,       ///< as band letters, the MGRS usage: "32S" is band S (32 to 40 degrees north)
  Hemispheres, ///< as hemisphere letters: "32S" is the southern hemisphere, "32N" the northern
};

/// Reads a designator written without blanks: a UTM zone number (1 or 2
/// digits, 1..60) followed by an upper-case band letter C..X (not I or O) or
/// a hemisphere ("n", "s", "north", "south", the words in either case); or the
/// UPS grid as a UPS band letter A, B (south), Y, Z (north) or a hemisphere,
/// alone or after the zone number 0. Upper-case N and S after a zone number
/// 1..60 read as 'letters' says; other lower-case letters are no band.
/// Failures name the part at fault: BadZoneNumber (missing, malformed or out
/// of range, or a UTM band letter without a zone) or BadBandLetter.
ORRERY_MATH_API GridZoneDesignator ParseGridZone(std::string_view text,
                                                 GridZoneLetters letters = GridZoneLetters::Bands);

/// A designator as text, NUL-terminated: "32T", "32n" or "32s" (UTM), "Z" or
/// "n" (UPS), the forms ParseGridZone reads back in either reading; empty for
/// a zone, band or hemisphere that do not go together.
struct GridZoneText {
  char text[8]; ///< the designator, NUL-terminated; empty on failure
};

/// Writes a designator as ParseGridZone reads it; see GridZoneText.
ORRERY_MATH_API GridZoneText FormatGridZone(const GridZoneDesignator &zone);

/// The latitudes of a band, south edge included: C is -80 to -72 and so on
/// in steps of 8 degrees to W (64 to 72), X is 72 to 84 with 84 included; UPS
/// bands A and B reach from the south pole to -80, Y and Z from 84 to the
/// north pole. BadBandLetter (and NaN limits) for any other character.
struct GridLatitudeRange {
  GridError error; ///< None or BadBandLetter
  double south;    ///< the south edge, degrees (included)
  double north;    ///< the north edge, degrees
};

/// The latitudes of a band letter; see GridLatitudeRange.
ORRERY_MATH_API GridLatitudeRange GridBandLatitudes(char band);

/// The UTM band letter of a latitude: 'C'..'X' for [-80, 84] (84 itself is in
/// X, as a forced UTM zone takes it), '\0' outside and for NaN. Latitude -0 is
/// southern and in band M.
ORRERY_MATH_API char UtmBand(double latitude);

/// The UPS band letter of an easting: A (south) or Y (north) west of the
/// pole's meridians, eastings below 2000 km; B or Z from 2000 km; '\0' for NaN.
ORRERY_MATH_API char UpsBand(bool north, double easting);

/// The latitude allowance, degrees, of a band check on grid coordinates that
/// may each be off by 'uncertainty' metres (half a unit in the last decimal
/// written: 0.5 for whole metres): the most their error moves the latitude,
/// turned through the grid convergence (degrees) and shrunk by the smallest
/// scale and meridian radius of the UTM grid, plus a micrometre for the
/// conversion itself. NaN for a negative or non-finite argument. With it,
/// every "zone band easting northing" written to 0..9 decimals of a point
/// within a metre of a band or zone edge reads back, and a point 2.5 m past a
/// band's edge is refused at whole metres (the test
/// GridZoneVocabulary.EveryLineWrittenAtEveryPrecisionReadsBackNearBandAndZoneEdges).
ORRERY_MATH_API double GridBandAllowance(double uncertainty, double convergence);

/// Checks a designator's band against grid coordinates given to within
/// 'uncertainty' metres and the position GridToLatLon found for them: a UTM
/// band must hold the latitude within GridBandAllowance, a UPS band must lie
/// on the easting's side of the pole within 'uncertainty' (plus a
/// micrometre); a hemisphere alone passes. Returns None, or BadBandLetter
/// when the band does not hold the position or does not belong to the zone
/// and hemisphere, or NotFinite for non-finite input.
ORRERY_MATH_API GridError CheckGridBand(const GridZoneDesignator &zone, double easting,
                                        const GeoPosition &found, double uncertainty);

/// Whether an MGRS 100 km square exists: 'zone' 1..60 with a UTM band, or
/// kUpsZone with a UPS band, and the square's column and row letters (either
/// case). See MgrsToGrid for the rule; this is its square check alone.
ORRERY_MATH_API bool MgrsSquareExists(int zone, char band, char column, char row);

/// The point a grid zone written without a square ("32T") stands for, the one
/// other grid converters give: on the central meridian (400 km east in 31V,
/// where the zone narrows to 0 to 3 degrees east), at the band's middle
/// latitude (X counted as 72 to 80 degrees) taken as 10,000 km per 90 degrees
/// and rounded to whole 100 km; on a polar grid, 400 km from the pole on the
/// meridian 90 degrees west or east of it. Returned with no digits; a
/// designator without a band (a hemisphere alone) or in error gives
/// BadBandLetter.
ORRERY_MATH_API MgrsSquare GridZonePoint(const GridZoneDesignator &zone);

/// @}

} // namespace orrery
