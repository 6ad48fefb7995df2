#include "report/report_writer.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QString>
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <map>
#include <set>

#include "app/format.h"
#include "report/picture_source.h"
#include "report/report_font.h"

namespace ktv {

namespace {

// Tables larger than this are a fault of the caller, not a report.
constexpr long kMaxTableCells = 1'000'000;
constexpr double kDefaultColumnWidth = 1440;
constexpr double kCellPaddingH = 60;  // left and right inside a cell
constexpr double kDotRadius = 35;     // dimension line ends
constexpr int kMaxOutlineLevel = 4;

std::string Num(double v) {
  if (!std::isfinite(v)) return "not a number";
  return ShortestForm(v);
}

void CheckFinite(const char* operation, std::initializer_list<double> values) {
  for (double v : values) {
    if (!std::isfinite(v)) {
      throw ReportError(std::string(operation) + ": a coordinate or size is not a finite number");
    }
  }
}

// Splits at CR LF (a lone CR or LF breaks the line too).
std::vector<QString> SplitLines(const QString& text) {
  std::vector<QString> lines;
  QString current;
  for (qsizetype i = 0; i < text.size(); ++i) {
    QChar c = text[i];
    if (c == QChar('\r') || c == QChar('\n')) {
      lines.push_back(current);
      current.clear();
      if (c == QChar('\r') && i + 1 < text.size() && text[i + 1] == QChar('\n')) ++i;
    } else {
      current += c;
    }
  }
  lines.push_back(current);
  return lines;
}

// Length of the leading part of text (at most) that fits into width: whole code points, after
// the last blank when there is one, at least one character when must_take is set.
qsizetype FittingLength(const QFontMetricsF& fm, QStringView text, double width, bool must_take) {
  auto whole = [&](qsizetype n) {
    return (n > 0 && n < text.size() && text[n - 1].isHighSurrogate()) ? n - 1 : n;
  };
  auto fits = [&](qsizetype n) {
    return fm.horizontalAdvance(text.left(n).toString()) <= width + 0.01;
  };
  // Widths grow with the length, so the longest fitting prefix is found by bisection; its range
  // is first narrowed by doubling from a short prefix, so that a line costs time in proportion to
  // the line, not to the whole remaining text.
  qsizetype lo = 0, hi = text.size();
  for (qsizetype probe = 16; probe < text.size(); probe *= 2) {
    if (!fits(probe)) {
      hi = probe - 1;
      break;
    }
    lo = probe;
  }
  while (lo < hi) {
    qsizetype mid = (lo + hi + 1) / 2;
    if (fits(mid)) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  qsizetype fit = whole(lo);
  if (fit == text.size()) return fit;
  // Prefer a break after a nearby blank, so that Latin words stay whole; Japanese text breaks
  // anywhere, so a blank far back is not worth a short line.
  constexpr qsizetype kWordReach = 12;
  for (qsizetype k = fit; k > 0 && k > fit - kWordReach; --k) {
    if (text[k - 1] == QChar(' ')) {
      fit = k;
      break;
    }
  }
  if (fit == 0 && must_take) fit = (text[0].isHighSurrogate() && text.size() > 1) ? 2 : 1;
  return fit;
}

// Direction of a text angle (tenths of a degree, counter-clockwise) on the page, y down; exact
// for the right angles that dimension and batter labels use.
QPointF Direction(int tenths) {
  int t = ((tenths % 3600) + 3600) % 3600;
  switch (t) {
    case 0:
      return {1, 0};
    case 900:
      return {0, -1};
    case 1800:
      return {-1, 0};
    case 2700:
      return {0, 1};
    default: {
      double a = t / 10.0 * 3.14159265358979323846 / 180.0;
      return {std::cos(a), -std::sin(a)};
    }
  }
}

// Characters of a Latin word, a number or a unit ("kN/m3", "0.39", "t･m"): a cell line never
// ends between two of them.
bool IsWordChar(QChar c) {
  const char16_t u = c.unicode();
  return (u < 0x80 && (c.isLetterOrNumber() || u == '.' || u == '/' || u == '_')) ||
         u == 0xFF65 /* ･ */ || u == 0x30FB /* ・ */ || u == 0xB7;
}

// Katakana and the long-vowel mark: a word such as "モーメント" stays whole.
bool IsKatakana(QChar c) {
  const char16_t u = c.unicode();
  return (u >= 0x30A1 && u <= 0x30FA) || u == 0x30FC || (u >= 0xFF66 && u <= 0xFF9F);
}

bool IsOpening(QChar c) { return c == QChar('(') || c == QChar(0xFF08) || c == QChar('['); }
bool IsClosing(QChar c) {
  return c == QChar(')') || c == QChar(0xFF09) || c == QChar(']') || c == QChar(0x3001) ||
         c == QChar(0x3002) || c == QChar(',');
}

// Whether a cell line may end between text[at - 1] and text[at]: outside parentheses (a unit
// stays with its brackets), not inside a word, a number or a katakana word, and not before a
// closing bracket or a comma.
bool CellBreakAllowed(QStringView text, qsizetype at) {
  if (at <= 0 || at >= text.size()) return false;
  int depth = 0;
  for (qsizetype i = 0; i < at; ++i) {
    if (IsOpening(text[i])) ++depth;
    if (text[i] == QChar(')') || text[i] == QChar(0xFF09) || text[i] == QChar(']')) {
      depth = std::max(depth - 1, 0);
    }
  }
  if (depth > 0) return false;
  const QChar before = text[at - 1], after = text[at];
  if (IsOpening(before) || IsClosing(after)) return false;
  if (IsWordChar(before) && IsWordChar(after)) return false;
  if (IsKatakana(before) && IsKatakana(after)) return false;
  return true;
}

// A blank just inside an opening bracket is a unit label's leading blank: "( kN)" reads "(kN)".
QString WithoutBlankAfterBracket(QString text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (IsOpening(text[i])) {
      while (i + 1 < text.size() && text[i + 1] == QChar(' ')) text.remove(i + 1, 1);
    }
  }
  return text;
}

bool LooksNumeric(const std::string& s) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
  bool digit = false, dot = false;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c == ',' && !dot) {
    } else if (c == '.' && !dot) {
      dot = true;
    } else {
      return false;
    }
  }
  return digit;
}

struct TableCell {
  std::string text;
  int span = 1;
  int align = 0;
};

struct Table {
  int rows = 0;
  int cols = 0;
  std::vector<double> col_widths;
  std::vector<std::optional<double>> row_heights;
  std::vector<std::vector<TableCell>> cells;  // [row - 1][col - 1]
  double indent = 0;
  std::set<int> rules_above;
  std::vector<std::pair<TableRange, int>> alignments;
  int header_rows = 0;
  bool keep_together = false;
  double start_y = 0;
};

}  // namespace

std::array<std::string, 3> SplitThreeParts(std::string_view text) {
  std::array<std::string, 3> parts;
  size_t a = text.find('|');
  if (a == std::string_view::npos) {
    parts[0] = std::string(text);
    return parts;
  }
  parts[0] = std::string(text.substr(0, a));
  size_t b = text.find('|', a + 1);
  if (b == std::string_view::npos) {
    parts[1] = std::string(text.substr(a + 1));
    return parts;
  }
  parts[1] = std::string(text.substr(a + 1, b - a - 1));
  parts[2] = std::string(text.substr(b + 1));
  return parts;
}

std::string PictureKeyFromFileName(std::string_view file_name) {
  if (file_name.size() <= 4) {
    throw ReportError("Formula picture file name \"" + std::string(file_name) +
                      "\" is too short to name a picture");
  }
  return std::string(file_name.substr(0, file_name.size() - 4));
}

struct ReportWriter::Impl {
  std::array<int, 4> slot_sizes;
  double font_size = 9;

  double page_width = kA4Width;
  double page_height = kA4Height;
  double margin_left = kPageMargin;
  double margin_right = kPageMargin;
  double margin_top = kPageMargin;
  double margin_bottom = kPageMargin;

  enum class State { Closed, Open, Ended } state = State::Closed;
  std::vector<Page> pages;
  Page current;
  int counter = -1;
  std::string header;
  std::string footer;
  int header_footer_style = 0;

  double x = kPageMargin;
  double y = kPageMargin;
  int angle = 0;

  Pen pen;
  Brush brush;

  std::vector<OutlineEntry> outline;
  std::optional<OutlineEntry> pending_outline;  // waits for the next text
  DocumentProperties properties;

  std::optional<Table> table;       // being built
  std::optional<Table> last_table;  // for read-back after EndTable
  int table_border = kTableBorderNone;

  // --- Metrics -------------------------------------------------------------------------------
  // Per writer: font metrics must not outlive the application that made them.
  mutable std::map<double, QFontMetricsF> cache;
  const QFontMetricsF& Metrics(double points) const {
    auto it = cache.find(points);
    if (it != cache.end()) return it->second;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
      throw ReportError("The report needs a running QGuiApplication to measure its text");
    }
    return cache.emplace(points, QFontMetricsF(ReportFont(points))).first->second;
  }
  const QFontMetricsF& Fm() const { return Metrics(font_size); }
  double LineHeight() const { return ReportLineHeight(font_size); }
  double Em() const { return font_size * 20.0; }
  double BodyTop() const { return margin_top; }
  double BottomLimit() const { return page_height - margin_bottom; }
  double RightLimit() const { return page_width - margin_right; }
  double Width(const QString& s) const { return Fm().horizontalAdvance(s); }

  // --- Document state ------------------------------------------------------------------------
  void RequireOpen(const char* operation) const {
    if (state == State::Closed) {
      throw ReportError(std::string(operation) + ": the report document has not been started");
    }
    if (state == State::Ended) {
      throw ReportError(std::string(operation) + ": the report document has already ended");
    }
  }
  void RequireNoTable(const char* operation) const {
    if (table) throw ReportError(std::string(operation) + ": a table is still being built");
  }

  void ResetState() {
    pages.clear();
    current = Page{};
    counter = -1;
    header.clear();
    footer.clear();
    header_footer_style = 0;
    x = margin_left;
    y = margin_top;
    angle = 0;
    pen = Pen{};
    brush = Brush{};
    table.reset();
    last_table.reset();
    table_border = kTableBorderNone;
    outline.clear();
    pending_outline.reset();
    properties = DocumentProperties{};
    font_size = slot_sizes[static_cast<int>(FontSlot::Body)];
  }

  void StartPage() {
    ++counter;
    current = Page{};
    current.number = counter;
    current.width = page_width;
    current.height = page_height;
    footer = "|" + std::to_string(counter) + "|";
    x = margin_left;
    y = margin_top;
    // Every page begins with one blank line.
    y += LineHeight();
  }

  void AddHeaderFooterRuns(Page& page) const {
    double size = slot_sizes[static_cast<int>(FontSlot::Body)];
    const QFontMetricsF& fm = Metrics(size);
    double h = ReportLineHeight(size);
    // Parts that would run into each other (a long project name beside the title) are stacked:
    // each earlier part moves one line further from the body.
    auto place = [&](const std::string& text, double top, double away) {
      auto parts = SplitThreeParts(text);
      std::array<double, 3> left{}, width{};
      for (int i = 0; i < 3; ++i) {
        width[i] = fm.horizontalAdvance(QString::fromStdString(parts[i]));
        left[i] = i == 0   ? margin_left
                  : i == 1 ? (page_width - width[i]) / 2
                           : page_width - margin_right - width[i];
      }
      std::array<int, 3> line{};
      for (int i = 1; i >= 0; --i) {
        for (int j = i + 1; j < 3; ++j) {
          bool overlap = !parts[i].empty() && !parts[j].empty() &&
                         left[i] + width[i] + 90 > left[j] && line[i] == line[j];
          if (overlap) line[i] = line[j] + 1;
        }
      }
      for (int i = 0; i < 3; ++i) {
        if (parts[i].empty()) continue;
        page.items.push_back(
            TextRun{left[i], top + away * line[i] * h, parts[i], size, 0, width[i], h});
      }
    };
    double header_top = margin_top - h - 120;
    place(page.header, header_top, -1);
    if (page.header_footer_style == 3 && !page.header.empty()) {
      Pen thin;
      page.items.push_back(LineItem{QPointF(margin_left, margin_top - 90),
                                    QPointF(page_width - margin_right, margin_top - 90), thin});
    }
    place(page.footer, page_height - margin_bottom + 120, 1);
  }

  void ClosePage() {
    current.header = header;
    current.footer = footer;
    current.header_footer_style = header_footer_style;
    AddHeaderFooterRuns(current);
    pages.push_back(std::move(current));
    current = Page{};
  }

  void BreakPage() {
    double keep_x = x;
    ClosePage();
    StartPage();
    if (keep_x > margin_left) x = keep_x;
  }

  // True when a line box at y would pass the bottom margin on a page that has room to gain.
  bool NeedsBreak(double height) const {
    return y + height > BottomLimit() + 0.5 && y > BodyTop() + LineHeight() + 0.5;
  }

  void NewLine() {
    x = margin_left;
    y += LineHeight();
  }

  void Add(PageItem item) { current.items.push_back(std::move(item)); }

  // A waiting outline mark takes the place of the text about to be added.
  void ResolveOutline() {
    if (!pending_outline) return;
    pending_outline->page = static_cast<int>(pages.size());
    pending_outline->y = y;
    outline.push_back(std::move(*pending_outline));
    pending_outline.reset();
  }

  // Writes one line-free piece of text. Upright text wraps at the right margin and flows to the
  // next page; rotated text and labels are placed as they are.
  void WritePiece(const QString& piece, bool flowing) {
    if (piece.isEmpty()) return;
    double h = LineHeight();
    if (angle != 0 || !flowing) {
      ResolveOutline();
      double w = Width(piece);
      Add(TextRun{x, y, piece.toStdString(), font_size, angle, w, h});
      QPointF along = Direction(angle);
      x += w * along.x();
      y += w * along.y();
      return;
    }
    // The rest is a view: taking the text apart line by line never copies what remains.
    QStringView rest(piece);
    while (!rest.isEmpty()) {
      if (NeedsBreak(h)) BreakPage();
      double avail = RightLimit() - x;
      bool at_line_start = x <= margin_left + 0.5;
      qsizetype n = FittingLength(Fm(), rest, std::max(avail, 0.0), at_line_start);
      if (n > 0) {
        ResolveOutline();
        QString part = rest.left(n).toString();
        double w = Width(part);
        Add(TextRun{x, y, part.toStdString(), font_size, 0, w, h});
        x += w;
        rest = rest.mid(n);
      }
      if (!rest.isEmpty()) NewLine();
    }
  }

  void WriteText(std::string_view text, bool flowing) {
    std::vector<QString> lines = SplitLines(QString::fromUtf8(text.data(), text.size()));
    for (size_t i = 0; i < lines.size(); ++i) {
      if (i > 0) {
        if (angle != 0) {
          // The next line of rotated text follows below the previous one in the text's frame.
          // Below the line in the text's frame: the advance turned a right angle clockwise.
          QPointF along = Direction(angle);
          double h = LineHeight();
          x = x - h * along.y();
          y = y + h * along.x();
        } else {
          NewLine();
        }
      }
      WritePiece(lines[i], flowing);
    }
  }

  // --- Tables --------------------------------------------------------------------------------
  Table& RequireTable(const char* operation) {
    if (!table) throw ReportError(std::string(operation) + ": no table is being built");
    return *table;
  }
  const Table& ReadableTable(const char* operation) const {
    if (table) return *table;
    if (last_table) return *last_table;
    throw ReportError(std::string(operation) + ": there is no table");
  }
  static void CheckCell(const Table& t, const char* operation, int row, int col) {
    if (row < 1 || row > t.rows || col < 1 || col > t.cols) {
      throw ReportError(std::string(operation) + ": cell (" + std::to_string(row) + ", " +
                        std::to_string(col) + ") is outside the table of " +
                        std::to_string(t.rows) + " rows and " + std::to_string(t.cols) +
                        " columns");
    }
  }
  static void CheckRow(const Table& t, const char* operation, int row) {
    if (row < 1 || row > t.rows) {
      throw ReportError(std::string(operation) + ": row " + std::to_string(row) +
                        " is outside the table of " + std::to_string(t.rows) + " rows");
    }
  }
  static void CheckCol(const Table& t, const char* operation, int col) {
    if (col < 1 || col > t.cols) {
      throw ReportError(std::string(operation) + ": column " + std::to_string(col) +
                        " is outside the table of " + std::to_string(t.cols) + " columns");
    }
  }
  static void Resize(Table& t, int rows, int cols) {
    if (static_cast<long>(rows) * cols > kMaxTableCells) {
      throw ReportError("A table of " + std::to_string(rows) + " rows and " + std::to_string(cols) +
                        " columns is too large");
    }
    t.rows = rows;
    t.cols = cols;
    t.col_widths.resize(cols, kDefaultColumnWidth);
    t.row_heights.resize(rows);
    t.cells.resize(rows);
    for (auto& r : t.cells) r.resize(cols);
  }

  double NormalRowHeight() const { return LineHeight() + 0.5 * Em(); }
  double CellLinePitch() const { return 1.1 * Em(); }

  // The lines of a cell: each ends where a line may end in a table (CellBreakAllowed) when
  // there is such a place on it; a text with none breaks where it must.
  std::vector<QString> WrapCell(const QString& text, double inner_width) const {
    std::vector<QString> out;
    for (const QString& given : SplitLines(text)) {
      const QString line = WithoutBlankAfterBracket(given);
      QStringView rest(line);
      if (rest.isEmpty()) {
        out.push_back(line);
        continue;
      }
      while (!rest.isEmpty()) {
        qsizetype n = FittingLength(Fm(), rest, std::max(inner_width, 0.0), true);
        if (n < rest.size() && !(rest[n - 1] == QChar(' ')) && !CellBreakAllowed(rest, n)) {
          qsizetype k = n - 1;
          while (k > 0 && !CellBreakAllowed(rest, k)) --k;
          if (k > 0) n = k;
        }
        QString part = rest.left(n).toString();
        while (part.size() > 1 && part.back() == QChar(' ')) part.chop(1);
        out.push_back(part);
        rest = rest.mid(n);
        while (!rest.isEmpty() && rest.front() == QChar(' ')) rest = rest.mid(1);
      }
    }
    return out;
  }

  void LayOutTable(Table& t) {
    if (t.rows == 0 || t.cols == 0) return;
    const double left = margin_left + t.indent;
    std::vector<double> col_x(t.cols + 1, left);
    for (int c = 0; c < t.cols; ++c) col_x[c + 1] = col_x[c] + t.col_widths[c];
    const double total_width = col_x[t.cols] - left;

    // Alignment codes, in the order they were given.
    for (const auto& [range, code] : t.alignments) {
      int r1 = range.row1 == 0 ? 1 : range.row1, r2 = range.row2 == 0 ? t.rows : range.row2;
      int c1 = range.col1 == 0 ? 1 : range.col1, c2 = range.col2 == 0 ? t.cols : range.col2;
      for (int r = std::max(r1, 1); r <= std::min(r2, t.rows); ++r) {
        for (int c = std::max(c1, 1); c <= std::min(c2, t.cols); ++c)
          t.cells[r - 1][c - 1].align = code;
      }
    }

    // Wrapped lines of each visible cell and the row heights.
    struct Laid {
      bool visible = false;
      int span = 1;
      std::vector<QString> lines;
    };
    std::vector<std::vector<Laid>> laid(t.rows, std::vector<Laid>(t.cols));
    std::vector<double> heights(t.rows);
    const double pad_v = 0.25 * Em();
    for (int r = 0; r < t.rows; ++r) {
      double needed = NormalRowHeight();
      for (int c = 0; c < t.cols;) {
        const TableCell& cell = t.cells[r][c];
        int span = std::clamp(cell.span, 1, t.cols - c);
        Laid& l = laid[r][c];
        l.visible = true;
        l.span = span;
        double inner = col_x[c + span] - col_x[c] - 2 * kCellPaddingH;
        if (!cell.text.empty()) l.lines = WrapCell(QString::fromStdString(cell.text), inner);
        double h = static_cast<double>(l.lines.size()) * CellLinePitch() + 2 * pad_v;
        needed = std::max(needed, h);
        c += span;
      }
      heights[r] = t.row_heights[r] ? *t.row_heights[r] : needed;
    }

    double total_height = 0;
    for (double h : heights) total_height += h;
    double page_room = BottomLimit() - (BodyTop() + LineHeight());
    y = t.start_y;
    if (t.keep_together && total_height <= page_room && NeedsBreak(total_height)) BreakPage();

    double segment_top = y;
    auto close_segment = [&](double bottom) {
      if (table_border == kTableBorderFrame && bottom > segment_top) {
        Add(RectItem{QRectF(QPointF(left, segment_top), QPointF(left + total_width, bottom)), Pen{},
                     Brush{}});
      }
    };
    auto place_row = [&](int r, double top) {
      if (t.rules_above.count(r + 1)) {
        Add(LineItem{QPointF(left, top), QPointF(left + total_width, top), Pen{}});
      }
      const double h = heights[r];
      for (int c = 0; c < t.cols; ++c) {
        const Laid& l = laid[r][c];
        if (!l.visible) continue;
        CellItem item;
        item.row = r + 1;
        item.col = c + 1;
        item.box = QRectF(QPointF(col_x[c], top), QPointF(col_x[c + l.span], top + h));
        const int code = t.cells[r][c].align;
        const bool right = code == kAlignNumbersRight && LooksNumeric(t.cells[r][c].text);
        const bool centre = code == kAlignCentre || (code == kAlignNumbersRight && !right);
        const double pitch = CellLinePitch();
        double line_top = top + (h - pitch * static_cast<double>(l.lines.size())) / 2;
        for (const QString& line : l.lines) {
          double w = Width(line);
          double lx = right    ? item.box.right() - kCellPaddingH - w
                      : centre ? item.box.left() + (item.box.width() - w) / 2
                               : item.box.left() + kCellPaddingH;
          if (!line.isEmpty()) {
            item.lines.push_back(TextRun{lx, line_top, line.toStdString(), font_size, 0, w, pitch});
          }
          line_top += pitch;
        }
        Add(std::move(item));
      }
    };

    double cursor = y;
    for (int r = 0; r < t.rows; ++r) {
      y = cursor;
      if (NeedsBreak(heights[r])) {
        close_segment(cursor);
        BreakPage();
        cursor = y;
        segment_top = cursor;
        if (r >= t.header_rows) {
          for (int hr = 0; hr < t.header_rows && hr < t.rows; ++hr) {
            place_row(hr, cursor);
            cursor += heights[hr];
          }
          if (t.header_rows > 0) {
            Add(LineItem{QPointF(left, cursor), QPointF(left + total_width, cursor), Pen{}});
          }
        }
      }
      place_row(r, cursor);
      cursor += heights[r];
    }
    close_segment(cursor);
    y = cursor;
    x = margin_left;
  }
};

ReportWriter::ReportWriter(const std::array<int, 4>& font_sizes) : d_(std::make_unique<Impl>()) {
  for (size_t i = 0; i < font_sizes.size(); ++i) {
    // A size outside any sensible range falls back to the standard one.
    bool sensible = font_sizes[i] > 0 && font_sizes[i] <= 200;
    d_->slot_sizes[i] = sensible ? font_sizes[i] : kDefaultReportFontSizes[i];
  }
  d_->font_size = d_->slot_sizes[static_cast<int>(FontSlot::Body)];
}

ReportWriter::~ReportWriter() = default;

// --- Document --------------------------------------------------------------------------------

void ReportWriter::PageSetup() {
  d_->page_width = kA4Width;
  d_->page_height = kA4Height;
  d_->margin_left = d_->margin_right = d_->margin_top = d_->margin_bottom = kPageMargin;
  d_->font_size = d_->slot_sizes[static_cast<int>(FontSlot::Body)];
  d_->brush = Brush{};
  d_->pen = Pen{};
  d_->counter = -1;
}

void ReportWriter::PageSetupLandscape() {
  PageSetup();
  d_->page_width = kA4Height;
  d_->page_height = kA4Width;
}

void ReportWriter::BeginDocument() {
  d_->ResetState();
  d_->state = Impl::State::Open;
  d_->StartPage();
}

void ReportWriter::NewPage() {
  d_->RequireOpen("NewPage");
  d_->RequireNoTable("NewPage");
  d_->ClosePage();
  d_->StartPage();
}

void ReportWriter::EndDocument() {
  d_->RequireOpen("EndDocument");
  d_->RequireNoTable("EndDocument");
  d_->ClosePage();
  d_->pending_outline.reset();
  d_->state = Impl::State::Ended;
}

void ReportWriter::Discard() {
  d_->ResetState();
  d_->state = Impl::State::Closed;
}

bool ReportWriter::IsDocumentOpen() const { return d_->state == Impl::State::Open; }
bool ReportWriter::IsDocumentEnded() const { return d_->state == Impl::State::Ended; }

void ReportWriter::SetHeader(std::string_view text) { d_->header = std::string(text); }

void ReportWriter::SetHeader(std::string_view left, std::string_view centre,
                             std::string_view right) {
  // The left part may hold bars of its own (a project name); they must not shift the parts.
  auto clean = [](std::string_view s) {
    std::string out(s);
    for (size_t at = out.find('|'); at != std::string::npos; at = out.find('|', at + 3)) {
      out.replace(at, 1, "｜");
    }
    return out;
  };
  d_->header = clean(left) + "|" + clean(centre) + "|" + std::string(right);
}

void ReportWriter::MarkOutline(std::string_view title, int level, OutlineAnchor anchor) {
  d_->RequireOpen("MarkOutline");
  OutlineEntry entry{std::string(title), std::clamp(level, 1, kMaxOutlineLevel), 0, 0};
  if (anchor == OutlineAnchor::PageTop) {
    entry.page = static_cast<int>(d_->pages.size());
    d_->outline.push_back(std::move(entry));
    return;
  }
  d_->pending_outline = std::move(entry);
}

const std::vector<OutlineEntry>& ReportWriter::Outline() const { return d_->outline; }

void ReportWriter::SetProperties(DocumentProperties properties) {
  d_->properties = std::move(properties);
}

const DocumentProperties& ReportWriter::Properties() const { return d_->properties; }

void ReportWriter::SetFooter(std::string_view text) { d_->footer = std::string(text); }
const std::string& ReportWriter::Header() const { return d_->header; }
const std::string& ReportWriter::Footer() const { return d_->footer; }
void ReportWriter::SetHeaderFooterStyle(int style) { d_->header_footer_style = style; }

int ReportWriter::PageCounter() const { return d_->counter; }
int ReportWriter::PageCount() const {
  return d_->state == Impl::State::Ended ? static_cast<int>(d_->pages.size()) : 0;
}
const std::vector<Page>& ReportWriter::Pages() const { return d_->pages; }

double ReportWriter::PageWidth() const { return d_->page_width; }
double ReportWriter::PageHeight() const { return d_->page_height; }
double ReportWriter::MarginLeft() const { return d_->margin_left; }
double ReportWriter::MarginRight() const { return d_->margin_right; }
double ReportWriter::MarginTop() const { return d_->margin_top; }
double ReportWriter::MarginBottom() const { return d_->margin_bottom; }

// --- Text ------------------------------------------------------------------------------------

void ReportWriter::SetFontSize(FontSlot slot) {
  int i = static_cast<int>(slot);
  if (i < 0 || i > 3) throw ReportError("SetFontSize: unknown font size slot");
  d_->font_size = d_->slot_sizes[i];
}
double ReportWriter::FontSize() const { return d_->font_size; }
int ReportWriter::SlotSize(FontSlot slot) const {
  int i = static_cast<int>(slot);
  if (i < 0 || i > 3) throw ReportError("SlotSize: unknown font size slot");
  return d_->slot_sizes[i];
}

void ReportWriter::Paragraph(std::string_view text) {
  d_->RequireOpen("Paragraph");
  d_->RequireNoTable("Paragraph");
  if (text.empty() && d_->angle == 0 && d_->NeedsBreak(d_->LineHeight())) {
    // An empty line at the foot of a page becomes the new page's own blank first line.
    d_->BreakPage();
    d_->x = d_->margin_left;
    return;
  }
  d_->WriteText(text, true);
  d_->NewLine();
}

void ReportWriter::Text(std::string_view text) {
  d_->RequireOpen("Text");
  d_->RequireNoTable("Text");
  d_->WriteText(text, true);
}

bool ReportWriter::KeepRoom(double height) {
  d_->RequireOpen("KeepRoom");
  d_->RequireNoTable("KeepRoom");
  CheckFinite("KeepRoom", {height});
  const double page_room = d_->BottomLimit() - (d_->BodyTop() + d_->LineHeight());
  if (height > page_room || !d_->NeedsBreak(height)) return false;
  d_->BreakPage();
  d_->x = d_->margin_left;
  return true;
}

double ReportWriter::TableRowHeight() const {
  d_->Fm();  // the same precondition as TextHeight
  return d_->NormalRowHeight();
}

double ReportWriter::GetX() const { return d_->x; }
void ReportWriter::SetX(double x) {
  CheckFinite("SetX", {x});
  d_->x = x;
}
double ReportWriter::GetY() const { return d_->y; }
void ReportWriter::SetY(double y) {
  CheckFinite("SetY", {y});
  d_->y = y;
}

double ReportWriter::TextWidth(std::string_view text) const {
  double w = 0;
  for (const QString& line : SplitLines(QString::fromUtf8(text.data(), text.size()))) {
    w = std::max(w, d_->Width(line));
  }
  return w;
}

double ReportWriter::TextHeight(std::string_view text) const {
  d_->Fm();  // the same precondition as TextWidth
  size_t lines = SplitLines(QString::fromUtf8(text.data(), text.size())).size();
  return static_cast<double>(lines) * d_->LineHeight();
}

void ReportWriter::SetTextAngle(int tenths) { d_->angle = tenths; }
int ReportWriter::TextAngle() const { return d_->angle; }

// --- Pictures --------------------------------------------------------------------------------

void ReportWriter::InsertFormulaPicture(std::string_view file_name) {
  d_->RequireOpen("InsertFormulaPicture");
  d_->RequireNoTable("InsertFormulaPicture");
  std::string key = PictureKeyFromFileName(file_name);
  QSizeF size = FormulaPictureNaturalSize(key);
  if (d_->NeedsBreak(size.height())) d_->BreakPage();
  double x1 = d_->x, y1 = d_->y;
  double x2 = x1 + size.width(), y2 = y1 + size.height();
  d_->Add(PictureItem{key, QRectF(QPointF(x1, y1), QPointF(x2, y2))});
  d_->x = x2;
  d_->y = (y1 + y2 - TextHeight(" ")) / 2;
}

void ReportWriter::DrawPictureInBox(std::string_view file_name, double x1, double y1, double x2,
                                    double y2) {
  d_->RequireOpen("DrawPictureInBox");
  CheckFinite("DrawPictureInBox", {x1, y1, x2, y2});
  std::string key = PictureKeyFromFileName(file_name);
  FormulaPictureNaturalSize(key);  // an unknown key is an error here too
  d_->Add(PictureItem{key, QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized()});
}

QSizeF ReportWriter::PictureSize(std::string_view file_name) const {
  return FormulaPictureNaturalSize(PictureKeyFromFileName(file_name));
}

// --- Tables ----------------------------------------------------------------------------------

void ReportWriter::BeginTable() {
  d_->RequireOpen("BeginTable");
  if (d_->table) throw ReportError("BeginTable: the previous table has not been ended");
  d_->table.emplace();
  d_->table->start_y = d_->y;
}

void ReportWriter::SetTableRows(int rows) {
  Table& t = d_->RequireTable("SetTableRows");
  if (rows < 0) throw ReportError("SetTableRows: negative row count " + std::to_string(rows));
  Impl::Resize(t, rows, t.cols);
}

void ReportWriter::SetTableCols(int cols) {
  Table& t = d_->RequireTable("SetTableCols");
  if (cols < 0) throw ReportError("SetTableCols: negative column count " + std::to_string(cols));
  Impl::Resize(t, t.rows, cols);
}

int ReportWriter::GetTableRows() const { return d_->ReadableTable("GetTableRows").rows; }
int ReportWriter::GetTableCols() const { return d_->ReadableTable("GetTableCols").cols; }

void ReportWriter::SetColumnWidth(int col, double twips) {
  Table& t = d_->RequireTable("SetColumnWidth");
  Impl::CheckCol(t, "SetColumnWidth", col);
  CheckFinite("SetColumnWidth", {twips});
  if (twips < 0) throw ReportError("SetColumnWidth: negative width " + Num(twips));
  t.col_widths[col - 1] = twips;
}

double ReportWriter::GetColumnWidth(int col) const {
  const Table& t = d_->ReadableTable("GetColumnWidth");
  Impl::CheckCol(t, "GetColumnWidth", col);
  return t.col_widths[col - 1];
}

double ReportWriter::GetTableWidth() const {
  const Table& t = d_->ReadableTable("GetTableWidth");
  double w = 0;
  for (double c : t.col_widths) w += c;
  return w;
}

void ReportWriter::SetCellText(int row, int col, std::string_view text) {
  Table& t = d_->RequireTable("SetCellText");
  Impl::CheckCell(t, "SetCellText", row, col);
  t.cells[row - 1][col - 1].text = std::string(text);
}

std::string ReportWriter::GetCellText(int row, int col) const {
  const Table& t = d_->ReadableTable("GetCellText");
  Impl::CheckCell(t, "GetCellText", row, col);
  return t.cells[row - 1][col - 1].text;
}

double ReportWriter::GetRowHeight(int row) const {
  const Table& t = d_->ReadableTable("GetRowHeight");
  Impl::CheckRow(t, "GetRowHeight", row);
  const auto& h = t.row_heights[row - 1];
  return h ? *h : d_->NormalRowHeight();
}

void ReportWriter::SetRowHeight(int row, double twips) {
  Table& t = d_->RequireTable("SetRowHeight");
  Impl::CheckRow(t, "SetRowHeight", row);
  CheckFinite("SetRowHeight", {twips});
  if (twips < 0) throw ReportError("SetRowHeight: negative height " + Num(twips));
  t.row_heights[row - 1] = twips;
}

void ReportWriter::SetColumnSpan(int row, int col, int span) {
  Table& t = d_->RequireTable("SetColumnSpan");
  Impl::CheckCell(t, "SetColumnSpan", row, col);
  if (span < 1 || col + span - 1 > t.cols) {
    throw ReportError("SetColumnSpan: a span of " + std::to_string(span) + " from column " +
                      std::to_string(col) + " does not fit the table of " + std::to_string(t.cols) +
                      " columns");
  }
  t.cells[row - 1][col - 1].span = span;
}

void ReportWriter::SetTableIndent(double twips) {
  Table& t = d_->RequireTable("SetTableIndent");
  CheckFinite("SetTableIndent", {twips});
  t.indent = twips;
}

void ReportWriter::SetRuleAbove(int row) { SetRuleAbove(row, row); }

void ReportWriter::SetRuleAbove(int row1, int row2) {
  Table& t = d_->RequireTable("SetRuleAbove");
  Impl::CheckRow(t, "SetRuleAbove", row1);
  Impl::CheckRow(t, "SetRuleAbove", row2);
  for (int r = std::min(row1, row2); r <= std::max(row1, row2); ++r) t.rules_above.insert(r);
}

void ReportWriter::SetCellAlignment(TableRange range, int code) {
  Table& t = d_->RequireTable("SetCellAlignment");
  if (code != kAlignCentre && code != kAlignNumbersRight && code != 0) {
    throw ReportError("SetCellAlignment: unknown alignment code " + std::to_string(code));
  }
  for (int r : {range.row1, range.row2}) {
    if (r != 0) Impl::CheckRow(t, "SetCellAlignment", r);
  }
  for (int c : {range.col1, range.col2}) {
    if (c != 0) Impl::CheckCol(t, "SetCellAlignment", c);
  }
  t.alignments.emplace_back(range, code);
}

void ReportWriter::SetHeaderRow(int rows) {
  Table& t = d_->RequireTable("SetHeaderRow");
  if (rows != 0) Impl::CheckRow(t, "SetHeaderRow", rows);
  t.header_rows = rows;
}

void ReportWriter::SetTableFlag(bool on) { d_->RequireTable("SetTableFlag").keep_together = on; }

void ReportWriter::SetTableBorder(int mode) {
  if (mode != kTableBorderNone && mode != kTableBorderFrame) {
    throw ReportError("SetTableBorder: unknown border mode " + std::to_string(mode));
  }
  d_->table_border = mode;
}
int ReportWriter::TableBorder() const { return d_->table_border; }

void ReportWriter::EndTable() {
  Table& t = d_->RequireTable("EndTable");
  d_->RequireOpen("EndTable");
  d_->LayOutTable(t);
  d_->last_table = std::move(d_->table);
  d_->table.reset();
}

bool ReportWriter::IsTableOpen() const { return d_->table.has_value(); }

// --- Drawing ---------------------------------------------------------------------------------

void ReportWriter::DrawLine(double x1, double y1, double x2, double y2) {
  d_->RequireOpen("DrawLine");
  CheckFinite("DrawLine", {x1, y1, x2, y2});
  d_->Add(LineItem{QPointF(x1, y1), QPointF(x2, y2), d_->pen});
}

void ReportWriter::DrawCircle(double x, double y, double r) {
  d_->RequireOpen("DrawCircle");
  CheckFinite("DrawCircle", {x, y, r});
  d_->Add(CircleItem{QPointF(x, y), std::abs(r), d_->pen, d_->brush});
}

void ReportWriter::DrawCircle(double x, double y, double r, double start, double end) {
  DrawArc(x, y, r, start, end);
}

void ReportWriter::DrawArc(double x, double y, double r, double start, double end) {
  d_->RequireOpen("DrawArc");
  CheckFinite("DrawArc", {x, y, r, start, end});
  d_->Add(ArcItem{QPointF(x, y), std::abs(r), start, end, d_->pen});
}

void ReportWriter::DrawRectangle(double x1, double y1, double x2, double y2) {
  d_->RequireOpen("DrawRectangle");
  CheckFinite("DrawRectangle", {x1, y1, x2, y2});
  d_->Add(RectItem{QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized(), d_->pen, d_->brush});
}

void ReportWriter::DrawPolygon(const std::vector<QPointF>& points) {
  d_->RequireOpen("DrawPolygon");
  for (const QPointF& p : points) CheckFinite("DrawPolygon", {p.x(), p.y()});
  if (points.size() < 2) throw ReportError("DrawPolygon: a polygon needs at least two points");
  d_->Add(PolygonItem{points, d_->pen, d_->brush});
}

void ReportWriter::SetPenWidth(double twips) {
  CheckFinite("SetPenWidth", {twips});
  d_->pen.width = std::max(0.0, twips);
}
void ReportWriter::SetPenStyle(PenStyle style) { d_->pen.style = style; }
void ReportWriter::SetPenColor(int rgb) { d_->pen.color = rgb & 0xFFFFFF; }
void ReportWriter::SetBrushColor(int rgb) { d_->brush.color = rgb & 0xFFFFFF; }
void ReportWriter::SetBrushStyle(BrushStyle style) { d_->brush.style = style; }
const Pen& ReportWriter::CurrentPen() const { return d_->pen; }
const Brush& ReportWriter::CurrentBrush() const { return d_->brush; }

// --- Composite drawing -----------------------------------------------------------------------

void ReportWriter::DrawLabel(double x, double y, std::string_view text) {
  d_->RequireOpen("DrawLabel");
  CheckFinite("DrawLabel", {x, y});
  double w = TextWidth(text), h = TextHeight(text);
  SetBrushStyle(BrushStyle::Solid);
  SetBrushColor(kColorWhite);
  SetPenColor(kColorWhite);
  DrawRectangle(x, y, x + w, y + h);
  SetBrushColor(kColorBlack);
  SetPenColor(kColorBlack);
  SetBrushStyle(BrushStyle::Transparent);
  d_->x = x;
  d_->y = y;
  d_->WriteText(text, false);
}

void ReportWriter::DrawDimensionV(double x0, double y1, double x8, double y2, double offset,
                                  float value) {
  d_->RequireOpen("DrawDimensionV");
  CheckFinite("DrawDimensionV", {value});
  DrawDimensionV(x0, y1, x8, y2, offset, FormatValue(value, kFmt0));
}

void ReportWriter::DrawDimensionV(double x0, double y1, double x8, double y2, double offset,
                                  std::string_view label) {
  d_->RequireOpen("DrawDimensionV");
  CheckFinite("DrawDimensionV", {x0, y1, x8, y2, offset});
  DrawLine(x0, y1, x8, y1);
  DrawLine(x0, y2, x8, y2);
  double xd = x0 + offset;
  DrawLine(xd, y1, xd, y2);
  SetBrushStyle(BrushStyle::Solid);
  DrawCircle(xd, y1, kDotRadius);
  DrawCircle(xd, y2, kDotRadius);
  SetBrushStyle(BrushStyle::Transparent);
  double lx = xd - TextHeight(label);
  double ly = (TextWidth(label) + y1 + y2) / 2;
  SetTextAngle(900);
  d_->x = lx;
  d_->y = ly;
  d_->WriteText(label, false);
  SetTextAngle(0);
}

void ReportWriter::DrawDimensionH(double x0, double y1, double x8, double y2, double offset,
                                  float value) {
  d_->RequireOpen("DrawDimensionH");
  CheckFinite("DrawDimensionH", {value});
  DrawDimensionH(x0, y1, x8, y2, offset, FormatValue(value, kFmt0));
}

void ReportWriter::DrawDimensionH(double x0, double y1, double x8, double y2, double offset,
                                  std::string_view label) {
  d_->RequireOpen("DrawDimensionH");
  CheckFinite("DrawDimensionH", {x0, y1, x8, y2, offset});
  DrawLine(x0, y1, x0, y2);
  DrawLine(x8, y1, x8, y2);
  double yd = y2 + offset;
  DrawLine(x0, yd, x8, yd);
  SetBrushStyle(BrushStyle::Solid);
  DrawCircle(x0, yd, kDotRadius);
  DrawCircle(x8, yd, kDotRadius);
  SetBrushStyle(BrushStyle::Transparent);
  DrawLabel((x0 + x8 - TextWidth(label)) / 2, yd - TextHeight(label) - 20, label);
}

}  // namespace ktv
