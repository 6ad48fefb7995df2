#include "sketch/sketch_kit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "app/wall_family.h"
#include "families/family_table.h"
#include "sketch_test_support.h"

namespace ktv {
namespace {

TEST(SketchKit, ScaleRuleAndLengths) {
  // s = (A − c + Z) / M
  EXPECT_FLOAT_EQ(SketchScale(2000, 800, 0, 2.3f), 1200 / 2.3f);
  EXPECT_FLOAT_EQ(SketchScale(2000, 800, -200, 4.0f), 250);
  EXPECT_THROW(SketchScale(2000, 800, 0, 0), SketchError);
  EXPECT_FLOAT_EQ(ScaledLength(2300, 500), 1150);
  EXPECT_THROW(ScaledLength(std::numeric_limits<float>::max(), 1e30f), SketchError);
  EXPECT_THROW(Coordinate(std::nan("")), SketchError);
}

TEST(SketchKit, AFailureShowsTheMessageAndKeepsWhatIsOnScreen) {
  struct Case {
    const char* name;
    bool fail_prepare, fail_draw;
    size_t primitives;  // afterwards
    bool restored;
  };
  const Case cases[] = {{"drawn", false, false, 1, true},
                        {"layout fails", true, false, 2, false},  // the old sketch stays
                        {"drawing fails", false, true, 1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SketchCanvas vd;
    vd.DrawLine(0, 0, 1, 1);
    vd.DrawLine(0, 0, 2, 2);
    vd.SetPenWidth(3);
    RecordingMessageSink sink;
    RunSketch(
        vd, sink,
        [&] {
          if (c.fail_prepare) throw SketchError("no layout");
          return 5.0f;
        },
        [&](SketchCanvas& canvas, float layout) {
          canvas.SetPenWidth(10);
          UseSymbolFont(canvas);
          Symbol(canvas, "H", layout, layout);
          if (c.fail_draw) throw std::runtime_error("drawing");
        });
    EXPECT_EQ(vd.Primitives().size(), c.primitives);
    EXPECT_EQ(vd.PenWidth(), c.restored || c.fail_prepare ? 3 : 10);
    ASSERT_EQ(sink.shown.size(), c.restored ? 0u : 1u);
    if (!c.restored) {
      EXPECT_EQ(sink.shown[0].text, kSketchErrorMessage);
    }
    if (!c.fail_prepare) {
      EXPECT_EQ(vd.Primitives()[0].text, "H");
      EXPECT_EQ(vd.Primitives()[0].state.font_charset, kSymbolCharset);
    }
  }
}

// Every family's drawer leaves the canvas's drawing state as it found it, and a redraw replaces
// its sketch rather than adding to it.
TEST(SketchKit, EveryFamilysSketchSetsTheDrawingStateBackAndRedrawsWhole) {
  for (WallFamily f : kWallFamilies) {
    SCOPED_TRACE(NamesOf(f).key);
    const SketchDrawer& draw = ProgramFamilies().Of(f).sketch;
    ASSERT_TRUE(draw);
    SketchCanvas vd;
    vd.SetFillColor(255);
    vd.SetFillStyle(FillStyle::Transparent);
    vd.SetPenWidth(3);
    vd.SetPenStyle(SketchPenStyle::Dot);
    RecordingMessageSink sink;
    draw(vd, test::StandardInputs(CodeOf(f)), 0, sink);
    ASSERT_TRUE(sink.shown.empty());
    EXPECT_EQ(vd.FillColor(), 255u);
    EXPECT_EQ(vd.GetFillStyle(), FillStyle::Transparent);
    EXPECT_EQ(vd.PenWidth(), 3);
    EXPECT_EQ(vd.GetPenStyle(), SketchPenStyle::Dot);
    const size_t once = vd.Primitives().size();
    draw(vd, test::StandardInputs(CodeOf(f)), 0, sink);
    EXPECT_EQ(vd.Primitives().size(), once);
  }
}

}  // namespace
}  // namespace ktv
