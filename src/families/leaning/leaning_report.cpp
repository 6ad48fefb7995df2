#include "families/leaning/leaning_report.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/errors.h"
#include "app/format.h"
#include "app/units.h"
#include "earth_pressure/earth_pressure.h"
#include "families/leaning/leaning_checks.h"
#include "families/leaning/leaning_json.h"
#include "families/leaning/leaning_reader.h"
#include "project/project_database.h"
#include "report/chapter_kit.h"
#include "report/figure_kit.h"
#include "report/report_writer.h"

namespace ktv {
namespace {

// A negative stress is checked by its magnitude, and the line says so.
std::string Magnitude(double value, std::string_view name, int decimals, const std::string& unit) {
  if (!(value < 0)) return {};
  return "、|" + std::string(name) + "| = " + Fixed(std::fabs(value), decimals) + unit;
}

constexpr double kPiD = static_cast<double>(kPi);
constexpr double kThreeHalfPi = 4.712389;  // 3π/2, the downward vertical of the α mark

const std::string kNl(kCrLf);

std::string SoilName(int kind) {
  switch (kind) {
    case 0:
      return "れき質土";
    case 1:
      return "砂質土";
    case 2:
      return "シルト・粘土";
    default:
      return "";
  }
}

std::vector<PartRow> PartRows(std::span<const LeaningWeightRow> rows) {
  static const char* const kNames[] = {"W1", "W2", "W3"};
  std::vector<PartRow> out;
  for (size_t i = 0; i < rows.size(); ++i) {
    const LeaningWeightRow& r = rows[i];
    out.push_back({kNames[i], r.a, r.gamma_c, r.v, r.x, r.m});
  }
  return out;
}

class Chapters {
 public:
  Chapters(ReportWriter& w, const LeaningInputs& in, const LeaningCalculation& calc,
           const FamilyDimensions& dims)
      : ch_(w, in.is_si), w_(w), in_(in), c_(calc), dims_(dims) {}

  void Write() {
    ch_.Title("もたれ式擁壁の設計計算");
    DesignConditions();
    Shape();
    EarthPressure();
    Stability();
    WallBody();
    BaseSlab();
  }

 private:
  std::string U(std::string_view key) const { return ch_.Unit(key); }
  // The verdict of a verdict line, from the check table, and its word.
  Verdict LineVerdict(std::string_view key) const { return LeaningVerdict(c_, key); }
  static std::string Word(Verdict v) { return std::string(VerdictWord(v)); }
  // An allowable stress in the units of the database, printed so that it shows the value
  // compared (0.23 is not printed as 0.2 nor 4.5 as 5).
  std::string Allowable(float stress, int decimals) const {
    return LimitText(static_cast<float>(ch_.Shown(stress)), decimals);
  }

  void DesignConditions() {
    ch_.Headings({"", "１ 設計条件", "（１）単位体積重量及び土質定数"});
    // The equals signs line up at a tab stop, not by blanks in the proportional font.
    ch_.EqualsLines(3700, {{"　　　コンクリート", "γc = " + Fixed(in_.gamma_c, 3) + U("kN/m3")},
                           {"　　　裏込土", "γ = " + Fixed(in_.gamma, 3) + U("kN/m3")},
                           {"　　　裏込土の内部摩擦角", "φ = " + Fixed(in_.phi, 0) + "°"},
                           {"　　　粘 　着 　力", " C = " + Fixed(in_.c, 3) + U("kN/m2")},
                           {"　　　過載荷重", "q = " + Fixed(in_.q, 3) + U("kN/m2")}});
    w_.Paragraph("");

    ch_.Headings({"（２）許容応力度"});
    const std::string unit = U("N/cm2");
    ch_.EqualsLines(
        5000,
        {{"　　　コンクリートの設計基準強度",
          "σck = " + Allowable(in_.sigma_ck, 1) + unit + " 以上"},
         {"　　　コンクリートの許容曲げ圧縮応力度", "σcac = " + Allowable(in_.sigma_cac, 1) + unit},
         {"　　　コンクリートの許容曲げ引張応力度",
          " σcat = " + Allowable(in_.sigma_cat, 1) + unit},
         {"　　　コンクリートの許容せん断応力度", " τa = " + Allowable(in_.tau_a, 1) + unit}});
    w_.Text(kCrLf);

    ch_.Headings({"（３）基礎の安定（常時）"});
    ch_.AlignedLine("　　　許容支持力度：　" + SoilName(in_.soil_kind), 4200,
                    "qa = " + LimitText(in_.qa, 1) + U("kN/m2"));
    ch_.AlignedLine("　　　滑動に対する安全率", 4200, LimitText(in_.fsa, 1) + "以上");
    w_.Text("　　　転倒に対する安全");
    w_.SetX(4200);
    w_.SetY(w_.GetY() - 75);
    w_.InsertFormulaPicture("1_4_18.bmp");
    w_.Text(kCrLf);
  }

  void Shape() {
    ch_.Headings({"２　形状寸法"});
    DrawLeaningShapeFigure(w_, w_.GetX() + 1200, w_.GetY() + 150, 4900, in_, c_, dims_);
    w_.NewPage();
  }

  void EarthPressure() {
    const LeaningEarthPressure& p = c_.earth;
    ch_.Headings({"３　土圧計算"});
    w_.Paragraph("");
    w_.Text("φ= " + Fixed(in_.phi, 0) + "°、" + "β= " + Fixed(in_.beta, 2) + "°、" +
            "α= " + Fixed(p.alpha_deg, 2) + "°、");
    w_.SetY(w_.GetY() - 200);
    w_.InsertFormulaPicture("1_4_23.bmp");
    w_.Text(kCrLf);
    w_.Paragraph("主働土圧係数は、クーロンの公式より");
    ch_.Picture("1_3_9.bmp");
    w_.SetY(w_.GetY() - 250);
    w_.Text(Fixed(p.ka, 3) + kNl);

    const double y3 = w_.GetY();
    DrawLeaningEarthPressureFigure(w_, w_.GetX() + 1200, w_.GetY() + 1000, 5500, in_, c_, dims_);
    w_.SetY(y3 + 6500);

    const std::string unit = U("t/m");
    w_.Paragraph("");
    w_.Paragraph("従って上図を参照して");
    ch_.FormulaLine("1_4_1.bmp", Fixed(p.pha, 3) + unit);
    ch_.FormulaLine("1_4_2.bmp", Fixed(p.pva, 3) + unit);
    w_.Paragraph("");
    w_.Paragraph("過載荷重による土圧は");
    ch_.FormulaLine("1_4_3.bmp", Fixed(p.phq, 3) + unit);
    ch_.FormulaLine("1_4_4.bmp", Fixed(p.pvq, 3) + unit);
    w_.Paragraph("");
    w_.Paragraph("ゆえに土圧合力は");
    ch_.FormulaLine("1_4_5.bmp", Fixed(p.ph, 3) + unit);
    ch_.FormulaLine("1_4_6.bmp", Fixed(p.pv, 3) + unit);
    w_.NewPage();
  }

  // The loads table and the moments table beside it, as both chapters print them.
  static LoadsAndMoments Tables() {
    LoadsAndMoments t;
    t.load_column_width = 1250;
    t.line_length = 2620;
    t.tall_moment_rows = {3};  // the surcharge row, whose label wraps in the loads table
    return t;
  }

  void Stability() {
    const LeaningEarthPressure& p = c_.earth;
    const LeaningStability& s = c_.stability;
    // The headings and the lead-in with the parts table under them.
    ch_.KeepLines(3, 7);
    ch_.Headings({"４　安全計算", "（１）自重および合力の作用位置計算"});
    w_.Paragraph("前頁の図から");
    WritePartsTable(ch_, PartRows(s.rows), true);
    w_.Paragraph("");

    LoadsAndMoments t = Tables();
    t.loads = {{"自重", Fixed(s.sum_v_w, 3), ""},
               {"土圧", Fixed(p.pva, 3), Fixed(p.pha, 3)},
               {"可載荷重による土圧", Fixed(p.pvq, 3), Fixed(p.phq, 3)},
               {"合計", Fixed(s.sum_v, 3), Fixed(s.sum_h, 3)}};
    t.moments = {{"", "", Fixed(s.sum_m_w, 3), ""},
                 {Fixed(p.x1, 3), Fixed(p.y1, 3), Fixed(s.m_pva, 3), Fixed(s.m_pha, 3)},
                 {Fixed(p.x2, 3), Fixed(p.y2, 3), Fixed(s.m_pvq, 3), Fixed(s.m_phq, 3)},
                 {"", "", Fixed(s.mr, 3), Fixed(s.m, 3)}};
    WriteLoadsAndMoments(ch_, t);
    w_.Paragraph("");

    w_.Paragraph("擁壁底面の合力の作用位置ｄは（次頁の図参照）");
    ch_.FormulaLine("1_3_3.bmp", Fixed(s.d, 3) + "m");

    w_.Paragraph("");
    ch_.Headings({"（２）転倒に対する安定"});
    w_.Paragraph("合力の偏心距離eは");
    ch_.FormulaLine("1_3_4.bmp", Fixed(s.e, 3) + "m");
    ch_.Picture("1_3_5.bmp");
    const std::string abs_e = Fixed(std::fabs(s.e), 3);
    const Verdict overturning = LineVerdict("overturning");
    w_.Text(Fixed(s.b6, 3) + std::string(MirroredSign(overturning)) + "e → " + abs_e + " m　　" +
            Word(overturning) + kNl);
    ch_.BelowPicture();

    w_.Paragraph("");
    ch_.Headings({"（３）滑動に対する安定"});
    w_.Paragraph("ここでは付着力C = " + Fixed(in_.c, 0) +
                 "と考え、滑り摩擦係数TanφB = " + LimitText(in_.tan_phi_b, 1) + "とする。");
    ch_.Picture("1_3_6.bmp");
    const Verdict sliding = LineVerdict("sliding");
    w_.Text(Fixed(s.fs, 3) + std::string(VerdictMark(sliding)) + LimitText(in_.fsa, 1) + "　　" +
            Word(sliding) + kNl);
    ch_.BelowPicture();

    w_.Paragraph("");
    ch_.Headings({"（４）支持力に対する安定"});
    if (s.reaction.outside) {
      w_.Paragraph(kResultantOutsideBase);
      w_.Text("q1, q2 = ");
    } else if (s.reaction.triangular) {
      // Beyond the middle third the trapezoid would pull at one edge: the triangle from the
      // pressed edge, its formula with the numbers.
      const bool toe = s.reaction.toe_pressed;
      w_.Paragraph("合力の作用位置は底版幅の中央1/3以内にないので、地盤反力度は三角形分布となり、");
      ch_.FormulaLine(
          toe ? "1_4_24.bmp" : "1_4_25.bmp",
          "2 × " + Fixed(s.sum_v, 3) + " / (3 × " + Fixed(s.reaction.d_edge, 3) + ")、q1 = 0");
      w_.Text("q1, q2 = ");
    } else {
      ch_.Picture("1_3_7.bmp");
    }
    const Verdict bearing = LineVerdict("bearing");
    w_.Text(Fixed(s.q1, 3) + U("t/m2") + " ,　" + Fixed(s.q2, 3) + U("t/m2") +
            std::string(VerdictMark(bearing)) + " qa = " + LimitText(in_.qa, 0) + U("t/m2") +
            "　　" + Word(bearing) + kNl);
    ch_.BelowPicture();
    w_.NewPage();
  }

  void WallBody() {
    const WallSectionCheck& a = c_.wall;
    ch_.Headings({"４．５　躯体の応力度", "（１）たて壁の応力度"});
    w_.Paragraph("たて壁の応力度は下図のＡ－Ａ断面で最大となる");
    w_.Paragraph("");
    // The figure with its reaction diagram below the base takes 7000 twips: the text goes on
    // below it.
    const double y5 = w_.GetY() + 7000;
    DrawLeaningReactionFigure(w_, w_.GetX() + 1500, w_.GetY(), 6750, in_, c_);
    w_.SetY(y5 - 250);

    const std::string unit = U("t/m");
    w_.Paragraph("");
    w_.Paragraph("裏込土および可載荷重による土圧は");
    ch_.FormulaLine("1_4_5.bmp", Fixed(a.ph, 3) + unit);
    ch_.FormulaLine("1_4_6.bmp", Fixed(a.pv, 3) + unit);
    w_.Paragraph("");
    // The lead-in with its table (three parts and the total under a header of about three rows).
    ch_.KeepLines(1, 7);
    w_.Paragraph("上図のＣ点を原点とすれば安定計算を参照して次のように計算できる。");
    WritePartsTable(ch_, PartRows(a.rows), PartSums{a.sum_a, a.sum_w, a.sum_m_w});
    w_.SetY(w_.GetY() + 250);

    LoadsAndMoments t = Tables();
    t.loads = {{"自重", Fixed(a.sum_w, 3), ""},
               {"土圧", Fixed(a.pva, 3), Fixed(a.pha, 3)},
               {"可載荷重による土圧", Fixed(a.pvq, 3), Fixed(a.phq, 3)},
               {"合計", Fixed(a.sum_v, 3), Fixed(a.s, 3)}};
    t.moments = {{"", "", Fixed(a.sum_m_w, 3), ""},
                 {Fixed(a.xv1, 3), Fixed(a.yh1, 3), Fixed(a.m_pva, 3), Fixed(a.m_pha, 3)},
                 {Fixed(a.xv2, 3), Fixed(a.yh2, 3), Fixed(a.m_pvq, 3), Fixed(a.m_phq, 3)},
                 {"", "", Fixed(a.mr, 3), Fixed(a.m, 3)}};
    WriteLoadsAndMoments(ch_, t);
    w_.NewPage();

    w_.Paragraph("たて壁下端の合力の作用位置 da は");
    ch_.FormulaLine("1_4_7.bmp", Fixed(a.d, 3) + "m");
    w_.Paragraph("");
    w_.Paragraph("したがって、合力の偏心距離はたて壁下端の中央からは");
    w_.Paragraph("B = " + Fixed(in_.b, 3) + "m,　L1 = " + Fixed(in_.l1, 3) + "m");
    ch_.FormulaLine("1_4_8.bmp", Fixed(a.x_a, 3) + "m");

    const double top = ch_.Picture("1_4_9.bmp");
    const double bottom = top + w_.PictureSize("1_4_9.bmp").height();
    w_.Text(Fixed(static_cast<double>(a.b_a) / 6, 3) + "m" + (a.within_middle_third ? "＞" : "≦"));
    w_.SetY(w_.GetY() - 100);
    w_.InsertFormulaPicture("1_4_20.bmp");
    w_.Text(" → " + Fixed(std::fabs(a.x_a), 3) + "m" + kNl);
    w_.SetY(std::max(w_.GetY() + 100, bottom));
    w_.Paragraph(a.within_middle_third
                     ? "すなわち、作用荷重の合力はたて壁の中央１/３以内にあるので、引っ張り応力は"
                       "生じない。"
                     : "すなわち、作用荷重の合力はたて壁の中央１/３以内にないので、引っ張り応力は"
                       "生じる。");

    const std::string stress = U("kg/cm2");
    w_.Paragraph("");
    w_.Paragraph("たて壁断面の曲げ応力は");
    ch_.Picture("1_4_10.bmp");
    w_.Text(Fixed(a.sigma1_printed, 3) + " ,  " + Fixed(a.sigma2_printed, 3) + stress);
    const Verdict sigma = LineVerdict("section_aa_sigma");
    w_.Text(std::string(VerdictMark(sigma)) + " σcac = " + Fixed(ch_.Shown(in_.sigma_cac), 3) +
            stress + "     " + Word(sigma) + kNl);
    ch_.BelowPicture();
    if (a.sigma1 < 0) {
      // Tension at the toe face of the plain-concrete body: its magnitude against σcat.
      const Verdict tension = LineVerdict("section_aa_tension");
      w_.Text("|σ1| = " + Fixed(std::fabs(a.sigma1_printed), 3) + stress +
              std::string(VerdictMark(tension)) + " σcat = " + Fixed(ch_.Shown(in_.sigma_cat), 3) +
              stress + "     " + Word(tension) + kNl);
    }

    w_.Paragraph("");
    w_.Text("せん断応力は");
    w_.SetY(w_.GetY() - 50);
    w_.InsertFormulaPicture("1_4_11.bmp");
    w_.Text(Fixed(a.s, 3) + U("t") + kNl);
    ch_.Picture("1_4_12.bmp");
    w_.Text(Fixed(a.tau, 3) + U("t/m2"));
    w_.Text(" ＝ " + Fixed(a.tau_printed, 3) + stress + Magnitude(a.tau_printed, "τ", 3, stress));
    const Verdict tau = LineVerdict("section_aa_tau");
    w_.Text(std::string(VerdictSign(tau)) + "τa ＝ " + Allowable(in_.tau_a, 1) + stress + "     " +
            Word(tau) + kNl);
    ch_.BelowPicture();
    w_.Paragraph("");
    w_.NewPage();
  }

  void BaseSlab() {
    const BaseSlabCheck& b = c_.slab;
    ch_.Headings({"（２）底版の応力度"});
    w_.Text("底版の応力度は前ページの図のB-B断面で検討する。B-B断面における地盤反力度" +
            std::string("は") + kNl);
    // The toe carries the reaction at its own edge: q1 is printed for the toe, q2 for the heel.
    w_.Paragraph("q1 = " + Fixed(b.qt, 3) + U("t/m2") + "　、" + "q2 ＝ " + Fixed(b.qh, 3) +
                 U("t/m2") + "　、" + "B ＝ " + Fixed(in_.b, 3) + "m　、" + "L1 ＝ " +
                 Fixed(in_.l1, 3) + "m");
    const GroundReaction& r = c_.stability.reaction;
    if (r.triangular) {
      w_.Paragraph("地盤反力度は三角形分布（" + std::string(r.toe_pressed ? "つま先" : "かかと") +
                   "からの距離 x で q(x) = q・(1 − x / (3・d′))、x ≧ 3・d′ で 0、d′ = " +
                   Fixed(r.d_edge, 3) + "m）であり、");
      w_.Paragraph("qB = " + Fixed(b.q_b, 3) + U("t/m2"));
    } else {
      ch_.FormulaLine("1_4_13.bmp", Fixed(b.q_b, 3) + U("t/m2"));
    }

    w_.Paragraph("");
    w_.Text("せん断力");
    w_.SetY(w_.GetY() - 50);
    w_.InsertFormulaPicture("1_4_21.bmp");
    w_.Text("は" + kNl);
    w_.Paragraph("γc = " + Fixed(in_.gamma_c, 3) + U("t/m3") + "、 " + "L1 ＝ " + Fixed(in_.l1, 3) +
                 "m、 " + "D1 ＝ " + Fixed(in_.d1, 3) + "m");
    if (r.triangular) {
      w_.Paragraph("SB = ∫q(x)dx（0～L1） − γc・L1・D1 = " + Fixed(b.s, 3) + U("t"));
    } else {
      ch_.FormulaLine("1_4_14.bmp", Fixed(b.s, 3) + U("t"));
    }

    w_.Paragraph("");
    w_.Text("曲げモーメント");
    w_.SetY(w_.GetY() - 50);
    w_.InsertFormulaPicture("1_4_22.bmp");
    w_.Text("は" + kNl);
    if (r.triangular) {
      w_.Paragraph("MB = ∫q(x)・(L1 − x)dx（0～L1） − γc・D1・L1²/2 = " + Fixed(b.m, 3) + U("t･m"));
    } else {
      ch_.FormulaLine("1_4_15.bmp", Fixed(b.m, 3) + U("t･m"));
    }

    const std::string stress = U("kg/cm2");
    w_.Paragraph("");
    w_.Paragraph("したがって応力度は");
    ch_.Picture("1_4_16.bmp");
    w_.Text(Fixed(b.sigma, 3) + U("t/m2") + " = ");
    // The limit the check uses, the smaller of σcac and σcat; the stress by its magnitude.
    const bool cat = b.sigma_limit == in_.sigma_cat;
    const std::string limits = std::string(cat ? "σcat = " : "σcac = ") +
                               Allowable(cat ? in_.sigma_cat : in_.sigma_cac, 0) + stress;
    const Verdict sigma = LineVerdict("section_bb_sigma");
    w_.Text("±" + Fixed(std::fabs(b.sigma_printed), 2) + stress + std::string(VerdictSign(sigma)) +
            limits + "      " + Word(sigma) + kNl);
    ch_.BelowPicture();

    w_.SetY(w_.GetY() + 200);
    ch_.Picture("1_4_17.bmp");
    w_.Text(Fixed(b.tau, 3) + U("t/m2") + " = ");
    const Verdict tau = LineVerdict("section_bb_tau");
    w_.Text(Fixed(b.tau_printed, 3) + stress + Magnitude(b.tau_printed, "τ", 3, stress) +
            std::string(VerdictSign(tau)) + "τa = " + Allowable(in_.tau_a, 1) + stress + "      " +
            Word(tau) + kNl);
    ch_.BelowPicture();
  }

  Chapter ch_;
  ReportWriter& w_;
  const LeaningInputs& in_;
  const LeaningCalculation& c_;
  const FamilyDimensions& dims_;
};

// ---- figures ----------------------------------------------------------------------------------

// The section on the page: u twips per metre, the outline points P0…P7.
struct Frame {
  double u = 0;
  std::array<QPointF, 8> p;
};

[[noreturn]] void NoScale() {
  throw CalculationError("もたれ式擁壁の計算ができません：図の縮尺が定まりません。");
}

// Figures 1 and 2: one metre-length of margin above and below the section and across it.
Frame ShapeFrame(double x, double y, double h, const LeaningInputs& in, const LeaningGeometry& g) {
  const double by_height = 2.0 + in.h;
  const double by_width = 1.0 + static_cast<double>(in.l1) + in.t1 + in.t2;
  const double divisor = by_height >= by_width ? by_height : by_width;
  if (!(divisor > 0) || !std::isfinite(divisor)) NoScale();
  Frame f;
  f.u = h / divisor;
  for (size_t i = 0; i < f.p.size(); ++i) {
    const LeaningPoint& s = g.outline[i];
    f.p[i] = QPointF(x + s.x * f.u + 1.5 * f.u, y + h - s.y * f.u - f.u);
  }
  return f;
}

// The section's outline in the thick pen of the other families' figures.
void DrawOutline(ReportWriter& w, const Frame& f) {
  w.SetPenWidth(30);
  for (size_t i = 0; i + 1 < f.p.size(); ++i) {
    w.DrawLine(f.p[i].x(), f.p[i].y(), f.p[i + 1].x(), f.p[i + 1].y());
  }
  w.SetPenWidth(0);
}

// The direction of a face from its foot to its top, as an angle on the page (counter-clockwise).
double Direction(QPointF from, QPointF to) {
  return std::atan2(from.y() - to.y(), to.x() - from.x());
}

// "1：…" along a face, centred on its middle, set off from it on the side `side` (+1 left of the
// direction from foot to top, −1 right of it).
void SlopeAlong(ReportWriter& w, QPointF foot, QPointF top, double ratio, int side) {
  // A face leaning forward runs up to the left: the text is written from its top down, so that
  // it never stands upside down.
  if (Direction(foot, top) > kPiD / 2) {
    std::swap(foot, top);
    side = -side;
  }
  const std::string text = SlopeText(ratio);
  const double theta = Direction(foot, top);
  const double length = std::hypot(top.x() - foot.x(), top.y() - foot.y());
  const double th = w.TextHeight(text);
  const double lift = side > 0 ? th + th / 2 : -th / 2;
  TextAlong(w, text, foot, theta, (length - w.TextWidth(text)) / 2, lift,
            static_cast<int>(std::lround(theta / kPiD * 1800.0)));
}

// What figures 1 and 2 share: outline, dimensions, backfill mark and the slopes of both faces.
void DrawShapeParts(ReportWriter& w, const Frame& f, double x, const LeaningInputs& in,
                    const LeaningGeometry& g, const FamilyDimensions& dims) {
  const auto& p = f.p;
  const double u = f.u;
  DrawOutline(w, f);
  w.DrawDimensionH(p[0].x(), p[0].y(), p[6].x(), p[6].y() + u, -u / 4, dims.b);
  w.DrawDimensionH(p[1].x(), p[1].y(), p[2].x(), p[2].y() - 2 * u, u / 4, dims.l[0]);
  w.DrawDimensionH(p[3].x(), p[3].y(), p[4].x(), p[4].y() - u, u / 4, dims.t[1]);
  w.DrawDimensionV(p[0].x() - 1.5 * u, p[0].y(), p[1].x(), p[3].y(), u / 4, dims.h);
  w.DrawDimensionV(p[0].x() - u, p[0].y(), p[1].x(), p[1].y(), u / 4, dims.d[1]);
  w.DrawLine(x, p[3].y(), p[3].x(), p[3].y());

  // The text starts beyond the β arc, so that the arc does not run through it.
  const BackfillMark mark =
      MakeBackfillMark(w, in.beta, in.q, in.is_si, 2 * u, in.beta > 0 ? u / 2 + 60 : 100, 50);
  DrawBackfillMark(w, p[4], mark);
  SlopeAlong(w, p[2], p[3], g.front_slope, +1);
  SlopeAlong(w, p[5], p[4], g.back_slope, -1);
}

// A label centred on a point.
void LabelAt(ReportWriter& w, QPointF c, const std::string& text) {
  w.DrawLabel(c.x() - w.TextWidth(text) / 2, c.y() - w.TextHeight(text) / 2, text);
}

// Horizontal width of the triangle a, b, c at the height of y (page co-ordinates).
double WidthAt(const std::array<QPointF, 3>& t, double y) {
  double lo = 1e300, hi = -1e300;
  for (int i = 0; i < 3; ++i) {
    const QPointF a = t[i], b = t[(i + 1) % 3];
    if ((a.y() - y) * (b.y() - y) > 0 || a.y() == b.y()) continue;
    const double xi = a.x() + (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y());
    lo = std::min(lo, xi);
    hi = std::max(hi, xi);
  }
  return hi > lo ? hi - lo : 0;
}

// A part label in its triangle; where the triangle is too narrow for it, beside the back face
// with a leader line to the centroid.
void TriangleLabel(ReportWriter& w, const std::array<QPointF, 3>& t, const std::string& text,
                   QPointF face_foot, QPointF face_top) {
  const QPointF c = (t[0] + t[1] + t[2]) / 3.0;
  const double tw = w.TextWidth(text);
  if (WidthAt(t, c.y()) > tw + 80) {
    LabelAt(w, c, text);
    return;
  }
  const double s = (c.y() - face_foot.y()) / (face_top.y() - face_foot.y());
  const double face_x = face_foot.x() + s * (face_top.x() - face_foot.x());
  const double lx = face_x + 250;
  w.DrawLine(c.x(), c.y(), lx - 30, c.y());
  w.DrawLabel(lx, c.y() - w.TextHeight(text) / 2, text);
}

// A dimension labelled with a symbol; a symbol wider than its span stands beside the span, so
// that it does not cover the extension lines.
void SymbolDimension(ReportWriter& w, double x0, double y1, double x8, double y2,
                     const std::string& symbol) {
  const double tw = w.TextWidth(symbol);
  if (tw + 60 <= std::fabs(x8 - x0)) {
    w.DrawDimensionH(x0, y1, x8, y2, 0, symbol);
    return;
  }
  w.DrawDimensionH(x0, y1, x8, y2, 0, std::string_view());
  w.DrawLabel(std::max(x0, x8) + 80, y2 - w.TextHeight(symbol) / 2, symbol);
}

}  // namespace

void DrawLeaningShapeFigure(ReportWriter& w, double x, double y, double height,
                            const LeaningInputs& in, const LeaningCalculation& calc,
                            const FamilyDimensions& dims) {
  const Frame f = ShapeFrame(x, y, height, in, calc.geometry);
  DrawShapeParts(w, f, x, in, calc.geometry, dims);
}

void DrawLeaningEarthPressureFigure(ReportWriter& w, double x, double y, double height,
                                    const LeaningInputs& in, const LeaningCalculation& calc,
                                    const FamilyDimensions& dims) {
  const Frame f = ShapeFrame(x, y, height, in, calc.geometry);
  const auto& p = f.p;
  const double u = f.u;
  const LeaningEarthPressure& e = calc.earth;
  DrawShapeParts(w, f, x, in, calc.geometry, dims);
  w.SetPenStyle(PenStyle::Dotted);
  w.DrawLine(p[3].x(), p[3].y(), p[5].x(), p[5].y());
  w.DrawLine(p[2].x(), p[2].y(), p[5].x(), p[5].y());
  w.SetPenStyle(PenStyle::Solid);

  // The resultant at its point on the back-face line, from the direction α + δ.
  const QPointF a(x + e.x1 * u + 1.5 * u, y + height - e.y1 * u - u);
  const double ad = e.alpha_delta;
  const double alpha = e.alpha;
  // Lengths of the marks in metre-lengths, bounded on a large scale (a low wide wall).
  const double shaft = std::min(2 * u, 1500.0);
  const QPointF tail = a + shaft * QPointF(std::cos(ad), -std::sin(ad));
  w.SetPenWidth(30);
  w.DrawLine(tail.x(), tail.y(), a.x(), a.y());
  for (double side : {-1.0, 1.0}) {
    const double head = ad + side * kPiD / 12;
    const QPointF h = a + 0.25 * u * QPointF(std::cos(head), -std::sin(head));
    w.DrawLine(a.x(), a.y(), h.x(), h.y());
  }
  w.SetPenWidth(0);
  // δ from the normal of the back face (pointing into the backfill, at α) to the resultant; α
  // from the downward vertical to the back face.
  const double rd = std::min(0.9 * u, 700.0), ra = std::min(0.6 * u, 450.0);
  if (e.delta != 0) w.DrawArc(a.x(), a.y(), rd, alpha, ad);
  w.DrawLine(a.x(), a.y(), a.x() + rd * std::cos(alpha), a.y() - rd * std::sin(alpha));
  if (alpha != 0) w.DrawArc(a.x(), a.y(), ra, kThreeHalfPi, kThreeHalfPi + alpha);
  w.DrawLine(p[0].x(), a.y(), a.x(), a.y());

  const double th = w.TextHeight();
  const double mid = (alpha + ad) / 2;
  const std::string delta_text = "δ=2/3×φ";
  const QPointF d_at = a + (rd + 60) * QPointF(std::cos(mid), -std::sin(mid));
  w.DrawLabel(d_at.x(), d_at.y() - th / 2, delta_text);
  w.DrawLabel(tail.x() + 60, tail.y() - th - 20, "Pa");
  // α right of the downward vertical, below δ and clear of the dimension under it.
  const std::string alpha_text = "α=" + Fixed(e.alpha_deg, 3) + "°";
  w.DrawLabel(a.x() + 60, a.y() + th / 2 + 40, alpha_text);

  // The point of application: from the heel (mm) and above the top of the base slab (mm, from
  // the entered sizes). The vertical from the point is also the reference of α.
  const double dim_y = std::max(p[5].y() - 0.3 * u, a.y() + 1.5 * th + 300);
  w.DrawLine(a.x(), a.y(), a.x(), std::max(dim_y, a.y() + ra + 60));
  w.DrawDimensionH(p[5].x(), p[5].y(), a.x(), dim_y, 0, Fixed(e.x1_from_heel_mm, 0));
  const double above_slab = static_cast<double>(dims.h) / 3.0 - dims.d[1];
  w.DrawDimensionV(p[0].x() - u, p[1].y(), p[0].x(), a.y(), u / 4, Fixed(above_slab, 0));

  TriangleLabel(w, {p[2], p[5], p[3]}, "W1", p[5], p[4]);
  TriangleLabel(w, {p[3], p[4], p[5]}, "W2", p[5], p[4]);
  LabelAt(w, (p[0] + p[5]) / 2.0, "W3");
}

void DrawLeaningReactionFigure(ReportWriter& w, double x, double y, double height,
                               const LeaningInputs& in, const LeaningCalculation& calc) {
  const BaseSlabCheck& k = calc.slab;
  const std::string unit = UnitLabel("t/m2", UnitFlag(in.is_si));
  const std::string q1_text = "q1=" + Fixed(k.qt, 3) + unit;
  const std::string q2_text = "q2=" + Fixed(k.qh, 3) + unit;
  const double th = w.TextHeight();
  const double left = w.TextWidth(q1_text) + 120;
  const double right = w.TextWidth(q2_text) + 120;
  const double width = w.PageWidth() - w.MarginRight() - x;
  const double h = in.h, d1 = in.d1;
  // The gap below the diagram, the dimension dots and a symbol beside the last row.
  const double dots = 40 + std::max(35.0, th / 2);
  const double across =
      std::max(static_cast<double>(in.b), static_cast<double>(in.l1) + in.t1 + in.t2);
  // Above the section room for the section mark, below it the diagram and three rows of
  // dimensions.
  const double rows = 3 * (th + 100);
  const double u =
      std::min((height - 200 - rows - th - dots) / (h + 2.7 * d1), (width - left - right) / across);
  const double qmax =
      std::max(std::fabs(static_cast<double>(k.qt)), std::fabs(static_cast<double>(k.qh)));
  if (!(u > 0) || !std::isfinite(u) || !(qmax > 0 || calc.stability.reaction.outside)) NoScale();

  const double x0 = x + left;
  const double yb = y + 200 + th + h * u;
  auto at = [&](double sx, double sy) { return QPointF(x0 + sx * u, yb - sy * u); };
  Frame f;
  f.u = u;
  for (size_t i = 0; i < f.p.size(); ++i) {
    f.p[i] = at(calc.geometry.outline[i].x, calc.geometry.outline[i].y);
  }
  const auto& p = f.p;
  DrawOutline(w, f);

  // The ground reaction from the toe (q1) to the heel (q2), the larger one slab-deep.
  const double top = yb + 1.7 * d1 * u;
  const double dt = qmax > 0 ? k.qt * d1 * u / qmax : 0, dh = qmax > 0 ? k.qh * d1 * u / qmax : 0;
  const double xt = p[0].x(), xh = p[6].x();
  const GroundReaction& r = calc.stability.reaction;
  if (r.outside) {
    // No reaction to draw: the resultant lies outside the base.
  } else if (r.triangular) {
    // The triangle ends 3·d′ from the pressed edge.
    const double reach = 3.0 * r.d_edge * u;
    if (r.toe_pressed) {
      w.DrawPolygon({QPointF(xt, top), QPointF(xt + reach, top), QPointF(xt, top + dt)});
    } else {
      w.DrawPolygon({QPointF(xh - reach, top), QPointF(xh, top), QPointF(xh, top + dh)});
    }
  } else {
    w.DrawPolygon(
        {QPointF(xt, top), QPointF(xh, top), QPointF(xh, top + dh), QPointF(xt, top + dt)});
  }
  w.SetBrushStyle(BrushStyle::Solid);
  for (double ax : {xt, xh}) {
    w.DrawLine(ax, top, ax, yb + 120);
    w.DrawPolygon({QPointF(ax, yb), QPointF(ax - 40, yb + 120), QPointF(ax + 40, yb + 120)});
  }
  w.SetBrushStyle(BrushStyle::Transparent);
  w.DrawLabel(xt - left + 60, top + dt / 2 - th / 2, q1_text);
  w.DrawLabel(xh + 60, top + dh / 2 - th / 2, q2_text);

  // Section B-B through the slab at the foot of the front face, A-A across the foot of the
  // body, C at that foot.
  const QPointF c = p[2];
  const double reach = 0.4 * u;
  w.DrawLine(c.x(), c.y() - reach, c.x(), yb + reach);
  LabelAt(w, QPointF(c.x(), c.y() - reach - th / 2 - 20), "B");
  LabelAt(w, QPointF(c.x(), yb + reach + th / 2 + 20), "B");
  const double a_left = c.x() - reach, a_right = p[5].x() + reach;
  w.DrawLine(a_left, c.y(), a_right, c.y());
  w.DrawLabel(a_left - w.TextWidth("A") - 40, c.y() - th / 2, "A");
  w.DrawLabel(a_right + 40, c.y() - th / 2, "A");
  // C below the A-A line, in the toe slab: above it the section mark B stands.
  w.DrawLabel(c.x() - w.TextWidth("C") - 60, c.y() + 40, "C");

  // The resultant on the base (d from the toe, e from the centre) and on section A-A (xa from
  // its centre), dimensioned with symbols.
  const LeaningStability& s = calc.stability;
  const WallSectionCheck& wa = calc.wall;
  const double centre = xt + in.b / 2.0 * u;
  const double resultant = xt + s.d * u;
  const double bottom = top + std::max({dt, dh, 0.0}) + 40;
  const double row = th + 100;
  // Each row's extension lines start at the row above, so that none runs through a label.
  SymbolDimension(w, xt, bottom, resultant, bottom + row, "d");
  SymbolDimension(w, xt, bottom + row, centre, bottom + 2 * row, "B/2");
  SymbolDimension(w, centre, bottom + 2 * row, resultant, bottom + 3 * row, "e");
  const double a_centre = c.x() + wa.b_a / 2.0 * u;
  const double a_resultant = c.x() + wa.d * u;
  // In the slab below the A-A line: above it the front face would run through the label.
  SymbolDimension(w, a_centre, c.y(), a_resultant, c.y() + th + 100, "xa");
}

void WriteLeaningChapters(ReportWriter& writer, const LeaningInputs& in,
                          const LeaningCalculation& calc, const FamilyDimensions& dims) {
  Chapters(writer, in, calc, dims).Write();
}

void BuildLeaningDocument(ReportWriter& writer, const ReportContext& context) {
  const ProjectData& project = ProjectOf(context);
  const LeaningInputs in = LeaningInputsOf(project);
  // A failed coefficient is shown before anything else, also when the calculation then stops on
  // ΣH = 0.
  CheckLeaningInputs(in);
  if (context.sink && ComputeLeaningEarthPressure(in, ComputeLeaningGeometry(in)).ka_failed) {
    context.sink->Inform(std::string(kCoulombKaFailure));
  }
  const LeaningCalculation calc = ComputeLeaning(in);
  // The figures print the dimensions in millimetres, as the window shows them.
  WriteLeaningChapters(writer, in, calc, StoredDimensions(project)[kLeaning]);
  if (context.results_json) *context.results_json = LeaningJson(in, calc);
  if (context.checks) *context.checks = LeaningChecks(in, calc);
  if (context.facts) *context.facts = {"もたれ式", in.h, in.b};
}

}  // namespace ktv
