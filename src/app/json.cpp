#include "app/json.h"

#include "app/json_number.h"

namespace ktv {

JsonObject& JsonObject::Add(const char* key, float value) {
  return Raw(key, JsonNumber(value, key));
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
