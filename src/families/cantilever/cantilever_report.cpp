#include "families/cantilever/cantilever_report.h"

#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/errors.h"
#include "app/format.h"
#include "earth_pressure/earth_pressure.h"
#include "families/cantilever/cantilever_checks.h"
#include "families/cantilever/cantilever_form.h"
#include "families/cantilever/cantilever_json.h"
#include "families/cantilever/cantilever_reader.h"
#include "report/chapter_kit.h"
#include "report/figure_kit.h"
#include "report/formula_pictures.h"
#include "report/report_writer.h"

namespace ktv {
namespace {

const std::string kNewLine(kCrLf);
// The blanks between a stability verdict line and its word.
const std::string kWordGap("       ");

std::string Picture(std::string_view key) { return std::string(key) + ".bmp"; }

// ---- tables -------------------------------------------------------------------------------------

// A table of one header row (three rows high) with its body rows and a total row; the texts of
// its cells as given.
struct SimpleTable {
  std::vector<double> widths;
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;  // the last one is the total
};

// A table with two header rows: two groups of two columns each over their column names.
struct GroupedTable {
  std::array<double, 4> widths{};
  std::array<std::string, 2> groups;
  std::array<std::string, 4> names;
  std::vector<std::array<std::string, 4>> rows;  // the last one is the total
};

double TableWidth(const std::vector<double>& widths) {
  double sum = 0;
  for (double w : widths) sum += w;
  return sum;
}

void WriteSimpleTable(ReportWriter& w, const SimpleTable& t, double indent) {
  const int cols = static_cast<int>(t.widths.size());
  const int rows = static_cast<int>(t.rows.size()) + 1;
  w.BeginTable();
  if (indent > 0) w.SetTableIndent(indent);
  w.SetTableCols(cols);
  w.SetTableRows(rows);
  w.SetRuleAbove(2);
  w.SetRuleAbove(rows);
  w.SetTableFlag();
  w.SetCellAlignment(TableRange::All(), kAlignNumbersRight);
  w.SetRowHeight(1, w.GetRowHeight(1) * 3);
  for (int c = 0; c < cols; ++c) w.SetColumnWidth(c + 1, t.widths[c]);
  w.SetHeaderRow(1);
  w.SetCellAlignment(TableRange::Row(1), kAlignCentre);
  for (int c = 0; c < cols; ++c) w.SetCellText(1, c + 1, t.header[c]);
  for (int r = 0; r + 1 < rows; ++r) {
    for (int c = 0; c < cols; ++c) w.SetCellText(r + 2, c + 1, t.rows[r][c]);
  }
  w.EndTable();
}

void WriteGroupedTable(ReportWriter& w, const GroupedTable& t, double indent) {
  const int rows = static_cast<int>(t.rows.size()) + 2;
  w.BeginTable();
  if (indent > 0) w.SetTableIndent(indent);
  w.SetTableCols(4);
  w.SetTableRows(rows);
  w.SetRuleAbove(1, 3);
  w.SetRuleAbove(rows);
  w.SetTableFlag();
  w.SetCellAlignment(TableRange::All(), kAlignNumbersRight);
  w.SetRowHeight(1, w.GetRowHeight(1) * 1.5);
  w.SetRowHeight(2, w.GetRowHeight(2) * 1.5);
  for (int c = 0; c < 4; ++c) w.SetColumnWidth(c + 1, t.widths[c]);
  w.SetColumnSpan(1, 1, 2);
  w.SetColumnSpan(1, 3, 2);
  w.SetCellText(1, 1, t.groups[0]);
  w.SetCellText(1, 3, t.groups[1]);
  for (int c = 0; c < 4; ++c) w.SetCellText(2, c + 1, t.names[c]);
  for (int r = 0; r + 2 < rows; ++r) {
    for (int c = 0; c < 4; ++c) w.SetCellText(r + 3, c + 1, t.rows[r][c]);
  }
  w.EndTable();
}

// The two tables side by side, sharing their top edge, with a vertical line at the left edge of
// the second; the position ends below the taller one.
void WriteSideBySide(ReportWriter& w, const SimpleTable& left, const GroupedTable& right) {
  const double y0 = w.GetY();
  const double indent = TableWidth(left.widths);
  const double x0 = w.GetX() + indent;
  WriteSimpleTable(w, left, 0);
  const double left_bottom = w.GetY();
  w.SetY(y0);
  WriteGroupedTable(w, right, indent);
  const double bottom = std::max(left_bottom, w.GetY());
  w.DrawLine(x0, y0, x0, left_bottom);
  w.SetY(bottom);
}

// ---- figures ------------------------------------------------------------------------------------

// The scale of every figure: the box holds the wall with one metre of margin on each side.
struct Frame {
  double left = 0, bottom = 0;  // page position of the origin (toe end, underside of the base)
  double s = 0;                 // twips per metre
  QPointF P(double x, double y) const { return {left + s * x, bottom - s * y}; }
};

Frame MakeFrame(double box_left, double box_top, double box, const CantileverShape& sh, double b) {
  const double divisor = std::max(static_cast<double>(sh.h) + 2, b + 2);
  Frame f;
  f.s = box / divisor;
  f.left = box_left + f.s;
  f.bottom = box_top + box - f.s;
  return f;
}

// The shape values of the drawings, metres.
struct Geometry {
  double l00, t00, t01, t02, tb, l01, b, h, d00, d01, d02, d03, d04;
  explicit Geometry(const CantileverShape& s)
      : l00(s.l00),
        t00(s.t00),
        t01(s.t01),
        t02(s.t02),
        tb(StemBaseWidth(s)),
        l01(s.l01),
        b(BaseWidth(s)),
        h(s.h),
        d00(s.d00),
        d01(s.d01),
        d02(s.d02),
        d03(s.d03),
        d04(s.d04) {}
  double StemBack() const { return l00 + tb; }
  double CrestBack() const { return l00 + t00 + t01; }
  std::vector<QPointF> Outline() const {
    return {{0, 0},           {b, 0},         {b, d04},   {StemBack(), d03},
            {CrestBack(), h}, {l00 + t00, h}, {l00, d01}, {0, d02}};
  }
};

void DrawClosed(ReportWriter& w, const Frame& f, const std::vector<QPointF>& points) {
  for (size_t i = 0; i < points.size(); ++i) {
    const QPointF a = f.P(points[i].x(), points[i].y());
    const QPointF b = f.P(points[(i + 1) % points.size()].x(), points[(i + 1) % points.size()].y());
    w.DrawLine(a.x(), a.y(), b.x(), b.y());
  }
}

void DrawWallOutline(ReportWriter& w, const Frame& f, const Geometry& g) {
  w.SetPenWidth(30);
  DrawClosed(w, f, g.Outline());
  w.SetPenWidth(0);
}

// The least radius of an angle's arc, so that small angles still show one.
constexpr double kMinArc = 700;

// A label centred on a point, on a white ground.
void LabelAt(ReportWriter& w, QPointF centre, std::string_view text) {
  w.DrawLabel(centre.x() - w.TextWidth(text) / 2, centre.y() - w.TextHeight(text) / 2, text);
}

std::string Mm(double metres) {
  return FormatValue(Millimetres(static_cast<float>(metres)), kFmtGrouped);
}

void DrawShapeFigure(ReportWriter& w, const CantileverInputs& in, const CantileverResults& r,
                     double box_left, double box_top, double box) {
  const Geometry g(in.shape);
  const Frame f = MakeFrame(box_left, box_top, box, in.shape, g.b);
  const double s = f.s;
  DrawWallOutline(w, f, g);

  // Widths below the base: toe, stem base and heel in a chain, then the whole base.
  const double base_y = f.P(0, 0).y();
  std::vector<ChainLevel> widths = {{f.P(0, 0), ""}};
  double x = 0;
  for (double part : {g.l00, g.tb, g.l01}) {
    x += part;
    if (part > 0) widths.push_back({f.P(x, 0), Mm(part)});
  }
  DrawDimensionChainH(w, base_y + 0.4 * s, widths);
  // The extension lines of B run from the base down past its dimension line.
  const double b_line = base_y + 0.85 * s;
  w.DrawDimensionH(f.P(0, 0).x(), base_y, f.P(g.b, 0).x(), b_line + 40, -40, Mm(g.b));
  // The crest width.
  const QPointF crest_front = f.P(g.l00 + g.t00, g.h), crest_back = f.P(g.CrestBack(), g.h);
  w.DrawDimensionH(crest_front.x(), crest_front.y(), crest_back.x(), crest_front.y() - 0.45 * s,
                   0.1 * s, Mm(g.t01));

  // Heights at the front: the toe end, its haunch and the soil over it in a chain next to the
  // wall, the whole height outside it, each column clear of the other's labels.
  const double front_x = f.left;
  const double label_h = w.TextHeight("0");
  const double chain_x = front_x - std::max(0.2 * s, 150.0);
  const double ground = g.d01 + g.d00;
  const QPointF stem_foot = f.P(g.l00, g.d01);
  std::vector<ChainLevel> front = {{f.P(0, 0), ""}};
  const auto rise = [&](std::vector<ChainLevel>& chain, QPointF at, double from, double to) {
    if (to > from) chain.push_back({at, Mm(to - from)});
  };
  if (g.l00 > 0) {
    rise(front, f.P(0, g.d02), 0, g.d02);
    rise(front, stem_foot, g.d02, g.d01);
  } else {
    rise(front, stem_foot, 0, g.d01);
  }
  // The ground in front of the stem, from the chain to the front face.
  const double face_x = g.l00 + (g.h > g.d01 ? g.d00 * g.t00 / (g.h - g.d01) : 0);
  rise(front, f.P(face_x, ground), g.d01, ground);
  const double reach = DrawDimensionChainV(w, chain_x, front, true);
  const double total_x = chain_x - std::max(reach, label_h + 60) - 90;
  // Its foot continues the chain's: no line across the chain's labels.
  DrawDimensionChainV(w, total_x, {{QPointF(chain_x, base_y), ""}, {crest_front, Mm(g.h)}}, true);
  // Heights at the heel end: its thickness and its haunch, labels outside.
  if (g.l01 > 0) {
    std::vector<ChainLevel> back = {{f.P(g.b, 0), ""}};
    rise(back, f.P(g.b, g.d04), 0, g.d04);
    rise(back, f.P(g.StemBack(), g.d03), g.d04, g.d03);
    DrawDimensionChainV(w, f.P(g.b, 0).x() + std::max(0.2 * s, 150.0), back, false);
  }

  // The batter of the front face, written along it at mid-height.
  const QPointF foot = f.P(g.l00, g.d01);
  const double rise_len = (g.h - g.d01) * s, run = g.t00 * s;
  const double theta = std::atan2(rise_len, run);
  const std::string slope = SlopeText(r.angles.front_batter_ratio);
  const double length = std::hypot(rise_len, run);
  TextAlong(w, slope, foot, theta, (length - w.TextWidth(slope)) / 2, w.TextHeight(slope) + 40,
            static_cast<int>(std::lround(theta * 1800.0 / 3.14159265358979)));

  // α at the back edge of the crest: a vertical reference, the arc and the value. Small angles
  // get an arc large enough to be seen; the value stands right of both lines, below the arc.
  const double arc =
      std::clamp(120 / std::max(std::fabs(static_cast<double>(r.angles.alpha)), 1e-3),
                 std::max(0.45 * s, kMinArc), std::max(0.45 * s, 1200.0));
  const double reference = arc + 0.15 * s;
  w.DrawLine(crest_back.x(), crest_back.y(), crest_back.x(), crest_back.y() + reference);
  const double alpha = r.angles.alpha;
  if (alpha != 0) {
    const double down = 3 * 3.14159265358979 / 2;
    w.DrawArc(crest_back.x(), crest_back.y(), arc, std::min(down, down + alpha),
              std::max(down, down + alpha));
  }
  const std::string alpha_text = "α = " + Fixed(r.angles.alpha_deg, 2) + "°";
  const double label_y = crest_back.y() + reference - w.TextHeight(alpha_text);
  const double alpha_x = crest_back.x() + std::max(0.0, (reference * std::tan(alpha)));
  w.DrawLabel(alpha_x + 80, label_y, alpha_text);

  // The backfill surface at β with the surcharge.
  double arm = std::max(1.5, g.t02 + g.l01 + 0.5) * s;
  // The slope line ends inside the box.
  if (in.shape.beta > 0) {
    arm = std::min(arm, (crest_back.y() - box_top - 40) / std::sin(DegToRad(in.shape.beta)));
  }
  BackfillMark mark = MakeBackfillMark(w, in.shape.beta, in.q, in.is_si, arm, 0, 20);
  mark.arc = std::max(arm / 4, kMinArc);
  mark.start = in.shape.beta > 0 ? mark.arc + 60 : 100;
  // A steep slope would carry the text out of the box: it then stands level under the crest.
  const double text_rise =
      (mark.start + mark.width) * std::sin(mark.beta) + mark.lift * std::cos(mark.beta);
  if (crest_back.y() - text_rise < box_top) {
    mark.level = true;
    mark.start = 100;
  }
  DrawBackfillMark(w, crest_back, mark);
}

// Vertices of part Wn (1..12), metres.
std::vector<QPointF> PartVertices(int n, const Geometry& g) {
  const double l = g.l00, sb = g.StemBack(), ft = g.l00 + g.t00, cb = g.CrestBack();
  const double ground = g.d01 + g.d00;
  const double face = g.h > g.d01 ? g.d00 * g.t00 / (g.h - g.d01) : 0;
  switch (n) {
    case 1:
      return {{0, 0}, {l, 0}, {l, g.d02}, {0, g.d02}};
    case 2:
      return {{0, g.d02}, {l, g.d02}, {l, g.d01}};
    case 3:
      return {{l, 0}, {sb, 0}, {sb, g.d01}, {l, g.d01}};
    case 4:
      return {{l, g.d01}, {sb, g.d01}, {ft, g.h}};
    case 5:
      return {{ft, g.h}, {cb, g.h}, {sb, g.d01}};
    case 6:
      return {{sb, 0}, {g.b, 0}, {g.b, g.d04}, {sb, g.d04}};
    case 7:
      return {{sb, g.d04}, {g.b, g.d04}, {sb, g.d03}};
    case 8:
      return {{0, g.d02}, {l, g.d01}, {0, ground}};
    case 9:
      return {{0, ground}, {l, g.d01}, {l + face, ground}};
    case 10:
      return {{sb, g.d03}, {g.b, g.d04}, {g.b, g.h}};
    case 11:
      return {{cb, g.h}, {sb, g.d03}, {g.b, g.h}};
    default:
      return {};
  }
}

int PartNumber(std::string_view name) {
  int n = 0;
  for (char c : name.substr(1)) n = n * 10 + (c - '0');
  return n;
}

constexpr QPointF kCorners[] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};

bool Inside(QPointF p, const std::vector<QPointF>& polygon) {
  bool in = false;
  for (size_t i = 0, k = polygon.size() - 1; i < polygon.size(); k = i++) {
    const QPointF& a = polygon[i];
    const QPointF& b = polygon[k];
    if ((a.y() > p.y()) != (b.y() > p.y()) &&
        p.x() < a.x() + (b.x() - a.x()) * (p.y() - a.y()) / (b.y() - a.y())) {
      in = !in;
    }
  }
  return in;
}

void DrawPartFigure(ReportWriter& w, const CantileverInputs& in, const CantileverResults& r,
                    double box_left, double box_top, double box) {
  const Geometry g(in.shape);
  Frame f = MakeFrame(box_left, box_top, box, in.shape, g.b);
  const double s = f.s;
  const double tan_beta = std::tan(static_cast<double>(r.angles.beta));
  const double label_h = w.TextHeight("W1");
  // A steep backfill over a long heel rises beyond the margin: the drawing moves down so that
  // the wedge and its name stay in the box.
  const double wedge = (g.t02 + g.l01) * tan_beta * s;
  f.bottom += std::max(0.0, box_top + label_h + 40 - (f.P(0, g.h).y() - wedge - label_h));
  std::vector<std::vector<QPointF>> polygons;
  for (int i = 0; i < r.parts.count; ++i) {
    const int n = PartNumber(r.parts.rows[i].name);
    std::vector<QPointF> v = PartVertices(n, g);
    if (n == 12) {
      v = {{g.CrestBack(), g.h}, {g.b, g.h}, {g.b, g.h + (g.t02 + g.l01) * tan_beta}};
    }
    for (QPointF& p : v) p = f.P(p.x(), p.y());
    polygons.push_back(v);
    for (size_t k = 0; k < v.size(); ++k) {
      const QPointF& a = v[k];
      const QPointF& b = v[(k + 1) % v.size()];
      w.DrawLine(a.x(), a.y(), b.x(), b.y());
    }
  }
  DrawWallOutline(w, f, g);

  // Each name centred in its part; the names of parts too thin to hold them stand in a column
  // beside the wall (front parts left of the toe end, the others right of the heel end), each
  // joined to its part by a thin line.
  struct Name {
    std::string text;
    QPointF at;
    bool outside = false;
    bool left = false;
  };
  std::vector<Name> names;
  const double middle = f.P(g.l00 + g.tb / 2, 0).x();
  for (int i = 0; i < r.parts.count; ++i) {
    const CantileverPart& p = r.parts.rows[i];
    Name name{std::string(p.name), f.P(p.x, p.y), false, false};
    // The wedge over the crest level is thin: its name stands above its surface.
    if (PartNumber(p.name) == 12) {
      name.at = f.P(p.x, g.h + (p.x - g.CrestBack()) * tan_beta);
      name.at.ry() -= label_h;
    } else {
      // At the centroid when the name fits there, else at the nearest place in the part where
      // it does.
      const double half_w = w.TextWidth(name.text) / 2 - 20, half_h = label_h / 2 - 20;
      const auto fits = [&](QPointF at) {
        return std::all_of(std::begin(kCorners), std::end(kCorners), [&](const QPointF& c) {
          return Inside(at + QPointF(c.x() * half_w, c.y() * half_h), polygons[i]);
        });
      };
      if (!fits(name.at)) {
        name.outside = true;
        double best = 1e300;
        QPointF inside;
        const QRectF bounds =
            QPolygonF(QList<QPointF>(polygons[i].begin(), polygons[i].end())).boundingRect();
        for (double y = bounds.top(); y <= bounds.bottom(); y += 30) {
          for (double x = bounds.left(); x <= bounds.right(); x += 30) {
            const double d = std::hypot(x - name.at.x(), y - name.at.y());
            if (d < best && fits(QPointF(x, y))) {
              best = d;
              name.outside = false;
              inside = QPointF(x, y);
            }
          }
        }
        if (!name.outside) name.at = inside;
      }
      name.left = name.at.x() < middle;
    }
    names.push_back(name);
  }
  for (bool left : {true, false}) {
    std::vector<size_t> column;
    for (size_t i = 0; i < names.size(); ++i) {
      if (names[i].outside && names[i].left == left) column.push_back(i);
    }
    std::sort(column.begin(), column.end(),
              [&](size_t a, size_t b) { return names[a].at.y() < names[b].at.y(); });
    std::vector<double> centres, lengths;
    for (size_t i : column) {
      centres.push_back(names[i].at.y());
      lengths.push_back(label_h);
    }
    const std::vector<double> ys = SpreadApart(centres, lengths, 60);
    for (size_t k = 0; k < column.size(); ++k) {
      Name& name = names[column[k]];
      const double width = w.TextWidth(name.text);
      const double edge = left ? f.left - 0.3 * s : f.P(g.b, 0).x() + 0.3 * s;
      const QPointF label(left ? edge - width / 2 : edge + width / 2, ys[k]);
      w.DrawLine(name.at.x(), name.at.y(), edge, label.y());
      name.at = label;
    }
  }
  for (const Name& name : names) LabelAt(w, name.at, name.text);
}

// The picture of a label (PHA, PHq, PVE) centred vertically on y with its left edge at x.
void LabelPicture(ReportWriter& w, std::string_view key, double x, double y) {
  const QSizeF size = w.PictureSize(Picture(key));
  // On a white ground, like the text labels: the diagram's lines stop short of it.
  w.SetBrushStyle(BrushStyle::Solid);
  w.SetBrushColor(kColorWhite);
  w.SetPenColor(kColorWhite);
  w.DrawRectangle(x, y - size.height() / 2, x + size.width(), y + size.height() / 2);
  w.SetBrushColor(kColorBlack);
  w.SetPenColor(kColorBlack);
  w.SetBrushStyle(BrushStyle::Transparent);
  w.DrawPictureInBox(Picture(key), x, y - size.height() / 2, x + size.width(),
                     y + size.height() / 2);
}

void Arrow(ReportWriter& w, QPointF from, QPointF to) {
  w.SetPenWidth(20);
  w.DrawLine(from.x(), from.y(), to.x(), to.y());
  w.SetPenWidth(0);
  const double dx = to.x() - from.x(), dy = to.y() - from.y();
  const double len = std::hypot(dx, dy);
  if (len <= 0) return;
  const double ux = dx / len, uy = dy / len;
  w.SetBrushStyle(BrushStyle::Solid);
  w.DrawPolygon({to, QPointF(to.x() - 150 * ux - 45 * uy, to.y() - 150 * uy + 45 * ux),
                 QPointF(to.x() - 150 * ux + 45 * uy, to.y() - 150 * uy - 45 * ux)});
  w.SetBrushStyle(BrushStyle::Transparent);
}

// A section line across the stem or the slab, its letters beyond both ends (left and right of a
// horizontal line, above and below a vertical one), clear of the lines they name. The second
// letter of a horizontal line may stand lifted off its end by lift (up when positive).
void SectionLine(ReportWriter& w, QPointF a, QPointF b, std::string_view first,
                 std::string_view second, double lift = 0) {
  w.SetPenStyle(PenStyle::Dotted);
  w.DrawLine(a.x(), a.y(), b.x(), b.y());
  w.SetPenStyle(PenStyle::Solid);
  const double h = w.TextHeight(first);
  if (a.y() == b.y()) {
    w.DrawLabel(a.x() - w.TextWidth(first) - 40, a.y() - h / 2, first);
    w.DrawLabel(b.x() + 40, b.y() - h / 2 - lift, second);
  } else {
    w.DrawLabel(a.x() - w.TextWidth(first) / 2, a.y() - h - 20, first);
    w.DrawLabel(b.x() - w.TextWidth(second) / 2, b.y() + 20, second);
  }
}

void DrawStemFigure(ReportWriter& w, const CantileverInputs& in, double box_left, double box_top,
                    double box) {
  const Geometry g(in.shape);
  // The stem alone: the figure shifts it so that its foot stands at the bottom of the box.
  Frame f = MakeFrame(box_left, box_top, box, in.shape, g.b);
  const double s = f.s;
  f.bottom += g.d01 * s;
  f.left -= (g.l00 - 0.5) * s;
  const QPointF front_foot = f.P(g.l00, g.d01), front_top = f.P(g.l00 + g.t00, g.h);
  const QPointF back_top = f.P(g.CrestBack(), g.h), back_foot = f.P(g.StemBack(), g.d03);
  w.SetPenWidth(30);
  w.DrawLine(front_foot.x(), front_foot.y(), front_top.x(), front_top.y());
  w.DrawLine(front_top.x(), front_top.y(), back_top.x(), back_top.y());
  w.DrawLine(back_top.x(), back_top.y(), back_foot.x(), back_foot.y());
  w.SetPenWidth(0);

  // h from the crest down to B-B′, on the front side.
  const double left = std::min(front_foot.x(), front_top.x());
  // Left of the letters of the sections, its foot continuing B-B′.
  const double letters = left - 0.15 * s - 40 - std::max(w.TextWidth("A"), w.TextWidth("B"));
  DrawDimensionChainV(w, letters - 150 - w.TextHeight("h"),
                      {{QPointF(letters - 40, front_foot.y()), ""}, {front_top, "h"}}, true);
  // a over the crest.
  w.DrawDimensionH(front_top.x(), front_top.y(), back_top.x(), front_top.y() - 0.35 * s, 0.1 * s,
                   "a");

  // The pressure diagrams against the back face they act on: the surcharge's band of even
  // width next to it and the soil's triangle outside the band, growing from the crest down to
  // B-B′.
  const double top_y = back_top.y(), foot_y = front_foot.y();
  const auto face_at = [&](double y) {
    return back_top.x() + (back_foot.x() - back_top.x()) * (y - top_y) / (back_foot.y() - top_y);
  };
  const double wq = 0.3 * s, wt = 1.2 * s;
  // The outer edge of the diagrams at a height.
  const auto outer_at = [&](double y) {
    return face_at(y) + wq + wt * (y - top_y) / (foot_y - top_y);
  };
  const QPointF band_top(face_at(top_y) + wq, top_y), band_foot(face_at(foot_y) + wq, foot_y);
  const QPointF triangle_foot(outer_at(foot_y), foot_y);
  w.DrawLine(face_at(foot_y), foot_y, back_foot.x(), back_foot.y());
  w.DrawLine(back_top.x(), top_y, band_top.x(), top_y);
  w.DrawLine(band_top.x(), top_y, band_foot.x(), foot_y);
  w.DrawLine(band_top.x(), top_y, triangle_foot.x(), foot_y);
  // The resultants at h/3 and h/2 above the section, from outside onto the back face, each
  // named above the start of its arrow.
  const double y3 = foot_y - (foot_y - top_y) / 3, y2 = foot_y - (foot_y - top_y) / 2;
  const double tail = outer_at(foot_y) + 0.3 * s;
  Arrow(w, QPointF(tail, y3), QPointF(face_at(y3), y3));
  Arrow(w, QPointF(tail, y2), QPointF(face_at(y2), y2));
  // PHq above its arrow and PHA below its own, so that the two never meet however short the
  // stem; PHA clear of the triangle's edge, which runs outwards as it goes down.
  const QSizeF pha = w.PictureSize(Picture("1_6_100")), phq = w.PictureSize(Picture("1_6_99"));
  QRectF pha_box(outer_at(y3 + 80 + pha.height()) + 0.1 * s, y3 + 80, pha.width(), pha.height());
  // A short stem leaves no room outside above the letter B´: then inside the triangle.
  if (pha_box.bottom() > foot_y - w.TextHeight("B´") / 2 - 20) {
    pha_box.moveLeft(face_at(pha_box.top()) + wq + 40);
  }
  const QRectF phq_box(outer_at(y2) + 0.1 * s, y2 - 80 - phq.height(), phq.width(), phq.height());
  LabelPicture(w, "1_6_100", pha_box.left(), pha_box.center().y());
  LabelPicture(w, "1_6_99", phq_box.left(), phq_box.center().y());

  // The sections: B-B′ at the foot across the stem and the diagrams, A-A′ at its depth when
  // designed, D the thickness at B-B′.
  const double b_end = triangle_foot.x() + 0.2 * s;
  const double dims_x = std::max(tail, b_end + 40 + w.TextWidth("B´")) + 0.3 * s;
  SectionLine(w, QPointF(left - 0.15 * s, foot_y), QPointF(b_end, foot_y), "B", "B´");
  if (in.design_section_aa) {
    const double y = f.P(0, g.h - in.h_aa).y();
    const double t = (g.h - in.h_aa - g.d01) / (g.h - g.d01);
    const double xf = front_foot.x() + t * (front_top.x() - front_foot.x());
    // A´ stands off the arrows and their names when the section lies near them.
    const double end = outer_at(y) + 0.2 * s;
    const double tw = w.TextWidth("A´"), th = w.TextHeight("A´");
    const QRectF arrows[] = {{face_at(y3), y3 - 40, dims_x - face_at(y3), 80},
                             {face_at(y2), y2 - 40, dims_x - face_at(y2), 80},
                             pha_box,
                             phq_box};
    // Centred on the line, or else just above or below one of them, as near the line as may be.
    std::vector<double> centres = {y};
    for (const QRectF& r : arrows) {
      centres.push_back(r.top() - 30 - th / 2);
      centres.push_back(r.bottom() + 30 + th / 2);
    }
    double lift = 0, best = 1e300;
    for (double c : centres) {
      const QRectF box(end + 40, c - th / 2, tw, th);
      if (std::abs(c - y) < best &&
          std::none_of(std::begin(arrows), std::end(arrows),
                       [&](const QRectF& r) { return r.intersects(box); })) {
        best = std::abs(c - y);
        lift = y - c;
      }
    }
    SectionLine(w, QPointF(xf - 0.15 * s, y), QPointF(end, y), "A", "A´", lift);
  }
  w.DrawDimensionH(front_foot.x(), foot_y, face_at(foot_y), foot_y + 0.1 * s, 0.3 * s, "D");
  // h/3 and h/2 right of the arrows, from the foot level beyond the letter B´.
  const double label_h = w.TextHeight("h");
  DrawDimensionChainV(
      w, dims_x,
      {{QPointF(b_end + 60 + w.TextWidth("B´"), foot_y), ""}, {QPointF(tail, y3), "h/3"}}, false);
  DrawDimensionChainV(w, dims_x + label_h + 0.3 * s,
                      {{QPointF(dims_x, foot_y), ""}, {QPointF(tail, y2), "h/2"}}, false);
}

// Returns the bottom of the figure.
double DrawSlabFigure(ReportWriter& w, const CantileverInputs& in, const CantileverResults& r,
                      double box_left, double top, double box) {
  const Geometry g(in.shape);
  Frame f = MakeFrame(box_left, top, box, in.shape, g.b);
  const double s = f.s;
  // The slab stands below room for the PVE triangle.
  f.bottom = top + 1.0 * s + std::max(g.d01, g.d03) * s;
  // The base slab and the foot of the stem.
  const double stem_top = std::max(g.d01, g.d03) + 0.5;
  const auto lerp = [](double a, double b, double t) { return a + (b - a) * t; };
  const double tf = (stem_top - g.d01) / (g.h - g.d01), tb = (stem_top - g.d03) / (g.h - g.d03);
  const std::vector<QPointF> slab = {{0, 0},
                                     {g.b, 0},
                                     {g.b, g.d04},
                                     {g.StemBack(), g.d03},
                                     {lerp(g.StemBack(), g.CrestBack(), tb), stem_top},
                                     {lerp(g.l00, g.l00 + g.t00, tf), stem_top},
                                     {g.l00, g.d01},
                                     {0, g.d02}};
  w.SetPenWidth(30);
  for (size_t i = 0; i < slab.size(); ++i) {
    if (i == 4) continue;  // the stem is cut off: no line across it
    const QPointF a = f.P(slab[i].x(), slab[i].y());
    const QPointF b = f.P(slab[(i + 1) % slab.size()].x(), slab[(i + 1) % slab.size()].y());
    w.DrawLine(a.x(), a.y(), b.x(), b.y());
  }
  w.SetPenWidth(0);

  // The ground reaction under the base, q1 at the toe end to q2 at the heel end.
  const CantileverStability& st = r.stability;
  const double qmax = std::max(
      {std::fabs(static_cast<double>(st.q1)), std::fabs(static_cast<double>(st.q2)), 1e-6});
  const double depth = 0.8 * s;
  const double base_y = f.P(0, 0).y();
  // The reaction as the calculation holds it: beyond the middle third a triangle that ends 3·d′
  // from the pressed edge, never above the base.
  const GroundReaction& reaction = st.reaction;
  const auto at = [&](double x) {
    const double q = reaction.b > 0 ? reaction.At(x * reaction.b / g.b) : 0;
    return QPointF(f.P(x, 0).x(), base_y + depth * q / qmax);
  };
  const QPointF q1 = at(0), q2 = at(g.b);
  w.DrawLine(f.P(0, 0).x(), base_y, q1.x(), q1.y());
  if (reaction.triangular && !reaction.outside) {
    const double end =
        reaction.toe_pressed ? reaction.LoadedLength() : reaction.b - reaction.LoadedLength();
    const QPointF knot = at(end * g.b / reaction.b);
    w.DrawLine(q1.x(), q1.y(), knot.x(), knot.y());
    w.DrawLine(knot.x(), knot.y(), q2.x(), q2.y());
  } else {
    w.DrawLine(q1.x(), q1.y(), q2.x(), q2.y());
  }
  w.DrawLine(f.P(g.b, 0).x(), base_y, q2.x(), q2.y());
  const double text_h = w.TextHeight("q1");
  w.DrawLabel(q1.x() - w.TextWidth("q1") - 60, q1.y() - text_h / 2, "q1");
  w.DrawLabel(q2.x() + 60, q2.y() - text_h / 2, "q2");
  double bottom = std::max(q1.y(), q2.y());

  // The sections C-C′ (front face) and D-D′ (back face) with the reaction under them.
  const double line_top = f.P(0, std::max(g.d01, g.d03)).y() - 0.35 * s;
  // Each reaction's name on the side of its own slab, away from the other section: inside the
  // diagram where it has room there, else below it.
  const auto section = [&](double x, const char* first, const char* second, const char* q,
                           double side) {
    const QPointF p = at(x);
    w.DrawLine(p.x(), base_y, p.x(), p.y());
    const double tw = w.TextWidth(q), th = w.TextHeight(q);
    const double ends[] = {p.x() + side * 40, p.x() + side * (40 + tw)};
    double inner_top = -1e300, inner_bottom = 1e300, lowest = base_y;
    for (double e : ends) {
      const double y = at((e - f.left) / s).y();
      inner_top = std::max(inner_top, std::min(base_y, y));
      inner_bottom = std::min(inner_bottom, std::max(base_y, y));
      lowest = std::max(lowest, y);
    }
    const double centre =
        inner_bottom - inner_top >= th + 60 ? (inner_top + inner_bottom) / 2 : lowest + 40 + th / 2;
    LabelAt(w, QPointF(p.x() + side * (tw / 2 + 40), centre), q);
    const double end = std::max(std::max(p.y(), base_y) + 0.45 * s, centre + th / 2 + 60);
    SectionLine(w, QPointF(p.x(), line_top), QPointF(p.x(), end), first, second);
    bottom = std::max(bottom, end);
  };
  if (r.has_toe) section(g.l00, "C", "C´", "qa", -1);
  if (r.has_heel) section(g.StemBack(), "D", "D´", "qb", 1);

  // The seismic vertical component over the heel: a triangle from the stem to the heel end.
  if (g.l01 > 0) {
    const QPointF a = f.P(g.StemBack(), g.d03), b = f.P(g.b, g.d04);
    const QPointF apex(b.x(), b.y() - 0.6 * s);
    w.DrawLine(a.x(), a.y(), apex.x(), apex.y());
    w.DrawLine(apex.x(), apex.y(), b.x(), b.y());
    const double lx = (a.x() + 2 * b.x()) / 3;
    Arrow(w, QPointF(lx, apex.y() - 0.3 * s), QPointF(lx, (a.y() + 2 * b.y()) / 3));
    const std::string pve = "Pve";
    // The picture beside the arrow, the name beyond both the heel end and the picture.
    const double picture_right = lx + 80 + w.PictureSize(Picture("1_6_101")).width();
    w.DrawLabel(std::max(b.x() + 80, picture_right + 60), apex.y() - w.TextHeight(pve), pve);
    LabelPicture(w, "1_6_101", lx + 80, apex.y() - 0.25 * s);
  }
  return bottom + 2 * text_h;
}

// ---- chapters -----------------------------------------------------------------------------------

class Chapters {
 public:
  Chapters(ReportWriter& w, const CantileverInputs& in, const CantileverResults& r)
      : ch_(w, in.is_si), w_(w), in_(in), r_(r) {}

  void Write() {
    Conditions();
    ShapeFigure();
    EarthPressure();
    StemPressure();
    Stability();
    MemberStresses();
    Slabs();
  }

 private:
  std::string U(std::string_view key) const { return ch_.Unit(key); }
  // A stress of the inputs or of a check, in the units of the database, as printed beside a
  // comparison: with the given decimals when they show the value, otherwise with as many as do.
  std::string Stress(float stress, int decimals) const {
    return LimitText(static_cast<float>(ch_.Shown(stress)), decimals);
  }

  void Conditions() {
    ch_.Title(std::string(CantileverStructureName(in_.shape)) + "の設計計算");
    ch_.Headings({"１ 設計条件", "（１）単位体積重量及び土質定数"});
    // The equals signs line up at a tab stop, not by blanks in the proportional font.
    ch_.EqualsLines(3700, {{"　　　コンクリート", "γc = " + Fixed(in_.gamma_c, 3) + U("t/m3")},
                           {"　　　裏込土", "γ = " + Fixed(in_.gamma, 3) + U("t/m3")},
                           {"　　　裏込土の内部摩擦角", "φ = " + Fixed(in_.phi, 0) + "°"},
                           {"　　　粘 　着 　力", "Ｃ = " + Fixed(in_.c, 3) + U("t/m2")},
                           {"　　　過載荷重", "q = " + Fixed(in_.q, 3) + U("t/m2")},
                           {"　　　設計水平震度", "kh = " + Fixed(in_.kh, 2)}});

    ch_.Headings({"", "（２）許容応力度"});
    const std::string unit = U("kg/cm2");
    ch_.EqualsLines(
        5000,
        {{"　　　コンクリートの設計基準強度", "σck  ＝ " + Stress(in_.sigma_ck, 0) + unit},
         {"　　　コンクリートの許容曲げ圧縮応力度", "σca ＝ " + Stress(in_.sigma_ca, 0) + unit},
         {"　　　コンクリートの許容せん断応力度",
          "τa ＝ " + Stress(in_.tau_a, 1) + unit + "（ コンクリートのみでせん断力を負担する場合）"},
         {"　　　鉄筋の許容引張応力度（" + std::string(r_.bar_grade) + "）",
          "σsa ＝ " + Stress(in_.sigma_sa, 0) + unit}});
    w_.Paragraph("      地震時の許容応力度は上記の１．５倍とする ");

    ch_.Headings({"", "（３）基礎の安定（常時）"});
    const auto foundation = [&](std::string_view label, const std::string& value) {
      ch_.AlignedLine(label, 4300, value);
    };
    foundation("　　　基礎地盤の許容支持力度",
               "常時　" + Fixed(in_.qa, 1) + "、　地震時　" + Fixed(in_.qa_e, 1) + U("t/m2"));
    foundation("　　　滑動に対する安全率",
               "常時　" + Fixed(in_.fsa, 1) + "、　地震時　" + Fixed(in_.fsa_e, 1));
    w_.Text("　　　常時");
    const double top = ch_.Picture(Picture("1_6_90"));
    w_.Text("、　地震時");
    w_.SetY(top);
    ch_.Picture(Picture("1_6_91"));
    w_.Text(kNewLine);
    ch_.BelowPicture();
    w_.NewPage();
  }

  void ShapeFigure() {
    ch_.Headings({"２　形状寸法"});
    const double top = w_.GetY();
    DrawShapeFigure(w_, in_, r_, w_.GetX() + 1200, top, 6500);
    w_.SetX(w_.MarginLeft());
    w_.SetY(top + 6500);
  }

  // A tall coefficient picture: its fraction's axis lies 240 twips above its middle.
  void CoefficientLine(std::string_view key, float value) {
    ch_.Picture(Picture(key));
    w_.SetY(w_.GetY() - 240);
    w_.Text(Fixed(value, 3) + kNewLine);
    ch_.BelowPicture();
  }

  void EarthPressure() {
    const StabilityEarthPressure& e = r_.earth;
    const CantileverAngles& a = r_.angles;
    ch_.Headings({"３　土圧計算"});
    // Numbered with a narrow digit, which the headings' own marking does not take for a section.
    w_.MarkOutline("（1）安定計算用土圧", 2);
    ch_.Headings({"（1）安定計算用土圧"});
    w_.Paragraph("φ = " + Fixed(in_.phi, 0) + "°、" + "α = " + Fixed(a.alpha_deg, 1) + "°、" +
                 "δ = β = " + Fixed(a.beta_deg, 0) + "°（常時）");
    CoefficientLine("1_3_9", e.ka);
    w_.Text("φ = " + Fixed(in_.phi, 0) + "°、");
    ch_.Picture(Picture("1_6_1"));
    w_.Text("(kh = " + Fixed(in_.kh, 2) + ") = " + FormatValue(e.theta_deg, kFmt4) + "°、" +
            "δe = " + FormatValue(e.delta_e_deg, kFmt4) + "°、" + "β = " + Fixed(a.beta_deg, 0) +
            "°（地震時）" + kNewLine);
    ch_.BelowPicture();
    const double top = ch_.Picture(Picture("1_3_11"));
    w_.Text("、　");
    w_.SetY(top);
    ch_.Picture(Picture("1_3_12"));
    w_.Text(kNewLine);
    ch_.BelowPicture();
    CoefficientLine("1_3_10", e.kae);

    w_.NewPage();
    const std::string unit = U("t/m");
    w_.Paragraph("したがって常時は");
    ch_.FormulaLine(Picture("1_6_2"), Fixed(e.pa, 3) + unit);
    ch_.FormulaLine(Picture("1_6_3"), Fixed(e.pq, 3) + unit);
    ch_.FormulaLine(Picture("1_3_2"), Fixed(e.pva, 3) + unit);
    w_.Paragraph("地震時は");
    ch_.FormulaLine(Picture("1_6_5"), Fixed(e.pae, 3) + unit);
    ch_.FormulaLine(Picture("1_6_6"), Fixed(e.phe, 3) + unit);
    ch_.FormulaLine(Picture("1_6_7"), Fixed(e.pve, 3) + unit);
  }

  // Two pictures with their values on one line: key1 value1 key2 value2.
  void PairLine(std::string_view key1, const std::string& value1, std::string_view key2,
                const std::string& value2) {
    const double top = ch_.Picture(Picture(key1));
    w_.Text(value1);
    w_.SetY(top);
    ch_.Picture(Picture(key2));
    w_.Text(value2 + kNewLine);
    ch_.BelowPicture();
  }

  void StemPressure() {
    const StemPressureCoefficients& c = r_.stem_pressure;
    const CantileverAngles& a = r_.angles;
    ch_.Headings({"", "（２）たて壁設計用土圧"});
    w_.Paragraph("φ = " + Fixed(in_.phi, 0) + "°" + "、" + "β = " + Fixed(a.beta_deg, 0) + "°" +
                 "、" + "α = " + Fixed(a.alpha_deg, 1) + "°" + "の条件の場合は");
    PairLine("1_6_10", Fixed(r_.earth.ka, 3) + "、", "1_6_13", Fixed(c.delta_deg, 0) + "°（常時）");
    w_.Text("φ=" + Fixed(in_.phi, 0) + "°、");
    ch_.Picture(Picture("1_6_1"));
    w_.Text("(kh = " + Fixed(in_.kh, 2) + ") = " + FormatValue(r_.earth.theta_deg, kFmt4) +
            "°、β = " + Fixed(a.beta_deg, 0) + "°、α = " + Fixed(a.alpha_deg, 1) + "°" +
            "の条件の場合は" + kNewLine);
    ch_.BelowPicture();
    PairLine("1_6_11", Fixed(r_.earth.kae, 3) + "、", "1_6_14",
             Fixed(c.delta_e_deg, 0) + "°（地震時）");

    w_.Paragraph("したがって、常時、たて壁天端からｈの点までに作用する土圧合力の水平成分は");
    PairLine("1_6_15", Fixed(c.ca2, 3), "1_6_18", "");
    PairLine("1_6_16", Fixed(c.ca1, 3), "1_6_19", "");
    w_.Paragraph("地震時については");
    PairLine("1_6_17", Fixed(c.ce2, 3), "1_6_18", "");
    w_.NewPage();
  }

  void Stability() {
    ch_.Headings({"４　安定計算", "（１）　自重および合力の作用位置"});
    const double top = w_.GetY() + 100;
    DrawPartFigure(w_, in_, r_, w_.GetX() + 1200, top, 8000);
    w_.NewPage();
    PartTables();
    w_.Paragraph("重心位置は");
    ch_.FormulaLine(Picture("1_6_22"), Fixed(r_.parts.xg, 3) + "m");
    ch_.FormulaLine(Picture("1_6_23"), Fixed(r_.parts.yg, 3) + "m");

    const CantileverStability& st = r_.stability;
    const double b = static_cast<double>(st.b);
    const double h = static_cast<double>(in_.shape.h);
    // A case heading with its loads table (five rows under a header of about three).
    ch_.KeepLines(1, 8);
    ch_.CaseHeading("（ａ）常時");
    LoadsAndMoments normal;
    normal.load_column_width = 1300;
    normal.line_length = 0;
    normal.loads = {{"自重", Fixed(st.w, 3), ""},
                    {"過載荷重", Fixed(st.q_load, 3), ""},
                    {"土圧", "", Fixed(r_.earth.pa, 3)},
                    {"過載荷重土圧", "", Fixed(r_.earth.pq, 3)},
                    {"合計", Fixed(st.v, 3), Fixed(st.h, 3)}};
    normal.moments = {{Fixed(r_.parts.xg, 3), "", Fixed(st.mr_w, 3), ""},
                      {Fixed(st.x_q, 3), "", Fixed(st.mr_q, 3), ""},
                      {"", Fixed(st.y_pa, 3), "", Fixed(st.m_pa, 3)},
                      {"", Fixed(st.y_pq, 3), "", Fixed(st.m_pq, 3)},
                      {"", "", Fixed(st.mr, 3), Fixed(st.m, 3)}};
    LoadsTables(normal, {"荷重", "鉛直力V(" + U("t") + ")", "水平力H(" + U("t") + ")"});
    w_.Paragraph("擁壁底面の合力の作用位置dは");
    ch_.FormulaLine(Picture("1_6_24"), Fixed(st.d, 3) + " m");

    ch_.KeepLines(1, 6);
    ch_.CaseHeading("（ｂ）地震時");
    LoadsAndMoments seismic;
    seismic.loads = {{"自重", Fixed(st.w, 3), Fixed(st.sum_h, 3)},
                     {"土圧", Fixed(r_.earth.pve, 3), Fixed(r_.earth.phe, 3)},
                     {"合計", Fixed(st.v_e, 3), Fixed(st.h_e, 3)}};
    seismic.moments = {
        {Fixed(r_.parts.xg, 3), Fixed(r_.parts.yg, 3), Fixed(st.mr_w_e, 3), Fixed(st.m_w_e, 3)},
        {Fixed(b, 3), Fixed(h / 3.0, 3), Fixed(st.mr_pve, 3), Fixed(st.m_phe, 3)},
        {"", "", Fixed(st.mr_e, 3), Fixed(st.m_e, 3)}};
    // The symbols VE and HE stand in the headers as text.
    LoadsTables(seismic, {"荷重", "鉛直力VE  (" + U("t") + ")", "水平力HE  (" + U("t") + ")"});
    ch_.FormulaLine(Picture("1_6_25"), Fixed(st.d_e, 3) + " m ");

    Overturning();
    Sliding();
    Bearing();
  }

  void LoadsTables(const LoadsAndMoments& t, const std::array<std::string, 3>& header) {
    SimpleTable loads;
    loads.widths = {1300, 1300, 1300};
    loads.header = {header.begin(), header.end()};
    for (const auto& row : t.loads) loads.rows.push_back({row.begin(), row.end()});
    GroupedTable moments;
    moments.widths = {950, 950, 2000, 2000};
    moments.groups = {"原点からの距離(m)", "原点に対する回転モーメント(" + U("t･m") + ")"};
    moments.names = {"x", "y", "抵抗モーメント Mr", "転倒モーメント M"};
    moments.rows = t.moments;
    WriteSideBySide(w_, loads, moments);
  }

  void PartTables() {
    const CantileverPartTable& t = r_.parts;
    SimpleTable weights;
    weights.widths = {700, 1100, 1200, 1100, 1300};
    weights.header = {"区分", "断面積(m2)", "単位重量γ(" + U("t/m3") + ")",
                      "鉛直力V(" + U("t") + ")", "水平力(" + U("t") + ") H=V･kh"};
    GroupedTable moments;
    moments.widths = {850, 850, 1400, 1400};
    moments.groups = {"原点からの距離(m)", "原点に対する回転モーメント(" + U("t･m") + ")"};
    moments.names = {"x", "y", "V・x", "H・y"};
    // The totals are sums of the printed cells.
    double sv = 0, sh = 0, svx = 0, shy = 0;
    for (int i = 0; i < t.count; ++i) {
      const CantileverPart& p = t.rows[i];
      weights.rows.push_back(
          {std::string(p.name), Fixed(p.a, 3), Fixed(p.gamma, 2), Fixed(p.v, 3), Fixed(p.h, 3)});
      moments.rows.push_back({Fixed(p.x, 3), Fixed(p.y, 3), Fixed(p.vx, 3), Fixed(p.hy, 3)});
      sv += ReadNumber(weights.rows.back()[3]);
      sh += ReadNumber(weights.rows.back()[4]);
      svx += ReadNumber(moments.rows.back()[2]);
      shy += ReadNumber(moments.rows.back()[3]);
    }
    weights.rows.push_back({"計", "", "", Fixed(sv, 3), Fixed(sh, 3)});
    moments.rows.push_back({"", "", Fixed(svx, 3), Fixed(shy, 3)});
    WriteSideBySide(w_, weights, moments);
  }

  // The eccentricity as it is compared: a resultant behind the centre is checked with |e|.
  static std::string Compared(const std::string& name, float e) {
    return e < 0 ? "|" + name + "| = " + Fixed(std::fabs(e), 3) : name + " = " + Fixed(e, 3);
  }

  void Overturning() {
    const CantileverStability& st = r_.stability;
    ch_.Headings({"", "（２）　転倒に対する安定"});
    ch_.CaseHeading("（ａ）常時");
    w_.Paragraph("B = " + Fixed(st.b, 3) + "m、" + "d = " + Fixed(st.d, 3) + " m");
    ch_.FormulaLine(Picture("1_6_26"), Fixed(st.e, 3) + " m");
    // The overturning lines end with their word as the sliding lines do: a failing check says so.
    const Verdict normal = CantileverVerdict(r_, "B6_greater_than_e", CheckCase::Normal);
    ch_.FormulaLine(Picture("1_6_27"), Fixed(st.b6, 3) + " m" + std::string(MirroredSign(normal)) +
                                           Compared("e", st.e) + " m" + kWordGap +
                                           std::string(VerdictWord(normal)));
    ch_.CaseHeading("（ｂ）地震時");
    w_.Paragraph("de = " + Fixed(st.d_e, 3) + " m");
    ch_.FormulaLine(Picture("1_6_28"), Fixed(st.e_e, 3) + " m");
    const Verdict seismic = CantileverVerdict(r_, "B3_greater_than_eE", CheckCase::Seismic);
    ch_.FormulaLine(Picture("1_6_29"),
                    Fixed(st.b3, 3) + (seismic.ok ? " m " : "m ") +
                        std::string(MirroredMark(seismic)) +
                        (st.e_e < 0 ? Compared("eE", st.e_e) : Fixed(st.e_e, 3)) + " m" + kWordGap +
                        std::string(VerdictWord(seismic)));
  }

  void Sliding() {
    const CantileverStability& st = r_.stability;
    ch_.Headings({"", "（３）　滑動に対する安定"});
    const std::pair<const char*, float> sums[] = {
        {"1_6_92", st.v}, {"1_6_93", st.v_e}, {"1_6_94", st.h}, {"1_6_95", st.h_e}};
    double top = w_.GetY();
    for (const auto& [key, value] : sums) {
      w_.SetY(top);
      top = ch_.Picture(Picture(key));
      w_.Text(Fixed(value, 3) + "、　");
    }
    w_.Text(kNewLine);
    ch_.BelowPicture();
    w_.Text("c = " + Fixed(in_.c, 0) + "、すべり摩擦係数 ");
    ch_.Picture(Picture("1_6_98"));
    w_.Text(Fixed(in_.tan_phi_b, 1) + " °とする" + kNewLine);
    ch_.BelowPicture();
    const auto verdict = [&](std::string_view key, float fs, float fsa, CheckCase load_case) {
      ch_.FormulaLine(Picture(key),
                      Fixed(fs, 3) + VerdictText(CantileverVerdict(r_, "sliding", load_case),
                                                 ShortestForm(fsa), kWordGap));
    };
    ch_.CaseHeading("（ａ）常時");
    verdict("1_6_30", st.fs, in_.fsa, CheckCase::Normal);
    ch_.CaseHeading("（ｂ）地震時");
    verdict("1_6_31", st.fs_e, in_.fsa_e, CheckCase::Seismic);
  }

  void Bearing() {
    const CantileverStability& st = r_.stability;
    ch_.Headings({"", "（４）　支持力に対する安定"});
    w_.Paragraph("基礎地盤の許容支持力度    常時　" + LimitText(in_.qa, 0) + "、　地震時　" +
                 LimitText(in_.qa_e, 0) + U("t/m2"));
    const auto verdict = [&](std::string_view key, float q1, float q2, float qa,
                             CheckCase load_case) {
      const GroundReaction& reaction =
          load_case == CheckCase::Seismic ? st.reaction_e : st.reaction;
      if (reaction.outside) {
        w_.Paragraph(kResultantOutsideBase);
      } else if (reaction.triangular) {
        // Beyond the middle third the trapezoid would pull at one edge: the triangle from the
        // pressed edge, its formula with the numbers.
        const bool toe = reaction.toe_pressed;
        const bool e = load_case == CheckCase::Seismic;
        w_.Paragraph(
            "合力の作用位置が底版幅の中央1/3以内にないので、地盤反力度は三角形分布とする。");
        ch_.FormulaLine(
            e ? (toe ? "1_6_36.bmp" : "1_6_37.bmp") : (toe ? "1_6_34.bmp" : "1_6_35.bmp"),
            "2 × " + Fixed(e ? st.v_e : st.v, 3) + " / (3 × " + Fixed(reaction.d_edge, 3) + ")、" +
                (toe ? "q2 = 0" : "q1 = 0"));
      }
      const std::string values =
          Fixed(q1, 3) + U("t/m2") + ",　" + Fixed(q2, 3) + U("t/m2") +
          VerdictText(CantileverVerdict(r_, "bearing", load_case), LimitText(qa, 0), kWordGap);
      // The trapezoid's formula only where the trapezoid holds.
      if (reaction.outside || reaction.triangular) {
        w_.Paragraph("q1, q2 = " + values);
      } else {
        ch_.FormulaLine(Picture(key), values);
      }
    };
    ch_.CaseHeading("（ａ）常時");
    verdict("1_6_32", st.q1, st.q2, in_.qa, CheckCase::Normal);
    ch_.CaseHeading("（ｂ）地震時");
    verdict("1_6_33", st.q1_e, st.q2_e, in_.qa_e, CheckCase::Seismic);
  }

  void MemberStresses() {
    ch_.Headings({""});
    // The chapter of the members has no number of its own: marked here as a chapter.
    w_.MarkOutline("躯体の応力度", 1);
    ch_.Headings({"躯体の応力度", "（１）たて壁の応力度"});
    const double top = w_.GetY();
    DrawStemFigure(w_, in_, w_.GetX() + 1200, top, 5500);
    w_.SetX(w_.MarginLeft());
    w_.SetY(top + 5500);
    bool normal_seen = false, seismic_seen = false;
    for (int i = 0; i < r_.stem_case_count; ++i) {
      const StemCase& c = r_.stem_cases[i];
      w_.NewPage();
      // The cases and their sections are bookmarks under the stem's section.
      if (!c.seismic && !normal_seen) ch_.CaseHeading("（ａ）常時", 3);
      if (c.seismic && !seismic_seen) ch_.CaseHeading("（ｂ）地震時", 3);
      (c.seismic ? seismic_seen : normal_seen) = true;
      const std::string depth = Fixed(c.h, 1);
      if (in_.design_section_aa) {
        ch_.CaseHeading(c.section == StemSection::kAA
                            ? "（ⅰ）　h = " + depth + " m の場合（ＡーＡ´）"
                            : "（ⅱ）　h = " + depth + " m の場合（ＢーＢ´）",
                        4);
      } else {
        ch_.CaseHeading("　　　　h = " + depth + " m の場合（ＢーＢ´）", 4);
      }
      if (c.seismic) {
        w_.Paragraph("a = " + Fixed(c.a, 3) + "m、　D = " + Fixed(c.d_m, 3) + "m");
        ch_.FormulaLine(Picture("1_6_63"), Fixed(c.m, 3) + U("t･m"));
        ch_.FormulaLine(Picture("1_6_64"), Fixed(c.s, 3) + U("t"));
      } else {
        ch_.FormulaLine(Picture("1_6_40"), Fixed(c.m, 3) + U("t･m"));
        ch_.FormulaLine(Picture("1_6_41"), Fixed(c.s, 3) + U("t"));
      }
      SectionCheckLines(c.check, c.seismic);
    }
  }

  void SectionCheckLines(const SectionCheck& c, bool seismic) {
    w_.Paragraph("b = " + Fixed(c.b, 0) + "cm　(単位幅)、" + "D = " + Fixed(c.d_total, 1) +
                 "cm　(壁厚)、" + "d = " + Fixed(c.d, 1) + "cm（圧縮縁から主鉄筋までの距離）");
    // M/bd² in the working unit of the section check: M in kg･cm or N･cm over b and d in cm.
    ch_.FormulaLine(Picture("1_6_42"), Fixed(c.m_bd2, 3) + (ch_.IsSI() ? " N/cm2" : " kg/cm2"));
    w_.Paragraph("単位幅 100cm あたりの鉄筋断面積は");
    if (c.bar2.present) {
      w_.Paragraph("配筋1： As1 = " + std::string(c.bar1.designation) + "＠" +
                   std::to_string(c.bar1.ctc) + " = " + Fixed(c.bar1.as, 2) + "cm2");
      w_.Paragraph("配筋2： As2 = " + std::string(c.bar2.designation) + "＠" +
                   std::to_string(c.bar2.ctc) + " = " + Fixed(c.bar2.as, 2) + "cm2");
      w_.Paragraph("したがって、As = As1 + As2 = " + Fixed(c.as, 2) + "cm2 （交互配筋）");
    } else {
      w_.Paragraph("As = " + std::string(c.bar1.designation) + "＠" + std::to_string(c.bar1.ctc) +
                   " = " + Fixed(c.as, 2) + "cm2");
    }
    w_.Paragraph("単鉄筋矩形はりの公式から");
    ch_.FormulaLine(Picture("1_6_44"), FormatValue(c.p, kFmt5));
    PairLine("1_6_45", FormatValue(c.k, kFmt4) + "　（ただし　", "1_6_56", Fixed(c.n, 0) + "）");
    {
      const double top = ch_.Picture(Picture("1_6_46"));
      w_.Text(Fixed(c.inv_lc, 3) + "、");
      w_.SetY(top);
      ch_.Picture(Picture("1_6_96_2"));
      w_.Text(Fixed(c.inv_ls, 1) + "、");
      w_.SetY(top);
      ch_.Picture(Picture("1_6_57"));
      w_.Text(Fixed(c.j, 3) + kNewLine);
      ch_.BelowPicture();
    }
    const std::string unit = U("kg/cm2");
    // One line per entry of kSectionChecks, each from its check.
    const std::string_view pictures[2][3] = {{"1_6_58", "1_6_59", "1_6_60"},
                                             {"1_6_65", "1_6_66", "1_6_67"}};
    for (std::size_t i = 0; i < kSectionChecks.size(); ++i) {
      const SectionCheckEntry& e = kSectionChecks[i];
      const CheckValue& check = c.*e.check;
      const Verdict v = SectionVerdict(c, e);
      ch_.Picture(Picture(pictures[seismic ? 1 : 0][i]));
      w_.Text(Fixed(ch_.Shown(check.value), 3) + unit + std::string(VerdictSign(v)) +
              std::string(e.limit_name) + " = " +
              Stress(static_cast<float>(check.limit), e.limit_decimals) + unit);
      w_.SetX(7900);
      w_.Text(std::string(VerdictWord(v)) + kNewLine);
      ch_.BelowPicture();
    }
  }

  // The slab weights table; returns nothing: its totals are the calculation's sums of the
  // printed cells, which the heel's lines print.
  void SlabTableLines(const SlabTable& t) {
    SimpleTable table;
    table.widths = {800, 1300, 1500, 1700, 1200, 2000};
    table.header = {"区分",
                    "断面積(m2)",
                    "単位重量(" + U("t/m3") + ")",
                    "せん断力Ｓw(" + U("t") + ")",
                    "アームx(m)",
                    "モーメントＭw（" + U("t･m") + "）"};
    double sw = 0, mw = 0;
    for (int i = 0; i < t.count; ++i) {
      const SlabRow& row = t.rows[i];
      table.rows.push_back({std::string(row.name), row.has_area ? Fixed(row.area, 3) : "",
                            row.has_area ? Fixed(row.gamma, 2) : "", Fixed(row.sw, 3),
                            Fixed(row.x, 3), Fixed(row.mw, 3)});
      sw += ReadNumber(table.rows.back()[3]);
      mw += ReadNumber(table.rows.back()[5]);
    }
    table.rows.push_back({"計", "", "", Fixed(sw, 3), "", Fixed(mw, 3)});
    WriteSimpleTable(w_, table, 0);
  }

  // The reaction under a section: the picture with the two numbers over and under its bar.
  void FractionLine(std::string_view key, double numerator, float denominator, float value) {
    const double top = ch_.Picture(Picture(key));
    const double x_end = w_.GetX();
    const double y_mid = w_.GetY();
    if (const std::optional<QRectF> bar = FormulaPictureFractionBar(key)) {
      const double left = x_end - w_.PictureSize(Picture(key)).width();
      const std::string over = Fixed(numerator, 3), under = Fixed(denominator, 3);
      const double centre = left + bar->center().x();
      const double h = w_.TextHeight(over);
      w_.SetX(centre - w_.TextWidth(over) / 2);
      w_.SetY(top + bar->top() - h);
      w_.Text(over);
      w_.SetX(centre - w_.TextWidth(under) / 2);
      w_.SetY(top + bar->bottom());
      w_.Text(under);
    }
    w_.SetX(x_end);
    w_.SetY(y_mid);
    w_.Text(Fixed(value, 3) + U("t/m2") + kNewLine);
    ch_.BelowPicture();
  }

  // The reaction under a slab section when it is the triangle: the trapezoid's pictures would
  // print a formula that does not give the value, so the section's pressure, Mq and Sq are written
  // from the triangle with their numbers. Returns false (nothing written) for the trapezoid.
  // section_x: the section from the toe; end_x: the slab's free end (0 for the toe, B for the
  // heel); symbol: "qA", "qB" …
  bool TriangleSectionLines(const SlabCase& c, double section_x, double end_x,
                            std::string_view symbol) {
    const GroundReaction& r = c.seismic ? r_.stability.reaction_e : r_.stability.reaction;
    if (!r.triangular || r.outside) return false;
    const bool toe = r.toe_pressed;
    const std::string q = toe ? "q1" : "q2";
    const std::string d = c.seismic ? (toe ? "dE" : "(B − dE)") : (toe ? "d" : "(B − d)");
    const double edge_x = toe ? 0.0 : r.b;
    const double length = r.LoadedLength();
    const double q_edge = toe ? r.q_toe : r.q_heel;
    const double from_edge = std::fabs(section_x - edge_x);
    const std::string sym(symbol);
    if (from_edge < length) {
      w_.Paragraph(sym + " = " + q + "・(1 − x / (3・" + d + ")) = " + Fixed(q_edge, 3) +
                   " × (1 − " + Fixed(from_edge, 3) + " / " + Fixed(length, 3) +
                   ") = " + Fixed(c.q_section, 3) + U("t/m2"));
    } else {
      w_.Paragraph(sym + " = " + Fixed(c.q_section, 3) + U("t/m2") + "（x = " +
                   Fixed(from_edge, 3) + " m ≧ 3・" + d + " = " + Fixed(length, 3) + " m）");
    }
    const double l = std::fabs(end_x - section_x);
    const double knot = toe ? length : r.b - length;
    const bool kink = knot > std::min(section_x, end_x) && knot < std::max(section_x, end_x);
    const std::string mq = "Ｍq = ", sq = "Ｓq = ";
    if (!kink) {
      // Linear over the whole slab: the trapezoid of the section and the slab end.
      const double p_end = r.At(end_x);
      w_.Paragraph(mq + "(2 × " + Fixed(p_end, 3) + " + " + Fixed(c.q_section, 3) + ") × " +
                   Fixed(l, 3) + "² / 6 = " + Fixed(c.mq, 3) + U("t･m"));
      w_.Paragraph(sq + "(" + Fixed(p_end, 3) + " + " + Fixed(c.q_section, 3) + ") × " +
                   Fixed(l, 3) + " / 2 = " + Fixed(c.sq, 3) + U("t"));
    } else if (from_edge < length) {
      // Loaded from the section to the triangle's end, c short of the slab end.
      const double cl = length - from_edge;
      w_.Paragraph("三角形分布の範囲　c = 3・" + d + " − x = " + Fixed(cl, 3) + " m");
      w_.Paragraph(mq + sym + "・c² / 6 = " + Fixed(c.q_section, 3) + " × " + Fixed(cl, 3) +
                   "² / 6 = " + Fixed(c.mq, 3) + U("t･m"));
      w_.Paragraph(sq + sym + "・c / 2 = " + Fixed(c.q_section, 3) + " × " + Fixed(cl, 3) +
                   " / 2 = " + Fixed(c.sq, 3) + U("t"));
    } else {
      // Loaded from the slab end (the pressed edge) over c = 3·d′, short of the section.
      w_.Paragraph("三角形分布の範囲　c = 3・" + d + " = " + Fixed(length, 3) + " m");
      w_.Paragraph(mq + q + "・c / 2・(l − c / 3) = " + Fixed(q_edge, 3) + " × " +
                   Fixed(length, 3) + " / 2 × (" + Fixed(l, 3) + " − " + Fixed(length, 3) +
                   " / 3) = " + Fixed(c.mq, 3) + U("t･m"));
      w_.Paragraph(sq + q + "・c / 2 = " + Fixed(q_edge, 3) + " × " + Fixed(length, 3) +
                   " / 2 = " + Fixed(c.sq, 3) + U("t"));
    }
    return true;
  }

  static std::string CaseName(bool seismic) { return seismic ? "（ｂ）地震時" : "（ａ）常時"; }

  void Slabs() {
    w_.NewPage();
    ch_.Headings({"（２）底版の応力度"});
    const double bottom = DrawSlabFigure(w_, in_, r_, w_.MarginLeft() + 1200, w_.GetY(), 6000);
    w_.SetX(w_.MarginLeft());
    w_.SetY(bottom);
    for (int c = 0; c < 2; ++c) {
      if (c == 1) w_.NewPage();
      // The case heading opens each case, whichever slab comes first; the sections are numbered
      // from (ⅰ) in each case.
      ch_.CaseHeading(CaseName(c == 1), 3);
      int number = 0;
      if (r_.has_toe) Toe(r_.toe[c], ++number);
      if (r_.has_heel) Heel(r_.heel[c], ++number);
    }
  }

  // The section line of a slab.
  void SlabSection(int number, std::string_view section) {
    const std::string name = std::string("断面　") + std::string(section);
    ch_.CaseHeading(std::string(number == 1 ? "（ⅰ）" : "（ⅱ）") + name, 4);
  }

  void UpperTension(const SlabCase& c, std::string_view text) {
    if (c.upper_tension) w_.Paragraph(text);
  }

  void Toe(const SlabCase& c, int number) {
    // The section line, the lead-in, its table and the line after it on one page.
    if (!c.seismic) ch_.KeepLines(3, r_.toe_table.count + 3);
    SlabSection(number, "Ｃ－Ｃ´");
    if (!c.seismic) {
      w_.Paragraph("自重および載土によるモーメントＭwおよびせん断力Ｓwは次の表のようになる。");
      SlabTableLines(r_.toe_table);
      w_.Paragraph("地盤反力によるモーメントＭqおよびせん断力Ｓqは上図を参照して");
    } else {
      w_.Paragraph("自重等によるモーメントＭwおよびせん断力Ｓwの値は常時の場合と変わらない。");
      w_.Paragraph("地盤反力によるモーメントＭq、せん断力Ｓqは");
    }
    if (!TriangleSectionLines(c, in_.shape.l00, 0.0, c.seismic ? "qAE" : "qA")) {
      FractionLine("1_6_70", c.numerator, c.denominator, c.q_section);
      ch_.FormulaLine(Picture(c.seismic ? "1_6_79" : "1_6_71"), Fixed(c.mq, 3) + U("t･m"));
      ch_.FormulaLine(Picture(c.seismic ? "1_6_80" : "1_6_72"), Fixed(c.sq, 3) + U("t"));
    }
    w_.Paragraph("以上から断面Ｃ－Ｃの断面力は");
    ch_.FormulaLine(Picture(c.seismic ? "1_6_81" : "1_6_73"), Fixed(c.m, 3) + U("t･m"));
    ch_.FormulaLine(Picture(c.seismic ? "1_6_82" : "1_6_74"), Fixed(c.s, 3) + U("t"));
    UpperTension(c, "Ｃ － Ｃ´断面では上側に引張応力が発生することになる");
    SectionCheckLines(c.check, c.seismic);
  }

  void Heel(const SlabCase& c, int number) {
    if (r_.has_toe) w_.Paragraph("");
    // The section line, the lead-in, its table and "上の表より" with the values read from it on
    // one page.
    if (!c.seismic) ch_.KeepLines(5, r_.heel_table.count + 3);
    SlabSection(number, "Ｄ－Ｄ´");
    if (!c.seismic) {
      w_.Paragraph(
          "自重および過載荷重によるモーメントＭwおよびせん断力Ｓwは下の表のように計算される。");
      SlabTableLines(r_.heel_table);
      w_.Paragraph("上の表より");
    } else {
      w_.Paragraph(
          "断面Ｄ－Ｄ´について自重等によるモーメントＭwおよびせん断力Ｓwの値は、過載荷重による"
          "もののかわりに、");
      w_.Paragraph(
          "地震時土圧による鉛直分力の影響が加わり、他は変わらない。土圧の鉛直分力Ｐveは底版上"
          "に三角形分布すると考える。");
      w_.Paragraph("常時の断面Ｄ－Ｄ´より");
    }
    w_.Paragraph("Ｍw = " + Fixed(c.sum_mw, 3) + U("t･m"));
    w_.Paragraph("Ｓw = " + Fixed(c.sum_sw, 3) + U("t"));
    w_.Paragraph("地盤反力によるモーメントＭqおよびせん断力Ｓqは");
    const double b = r_.stability.b;
    if (!TriangleSectionLines(c, b - static_cast<double>(in_.shape.l02), b,
                              c.seismic ? "qBE" : "qB")) {
      FractionLine("1_6_75", c.numerator, c.denominator, c.q_section);
      ch_.FormulaLine(Picture(c.seismic ? "1_6_87" : "1_6_76"), Fixed(c.mq, 3) + U("t･m"));
      ch_.FormulaLine(Picture(c.seismic ? "1_6_88" : "1_6_77"), Fixed(c.sq, 3) + U("t"));
    }
    w_.Paragraph("したがって合計断面積は");
    ch_.FormulaLine(Picture(c.seismic ? "1_6_97" : "1_6_73"), Fixed(c.m, 3) + U("t･m"));
    ch_.FormulaLine(Picture(c.seismic ? "1_6_82" : "1_6_74"), Fixed(c.s, 3) + U("t"));
    UpperTension(c, "Ｄ － Ｄ´断面では上側に引張応力が発生することになる");
    SectionCheckLines(c.check, c.seismic);
  }

  Chapter ch_;
  ReportWriter& w_;
  const CantileverInputs& in_;
  const CantileverResults& r_;
};

}  // namespace

void WriteCantileverChapters(ReportWriter& writer, const CantileverInputs& in,
                             const CantileverResults& r) {
  Chapters(writer, in, r).Write();
}

std::string CantileverStructureOf(const ProjectData& project) {
  // The shape needs only the dimensions; the stem section choice does not change it.
  return std::string(CantileverStructureName(CantileverInputsOf(project, false).shape));
}

void BuildCantileverDocument(ReportWriter& writer, const ReportContext& context) {
  const CantileverInputs in = CantileverInputsOf(ProjectOf(context), context.design_section_aa);
  // A failed coefficient is shown before anything else, also when the calculation then stops.
  CheckCantileverInputs(in);
  const CoefficientFailures failures = FindCoefficientFailures(in);
  if (context.sink) {
    if (failures.ka) context.sink->Inform(std::string(kCoulombKaFailure));
    if (failures.kae) context.sink->Inform(std::string(kCoulombKaeFailure));
  }
  const CantileverResults r = ComputeCantilever(in);
  WriteCantileverChapters(writer, in, r);
  if (context.results_json) *context.results_json = CantileverJson(in, r);
  if (context.checks) *context.checks = CantileverChecks(in, r);
  if (context.facts) {
    *context.facts = {std::string(CantileverFormName(in.shape)), in.shape.h, r.stability.b};
  }
}

}  // namespace ktv
