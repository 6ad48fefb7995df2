#include "families/leaning/leaning_sketch.h"

#include <gtest/gtest.h>

#include <algorithm>
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
using test::LinesWith;
using test::OfKind;
using test::PolygonsFilled;

constexpr double kTol = 0.02;  // drawing units
constexpr double kPiSingle = 3.1415925;

void ExpectPoint(SketchPoint p, double x, double y, const std::string& what) {
  EXPECT_NEAR(p.x, x, kTol) << what;
  EXPECT_NEAR(p.y, y, kTol) << what;
}

SketchInputs Standard() { return test::StandardInputs(kLeaning); }

// The standard leaning wall (L1 850, T1 3000, T2 350, H 7000, D1 1000, B 2400, β 25) worked out
// by hand: it is higher than wide, so s = (2000 - 850) / 7.
struct StandardGeometry {
  double s = 1150.0 / 7;
  double l1 = 0.85 * s, t1 = 3 * s, t2 = 0.35 * s, h = 7 * s, d1 = s, b = 2.4 * s;
  double m1 = 2.5 * s, m2 = 2.2 * s;
  double w = t1 + m1 + t2 + m2, v = m2 + (m2 / 2 + h);
  double x0 = w - (l1 + t1 + t2) - m2 - w / 2, y0 = m1 / 2 - (v / 2 + 50);
  double px[7] = {x0, x0, x0 + l1, x0 + l1 + t1, x0 + l1 + t1 + t2, x0 + b, x0 + b};
  double py[7] = {y0, y0 + d1, y0 + d1, y0 + h, y0 + h, y0 + d1, y0};
  double beta = 25 * kPiSingle / 180;
};

void Draw(SketchCanvas& vd, const SketchInputs& in, RecordingMessageSink& sink, float z = 0) {
  DrawLeaningSketch(vd, in, z, sink);
}

TEST(LeaningSketch, StandardWallSectionGroundSlopeAndLoads) {
  SketchCanvas vd;
  RecordingMessageSink sink;
  Draw(vd, Standard(), sink);
  ASSERT_TRUE(sink.shown.empty());
  const StandardGeometry g;

  const SketchPrimitive* section = FindSection(vd);
  ASSERT_NE(section, nullptr);
  EXPECT_EQ(section->state.pen_color, kSketchBlack);
  EXPECT_EQ(section->state.pen_width, 0);
  ASSERT_EQ(section->points.size(), 8u) << "seven corners, closed";
  for (int i = 0; i < 7; ++i)
    ExpectPoint(section->points[i], g.px[i], g.py[i], "P" + std::to_string(i));
  EXPECT_EQ(section->points[7], section->points[0]);

  // Ground: a cyan band under a blue line, from the left of the drawing to 4/5 B from the toe,
  // at D1 + (H - D1)/10 above the underside; drawn before the section, which covers its end.
  const double yg = g.y0 + g.d1 + 0.1 * (g.h - g.d1);
  const double xl = 100 - g.w / 2, xr = g.x0 + 0.8 * g.b;
  auto bands = PolygonsFilled(vd, kSketchCyan);
  ASSERT_EQ(bands.size(), 1u);
  EXPECT_EQ(bands[0].state.pen_color, kSketchCyan);
  ExpectPoint(bands[0].points[0], xl, yg, "ground band 1");
  ExpectPoint(bands[0].points[1], xr, yg, "ground band 2");
  ExpectPoint(bands[0].points[2], xr, yg - 20, "ground band 3");
  ExpectPoint(bands[0].points[3], xl, yg - 20, "ground band 4");
  auto thick = LinesWith(vd, kSketchBlue, 10);
  ASSERT_EQ(thick.size(), 2u) << "ground line and backfill surface";
  ExpectPoint(thick[0].points[0], xl, yg, "ground line start");
  ExpectPoint(thick[0].points[1], xr, yg, "ground line end");
  const auto& all = vd.Primitives();
  auto index_of = [&](PrimitiveKind kind, uint32_t fill) {
    for (size_t i = 0; i < all.size(); ++i) {
      if (all[i].kind == kind && all[i].state.fill_color == fill) return i;
    }
    return all.size();
  };
  EXPECT_LT(index_of(PrimitiveKind::Polygon, kSketchCyan),
            index_of(PrimitiveKind::Polygon, kSketchWindowFace));

  // Backfill from Q = P4 (H1 = 0): the surface rises at β for m2, the dotted reference is
  // horizontal for m2, the arc has radius m2/3.
  const double ux = std::cos(g.beta), uy = std::sin(g.beta);
  ExpectPoint(thick[1].points[0], g.px[4], g.py[4], "surface start");
  ExpectPoint(thick[1].points[1], g.px[4] + g.m2 * ux, g.py[4] + g.m2 * uy, "surface end");
  auto dotted = LinesWith(vd, kSketchBlack, 0, SketchPenStyle::Dot);
  ASSERT_EQ(dotted.size(), 1u);
  ExpectPoint(dotted[0].points[0], g.px[4], g.py[4], "reference start");
  ExpectPoint(dotted[0].points[1], g.px[4] + g.m2, g.py[4], "reference end");
  auto arcs = OfKind(vd, PrimitiveKind::Arc);
  ASSERT_EQ(arcs.size(), 1u);
  ExpectPoint(arcs[0].points[0], g.px[4], g.py[4], "arc centre");
  EXPECT_NEAR(arcs[0].radius, g.m2 / 3, kTol);
  EXPECT_EQ(arcs[0].start_angle, 0);
  EXPECT_NEAR(arcs[0].end_angle, g.beta, 1e-6);
  EXPECT_EQ(arcs[0].state.fill_style, FillStyle::Transparent);

  // Surcharge band 35 to 80 units above the surface, and the crest load over T2.
  auto green = PolygonsFilled(vd, kSketchGreen);
  ASSERT_EQ(green.size(), 1u);
  EXPECT_EQ(green[0].state.pen_color, kSketchBlue);
  const double nx = -uy, ny = ux;
  const double qx = g.px[4], qy = g.py[4];
  ExpectPoint(green[0].points[0], qx + 35 * nx, qy + 35 * ny, "band 1");
  ExpectPoint(green[0].points[1], qx + g.m2 * ux + 35 * nx, qy + g.m2 * uy + 35 * ny, "band 2");
  ExpectPoint(green[0].points[2], qx + g.m2 * ux + 80 * nx, qy + g.m2 * uy + 80 * ny, "band 3");
  ExpectPoint(green[0].points[3], qx + 80 * nx, qy + 80 * ny, "band 4");
  auto rectangles = OfKind(vd, PrimitiveKind::Rectangle);
  ASSERT_EQ(rectangles.size(), 1u);
  EXPECT_EQ(rectangles[0].state.fill_color, kSketchGreen);
  EXPECT_EQ(rectangles[0].state.pen_color, kSketchBlue);
  ExpectPoint(rectangles[0].points[0], g.px[3], g.py[3] + 35, "crest load 1");
  ExpectPoint(rectangles[0].points[1], g.px[4], g.py[3] + 80, "crest load 2");

  // Guide lines are grey, thin and solid; every other line is the ground, surface or reference.
  for (const auto& p : OfKind(vd, PrimitiveKind::Line)) {
    if (p.state.pen_color != kSketchGrey) continue;
    EXPECT_EQ(p.state.pen_width, 0);
    EXPECT_EQ(p.state.pen_style, SketchPenStyle::Solid);
  }
  EXPECT_EQ(LinesWith(vd, kSketchGrey, 0).size() + 3, OfKind(vd, PrimitiveKind::Line).size());
}

TEST(LeaningSketch, StandardWallSymbols) {
  SketchCanvas vd;
  RecordingMessageSink sink;
  Draw(vd, Standard(), sink);
  const StandardGeometry g;
  EXPECT_EQ(test::Texts(vd),
            (std::vector<std::string>{"L1", "T1", "T2", "H0", "D1", "B", "β", "q1", "W0", "H1"}));
  for (const auto& p : OfKind(vd, PrimitiveKind::Text)) {
    EXPECT_EQ(p.state.font_charset, 128) << p.text;
    EXPECT_EQ(p.state.text_size, 65) << p.text;
  }
  // Placed by rule: above the crest 100 units over the level m2 above it, W0 and q1.
  const double above = g.py[3] + g.m2 + 100;
  struct Expected {
    const char* text;
    double x, y;
  };
  const Expected expected[] = {
      {"L1", (g.px[1] + g.px[2]) / 2 - 25, above},
      {"T1", (g.px[2] + g.px[3]) / 2 - 25, above},
      {"T2", (g.px[3] + g.px[4]) / 2 - 25, above},
      {"W0", g.px[3] - 90, g.py[3] + 105},
      {"q1", g.px[4] + 0.5 * g.m2 * std::cos(g.beta) - 165 * std::sin(g.beta),
       g.py[4] + 0.5 * g.m2 * std::sin(g.beta) + 165 * std::cos(g.beta)},
  };
  for (const Expected& e : expected) {
    const SketchPrimitive* p = FindText(vd, e.text);
    ASSERT_NE(p, nullptr) << e.text;
    ExpectPoint(p->points[0], e.x, e.y, e.text);
  }
  // The others stand where they belong: H0 and D1 left of the section at their mid-heights, B
  // below the base, β near the arc, H1 behind the wall.
  auto at = [&](const char* t) { return FindText(vd, t)->points[0]; };
  EXPECT_LT(at("H0").x, at("D1").x);
  EXPECT_LT(at("D1").x + 65, g.x0);
  EXPECT_NEAR(at("H0").y - 33, (g.py[0] + g.py[3]) / 2, kTol);
  EXPECT_NEAR(at("D1").y - 33, (g.py[0] + g.py[1]) / 2, kTol);
  EXPECT_LT(at("B").y, g.y0);
  EXPECT_GT(at("B").x, g.x0);
  EXPECT_LT(at("B").x, g.px[6]);
  EXPECT_GT(at("H1").x, g.px[4] + g.m2);
  EXPECT_NEAR(std::hypot(at("β").x - 40 - g.px[4], at("β").y - 40 - g.py[4]), g.m2 / 3, kTol);
}

TEST(LeaningSketch, ZeroDimensionsDropTheirSymbols) {
  struct Case {
    const char* name;
    std::function<void(SketchInputs&)> change;
    std::vector<const char*> absent;
  };
  const std::vector<Case> cases = {
      {"L1 = 0", [](SketchInputs& in) { in.l[0] = "0"; }, {"L1"}},
      {"T1 = 0", [](SketchInputs& in) { in.t[0] = "0"; }, {"T1"}},
      {"T2 = 0", [](SketchInputs& in) { in.t[1] = "0"; }, {"T2"}},
      {"D1 = 0", [](SketchInputs& in) { in.d[1] = "0"; }, {"D1"}},
      {"B = 0", [](SketchInputs& in) { in.b = "0"; }, {"B"}},
      {"H = 0", [](SketchInputs& in) { in.h[0] = "0"; }, {"H0"}},
      // Symbols without a dimension of their own stay.
      {"β = 0, H1 = 0, W0 = 0", [](SketchInputs& in) { in.beta = "0"; }, {}},
  };
  const std::vector<std::string> all = {"L1", "T1", "T2", "H0", "D1", "B", "β", "q1", "W0", "H1"};
  for (const Case& c : cases) {
    SketchInputs in = Standard();
    c.change(in);
    SketchCanvas vd;
    RecordingMessageSink sink;
    Draw(vd, in, sink);
    EXPECT_TRUE(sink.shown.empty()) << c.name;
    for (const std::string& t : all) {
      const bool absent = std::find(c.absent.begin(), c.absent.end(), t) != c.absent.end();
      EXPECT_EQ(HasText(vd, t), !absent) << c.name << ": " << t;
    }
  }
}

TEST(LeaningSketch, BackfillStartsAtHeightH1OnTheBackFace) {
  const StandardGeometry g;
  // H1 = 0 means H; below the crest Q slides down the back face P4-P5 (and past P5 on its line).
  for (const char* h1 : {"0", "7000", "4000", "1000", "500"}) {
    SketchInputs in = Standard();
    in.h[1] = h1;
    SketchCanvas vd;
    RecordingMessageSink sink;
    Draw(vd, in, sink);
    ASSERT_TRUE(sink.shown.empty()) << h1;
    const double height = std::string(h1) == "0" ? g.h : std::stod(h1) * 0.001 * g.s;
    const double fraction = (g.h - height) / (g.h - g.d1);  // of the way from P4 to P5
    const double qx = g.px[4] + fraction * (g.px[5] - g.px[4]);
    const double qy = g.y0 + height;
    auto surface = LinesWith(vd, kSketchBlue, 10);
    ASSERT_EQ(surface.size(), 2u) << h1;
    ExpectPoint(surface[1].points[0], qx, qy, std::string("surface start, H1 ") + h1);
    auto dotted = LinesWith(vd, kSketchBlack, 0, SketchPenStyle::Dot);
    ASSERT_EQ(dotted.size(), 1u);
    ExpectPoint(dotted[0].points[0], qx, qy, std::string("reference start, H1 ") + h1);
    ExpectPoint(OfKind(vd, PrimitiveKind::Arc)[0].points[0], qx, qy, "arc centre");
    // The H1 guide rises from the base to Q's height.
    bool guide = false;
    for (const auto& p : LinesWith(vd, kSketchGrey, 0)) {
      guide = guide || (p.points[0].x == p.points[1].x && std::fabs(p.points[0].y - g.y0) < kTol &&
                        std::fabs(p.points[1].y - qy) < kTol && p.points[0].x > g.px[4]);
    }
    EXPECT_TRUE(guide) << h1;
  }
}

TEST(LeaningSketch, LevelBackfillHasNoArc) {
  SketchInputs in = Standard();
  in.beta = "0";
  SketchCanvas vd;
  RecordingMessageSink sink;
  Draw(vd, in, sink);
  EXPECT_TRUE(OfKind(vd, PrimitiveKind::Arc).empty());
  const SketchPrimitive surface = LinesWith(vd, kSketchBlue, 10)[1];
  const SketchPrimitive reference = LinesWith(vd, kSketchBlack, 0, SketchPenStyle::Dot)[0];
  EXPECT_EQ(surface.points, reference.points) << "the surface lies on its reference";
}

TEST(LeaningSketch, ScaleFollowsTheLargerOfHeightAndWidth) {
  struct Case {
    const char* name;
    const char *h, *l1, *t1, *t2;
    float z;
    double height, width;  // of the body: H and L1 + T1 + T2, drawing units
  };
  const Case cases[] = {
      // higher than wide: the height takes A - 850 + Z units
      {"standard", "7000", "850", "3000", "350", 0, 1150, 4.2 * 1150 / 7},
      {"higher, Z +1000", "7000", "850", "3000", "350", 1000, 2150, 4.2 * 2150 / 7},
      {"higher, Z -5000", "7000", "850", "3000", "350", -5000, -3850, -4.2 * 3850 / 7},
      // wider than high, and as wide as high: the width L1 + T1 + T2 does
      {"wider", "3000", "1000", "3000", "1000", 0, 1150 * 3 / 5.0, 1150},
      {"wider, Z -200", "2000", "2000", "1500", "500", -200, 950 / 2.0, 950},
      {"square", "4000", "1000", "2500", "500", 0, 1150, 1150},
  };
  for (const Case& c : cases) {
    SketchInputs in = Standard();
    in.h[0] = c.h;
    in.l[0] = c.l1;
    in.t[0] = c.t1;
    in.t[1] = c.t2;
    SketchCanvas vd;
    RecordingMessageSink sink;
    Draw(vd, in, sink, c.z);
    ASSERT_TRUE(sink.shown.empty()) << c.name;
    const SketchPrimitive* section = FindSection(vd);
    ASSERT_NE(section, nullptr) << c.name;
    EXPECT_NEAR(section->points[3].y - section->points[0].y, c.height, kTol) << c.name;
    EXPECT_NEAR(section->points[4].x - section->points[0].x, c.width, kTol) << c.name;
  }
}

TEST(LeaningSketch, InvalidBoxShowsTheDrawingErrorAndKeepsThePreviousSketch) {
  struct Case {
    const char* name;
    std::function<void(SketchInputs&)> change;
  };
  const std::vector<Case> cases = {
      {"H not a number", [](SketchInputs& in) { in.h[0] = "abc"; }},
      {"H1 empty", [](SketchInputs& in) { in.h[1] = ""; }},
      {"T1 with trailing text", [](SketchInputs& in) { in.t[0] = "12abc"; }},
      {"T2 not a number", [](SketchInputs& in) { in.t[1] = "-"; }},
      {"L1 not a number", [](SketchInputs& in) { in.l[0] = "x"; }},
      {"B not a number", [](SketchInputs& in) { in.b = "?"; }},
      {"D1 empty", [](SketchInputs& in) { in.d[1] = ""; }},
      {"β not a number", [](SketchInputs& in) { in.beta = "a"; }},
      {"W0 not a number although not drawn", [](SketchInputs& in) { in.w0 = "w"; }},
      {"shear key set with an empty width",
       [](SketchInputs& in) {
         in.shear_key = true;
         in.fk_t5 = "";
       }},
      {"H = 0 and no width",
       [](SketchInputs& in) {
         in.h[0] = "0";
         in.l[0] = in.t[0] = in.t[1] = "0";
       }},
      {"H = D1: the back face has no height", [](SketchInputs& in) { in.h[0] = "1000"; }},
  };
  for (const Case& c : cases) {
    SketchCanvas vd;
    RecordingMessageSink sink;
    Draw(vd, Standard(), sink);
    const size_t before = vd.Primitives().size();
    SketchInputs in = Standard();
    c.change(in);
    Draw(vd, in, sink);
    EXPECT_EQ(sink.beeps, 1) << c.name;
    ASSERT_EQ(sink.shown.size(), 1u) << c.name;
    EXPECT_EQ(sink.shown[0].icon, MessageIcon::Information) << c.name;
    EXPECT_EQ(sink.shown[0].title, kFullTitle) << c.name;
    EXPECT_EQ(sink.shown[0].text, kSketchErrorMessage) << c.name;
    EXPECT_EQ(vd.Primitives().size(), before) << c.name << ": previous sketch kept";
  }
  // Unset, the shear-key boxes are not read.
  SketchInputs in = Standard();
  in.fk_t5 = in.fk_d5 = in.fk_l5 = "";
  SketchCanvas vd;
  RecordingMessageSink sink;
  Draw(vd, in, sink);
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_NE(FindSection(vd), nullptr);
}

}  // namespace
}  // namespace ktv
