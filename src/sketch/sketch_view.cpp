#include "sketch/sketch_view.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QScrollBar>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace ktv {
namespace {

constexpr int kMargin = 6;  // pixels of background around the page
const QColor kBackground(0x90, 0x90, 0x90);

struct PageMap {
  QRectF page;
  double x_factor;
  double y_factor;
  QPointF operator()(SketchPoint p) const {
    return {page.left() + (p.x - SketchView::kLogicalLeft) * x_factor,
            page.top() + (p.y - SketchView::kLogicalTop) * y_factor};
  }
  double Length(double units) const { return units * std::fabs(x_factor); }
};

QPen PenOf(const DrawState& s, const PageMap& map, const QPalette& palette) {
  QPen pen(SketchColor(s.pen_color, palette));
  // Width 0 is the thinnest line the screen shows.
  pen.setWidthF(s.pen_width > 0 ? std::max(1.0, map.Length(s.pen_width)) : 0.0);
  pen.setStyle(s.pen_style == SketchPenStyle::Dot ? Qt::DotLine : Qt::SolidLine);
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::MiterJoin);
  return pen;
}

QBrush BrushOf(const DrawState& s, const QPalette& palette) {
  if (s.fill_style == FillStyle::Transparent) return Qt::NoBrush;
  return QBrush(SketchColor(s.fill_color, palette));
}

QFont SymbolFont() {
  QFont font;
  font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                    QStringLiteral("IPAPMincho"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(100);
  return font;
}

// Width of a text in drawing units at its text size.
double TextWidth(const SketchPrimitive& p) {
  static const QFont font = SymbolFont();
  const QFontMetricsF metrics(font);
  return metrics.horizontalAdvance(QString::fromStdString(p.text)) * p.state.text_size /
         metrics.height();
}

void PaintText(QPainter& painter, const SketchPrimitive& p, const PageMap& map,
               const QPalette& palette) {
  static const QFont font = SymbolFont();
  const QFontMetricsF metrics(font);
  // The text size is the height of a line of text; the position is its top-left corner.
  const double scale = map.Length(p.state.text_size) / metrics.height();
  if (!(scale > 0) || !std::isfinite(scale)) return;
  painter.save();
  painter.setFont(font);
  painter.setPen(SketchColor(p.state.text_color, palette));
  painter.translate(map(p.points.front()));
  painter.scale(scale, scale);
  painter.drawText(QPointF(0, metrics.ascent()), QString::fromStdString(p.text));
  painter.restore();
}

void PaintArc(QPainter& painter, const SketchPrimitive& p, const PageMap& map) {
  const double sweep = static_cast<double>(p.end_angle) - p.start_angle;
  const int steps =
      std::clamp(static_cast<int>(std::ceil(std::fabs(sweep) / (std::numbers::pi / 90))), 8, 720);
  const SketchPoint c = p.points.front();
  QPainterPath path;
  for (int i = 0; i <= steps; ++i) {
    const double a = p.start_angle + sweep * i / steps;
    const QPointF q = map({static_cast<float>(c.x + p.radius * std::cos(a)),
                           static_cast<float>(c.y + p.radius * std::sin(a))});
    if (i == 0) {
      path.moveTo(q);
    } else {
      path.lineTo(q);
    }
  }
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(path);
}

}  // namespace

QColor SketchColor(uint32_t color, const QPalette& palette) {
  if (color & 0x80000000u) {
    switch (color & 0xFFu) {
      case 5:  // window background
        return palette.color(QPalette::Base);
      case 8:  // window text
        return palette.color(QPalette::Text);
      case 15:  // window faces
        return palette.color(QPalette::Button);
      case 16:  // shadows of window faces
        return palette.color(QPalette::Mid);
      case 18:  // text on window faces
        return palette.color(QPalette::ButtonText);
      default:
        return palette.color(QPalette::Button);
    }
  }
  return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

SketchBounds DrawingBounds(const SketchCanvas& canvas) {
  SketchBounds b;
  auto take = [&b](double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    b.left = std::min(b.left, x);
    b.right = std::max(b.right, x);
    b.bottom = std::min(b.bottom, y);
    b.top = std::max(b.top, y);
  };
  for (const SketchPrimitive& p : canvas.Primitives()) {
    if (p.points.empty()) continue;
    switch (p.kind) {
      case PrimitiveKind::Text: {
        const SketchPoint c = p.points.front();
        take(c.x, c.y);
        take(c.x + TextWidth(p), c.y - p.state.text_size);
        break;
      }
      case PrimitiveKind::Arc: {
        const SketchPoint c = p.points.front();
        take(c.x - p.radius, c.y - p.radius);
        take(c.x + p.radius, c.y + p.radius);
        break;
      }
      default:
        for (const SketchPoint& q : p.points) take(q.x, q.y);
    }
  }
  // A drawing far off its page (a huge input) is not worth shrinking the sketch to a dot.
  constexpr double kMostBeyond = 2000;
  b.left = std::max(b.left, -1000 - kMostBeyond);
  b.right = std::min(b.right, 1000 + kMostBeyond);
  b.bottom = std::max(b.bottom, -1000 - kMostBeyond);
  b.top = std::min(b.top, 1000 + kMostBeyond);
  // A little paper around the outermost label.
  constexpr double kPad = 20;
  if (b.left < -1000) b.left -= kPad;
  if (b.right > 1000) b.right += kPad;
  if (b.bottom < -1000) b.bottom -= kPad;
  if (b.top > 1000) b.top += kPad;
  return b;
}

void PaintSketch(QPainter& painter, const SketchCanvas& canvas, const QRectF& page,
                 const QPalette& palette, const QRectF& clip) {
  const PageMap map{page, page.width() / SketchView::kLogicalWidth,
                    page.height() / SketchView::kLogicalHeight};
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setClipRect(clip.isEmpty() ? page : clip);
  for (const SketchPrimitive& p : canvas.Primitives()) {
    if (p.points.empty()) continue;
    painter.setPen(PenOf(p.state, map, palette));
    switch (p.kind) {
      case PrimitiveKind::Line:
        painter.drawLine(map(p.points[0]), map(p.points[1]));
        break;
      case PrimitiveKind::Polygon: {
        QPolygonF polygon;
        for (const SketchPoint& v : p.points) polygon << map(v);
        painter.setBrush(BrushOf(p.state, palette));
        painter.drawPolygon(polygon);
        break;
      }
      case PrimitiveKind::Rectangle:
        painter.setBrush(BrushOf(p.state, palette));
        painter.drawRect(QRectF(map(p.points[0]), map(p.points[1])).normalized());
        break;
      case PrimitiveKind::Arc:
        PaintArc(painter, p, map);
        break;
      case PrimitiveKind::Text:
        PaintText(painter, p, map, palette);
        break;
    }
  }
  painter.restore();
}

SketchView::SketchView(QWidget* parent) : QAbstractScrollArea(parent) {
  setObjectName(QStringLiteral("VD"));
  setFrameShape(QFrame::StyledPanel);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  canvas_.SetChangeHandler([this] { viewport()->update(); });
}

void SketchView::SetUp() { ChangeView(kZoomModeWholePage, zoom_); }

void SketchView::SetZoomMode(int mode) {
  // Leaving the whole-page view keeps the percentage it was shown at.
  const bool keep_fit = mode != kZoomModeWholePage && zoom_mode_ == kZoomModeWholePage;
  ChangeView(mode, keep_fit ? Zoom() : zoom_);
}

void SketchView::SetZoom(int percent) { ChangeView(kZoomModePercent, std::max(1, percent)); }

int SketchView::Zoom() const {
  if (zoom_mode_ != kZoomModeWholePage) return zoom_;
  return static_cast<int>(std::floor(PageSidePixels() / PixelsPerPageAtFullSize() * 100.0));
}

double SketchView::PixelsPerPageAtFullSize() const {
  const int dpi = logicalDpiX() > 0 ? logicalDpiX() : 96;
  return kPageSize / 1440.0 * dpi;
}

double SketchView::PageSidePixels() const {
  if (zoom_mode_ == kZoomModeWholePage) {
    const QSize area = viewport()->size();
    const SketchBounds b = DrawingBounds(canvas_);
    const double w = std::max(1, area.width() - 2 * kMargin);
    const double h = std::max(1, area.height() - 2 * kMargin);
    return std::max(1.0, std::min(w * kLogicalWidth / (b.right - b.left),
                                  h * kLogicalWidth / (b.top - b.bottom)));
  }
  return PixelsPerPageAtFullSize() * zoom_ / 100.0;
}

QRectF SketchView::PaperRect() const {
  const QRectF page = PageRect();
  const double unit = page.width() / kLogicalWidth;
  const SketchBounds b = DrawingBounds(canvas_);
  return {page.left() + (b.left - kLogicalLeft) * unit, page.top() + (kLogicalTop - b.top) * unit,
          (b.right - b.left) * unit, (b.top - b.bottom) * unit};
}

QRectF SketchView::PageRect() const {
  const double side = PageSidePixels();
  if (zoom_mode_ == kZoomModeWholePage) {
    // The drawing's bounds centred in the view, the page where it lies within them.
    const QSize area = viewport()->size();
    const double unit = side / kLogicalWidth;
    const SketchBounds b = DrawingBounds(canvas_);
    const double left = (area.width() - (b.right - b.left) * unit) / 2;
    const double top = (area.height() - (b.top - b.bottom) * unit) / 2;
    return {left + (kLogicalLeft - b.left) * unit, top + (b.top - kLogicalTop) * unit, side, side};
  }
  const QSize area = viewport()->size();
  auto origin = [&](int extent, const QScrollBar* bar) {
    const double total = side + 2 * kMargin;
    if (total <= extent) return (extent - side) / 2.0;
    return kMargin - static_cast<double>(bar->value());
  };
  return {origin(area.width(), horizontalScrollBar()), origin(area.height(), verticalScrollBar()),
          side, side};
}

void SketchView::UpdateScrollBars() {
  const int total = static_cast<int>(std::ceil(PageSidePixels())) + 2 * kMargin;
  const QSize area = viewport()->size();
  horizontalScrollBar()->setRange(0, std::max(0, total - area.width()));
  horizontalScrollBar()->setPageStep(area.width());
  verticalScrollBar()->setRange(0, std::max(0, total - area.height()));
  verticalScrollBar()->setPageStep(area.height());
}

void SketchView::ChangeView(int mode, int percent) {
  // Page fraction at the middle of the view, kept across the change.
  const QRectF before = PageRect();
  const QSizeF area = viewport()->size();
  const double fx = (area.width() / 2 - before.left()) / before.width();
  const double fy = (area.height() / 2 - before.top()) / before.height();
  zoom_mode_ = mode;
  zoom_ = percent;
  UpdateScrollBars();
  const double side = PageSidePixels();
  horizontalScrollBar()->setValue(
      static_cast<int>(std::lround(kMargin + fx * side - area.width() / 2)));
  verticalScrollBar()->setValue(
      static_cast<int>(std::lround(kMargin + fy * side - area.height() / 2)));
  viewport()->update();
}

QSize SketchView::sizeHint() const { return {380, 380}; }

QSize SketchView::minimumSizeHint() const { return {160, 160}; }

void SketchView::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), kBackground);
  const QRectF page = PageRect();
  const QRectF paper = zoom_mode_ == kZoomModeWholePage ? PaperRect() : page;
  painter.fillRect(paper.translated(3, 3), QColor(0x60, 0x60, 0x60));
  painter.fillRect(paper, Qt::white);
  PaintSketch(painter, canvas_, page, palette(), paper);
  painter.setPen(QPen(Qt::black, 0));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(paper);
}

void SketchView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void SketchView::scrollContentsBy(int /*dx*/, int /*dy*/) { viewport()->update(); }

}  // namespace ktv
