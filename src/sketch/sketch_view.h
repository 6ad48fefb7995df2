#pragma once
// The drawing control `VD` of the wall page: a square page with logical co-ordinates (origin in the
// middle, x to the right, y upwards, 2000 units across), shown whole or at a zoom percentage with
// scroll bars, painting the primitives recorded in its SketchCanvas.
#include <QAbstractScrollArea>
#include <QPalette>
#include <QRectF>

#include "sketch/sketch_canvas.h"

class QPainter;

namespace ktv {

// Paints the recorded primitives, antialiased, with the logical page mapped onto `page` (device
// co-ordinates of the painter). System colours come from `palette`.
// `clip` (device co-ordinates) bounds what is painted; an empty one is the page.
void PaintSketch(QPainter& painter, const SketchCanvas& canvas, const QRectF& page,
                 const QPalette& palette, const QRectF& clip = {});

// The logical rectangle that holds the page and everything drawn, labels included (left, top
// as the page's corner: x grows to the right, y upwards).
struct SketchBounds {
  double left = -1000, right = 1000, bottom = -1000, top = 1000;
};
SketchBounds DrawingBounds(const SketchCanvas& canvas);

// A colour of the drawing state as shown on screen.
QColor SketchColor(uint32_t color, const QPalette& palette);

class SketchView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  // Zoom modes of the control.
  static constexpr int kZoomModePercent = 0;
  static constexpr int kZoomModeWholePage = 3;
  // The page is 5000 × 5000 page units (twips); at 100 % a page unit is 1/1440 inch.
  static constexpr double kPageSize = 5000;
  // Logical co-ordinates of the page.
  static constexpr double kLogicalLeft = -1000;
  static constexpr double kLogicalTop = 1000;
  static constexpr double kLogicalWidth = 2000;
  static constexpr double kLogicalHeight = -2000;

  explicit SketchView(QWidget* parent = nullptr);

  SketchCanvas& Canvas() { return canvas_; }
  const SketchCanvas& Canvas() const { return canvas_; }

  // The set-up made whenever the window loads a project: the whole page in the window.
  void SetUp();

  int ZoomMode() const { return zoom_mode_; }
  void SetZoomMode(int mode);
  // Zoom percentage; while the whole page is shown, the percentage that fits it.
  int Zoom() const;
  // Shows the page at `percent` (zoom mode 0).
  void SetZoom(int percent);

  // Where the page lies in the viewport. While the whole page is shown, the page and every
  // label drawn beyond it fit the view, so that nothing is cut at its edge.
  QRectF PageRect() const;
  // The white paper: the page and the drawing's bounds around it.
  QRectF PaperRect() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  double PixelsPerPageAtFullSize() const;
  double PageSidePixels() const;
  void UpdateScrollBars();
  // Keeps the point of the page in the middle of the view while the zoom changes.
  void ChangeView(int mode, int percent);

  SketchCanvas canvas_;
  int zoom_mode_ = kZoomModeWholePage;
  int zoom_ = 100;
};

}  // namespace ktv
