#pragma once
// The sketch area of the wall page: the drawing control VD with its zoom, scale, redraw and
// standard-shape buttons. The window passes the texts of its boxes in (SketchInputs) and answers
// the standard-shape request; the panel keeps the zoom offsets of the three families.
#include <QWidget>
#include <array>
#include <functional>

#include "app/messages.h"
#include "app/standard_sizes.h"
#include "sketch/sketch_canvas.h"
#include "sketch/sketch_common.h"
#include "sketch/sketch_kit.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace ktv {

class SketchView;

// Question of the "標準図" button.
inline constexpr const char* kResetToStandardQuestion =
    "現在の入力値を基準値に戻します｡よろしいですか？";

class SketchPanel : public QWidget {
  Q_OBJECT

 public:
  static constexpr float kScaleStep = 200;
  static constexpr float kScaleLimit = 5000;
  static constexpr int kZoomStep = 10;
  static constexpr int kZoomUpperLimit = 300;  // "拡大" refuses above it
  static constexpr int kZoomLowerLimit = 100;  // "縮小" refuses below it

  // Beeps and questions go through `sink`, which must outlive the panel.
  explicit SketchPanel(MessageSink& sink, QWidget* parent = nullptr);

  // Where the panel reads the wall page's boxes whenever it draws. Without a source it draws the
  // inputs last given to SetInputs.
  void SetInputSource(std::function<SketchInputs()> source);
  void SetInputs(const SketchInputs& inputs);

  // The drawing operation of a family (0..2); the panel has none until it is given them (the
  // input window gives them from the family table).
  void SetDrawer(int family, SketchDrawer drawer);

  // SketchScaleOffset of a family (0 for a family outside 0..2).
  float ScaleOffset(int family) const;

  // For loading a project: every zoom offset 0 and the drawing control set up afresh (whole page).
  void ResetForLoad();

  bool SyncDraw() const;
  void SetSyncDraw(bool on);

  SketchView* View() const { return view_; }
  // The message of the last drawing that failed, shown over the sketch (hidden when it drew).
  QLabel* Message() const { return message_; }

 public slots:
  // Draws the current family's sketch. The focus and any open list stay as they are. A drawing
  // that fails leaves the previous sketch whole and shows its message in the sketch area, not in
  // a message box: the engineer is in the middle of correcting the section.
  void DrawSketch();
  // "再描画" is enabled exactly while "入力値をすぐに図に反映する" is unchecked.
  void ToggleSyncDraw();
  // To be called when a shape box (T1..T3, L1..L3, H0, D0..D4, B, β, T5, D5, L5) loses the focus.
  void ShapeInputLeft();

  void ZoomUp();
  void ZoomDown();
  void StandardZoom();
  void ScaleUp();
  void ScaleDown();
  void StandardScale();
  // "標準図": asks; on Yes emits resetToStandardSizesConfirmed() and then redraws.
  void ResetToStandardSizes();

 signals:
  // The user confirmed the reset: the window copies the current family's standard sizes into its
  // memory and boxes. The panel redraws after the signal returns.
  void resetToStandardSizesConfirmed();
  // A sketch has been drawn (or attempted).
  void sketchDrawn();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PlaceMessage();
  SketchInputs CurrentInputs() const;
  float* CurrentOffset();
  void ChangeScale(float step);

  MessageSink& sink_;
  std::function<SketchInputs()> source_;
  SketchInputs inputs_;
  std::array<SketchDrawer, kWallFamilyCount> drawers_;
  std::array<float, kWallFamilyCount> scale_offsets_{};
  bool drawing_ = false;

  SketchView* view_;
  QLabel* message_;
  QPushButton* zoom_up_;
  QPushButton* zoom_down_;
  QPushButton* standard_zoom_;
  QPushButton* scale_up_;
  QPushButton* scale_down_;
  QPushButton* standard_scale_;
  QPushButton* draw_;
  QCheckBox* sync_draw_;
  QPushButton* standard_shape_;
};

}  // namespace ktv
