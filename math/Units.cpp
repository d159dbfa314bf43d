#include "math/Units.h"

#include <cmath>

namespace orrery {

namespace {

constexpr double kUnitsDefaultRadius = 6371000.0; // metres, the mean Earth radius
constexpr double kUnitsDegToRad = 0.017453292519943295;

double unitsConvert(const double *table, double value, int from, int to) {
  // The reciprocal of the target factor times the value already in metres.
  return (1.0 / table[to]) * (value * table[from]);
}

} // namespace

// Constant-initialised, so the defaults are in place before any caller runs.
constinit double Units::sPlanetRadius = kUnitsDefaultRadius;
constinit double Units::sInvPlanetRadius = 1.0 / kUnitsDefaultRadius;
constinit double Units::distanceToMeters[12] = {
    0.001,                               // kMillimeters
    0.01,                                // kCentimeters
    1.0,                                 // kMeters
    1000.0,                              // kKilometers
    0.0254,                              // kInches
    0.3048,                              // kFeet
    0.9144,                              // kYards
    1609.344,                            // kMiles
    kUnitsDefaultRadius,                 // kPlanetRadii
    1852.0,                              // kNauticalMiles
    1.7018,                              // kCustomLength
    kUnitsDefaultRadius *kUnitsDegToRad, // kDegrees: one degree of arc on the surface
};
// Taken as tabulated, not derived from the length factors.
constinit double Units::areaToMeters[12] = {
    1.0,            // kSquareMeters
    100.0,          // kAres
    10000.0,        // kHectares
    1000000.0,      // kSquareKilometers
    0.092903034966, // kSquareFeet
    0.836127314691, // kSquareYards
    2589988.0,      // kSquareMiles
    4046.856,       // kAcres
    3429903.85388,  // kSquareNauticalMiles
    0.0,
    0.0,
    0.0,
};

void Units::setPlanetRadius(double radius) {
  sPlanetRadius = radius;
  sInvPlanetRadius = 1.0 / radius;
  distanceToMeters[kPlanetRadii] = radius;
  distanceToMeters[kDegrees] = radius * kUnitsDegToRad;
}

double Units::convertLength(double value, LType from, LType to) {
  return unitsConvert(distanceToMeters, value, from, to);
}

double Units::convertArea(double value, AType from, AType to) {
  return unitsConvert(areaToMeters, value, from, to);
}

double clockwiseAngle(const Vec3d &a, const Vec3d &b, const Vec3d &n) {
  Vec3d c;
  c.set(n.y * b.z - n.z * b.y, n.z * b.x - n.x * b.z, n.x * b.y - n.y * b.x);
  return -std::atan2(dot(a, c), dot(a, b));
}

} // namespace orrery
