#pragma once

// The subcommands of orrery. main parses the command line into these option
// sets (numbers are kept as text so that every argument is checked, and
// named in its message, by the same parsers as the input lines); each run
// function returns the exit status.

#include <string>
#include <vector>

namespace orrery::tool {

struct UtmOptions {
  std::vector<std::string> values; // none: read standard input
  bool inverse = false;
  bool strict = false;
  bool json = false;
  int precision = 3; // decimals of metres; degrees get 5 more
};
int runUtm(const UtmOptions &o);

struct ConvertOptions {
  std::string from = "lla";
  std::string to = "cart";
  std::vector<std::string> values; // none: read standard input
  bool strict = false;
  bool json = false;
  int precision = -1; // decimals, or -1 for the shortest exact form
};
int runConvert(const ConvertOptions &o);

struct AngleOptions {
  std::string value;
  bool dmm = false; // dms only: degrees and decimal minutes
  bool json = false;
  int precision = 3; // decimals of the seconds (or minutes)
};
int runDms(const AngleOptions &o);
int runHms(const AngleOptions &o);

struct ZenithOptions {
  std::string time;
  std::string latitude;
  std::string longitude;
  bool json = false;
};
int runZenith(const ZenithOptions &o);

struct OrientOptions {
  std::string eye;
  std::string lookAt;
  bool json = false;
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
};
int runCull(const CullOptions &o);

struct DemoOptions {
  std::string svg;
  bool json = false;
};
int runDemo(const DemoOptions &o);

} // namespace orrery::tool
