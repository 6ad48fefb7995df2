#include "families/cantilever/cantilever_sketch.h"

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

SketchInputs Standard() { return test::StandardInputs(kCantilever); }

// The standard inverted-T wall (L1 1000, L2 600, L3 2400, T1 570, T2 400, H0 6300, D0 500,
// D1 600, D2 400, D4 400, key L5 900, T5 400, D5 900) worked out by hand: higher than wide, so
// s = (2000 - 750) / 6.3. Its stem base is narrower than T1 + T2: the back batter is -370.
struct StandardGeometry {
  double s = 1250.0 / 6.3, g = 1.5 * s;
  double l1 = 1.0 * s, l3 = 2.4 * s, t1 = 0.57 * s, t2 = 0.4 * s, t3 = -0.37 * s;
  double h0 = 6.3 * s, d0 = 0.5 * s, d1 = 0.6 * s, d2 = 0.4 * s, d4 = 0.4 * s;
  double l5 = 0.9 * s, t5 = 0.4 * s, d5 = 0.9 * s;
  double w = l1 + t1 + t2 + t3 + l3 + 4 * s, v = h0 + 3 * s;
  double x0 = g - w / 2 + 75, y0 = g - v / 2 - 75;
  double px[13], py[13];
  StandardGeometry() {
    const double x5 = x0 + l1 + t1 + t2 + t3;
    const double xs[13] = {x0,           x0,      x0 + l1, x0 + l1 + t1, x0 + l1 + t1 + t2,
                           x5,           x5,      x5 + l3, x5 + l3,      x0 + l5 + t5,
                           x0 + l5 + t5, x0 + l5, x0 + l5};
    const double ys[13] = {y0,      y0 + d2, y0 + d1, y0 + h0, y0 + h0, y0 + d1, y0 + d1,
                           y0 + d4, y0,      y0,      y0 - d5, y0 - d5, y0};
    std::copy(xs, xs + 13, px);
    std::copy(ys, ys + 13, py);
  }
  double yg() const { return py[2] + d0; }
  double xe() const { return px[2] + d0 * t1 / (h0 - d1); }
};

void Draw(SketchCanvas& vd, const SketchInputs& in, RecordingMessageSink& sink, float z = 0) {
  DrawCantileverSketch(vd, in, z, sink);
}

TEST(CantileverSketch, StandardWallSectionGroundBackfillAndLoads) {
  SketchCanvas vd;
  RecordingMessageSink sink;
  Draw(vd, Standard(), sink);
  ASSERT_TRUE(sink.shown.empty());
  const StandardGeometry g;

  const SketchPrimitive* section = FindSection(vd);
  ASSERT_NE(section, nullptr);
  EXPECT_EQ(&vd.Primitives().front(), section) << "the section is drawn first";
  EXPECT_EQ(section->state.pen_color, kSketchBlack);
  ASSERT_EQ(section->points.size(), 14u) << "P0 … P12, closed";
  for (int i = 0; i < 13; ++i) {
    ExpectPoint(section->points[i], g.px[i], g.py[i], "P" + std::to_string(i));
  }
  EXPECT_EQ(section->points[13], section->points[0]);

  // Backfill from Q = P4 (H1 = 0): surface g long, level (β = 0) on its dotted grey reference,
  // and no arc.
  auto thick = LinesWith(vd, kSketchBlue, 10);
  ASSERT_EQ(thick.size(), 2u) << "backfill surface and ground over the toe";
  ExpectPoint(thick[0].points[0], g.px[4], g.py[4], "surface start");
  ExpectPoint(thick[0].points[1], g.px[4] + g.g, g.py[4], "surface end");
  auto dotted = LinesWith(vd, kSketchGrey, 0, SketchPenStyle::Dot);
  ASSERT_EQ(dotted.size(), 1u);
  EXPECT_EQ(dotted[0].points, thick[0].points);
  EXPECT_TRUE(OfKind(vd, PrimitiveKind::Arc).empty());
  auto q1 = PolygonsFilled(vd, kSketchGreen);
  ASSERT_EQ(q1.size(), 1u);
  EXPECT_EQ(q1[0].state.pen_color, kSketchBlue);
  ExpectPoint(q1[0].points[0], g.px[4], g.py[4] + 35, "q1 band 1");
  ExpectPoint(q1[0].points[2], g.px[4] + g.g, g.py[4] + 80, "q1 band 3");

  // Ground over the toe up to the front face, with the surcharge q2 over the toe.
  auto ground = PolygonsFilled(vd, kSketchCyan);
  ASSERT_EQ(ground.size(), 1u);
  EXPECT_EQ(ground[0].state.pen_color, kSketchCyan);
  ExpectPoint(ground[0].points[0], g.px[0], g.yg(), "ground band 1");
  ExpectPoint(ground[0].points[1], g.xe(), g.yg(), "ground band 2");
  ExpectPoint(ground[0].points[2], g.xe(), g.yg() - 20, "ground band 3");
  ExpectPoint(thick[1].points[0], g.px[0], g.yg(), "ground line start");
  ExpectPoint(thick[1].points[1], g.xe(), g.yg(), "ground line end");

  // Crest load W0 over T2, then q2.
  auto rectangles = OfKind(vd, PrimitiveKind::Rectangle);
  ASSERT_EQ(rectangles.size(), 2u);
  for (const auto& r : rectangles) {
    EXPECT_EQ(r.state.fill_color, kSketchGreen);
    EXPECT_EQ(r.state.pen_color, kSketchBlue);
    EXPECT_EQ(r.state.pen_width, 0);
  }
  ExpectPoint(rectangles[0].points[0], g.px[3], g.py[3] + 35, "W0 1");
  ExpectPoint(rectangles[0].points[1], g.px[4], g.py[3] + 80, "W0 2");
  ExpectPoint(rectangles[1].points[0], g.px[0], g.yg() + 35, "q2 1");
  ExpectPoint(rectangles[1].points[1], g.px[2], g.yg() + 80, "q2 2");

  // The dimension lines of L1..L3 below the base and T1, T2 above the crest.
  auto has_grey = [&](double x1, double y1, double x2, double y2) {
    for (const auto& p : LinesWith(vd, kSketchGrey, 0)) {
      if (std::fabs(p.points[0].x - x1) < kTol && std::fabs(p.points[0].y - y1) < kTol &&
          std::fabs(p.points[1].x - x2) < kTol && std::fabs(p.points[1].y - y2) < kTol) {
        return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(has_grey(g.px[0], g.y0 - g.s / 2, g.px[7], g.y0 - g.s / 2));
  EXPECT_TRUE(has_grey(g.px[2], g.py[3] + 0.75 * g.s, g.px[4], g.py[3] + 0.75 * g.s));
  EXPECT_TRUE(has_grey(g.px[8] + g.s, g.y0, g.px[8] + g.s, g.py[4])) << "H1 guide";
}

TEST(CantileverSketch, StandardWallSymbols) {
  SketchCanvas vd;
  RecordingMessageSink sink;
  Draw(vd, Standard(), sink);
  const StandardGeometry g;
  EXPECT_EQ(test::Texts(vd),
            (std::vector<std::string>{"L1", "L2", "L3", "T1", "T2", "H0", "D0", "D1", "D2", "D4",
                                      "β", "q1", "q2", "W0", "H1"}));
  for (const auto& p : OfKind(vd, PrimitiveKind::Text)) {
    EXPECT_EQ(p.state.font_charset, 128) << p.text;
    EXPECT_EQ(p.state.text_size, 65) << p.text;
  }
  const double below = g.y0 - g.s / 2 + 75, above = g.py[3] + 0.75 * g.s + 75;
  struct Expected {
    const char* text;
    double x, y;
  };
  const Expected expected[] = {
      {"L1", (g.px[0] + g.px[2]) / 2 - 25, below},
      {"L2", (g.px[2] + g.px[5]) / 2 - 25, below},
      {"L3", (g.px[5] + g.px[7]) / 2 - 25, below},
      {"T1", (g.px[2] + g.px[3]) / 2 - 25, above},
      {"T2", (g.px[3] + g.px[4]) / 2 - 25, above},
      {"D4", g.px[7] + g.g / 4 + 15, (g.py[8] + g.py[7]) / 2 + 35},
      {"β", g.px[4] + g.g / 3 + 40, g.py[4] + 40},
      {"q1", g.px[4] + 0.5 * g.g, g.py[4] + 165},
      {"q2", (g.px[1] + g.px[2]) / 2 - 20, g.yg() + 180},
      {"W0", g.px[3] - 90, g.py[3] + 105},
      {"H1", g.px[8] + g.s + 15, (g.py[4] + g.py[8] - 35) / 2},
  };
  for (const Expected& e : expected) {
    const SketchPrimitive* p = FindText(vd, e.text);
    ASSERT_NE(p, nullptr) << e.text;
    ExpectPoint(p->points[0], e.x, e.y, e.text);
  }
  // H0 and the slab symbols stand left of the toe, each at the middle of its height.
  auto at = [&](const char* t) { return FindText(vd, t)->points[0]; };
  for (const char* t : {"H0", "D0", "D1", "D2"}) EXPECT_LT(at(t).x + 65, g.x0) << t;
  EXPECT_LT(at("H0").x, at("D1").x);
  EXPECT_NEAR(at("H0").y - 33, (g.py[0] + g.py[3]) / 2, kTol);
  EXPECT_NEAR(at("D0").y - 33, (g.py[2] + g.yg()) / 2, kTol);
  EXPECT_NEAR(at("D1").y - 33, (g.py[0] + g.py[2]) / 2, kTol);
  EXPECT_NEAR(at("D2").y - 33, (g.py[0] + g.py[1]) / 2, kTol);
}

TEST(CantileverSketch, ZeroDimensionsAndTheThreeShapes) {
  struct Case {
    const char* name;
    std::function<void(SketchInputs&)> change;
    std::vector<const char*> absent;
    std::function<void(const SketchCanvas&, const std::vector<SketchPoint>&)> check;
  };
  const std::vector<Case> cases = {
      {"L1 = 0: L wall without front ground or q2 band, but with the q2 symbol",
       [](SketchInputs& in) { in.l[0] = "0"; },
       {"L1"},
       [](const SketchCanvas& vd, const std::vector<SketchPoint>& p) {
         EXPECT_TRUE(PolygonsFilled(vd, kSketchCyan).empty());
         EXPECT_EQ(OfKind(vd, PrimitiveKind::Rectangle).size(), 1u) << "W0 only";
         EXPECT_EQ(LinesWith(vd, kSketchBlue, 10).size(), 1u) << "surface only";
         EXPECT_TRUE(HasText(vd, "q2"));
         EXPECT_EQ(p[2].x, p[0].x);
       }},
      {"L3 = 0: inverted-L wall, the heel a vertical edge",
       [](SketchInputs& in) { in.l[2] = "0"; },
       {"L3"},
       [](const SketchCanvas&, const std::vector<SketchPoint>& p) { EXPECT_EQ(p[7].x, p[5].x); }},
      {"no shear key: its points on the base line",
       [](SketchInputs& in) { in.fk_l5 = in.fk_t5 = in.fk_d5 = "0"; },
       {},
       [](const SketchCanvas&, const std::vector<SketchPoint>& p) {
         for (int i = 9; i <= 12; ++i) EXPECT_EQ(p[i].y, p[0].y) << "P" << i;
       }},
      {"T1 = 0: vertical front face, ground up to its foot's x",
       [](SketchInputs& in) { in.t[0] = "0"; },
       {"T1"},
       [](const SketchCanvas& vd, const std::vector<SketchPoint>& p) {
         EXPECT_EQ(p[3].x, p[2].x);
         EXPECT_EQ(PolygonsFilled(vd, kSketchCyan)[0].points[1].x, p[2].x);
       }},
      {"T2 = 0", [](SketchInputs& in) { in.t[1] = "0"; }, {"T2"}, nullptr},
      {"L2 = 0", [](SketchInputs& in) { in.l[1] = "0"; }, {"L2"}, nullptr},
      {"D0 = 0", [](SketchInputs& in) { in.d[0] = "0"; }, {"D0"}, nullptr},
      {"D2 = 0", [](SketchInputs& in) { in.d[2] = "0"; }, {"D2"}, nullptr},
      {"D4 = 0", [](SketchInputs& in) { in.d[4] = "0"; }, {"D4"}, nullptr},
      {"D1 = 0", [](SketchInputs& in) { in.d[1] = "0"; }, {"D1"}, nullptr},
      {"H0 = 0", [](SketchInputs& in) { in.h[0] = "0"; }, {"H0"}, nullptr},
  };
  const std::vector<std::string> all = {"L1", "L2", "L3", "T1", "T2", "H0", "D0", "D1",
                                        "D2", "D4", "β",  "q1", "q2", "W0", "H1"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SketchInputs in = Standard();
    c.change(in);
    SketchCanvas vd;
    RecordingMessageSink sink;
    Draw(vd, in, sink);
    ASSERT_TRUE(sink.shown.empty());
    for (const std::string& t : all) {
      const bool absent = std::find(c.absent.begin(), c.absent.end(), t) != c.absent.end();
      EXPECT_EQ(HasText(vd, t), !absent) << t;
    }
    if (c.check) c.check(vd, FindSection(vd)->points);
  }
}

// Below the crest the surface and q1 start on the back face at Q, while the reference line, the
// arc and the q1 symbol stay at the back corner's x.
TEST(CantileverSketch, LowerBackfillStartsOnTheBackFace) {
  const StandardGeometry g;
  for (const char* h1 : {"0", "6300", "4000", "600"}) {
    SCOPED_TRACE(std::string("H1 ") + h1);
    SketchInputs in = Standard();
    in.h[1] = h1;
    in.beta = "20";
    SketchCanvas vd;
    RecordingMessageSink sink;
    Draw(vd, in, sink);
    ASSERT_TRUE(sink.shown.empty());
    const double height = std::string(h1) == "0" ? g.h0 : std::stod(h1) * 0.001 * g.s;
    const double qy = g.y0 + height;
    const double qx = g.px[4] - (g.h0 - height) * (g.px[4] - g.px[5]) / (g.py[4] - g.py[5]);
    const double beta = 20 * kPiSingle / 180;
    ExpectPoint(LinesWith(vd, kSketchBlue, 10)[0].points[0], qx, qy, "surface start");
    ExpectPoint(PolygonsFilled(vd, kSketchGreen)[0].points[0], qx - 35 * std::sin(beta),
                qy + 35 * std::cos(beta), "q1 band start");
    auto dotted = LinesWith(vd, kSketchGrey, 0, SketchPenStyle::Dot);
    ASSERT_EQ(dotted.size(), 1u);
    ExpectPoint(dotted[0].points[0], g.px[4], qy, "reference start");
    auto arcs = OfKind(vd, PrimitiveKind::Arc);
    ASSERT_EQ(arcs.size(), 1u);
    EXPECT_EQ(arcs[0].state.pen_color, kSketchGrey);
    ExpectPoint(arcs[0].points[0], g.px[4], qy, "arc centre");
    EXPECT_NEAR(arcs[0].radius, g.g / 3, kTol);
    EXPECT_NEAR(arcs[0].end_angle, beta, 1e-6);
    ExpectPoint(FindText(vd, "q1")->points[0],
                g.px[4] + 0.5 * g.g * std::cos(beta) - 165 * std::sin(beta),
                qy + 0.5 * g.g * std::sin(beta) + 165 * std::cos(beta), "q1 symbol");
  }
}

TEST(CantileverSketch, ScaleFollowsTheLargerOfHeightAndWidth) {
  struct Case {
    const char* name;
    const char *h0, *l1, *l2, *l3;
    float z;
    double height, width;  // H0 and L1 + L2 + L3, drawing units
  };
  const Case cases[] = {
      {"standard: higher", "6300", "1000", "600", "2400", 0, 1250, 4.0 * 1250 / 6.3},
      {"higher, Z +400", "6300", "1000", "600", "2400", 400, 1650, 4.0 * 1650 / 6.3},
      {"wider", "3000", "1500", "1000", "3500", 0, 1250 / 2.0, 1250},
      {"wider, Z -600", "2000", "0", "1000", "3000", -600, 650 / 2.0, 650},
      {"as wide as high: the width rules", "4000", "1000", "1000", "2000", 0, 1250, 1250},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SketchInputs in = Standard();
    in.h[0] = c.h0;
    in.l = {c.l1, c.l2, c.l3};
    in.t = {"0", "400", "0"};
    SketchCanvas vd;
    RecordingMessageSink sink;
    Draw(vd, in, sink, c.z);
    ASSERT_TRUE(sink.shown.empty());
    const SketchPrimitive* section = FindSection(vd);
    ASSERT_NE(section, nullptr);
    EXPECT_NEAR(section->points[3].y - section->points[0].y, c.height, kTol);
    EXPECT_NEAR(section->points[8].x - section->points[0].x, c.width, kTol);
  }
}

TEST(CantileverSketch, InvalidBoxShowsTheDrawingErrorAndKeepsThePreviousSketch) {
  struct Case {
    const char* name;
    std::function<void(SketchInputs&)> change;
  };
  const std::vector<Case> cases = {
      {"H0 not a number", [](SketchInputs& in) { in.h[0] = "abc"; }},
      {"H1 empty", [](SketchInputs& in) { in.h[1] = ""; }},
      {"L1 not a number", [](SketchInputs& in) { in.l[0] = "x"; }},
      {"L2 empty", [](SketchInputs& in) { in.l[1] = ""; }},
      {"L3 with trailing text", [](SketchInputs& in) { in.l[2] = "24mm"; }},
      {"T1 not a number", [](SketchInputs& in) { in.t[0] = "?"; }},
      {"T2 not a number", [](SketchInputs& in) { in.t[1] = "t"; }},
      {"D0 not a number", [](SketchInputs& in) { in.d[0] = "d"; }},
      {"D1 not a number", [](SketchInputs& in) { in.d[1] = "d"; }},
      {"D2 not a number", [](SketchInputs& in) { in.d[2] = "d"; }},
      {"D3 not a number although not drawn", [](SketchInputs& in) { in.d[3] = "d"; }},
      {"D4 not a number", [](SketchInputs& in) { in.d[4] = "d"; }},
      {"β not a number", [](SketchInputs& in) { in.beta = "b"; }},
      {"W0 not a number although not drawn", [](SketchInputs& in) { in.w0 = "w"; }},
      {"shear key not set, its width empty", [](SketchInputs& in) { in.fk_t5 = ""; }},
      {"shear key depth not a number", [](SketchInputs& in) { in.fk_d5 = "-"; }},
      {"shear key distance not a number", [](SketchInputs& in) { in.fk_l5 = "."; }},
      {"counterfort set with an empty fillet",
       [](SketchInputs& in) {
         in.counterfort = true;
         in.sw_bs = "";
       }},
      {"H0 = D1: the stem has no height", [](SketchInputs& in) { in.h[0] = "600"; }},
      {"H0 = 0 and no width",
       [](SketchInputs& in) {
         in.h[0] = "0";
         in.l = {"0", "0", "0"};
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SketchCanvas vd;
    RecordingMessageSink sink;
    Draw(vd, Standard(), sink);
    const size_t before = vd.Primitives().size();
    SketchInputs in = Standard();
    c.change(in);
    Draw(vd, in, sink);
    EXPECT_EQ(sink.beeps, 1);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(sink.shown[0].title, kFullTitle);
    EXPECT_EQ(sink.shown[0].text, kSketchErrorMessage);
    EXPECT_EQ(vd.Primitives().size(), before) << "previous sketch kept";
  }
  // Unset, the counterfort boxes are not read; no β check runs before drawing.
  SketchInputs in = Standard();
  in.sw_t6 = in.sw_l6 = in.sw_bs = "";
  in.beta = "400";
  SketchCanvas vd;
  RecordingMessageSink sink;
  Draw(vd, in, sink);
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_NE(FindSection(vd), nullptr);
}

}  // namespace
}  // namespace ktv
