#pragma once
// A calculation that cannot go on (zero divisor, undefined value). The message is shown to the
// engineer as it stands and names the cause; the report build ends there.
#include <stdexcept>

namespace ktv {

class CalculationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace ktv
