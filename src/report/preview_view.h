#pragma once
// VSP: the document view of the preview window. It shows the laid-out pages of a finished
// ReportWriter, one page at a zoom percentage or two pages side by side, and turns the mouse
// actions of the window's tooltips into requests the window answers.
#include <QAbstractScrollArea>

namespace ktv {

class ReportWriter;

class PreviewView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  // Percentage: one page at Zoom(). PageWidth / WholePage: one page fitted to the view, Zoom()
  // follows the view's size. TwoPages: the shown page and the next one side by side, fitted.
  enum class ZoomMode { Percentage, PageWidth, WholePage, TwoPages };

  // Zoom limits, percent of the printed size.
  static constexpr double kMinZoom = 10;
  static constexpr double kMaxZoom = 400;

  explicit PreviewView(QWidget* parent = nullptr);

  // The pages of a finished document (nothing shown for null or an empty document). The writer
  // must outlive the view or be replaced first. The view opens on page 1.
  void SetDocument(const ReportWriter* doc);

  int PageCount() const;
  // 1-based number of the page shown (1 = the cover); 0 without pages.
  int PreviewPage() const { return page_; }
  // Kept within 1 .. PageCount(); emits previewPageChanged when the page changes.
  void SetPreviewPage(int page);

  double Zoom() const { return zoom_; }
  // Clamped to kMinZoom .. kMaxZoom; a value that is not a number leaves the zoom unchanged.
  void SetZoom(double percent);

  ZoomMode Mode() const { return mode_; }
  // PageWidth and WholePage set the zoom to the fitted percentage; Percentage keeps the zoom.
  void SetZoomMode(ZoomMode mode);
  // The zoom at which one page fits the view's width or the whole view (clamped to the limits).
  double FitZoom(ZoomMode mode) const;

  // Device pixels per twip at the current zoom (the scale of the pages drawn).
  double PixelsPerTwip() const;

 signals:
  void previewPageChanged(int page);
  // Shift + left click, Shift + right click, left double-click, right double-click.
  void nextPageRequested();
  void previousPageRequested();
  void zoomInRequested();
  void zoomOutRequested();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  // The wheel scrolls a page taller than the view and turns to the next or previous page at its
  // end (Ctrl + wheel zooms); PageUp / PageDown turn pages, Home / End go to the first and last.
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  // Pixels per twip of a zoom percentage on this screen.
  double ScaleForZoom(double percent) const;
  // The scale the pages are drawn at in the current mode.
  double DrawScale() const;
  QSize ContentSize() const;
  void UpdateScrollBars();

  const ReportWriter* doc_ = nullptr;
  int page_ = 0;
  double zoom_ = 95;
  ZoomMode mode_ = ZoomMode::Percentage;
};

}  // namespace ktv
