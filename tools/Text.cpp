#include "tools/Text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace orrery::tool {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads exactly n digits at text[pos], advancing pos.
std::optional<int> takeDigits(std::string_view text, std::size_t &pos, std::size_t n) {
  if (pos + n > text.size()) {
    return std::nullopt;
  }
  int value = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const char c = text[pos + i];
    if (!isDigit(c)) {
      return std::nullopt;
    }
    value = value * 10 + (c - '0');
  }
  pos += n;
  return value;
}

bool takeChar(std::string_view text, std::size_t &pos, char c) {
  if (pos < text.size() && text[pos] == c) {
    ++pos;
    return true;
  }
  return false;
}

} // namespace

// A value of type T read by std::from_chars from the whole token, with an
// optional leading '+'.
template <class T> std::optional<T> parseWhole(std::string_view token) {
  if (!token.empty() && token.front() == '+') {
    token.remove_prefix(1);
    // "+-1" and "+" alone are not numbers.
    if (token.empty() || token.front() == '-') {
      return std::nullopt;
    }
  }
  T value{};
  const char *end = token.data() + token.size();
  const auto [ptr, ec] = std::from_chars(token.data(), end, value);
  if (ec != std::errc() || ptr != end) {
    return std::nullopt;
  }
  return value;
}

std::optional<double> parseNumber(std::string_view token) {
  const auto v = parseWhole<double>(token);
  if (v && !std::isfinite(*v)) {
    return std::nullopt;
  }
  return v;
}

std::optional<long> parseInteger(std::string_view token) { return parseWhole<long>(token); }

int splitFields(std::string_view line, std::string_view *fields, int maxFields) {
  int count = 0;
  bool needField = false; // a comma was read: another field must follow
  std::size_t i = 0;
  const std::size_t n = line.size();
  for (;;) {
    while (i < n && isBlank(line[i])) {
      ++i;
    }
    if (i == n) {
      return needField ? -1 : count;
    }
    if (line[i] == ',') {
      if (count == 0 || needField) {
        return -1;
      }
      needField = true;
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < n && !isBlank(line[i]) && line[i] != ',') {
      ++i;
    }
    if (count < maxFields) {
      fields[count] = line.substr(start, i - start);
    }
    ++count;
    needField = false;
  }
}

std::string fieldsExpected(std::string_view what, int count) {
  std::string message = "expected " + std::string(what) + ", got ";
  if (count < 0) {
    return message + "an empty field between commas";
  }
  return message + std::to_string(count) + (count == 1 ? " field" : " fields");
}

bool isBlankOrComment(std::string_view line) {
  for (const char c : line) {
    if (!isBlank(c)) {
      return c == '#';
    }
  }
  return true;
}

std::string_view withoutComment(std::string_view line) { return line.substr(0, line.find('#')); }

std::string quoted(std::string_view text) {
  constexpr std::size_t kMaxShown = 40;
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "'";
  for (std::size_t i = 0; i < text.size() && i < kMaxShown; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7f && c != '\\') {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  if (text.size() > kMaxShown) {
    out += "...";
  }
  out += '\'';
  return out;
}

DateTime parseUtcTime(std::string_view text) {
  std::size_t pos = 0;
  const auto year = takeDigits(text, pos, 4);
  const bool dash1 = takeChar(text, pos, '-');
  const auto month = takeDigits(text, pos, 2);
  const bool dash2 = takeChar(text, pos, '-');
  const auto day = takeDigits(text, pos, 2);
  if (!year || !dash1 || !month || !dash2 || !day) {
    return {};
  }
  int hour = 0;
  int minute = 0;
  double seconds = 0.0;
  if (pos < text.size() && (text[pos] == 'T' || text[pos] == 't' || text[pos] == ' ')) {
    ++pos;
    const auto h = takeDigits(text, pos, 2);
    const bool colon = takeChar(text, pos, ':');
    const auto m = takeDigits(text, pos, 2);
    if (!h || !colon || !m) {
      return {};
    }
    hour = *h;
    minute = *m;
    if (takeChar(text, pos, ':')) {
      const std::size_t start = pos;
      if (!takeDigits(text, pos, 2)) {
        return {};
      }
      if (takeChar(text, pos, '.')) {
        const std::size_t fraction = pos;
        while (pos < text.size() && isDigit(text[pos])) {
          ++pos;
        }
        if (pos == fraction) {
          return {};
        }
      }
      const auto s = parseNumber(text.substr(start, pos - start));
      if (!s) {
        return {};
      }
      seconds = *s;
    }
  }
  const std::string_view zone = text.substr(pos);
  if (!zone.empty() && zone != "Z" && zone != "z" && zone != "+00:00") {
    return {};
  }
  return DateTime(*year, *month, *day, hour, minute, seconds);
}

double parseArgument(std::string_view text, std::string_view name, std::string_view expected) {
  const auto v = parseNumber(text);
  if (!v) {
    throw UsageError(std::string(name) + ": expected " + std::string(expected) + ", got " +
                     quoted(text));
  }
  return *v;
}

Cursor &Cursor::put(char c) {
  if (mPos < mEnd) {
    *mPos++ = c;
  } else {
    mOverflow = true;
  }
  return *this;
}

Cursor &Cursor::put(std::string_view s) {
  if (static_cast<std::size_t>(mEnd - mPos) >= s.size()) {
    std::memcpy(mPos, s.data(), s.size());
    mPos += s.size();
  } else {
    mOverflow = true;
  }
  return *this;
}

Cursor &Cursor::fixed(double value, int decimals) {
  if (!std::isfinite(value)) {
    return put(std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf"));
  }
  const auto [ptr, ec] = std::to_chars(mPos, mEnd, value, std::chars_format::fixed, decimals);
  if (ec != std::errc()) {
    mOverflow = true;
    return *this;
  }
  // "-0.000" reads as a sign the value does not carry at this precision.
  if (*mPos == '-' && std::all_of(mPos + 1, ptr, [](char c) { return c == '0' || c == '.'; })) {
    std::memmove(mPos, mPos + 1, static_cast<std::size_t>(ptr - mPos - 1));
    mPos = ptr - 1;
  } else {
    mPos = ptr;
  }
  return *this;
}

Cursor &Cursor::shortest(double value) {
  if (!std::isfinite(value)) {
    return put(std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf"));
  }
  // Plain decimals for everyday magnitudes (500000, not 5e+05), exponents
  // for the very small and the very large.
  const double magnitude = std::fabs(value);
  const auto format = magnitude == 0.0 || (magnitude >= 1e-5 && magnitude < 1e16)
                          ? std::chars_format::fixed
                          : std::chars_format::scientific;
  const auto [ptr, ec] = std::to_chars(mPos, mEnd, value, format);
  if (ec != std::errc()) {
    mOverflow = true;
  } else {
    mPos = ptr;
  }
  return *this;
}

Cursor &Cursor::json(double value) { return std::isfinite(value) ? shortest(value) : put("null"); }

Cursor &Cursor::integer(long value) {
  const auto [ptr, ec] = std::to_chars(mPos, mEnd, value);
  if (ec != std::errc()) {
    mOverflow = true;
  } else {
    mPos = ptr;
  }
  return *this;
}

std::string fixedText(double value, int decimals) {
  LineBuffer line;
  line->fixed(value, decimals);
  return line.str();
}

} // namespace orrery::tool
