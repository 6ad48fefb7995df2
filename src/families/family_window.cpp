#include "families/family_window.h"

namespace ktv {

std::string DimensionMessage(const std::string& condition) {
  return "寸法の入力値が不正です。\r\n" + condition + " となるように入力して下さい。";
}

}  // namespace ktv
