#include "families/gravity/gravity_sketch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "app/messages.h"
#include "sketch_test_support.h"

namespace ktv {
namespace {

using test::FindSection;
using test::FindText;
using test::HasText;
using test::OfKind;
using test::StandardGravityInputs;

constexpr double kTol = 0.02;  // drawing units
constexpr double kPiSingle = 3.1415925;

void ExpectPoint(SketchPoint p, double x, double y, const std::string& what) {
  EXPECT_NEAR(p.x, x, kTol) << what;
  EXPECT_NEAR(p.y, y, kTol) << what;
}

// The standard gravity wall (T1 230, T2 700, T3 690, H 2300) worked out by hand: it is higher
// than wide, so s = (2000 - 800) / 2.3.
struct StandardGeometry {
  double s = 1200.0 / 2.3;
  double k = s, m = 0.5 * s;
  double t1 = 0.23 * s, t2 = 0.7 * s, t3 = 0.69 * s, h = 2.3 * s;
  double wh = (t1 + m + t2 + k) / 2, hh = (k + h) / 2;
  double p0x = m - wh, p0y = -hh;
  double p1x = p0x + t1, p1y = p0y + h;
  double p2x = p1x + t2, p3x = p2x + t3;
  double yd = p1y + k;
  double xh = p2x + 4 * k / 3;
};

const SketchPrimitive* SurfaceLine(const SketchCanvas& vd) {
  for (const auto& p : vd.Primitives()) {
    if (p.kind == PrimitiveKind::Line && p.state.pen_color == kSketchBlue &&
        p.state.pen_width == 0) {
      return &p;
    }
  }
  return nullptr;
}

const SketchPrimitive* ReferenceLine(const SketchCanvas& vd) {
  for (const auto& p : vd.Primitives()) {
    if (p.kind == PrimitiveKind::Line && p.state.pen_style == SketchPenStyle::Dot) return &p;
  }
  return nullptr;
}

TEST(GravitySketch, StandardWallSectionOutlineAndStyles) {
  SketchCanvas vd;
  RecordingMessageSink sink;
  DrawGravitySketch(vd, StandardGravityInputs(), 0, sink);
  ASSERT_TRUE(sink.shown.empty());
  const StandardGeometry g;

  const SketchPrimitive* section = FindSection(vd);
  ASSERT_NE(section, nullptr);
  EXPECT_EQ(&vd.Primitives().front(), section) << "the section is drawn first";
  EXPECT_EQ(section->state.fill_style, FillStyle::Solid);
  EXPECT_EQ(section->state.pen_color, kSketchBlack);
  ASSERT_EQ(section->points.size(), 5u) << "four corners, closed";
  ExpectPoint(section->points[0], g.p0x, g.p0y, "P0");
  ExpectPoint(section->points[1], g.p1x, g.p1y, "P1");
  ExpectPoint(section->points[2], g.p2x, g.p1y, "P2");
  ExpectPoint(section->points[3], g.p3x, g.p0y, "P3");
  EXPECT_EQ(section->points[4], section->points[0]);

  // The ground in front of the toe: blue, width 10, from the left edge of the box to the toe.
  int ground = 0;
  for (const auto& p : OfKind(vd, PrimitiveKind::Line)) {
    if (p.state.pen_width == 10) {
      ++ground;
      EXPECT_EQ(p.state.pen_color, kSketchBlue);
      ExpectPoint(p.points[0], -g.wh, g.p0y, "ground start");
      ExpectPoint(p.points[1], g.p0x, g.p0y, "ground end");
    }
  }
  EXPECT_EQ(ground, 1);

  // Guide lines are grey and thin; the dimension line runs at yd from P0 to P3.
  bool dimension_line = false;
  for (const auto& p : OfKind(vd, PrimitiveKind::Line)) {
    if (p.state.pen_color == kSketchGrey) {
      EXPECT_EQ(p.state.pen_width, 0);
      EXPECT_EQ(p.state.pen_style, SketchPenStyle::Solid);
      if (std::fabs(p.points[0].y - g.yd) < kTol && std::fabs(p.points[1].y - g.yd) < kTol &&
          std::fabs(p.points[0].x - g.p0x) < kTol && std::fabs(p.points[1].x - g.p3x) < kTol) {
        dimension_line = true;
      }
    }
  }
  EXPECT_TRUE(dimension_line);

  // Surcharge band and crest load: green with a blue outline.
  auto polygons = OfKind(vd, PrimitiveKind::Polygon);
  ASSERT_EQ(polygons.size(), 2u);
  const SketchPrimitive& band = polygons[1];
  EXPECT_EQ(band.state.fill_color, kSketchGreen);
  EXPECT_EQ(band.state.fill_style, FillStyle::Solid);
  EXPECT_EQ(band.state.pen_color, kSketchBlue);
  const double beta = 29.05 * kPiSingle / 180;
  const double nx = -std::sin(beta), ny = std::cos(beta);
  const double ux = std::cos(beta), uy = std::sin(beta);
  ASSERT_EQ(band.points.size(), 5u);
  ExpectPoint(band.points[0], g.p2x + 35 * nx, g.p1y + 35 * ny, "band 1");
  ExpectPoint(band.points[1], g.p2x + g.k * ux + 35 * nx, g.p1y + g.k * uy + 35 * ny, "band 2");
  ExpectPoint(band.points[2], g.p2x + g.k * ux + 80 * nx, g.p1y + g.k * uy + 80 * ny, "band 3");
  ExpectPoint(band.points[3], g.p2x + 80 * nx, g.p1y + 80 * ny, "band 4");

  auto rectangles = OfKind(vd, PrimitiveKind::Rectangle);
  ASSERT_EQ(rectangles.size(), 1u);
  EXPECT_EQ(rectangles[0].state.fill_color, kSketchGreen);
  EXPECT_EQ(rectangles[0].state.pen_color, kSketchBlue);
  ExpectPoint(rectangles[0].points[0], g.p1x, g.p1y + 35, "crest load corner 1");
  ExpectPoint(rectangles[0].points[1], g.p2x, g.p1y + 80, "crest load corner 2");

  // Slope: the surface rises at β from Q = P2 (H1 = 0), the dotted reference is horizontal
  // to P2.x + k, the arc has radius k/3.
  const SketchPrimitive* surface = SurfaceLine(vd);
  ASSERT_NE(surface, nullptr);
  ExpectPoint(surface->points[0], g.p2x, g.p1y, "surface start");
  ExpectPoint(surface->points[1], g.p2x + g.k * ux, g.p1y + g.k * uy, "surface end");
  const SketchPrimitive* reference = ReferenceLine(vd);
  ASSERT_NE(reference, nullptr);
  EXPECT_EQ(reference->state.pen_color, kSketchBlack);
  ExpectPoint(reference->points[1], g.p2x + g.k, g.p1y, "reference end");
  auto arcs = OfKind(vd, PrimitiveKind::Arc);
  ASSERT_EQ(arcs.size(), 1u);
  ExpectPoint(arcs[0].points[0], g.p2x, g.p1y, "arc centre");
  EXPECT_NEAR(arcs[0].radius, g.k / 3, kTol);
  EXPECT_EQ(arcs[0].start_angle, 0);
  EXPECT_NEAR(arcs[0].end_angle, beta, 1e-6);
  EXPECT_EQ(arcs[0].state.pen_style, SketchPenStyle::Solid);
  EXPECT_EQ(arcs[0].state.fill_style, FillStyle::Transparent);
}

TEST(GravitySketch, StandardWallSymbolsAndPositions) {
  SketchCanvas vd;
  RecordingMessageSink sink;
  DrawGravitySketch(vd, StandardGravityInputs(), 0, sink);
  const StandardGeometry g;
  EXPECT_EQ(test::Texts(vd),
            (std::vector<std::string>{"T1", "T2", "T3", "H", "β", "q1", "W0", "H1"}));
  for (const auto& p : OfKind(vd, PrimitiveKind::Text)) {
    EXPECT_EQ(p.state.font_charset, 128) << p.text;
    EXPECT_EQ(p.state.text_size, 65) << p.text;
  }
  const double beta = 29.05 * kPiSingle / 180;
  struct Expected {
    const char* text;
    double x, y;
  };
  const Expected expected[] = {
      {"T1", (g.p0x + g.p1x) / 2 - 25, g.yd + 60},
      {"T2", (g.p1x + g.p2x) / 2 - 25, g.yd + 60},
      {"T3", (g.p2x + g.p3x) / 2 - 25, g.yd + 60},
      {"H", -g.wh - 50, (g.p0y + g.p1y) / 2 + 10},
      {"β", g.p2x + g.k / 3 * std::cos(beta / 2) + 40, g.p1y + g.k / 3 * std::sin(beta / 2) + 40},
      {"q1", g.p2x + 0.5 * g.k * std::cos(beta) - 165 * std::sin(beta),
       g.p1y + 0.5 * g.k * std::sin(beta) + 165 * std::cos(beta)},
      {"W0", g.p1x - 90, g.p1y + 105},
      {"H1", g.xh - 65, (g.p1y + g.p0y - 25) / 2},
  };
  for (const Expected& e : expected) {
    const SketchPrimitive* p = FindText(vd, e.text);
    ASSERT_NE(p, nullptr) << e.text;
    ExpectPoint(p->points[0], e.x, e.y, e.text);
  }
}

TEST(GravitySketch, ZeroDimensionsDropTheirSymbols) {
  struct Case {
    const char* name;
    std::function<void(SketchInputs&)> change;
    std::vector<const char*> absent;
    std::vector<const char*> present;
  };
  const std::vector<Case> cases = {
      {"T1 = 0", [](SketchInputs& in) { in.t[0] = "0"; }, {"T1"}, {"T2", "T3", "H"}},
      {"T2 = 0", [](SketchInputs& in) { in.t[1] = "0"; }, {"T2"}, {"T1", "T3", "H"}},
      {"T3 = 0", [](SketchInputs& in) { in.t[2] = "0"; }, {"T3"}, {"T1", "T2", "H"}},
      {"T1 = T3 = 0",
       [](SketchInputs& in) {
         in.t[0] = "0";
         in.t[2] = "0";
       },
       {"T1", "T3"},
       {"T2", "H"}},
      // Symbols without a dimension of their own stay even when the value is 0.
      {"β = 0, W0 = 0", [](SketchInputs& in) { in.beta = "0"; }, {}, {"β", "q1", "W0", "H1"}},
  };
  for (const Case& c : cases) {
    SketchInputs in = StandardGravityInputs();
    c.change(in);
    SketchCanvas vd;
    RecordingMessageSink sink;
    DrawGravitySketch(vd, in, 0, sink);
    EXPECT_TRUE(sink.shown.empty()) << c.name;
    for (const char* t : c.absent) EXPECT_FALSE(HasText(vd, t)) << c.name << ": " << t;
    for (const char* t : c.present) EXPECT_TRUE(HasText(vd, t)) << c.name << ": " << t;
  }
}

TEST(GravitySketch, VerticalFacesWhenBattersAreZero) {
  SketchInputs in = StandardGravityInputs();
  in.t[0] = "0";
  in.t[2] = "0";
  in.h[1] = "1000";  // Q stays on the vertical back face whatever H1 is
  SketchCanvas vd;
  RecordingMessageSink sink;
  DrawGravitySketch(vd, in, 0, sink);
  const SketchPrimitive* section = FindSection(vd);
  ASSERT_NE(section, nullptr);
  EXPECT_EQ(section->points[0].x, section->points[1].x) << "front face vertical";
  EXPECT_EQ(section->points[2].x, section->points[3].x) << "back face vertical";
  const SketchPrimitive* surface = SurfaceLine(vd);
  ASSERT_NE(surface, nullptr);
  EXPECT_NEAR(surface->points[0].x, section->points[2].x, kTol);
  const double s = 1200.0 / 2.3;
  EXPECT_NEAR(surface->points[0].y, section->points[0].y + 1.0 * s, kTol);
}

TEST(GravitySketch, BackfillStartsAtHeightH1OnTheBackFace) {
  struct Case {
    const char* h1;
    double fraction;  // of H above the base
  };
  // H1 = 0 means the full height: the surface starts at the back top corner P2.
  for (const Case& c : {Case{"0", 1.0}, Case{"1150", 0.5}, Case{"2300", 1.0}, Case{"460", 0.2}}) {
    SketchInputs in = StandardGravityInputs();
    in.h[1] = c.h1;
    SketchCanvas vd;
    RecordingMessageSink sink;
    DrawGravitySketch(vd, in, 0, sink);
    const StandardGeometry g;
    const double qx = g.p2x + g.t3 * (1 - c.fraction);
    const double qy = g.p0y + g.h * c.fraction;
    const SketchPrimitive* surface = SurfaceLine(vd);
    ASSERT_NE(surface, nullptr) << c.h1;
    ExpectPoint(surface->points[0], qx, qy, std::string("surface start, H1 ") + c.h1);
    const SketchPrimitive* reference = ReferenceLine(vd);
    ASSERT_NE(reference, nullptr);
    ExpectPoint(reference->points[0], qx, qy, std::string("reference start, H1 ") + c.h1);
    ExpectPoint(reference->points[1], g.p2x + g.k, qy, std::string("reference end, H1 ") + c.h1);
    // The vertical H1 guide at xh runs from the base to Q's height.
    bool guide = false;
    for (const auto& p : OfKind(vd, PrimitiveKind::Line)) {
      if (std::fabs(p.points[0].x - g.xh) < kTol && std::fabs(p.points[1].x - g.xh) < kTol &&
          std::fabs(p.points[0].y - g.p0y) < kTol && std::fabs(p.points[1].y - qy) < kTol) {
        guide = true;
      }
    }
    EXPECT_TRUE(guide) << c.h1;
  }
}

TEST(GravitySketch, LevelBackfillHasNoArc) {
  SketchInputs in = StandardGravityInputs();
  in.beta = "0";
  SketchCanvas vd;
  RecordingMessageSink sink;
  DrawGravitySketch(vd, in, 0, sink);
  EXPECT_TRUE(OfKind(vd, PrimitiveKind::Arc).empty());
  const SketchPrimitive* surface = SurfaceLine(vd);
  const SketchPrimitive* reference = ReferenceLine(vd);
  ASSERT_NE(surface, nullptr);
  ASSERT_NE(reference, nullptr);
  EXPECT_EQ(surface->points[0], reference->points[0]);
  EXPECT_EQ(surface->points[1].y, surface->points[0].y) << "horizontal surface";
  EXPECT_EQ(reference->points[1].y, reference->points[0].y);
  EXPECT_TRUE(HasText(vd, "β"));
}

TEST(GravitySketch, ScaleFollowsTheLargerOfHeightAndWidth) {
  struct Case {
    const char* name;
    const char *h, *t1, *t2, *t3;
    float z;
    double height, width;  // of the drawn section, drawing units
  };
  const Case cases[] = {
      // higher than wide: the height takes A - 800 + Z units
      {"standard", "2300", "230", "700", "690", 0, 1200, 1.62 * 1200 / 2.3},
      {"higher, Z +1000", "2300", "230", "700", "690", 1000, 2200, 1.62 * 2200 / 2.3},
      {"higher, Z -400", "4000", "0", "1000", "500", -400, 800, 1.5 * 800 / 4.0},
      // wider than high: the width T1 + T2 + T3 does
      {"wider", "1000", "500", "1500", "1000", 0, 1200 / 3.0, 1200},
      {"wider, Z +200", "500", "0", "2000", "0", 200, 1400 / 4.0, 1400},
      {"square", "2000", "500", "1000", "500", 0, 1200, 1200},
  };
  for (const Case& c : cases) {
    SketchInputs in = StandardGravityInputs();
    in.h[0] = c.h;
    in.t = {c.t1, c.t2, c.t3};
    SketchCanvas vd;
    RecordingMessageSink sink;
    DrawGravitySketch(vd, in, c.z, sink);
    ASSERT_TRUE(sink.shown.empty()) << c.name;
    const SketchPrimitive* section = FindSection(vd);
    ASSERT_NE(section, nullptr) << c.name;
    EXPECT_NEAR(section->points[1].y - section->points[0].y, c.height, kTol) << c.name;
    EXPECT_NEAR(section->points[3].x - section->points[0].x, c.width, kTol) << c.name;
  }
}

TEST(GravitySketch, InvalidBoxShowsTheDrawingErrorAndKeepsThePreviousSketch) {
  struct Case {
    const char* name;
    std::function<void(SketchInputs&)> change;
  };
  const std::vector<Case> cases = {
      {"H not a number", [](SketchInputs& in) { in.h[0] = "abc"; }},
      {"T2 empty", [](SketchInputs& in) { in.t[1] = ""; }},
      {"T1 with trailing text", [](SketchInputs& in) { in.t[0] = "12abc"; }},
      {"H1 not a number", [](SketchInputs& in) { in.h[1] = "x"; }},
      {"β not a number (reads as 0 for the range check)", [](SketchInputs& in) { in.beta = "a"; }},
      {"W0 not a number although not drawn", [](SketchInputs& in) { in.w0 = "?"; }},
      {"T3 beyond the 32-bit range", [](SketchInputs& in) { in.t[2] = "1e39"; }},
      {"shear key set with an empty width",
       [](SketchInputs& in) {
         in.shear_key = true;
         in.fk_t5 = "";
       }},
      {"shear key set with a bad depth",
       [](SketchInputs& in) {
         in.shear_key = true;
         in.fk_d5 = "d";
       }},
      {"H = 0", [](SketchInputs& in) { in.h[0] = "0"; }},
      {"H = 0 and no width",
       [](SketchInputs& in) {
         in.h[0] = "0";
         in.t = {"0", "0", "0"};
       }},
  };
  for (const Case& c : cases) {
    SketchCanvas vd;
    RecordingMessageSink sink;
    DrawGravitySketch(vd, StandardGravityInputs(), 0, sink);
    const auto before = vd.Primitives();
    SketchInputs in = StandardGravityInputs();
    c.change(in);
    DrawGravitySketch(vd, in, 0, sink);
    EXPECT_EQ(sink.beeps, 1) << c.name;
    ASSERT_EQ(sink.shown.size(), 1u) << c.name;
    EXPECT_EQ(sink.shown[0].icon, MessageIcon::Information) << c.name;
    EXPECT_EQ(sink.shown[0].buttons, MessageButtons::Ok) << c.name;
    EXPECT_EQ(sink.shown[0].title, kFullTitle) << c.name;
    EXPECT_EQ(sink.shown[0].text,
              "形状を描画中にエラーが発生しました｡\r\n"
              "不正な値が入力されていないか確認して下さい｡")
        << c.name;
    EXPECT_EQ(vd.Primitives().size(), before.size()) << c.name << ": previous sketch kept";
  }
}

TEST(GravitySketch, ShearKeyBoxesAreReadOnlyWhenTheKeyIsSet) {
  SketchInputs in = StandardGravityInputs();
  in.shear_key = false;
  in.fk_t5 = in.fk_d5 = in.fk_l5 = "";
  SketchCanvas vd;
  RecordingMessageSink sink;
  DrawGravitySketch(vd, in, 0, sink);
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_NE(FindSection(vd), nullptr);
  // Set with valid texts, the key is still not drawn.
  in.shear_key = true;
  in.fk_t5 = "300";
  in.fk_d5 = "200";
  in.fk_l5 = "100";
  SketchCanvas keyed;
  DrawGravitySketch(keyed, in, 0, sink);
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_EQ(keyed.Primitives().size(), vd.Primitives().size());
  EXPECT_EQ(FindSection(keyed)->points, FindSection(vd)->points);
}

TEST(GravitySketch, BetaOutsideItsRangeKeepsThePreviousSketch) {
  for (const char* beta : {"-1", "360.5", "400", "-0.01"}) {
    SketchCanvas vd;
    RecordingMessageSink sink;
    DrawGravitySketch(vd, StandardGravityInputs(), 0, sink);
    const size_t before = vd.Primitives().size();
    SketchInputs in = StandardGravityInputs();
    in.beta = beta;
    DrawGravitySketch(vd, in, 0, sink);
    EXPECT_EQ(sink.beeps, 1) << beta;
    ASSERT_EQ(sink.shown.size(), 1u) << beta;
    EXPECT_EQ(sink.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(sink.shown[0].title, kFullTitle);
    EXPECT_EQ(sink.shown[0].text, "βの入力値が不正です｡βの入力範囲は０ ～ ３６０です｡") << beta;
    EXPECT_EQ(vd.Primitives().size(), before) << beta;
  }
  for (const char* beta : {"0", "360", "90"}) {
    SketchCanvas vd;
    RecordingMessageSink sink;
    SketchInputs in = StandardGravityInputs();
    in.beta = beta;
    DrawGravitySketch(vd, in, 0, sink);
    EXPECT_TRUE(sink.shown.empty()) << beta;
    EXPECT_NE(FindSection(vd), nullptr) << beta;
  }
}

TEST(GravitySketch, DrawingStateIsSetBackAfterDrawingOnly) {
  SketchCanvas vd;
  vd.SetFillColor(255);
  vd.SetFillStyle(FillStyle::Transparent);
  vd.SetPenWidth(3);
  vd.SetPenStyle(SketchPenStyle::Dot);
  RecordingMessageSink sink;
  DrawGravitySketch(vd, StandardGravityInputs(), 0, sink);
  ASSERT_TRUE(sink.shown.empty());
  EXPECT_EQ(vd.FillColor(), 255u);
  EXPECT_EQ(vd.GetFillStyle(), FillStyle::Transparent);
  EXPECT_EQ(vd.PenWidth(), 3);
  EXPECT_EQ(vd.GetPenStyle(), SketchPenStyle::Dot);
  // The section outline inherits the saved pen width; the pen colour is not part of the state.
  EXPECT_EQ(FindSection(vd)->state.pen_width, 3);
  EXPECT_EQ(vd.PenColor(), kSketchBlue);
}

TEST(GravitySketch, RedrawingReplacesTheSketch) {
  SketchCanvas vd;
  RecordingMessageSink sink;
  DrawGravitySketch(vd, StandardGravityInputs(), 0, sink);
  const size_t once = vd.Primitives().size();
  DrawGravitySketch(vd, StandardGravityInputs(), 0, sink);
  EXPECT_EQ(vd.Primitives().size(), once);
}

TEST(GravitySketch, NonPositiveScaleDrawsADegenerateSketchWithoutError) {
  for (float z : {-1200.0f, -5000.0f}) {
    SketchCanvas vd;
    RecordingMessageSink sink;
    DrawGravitySketch(vd, StandardGravityInputs(), z, sink);
    EXPECT_TRUE(sink.shown.empty()) << z;
    const SketchPrimitive* section = FindSection(vd);
    ASSERT_NE(section, nullptr) << z;
    for (const auto& p : vd.Primitives()) {
      for (const auto& v : p.points) {
        EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y)) << z;
      }
    }
    if (z == -1200.0f) {
      for (const auto& v : section->points) EXPECT_EQ(v, section->points[0]);
    }
  }
}

TEST(ReadSketchNumber, AcceptsOnlyWholeNumbers) {
  struct Good {
    const char* text;
    float value;
  };
  for (const Good& g : {Good{"230", 230}, Good{" -1.5 ", -1.5f}, Good{"+7", 7}, Good{"1e3", 1000},
                        Good{".5", 0.5f}, Good{"29.05", 29.05f}, Good{"0", 0},
                        // as a Japanese input method types them
                        Good{"５", 5}, Good{"－１．５", -1.5f}}) {
    EXPECT_EQ(ReadSketchNumber(g.text), g.value) << g.text;
  }
  for (const char* bad : {"", "   ", "abc", "12abc", "1.2.3", "-", ".", "1e", "1e+", "1e999",
                          "1,000", "0x10", "５ｍ"}) {
    EXPECT_THROW(ReadSketchNumber(bad), SketchError) << bad;
  }
}

}  // namespace
}  // namespace ktv
