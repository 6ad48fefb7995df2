#include "families/gravity/gravity_report.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "app/errors.h"
#include "app/format.h"
#include "app/units.h"
#include "earth_pressure/earth_pressure.h"
#include "families/gravity/gravity_checks.h"
#include "families/gravity/gravity_json.h"
#include "families/gravity/gravity_reader.h"
#include "project/project_database.h"
#include "report/chapter_kit.h"
#include "report/figure_kit.h"
#include "report/report_writer.h"

namespace ktv {
namespace {

constexpr double kPiD = static_cast<double>(kPi);
constexpr double kThreeHalfPi = 4.712389;  // 3π/2 as the batter label takes it

// α in degrees, formed only for printing.
double Degrees(float radians) { return static_cast<double>(radians) / kPiD * 180.0; }

class Chapters {
 public:
  Chapters(ReportWriter& w, const GravityInputs& in, const GravityCalculation& calc)
      : ch_(w, in.is_si), w_(w), in_(in), p_(calc.earth), r_(calc.results) {}

  void Write() {
    ch_.Title("重力式擁壁の設計計算");
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
  std::string U(std::string_view key) const { return ch_.Unit(key); }

  void DesignConditions() {
    ch_.Headings({"", "１ 設計条件", "（１）単位体積重量及び土質定数"});
    // The equals signs line up at a tab stop, not by blanks in the proportional font.
    ch_.EqualsLines(3700, {{"　　　コンクリート", "γc = " + Fixed(in_.gamma_c, 3) + U("kN/m3")},
                           {"　　　裏込土", "γ = " + Fixed(in_.gamma, 3) + U("kN/m3")},
                           {"　　　裏込土の内部摩擦角", "φ = " + Fixed(in_.phi, 0) + "°"},
                           {"　　　粘着力", "Ｃ = " + Fixed(in_.c, 3) + U("kN/m2")},
                           {"　　　過載荷重", "q = " + Fixed(in_.q, 3) + U("kN/m2")}});
    w_.Paragraph("");

    ch_.Headings({"（２）許容応力度"});
    const std::string stress_unit = U("N/cm2");
    ch_.EqualsLines(5000, {{"　　　コンクリートの設計基準強度",
                            "σck = " + StressLimit(in_.sigma_ck) + stress_unit + "以上"},
                           {"　　　コンクリートの許容曲げ圧縮応力度",
                            "σcac = " + StressLimit(in_.sigma_cac) + stress_unit},
                           {"　　　コンクリートの許容曲げ引張応力度",
                            "σcat = " + StressLimit(in_.sigma_cat) + stress_unit}});
    w_.Paragraph("");

    ch_.Headings({"（３）基礎の安定（常時）"});
    ch_.AlignedLine("　　　基礎地盤の許容支持力度", 4700,
                    "ｑa = " + LimitText(in_.qa, 1) + U("kN/m2"));
    ch_.AlignedLine("　　　滑動に対する安全率", 4700, LimitText(in_.fsa, 1) + " 以上");
    w_.Text("　　　合力の作用位置は低版幅の中央 1/3 以内" + std::string(kCrLf));
    w_.Text(kCrLf);
  }

  // A concrete stress in the units of the database, as a limit beside a comparison.
  std::string StressLimit(float stress) const {
    return LimitText(static_cast<float>(ch_.Shown(stress)), 0);
  }

  void Shape() {
    ch_.Headings({"２ 形状寸法"});
    DrawGravityShapeFigure(w_, w_.GetX() + 1200, w_.GetY() + 300, 5000, in_.q, in_);
    w_.NewPage();
  }

  void EarthPressure() {
    ch_.Headings({"３ 土圧計算"});
    w_.Paragraph("");
    w_.Paragraph("φ＝" + Fixed(in_.phi, 0) + "°、" + "β＝" + Fixed(in_.beta, 2) + "°、" + "α＝" +
                 Fixed(Degrees(p_.alpha), 2) + "°、" + "δ=2/3φ（常時）");
    w_.Paragraph("主働土圧係数は、クーロンの公式より");
    ch_.Picture("1_3_9.bmp");
    // The axis of the tall fraction lies above the picture's middle.
    w_.SetY(w_.GetY() - 240);
    w_.Text(Fixed(p_.ka, 3) + std::string(kCrLf));
    ch_.BelowPicture();
    w_.Paragraph("");
    w_.Paragraph("");

    const std::string unit = U("kN/m");
    w_.Paragraph("したがって、下図を参照にして");
    ch_.FormulaLine("1_3_1.bmp", Fixed(p_.pha, 3) + unit);
    ch_.FormulaLine("1_3_2.bmp", Fixed(p_.pva, 3) + unit);
    w_.Paragraph("過載荷重による土圧は");
    ch_.FormulaLine("1_3_13.bmp", Fixed(p_.phq, 3) + unit);
    ch_.FormulaLine("1_3_14.bmp", Fixed(p_.pvq, 3) + unit);
    w_.Paragraph("ゆえに土圧係数は");
    ch_.FormulaLine("1_3_15.bmp", Fixed(p_.ph, 3) + unit);
    ch_.FormulaLine("1_3_16.bmp", Fixed(p_.pv, 3) + unit);
    DrawGravityPressureFigure(w_, w_.GetX() + 1200, w_.GetY() + 500, 6000, in_.q, in_);
    w_.NewPage();
  }

  void SelfWeightAndResultant() {
    // The headings and the lead-in with the parts table under them.
    ch_.KeepLines(3, r_.self_weight.count + 4);
    ch_.Headings({"４　安全計算", "（１）自重および合力の作用位置計算"});
    w_.Paragraph("前ページの図を参考にして下表の計算結果を得た。");

    const SelfWeightTable& t = r_.self_weight;
    std::vector<PartRow> parts;
    for (int i = 0; i < t.count; ++i) {
      const SelfWeightRow& row = t.rows[i];
      parts.push_back({row.name, row.a, row.gamma_c, row.v, row.x, row.m});
    }
    WritePartsTable(ch_, parts, false);

    w_.Paragraph("");
    // The lead-in with the loads and moments tables (three rows under a header of about three).
    ch_.KeepLines(1, 6);
    w_.Paragraph("したがって下の表の計算結果を得た。");
    const ResultantAndChecks& c = r_.checks;
    LoadsAndMoments lm;
    lm.load_column_width = 1070;
    lm.line_length = 1950;
    lm.loads = {{"自重", Fixed(t.sum_v, 3), ""},
                {"土圧", Fixed(p_.pv, 3), Fixed(p_.ph, 3)},
                {"合計", Fixed(c.sum_v, 3), Fixed(c.sum_h, 3)}};
    // The two moments of the thrust are only printed: formed in double, rounded once.
    lm.moments = {{"", "", Fixed(t.sum_m, 3), ""},
                  {Fixed(c.xp, 3), Fixed(c.yp, 3), Fixed(static_cast<double>(c.xp) * p_.pv, 3),
                   Fixed(static_cast<double>(c.yp) * p_.ph, 3)},
                  {"", "", Fixed(c.mr, 3), Fixed(c.m, 3)}};
    WriteLoadsAndMoments(ch_, lm);

    w_.Paragraph("");
    w_.Paragraph("擁壁底面の合力の作用位置dは");
    ch_.FormulaLine("1_3_3.bmp", Fixed(c.d, 3) + " m");
    w_.Paragraph("");
  }

  void Overturning() {
    const ResultantAndChecks& c = r_.checks;
    const Verdict v = GravityVerdict(r_, "overturning");
    ch_.Headings({"（２）転倒に対する安定"});
    w_.Paragraph("合力の偏心距離eは");
    const double y1 = ch_.Picture("1_3_4.bmp");
    std::string e_text = Fixed(c.e, 3) + " m";
    // The check compares |e|: a resultant behind the centre shows the magnitude that is compared.
    if (e_text.front() == '-') e_text += "（|e| = " + Fixed(std::fabs(c.e), 3) + " m）";
    w_.Text(e_text);
    w_.Text(VerdictSign(v));
    w_.SetY(y1);
    ch_.Picture("1_3_5.bmp");
    w_.Text(Fixed(c.b6, 3) + " m　　" + std::string(VerdictWord(v)) + std::string(kCrLf));
    ch_.BelowPicture();
    w_.Paragraph("");
  }

  void Sliding() {
    const ResultantAndChecks& c = r_.checks;
    ch_.Headings({"（３）滑動に対する安定"});
    w_.Paragraph("定番下面と基礎地盤間の摩擦係数等が与えられていないため、" +
                 std::string("ここでは付着力 c=") + Fixed(in_.c, 0) + " と考え" +
                 std::string(kCrLf) + "常時の許容応力度 qa=" + Fixed(in_.qa, 0) + U("kN/m2") +
                 "の場合のすべり摩擦係数 tanφB=" + Fixed(in_.tan_phi_b, 1) + "を採用する。");
    ch_.Picture("1_3_6.bmp");
    w_.Text(Fixed(c.fs, 3));
    w_.Text(VerdictText(GravityVerdict(r_, "sliding"), LimitText(in_.fsa, 1), "　　") +
            std::string(kCrLf));
    ch_.BelowPicture();
    w_.Paragraph("");
    // The bearing section and the body stress chapter follow on this page when they fit (a page
    // of their few lines alone would be a stub); the longest form, with the triangular reaction
    // and the tension line, is about sixteen lines with its pictures.
    ch_.KeepLines(16);
  }

  void Bearing() {
    const ResultantAndChecks& c = r_.checks;
    ch_.Headings({"（４）支持力に対する安定"});
    w_.Paragraph(c.within_middle_third
                     ? "合力の作用位置は定番幅の中央1/3以内にあるので、地盤反力度は"
                     : "合力の作用位置は定番幅の中央1/3以内にないので、地盤反力度は");
    if (c.reaction.outside) {
      w_.Paragraph(kResultantOutsideBase);
      w_.Text("q1, q2 = ");
    } else if (c.reaction.triangular) {
      // The trapezoid would pull at one edge: the triangle from the pressed edge, its formula
      // with the numbers.
      const bool toe = c.reaction.toe_pressed;
      w_.Paragraph("三角形分布となり、" + std::string(toe ? "q2 = 0" : "q1 = 0") + "、");
      ch_.FormulaLine(toe ? "1_3_17.bmp" : "1_3_18.bmp",
                      "2 × " + Fixed(c.sum_v, 3) + " / (3 × " + Fixed(c.reaction.d_edge, 3) + ")");
      w_.Text("q1, q2 = ");
    } else {
      ch_.Picture("1_3_7.bmp");
    }
    w_.Text(Fixed(c.q1, 3) + U("t/m2") + "  ， " + Fixed(c.q2, 3) + U("t/m2"));
    w_.Text(VerdictText(GravityVerdict(r_, "bearing"), "qa = " + LimitText(in_.qa, 0) + U("t/m2"),
                        "           "));
    w_.Paragraph("");
    ch_.BelowPicture();
  }

  void BodyStressChapter() {
    const BodyStress& s = r_.body;
    ch_.Headings({"", "５　躯体の応力度"});
    w_.Paragraph("躯体の応力度は躯体下面で最大となる。すなわち");
    ch_.Picture("1_3_8.bmp");
    w_.Text(Fixed(ch_.Shown(s.sigma_c1), 3) + "  ，" + Fixed(ch_.Shown(s.sigma_c2), 3));
    w_.Text(VerdictText(GravityVerdict(r_, "body_stress"),
                        "σcac = " + StressLimit(in_.sigma_cac) + U("kg/cm2"), "            ") +
            std::string(kCrLf));
    ch_.BelowPicture();
    if (s.tension) {
      // Plain concrete in tension: the tensile stress by its magnitude against σcat.
      const bool first = s.sigma_c1 < s.sigma_c2;
      w_.Text(std::string(first ? "|σc1| = " : "|σc2| = ") +
              Fixed(ch_.Shown(std::fabs(std::min(s.sigma_c1, s.sigma_c2))), 3) +
              VerdictText(GravityVerdict(r_, "body_tension"),
                          "σcat = " + StressLimit(in_.sigma_cat) + U("kg/cm2"), "            ") +
              std::string(kCrLf));
    }
    w_.Text(s.tension ? "であり、躯体に引張応力度は生じる" : "であり、躯体に引張応力度は生じない");
  }

  Chapter ch_;
  ReportWriter& w_;
  const GravityInputs& in_;
  const GravityEarthPressure& p_;
  const GravityResults& r_;
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
  const std::string label = "α = " + Fixed(Degrees(alpha), 3) + "°";
  const double h = w.TextHeight(label);
  const double y = std::max(p2.y() + 60, std::min(p2.y() + o.mk, limit_y - h - 40));
  const double face_x = p2.x() + (y + h - p2.y()) * std::tan(alpha);
  w.DrawLabel(face_x + 60, y, label);
}

// The backfill mark of both figures; its text starts beyond the β arc, so that the arc does not
// run through it.
BackfillMark GravityBackfillMark(const ReportWriter& w, const Outline& o, const GravityInputs& in,
                                 float q) {
  return MakeBackfillMark(w, in.beta, q, in.is_si, 2 * o.mk, in.beta > 0 ? o.mk / 2 + 60 : 100, 0);
}

// The highest point (smallest y) of the surface line and the text left of x_limit.
double BackfillTop(const Outline& o, const BackfillMark& b, double x_limit) {
  const double c = std::cos(b.beta), s = std::sin(b.beta);
  const double along = c > 0 ? (x_limit - o.p2.x()) / c : b.start + b.width;
  const double line_end = std::clamp(along, 0.0, 2 * o.mk);
  double top = o.p2.y() - line_end * s;
  if (along > b.start) {
    const double u = std::min(along, b.start + b.width);
    top = std::min(top, o.p2.y() - u * s - b.lift * c);
  }
  return top;
}

}  // namespace

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
  const std::string text = SlopeText(std::fabs(std::tan(static_cast<double>(alpha))));
  const FacePoint f = BackFaceTwoThirds(o, alpha);
  const double h = w.TextHeight(text);
  DrawAlphaMark(w, o, alpha, f.at.y() - h * std::sin(alpha));
  DrawBackfillMark(w, o.p2, GravityBackfillMark(w, o, in, q));
  TextAlong(w, text, o.p2, f.theta, f.l, h,
            static_cast<int>(std::lround((RadToDeg(alpha) + 270.0) * 10.0)));
}

void DrawGravityPressureFigure(ReportWriter& w, double x, double y, double size, float q,
                               const GravityInputs& in) {
  Outline o = MakeOutline(x, y, size, in, false);
  const float alpha = FaceAngle(in.t02, in.h);

  // The widths are dimensioned above the wall. On a tall wall the backfill text rises into that
  // row: the row then goes above the text and the drawing moves down by as much, as far as the
  // page allows.
  const double offset = o.mk / 4;
  const std::string t02_label = Fixed(Millimetres(in.t02), 0);
  const double x_limit =
      std::max(o.p3.x(), (o.p2.x() + o.p3.x() + w.TextWidth(t02_label)) / 2) + 60;
  const BackfillMark mark = GravityBackfillMark(w, o, in, q);
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
  DrawBackfillMark(w, o.p2, mark);
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
  const GravityInputs in = GravityInputsOf(ProjectOf(context));
  // A failed coefficient is shown before anything else, also when the calculation then stops on
  // ΣH = 0; otherwise the report goes on with Ka = 0.
  CheckGravityInputs(in);
  if (context.sink &&
      ComputeGravityEarthPressure(in.phi, in.gamma, in.q, in.h, in.t02, in.beta).ka_failed) {
    context.sink->Inform(std::string(kCoulombKaFailure));
  }
  const GravityCalculation calc = ComputeGravity(in);
  WriteGravityChapters(writer, in, calc);
  if (context.results_json) *context.results_json = GravityJson(in, calc);
  if (context.checks) *context.checks = GravityChecks(in, calc.results);
  if (context.facts) *context.facts = {"重力式", in.h, calc.results.checks.b};
}

}  // namespace ktv
