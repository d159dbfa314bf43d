#include "tools/Options.h"

#include "tools/Text.h"

#include <CLI/CLI.hpp>

namespace orrery::tool {

void addStream(CLI::App *sub, StreamMode &mode, const char *json) {
  sub->add_flag("--json", mode.json, json);
  sub->add_flag("--strict", mode.strict, "Stop at the first bad input line");
}

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

} // namespace orrery::tool
