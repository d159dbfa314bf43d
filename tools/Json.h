#pragma once

// The one writer of the command's JSON: objects, arrays, numbers (shortest
// round-trip form, null when not finite), strings and booleans, written
// straight into a Cursor, so a streamed line allocates nothing.

#include "tools/Text.h"

#include <string_view>

namespace orrery::tool {

class JsonWriter {
public:
  explicit JsonWriter(Cursor &out) : mOut(out) {}
  JsonWriter(const JsonWriter &) = delete;
  JsonWriter &operator=(const JsonWriter &) = delete;

  // Members of an object take a key; elements of an array and the root take
  // none.
  JsonWriter &beginObject(std::string_view key = {}) { return open(key, '{'); }
  JsonWriter &endObject() { return close('}'); }
  JsonWriter &beginArray(std::string_view key = {}) { return open(key, '['); }
  JsonWriter &endArray() { return close(']'); }
  JsonWriter &number(std::string_view key, double value);
  JsonWriter &number(double value) { return number({}, value); }
  JsonWriter &integer(std::string_view key, long value);
  JsonWriter &string(std::string_view key, std::string_view value);
  JsonWriter &boolean(std::string_view key, bool value);
  JsonWriter &null(std::string_view key);
  // Three numbers as an array.
  JsonWriter &triple(std::string_view key, double a, double b, double c);

private:
  static constexpr int kMaxDepth = 8; // deeper containers are not written
  JsonWriter &open(std::string_view key, char bracket);
  JsonWriter &close(char bracket);
  void start(std::string_view key);
  void quote(std::string_view s);

  Cursor &mOut;
  int mDepth = 0;
  bool mFirst[kMaxDepth] = {}; // per open container: nothing written in it yet
};

// A band letter as the member "band", null when there is none ('\0').
void jsonBand(JsonWriter &j, char band);

} // namespace orrery::tool
