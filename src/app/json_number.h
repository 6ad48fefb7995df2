#pragma once
// Numbers of the JSON outputs: the shortest decimal that reads back as the same 32-bit value.
#include <stdexcept>
#include <string>
#include <string_view>

namespace ktv {

// JSON has no infinity and no NaN: such a value is refused rather than written as invalid JSON.
class JsonNumberError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws JsonNumberError, naming the key, for a value that is not finite.
std::string JsonNumber(float value, std::string_view key);

}  // namespace ktv
