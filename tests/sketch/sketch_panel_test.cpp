#include "sketch/sketch_panel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <string>

#include "app/messages.h"
#include "families/family_table.h"
#include "families/gravity/gravity_sketch.h"
#include "sketch/sketch_kit.h"
#include "sketch/sketch_view.h"
#include "sketch_test_support.h"

namespace ktv {
namespace {

using test::FindSection;
using test::HasText;
using test::StandardGravityInputs;

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "sketch_tests";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) app_ = new QApplication(argc, argv);
  }
  void TearDown() override {
    delete app_;
    app_ = nullptr;
  }

 private:
  QApplication* app_ = nullptr;
};
::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// Records, with each message, whether the window could be used when it appeared.
class WindowAwareSink : public RecordingMessageSink {
 public:
  QWidget* window = nullptr;
  std::vector<bool> window_enabled;
  MessageAnswer Show(MessageIcon icon, MessageButtons buttons, const std::string& title,
                     const std::string& text) override {
    window_enabled.push_back(window != nullptr && window->isEnabled());
    return RecordingMessageSink::Show(icon, buttons, title, text);
  }
};

class SketchPanelTest : public ::testing::Test {
 protected:
  SketchPanelTest() : panel(sink) {
    inputs = StandardGravityInputs();
    for (WallFamily f : kWallFamilies) panel.SetDrawer(CodeOf(f), ProgramFamilies().Of(f).sketch);
    panel.SetInputSource([this] { return inputs; });
    QObject::connect(&panel, &SketchPanel::sketchDrawn, [this] { ++draws; });
    panel.resize(420, 480);
  }
  template <class T>
  T* Child(const char* name) {
    return panel.findChild<T*>(QString::fromUtf8(name));
  }
  void Click(const char* name) {
    QPushButton* button = Child<QPushButton>(name);
    ASSERT_NE(button, nullptr) << name;
    button->click();
  }
  const SketchCanvas& Canvas() { return panel.View()->Canvas(); }
  double SectionHeight() {
    const SketchPrimitive* section = FindSection(Canvas());
    return section ? section->points[1].y - section->points[0].y : -1;
  }

  RecordingMessageSink sink;
  SketchPanel panel;
  SketchInputs inputs;
  int draws = 0;
};

TEST_F(SketchPanelTest, ControlsCarryTheirNamesAndCaptions) {
  struct Control {
    const char* name;
    const char* caption;
  };
  for (const Control& c : {Control{"cmdZoomUp", "拡大"}, Control{"cmdZoomDown", "縮小"},
                           Control{"cmdSZoom", "標準"}, Control{"cmdScaleUp", "大きく"},
                           Control{"cmdScaleDown", "小さく"}, Control{"cmdSScale", "標準"},
                           Control{"cmdDraw", "再描画"}, Control{"cmdSDraw", "標準図"}}) {
    QPushButton* button = Child<QPushButton>(c.name);
    ASSERT_NE(button, nullptr) << c.name;
    EXPECT_EQ(button->text().toStdString(), c.caption) << c.name;
  }
  QCheckBox* sync = Child<QCheckBox>("chkSyncDraw");
  ASSERT_NE(sync, nullptr);
  EXPECT_EQ(sync->text().toStdString(), "入力値をすぐに図に反映する");
  EXPECT_EQ(panel.View(), Child<SketchView>("VD"));
}

TEST_F(SketchPanelTest, ScaleUpReaches5000InTwentyFivePressesThenOnlyBeeps) {
  for (int i = 0; i < 25; ++i) Click("cmdScaleUp");
  EXPECT_EQ(panel.ScaleOffset(kGravity), 5000);
  EXPECT_EQ(draws, 25);
  EXPECT_EQ(sink.beeps, 0);
  EXPECT_NEAR(SectionHeight(), 2000 - 800 + 5000, 0.05) << "the sketch follows the offset";
  Click("cmdScaleUp");
  EXPECT_EQ(panel.ScaleOffset(kGravity), 5000);
  EXPECT_EQ(sink.beeps, 1);
  EXPECT_EQ(draws, 25) << "a refused press does not redraw";
  EXPECT_TRUE(sink.shown.empty());
}

TEST_F(SketchPanelTest, ScaleDownStopsAtMinus5000AndStandardResets) {
  for (int i = 0; i < 25; ++i) Click("cmdScaleDown");
  EXPECT_EQ(panel.ScaleOffset(kGravity), -5000);
  EXPECT_EQ(sink.beeps, 0);
  Click("cmdScaleDown");
  EXPECT_EQ(panel.ScaleOffset(kGravity), -5000);
  EXPECT_EQ(sink.beeps, 1);
  const int before = draws;
  Click("cmdSScale");
  EXPECT_EQ(panel.ScaleOffset(kGravity), 0);
  EXPECT_EQ(draws, before + 1);
  EXPECT_NEAR(SectionHeight(), 1200, 0.05);
}

TEST_F(SketchPanelTest, EachFamilyKeepsItsOwnOffsetUntilTheNextLoad) {
  Click("cmdScaleUp");
  inputs.family = kCantilever;
  Click("cmdScaleDown");
  Click("cmdScaleDown");
  EXPECT_EQ(panel.ScaleOffset(kGravity), 200);
  EXPECT_EQ(panel.ScaleOffset(kLeaning), 0);
  EXPECT_EQ(panel.ScaleOffset(kCantilever), -400);
  panel.View()->SetZoom(150);
  panel.ResetForLoad();
  for (int f = 0; f < kWallFamilyCount; ++f) EXPECT_EQ(panel.ScaleOffset(f), 0) << f;
  EXPECT_EQ(panel.View()->ZoomMode(), SketchView::kZoomModeWholePage);
}

TEST_F(SketchPanelTest, ZoomButtonsStepByTenWithinTheirLimits) {
  struct Case {
    const char* button;
    int from;
    int to;
    int beeps;
  };
  for (const Case& c : {Case{"cmdZoomUp", 300, 310, 0}, Case{"cmdZoomUp", 310, 310, 1},
                        Case{"cmdZoomUp", 120, 130, 0}, Case{"cmdZoomDown", 100, 90, 0},
                        Case{"cmdZoomDown", 90, 90, 1}, Case{"cmdZoomDown", 250, 240, 0}}) {
    sink.beeps = 0;
    panel.View()->SetZoom(c.from);
    Click(c.button);
    EXPECT_EQ(panel.View()->Zoom(), c.to) << c.button << " from " << c.from;
    EXPECT_EQ(panel.View()->ZoomMode(), SketchView::kZoomModePercent);
    EXPECT_EQ(sink.beeps, c.beeps) << c.button << " from " << c.from;
  }
  EXPECT_EQ(draws, 0) << "zooming changes the view only";
  Click("cmdSZoom");
  EXPECT_EQ(panel.View()->ZoomMode(), SketchView::kZoomModeWholePage);
}

TEST_F(SketchPanelTest, ZoomingFromTheWholePageStartsAtItsPercentage) {
  panel.show();
  panel.View()->SetUp();
  SketchView* vd = panel.View();
  // At 100 % the 5000-unit page is 5000 twips wide.
  const double full_size = 5000.0 / 1440 * vd->logicalDpiX();
  const int fit = vd->Zoom();
  ASSERT_GT(fit, 0);
  EXPECT_NEAR(vd->PageRect().width(), full_size * fit / 100, full_size / 100);
  const QSize area = vd->viewport()->size();
  EXPECT_LE(vd->PageRect().width(), std::min(area.width(), area.height()));
  Click("cmdZoomUp");
  EXPECT_EQ(vd->Zoom(), fit + 10);
  EXPECT_NEAR(vd->PageRect().width(), full_size * (fit + 10) / 100, 1e-6);
  panel.hide();
}

TEST_F(SketchPanelTest, SyncDrawDecidesWhetherLeavingABoxRedraws) {
  QCheckBox* sync = Child<QCheckBox>("chkSyncDraw");
  QPushButton* redraw = Child<QPushButton>("cmdDraw");
  ASSERT_TRUE(sync->isChecked());
  EXPECT_FALSE(redraw->isEnabled());
  panel.ShapeInputLeft();
  EXPECT_EQ(draws, 1);

  sync->setChecked(false);
  EXPECT_TRUE(redraw->isEnabled());
  panel.ShapeInputLeft();
  EXPECT_EQ(draws, 1);
  inputs.t[0] = "0";
  Click("cmdDraw");
  EXPECT_EQ(draws, 2);
  EXPECT_FALSE(HasText(Canvas(), "T1")) << "the redraw reads the boxes anew";

  sync->setChecked(true);
  EXPECT_FALSE(redraw->isEnabled());
}

TEST_F(SketchPanelTest, StandardShapeAsksAndOnlyYesResets) {
  int resets = 0;
  QObject::connect(&panel, &SketchPanel::resetToStandardSizesConfirmed, [&] {
    ++resets;
    inputs = StandardGravityInputs();
  });
  inputs.t[2] = "0";

  sink.answer = MessageAnswer::No;
  Click("cmdSDraw");
  EXPECT_EQ(sink.beeps, 1);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].icon, MessageIcon::Question);
  EXPECT_EQ(sink.shown[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(sink.shown[0].title, kFullTitle);
  EXPECT_EQ(sink.shown[0].text, "現在の入力値を基準値に戻します｡よろしいですか？");
  EXPECT_EQ(resets, 0);
  EXPECT_EQ(draws, 0);

  sink.answer = MessageAnswer::Yes;
  Click("cmdSDraw");
  EXPECT_EQ(resets, 1);
  EXPECT_EQ(draws, 1);
  EXPECT_TRUE(HasText(Canvas(), "T3")) << "drawn from the standard sizes set by the window";
}

// Drawing leaves the window as it is (enabled, focus and open lists untouched). A drawing that
// fails shows its message over the sketch, never in a message box, and leaves the last whole
// sketch: a half-drawn one would show a wall that is not the one entered.
TEST_F(SketchPanelTest, AFailedDrawingKeepsTheLastSketchAndShowsItsMessageInTheSketchArea) {
  WindowAwareSink aware;
  SketchPanel own(aware);
  aware.window = own.window();
  own.SetInputs(StandardGravityInputs());
  bool fail_half_way = false;
  bool enabled_while_drawing = false;
  own.SetDrawer(kGravity, [&](SketchCanvas& vd, const SketchInputs& in, float z, MessageSink& s) {
    DrawGravitySketch(vd, in, z, s);
    enabled_while_drawing = own.window()->isEnabled();
    if (fail_half_way) {
      RunSketch(
          vd, s, [] { return 0; },
          [](SketchCanvas& c, int) {
            c.DrawLine(0, 0, 10, 10);
            throw SketchError("half way");
          });
    }
  });
  own.DrawSketch();
  EXPECT_TRUE(enabled_while_drawing);
  EXPECT_FALSE(own.Message()->isVisibleTo(&own));
  const size_t whole = own.View()->Canvas().Primitives().size();
  ASSERT_GT(whole, 0u);

  for (bool half_way : {false, true}) {
    SCOPED_TRACE(half_way);
    SketchInputs bad = StandardGravityInputs();
    if (!half_way) bad.h[0] = "abc";
    fail_half_way = half_way;
    own.SetInputs(half_way ? StandardGravityInputs() : bad);
    own.DrawSketch();
    EXPECT_TRUE(aware.shown.empty()) << "no message box";
    EXPECT_EQ(aware.beeps, 0);
    EXPECT_TRUE(own.Message()->isVisibleTo(&own));
    EXPECT_EQ(
        own.Message()->text().toStdString(),
        QString::fromUtf8(kSketchErrorMessage.data(), static_cast<int>(kSketchErrorMessage.size()))
            .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
            .toStdString());
    EXPECT_EQ(own.View()->Canvas().Primitives().size(), whole) << "the last whole sketch stays";
    EXPECT_TRUE(own.window()->isEnabled());
  }
  // Corrected, the sketch is drawn again and the message goes.
  fail_half_way = false;
  own.SetInputs(StandardGravityInputs());
  own.DrawSketch();
  EXPECT_FALSE(own.Message()->isVisibleTo(&own));

  // A window disabled by a running command stays disabled.
  own.window()->setEnabled(false);
  own.DrawSketch();
  EXPECT_FALSE(own.window()->isEnabled());
}

TEST_F(SketchPanelTest, FamilyWithoutASketchShowsNothing) {
  panel.DrawSketch();
  ASSERT_NE(FindSection(Canvas()), nullptr);
  panel.SetDrawer(kLeaning, SketchDrawer());
  inputs.family = kLeaning;
  panel.DrawSketch();
  EXPECT_TRUE(Canvas().Primitives().empty());
  int calls = 0;
  panel.SetDrawer(kLeaning, [&](SketchCanvas& vd, const SketchInputs&, float z, MessageSink&) {
    ++calls;
    EXPECT_EQ(z, 200);
    vd.DrawLine(0, 0, 1, 1);
  });
  Click("cmdScaleUp");
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(Canvas().Primitives().size(), 1u);
}

// The painted page shows the section in the window-face colour, the green loads and the blue
// ground where the primitives put them.
TEST_F(SketchPanelTest, PaintsThePrimitivesOntoThePage) {
  panel.DrawSketch();
  const int side = 400;
  QImage image(side, side, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    PaintSketch(painter, Canvas(), QRectF(0, 0, side, side), panel.palette());
  }
  auto pixel = [&](double x, double y) {
    return image.pixelColor(static_cast<int>((x + 1000) / 2000 * side),
                            static_cast<int>((1000 - y) / 2000 * side));
  };
  const SketchPrimitive* section = FindSection(Canvas());
  ASSERT_NE(section, nullptr);
  double cx = 0, cy = 0;
  for (int i = 0; i < 4; ++i) cx += section->points[i].x / 4, cy += section->points[i].y / 4;
  EXPECT_EQ(pixel(cx, cy), panel.palette().color(QPalette::Button));

  int green = 0, blue = 0;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      QColor c = image.pixelColor(x, y);
      if (c == QColor(0, 255, 0)) ++green;
      if (c.blue() > 200 && c.red() < 60 && c.green() < 60) ++blue;
    }
  }
  EXPECT_GT(green, 100);
  EXPECT_GT(blue, 10);
}

}  // namespace
}  // namespace ktv
