#pragma once
// Chapter kit: the pieces that every wall family's report chapters are made of, so that each
// convention of the report (label lines, formula lines, verdict lines, the self-weight table with
// totals read back from its cells, the loads and moments tables side by side) lives in one place.
// The figure pieces (backfill line with β, face slopes, dimension labels) are in figure_kit.h.
//
// Usage, inside a family's report entry:
//
//   Chapter ch(writer, in.is_si);
//   ch.Title("重力式擁壁の設計計算");
//   ch.Headings({"", "１ 設計条件", "（１）単位体積重量及び土質定数"});  // then the Body slot
//   ch.LabelLine("　　　裏込土　　　　　　　　　　γ = ", Fixed(in.gamma, 3), "kN/m3");
//   ch.AlignedLine("　　　滑動に対する安全率", 4700, LimitText(in.fsa, 1) + " 以上");
//   ch.FormulaLine("1_3_1.bmp", Fixed(p.pha, 3) + ch.Unit("kN/m"));
//
//   // A verdict: compare once (app/verdict.h), print sign and word from the same Verdict.
//   const Verdict v = Compare(fs, fsa, SafeSide::Above);
//   ch.Picture("1_3_6.bmp");
//   ch.w().Text(Fixed(fs, 3));
//   ch.w().Text(VerdictText(v, LimitText(fsa, 1), "　　") + kCrLf);  // " ＞ 1.5　　ＯＫ"
//   ch.BelowPicture();
//
//   // The self-weight table: the totals come back from the printed cells.
//   const PartTotals totals = WritePartsTable(ch, rows, /*print_area_total=*/false);
//
//   // Loads and moments side by side.
//   LoadsAndMoments t;
//   t.loads = {{"自重", Fixed(sum_v_w, 3), ""}, ...};
//   t.moments = {{"", "", Fixed(sum_m_w, 3), ""}, ...};
//   WriteLoadsAndMoments(ch, t);
//
// Values formed only for printing (a product, a conversion to degrees) are formatted from their
// double with Fixed(double, n): storing them as a float first would round them twice.
#include <array>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/verdict.h"

namespace ktv {

class ReportWriter;

inline constexpr std::string_view kCrLf = "\r\n";

// A 32-bit value with `decimals` decimals ("0", "0.0", "0.00", "0.000").
std::string Fixed(float value, int decimals);
// A value formed in double precision only for printing, rounded once.
std::string Fixed(double value, int decimals);

// An allowable value or limit printed beside a comparison: with `decimals` decimals when that
// shows the value compared, otherwise with the fewest decimals (up to three) that do, so that a
// stress of 4.5 N/mm2 is not printed as 5 nor 0.23 as 0.
std::string LimitText(float value, int decimals);

// " ＜ " / " ≧ " (safe below) or " ＞ " / " ≦ " (safe above), following the verdict.
std::string_view VerdictSign(Verdict v);
// The same sign without its blanks, for lines that print it tight: "＜" / "≧", "＞" / "≦".
std::string_view VerdictMark(Verdict v);
// The comparison written from the limit's side ("B/6 ＞ e"): " ＞ " / " ≦ " for a value safe
// below, " ＜ " / " ≧ " for one safe above; MirroredMark without the blanks.
std::string_view MirroredSign(Verdict v);
std::string_view MirroredMark(Verdict v);
// "ＯＫ" or "ＮＧ".
std::string_view VerdictWord(Verdict v);
// The tail of a verdict line: sign + limit text + gap + word, e.g. " ＞ 1.5　　ＯＫ".
std::string VerdictText(Verdict v, std::string_view limit_text, std::string_view gap);

// The outline level of a heading line: 1 for a chapter ("１ 設計条件"), 2 for a numbered section
// ("（１）…"), 0 for any other line.
int OutlineLevel(std::string_view heading);

// One family's chapters being written: the writer, the unit system and the stress factor.
class Chapter {
 public:
  Chapter(ReportWriter& writer, bool is_si);

  ReportWriter& w() { return w_; }
  bool IsSI() const { return is_si_; }
  // The unit label of a key in the project's system (with its leading blank).
  std::string Unit(std::string_view key) const;
  // A stress held multiplied by StressUnitFactor, in the units of the database (ShownStress).
  double Shown(double stress) const;

  // The family's title line in the Title slot.
  void Title(std::string_view text);
  // Paragraphs in the Heading slot (an empty text is an empty line), then the Body slot. The
  // numbered chapter and section headings are marked in the outline. The headings stay on one
  // page with the first lines under them; on a new page their leading empty lines are dropped
  // (a page begins with a blank line of its own).
  void Headings(std::initializer_list<std::string_view> lines);
  // Keeps room on this page for `lines` body lines and `table_rows` one-line table rows, so that
  // a lead-in stays with its table and "上の表より" with the table it reads.
  void KeepLines(int lines, int table_rows = 0);
  // A case heading in the Body slot ("（ａ）常時"), kept with the first lines under it; with an
  // outline level it is marked in the outline too (without its leading blanks).
  void CaseHeading(std::string_view text, int outline_level = 0);
  // One paragraph: label + value + the unit label of unit_key (none when empty).
  void LabelLine(std::string_view label, std::string_view value, std::string_view unit_key = {});
  // Label, then the value at x (so that values line up whatever the label), then the line end.
  void AlignedLine(std::string_view label, double x, std::string_view value);
  // Label lines whose values read "symbol = value" (or "＝"): each label, its symbol at x, and
  // the equals signs of all lines at one x after the widest symbol, so that they line up in the
  // proportional font without blanks.
  struct EqualsLine {
    std::string_view label;
    std::string value;  // "γc = 23.000 kN/m3"
  };
  void EqualsLines(double x, std::initializer_list<EqualsLine> lines);

  // A formula picture at the current position; returns its top. The value is written next with
  // Text; BelowPicture then moves below the picture when it is taller than the line.
  double Picture(std::string_view file);
  void BelowPicture();
  // A formula line: the picture, the value text and the line end.
  void FormulaLine(std::string_view file, std::string_view value);

 private:
  ReportWriter& w_;
  bool is_si_;
  double last_picture_bottom_ = 0;
};

// ---- self-weight table ------------------------------------------------------------------------

// One part of a section: area, unit weight, weight, arm and moment about the origin.
struct PartRow {
  std::string name;  // "W1" …
  float a = 0;
  float gamma_c = 0;
  float v = 0;
  float x = 0;
  float m = 0;
};

// Sums of the printed cells (three decimals), read back from the table.
struct PartTotals {
  double a = 0;
  double v = 0;
  double m = 0;
};

// The self-weight table: border frame, six columns (区分, area, unit weight, V, arm, moment),
// header row three rows high, one row per part and the total row "計" with ΣV and ΣM (and ΣA
// when print_area_total). Returns the totals as read back from the printed cells.
PartTotals WritePartsTable(Chapter& ch, std::span<const PartRow> rows, bool print_area_total);

// Totals that a calculation formed from the unrounded parts and computes with, printed as they
// are instead of read back from the cells.
struct PartSums {
  float a = 0;
  float v = 0;
  float m = 0;
};
// The same table with the given totals in the row "計" (ΣA, ΣV and ΣM).
void WritePartsTable(Chapter& ch, std::span<const PartRow> rows, const PartSums& sums);

// ---- loads and moments side by side -----------------------------------------------------------

struct LoadsAndMoments {
  double load_column_width = 1070;  // each of the loads table's three columns
  double line_length = 1950;        // the vertical line at the moments table's left edge
  // Body rows of the loads table (label, V, H) and of the moments table (x, y, Mr, M), under the
  // standard header rows; the last row of each is its total.
  std::vector<std::array<std::string, 3>> loads;
  std::vector<std::array<std::string, 4>> moments;
  // Body rows of the moments table (1 = first body row) made one and a half rows high, so that
  // they line up with a label that wraps in the narrow loads table.
  std::vector<int> tall_moment_rows;
};

// The loads table, then at its right the moments table with a vertical line at its left edge;
// both share their top edge. The position ends below the moments table.
void WriteLoadsAndMoments(Chapter& ch, const LoadsAndMoments& tables);

}  // namespace ktv
