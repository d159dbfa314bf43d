#pragma once

// A small writer of one JSON document: objects, arrays, numbers (shortest
// round-trip form, null when not finite), strings and booleans.

#include <string>
#include <string_view>
#include <vector>

namespace orrery::tool {

class JsonWriter {
public:
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

  // The document followed by a newline.
  std::string text() const { return mText + '\n'; }

private:
  JsonWriter &open(std::string_view key, char bracket);
  JsonWriter &close(char bracket);
  void start(std::string_view key);
  void quote(std::string_view s);

  std::string mText;
  std::vector<bool> mFirst; // per open container: nothing written in it yet
};

} // namespace orrery::tool
