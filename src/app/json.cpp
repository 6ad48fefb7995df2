#include "app/json.h"

#include <charconv>

namespace ktv {

JsonObject& JsonObject::Add(const char* key, float value) {
  char buf[32];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);
  return Raw(key, std::string(buf, res.ptr));
}

JsonObject& JsonObject::Add(const char* key, bool value) {
  return Raw(key, value ? "true" : "false");
}

JsonObject& JsonObject::Add(const char* key, const char* text) {
  return Raw(key, std::string("\"") + text + "\"");
}

JsonObject& JsonObject::Raw(const char* key, const std::string& json) {
  s_ += (s_.empty() ? "" : ", ") + std::string("\"") + key + "\": " + json;
  return *this;
}

}  // namespace ktv
