#include "report/chapter_kit.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/format.h"
#include "app/units.h"
#include "report/report_writer.h"

namespace ktv {
namespace {

constexpr std::string_view kPatterns[] = {kFmt0, kFmt1, kFmt2, kFmt3};

std::string_view Pattern(int decimals) { return kPatterns[std::clamp(decimals, 0, 3)]; }

}  // namespace

std::string Fixed(float value, int decimals) { return FormatValue(value, Pattern(decimals)); }
std::string Fixed(double value, int decimals) { return FormatValue(value, Pattern(decimals)); }

std::string LimitText(float value, int decimals) {
  std::string text;
  for (int i = std::clamp(decimals, 0, 3); i < 4; ++i) {
    text = FormatValue(value, kPatterns[i]);
    if (static_cast<float>(ReadNumber(text)) == value) break;
  }
  return text;
}

std::string_view VerdictSign(Verdict v) {
  if (v.side == SafeSide::Below) return v.ok ? " ＜ " : " ≧ ";
  return v.ok ? " ＞ " : " ≦ ";
}

std::string_view VerdictMark(Verdict v) {
  if (v.side == SafeSide::Below) return v.ok ? "＜" : "≧";
  return v.ok ? "＞" : "≦";
}

std::string_view MirroredSign(Verdict v) {
  if (v.side == SafeSide::Below) return v.ok ? " ＞ " : " ≦ ";
  return v.ok ? " ＜ " : " ≧ ";
}

std::string_view MirroredMark(Verdict v) {
  if (v.side == SafeSide::Below) return v.ok ? "＞" : "≦";
  return v.ok ? "＜" : "≧";
}

std::string_view VerdictWord(Verdict v) { return v.ok ? "ＯＫ" : "ＮＧ"; }

std::string VerdictText(Verdict v, std::string_view limit_text, std::string_view gap) {
  std::string text(VerdictSign(v));
  text += limit_text;
  text += gap;
  text += VerdictWord(v);
  return text;
}

Chapter::Chapter(ReportWriter& writer, bool is_si) : w_(writer), is_si_(is_si) {}

std::string Chapter::Unit(std::string_view key) const { return UnitLabel(key, UnitFlag(is_si_)); }

double Chapter::Shown(double stress) const { return ShownStress(stress, is_si_); }

void Chapter::Title(std::string_view text) {
  // The first title line is the report's title in the PDF properties.
  if (w_.Properties().title.empty()) {
    DocumentProperties properties = w_.Properties();
    properties.title = text;
    w_.SetProperties(std::move(properties));
  }
  w_.SetFontSize(FontSlot::Title);
  w_.Paragraph(text);
}

int OutlineLevel(std::string_view heading) {
  // UTF-8 of the full-width digits "０" to "９": EF BC 90 to EF BC 99.
  auto full_width_digit_at = [&](size_t at) {
    return heading.size() >= at + 3 && heading.substr(at, 2) == "\xEF\xBC" &&
           static_cast<unsigned char>(heading[at + 2]) >= 0x90 &&
           static_cast<unsigned char>(heading[at + 2]) <= 0x99;
  };
  if (full_width_digit_at(0)) return 1;
  constexpr std::string_view kOpen = "（";
  if (heading.starts_with(kOpen) && full_width_digit_at(kOpen.size())) return 2;
  return 0;
}

namespace {
// Body lines that a heading keeps with it on its page.
constexpr int kLinesBelowHeading = 3;
}  // namespace

void Chapter::KeepLines(int lines, int table_rows) {
  w_.KeepRoom(lines * w_.TextHeight() + table_rows * w_.TableRowHeight());
}

void Chapter::CaseHeading(std::string_view text, int outline_level) {
  KeepLines(1 + kLinesBelowHeading);
  if (outline_level > 0) {
    constexpr std::string_view kIdeographicSpace = "　";
    std::string_view title = text;
    while (title.starts_with(kIdeographicSpace)) title.remove_prefix(kIdeographicSpace.size());
    while (title.starts_with(' ')) title.remove_prefix(1);
    w_.MarkOutline(title, outline_level);
  }
  w_.Paragraph(text);
}

void Chapter::Headings(std::initializer_list<std::string_view> lines) {
  const double below = kLinesBelowHeading * w_.TextHeight();  // in the Body slot
  w_.SetFontSize(FontSlot::Heading);
  double height = 0;
  bool any_text = false;
  for (std::string_view line : lines) {
    height += w_.TextHeight();
    any_text = any_text || !line.empty();
  }
  bool skip_empty = any_text && w_.KeepRoom(height + below);
  for (std::string_view line : lines) {
    if (skip_empty && line.empty()) continue;
    skip_empty = false;
    // The numbered headings become the bookmarks of the PDF.
    if (const int level = OutlineLevel(line); level > 0) w_.MarkOutline(line, level);
    w_.Paragraph(line);
  }
  w_.SetFontSize(FontSlot::Body);
}

void Chapter::LabelLine(std::string_view label, std::string_view value, std::string_view unit_key) {
  std::string line(label);
  line += value;
  if (!unit_key.empty()) line += Unit(unit_key);
  w_.Paragraph(line);
}

void Chapter::AlignedLine(std::string_view label, double x, std::string_view value) {
  w_.Text(label);
  w_.SetX(x);
  w_.Text(std::string(value) + std::string(kCrLf));
}

void Chapter::EqualsLines(double x, std::initializer_list<EqualsLine> lines) {
  struct Split {
    std::string symbol, rest;
  };
  std::vector<Split> parts;
  double widest = 0;
  for (const EqualsLine& line : lines) {
    const std::string& v = line.value;
    size_t at = std::min(v.find('='), v.find("＝"));
    if (at == std::string::npos) at = 0;
    std::string symbol = v.substr(0, at);
    // The blanks around the symbol were the old alignment; the tab stop replaces them.
    while (!symbol.empty() && symbol.back() == ' ') symbol.pop_back();
    while (!symbol.empty() && symbol.front() == ' ') symbol.erase(0, 1);
    widest = std::max(widest, w_.TextWidth(symbol));
    parts.push_back({std::move(symbol), v.substr(at)});
  }
  const double equals_x = x + widest + w_.TextWidth(" ");
  size_t i = 0;
  for (const EqualsLine& line : lines) {
    const Split& p = parts[i++];
    w_.Text(line.label);
    if (!p.symbol.empty()) {
      w_.SetX(x);
      w_.Text(p.symbol);
    }
    w_.SetX(p.symbol.empty() ? x : equals_x);
    w_.Text(p.rest + std::string(kCrLf));
  }
}

double Chapter::Picture(std::string_view file) {
  const double height = w_.PictureSize(file).height();
  w_.InsertFormulaPicture(file);
  // Taken from where the picture left the position: a picture that did not fit has started a
  // new page, and its top is then on that page.
  const double top = w_.GetY() - (height - w_.TextHeight(" ")) / 2;
  last_picture_bottom_ = top + height;
  return top;
}

void Chapter::BelowPicture() {
  if (w_.GetY() < last_picture_bottom_) w_.SetY(last_picture_bottom_);
}

void Chapter::FormulaLine(std::string_view file, std::string_view value) {
  Picture(file);
  w_.Text(std::string(value) + std::string(kCrLf));
  BelowPicture();
}

namespace {

// The table up to its total row; returns the sums of the printed cells.
PartTotals WritePartRows(Chapter& ch, std::span<const PartRow> rows) {
  ReportWriter& w = ch.w();
  const int count = static_cast<int>(rows.size());
  const int total_row = count + 2;
  w.SetTableBorder(kTableBorderFrame);
  w.BeginTable();
  w.SetTableCols(6);
  w.SetTableRows(total_row);
  w.SetRuleAbove(1, 2);
  w.SetRuleAbove(total_row);
  w.SetTableFlag();
  w.SetCellAlignment(TableRange::All(), kAlignNumbersRight);
  w.SetRowHeight(1, w.GetRowHeight(1) * 3);
  const double widths[] = {1200, 2000, 1300, 1300, 1300, 2000};
  for (int c = 0; c < 6; ++c) w.SetColumnWidth(c + 1, widths[c]);
  w.SetHeaderRow(1);
  w.SetCellAlignment(TableRange::Row(1), kAlignCentre);
  const std::string header[] = {"区分",
                                "断面積(m2)",
                                "単位重量γ(" + ch.Unit("t/m3") + ")",
                                "鉛直力V(" + ch.Unit("t") + ")",
                                "アーム(m)",
                                "原点に対する回転モーメント(" + ch.Unit("t･m") + ")"};
  for (int c = 0; c < 6; ++c) w.SetCellText(1, c + 1, header[c]);
  PartTotals totals;
  for (int i = 0; i < count; ++i) {
    const PartRow& p = rows[i];
    const int row = i + 2;
    w.SetCellText(row, 1, p.name);
    w.SetCellText(row, 2, Fixed(p.a, 3));
    w.SetCellText(row, 3, Fixed(p.gamma_c, 2));
    w.SetCellText(row, 4, Fixed(p.v, 3));
    w.SetCellText(row, 5, Fixed(p.x, 3));
    w.SetCellText(row, 6, Fixed(p.m, 3));
    totals.a += ReadNumber(w.GetCellText(row, 2));
    totals.v += ReadNumber(w.GetCellText(row, 4));
    totals.m += ReadNumber(w.GetCellText(row, 6));
  }
  w.SetCellText(total_row, 1, "計");
  return totals;
}

}  // namespace

PartTotals WritePartsTable(Chapter& ch, std::span<const PartRow> rows, bool print_area_total) {
  ReportWriter& w = ch.w();
  const PartTotals totals = WritePartRows(ch, rows);
  const int total_row = static_cast<int>(rows.size()) + 2;
  if (print_area_total) w.SetCellText(total_row, 2, Fixed(totals.a, 3));
  w.SetCellText(total_row, 4, Fixed(totals.v, 3));
  w.SetCellText(total_row, 6, Fixed(totals.m, 3));
  w.EndTable();
  return totals;
}

void WritePartsTable(Chapter& ch, std::span<const PartRow> rows, const PartSums& sums) {
  ReportWriter& w = ch.w();
  WritePartRows(ch, rows);
  const int total_row = static_cast<int>(rows.size()) + 2;
  w.SetCellText(total_row, 2, Fixed(sums.a, 3));
  w.SetCellText(total_row, 4, Fixed(sums.v, 3));
  w.SetCellText(total_row, 6, Fixed(sums.m, 3));
  w.EndTable();
}

void WriteLoadsAndMoments(Chapter& ch, const LoadsAndMoments& t) {
  ReportWriter& w = ch.w();
  const double indent = 3 * t.load_column_width;
  const double y0 = w.GetY();
  const double x0 = w.GetX() + indent;

  const int load_rows = static_cast<int>(t.loads.size()) + 1;
  w.BeginTable();
  w.SetTableCols(3);
  w.SetTableRows(load_rows);
  w.SetRuleAbove(2);
  w.SetRuleAbove(load_rows);
  w.SetTableFlag();
  w.SetCellAlignment(TableRange::All(), kAlignNumbersRight);
  w.SetRowHeight(1, w.GetRowHeight(1) * 3);
  for (int col = 1; col <= 3; ++col) w.SetColumnWidth(col, t.load_column_width);
  const std::string header[] = {"荷重", "鉛直力V(" + ch.Unit("t") + ")",
                                "水平力H(" + ch.Unit("t") + ")"};
  for (int col = 0; col < 3; ++col) w.SetCellText(1, col + 1, header[col]);
  for (int row = 0; row + 1 < load_rows; ++row) {
    for (int col = 0; col < 3; ++col) w.SetCellText(row + 2, col + 1, t.loads[row][col]);
  }
  w.EndTable();
  w.SetY(y0);
  w.DrawLine(x0, y0, x0, y0 + t.line_length);

  const int moment_rows = static_cast<int>(t.moments.size()) + 2;
  w.BeginTable();
  w.SetTableIndent(indent);
  w.SetTableCols(4);
  w.SetTableRows(moment_rows);
  w.SetRuleAbove(1, 3);
  w.SetRuleAbove(moment_rows);
  w.SetTableFlag();
  w.SetCellAlignment(TableRange::All(), kAlignNumbersRight);
  w.SetRowHeight(1, w.GetRowHeight(1) * 1.5);
  w.SetRowHeight(2, w.GetRowHeight(2) * 1.5);
  for (int row : t.tall_moment_rows) w.SetRowHeight(row + 2, w.GetRowHeight(row + 2) * 1.5);
  const double widths[] = {950, 950, 2000, 2000};
  for (int col = 0; col < 4; ++col) w.SetColumnWidth(col + 1, widths[col]);
  w.SetColumnSpan(1, 1, 2);
  w.SetColumnSpan(1, 3, 2);
  w.SetCellText(1, 1, "原点からの距離(m)");
  w.SetCellText(1, 3, "原点に対する回転モーメント(" + ch.Unit("t･m") + ")");
  const char* const names[] = {"x", "y", "抵抗モーメント Mr", "転倒モーメント M"};
  for (int col = 0; col < 4; ++col) w.SetCellText(2, col + 1, names[col]);
  for (int row = 0; row + 2 < moment_rows; ++row) {
    for (int col = 0; col < 4; ++col) w.SetCellText(row + 3, col + 1, t.moments[row][col]);
  }
  w.EndTable();
}

}  // namespace ktv
