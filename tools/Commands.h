#pragma once

// The subcommands of orrery. main parses the command line into these option
// sets (numbers are kept as text so that every argument is checked, and
// named in its message, by the same parsers as the input lines); each run
// function returns the exit status.

#include "tools/Stream.h"

#include <string>
#include <vector>

namespace orrery::tool {

// Largest decimals of each -p: what the double arithmetic carries (1e-9 m,
// 1e-10 seconds of arc or of time, 1e-15 planet radii).
inline constexpr int kMaxMetreDecimals = 9;
inline constexpr int kMaxSecondDecimals = 10;
inline constexpr int kMaxUnitDecimals = 15;
inline constexpr int kMaxMgrsDigits = 11; // 1 micrometre
inline constexpr int kMaxDayDecimals = 9;
inline constexpr int kMaxViewDecimals = 12; // degrees and (u, v) of the camera arithmetic  // a
                                            // Julian date near 2.45e6 carries 5e-10 day

struct UtmOptions {
  std::vector<std::string> values; // none: read standard input
  bool inverse = false;
  bool lonlat = false;            // longitude before latitude
  bool viewerSeries = false;      // gridlot::UTMZone's series instead of the exact projection
  bool convergence = false;       // also meridian convergence and scale
  bool hemisphere = false;        // write 32n rather than 32 T
  bool hemisphereLetters = false; // read 32N and 32S as hemispheres
  std::string zone; // forced zone: 1..60, 0 or ups, maybe with n or s; empty for the standard one
  StreamMode mode;
  int precision = 3; // decimals of metres; degrees get 5 more
};
int runUtm(const UtmOptions &o);

struct MgrsOptions {
  std::vector<std::string> values; // none: read standard input
  bool inverse = false;
  bool corner = false; // inverse: the south-west corner instead of the centre
  bool lonlat = false;
  StreamMode mode;
  int precision = 5; // digits per coordinate; the inverse's degrees get 3 more decimals
};
int runMgrs(const MgrsOptions &o);

struct ConvertOptions {
  std::string from = "lla";
  std::string to = "cart";
  std::vector<std::string> values; // none: read standard input
  bool lonlat = false;             // the library's component order, longitude first
  StreamMode mode;
  int precision = -1; // decimals, or -1 for the shortest exact form
};
int runConvert(const ConvertOptions &o);

struct AngleOptions {
  std::vector<std::string> values; // none: read standard input
  bool dmm = false;                // dms only: degrees and decimal minutes
  StreamMode mode;
  int precision = 3; // decimals of the seconds (or minutes)
};
int runDms(const AngleOptions &o);
int runHms(const AngleOptions &o);

struct ZenithOptions {
  std::string time; // all three empty: read standard input
  std::string latitude;
  std::string longitude;
  bool lonlat = false;
  StreamMode mode;
  int precision = 6; // decimals of the Julian date and the degrees; seconds get 3 fewer
};
int runZenith(const ZenithOptions &o);

struct OrientOptions {
  std::string eye;
  std::string lookAt;
  bool lonlat = false;
  bool json = false;
  int precision = 6; // decimals of degrees
};
int runOrient(const OrientOptions &o);

// A photograph on a surface and a camera looking at it. Places are
// "LAT,LON,ALT" in degrees and metres; angles in degrees.
struct CullOptions {
  std::string shape = "sphere";
  std::string photo = "46.5580,7.9850,3470";
  std::string facing = "135";
  std::string distance = "500";
  std::string angles = "30,-30,-60,60"; // top, bottom, left, right
  std::string eye = "46.5580,7.9850,3472";
  std::string lookAt = "46.5496,7.9895,3400";
  std::string fov = "40";
  std::string aspect = "1.5";
  std::string near = "1";
  std::string far = "100000";
  std::string svg; // file for the drawing, if any
  bool json = false;
  int precision = 6; // decimals of u and v
};
int runCull(const CullOptions &o);

struct DemoOptions {
  std::string svg;
  bool json = false;
  int precision = 6; // decimals of the visible part's u and v
};
int runDemo(const DemoOptions &o);

} // namespace orrery::tool
