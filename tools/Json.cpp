#include "tools/Json.h"

#include <cstdio>

namespace orrery::tool {

void JsonWriter::start(std::string_view key) {
  if (mDepth > 0) {
    if (!mFirst[mDepth - 1]) {
      mOut.put(',');
    }
    mFirst[mDepth - 1] = false;
  }
  if (!key.empty()) {
    quote(key);
    mOut.put(':');
  }
}

void JsonWriter::quote(std::string_view s) {
  mOut.put('"');
  for (const char c : s) {
    if (c == '"' || c == '\\') {
      mOut.put('\\').put(c);
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
      mOut.put(escape);
    } else {
      mOut.put(c);
    }
  }
  mOut.put('"');
}

JsonWriter &JsonWriter::open(std::string_view key, char bracket) {
  start(key);
  mOut.put(bracket);
  if (mDepth < kMaxDepth) {
    mFirst[mDepth++] = true;
  }
  return *this;
}

JsonWriter &JsonWriter::close(char bracket) {
  mOut.put(bracket);
  if (mDepth > 0) {
    --mDepth;
  }
  return *this;
}

JsonWriter &JsonWriter::number(std::string_view key, double value) {
  start(key);
  mOut.json(value);
  return *this;
}

JsonWriter &JsonWriter::integer(std::string_view key, long value) {
  start(key);
  mOut.integer(value);
  return *this;
}

JsonWriter &JsonWriter::string(std::string_view key, std::string_view value) {
  start(key);
  quote(value);
  return *this;
}

JsonWriter &JsonWriter::boolean(std::string_view key, bool value) {
  start(key);
  mOut.put(value ? "true" : "false");
  return *this;
}

JsonWriter &JsonWriter::null(std::string_view key) {
  start(key);
  mOut.put("null");
  return *this;
}

JsonWriter &JsonWriter::triple(std::string_view key, double a, double b, double c) {
  return beginArray(key).number(a).number(b).number(c).endArray();
}

void jsonBand(JsonWriter &j, char band) {
  if (band == '\0') {
    j.null("band");
  } else {
    j.string("band", std::string_view(&band, 1));
  }
}

} // namespace orrery::tool
