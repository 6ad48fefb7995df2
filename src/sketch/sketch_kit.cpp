#include "sketch/sketch_kit.h"

namespace ktv {

float Coordinate(double value) { return CheckedValue(value, "a sketch coordinate"); }

float SketchScale(float size_value, float family_constant, float zoom_offset, float larger_m) {
  if (larger_m == 0) throw SketchError("the section has neither height nor width");
  return Coordinate((static_cast<double>(size_value) - family_constant + zoom_offset) / larger_m);
}

float ScaledLength(float millimetres, float s) {
  const float metres = static_cast<float>(static_cast<double>(millimetres) * 0.001);
  return Coordinate(static_cast<double>(metres) * s);
}

void UseSymbolFont(SketchCanvas& vd) {
  vd.SetFontCharset(kSymbolCharset);
  vd.SetTextSize(kSymbolTextSize);
}

void Symbol(SketchCanvas& vd, const char* text, double x, double y) {
  vd.SetTextPosition(Coordinate(x), Coordinate(y));
  vd.DrawText(text);
}

}  // namespace ktv
