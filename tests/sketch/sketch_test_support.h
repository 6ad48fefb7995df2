#pragma once
// Helpers shared by the sketch tests: the standard gravity wall as the wall page shows it, and
// look-ups in the recorded primitive list.
#include <algorithm>
#include <string>
#include <vector>

#include "app/format.h"
#include "app/standard_sizes.h"
#include "sketch/sketch_canvas.h"
#include "sketch/sketch_common.h"

namespace ktv::test {

// The wall page of a new project with the gravity family.
inline SketchInputs StandardGravityInputs() {
  const FamilyDimensions s = StandardDimensions(kGravity);
  SketchInputs in;
  in.family = kGravity;
  for (int i = 0; i < 3; ++i) in.t[i] = FormatValue(s.t[i], kFmt0);
  for (int i = 0; i < 3; ++i) in.l[i] = FormatValue(s.l[i], kFmt0);
  in.h = {FormatValue(s.h, kFmt0), "0"};
  for (int i = 0; i < 5; ++i) in.d[i] = FormatValue(s.d[i], kFmt0);
  in.b = FormatValue(s.b, kFmt0);
  in.beta = FormatValue(s.beta, kFmt2);
  in.w0 = "0";
  in.fk_t5 = FormatValue(s.t[2], kFmt0);
  in.fk_d5 = "0";
  in.fk_l5 = "0";
  in.sw_t6 = in.sw_l6 = in.sw_bs = "0";
  return in;
}

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

}  // namespace ktv::test
