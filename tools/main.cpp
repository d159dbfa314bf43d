// orrery: the geometry library from the shell. Parses the command line with
// CLI11 and hands the options to the subcommands of Commands.h.

#include "tools/Commands.h"
#include "tools/Options.h"
#include "tools/Stream.h"
#include "tools/Text.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstring>
#include <exception>
#include <functional>
#include <iostream>
#include <string>

namespace {

using namespace orrery::tool;

const char *const kVersion = "0.1.0";

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
    "stops at the first), 1 when the output could not be written.\n\n"
    "Rounding: every number printed with -p decimals (dms and hms seconds and minutes "
    "included, before they carry) is the decimal nearest the value computed, an exact tie "
    "going to the even last digit.";

bool isSubcommand(const char *arg) {
  return std::ranges::any_of(kCommands,
                             [arg](const Command *c) { return std::strcmp(arg, c->name) == 0; });
}

int runOrrery(int argc, char **argv) {
  CLI::App app{"orrery: geodesy, camera and culling from the shell, computed by libmath."};
  app.name("orrery");
  app.set_version_flag("--version", kVersion);
  app.require_subcommand(1);
  app.footer(std::string(kConventions) +
             "\n\nRun 'orrery <subcommand> --help' for the options and examples of each.");

  // Each command's help and options; the runner and value list of the one
  // parsed are kept.
  std::function<int()> run;
  std::vector<std::string> *tailValues = nullptr; // where values after "--" go
  for (const Command *c : kCommands) {
    CLI::App *sub = app.add_subcommand(c->name, c->summary);
    sub->footer(std::string(c->details) + "\n\nExamples:\n" + c->examples);
    std::vector<std::string> *values = nullptr;
    std::function<int()> runner = c->attach(sub, values);
    sub->callback([&run, &tailValues, runner, values] {
      run = runner;
      tailValues = values;
    });
  }

  if (argc > 1 && argv[1][0] != '-' && !isSubcommand(argv[1])) {
    std::string names;
    for (const Command *c : kCommands) {
      names += (names.empty() ? "" : ", ") + std::string(c->name);
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
      // --help, --version: written as every other output, so a full disk or
      // a closed pipe fails them too.
      app.exit(e);
      std::cout.flush();
      if (!std::cout) {
        reportError("", "cannot write standard output");
        return kExitFailure;
      }
      return kExitOk;
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
