#pragma once

// Parsing and formatting of the command's numbers, fields and times.
//
// Numbers are read with std::from_chars (no locale, no allocation) and must
// fill their whole token; non-finite values are refused. Output is written
// either with a fixed number of decimals or in the shortest form that reads
// back to the same double.

#include "common/DateTime.h"

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orrery::tool {

// Exit statuses of the command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // could not write the output
inline constexpr int kExitBadInput = 2; // bad argument or bad input line

// Thrown for a bad command-line argument; main prints the message on one
// line and exits with kExitBadInput.
class UsageError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// A finite decimal number filling the whole token (an optional leading '+'
// is accepted), or nothing.
std::optional<double> parseNumber(std::string_view token);

// A whole decimal integer, or nothing.
std::optional<long> parseInteger(std::string_view token);

// Splits a line into fields separated by blanks, tabs and single commas
// ("45.5 -73.6", "45.5,-73.6" and "45.5, -73.6" all give two fields). Fills at
// most maxFields entries of fields and returns how many fields the line has
// (which may exceed maxFields), or -1 when two commas meet with no field
// between them.
int splitFields(std::string_view line, std::string_view *fields, int maxFields);

// "expected <what>, got N fields" for a field count from splitFields (-1:
// an empty field between commas).
std::string fieldsExpected(std::string_view what, int count);

// True when the line is empty, blank, or a comment starting with '#'.
bool isBlankOrComment(std::string_view line);

// The line without a trailing "# comment".
std::string_view withoutComment(std::string_view line);

// A copy of the text fit for one line of a message: quoted, cut to at most
// 40 characters, bytes outside printable ASCII written as \xHH.
std::string quoted(std::string_view text);

// Parses "YYYY-MM-DDThh:mm[:ss[.fff]][Z]" (a space may replace the 'T'; the
// offset, when present, must be Z or +00:00). Returns an invalid DateTime
// when the text is not such a UTC time or names no real instant.
DateTime parseUtcTime(std::string_view text);

// A number from a command-line argument, or UsageError naming it.
double parseArgument(std::string_view text, std::string_view name, std::string_view expected);

// Writes into a caller's buffer; remembers when the buffer was too small so
// the caller can drop the whole result instead of printing part of it.
class Cursor {
public:
  Cursor(char *begin, char *end) : mBegin(begin), mPos(begin), mEnd(end) {}

  Cursor &put(char c);
  Cursor &put(std::string_view s);
  // value with exactly decimals digits after the point; a value that rounds
  // to zero is written without a minus sign. Non-finite values as "nan",
  // "inf", "-inf".
  Cursor &fixed(double value, int decimals);
  // The shortest text that reads back as the same double.
  Cursor &shortest(double value);
  // A JSON number: shortest form, or null when not finite.
  Cursor &json(double value);
  Cursor &integer(long value);

  bool overflowed() const { return mOverflow; }
  std::size_t size() const { return static_cast<std::size_t>(mPos - mBegin); }
  std::string_view view() const { return {mBegin, size()}; }

private:
  char *mBegin;
  char *mPos;
  char *mEnd;
  bool mOverflow = false;
};

// value with exactly decimals digits after the point, as Cursor::fixed.
std::string fixedText(double value, int decimals);

// One line of output: a Cursor over its own fixed 2 KiB buffer, and the text
// written so far as a std::string.
class LineBuffer {
public:
  LineBuffer() : mCursor(mBuffer, mBuffer + sizeof mBuffer) {}
  LineBuffer(const LineBuffer &) = delete;
  LineBuffer &operator=(const LineBuffer &) = delete;
  Cursor &operator*() { return mCursor; }
  Cursor *operator->() { return &mCursor; }
  std::string str() const { return std::string(mCursor.view()); }

private:
  char mBuffer[2048];
  Cursor mCursor;
};

} // namespace orrery::tool
