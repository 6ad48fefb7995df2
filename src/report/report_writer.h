#pragma once
// The paged report document. Every chapter writes straight into it, in reading order, and reads
// positions, text extents and table cell texts back from it.
//
// All lengths are twips (1/1440 inch); the page origin is its top-left corner, y grows downwards.
// Texts are UTF-8. The current position (x, y) is the top-left corner of the line box of the next
// text: a text line occupies y .. y + TextHeight(), with the glyphs centred in that box.
//
// A QGuiApplication must exist (text is measured with the report font); without one every text
// operation throws ReportError instead of aborting.
#include <QDateTime>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <array>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ktv {

// A fault of the calling code or of the document (unknown picture, cell outside the table, an
// operation outside an open document). The message names the cause.
class ReportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Font size slots; their sizes are the start-up values (10, 9, 9, 13 points).
enum class FontSlot { Title = 0, Heading = 1, Body = 2, Cover = 3 };
inline constexpr std::array<int, 4> kDefaultReportFontSizes{10, 9, 9, 13};

enum class PenStyle { Solid, Dotted };
enum class BrushStyle { Solid, Transparent };

// Colours are 24-bit integers in the BASIC RGB order: red + 256 * green + 65536 * blue.
inline constexpr int kColorBlack = 0;
inline constexpr int kColorWhite = 16777215;

// A4 portrait and the margins of the page setup.
inline constexpr double kA4Width = 11906;
inline constexpr double kA4Height = 16838;
inline constexpr double kPageMargin = 1000;

// Table border modes: 0 no frame, 3 a frame around the table (set once by a family).
inline constexpr int kTableBorderNone = 0;
inline constexpr int kTableBorderFrame = 3;

// Alignment codes of table cells: 1 centres the text; 2 right-aligns numbers and centres other
// texts. Cells without a code are left-aligned. All cell texts are centred vertically.
inline constexpr int kAlignCentre = 1;
inline constexpr int kAlignNumbersRight = 2;

struct Pen {
  double width = 0;  // 0 = the thinnest line the device draws
  PenStyle style = PenStyle::Solid;
  int color = kColorBlack;
};

struct Brush {
  BrushStyle style = BrushStyle::Transparent;
  int color = kColorBlack;
};

// Laid-out page items. Text runs are anchored at the top-left corner of their line box; a run
// with an angle is rotated counter-clockwise (tenths of a degree) about that corner.
struct TextRun {
  double x = 0;
  double y = 0;
  std::string text;
  double font_size = 9;  // points
  int angle = 0;         // tenths of a degree, counter-clockwise
  double width = 0;      // advance width, twips
  double height = 0;     // line height, twips
};
struct LineItem {
  QPointF from;
  QPointF to;
  Pen pen;
};
struct RectItem {
  QRectF rect;
  Pen pen;
  Brush brush;
};
struct CircleItem {
  QPointF centre;
  double radius = 0;
  Pen pen;
  Brush brush;
};
// Arc from start to end, radians counter-clockwise from the positive x axis as seen on the page;
// an end below the start sweeps clockwise.
struct ArcItem {
  QPointF centre;
  double radius = 0;
  double start = 0;
  double end = 0;
  Pen pen;
};
struct PolygonItem {
  std::vector<QPointF> points;  // closed: the last point joins the first
  Pen pen;
  Brush brush;
};
struct PictureItem {
  std::string key;  // formula picture key, e.g. "1_3_9"
  QRectF box;
};
// One table cell as laid out: its box (spans included) and its wrapped text lines.
struct CellItem {
  int row = 0;  // 1-based
  int col = 0;
  QRectF box;
  std::vector<TextRun> lines;
};

using PageItem = std::variant<TextRun, LineItem, RectItem, CircleItem, ArcItem, PolygonItem,
                              PictureItem, CellItem>;

struct Page {
  int number = 0;           // page counter: cover 0, first report page 1
  double width = kA4Width;  // twips; landscape pages are wider than high
  double height = kA4Height;
  std::string header;  // three-part texts as set ("left|centre|right")
  std::string footer;
  int header_footer_style = 0;  // style switch of the page setup (4 cover, 3 report pages)
  std::vector<PageItem> items;  // in drawing order; header and footer runs come last
};

// A cell range; 0 for a row or column means all of them.
struct TableRange {
  int row1 = 0;
  int col1 = 0;
  int row2 = 0;
  int col2 = 0;
  static TableRange All() { return {}; }
  static TableRange Row(int row) { return {row, 0, row, 0}; }
  static TableRange Column(int col) { return {0, col, 0, col}; }
  static TableRange Cells(int row1, int col1, int row2, int col2) {
    return {row1, col1, row2, col2};
  }
};

// A bookmark of the written PDF: a heading as it was laid out.
struct OutlineEntry {
  std::string title;
  // 1 the cover and the chapters, 2 the numbered sections of a chapter, 3 the cases of a
  // section (常時, 地震時), 4 the checked cross-sections of a case
  int level = 1;
  int page = 0;  // page index, 0 = cover
  double y = 0;  // top of the heading's line box, twips
};

// Where an outline mark points: at the next text written (a heading, wherever the page breaks
// put it) or at the top of the page being written.
enum class OutlineAnchor { NextText, PageTop };

// The document properties of the written PDF.
struct DocumentProperties {
  std::string title;
  std::string author;
  std::string subject;
  std::string creator;
  QDateTime created;  // an invalid date: the time the PDF is written
};

// The three parts of a header or footer text: up to the first bar, up to the second bar, and the
// rest (a bar in the last part stays in it).
std::array<std::string, 3> SplitThreeParts(std::string_view text);

// The key of a picture file name: the name without its last four characters ("1_3_9.bmp").
std::string PictureKeyFromFileName(std::string_view file_name);

class ReportWriter {
 public:
  explicit ReportWriter(const std::array<int, 4>& font_sizes = kDefaultReportFontSizes);
  ~ReportWriter();
  ReportWriter(const ReportWriter&) = delete;
  ReportWriter& operator=(const ReportWriter&) = delete;

  // --- Page setup and document ---------------------------------------------------------------
  // A4, margins 1000, Body font size, transparent brush, pen width 0, page counter -1.
  void PageSetup();
  // The same on A4 landscape (the summary table of many walls).
  void PageSetupLandscape();
  // Discards any previous content and opens the first page (page-start behaviour runs).
  void BeginDocument();
  // Closes the current page and opens the next one (page-start behaviour runs).
  void NewPage();
  // Closes the last page; afterwards PageCount() is known.
  void EndDocument();
  // Drops the whole document (an interrupted build leaves nothing that looks complete).
  void Discard();
  bool IsDocumentOpen() const;
  bool IsDocumentEnded() const;

  // Marks an outline entry (a bookmark of the PDF). With NextText the entry opens at the line
  // of the next text written; a mark with no text after it before the document ends is dropped.
  void MarkOutline(std::string_view title, int level,
                   OutlineAnchor anchor = OutlineAnchor::NextText);
  // The entries in document order.
  const std::vector<OutlineEntry>& Outline() const;
  // Properties of the document; BeginDocument clears them.
  void SetProperties(DocumentProperties properties);
  const DocumentProperties& Properties() const;

  // Three-part texts "left|centre|right"; they apply to the page being written and the
  // following pages until changed.
  void SetHeader(std::string_view text);
  void SetHeader(std::string_view left, std::string_view centre, std::string_view right);
  void SetFooter(std::string_view text);
  const std::string& Header() const;
  const std::string& Footer() const;
  // Header/footer style switch of the page setup: 3 draws a rule below the header.
  void SetHeaderFooterStyle(int style);

  // Incremented at every page start: cover 0, first report page 1; -1 before the document.
  int PageCounter() const;
  // Number of pages including the cover; 0 until EndDocument.
  int PageCount() const;
  // The closed pages (all pages after EndDocument), for the renderers.
  const std::vector<Page>& Pages() const;

  double PageWidth() const;
  double PageHeight() const;
  double MarginLeft() const;
  double MarginRight() const;
  double MarginTop() const;
  double MarginBottom() const;

  // --- Text ----------------------------------------------------------------------------------
  void SetFontSize(FontSlot slot);
  double FontSize() const;  // points
  int SlotSize(FontSlot slot) const;
  // Writes the text from the current position and ends the line: the position moves to the
  // left margin of the following line. An empty text is an empty line. CR LF inside breaks the
  // line; text passing the right margin wraps to the left margin.
  void Paragraph(std::string_view text);
  // Writes the text at the current position; the position moves to its end. CR LF ends the line
  // and the text after it starts at the left margin of the next line.
  void Text(std::string_view text);
  // Starts a new page when less than `height` is left above the bottom margin of this one and
  // the new page would hold it, so that a heading or a lead-in does not end a page apart from
  // what follows it. Returns whether it started one.
  bool KeepRoom(double height);
  // The height of a table row of one line in the current font (what a table lead-in keeps room
  // for, per row).
  double TableRowHeight() const;
  double GetX() const;
  void SetX(double x);
  double GetY() const;
  void SetY(double y);
  // Extent of a text in the current font: the widest line, and the number of lines times the
  // line height (TextHeight of any one-line text is the line height of the paragraphs).
  double TextWidth(std::string_view text) const;
  double TextHeight(std::string_view text = " ") const;
  // Rotation of the following Text output, tenths of a degree counter-clockwise.
  void SetTextAngle(int tenths);
  int TextAngle() const;

  // --- Pictures ------------------------------------------------------------------------------
  // Draws the formula picture at natural size with its top-left corner at the current position;
  // x becomes its right edge and y its middle line minus half a blank's height.
  void InsertFormulaPicture(std::string_view file_name);
  void DrawPictureInBox(std::string_view file_name, double x1, double y1, double x2, double y2);
  QSizeF PictureSize(std::string_view file_name) const;

  // --- Tables (1-based rows and columns) -----------------------------------------------------
  void BeginTable();
  void SetTableRows(int rows);
  void SetTableCols(int cols);
  int GetTableRows() const;
  int GetTableCols() const;
  void SetColumnWidth(int col, double twips);
  double GetColumnWidth(int col) const;
  double GetTableWidth() const;  // sum of the column widths
  void SetCellText(int row, int col, std::string_view text);
  // Works on the table being built, or after EndTable on the last table.
  std::string GetCellText(int row, int col) const;
  // The set height, or the normal row height of the current font.
  double GetRowHeight(int row) const;
  void SetRowHeight(int row, double twips);
  void SetColumnSpan(int row, int col, int span);
  void SetTableIndent(double twips);
  void SetRuleAbove(int row);
  void SetRuleAbove(int row1, int row2);
  void SetCellAlignment(TableRange range, int code);
  // Rows 1 .. rows are repeated at the top of the next page when the table breaks.
  void SetHeaderRow(int rows);
  // Keeps the table on one page when it fits on one (it moves to a new page instead of
  // breaking). Every report table sets it.
  void SetTableFlag(bool on = true);
  // Persists from table to table: kTableBorderNone or kTableBorderFrame.
  void SetTableBorder(int mode);
  int TableBorder() const;
  // Lays the table out from where it began; the position moves to the left margin below it.
  void EndTable();
  bool IsTableOpen() const;

  // --- Drawing (page coordinates) ------------------------------------------------------------
  void DrawLine(double x1, double y1, double x2, double y2);
  // Filled with the brush colour when the brush is solid.
  void DrawCircle(double x, double y, double r);
  // An arc (outline only) from start to end, radians counter-clockwise from the x axis.
  void DrawCircle(double x, double y, double r, double start, double end);
  void DrawArc(double x, double y, double r, double start, double end);
  void DrawRectangle(double x1, double y1, double x2, double y2);
  // Closed polygon: outline with the pen, filled with the brush when solid.
  void DrawPolygon(const std::vector<QPointF>& points);
  void SetPenWidth(double twips);
  void SetPenStyle(PenStyle style);
  void SetPenColor(int rgb);
  void SetBrushColor(int rgb);
  void SetBrushStyle(BrushStyle style);
  const Pen& CurrentPen() const;
  const Brush& CurrentBrush() const;

  // --- Composite drawing ---------------------------------------------------------------------
  // Text on a white ground: the box of the text is blanked, then the text written at (x, y).
  void DrawLabel(double x, double y, std::string_view text);
  // Dimension along y between y1 and y2: extension lines from x0 to x8, the dimension line at
  // x0 + offset with dots at its ends, the value (formatted "0") written upwards on its left.
  void DrawDimensionV(double x0, double y1, double x8, double y2, double offset, float value);
  // Dimension along x between x0 and x8: extension lines from y1 to y2, the dimension line at
  // y2 + offset with dots at its ends, the value (formatted "0") centred above it on white.
  void DrawDimensionH(double x0, double y1, double x8, double y2, double offset, float value);
  // The same with a label of the caller's (another number format, or a symbol such as "B/2").
  void DrawDimensionV(double x0, double y1, double x8, double y2, double offset,
                      std::string_view label);
  void DrawDimensionH(double x0, double y1, double x8, double y2, double offset,
                      std::string_view label);

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
};

}  // namespace ktv
