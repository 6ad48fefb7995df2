#include "families/gravity/gravity_report.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "app/errors.h"
#include "app/format.h"
#include "app/units.h"
#include "earth_pressure/earth_pressure.h"
#include "families/gravity/gravity_reader.h"
#include "project/project_database.h"
#include "report/report_writer.h"

namespace ktv {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr double kPiD = static_cast<double>(kPi);
constexpr double kThreeHalfPi = 4.712389;  // 3π/2 as the batter label takes it

std::string F0(float v) { return FormatValue(v, kFmt0); }
std::string F1(float v) { return FormatValue(v, kFmt1); }
std::string F2(float v) { return FormatValue(v, kFmt2); }
std::string F3(float v) { return FormatValue(v, kFmt3); }

// An allowable value or a limit printed beside a comparison: the report's pattern when it shows
// the value that is compared, otherwise the fewest decimals (up to three) that do, so that a
// stress of 4.5 N/mm2 is not printed as 5 nor 0.23 as 0.
std::string ExactText(float v, std::string_view pattern) {
  static constexpr std::string_view kPatterns[] = {kFmt0, kFmt1, kFmt2, kFmt3};
  auto dot = pattern.find('.');
  size_t decimals = dot == std::string_view::npos ? 0 : pattern.size() - dot - 1;
  std::string text;
  for (size_t i = std::min<size_t>(decimals, 3); i < 4; ++i) {
    text = FormatValue(v, kPatterns[i]);
    if (static_cast<float>(ReadNumber(text)) == v) break;
  }
  return text;
}

// A stress held in the calculation unit, shown in the unit of the database.
float Shown(float stress, float factor) {
  return static_cast<float>(static_cast<double>(stress) / factor);
}

class Chapters {
 public:
  Chapters(ReportWriter& w, const GravityInputs& in, const GravityCalculation& calc)
      : w_(w),
        in_(in),
        p_(calc.earth),
        r_(calc.results),
        flag_(UnitFlag(in.is_si)),
        factor_(StressUnitFactor(in.is_si)) {}

  void Write() {
    w_.SetFontSize(FontSlot::Title);
    w_.Paragraph("重力式擁壁の設計計算");
    DesignConditions();
    Shape();
    EarthPressure();
    SelfWeightAndResultant();
    Overturning();
    Sliding();
    Bearing();
    BodyStressChapter();
  }

 private:
  std::string U(std::string_view key) const { return UnitLabel(key, flag_); }

  void Heading(std::string_view text) {
    w_.SetFontSize(FontSlot::Heading);
    w_.Paragraph(text);
  }
  void Body() { w_.SetFontSize(FontSlot::Body); }

  // A formula picture at the current position; returns its top so that the caller can move
  // below it once the value's line has ended.
  double Picture(std::string_view file) {
    const double top = w_.GetY();
    w_.InsertFormulaPicture(file);
    last_picture_bottom_ = top + w_.PictureSize(file).height();
    return top;
  }
  // The next line starts below the last picture even when the picture is taller than a line.
  void BelowPicture() {
    if (w_.GetY() < last_picture_bottom_) w_.SetY(last_picture_bottom_);
  }
  void FormulaValue(std::string_view file, const std::string& value) {
    Picture(file);
    w_.Text(value + std::string(kCrLf));
    BelowPicture();
  }

  void DesignConditions() {
    w_.SetFontSize(FontSlot::Heading);
    w_.Paragraph("");
    w_.Paragraph("１ 設計条件");
    w_.Paragraph("（１）単位体積重量及び土質定数");
    Body();
    w_.Paragraph("　　　コンクリート　　　　　　　γc = " + F3(in_.gamma_c) + U("kN/m3"));
    w_.Paragraph("　　　裏込土　　　　　　　　　　γ = " + F3(in_.gamma) + U("kN/m3"));
    w_.Paragraph("　　　裏込土の内部摩擦角　φ = " + F0(in_.phi) + "°");
    w_.Paragraph("　　　　　　　　　　　　粘着力　Ｃ = " + F3(in_.c) + U("kN/m2"));
    w_.Paragraph("　　　　　　　　　 　過載荷重 　q = " + F3(in_.q) + U("kN/m2"));
    w_.Paragraph("");

    Heading("（２）許容応力度");
    Body();
    const std::string stress_unit = U("N/cm2");
    w_.Paragraph("　　　コンクリートの設計基準強度　　　　　σck = " +
                 ExactText(Shown(in_.sigma_ck, factor_), kFmt0) + stress_unit + "以上");
    w_.Paragraph("　　　コンクリートの許容曲げ圧縮応力度　σcac = " +
                 ExactText(Shown(in_.sigma_cac, factor_), kFmt0) + stress_unit);
    w_.Paragraph("　　　コンクリートの許容曲げ引張応力度　σcat = " +
                 ExactText(Shown(in_.sigma_cat, factor_), kFmt0) + stress_unit);
    w_.Paragraph("");

    Heading("（３）基礎の安定（常時）");
    Body();
    w_.Text("　　　基礎地盤の許容支持力度");
    w_.SetX(4700);
    w_.Text("ｑa = " + ExactText(in_.qa, kFmt1) + U("kN/m2") + std::string(kCrLf));
    w_.Text("　　　滑動に対する安全率");
    w_.SetX(4700);
    w_.Text(ExactText(in_.fsa, kFmt1) + " 以上" + std::string(kCrLf));
    w_.Text("　　　合力の作用位置は低版幅の中央 1/3 以内" + std::string(kCrLf));
    w_.Text(kCrLf);
  }

  void Shape() {
    Heading("２ 形状寸法");
    Body();
    DrawGravityShapeFigure(w_, w_.GetX() + 1200, w_.GetY() + 300, 5000, in_.q, in_);
    w_.NewPage();
  }

  void EarthPressure() {
    Heading("３ 土圧計算");
    Body();
    w_.Paragraph("");
    w_.Paragraph("φ＝" + F0(in_.phi) + "°、" + "β＝" + F2(in_.beta) + "°、" + "α＝" +
                 F2(RadToDeg(p_.alpha)) + "°、" + "δ=2/3φ（常時）");
    w_.Paragraph("主働土圧係数は、クーロンの公式より");
    Picture("1_3_9.bmp");
    // The axis of the tall fraction lies above the picture's middle.
    w_.SetY(w_.GetY() - 240);
    w_.Text(F3(p_.ka) + std::string(kCrLf));
    BelowPicture();
    w_.Paragraph("");
    w_.Paragraph("");

    const std::string unit = U("kN/m");
    w_.Paragraph("したがって、下図を参照にして");
    FormulaValue("1_3_1.bmp", F3(p_.pha) + unit);
    FormulaValue("1_3_2.bmp", F3(p_.pva) + unit);
    w_.Paragraph("過載荷重による土圧は");
    FormulaValue("1_3_13.bmp", F3(p_.phq) + unit);
    FormulaValue("1_3_14.bmp", F3(p_.pvq) + unit);
    w_.Paragraph("ゆえに土圧係数は");
    FormulaValue("1_3_15.bmp", F3(p_.ph) + unit);
    FormulaValue("1_3_16.bmp", F3(p_.pv) + unit);
    DrawGravityPressureFigure(w_, w_.GetX() + 1200, w_.GetY() + 500, 6000, in_.q, in_);
    w_.NewPage();
  }

  void SelfWeightAndResultant() {
    w_.SetFontSize(FontSlot::Heading);
    w_.Paragraph("４　安全計算");
    w_.Paragraph("（１）自重および合力の作用位置計算");
    Body();
    w_.Paragraph("前ページの図を参考にして下表の計算結果を得た。");

    const SelfWeightTable& t = r_.self_weight;
    const int rows = t.count + 2;
    w_.SetTableBorder(kTableBorderFrame);
    w_.BeginTable();
    w_.SetTableCols(6);
    w_.SetTableRows(rows);
    w_.SetRuleAbove(1, 2);
    w_.SetRuleAbove(rows);
    w_.SetTableFlag();
    w_.SetCellAlignment(TableRange::All(), kAlignNumbersRight);
    w_.SetRowHeight(1, w_.GetRowHeight(1) * 3);
    const double widths[] = {1200, 2000, 1300, 1300, 1300, 2000};
    for (int c = 0; c < 6; ++c) w_.SetColumnWidth(c + 1, widths[c]);
    w_.SetHeaderRow(1);
    w_.SetCellAlignment(TableRange::Row(1), kAlignCentre);
    const std::string header[] = {"区分",
                                  "断面積(m2)",
                                  "単位重量γ(" + U("t/m3") + ")",
                                  "鉛直力V(" + U("t") + ")",
                                  "アーム(m)",
                                  "原点に対する回転モーメント(" + U("t･m") + ")"};
    for (int c = 0; c < 6; ++c) w_.SetCellText(1, c + 1, header[c]);
    for (int i = 0; i < t.count; ++i) {
      const SelfWeightRow& row = t.rows[i];
      w_.SetCellText(i + 2, 1, row.name);
      WriteSelfWeightRow(w_, i + 2, row.a, row.gamma_c, row.v, row.x, row.m);
    }
    w_.SetCellText(rows, 1, "計");
    w_.SetCellText(rows, 4, F3(t.sum_v));
    w_.SetCellText(rows, 6, F3(t.sum_m));
    w_.EndTable();

    w_.Paragraph("");
    w_.Paragraph("したがって下の表の計算結果を得た。");
    const ResultantAndChecks& c = r_.checks;
    const double y0 = w_.GetY();
    const double x0 = w_.GetX() + 3210;
    w_.BeginTable();
    w_.SetTableCols(3);
    w_.SetTableRows(4);
    w_.SetRuleAbove(2);
    w_.SetRuleAbove(4);
    w_.SetTableFlag();
    w_.SetCellAlignment(TableRange::All(), kAlignNumbersRight);
    w_.SetRowHeight(1, w_.GetRowHeight(1) * 3);
    for (int col = 1; col <= 3; ++col) w_.SetColumnWidth(col, 1070);
    const std::string loads[4][3] = {{"荷重", "鉛直力V(" + U("t") + ")", "水平力H(" + U("t") + ")"},
                                     {"自重", F3(t.sum_v), ""},
                                     {"土圧", F3(p_.pv), F3(p_.ph)},
                                     {"合計", F3(c.sum_v), F3(c.sum_h)}};
    for (int row = 0; row < 4; ++row) {
      for (int col = 0; col < 3; ++col) w_.SetCellText(row + 1, col + 1, loads[row][col]);
    }
    w_.EndTable();
    w_.SetY(y0);
    w_.DrawLine(x0, y0, x0, y0 + 1950);

    w_.BeginTable();
    w_.SetTableIndent(3210);
    w_.SetTableCols(4);
    w_.SetTableRows(5);
    w_.SetRuleAbove(1, 3);
    w_.SetRuleAbove(5);
    w_.SetTableFlag();
    w_.SetCellAlignment(TableRange::All(), kAlignNumbersRight);
    w_.SetRowHeight(1, w_.GetRowHeight(1) * 1.5);
    w_.SetRowHeight(2, w_.GetRowHeight(2) * 1.5);
    const double moment_widths[] = {950, 950, 2000, 2000};
    for (int col = 0; col < 4; ++col) w_.SetColumnWidth(col + 1, moment_widths[col]);
    w_.SetColumnSpan(1, 1, 2);
    w_.SetColumnSpan(1, 3, 2);
    w_.SetCellText(1, 1, "原点からの距離(m)");
    w_.SetCellText(1, 3, "原点に対する回転モーメント(" + U("t･m") + ")");
    const std::string moments[4][4] = {{"x", "y", "抵抗モーメント Mr", "転倒モーメント M"},
                                       {"", "", F3(t.sum_m), ""},
                                       {F3(c.xp), F3(c.yp), F3(c.m_pv), F3(c.m_ph)},
                                       {"", "", F3(c.mr), F3(c.m)}};
    for (int row = 0; row < 4; ++row) {
      for (int col = 0; col < 4; ++col) w_.SetCellText(row + 2, col + 1, moments[row][col]);
    }
    w_.EndTable();

    w_.Paragraph("");
    w_.Paragraph("擁壁底面の合力の作用位置dは");
    FormulaValue("1_3_3.bmp", F3(c.d) + " m");
    w_.Paragraph("");
  }

  void Overturning() {
    const ResultantAndChecks& c = r_.checks;
    Heading("（２）転倒に対する安定");
    Body();
    w_.Paragraph("合力の偏心距離eは");
    const double y1 = Picture("1_3_4.bmp");
    std::string e_text = F3(c.e) + " m";
    // The check compares |e|: a resultant behind the centre shows the magnitude that is compared.
    if (e_text.front() == '-') e_text += "（|e| = " + F3(std::fabs(c.e)) + " m）";
    w_.Text(e_text);
    w_.Text(c.overturning_ok ? " ＜ " : " ≧ ");
    w_.SetY(y1);
    Picture("1_3_5.bmp");
    w_.Text(F3(c.b6) + (c.overturning_ok ? " m　　ＯＫ" : " m　　ＮＧ") + std::string(kCrLf));
    BelowPicture();
    w_.Paragraph("");
  }

  void Sliding() {
    const ResultantAndChecks& c = r_.checks;
    Heading("（３）滑動に対する安定");
    Body();
    w_.Paragraph("定番下面と基礎地盤間の摩擦係数等が与えられていないため、" +
                 std::string("ここでは付着力 c=") + F0(in_.c) + " と考え" + std::string(kCrLf) +
                 "常時の許容応力度 qa=" + F0(in_.qa) + U("kN/m2") +
                 "の場合のすべり摩擦係数 tanφB=" + F1(in_.tan_phi_b) + "を採用する。");
    Picture("1_3_6.bmp");
    w_.Text(F3(c.fs));
    const std::string fsa = ExactText(in_.fsa, kFmt1);
    w_.Text(c.sliding_ok ? " ＞ " + fsa + "　　ＯＫ" + std::string(kCrLf)
                         : " ≦ " + fsa + "　　ＮＧ" + std::string(kCrLf));
    BelowPicture();
    w_.Paragraph("");
    w_.NewPage();
  }

  void Bearing() {
    const ResultantAndChecks& c = r_.checks;
    Heading("（４）支持力に対する安定");
    Body();
    w_.Paragraph(c.within_middle_third
                     ? "合力の作用位置は定番幅の中央1/3以内にあるので、地盤反力度は"
                     : "合力の作用位置は定番幅の中央1/3以内にないので、地盤反力度は");
    Picture("1_3_7.bmp");
    w_.Text(F3(c.q1) + "  ， " + F3(c.q2));
    const std::string qa = ExactText(in_.qa, kFmt0) + U("t/m2");
    w_.Text(c.bearing_ok ? " ＜ qa = " + qa + "           ＯＫ"
                         : " ≧ qa = " + qa + "           ＮＧ");
    w_.Paragraph("");
    BelowPicture();
  }

  void BodyStressChapter() {
    const BodyStress& s = r_.body;
    w_.SetFontSize(FontSlot::Heading);
    w_.Paragraph("");
    w_.Paragraph("５　躯体の応力度");
    Body();
    w_.Paragraph("躯体の応力度は躯体下面で最大となる。すなわち");
    Picture("1_3_8.bmp");
    w_.Text(F3(Shown(s.sigma_c1, factor_)) + "  ，" + F3(Shown(s.sigma_c2, factor_)));
    const std::string sigma_cac = ExactText(Shown(in_.sigma_cac, factor_), kFmt0) + U("kg/cm2");
    w_.Text(s.ok ? " ＜ σcac = " + sigma_cac + "            ＯＫ" + std::string(kCrLf)
                 : " ≧ σcac = " + sigma_cac + "            ＮＧ" + std::string(kCrLf));
    BelowPicture();
    w_.Text(s.tension ? "であり、躯体に引張応力度は生じる" : "であり、躯体に引張応力度は生じない");
  }

  ReportWriter& w_;
  const GravityInputs& in_;
  const GravityEarthPressure& p_;
  const GravityResults& r_;
  const int16_t flag_;
  const float factor_;
  double last_picture_bottom_ = 0;
};

// The outline and scale shared by both figures.
struct Outline {
  double mk = 0;  // the margin of 0.5 m, scaled
  double t02k = 0, hk = 0;
  double yb = 0;  // base line of the drawing area
  QPointF p0, p1, p2, p3;
};

Outline MakeOutline(double x, double y, double size, const GravityInputs& in, bool lift) {
  const float m = 0.5f;
  const float by_height = static_cast<float>(2.0 * m + in.h);
  const float by_width = static_cast<float>(static_cast<double>(m) + in.t00 + in.t01 + in.t02);
  const float divisor = by_height >= by_width ? by_height : by_width;
  if (!(divisor > 0)) {
    throw CalculationError("重力式擁壁の図の縮尺が定まりません：高さHと底版幅Bが0です。");
  }
  const double k = size / divisor;  // twips per metre
  Outline o;
  o.mk = m * k;
  const double t00k = in.t00 * k, t01k = in.t01 * k;
  o.t02k = in.t02 * k;
  o.hk = in.h * k;
  o.yb = y + size;
  const double dx = o.mk;
  const double dy = lift ? -o.mk : 0.0;
  o.p0 = QPointF(x + dx, o.yb + dy);
  o.p1 = QPointF(x + t00k + dx, o.yb - o.hk + dy);
  o.p2 = QPointF(x + t00k + t01k + dx, o.yb - o.hk + dy);
  o.p3 = QPointF(x + t00k + t01k + o.t02k + dx, o.yb + dy);
  return o;
}

void MoveDown(Outline& o, double d) {
  o.yb += d;
  for (QPointF* p : {&o.p0, &o.p1, &o.p2, &o.p3}) p->ry() += d;
}

void DrawOutline(ReportWriter& w, const Outline& o) {
  w.SetPenWidth(30);
  w.DrawLine(o.p0.x(), o.p0.y(), o.p1.x(), o.p1.y());
  w.DrawLine(o.p1.x(), o.p1.y(), o.p2.x(), o.p2.y());
  w.DrawLine(o.p2.x(), o.p2.y(), o.p3.x(), o.p3.y());
  w.DrawLine(o.p3.x(), o.p3.y(), o.p0.x(), o.p0.y());
  w.SetPenWidth(0);
}

float Millimetres(float metres) { return static_cast<float>(static_cast<double>(metres) * 1000); }

// Two thirds down the back face (the point of action of the thrust): the distance along the face
// from the back top corner and the direction of the face.
struct FacePoint {
  double l = 0;
  double theta = 0;
  QPointF at;
};
FacePoint BackFaceTwoThirds(const Outline& o, float alpha) {
  FacePoint f;
  f.l = 2.0 / 3.0 * std::sqrt(o.t02k * o.t02k + o.hk * o.hk);
  f.theta = static_cast<double>(alpha) + kThreeHalfPi;
  f.at = QPointF(o.p2.x() + f.l * std::cos(f.theta), o.p2.y() - f.l * std::sin(f.theta));
  return f;
}

// α from the vertical at the back top corner: a vertical reference, the arc and the value. The
// value stands beside the back face on the backfill side (centred on the corner its white ground
// would cut the face line), at the end of the reference line, or higher when that would reach
// the labels lower down the face (limit_y).
void DrawAlphaMark(ReportWriter& w, const Outline& o, float alpha, double limit_y) {
  const QPointF p2 = o.p2;
  w.DrawLine(p2.x(), p2.y(), p2.x(), p2.y() + o.mk);
  if (alpha > 0) w.DrawArc(p2.x(), p2.y(), 0.75 * o.mk, 3 * kPiD / 2, 3 * kPiD / 2 + alpha);
  const std::string label = "α = " + F3(RadToDeg(alpha)) + "°";
  const double h = w.TextHeight(label);
  const double y = std::max(p2.y() + 60, std::min(p2.y() + o.mk, limit_y - h - 40));
  const double face_x = p2.x() + (y + h - p2.y()) * std::tan(alpha);
  w.DrawLabel(face_x + 60, y, label);
}

// The backfill surface at β from the back top corner, with β and the surcharge written along it.
struct BackfillMark {
  std::string text;
  double beta = 0;   // radians
  double start = 0;  // distance of the text from the corner along the surface
  double width = 0, height = 0;
};

BackfillMark MakeBackfillMark(const ReportWriter& w, const Outline& o, const GravityInputs& in,
                              float q) {
  BackfillMark b;
  b.text = "β = " + F2(in.beta) + "°、q = " + F0(q) + UnitLabel("t/m2", UnitFlag(in.is_si));
  b.beta = DegToRad(in.beta);
  // Beyond the β arc, so that the arc does not run through the text.
  b.start = in.beta > 0 ? o.mk / 2 + 60 : 100;
  b.width = w.TextWidth(b.text);
  b.height = w.TextHeight(b.text);
  return b;
}

// The highest point (smallest y) of the surface line and the text left of x_limit.
double BackfillTop(const Outline& o, const BackfillMark& b, double x_limit) {
  const double c = std::cos(b.beta), s = std::sin(b.beta);
  const double along = c > 0 ? (x_limit - o.p2.x()) / c : b.start + b.width;
  const double line_end = std::clamp(along, 0.0, 2 * o.mk);
  double top = o.p2.y() - line_end * s;
  if (along > b.start) {
    const double u = std::min(along, b.start + b.width);
    top = std::min(top, o.p2.y() - u * s - b.height * c);
  }
  return top;
}

void DrawBackfillMark(ReportWriter& w, const Outline& o, const BackfillMark& b, float beta_deg) {
  const QPointF p2 = o.p2;
  const double c = std::cos(b.beta), s = std::sin(b.beta);
  w.SetPenWidth(30);
  w.DrawLine(p2.x(), p2.y(), p2.x() + 2 * o.mk, p2.y());
  w.DrawLine(p2.x(), p2.y(), p2.x() + 2 * o.mk * c, p2.y() - 2 * o.mk * s);
  w.SetPenWidth(0);
  if (beta_deg > 0) w.DrawArc(p2.x(), p2.y(), o.mk / 2, 0, b.beta);
  w.SetX(p2.x() + b.start * c - b.height * s);
  w.SetY(p2.y() - b.start * s - b.height * c);
  w.SetTextAngle(static_cast<int>(std::lround(beta_deg * 10.0)));
  w.Text(b.text);
  w.SetTextAngle(0);
}

}  // namespace

void WriteSelfWeightRow(ReportWriter& writer, int row, float a, float gamma_c, float v, float x,
                        float m) {
  writer.SetCellText(row, 2, F3(a));
  writer.SetCellText(row, 3, F2(gamma_c));
  writer.SetCellText(row, 4, F3(v));
  writer.SetCellText(row, 5, F3(x));
  writer.SetCellText(row, 6, F3(m));
}

void DrawGravityShapeFigure(ReportWriter& w, double x, double y, double size, float q,
                            const GravityInputs& in) {
  const Outline o = MakeOutline(x, y, size, in, true);
  const float alpha = FaceAngle(in.t02, in.h);
  DrawOutline(w, o);
  w.DrawDimensionH(o.p1.x(), o.p1.y(), o.p2.x(), o.p1.y() - o.mk, o.mk / 4, Millimetres(in.t01));
  w.DrawDimensionH(o.p0.x(), o.yb, o.p3.x(), o.p3.y(), 0.75 * o.mk,
                   Millimetres(static_cast<float>(static_cast<double>(in.t00) + in.t01 + in.t02)));
  w.DrawDimensionV(x, o.p0.y(), o.p1.x(), o.p1.y(), o.mk / 4, Millimetres(in.h));

  // The batter of the back face, written along it two thirds of the way down.
  const std::string text = "1：" + F2(static_cast<float>(std::fabs(std::tan(alpha))));
  const FacePoint f = BackFaceTwoThirds(o, alpha);
  const double h = w.TextHeight(text);
  DrawAlphaMark(w, o, alpha, f.at.y() - h * std::sin(alpha));
  DrawBackfillMark(w, o, MakeBackfillMark(w, o, in, q), in.beta);
  w.SetX(f.l * std::cos(f.theta) - h * std::sin(f.theta) + o.p2.x());
  w.SetY(-f.l * std::sin(f.theta) - h * std::cos(f.theta) + o.p2.y());
  w.SetTextAngle(static_cast<int>(std::lround((RadToDeg(alpha) + 270.0) * 10.0)));
  w.Text(text);
  w.SetTextAngle(0);
}

void DrawGravityPressureFigure(ReportWriter& w, double x, double y, double size, float q,
                               const GravityInputs& in) {
  Outline o = MakeOutline(x, y, size, in, false);
  const float alpha = FaceAngle(in.t02, in.h);

  // The widths are dimensioned above the wall. On a tall wall the backfill text rises into that
  // row: the row then goes above the text and the drawing moves down by as much, as far as the
  // page allows.
  const double offset = o.mk / 4;
  const std::string t02_label = F0(Millimetres(in.t02));
  const double x_limit =
      std::max(o.p3.x(), (o.p2.x() + o.p3.x() + w.TextWidth(t02_label)) / 2) + 60;
  BackfillMark mark = MakeBackfillMark(w, o, in, q);
  const double clash = (o.p1.y() - 1.75 * o.mk) - (BackfillTop(o, mark, x_limit) - 60);
  if (clash > 0) {
    const double room = w.PageHeight() - w.MarginBottom() - 60 - o.yb;
    MoveDown(o, std::clamp(clash, 0.0, std::max(room, 0.0)));
  }
  const double text_top = BackfillTop(o, mark, x_limit);
  const double dimension_line = std::min(o.p1.y() - 1.75 * o.mk, text_top - 60);
  const double y2 = dimension_line - offset;
  // Above the backfill side the extension lines of T02 start above the text, not through it.
  const double t02_y1 = std::min(o.p1.y(), text_top - 40);

  DrawOutline(w, o);
  w.DrawLine(o.p0.x(), o.p0.y(), o.p0.x(), o.p1.y() + 10);
  w.DrawLine(o.p3.x(), o.p3.y(), o.p3.x(), o.p1.y() + 10);
  w.SetPenStyle(PenStyle::Dotted);
  w.DrawLine(o.p1.x(), o.p1.y(), o.p1.x(), o.p0.y());
  w.DrawLine(o.p2.x(), o.p2.y(), o.p2.x(), o.p3.y());
  w.SetPenStyle(PenStyle::Solid);
  w.DrawDimensionH(o.p0.x(), o.p1.y(), o.p1.x(), y2, offset, Millimetres(in.t00));
  w.DrawDimensionH(o.p1.x(), o.p1.y(), o.p2.x(), y2, offset, Millimetres(in.t01));
  w.DrawDimensionH(o.p2.x(), t02_y1, o.p3.x(), y2, offset, Millimetres(in.t02));
  w.DrawDimensionV(x, o.p0.y(), o.p1.x(), o.p1.y(), offset, Millimetres(in.h));

  // Thrust components at the point of action, arrows pointing onto the back face.
  const FacePoint f = BackFaceTwoThirds(o, alpha);
  const QPointF a = f.at;
  const double arrow = 0.3 * f.l;
  const double pv_top = a.y() - arrow - 20 - w.TextHeight("Pv");
  DrawAlphaMark(w, o, alpha, pv_top);
  DrawBackfillMark(w, o, mark, in.beta);
  w.SetPenWidth(25);
  w.DrawLine(a.x(), a.y(), a.x(), a.y() - arrow);
  w.DrawLine(a.x(), a.y(), a.x() + arrow, a.y());
  w.SetPenWidth(0);
  w.SetBrushStyle(BrushStyle::Solid);
  w.DrawPolygon({QPointF(a.x() + 50, a.y() - 200), a, QPointF(a.x() - 50, a.y() - 200)});
  w.DrawPolygon({QPointF(a.x() + 200, a.y() + 50), a, QPointF(a.x() + 200, a.y() - 50)});
  w.SetBrushStyle(BrushStyle::Transparent);
  w.DrawLabel(a.x() - w.TextWidth("Pv") / 2, pv_top, "Pv");
  w.DrawLabel(a.x() + arrow + 80, a.y() - w.TextHeight("Ph") / 2, "Ph");

  // Part labels one third of the height above the base.
  const double yl = o.p0.y() + (o.p1.y() - o.p0.y()) / 3;
  auto label = [&](double centre, const char* text) {
    w.DrawLabel(centre - w.TextWidth(text) / 2, yl - w.TextHeight(text) / 2 - 20, text);
  };
  // W1 sits over the centroid of its triangle: the midpoint of the base would put the label on
  // the front face at this height.
  if (in.t00 > 0) label(o.p0.x() + (o.p1.x() - o.p0.x()) * 2 / 3, "W1");
  if (in.t01 > 0) label((o.p1.x() + o.p2.x()) / 2, "W2");
  if (in.t02 > 0) label(o.p2.x() + (o.p3.x() - o.p2.x()) / 4, "W3");
}

void WriteGravityChapters(ReportWriter& writer, const GravityInputs& in,
                          const GravityCalculation& calc) {
  Chapters(writer, in, calc).Write();
}

void BuildGravityDocument(ReportWriter& writer, const ReportContext& context) {
  GravityInputs in;
  {
    const ProjectDatabase db = ProjectDatabase::Open(context.working_database_path);
    in = ReadGravityInputs(db);
  }
  // A failed coefficient is shown before anything else, also when the calculation then stops on
  // ΣH = 0; otherwise the report goes on with Ka = 0.
  CheckGravityInputs(in);
  if (context.sink &&
      ComputeGravityEarthPressure(in.phi, in.gamma, in.q, in.h, in.t02, in.beta).ka_failed) {
    context.sink->Inform(std::string(kCoulombKaFailure));
  }
  const GravityCalculation calc = ComputeGravity(in);
  WriteGravityChapters(writer, in, calc);
}

}  // namespace ktv
