// orrery: the geometry library from the shell. Parses the command line with
// CLI11 and hands the options to the subcommands of Commands.h.

#include "tools/Commands.h"
#include "tools/Stream.h"
#include "tools/Text.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <functional>
#include <string>

namespace {

using namespace orrery::tool;

const char *const kVersion = "0.1.0";

// summary goes into the list of subcommands; details and the example under
// the subcommand's own help.
CLI::App *addCommand(CLI::App &app, const char *name, const char *summary, const char *details,
                     const char *example, bool &json) {
  CLI::App *sub = app.add_subcommand(name, summary);
  sub->footer(std::string(details) + "\n\nExample:\n  " + example);
  sub->add_flag("--json", json, "Write the result as JSON (one object per line when streaming)");
  return sub;
}

void addPrecision(CLI::App *sub, int &precision, const char *what) {
  sub->add_option("-p,--precision", precision, what)->check(CLI::Range(0, 17));
}

} // namespace

int main(int argc, char **argv) {
  CLI::App app{"orrery: geodesy, camera and culling from the shell, computed by libmath."};
  app.name("orrery");
  app.set_version_flag("--version", kVersion);
  app.require_subcommand(1);
  app.footer("Run 'orrery <subcommand> --help' for the options and an example of each.");

  std::function<int()> run;

  UtmOptions utm;
  {
    CLI::App *sub =
        addCommand(app, "utm", "Latitude and longitude to UTM and back",
                   "LAT LON (degrees) gives ZONE LETTER EASTING NORTHING (metres); --inverse "
                   "goes back. Without values, converts standard input line by line (fields "
                   "separated by blanks or commas; blank lines and # comments are skipped). A "
                   "bad line is reported on standard error with its number and the next lines "
                   "still convert (--strict stops); the exit status is then 2.",
                   "orrery utm 45.5 -73.6        ->  18 T 609377.347 5039449.713\n"
                   "  orrery utm --inverse 18 T 609377.347 5039449.713\n"
                   "  orrery utm < points.txt > utm.txt",
                   utm.json);
    sub->add_option("VALUES", utm.values, "LAT LON, or ZONE LETTER EASTING NORTHING")
        ->expected(0, 4)
        ->type_name("");
    sub->add_flag("-i,--inverse", utm.inverse, "Convert UTM to latitude and longitude");
    sub->add_flag("--strict", utm.strict, "Stop at the first bad input line");
    addPrecision(sub, utm.precision, "Decimals of metres (degrees get 5 more); default 3");
    sub->callback([&] { run = [&] { return runUtm(utm); }; });
  }

  ConvertOptions convert;
  {
    CLI::App *sub = addCommand(
        app, "convert", "A point between geographic, normalised and Cartesian forms",
        "Forms, in the library's component order: lla = LON LAT ALT (degrees, degrees, "
        "metres); norm = LON/180 LAT/180 ALT/RADIUS; cart = X Y Z in planet radii (+Y to the "
        "north pole, longitude 0 at -Z, east at -X). Without values, converts standard input "
        "line by line like utm.",
        "orrery convert --from lla --to cart 90 45 6371000   ->  -1.414... 1.414... 8.6...e-17",
        convert.json);
    const auto forms = CLI::IsMember({"lla", "norm", "cart"});
    sub->add_option("--from", convert.from, "Form of the input")
        ->check(forms)
        ->capture_default_str();
    sub->add_option("--to", convert.to, "Form of the output")->check(forms)->capture_default_str();
    sub->add_option("VALUES", convert.values, "X Y Z in the --from form")
        ->expected(0, 3)
        ->type_name("");
    sub->add_flag("--strict", convert.strict, "Stop at the first bad input line");
    addPrecision(sub, convert.precision, "Fixed decimals instead of the shortest exact form");
    sub->callback([&] { run = [&] { return runConvert(convert); }; });
  }

  AngleOptions dms;
  {
    CLI::App *sub = addCommand(app, "dms", "Degrees into degrees, minutes and seconds",
                               "The sign is shown on the degrees, also for angles above -1.",
                               "orrery dms -45.5   ->  -45° 30' 0.000\"", dms.json);
    sub->add_option("DEGREES", dms.value, "An angle in degrees, -180 to 180")->required();
    sub->add_flag("--dmm", dms.dmm, "Degrees and decimal minutes instead");
    addPrecision(sub, dms.precision, "Decimals of the seconds (or minutes); default 3");
    sub->callback([&] { run = [&] { return runDms(dms); }; });
  }

  AngleOptions hms;
  {
    CLI::App *sub =
        addCommand(app, "hms", "A normalised longitude into hours, minutes and seconds",
                   "NORMALISED_LONGITUDE is longitude / 180, -1 to 1: -1 is 0 h, 0 is 12 h.",
                   "orrery hms 0.5   ->  18h 00m 0.000s", hms.json);
    sub->add_option("NORMALISED_LONGITUDE", hms.value, "longitude / 180, -1 to 1")->required();
    addPrecision(sub, hms.precision, "Decimals of the seconds; default 3");
    sub->callback([&] { run = [&] { return runHms(hms); }; });
  }

  ZenithOptions zenith;
  {
    CLI::App *sub = addCommand(
        app, "zenith", "The sky straight above a place at a UTC instant",
        "Declination (the latitude) and right ascension (the local mean sidereal time) of the "
        "zenith, in degrees and in hours, minutes and seconds.",
        "orrery zenith --time 2000-01-01T12:00:00Z --lat 45 --lon 0", zenith.json);
    sub->add_option("--time", zenith.time, "ISO 8601 UTC time, e.g. 2000-01-01T12:00:00Z")
        ->required();
    sub->add_option("--lat", zenith.latitude, "Latitude in degrees")->required();
    sub->add_option("--lon", zenith.longitude, "Longitude in degrees, east positive")->required();
    sub->callback([&] { run = [&] { return runZenith(zenith); }; });
  }

  OrientOptions orient;
  {
    CLI::App *sub = addCommand(
        app, "orient", "Heading, tilt and roll of a camera aimed at a place",
        "The camera at --eye is aimed at --look-at and held upright; heading 0 is north, 90 "
        "east; tilt 0 looks straight down, 90 at the horizon; all in degrees.",
        "orrery orient --eye 46.55,7.97,4200 --look-at 46.60,7.97,3000", orient.json);
    sub->add_option("--eye", orient.eye, "Camera position LAT,LON,ALT (degrees, metres)")
        ->required();
    sub->add_option("--look-at", orient.lookAt, "Target LAT,LON,ALT (degrees, metres)")->required();
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
        "orrery cull --shape sphere --svg visible.svg", cull.json);
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
    sub->callback([&] { run = [&] { return runCull(cull); }; });
  }

  DemoOptions demo;
  {
    CLI::App *sub = addCommand(
        app, "demo", "The main job, step by step, with built-in values",
        "A camera over a photograph on a sphere: prints each step from the places to the "
        "visible part of the photograph (the defaults of cull with --shape sphere).",
        "orrery demo --svg demo.svg", demo.json);
    sub->add_option("--svg", demo.svg, "Also draw the visible part into FILE");
    sub->callback([&] { run = [&] { return runDemo(demo); }; });
  }

  std::string command;
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError &e) {
    if (e.get_exit_code() == 0) {
      return app.exit(e); // --help, --version
    }
    const auto parsed = app.get_subcommands();
    reportError(parsed.empty() ? "" : parsed.back()->get_name(), e.what());
    return kExitBadInput;
  }
  command = app.get_subcommands().front()->get_name();
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
