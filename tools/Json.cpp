#include "tools/Json.h"

#include "tools/Text.h"

namespace orrery::tool {

void JsonWriter::start(std::string_view key) {
  if (!mFirst.empty()) {
    if (!mFirst.back()) {
      mText += ',';
    }
    mFirst.back() = false;
  }
  if (!key.empty()) {
    quote(key);
    mText += ':';
  }
}

void JsonWriter::quote(std::string_view s) { mText += jsonString(s); }

JsonWriter &JsonWriter::open(std::string_view key, char bracket) {
  start(key);
  mText += bracket;
  mFirst.push_back(true);
  return *this;
}

JsonWriter &JsonWriter::close(char bracket) {
  mText += bracket;
  mFirst.pop_back();
  return *this;
}

JsonWriter &JsonWriter::number(std::string_view key, double value) {
  start(key);
  TextLine line;
  line->json(value);
  mText += line->view();
  return *this;
}

JsonWriter &JsonWriter::integer(std::string_view key, long value) {
  start(key);
  mText += std::to_string(value);
  return *this;
}

JsonWriter &JsonWriter::string(std::string_view key, std::string_view value) {
  start(key);
  quote(value);
  return *this;
}

JsonWriter &JsonWriter::boolean(std::string_view key, bool value) {
  start(key);
  mText += value ? "true" : "false";
  return *this;
}

JsonWriter &JsonWriter::null(std::string_view key) {
  start(key);
  mText += "null";
  return *this;
}

JsonWriter &JsonWriter::triple(std::string_view key, double a, double b, double c) {
  return beginArray(key).number(a).number(b).number(c).endArray();
}

} // namespace orrery::tool
