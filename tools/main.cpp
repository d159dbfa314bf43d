// orrery: the geometry library from the shell. Parses the command line with
// CLI11 and hands the options to the subcommands of Commands.h.

#include "tools/Commands.h"
#include "tools/Stream.h"
#include "tools/Text.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstring>
#include <exception>
#include <functional>
#include <string>

namespace {

using namespace orrery::tool;

const char *const kVersion = "0.1.0";

const char *const kSubcommands[] = {"utm",    "mgrs",   "convert", "dms", "hms",
                                    "zenith", "orient", "cull",    "demo"};

const char *const kConventions =
    "Positions are latitude before longitude in every subcommand; --lonlat (utm, mgrs, "
    "convert, zenith, orient) takes the longitude first. Angles may be signed decimal degrees "
    "(-33.9), "
    "carry a hemisphere letter before or "
    "after the number (33.9S, S33.9, 7.985E; two such values may come in either order), or be "
    "degrees, minutes and seconds (46d33'29\"N, 46:33:29N, 46°33′29″N). Longitudes from -540 "
    "to 540 degrees are wrapped into -180 to 180.\n\n"
    "Streams: utm, mgrs, convert, dms, hms and zenith given no values read standard input, one "
    "record "
    "a line (fields separated by blanks or commas), and write exactly one line for every input "
    "line, so `paste input output` keeps each row beside its answer: the answer; for a bad "
    "line 'ERROR: <message>' in its place (with --json {\"line\":N,\"error\":\"<message>\"}) and "
    "the message with the line number on standard error; blank lines and # comment lines "
    "echoed as they are (with --json as empty lines). A trailing # comment after the values and "
    "a UTF-8 byte-order mark are ignored. The exit status is 2 when any line was bad (--strict "
    "stops at the first), 1 when the output could not be written.";

// summary goes into the list of subcommands; details and the examples under
// the subcommand's own help. Each example is "$ command" followed by what it
// prints; the tests run them all.
CLI::App *addCommand(CLI::App &app, const char *name, const char *summary, const char *details,
                     const char *examples) {
  CLI::App *sub = app.add_subcommand(name, summary);
  sub->footer(std::string(details) + "\n\nExamples:\n" + examples);
  return sub;
}

void addStream(CLI::App *sub, StreamMode &mode, const char *json) {
  sub->add_flag("--json", mode.json, json);
  sub->add_flag("--strict", mode.strict, "Stop at the first bad input line");
}

// -p, capped at what the arithmetic carries.
void addPrecision(CLI::App *sub, int &precision, int most, const char *what, const char *unit) {
  const std::string text = std::string(what) + " (at most " + std::to_string(most) + ", " + unit +
                           "; more digits would be noise of the double arithmetic)";
  sub->add_option("-p,--precision", precision, text)
      ->check(CLI::Validator(
          [most, unit](std::string &s) -> std::string {
            const auto v = parseInteger(s);
            if (!v || *v < 0) {
              return "expected a number of decimals from 0, got " + orrery::tool::quoted(s);
            }
            if (*v > most) {
              return s + " decimals is more than the arithmetic carries; at most " +
                     std::to_string(most) + " (" + unit + ")";
            }
            return {};
          },
          "0.." + std::to_string(most)));
}

void addValues(CLI::App *sub, std::vector<std::string> &values, const char *what) {
  sub->add_option("VALUES", values, what)->expected(0, 8)->type_name("");
}

bool isSubcommand(const char *arg) {
  return std::ranges::any_of(kSubcommands,
                             [arg](const char *name) { return std::strcmp(arg, name) == 0; });
}

int runOrrery(int argc, char **argv) {
  CLI::App app{"orrery: geodesy, camera and culling from the shell, computed by libmath."};
  app.name("orrery");
  app.set_version_flag("--version", kVersion);
  app.require_subcommand(1);
  app.footer(std::string(kConventions) +
             "\n\nRun 'orrery <subcommand> --help' for the options and examples of each.");

  std::function<int()> run;
  std::vector<std::string> *tailValues = nullptr; // where values after "--" go

  UtmOptions utm;
  {
    CLI::App *sub = addCommand(
        app, "utm", "Latitude and longitude to UTM/UPS grid coordinates and back",
        "LAT LON (degrees) gives ZONE BAND EASTING NORTHING (metres): transverse Mercator (UTM) "
        "from 80 S to 84 N, polar stereographic (UPS, zone 0, bands A and B in the south, Y and "
        "Z in the north, B and Z east of the pole) beyond, exact to a few nanometres as "
        "GeographicLib is; --inverse goes back. --zone forces a zone, 1 to 60, or 0 (ups) for "
        "the polar grid, and then reaches past the standard limits as far as the grid does. "
        "--convergence adds the meridian convergence (degrees, as many decimals as the "
        "inverse's degrees) and the point scale (two more). --viewer-series gives what the "
        "viewer computes instead (its own series, UTM bands only): within about 1 mm of the "
        "exact numbers within 3 degrees of the central meridian, up to about 5 cm in the widened "
        "zones of Norway and Svalbard (32V, 31X to 37X). The zone may be followed by a "
        "hemisphere, lower case n or s (also north, south), joined (34s) or apart (34 s), or by "
        "an upper-case latitude band letter C to X without I and O (32T, 32 T); a polar "
        "position is zone 0 with n, s or its band letter (0 Z, 0n), or the hemisphere alone as "
        "GeoConvert writes it (n 2096454.164 1452981.254). A band must hold the latitude found "
        "(a polar band, its side of the pole): it may miss the band's edge by no more than half "
        "a unit in the last decimal of the easting or northing plus 1 micrometre (0.25 m with "
        "--viewer-series, the series' own error at the far corners of the widened zones); "
        "otherwise the line is an error naming both. With a hemisphere a UTM latitude must lie "
        "on the UTM grid, 80 S to 84 N, with the same allowance. Without values, converts "
        "standard input line by line (see orrery --help).",
        "  $ orrery utm 45.5 -73.6\n"
        "  18 T 609377.347 5039449.713\n"
        "  $ orrery utm -c 85 10\n"
        "  0 Z 2096454.164 1452981.254 10.00000000 0.9958947917\n"
        "  $ orrery utm 33.9S 18.4E\n"
        "  34 H 259583.222 6245888.045\n"
        "  $ orrery utm --inverse 18 T 609377.347 5039449.713\n"
        "  45.50000000 -73.60000001\n"
        "  $ orrery utm --inverse 34s 259583.222 6245888.045\n"
        "  -33.90000000 18.40000000\n"
        "  $ printf '45.5 -73.6\\n# a comment\\n95 0\\n' | orrery utm 2>/dev/null\n"
        "  18 T 609377.347 5039449.713\n"
        "  # a comment\n"
        "  ERROR: LAT: 95 is beyond the poles (-90 to 90 degrees)");
    addValues(sub, utm.values, "LAT LON, or ZONE LETTER EASTING NORTHING");
    sub->add_flag("-i,--inverse", utm.inverse, "Convert UTM/UPS to latitude and longitude");
    sub->add_flag("--lonlat", utm.lonlat, "Longitude before latitude, in and out");
    sub->add_option("-z,--zone", utm.zone, "Force the zone: 1 to 60, or 0 or ups (forward only)");
    sub->add_flag("-c,--convergence", utm.convergence,
                  "Also write the meridian convergence (degrees) and the point scale");
    sub->add_flag("--viewer-series", utm.viewerSeries,
                  "The viewer's own UTM series (UTM bands only; up to 5 cm off)");
    addStream(sub, utm.mode,
              "Write JSON: zone, band, hemisphere, easting, northing (inverse: latitude, "
              "longitude, zone, hemisphere, band), and convergence, scale with -c; one object a "
              "line when streaming");
    addPrecision(sub, utm.precision, kMaxMetreDecimals,
                 "Decimals of metres (degrees get 5 more); default 3", "1e-9 m");
    sub->callback([&] {
      tailValues = &utm.values;
      run = [&] { return runUtm(utm); };
    });
  }

  MgrsOptions mgrs;
  {
    CLI::App *sub = addCommand(
        app, "mgrs", "Latitude and longitude to MGRS references and back",
        "LAT LON (degrees) gives the MGRS reference of the cell that holds the position, UTM "
        "from 80 S to 84 N and UPS beyond, with -p digits of easting and of northing (0 for the "
        "100 km square, 5 for 1 m, 11 for 1 micrometre; GeoConvert -m -p P writes P + 5). The "
        "coordinates are truncated toward the cell's south-west corner. --inverse takes a "
        "REFERENCE (its parts may be apart: 32T MS 22200 56548; letters in either case) and "
        "gives the latitude and longitude of the cell's centre, or with --corner of its "
        "south-west corner, to -p + 3 decimals. A reference with a letter or square that does "
        "not exist, or with digit groups of unequal length, is an error. Without values, "
        "converts standard input line by line (see orrery --help).",
        "  $ orrery mgrs 46.558 7.985 -p 5\n"
        "  32TMS2220056548\n"
        "  $ orrery mgrs --inverse 32TMS2220056548\n"
        "  46.55799976 7.98500386\n"
        "  $ orrery mgrs 85 10 -p 2\n"
        "  ZAB9652\n"
        "  $ printf '32TMS2220056548\\n32TMS223\\n' | orrery mgrs --inverse 2>/dev/null\n"
        "  46.55799976 7.98500386\n"
        "  ERROR: REFERENCE: '32TMS223': MGRS easting and northing digits differ in number");
    addValues(sub, mgrs.values, "LAT LON, or REFERENCE");
    sub->add_flag("-i,--inverse", mgrs.inverse,
                  "Convert an MGRS reference to latitude and "
                  "longitude");
    sub->add_flag("--corner", mgrs.corner, "With --inverse: the cell's south-west corner");
    sub->add_flag("--lonlat", mgrs.lonlat, "Longitude before latitude, in and out");
    addStream(sub, mgrs.mode,
              "Write JSON: mgrs (inverse: latitude, longitude, zone, band, hemisphere, easting, "
              "northing, digits); one object a line when streaming");
    addPrecision(sub, mgrs.precision, kMaxMgrsDigits,
                 "Digits per coordinate (inverse: degrees get 3 more decimals); default 5",
                 "1 micrometre");
    sub->callback([&] {
      tailValues = &mgrs.values;
      run = [&] { return runMgrs(mgrs); };
    });
  }

  ConvertOptions convert;
  {
    CLI::App *sub = addCommand(
        app, "convert", "A point between geographic, normalised and Cartesian forms",
        "Forms: lla = LAT LON ALT (degrees, degrees, metres); norm = LAT/180 LON/180 "
        "ALT/RADIUS; cart = X Y Z in planet radii (+Y to the north pole, longitude 0 at -Z, "
        "east at -X). --lonlat reads and writes lla and norm in the library's component order, "
        "longitude first. Latitudes lie within the poles, longitudes -540 to 540 degrees are "
        "wrapped, altitudes lie above the centre of the planet; a result that is not finite is "
        "an error. -p gives fixed decimals instead of the shortest exact form. Without values, "
        "converts standard input line by line (see orrery --help).",
        "  $ orrery convert --from lla --to cart 45 90 6371000\n"
        "  -1.4142135623730951 1.414213562373095 -1.7319121124709868e-16\n"
        "  $ orrery convert --from lla --to norm 46.558 7.985 3470\n"
        "  0.2586555555555555 0.044361111111111115 0.0005446554700988856\n"
        "  $ orrery convert --lonlat --from cart --to lla -p 3 0 0 1\n"
        "  -180.000 0.000 0.000");
    const auto forms = CLI::IsMember({"lla", "norm", "cart"});
    sub->add_option("--from", convert.from, "Form of the input")
        ->check(forms)
        ->capture_default_str();
    sub->add_option("--to", convert.to, "Form of the output")->check(forms)->capture_default_str();
    addValues(sub, convert.values, "Three numbers in the --from form");
    sub->add_flag("--lonlat", convert.lonlat,
                  "Longitude before latitude (the library's order), in and out");
    addStream(sub, convert.mode, "Write JSON, one object a line when streaming");
    addPrecision(sub, convert.precision, kMaxUnitDecimals,
                 "Fixed decimals instead of the shortest exact form",
                 "1e-15 planet radii; at most 9 for --to lla, 1e-9 m");
    sub->callback([&] {
      tailValues = &convert.values;
      run = [&] { return runConvert(convert); };
    });
  }

  AngleOptions dms;
  {
    CLI::App *sub = addCommand(
        app, "dms", "Degrees into degrees, minutes and seconds",
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
        "  46° 33.5'");
    addValues(sub, dms.values, "An angle in degrees, -180 to 180");
    sub->add_flag("--dmm", dms.dmm, "Degrees and decimal minutes instead");
    addStream(sub, dms.mode,
              "Write JSON: degrees, minutes, seconds (rounded), negative; one object a line "
              "when streaming");
    addPrecision(sub, dms.precision, kMaxSecondDecimals,
                 "Decimals of the seconds (or of the minutes with --dmm); default 3",
                 "1e-10 seconds of arc");
    sub->callback([&] {
      tailValues = &dms.values;
      run = [&] { return runDms(dms); };
    });
  }

  AngleOptions hms;
  {
    CLI::App *sub = addCommand(
        app, "hms", "A normalised longitude into hours, minutes and seconds",
        "NORMALISED_LONGITUDE is longitude / 180: -1 is 0 h, 0 is 12 h; -3 to 3 is accepted "
        "and wrapped like every longitude. The seconds are rounded once, at the printed "
        "precision, and carried; a time that rounds up to 24 h is written 0 h, as the hours "
        "run up to but not including 24. Without values, converts standard input line by line "
        "(see orrery --help).",
        "  $ orrery hms 0.5\n"
        "  18h 00m 00.000s\n"
        "  $ orrery hms 0.999999999999\n"
        "  0h 00m 00.000s");
    addValues(sub, hms.values, "longitude / 180, -3 to 3");
    addStream(sub, hms.mode,
              "Write JSON: hours, minutes, seconds (rounded); one object a line when streaming");
    addPrecision(sub, hms.precision, kMaxSecondDecimals, "Decimals of the seconds; default 3",
                 "1e-10 s");
    sub->callback([&] {
      tailValues = &hms.values;
      run = [&] { return runHms(hms); };
    });
  }

  ZenithOptions zenith;
  {
    CLI::App *sub = addCommand(
        app, "zenith", "The sky straight above a place at a UTC instant",
        "Declination (the latitude) and right ascension (the local mean sidereal time) of the "
        "zenith, in degrees and in hours, minutes and seconds. Given --time, --lat and --lon, "
        "one labelled answer; without them, lines of TIME LAT LON from standard input (see "
        "orrery --help), each answered by JULIAN_DATE DECLINATION RIGHT_ASCENSION and the right "
        "ascension in hours.",
        "  $ orrery zenith --time 2000-01-01T12:00:00Z --lat 45 --lon 0\n"
        "  julian date      2451545.000000\n"
        "  declination      45.000000°\n"
        "  right ascension  280.460618°  18h 41m 50.548s\n"
        "  $ echo '2000-01-01T12:00:00Z 45 0' | orrery zenith\n"
        "  2451545.000000 45.000000 280.460618 18h 41m 50.548s");
    sub->add_option("--time", zenith.time, "ISO 8601 UTC time, e.g. 2000-01-01T12:00:00Z");
    sub->add_option("--lat", zenith.latitude, "Latitude in degrees");
    sub->add_option("--lon", zenith.longitude, "Longitude in degrees, east positive");
    sub->add_flag("--lonlat", zenith.lonlat, "Lines of TIME LON LAT");
    addStream(sub, zenith.mode, "Write JSON, one object a line when streaming");
    sub->callback([&] { run = [&] { return runZenith(zenith); }; });
  }

  OrientOptions orient;
  {
    CLI::App *sub = addCommand(
        app, "orient", "Heading, tilt and roll of a camera aimed at a place",
        "The camera at --eye is aimed at --look-at and held upright; heading 0 is north, 90 "
        "east; tilt 0 looks straight down, 90 at the horizon; all in degrees.",
        "  $ orrery orient --eye 0,0,1000 --look-at 0,0.1,0\n"
        "  heading  90.000000°\n"
        "  tilt     84.811494°\n"
        "  roll     0.000000°");
    sub->add_option("--eye", orient.eye, "Camera position LAT,LON,ALT (degrees, metres)")
        ->required();
    sub->add_option("--look-at", orient.lookAt, "Target LAT,LON,ALT (degrees, metres)")->required();
    sub->add_flag("--lonlat", orient.lonlat, "Places as LON,LAT,ALT");
    sub->add_flag("--json", orient.json, "Write the result as JSON");
    sub->callback([&] { run = [&] { return runOrient(orient); }; });
  }

  CullOptions cull;
  {
    CLI::App *sub = addCommand(
        app, "cull", "The part of a photograph that a camera sees",
        "The photograph is taken at --photo facing --facing, held level, and shown on a "
        "rectangle, cylinder or sphere around that place; the camera is at --eye, aimed at "
        "--look-at. The answer is a rectangle of the photograph's relative coordinates (u, v), "
        "each -1 to 1 (u left to right, v bottom to top); --svg draws it.",
        "  $ orrery cull --shape rectangle --facing 135 --look-at 46.5700,7.9600,4200\n"
        "  nothing of the photograph is in view");
    sub->add_option("--shape", cull.shape, "Surface of the photograph")
        ->check(CLI::IsMember({"rectangle", "cylinder", "sphere"}))
        ->capture_default_str();
    sub->add_option("--photo", cull.photo, "Viewpoint of the photograph LAT,LON,ALT")
        ->capture_default_str();
    sub->add_option("--facing", cull.facing, "Compass heading the photograph faces, degrees")
        ->capture_default_str();
    sub->add_option("--distance", cull.distance, "Distance of the surface (radius), metres")
        ->capture_default_str();
    sub->add_option("--angles", cull.angles,
                    "Edges of the photograph TOP,BOTTOM,LEFT,RIGHT in degrees from its centre")
        ->capture_default_str();
    sub->add_option("--eye", cull.eye, "Camera position LAT,LON,ALT")->capture_default_str();
    sub->add_option("--look-at", cull.lookAt, "Camera target LAT,LON,ALT")->capture_default_str();
    sub->add_option("--fov", cull.fov, "Vertical field of view of the camera, degrees")
        ->capture_default_str();
    sub->add_option("--aspect", cull.aspect, "Width / height of the view")->capture_default_str();
    sub->add_option("--near", cull.near, "Near plane, metres")->capture_default_str();
    sub->add_option("--far", cull.far, "Far plane, metres")->capture_default_str();
    sub->add_option("--svg", cull.svg, "Draw the photograph and the visible part into FILE");
    sub->add_flag("--json", cull.json, "Write the result as JSON");
    sub->callback([&] { run = [&] { return runCull(cull); }; });
  }

  DemoOptions demo;
  {
    CLI::App *sub = addCommand(
        app, "demo", "The main job, step by step, with built-in values",
        "A camera over a photograph on a sphere: prints each step from the places to the "
        "visible part of the photograph (the defaults of cull with --shape sphere).",
        "  $ orrery demo | tail -n 2\n"
        "     u -0.076160 to 0.901985\n"
        "     v -0.797675 to 0.536035");
    sub->add_option("--svg", demo.svg, "Also draw the visible part into FILE");
    sub->add_flag("--json", demo.json, "Write the result as JSON");
    sub->callback([&] { run = [&] { return runDemo(demo); }; });
  }

  if (argc > 1 && argv[1][0] != '-' && !isSubcommand(argv[1])) {
    std::string names;
    for (const char *name : kSubcommands) {
      names += (names.empty() ? "" : ", ") + std::string(name);
    }
    reportError("", "unknown subcommand " + quoted(argv[1]) + "; the subcommands are " + names);
    return kExitBadInput;
  }
  // Everything after "--" is values, in their order, even when they look
  // like options ("-45d30'").
  int parsed = argc;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--") == 0) {
      parsed = i;
      break;
    }
  }
  std::string command;
  try {
    app.parse(parsed, argv);
  } catch (const CLI::ParseError &e) {
    if (e.get_exit_code() == 0) {
      return app.exit(e); // --help, --version
    }
    const auto subs = app.get_subcommands();
    reportError(subs.empty() ? "" : subs.back()->get_name(), e.what());
    return kExitBadInput;
  }
  command = app.get_subcommands().front()->get_name();
  if (parsed + 1 < argc) {
    if (tailValues == nullptr) {
      reportError(command, "takes no values after --");
      return kExitBadInput;
    }
    tailValues->insert(tailValues->end(), argv + parsed + 1, argv + argc);
  }
  try {
    return run();
  } catch (const UsageError &e) {
    reportError(command, e.what());
    return kExitBadInput;
  } catch (const std::exception &e) {
    reportError(command, std::string("failed: ") + e.what());
    return kExitFailure;
  } catch (...) {
    reportError(command, "failed");
    return kExitFailure;
  }
}

} // namespace

// Whatever escapes the subcommands' own handling (setting up the parser can
// run out of memory) fails the program instead of terminating it.
int main(int argc, char **argv) {
  try {
    return runOrrery(argc, argv);
  } catch (...) {
    reportError("", "failed");
    return kExitFailure;
  }
}
