#pragma once
// A JSON object written key by key (ASCII keys; numbers in the shortest form that reads back as
// the same 32-bit value).
#include <string>

namespace ktv {

class JsonObject {
 public:
  JsonObject& Add(const char* key, float value);
  JsonObject& Add(const char* key, bool value);
  JsonObject& Add(const char* key, const char* text);
  // "OK" or "NG".
  JsonObject& Verdict(const char* key, bool ok) { return Add(key, ok ? "OK" : "NG"); }
  // A value that is already JSON (an object or an array).
  JsonObject& Raw(const char* key, const std::string& json);
  std::string Str() const { return "{" + s_ + "}"; }

 private:
  std::string s_;
};

}  // namespace ktv
