#pragma once
// Helpers shared by the sketch tests: the standard walls as the wall page shows them, and
// look-ups in the recorded primitive list.
#include <algorithm>
#include <string>
#include <vector>

#include "app/format.h"
#include "app/standard_sizes.h"
#include "sketch/sketch_canvas.h"
#include "sketch/sketch_common.h"

namespace ktv::test {

// The wall page of a new project switched to `family`: its standard dimensions, the shear-key
// width taken from T3, nothing else entered.
inline SketchInputs StandardInputs(int family) {
  const FamilyDimensions s = StandardDimensions(family);
  SketchInputs in;
  in.family = family;
  for (int i = 0; i < 3; ++i) in.t[i] = FormatValue(s.t[i], kFmt0);
  for (int i = 0; i < 3; ++i) in.l[i] = FormatValue(s.l[i], kFmt0);
  in.h = {FormatValue(s.h, kFmt0), "0"};
  for (int i = 0; i < 5; ++i) in.d[i] = FormatValue(s.d[i], kFmt0);
  in.b = FormatValue(s.b, kFmt0);
  in.beta = FormatValue(s.beta, kFmt2);
  in.w0 = "0";
  in.fk_t5 = FormatValue(s.t[2], kFmt0);
  in.fk_d5 = FormatValue(s.d[5], kFmt0);
  in.fk_l5 = FormatValue(s.l[3], kFmt0);
  in.sw_t6 = in.sw_l6 = in.sw_bs = "0";
  return in;
}

// The wall page of a new project with the gravity family.
inline SketchInputs StandardGravityInputs() { return StandardInputs(kGravity); }

inline std::vector<SketchPrimitive> OfKind(const SketchCanvas& vd, PrimitiveKind kind) {
  std::vector<SketchPrimitive> out;
  for (const auto& p : vd.Primitives()) {
    if (p.kind == kind) out.push_back(p);
  }
  return out;
}

inline std::vector<std::string> Texts(const SketchCanvas& vd) {
  std::vector<std::string> out;
  for (const auto& p : OfKind(vd, PrimitiveKind::Text)) out.push_back(p.text);
  return out;
}

inline bool HasText(const SketchCanvas& vd, const std::string& text) {
  auto texts = Texts(vd);
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

inline const SketchPrimitive* FindText(const SketchCanvas& vd, const std::string& text) {
  for (const auto& p : vd.Primitives()) {
    if (p.kind == PrimitiveKind::Text && p.text == text) return &p;
  }
  return nullptr;
}

// The concrete section: the polygon filled with the window-face colour.
inline const SketchPrimitive* FindSection(const SketchCanvas& vd) {
  for (const auto& p : vd.Primitives()) {
    if (p.kind == PrimitiveKind::Polygon && p.state.fill_color == kSketchWindowFace) return &p;
  }
  return nullptr;
}

// Lines drawn with the given pen.
inline std::vector<SketchPrimitive> LinesWith(const SketchCanvas& vd, uint32_t color, float width,
                                              SketchPenStyle style = SketchPenStyle::Solid) {
  std::vector<SketchPrimitive> out;
  for (const auto& p : OfKind(vd, PrimitiveKind::Line)) {
    if (p.state.pen_color == color && p.state.pen_width == width && p.state.pen_style == style) {
      out.push_back(p);
    }
  }
  return out;
}

// Polygons filled with the given colour.
inline std::vector<SketchPrimitive> PolygonsFilled(const SketchCanvas& vd, uint32_t color) {
  std::vector<SketchPrimitive> out;
  for (const auto& p : OfKind(vd, PrimitiveKind::Polygon)) {
    if (p.state.fill_color == color && p.state.fill_style == FillStyle::Solid) out.push_back(p);
  }
  return out;
}

}  // namespace ktv::test
