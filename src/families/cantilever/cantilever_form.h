#pragma once
// The three shapes of the cantilever family, told apart by a zero toe or a zero heel.
#include <string_view>

#include "families/cantilever/cantilever_calculation.h"

namespace ktv {

// "L形" without a toe, "逆L形" without a heel, else "逆T形".
inline std::string_view CantileverFormName(const CantileverShape& shape) {
  if (shape.l00 == 0) return "L形";
  if (shape.l01 == 0) return "逆L形";
  return "逆T形";
}

// The structure as the report names it on the cover, the title line and the PDF title.
inline std::string_view CantileverStructureName(const CantileverShape& shape) {
  if (shape.l00 == 0) return "Ｌ形擁壁";
  if (shape.l01 == 0) return "逆Ｌ形擁壁";
  return "逆Ｔ形擁壁";
}

}  // namespace ktv
