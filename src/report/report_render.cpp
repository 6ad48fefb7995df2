#include "report/report_render.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>
#include <map>

#include "report/pdf_delivery.h"
#include "report/picture_source.h"
#include "report/report_font.h"
#include "report/report_writer.h"

namespace ktv {

namespace {

// Width 0 means the thinnest line: a fine line on paper, at least one device pixel on screen.
constexpr double kHairline = 8;

QColor ToColor(int rgb) { return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF); }

QPen ToPen(const Pen& pen, double scale) {
  double width = pen.width > 0 ? pen.width : std::max(kHairline, 1.0 / scale);
  QPen p(ToColor(pen.color), width, pen.style == PenStyle::Dotted ? Qt::DotLine : Qt::SolidLine,
         Qt::RoundCap, Qt::RoundJoin);
  return p;
}

QBrush ToBrush(const Brush& brush) {
  if (brush.style == BrushStyle::Transparent) return Qt::NoBrush;
  return QBrush(ToColor(brush.color));
}

// Fonts and their metrics by point size, made once per painted page.
struct FontEntry {
  QFont font;
  double ascent;
  double glyph_height;  // ascent + descent
};
class FontCache {
 public:
  const FontEntry& Get(double points) {
    auto it = fonts_.find(points);
    if (it == fonts_.end()) {
      QFont font = ReportFont(points);
      QFontMetricsF fm(font);
      it = fonts_.emplace(points, FontEntry{font, fm.ascent(), fm.ascent() + fm.descent()}).first;
    }
    return it->second;
  }

 private:
  std::map<double, FontEntry> fonts_;
};

void DrawRun(QPainter& painter, FontCache& fonts, const TextRun& run) {
  const FontEntry& f = fonts.Get(run.font_size);
  // Glyphs are centred in the line box.
  double baseline = (run.height - f.glyph_height) / 2 + f.ascent;
  painter.save();
  painter.setFont(f.font);
  painter.setPen(Qt::black);
  painter.translate(run.x, run.y);
  if (run.angle != 0) painter.rotate(-run.angle / 10.0);
  painter.drawText(QPointF(0, baseline), QString::fromStdString(run.text));
  painter.restore();
}

struct ItemPainter {
  QPainter& p;
  double scale;
  FontCache& fonts;

  void operator()(const TextRun& run) const { DrawRun(p, fonts, run); }
  void operator()(const LineItem& line) const {
    p.setPen(ToPen(line.pen, scale));
    p.drawLine(line.from, line.to);
  }
  void operator()(const RectItem& rect) const {
    p.setPen(ToPen(rect.pen, scale));
    p.setBrush(ToBrush(rect.brush));
    p.drawRect(rect.rect);
  }
  void operator()(const CircleItem& c) const {
    p.setPen(ToPen(c.pen, scale));
    p.setBrush(ToBrush(c.brush));
    p.drawEllipse(c.centre, c.radius, c.radius);
  }
  void operator()(const ArcItem& arc) const {
    const double to_deg = 180.0 / 3.14159265358979323846;
    QRectF box(arc.centre.x() - arc.radius, arc.centre.y() - arc.radius, 2 * arc.radius,
               2 * arc.radius);
    QPainterPath path;
    path.arcMoveTo(box, arc.start * to_deg);
    path.arcTo(box, arc.start * to_deg, (arc.end - arc.start) * to_deg);
    p.setPen(ToPen(arc.pen, scale));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
  }
  void operator()(const PolygonItem& poly) const {
    p.setPen(ToPen(poly.pen, scale));
    p.setBrush(ToBrush(poly.brush));
    p.drawPolygon(QPolygonF(QList<QPointF>(poly.points.begin(), poly.points.end())));
  }
  void operator()(const PictureItem& pic) const {
    p.save();
    PaintFormulaPicture(p, pic.key, pic.box);
    p.restore();
  }
  void operator()(const CellItem& cell) const {
    for (const TextRun& run : cell.lines) DrawRun(p, fonts, run);
  }
};

// One line of the text dump: the pieces that share a line box.
struct DumpPiece {
  double centre;
  double left;
  double right;
  double height;
  std::string text;
  bool alone = false;    // rotated text: a line of its own
  bool picture = false;  // set off from its neighbours by blanks
};

}  // namespace

void PaintPage(const Page& page, QPainter& painter, double scale) {
  if (!(scale > 0) || !std::isfinite(scale)) throw ReportError("PaintPage: invalid scale");
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
  painter.scale(scale, scale);
  painter.fillRect(QRectF(0, 0, page.width, page.height), Qt::white);
  FontCache fonts;
  ItemPainter draw{painter, scale, fonts};
  for (const PageItem& item : page.items) std::visit(draw, item);
  painter.restore();
}

void PaintPage(const ReportWriter& doc, int page_index, QPainter& painter, double scale) {
  const auto& pages = doc.Pages();
  if (page_index < 0 || page_index >= static_cast<int>(pages.size())) {
    throw ReportError("PaintPage: there is no page " + std::to_string(page_index) + " (" +
                      std::to_string(pages.size()) + " pages)");
  }
  PaintPage(pages[page_index], painter, scale);
}

void WritePdf(const ReportWriter& doc, const QString& path) {
  const auto& pages = doc.Pages();
  if (pages.empty()) throw ReportError("The report has no pages to write");
  const DocumentProperties& properties = doc.Properties();
  QBuffer painted;
  painted.open(QIODevice::WriteOnly);
  {
    QPdfWriter pdf(&painted);
    pdf.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
    pdf.setResolution(1440);  // one device unit per twip
    const bool landscape = pages.front().width > pages.front().height;
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                  landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                  QMarginsF(0, 0, 0, 0), QPageLayout::Point));
    pdf.setCreator(QString::fromStdString(properties.creator));
    pdf.setTitle(QString::fromStdString(properties.title));
    QPainter painter;
    if (!painter.begin(&pdf)) {
      throw ReportError("The PDF file \"" + path.toStdString() + "\" cannot be written");
    }
    for (size_t i = 0; i < pages.size(); ++i) {
      if (i > 0 && !pdf.newPage()) {
        throw ReportError("The PDF file \"" + path.toStdString() + "\" cannot take more pages");
      }
      PaintPage(pages[i], painter, 1.0);
    }
    if (!painter.end()) {
      throw ReportError("The PDF file \"" + path.toStdString() + "\" could not be finished");
    }
  }
  const QDateTime created =
      properties.created.isValid() ? properties.created : QDateTime::currentDateTime();
  const QByteArray& bytes = painted.data();
  const std::string finished =
      FinishPdf(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                doc.Outline(), properties, created);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      file.write(finished.data(), static_cast<qint64>(finished.size())) !=
          static_cast<qint64>(finished.size()) ||
      !file.flush()) {
    throw ReportError("The PDF file \"" + path.toStdString() + "\" cannot be written");
  }
  file.close();
  if (file.error() != QFileDevice::NoError) {
    throw ReportError("The PDF file \"" + path.toStdString() + "\" was not written");
  }
}

std::string PageText(const Page& page) {
  std::vector<DumpPiece> pieces;
  auto add_run = [&](const TextRun& run) {
    if (run.text.empty()) return;
    if (run.angle != 0) {
      pieces.push_back({run.y, run.x, run.x, run.height, run.text, true, false});
      return;
    }
    pieces.push_back({run.y + run.height / 2, run.x, run.x + run.width, run.height, run.text});
  };
  for (const PageItem& item : page.items) {
    if (const auto* run = std::get_if<TextRun>(&item)) {
      add_run(*run);
    } else if (const auto* cell = std::get_if<CellItem>(&item)) {
      for (const TextRun& line : cell->lines) add_run(line);
    } else if (const auto* pic = std::get_if<PictureItem>(&item)) {
      pieces.push_back({pic->box.center().y(), pic->box.left(), pic->box.right(), pic->box.height(),
                        "[" + pic->key + "]", false, true});
    }
  }
  std::stable_sort(pieces.begin(), pieces.end(),
                   [](const DumpPiece& a, const DumpPiece& b) { return a.centre < b.centre; });
  // Upright pieces whose middles lie close together form one line, read from left to right.
  std::string out = "=== page " + std::to_string(page.number) + " ===\n";
  for (size_t i = 0; i < pieces.size();) {
    size_t j = i + 1;
    if (!pieces[i].alone) {
      double tolerance = 0.3 * std::min(pieces[i].height, 400.0);
      while (j < pieces.size() && !pieces[j].alone &&
             pieces[j].centre - pieces[i].centre <= tolerance) {
        ++j;
      }
    }
    std::vector<DumpPiece> line(pieces.begin() + static_cast<long>(i),
                                pieces.begin() + static_cast<long>(j));
    std::stable_sort(line.begin(), line.end(),
                     [](const DumpPiece& a, const DumpPiece& b) { return a.left < b.left; });
    std::string text;
    double end = 0;
    for (size_t k = 0; k < line.size(); ++k) {
      bool gap = line[k].left > end + 1 || line[k].picture || line[k - (k > 0)].picture;
      if (k > 0 && gap && text.back() != ' ' && line[k].text.front() != ' ') text += ' ';
      text += line[k].text;
      end = std::max(end, line[k].right);
    }
    out += text + "\n";
    i = j;
  }
  return out;
}

std::string DocumentText(const ReportWriter& doc) {
  std::string out;
  for (const Page& page : doc.Pages()) out += PageText(page);
  return out;
}

}  // namespace ktv
