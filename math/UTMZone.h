#pragma once

/// @file
/// UTM zones and the transverse Mercator projection of the WGS 84 ellipsoid.
///
/// Latitudes and longitudes are degrees, eastings and northings metres. The
/// projection is the classic power series in the longitude offset with the
/// squared eccentricity rounded to 0.00669438: within 3 degrees of the central
/// meridian it agrees with an exact transverse Mercator to about 1 mm (worst
/// near latitude 70), drifting to about 1 cm at 6 degrees on the equator. A
/// forward and inverse round trip returns the position to about 1e-8 degrees
/// within 3 degrees of the central meridian (every natural zone) and to about
/// 1.2e-6 degrees in the widened Norway and Svalbard zones, which reach 6
/// degrees from their meridians.
///
/// Bands: 8 degrees each from 'C' (-80) to 'W' (64 to 72, letters I and O
/// unused), lower edge inclusive; the top band 'X' spans 72 to 84 and is closed
/// at both ends, so latitude 84 itself is a UTM position here, in the zone of
/// its longitude (the Svalbard zones stop below 84). GeographicLib's UTMUPS,
/// which the tests use as reference, takes UTM as the half-open [-80, 84) and
/// hands latitude 84 to the polar stereographic grid, so its standard zone there
/// is 0; on [-80, 84) the zone numbers agree everywhere. Outside [-80, 84] the
/// letter is 'Z', though a zone number is still given and the conversions still
/// run (where a polar grid would be used instead).
///
/// Zone numbers come from the longitude wrapped into [-180, 180), with the
/// southern Norway zone 32 (56 to 64 N, 3 to 12 E) and the Svalbard zones 31,
/// 33, 35 and 37 (72 to 84 N, not including 84). Longitudes below -180 are
/// outside the domain and give a meaningless zone number. A longitude that
/// cannot be wrapped (NaN, infinite, or of magnitude beyond about 7.7e11
/// degrees) gives zone number 0, and projecting it gives NaN easting and
/// northing.

#include "math/Export.h"

namespace gridlot {

/// A UTM zone (number and band letter) and the projection into it.
class ORRERY_MATH_API UTMZone {
public:
  /// The zone containing the position, degrees.
  UTMZone(double latitude, double longitude);
  /// An explicit zone (1 to 60) and band letter, taken as given.
  UTMZone(unsigned char zone, char letter);
  /// Copies the zone number and letter.
  UTMZone(const UTMZone &other);
  /// Copies the zone number and letter.
  UTMZone &operator=(const UTMZone &other);

  /// The zone number, 1 to 60; 0 for a longitude that cannot be wrapped.
  unsigned char getZoneNumber() const { return mZoneNumber; }
  /// The band letter, 'C' to 'X', or 'Z' outside the bands.
  char getZoneLetter() const { return mZoneLetter; }

  /// The band letter of a latitude; 'Z' outside [-80, 84] and for NaN.
  static char ComputeUTMZoneLetter(double latitude);

  /// Projects a position into this zone (whatever zone contains it), so a
  /// caller can work across a zone border. The northing takes the false
  /// northing of 10000 km when the latitude is negative, whatever the letter.
  /// @param latitude, longitude  degrees
  /// @param[out] easting, northing  metres
  void LatLongToUTM(const double &latitude, const double &longitude, double *easting,
                    double *northing) const;
  /// The inverse within this zone: letters before 'N' are southern, the others
  /// (and 'Z') northern. The longitude is not wrapped.
  /// @param easting, northing  metres
  /// @param[out] latitude, longitude  degrees
  void UTMToLatLong(const double &easting, const double &northing, double *latitude,
                    double *longitude) const;

private:
  unsigned char mZoneNumber;
  char mZoneLetter;
};

} // namespace gridlot
