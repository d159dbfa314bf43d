#pragma once

// The subcommands as the parser sees them: each command file defines its
// Command (name, help, examples and how it takes its options), and main
// builds the command line from kCommands. The helpers add the options that
// several subcommands share, worded alike.

#include "tools/Stream.h"

#include <functional>
#include <string>
#include <vector>

namespace CLI { // NOLINT(readability-identifier-naming): the parser library's own name
class App;
} // namespace CLI

namespace orrery::tool {

// Adds a command's options to sub and returns the function that runs it with
// them once parsed; values is pointed at the list that takes the values
// after "--", or set to nullptr when the command takes none.
using AttachOptions = std::function<int()> (*)(CLI::App *sub, std::vector<std::string> *&values);

struct Command {
  const char *name;
  const char *summary;  // its line in the list of subcommands
  const char *details;  // under its own --help
  const char *examples; // "  $ command" lines, each followed by what it prints; the tests run them
  AttachOptions attach;
};

extern const Command kUtmCommand;
extern const Command kMgrsCommand;
extern const Command kConvertCommand;
extern const Command kDmsCommand;
extern const Command kHmsCommand;
extern const Command kZenithCommand;
extern const Command kOrientCommand;
extern const Command kCullCommand;
extern const Command kDemoCommand;

// The subcommands, in the order of orrery --help.
inline const Command *const kCommands[] = {&kUtmCommand,    &kMgrsCommand, &kConvertCommand,
                                           &kDmsCommand,    &kHmsCommand,  &kZenithCommand,
                                           &kOrientCommand, &kCullCommand, &kDemoCommand};

// --json and --strict of a stream.
void addStream(CLI::App *sub, StreamMode &mode, const char *json);
// -p, capped at what the arithmetic carries (most decimals, in unit).
void addPrecision(CLI::App *sub, int &precision, int most, const char *what, const char *unit);
// The values of a record given on the command line.
void addValues(CLI::App *sub, std::vector<std::string> &values, const char *what);

} // namespace orrery::tool
