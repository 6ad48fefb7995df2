#include "sketch/sketch_kit.h"

#include <cmath>

#include "app/units.h"

namespace ktv {

float Coordinate(double value) { return CheckedValue(value, "a sketch coordinate"); }

float SketchScale(float size_value, float family_constant, float zoom_offset, float larger_m) {
  if (larger_m == 0) throw SketchError("the section has neither height nor width");
  return Coordinate((static_cast<double>(size_value) - family_constant + zoom_offset) / larger_m);
}

float ScaledLength(float millimetres, float s) {
  const float metres = MetresOf(millimetres);
  return Coordinate(static_cast<double>(metres) * s);
}

SketchPoint Along(SketchPoint p, double a, SketchPoint d1, double b, SketchPoint d2) {
  return {Coordinate(p.x + a * d1.x + b * d2.x), Coordinate(p.y + a * d1.y + b * d2.y)};
}

SlopeFrame SlopeOf(float beta_radians) {
  const double c = std::cos(static_cast<double>(beta_radians));
  const double s = std::sin(static_cast<double>(beta_radians));
  return {{static_cast<float>(c), static_cast<float>(s)},
          {static_cast<float>(-s), static_cast<float>(c)}};
}

std::vector<SketchPoint> SurchargeBand(SketchPoint start, float length, const SlopeFrame& slope) {
  return {Along(start, kBandNear, slope.n), Along(start, length, slope.u, kBandNear, slope.n),
          Along(start, length, slope.u, kBandFar, slope.n), Along(start, kBandFar, slope.n)};
}

void ReadUnusedBoxes(std::initializer_list<const std::string*> texts) {
  for (const std::string* text : texts) ReadSketchNumber(*text);
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
