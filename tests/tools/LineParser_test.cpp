// The command's line parser and number formatting. Random input through the
// whole command: tests/tools/alignment.sh (CTest tool.streams_stay_aligned).

#include "tools/Stream.h"
#include "tools/Text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

using orrery::tool::Cursor;
using orrery::tool::LineReader;
using orrery::tool::TextLine;

namespace {

// "count: field|field|..." of the first eight fields of a line.
std::string split(std::string_view line) {
  std::string_view f[8];
  const int count = orrery::tool::splitFields(line, f, 8);
  std::string out = std::to_string(count) + ":";
  for (int i = 0; i < count && i < 8; ++i) {
    out += (i > 0 ? "|" : "") + std::string(f[i]);
  }
  return out;
}

// The lines a pipe delivers, written in one go beforehand, each followed by a
// newline; "!" stands for a line too long.
std::string readAll(const std::string &input) {
  int fds[2];
  EXPECT_EQ(pipe(fds), 0);
  // Larger than the pipe buffer: write from a child process.
  const pid_t child = fork();
  if (child == 0) {
    // A blocking write returns when all is written.
    _exit(write(fds[1], input.data(), input.size()) == ssize_t(input.size()) ? 0 : 1);
  }
  close(fds[1]);
  auto reader = std::make_unique<LineReader>(fds[0], nullptr);
  std::string lines;
  std::string_view line;
  using enum LineReader::Status;
  for (auto s = reader->next(line); s != kEnd && s != kReadError; s = reader->next(line)) {
    lines += (s == kLine ? std::string(line) : "!") + "\n";
  }
  close(fds[0]);
  waitpid(child, nullptr, 0);
  return lines;
}

} // namespace

TEST(LineParser, SplitsOnBlanksAndSingleCommasAndNumbersMustFillTheTokenAndBeFinite) {
  // An empty field is an error, not a zero.
  const char *const lines[][2] = {{"45.5 -73.6", "2:45.5|-73.6"},
                                  {" 45.5,-73.6 ", "2:45.5|-73.6"},
                                  {"45.5 ,\t-73.6", "2:45.5|-73.6"},
                                  {"", "0:"},
                                  {"45.5,,-73.6", "-1:"},
                                  {",45.5", "-1:"},
                                  {"45.5,", "-1:"}};
  for (const auto &[line, want] : lines) {
    EXPECT_EQ(split(line), want) << '"' << line << '"';
  }
  // More fields than asked for are counted, not stored.
  std::string_view f[2];
  EXPECT_EQ(orrery::tool::splitFields("1 2 3 4", f, 2), 4);

  using orrery::tool::parseNumber;
  EXPECT_EQ(parseNumber("-73.6"), -73.6);
  EXPECT_EQ(parseNumber("+1e3"), 1000.0);
  EXPECT_EQ(parseNumber(".5"), 0.5);
  for (const char *bad : {"", "+", "+-1", "1.5x", "0x10", "nan", "-inf", "1e400"}) {
    EXPECT_FALSE(parseNumber(bad)) << bad;
  }
  EXPECT_EQ(orrery::tool::parseInteger("+18"), 18);
  EXPECT_FALSE(orrery::tool::parseInteger("18.0"));
}

TEST(LineParser, FormatsFixedWithoutNegativeZeroAndShortestExactly) {
  TextLine a;
  a->fixed(-0.0004, 3).put(' ').fixed(-0.0005, 3).put(' ').fixed(-1.25, 1).put(' ').fixed(NAN, 2);
  a->put(' ').shortest(500000.0).put(' ').shortest(0.1).put(' ').shortest(6.123233995736766e-17);
  a->put(' ').json(INFINITY).put(' ').json(-2.5);
  EXPECT_EQ(a.str(), "0.000 -0.001 -1.2 nan 500000 0.1 6.123233995736766e-17 null -2.5");
  // A cursor that runs out of room says so instead of cutting a number.
  char small[4];
  Cursor d(small, small + sizeof small);
  d.fixed(123456.0, 3);
  EXPECT_TRUE(d.overflowed());
}

TEST(LineParser, ReadsUtcTimesOnlyAndQuotesInputSafely) {
  using orrery::tool::parseUtcTime;
  EXPECT_EQ(parseUtcTime("2000-01-01T12:00:00Z").toJulianDate(), 2451545.0);
  EXPECT_EQ(parseUtcTime("2000-01-01 12:00").toJulianDate(), 2451545.0);
  EXPECT_EQ(parseUtcTime("2000-01-01T18:00:00.000+00:00").toJulianDate(), 2451545.25);
  for (const char *bad : {"2000-01-01T12:00:00+01:00", "2000-02-30T12:00:00Z",
                          "2000-01-01T12:00:00.Z", "2000-1-1", ""}) {
    EXPECT_FALSE(parseUtcTime(bad).isValid()) << bad;
  }
  EXPECT_EQ(orrery::tool::quoted("a\nb\x01\xff"), "'a\\x0ab\\x01\\xff'");
  EXPECT_EQ(orrery::tool::quoted(std::string(50, 'x')), "'" + std::string(40, 'x') + "...'");
}

TEST(LineReader, SplitsLinesDropsCarriageReturnsAndSkipsOverlongLines) {
  const std::string longLine(LineReader::kCapacity + 10, '7');
  EXPECT_EQ(readAll("a\r\n\nb\n" + longLine + "\nc\n" + longLine + "\nlast"),
            "a\n\nb\n!\nc\n!\nlast\n");
  // A line of exactly the longest length still fits.
  const std::string fits(LineReader::kCapacity - 1, '1');
  EXPECT_EQ(readAll(fits + "\n"), fits + "\n");
}
