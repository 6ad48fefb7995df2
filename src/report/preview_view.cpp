#include "report/preview_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "report/report_render.h"
#include "report/report_writer.h"

namespace ktv {

namespace {

// Grey ground around the pages, in pixels.
constexpr int kGap = 12;
constexpr int kShadow = 4;
const QColor kGround(128, 128, 128);
const QColor kShadowColour(64, 64, 64);

double ClampZoom(double percent) {
  return std::clamp(percent, PreviewView::kMinZoom, PreviewView::kMaxZoom);
}

}  // namespace

PreviewView::PreviewView(QWidget* parent) : QAbstractScrollArea(parent) {
  setObjectName(QStringLiteral("VSP"));
  setFrameShape(QFrame::StyledPanel);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setAutoFillBackground(false);
  horizontalScrollBar()->setSingleStep(20);
  verticalScrollBar()->setSingleStep(20);
}

void PreviewView::SetDocument(const ReportWriter* doc) {
  doc_ = doc;
  const int old = page_;
  page_ = PageCount() > 0 ? 1 : 0;
  UpdateScrollBars();
  horizontalScrollBar()->setValue(0);
  verticalScrollBar()->setValue(0);
  viewport()->update();
  if (page_ != old) emit previewPageChanged(page_);
}

int PreviewView::PageCount() const {
  return doc_ != nullptr ? static_cast<int>(doc_->Pages().size()) : 0;
}

void PreviewView::SetPreviewPage(int page) {
  const int count = PageCount();
  if (count == 0) return;
  page = std::clamp(page, 1, count);
  if (page == page_) return;
  page_ = page;
  // A new page is read from its top.
  verticalScrollBar()->setValue(0);
  viewport()->update();
  emit previewPageChanged(page_);
}

void PreviewView::SetZoom(double percent) {
  if (!std::isfinite(percent)) return;
  zoom_ = ClampZoom(percent);
  UpdateScrollBars();
  viewport()->update();
}

void PreviewView::SetZoomMode(ZoomMode mode) {
  mode_ = mode;
  if (mode == ZoomMode::PageWidth || mode == ZoomMode::WholePage) zoom_ = FitZoom(mode);
  UpdateScrollBars();
  viewport()->update();
}

double PreviewView::ScaleForZoom(double percent) const {
  return percent / 100.0 * logicalDpiX() / 1440.0;
}

double PreviewView::PixelsPerTwip() const { return DrawScale(); }

double PreviewView::FitZoom(ZoomMode mode) const {
  const double at100 = ScaleForZoom(100);
  const double frame = 2.0 * frameWidth();
  const double width = std::max(1.0, this->width() - frame - 2.0 * kGap);
  const double height = std::max(1.0, this->height() - frame - 2.0 * kGap);
  double scale = 0;
  if (mode == ZoomMode::PageWidth) {
    // The page is taller than the view at this width, so the vertical scroll bar takes its room.
    const double bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    scale = std::max(1.0, width - bar) / kA4Width;
  } else if (mode == ZoomMode::WholePage) {
    scale = std::min(width / kA4Width, height / kA4Height);
  } else {
    return zoom_;
  }
  return ClampZoom(scale / at100 * 100.0);
}

double PreviewView::DrawScale() const {
  if (mode_ != ZoomMode::TwoPages) return ScaleForZoom(zoom_);
  const QSize view = viewport()->size();
  const double width = std::max(1, view.width() - 3 * kGap) / (2.0 * kA4Width);
  const double height = std::max(1, view.height() - 2 * kGap) / kA4Height;
  return std::max(1e-4, std::min(width, height));
}

QSize PreviewView::ContentSize() const {
  if (mode_ == ZoomMode::TwoPages) return viewport()->size();
  const double scale = DrawScale();
  return QSize(static_cast<int>(std::ceil(kA4Width * scale)) + 2 * kGap,
               static_cast<int>(std::ceil(kA4Height * scale)) + 2 * kGap);
}

void PreviewView::UpdateScrollBars() {
  // Keep the same part of the page in view when the zoom changes.
  auto relative = [](const QScrollBar* bar) {
    return bar->maximum() > 0 ? static_cast<double>(bar->value()) / bar->maximum() : 0.0;
  };
  const double rx = relative(horizontalScrollBar());
  const double ry = relative(verticalScrollBar());
  const QSize content = ContentSize();
  const QSize view = viewport()->size();
  horizontalScrollBar()->setRange(0, std::max(0, content.width() - view.width()));
  horizontalScrollBar()->setPageStep(std::max(1, view.width()));
  verticalScrollBar()->setRange(0, std::max(0, content.height() - view.height()));
  verticalScrollBar()->setPageStep(std::max(1, view.height()));
  horizontalScrollBar()->setValue(
      static_cast<int>(std::lround(rx * horizontalScrollBar()->maximum())));
  verticalScrollBar()->setValue(static_cast<int>(std::lround(ry * verticalScrollBar()->maximum())));
}

void PreviewView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  if (mode_ == ZoomMode::PageWidth || mode_ == ZoomMode::WholePage) zoom_ = FitZoom(mode_);
  UpdateScrollBars();
}

void PreviewView::scrollContentsBy(int, int) { viewport()->update(); }

void PreviewView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  painter.fillRect(event->rect(), kGround);
  const int count = PageCount();
  if (count == 0 || page_ < 1) return;

  const double scale = DrawScale();
  const int pw = static_cast<int>(std::ceil(kA4Width * scale));
  const int ph = static_cast<int>(std::ceil(kA4Height * scale));
  const QSize view = viewport()->size();

  std::vector<std::pair<int, QPoint>> shown;  // page index, top-left corner in the viewport
  if (mode_ == ZoomMode::TwoPages) {
    const int total = 2 * pw + kGap;
    const int x = std::max(kGap, (view.width() - total) / 2);
    const int y = std::max(kGap, (view.height() - ph) / 2);
    shown.push_back({page_ - 1, QPoint(x, y)});
    if (page_ < count) shown.push_back({page_, QPoint(x + pw + kGap, y)});
  } else {
    const QSize content = ContentSize();
    const int x = content.width() <= view.width() ? (view.width() - pw) / 2
                                                  : kGap - horizontalScrollBar()->value();
    const int y = content.height() <= view.height() ? (view.height() - ph) / 2
                                                    : kGap - verticalScrollBar()->value();
    shown.push_back({page_ - 1, QPoint(x, y)});
  }

  for (const auto& [index, corner] : shown) {
    const QRect box(corner, QSize(pw, ph));
    if (!box.adjusted(0, 0, kShadow, kShadow).intersects(event->rect())) continue;
    painter.fillRect(box.translated(kShadow, kShadow), kShadowColour);
    painter.save();
    painter.setClipRect(box.intersected(event->rect()));
    painter.translate(corner);
    try {
      PaintPage(doc_->Pages()[static_cast<size_t>(index)], painter, scale);
    } catch (...) {
      // A page that cannot be drawn stays blank; the view must go on painting.
      painter.fillRect(QRect(QPoint(0, 0), box.size()), Qt::white);
    }
    painter.restore();
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
  }
}

void PreviewView::mousePressEvent(QMouseEvent* event) {
  if (event->modifiers() & Qt::ShiftModifier) {
    if (event->button() == Qt::LeftButton) {
      emit nextPageRequested();
      event->accept();
      return;
    }
    if (event->button() == Qt::RightButton) {
      emit previousPageRequested();
      event->accept();
      return;
    }
  }
  QAbstractScrollArea::mousePressEvent(event);
}

void PreviewView::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (delta == 0 || doc_ == nullptr) {
    QAbstractScrollArea::wheelEvent(event);
    return;
  }
  if (event->modifiers() & Qt::ControlModifier) {
    if (delta > 0) {
      emit zoomInRequested();
    } else {
      emit zoomOutRequested();
    }
    event->accept();
    return;
  }
  QScrollBar* bar = verticalScrollBar();
  const int page = page_;
  if (delta < 0 && bar->value() >= bar->maximum()) {
    SetPreviewPage(page_ + 1);
    if (page_ != page) bar->setValue(bar->minimum());
  } else if (delta > 0 && bar->value() <= bar->minimum()) {
    SetPreviewPage(page_ - 1);
    if (page_ != page) bar->setValue(bar->maximum());
  } else {
    QAbstractScrollArea::wheelEvent(event);
    return;
  }
  event->accept();
}

void PreviewView::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_PageDown:
      SetPreviewPage(page_ + 1);
      verticalScrollBar()->setValue(verticalScrollBar()->minimum());
      break;
    case Qt::Key_PageUp:
      SetPreviewPage(page_ - 1);
      verticalScrollBar()->setValue(verticalScrollBar()->minimum());
      break;
    case Qt::Key_Home:
      SetPreviewPage(1);
      break;
    case Qt::Key_End:
      SetPreviewPage(PageCount());
      break;
    default:
      QAbstractScrollArea::keyPressEvent(event);
      return;
  }
  event->accept();
}

void PreviewView::mouseDoubleClickEvent(QMouseEvent* event) {
  // With Shift held the second click of a quick pair turns the page once more.
  if (event->modifiers() & Qt::ShiftModifier) {
    mousePressEvent(event);
    return;
  }
  if (event->button() == Qt::LeftButton) {
    emit zoomInRequested();
    event->accept();
    return;
  }
  if (event->button() == Qt::RightButton) {
    emit zoomOutRequested();
    event->accept();
    return;
  }
  QAbstractScrollArea::mouseDoubleClickEvent(event);
}

}  // namespace ktv
