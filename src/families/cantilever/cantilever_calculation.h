#pragma once
// Cantilever wall (逆T形・L形・逆L形): geometry, parts W1–W12, Coulomb / Mononobe–Okabe earth
// pressure, stability of the normal and the seismic case, and the design of the stem (A-A′, B-B′),
// the toe slab (C-C′) and the heel slab (D-D′) as singly reinforced sections.
//
// The shapes differ only by a zero toe length L00 (L形) or a zero heel length L01 (逆L形). Every
// quantity is a 32-bit float, each named step computed in double precision and stored as a float;
// values formed only for printing are kept as double so the report formats exactly them. Stresses
// are held multiplied by StressUnitFactor and printed divided by it. Verdicts are ＯＫ only when
// strictly on the safe side.
//
// Which report lines print which fields:
// - design conditions: CantileverInputs (γc, γ, φ, C, q, kh, σck, σca, τa, σsa, qa, qaE, Fsa,
//   FsaE) and CantileverResults::bar_grade, the grade in "鉄筋の許容引張応力度（…）".
// - shape figure: CantileverInputs::shape, q, angles.alpha_deg, beta_deg, front_batter_ratio.
// - stability earth pressure: angles.alpha_deg, beta_deg; earth.ka, theta_deg, delta_e_deg, kae,
//   pa, pq, pva, pae, phe, pve. earth.ka_failed / kae_failed: the report shows
//   kCoulombKaFailure / kCoulombKaeFailure (the coefficient is then 0).
// - stem earth pressure: stem_pressure (delta_deg, delta_e_deg, ca2, ca1, ce2), earth.ka, kae.
// - part tables, xG, yG: parts (rows in listed order, totals of the printed cells).
// - loads and moments of both cases, overturning, sliding, bearing: stability.
// - stem stresses: stem_cases in report order (A-A′ normal, B-B′ normal, A-A′ seismic, B-B′
//   seismic; without A-A′ only the two B-B′ cases).
// - slab checks: toe_table, toe[0] (normal), toe[1] (seismic) when has_toe; heel_table, heel[0],
//   heel[1] when has_heel. Every section's own lines ("b = … D = … d = …" to the three
//   verdicts) come from its SectionCheck.
#include <array>
#include <string_view>

#include "app/verdict.h"
#include "families/ground_reaction.h"

namespace ktv {

// Shape values as the calculation uses them, metres and degrees: the stored row after the
// rewrite T02 = [L2] − [T1] − [T2] and L01 = [L3] (so T02 may be negative: the back face then
// leans over the heel).
struct CantileverShape {
  float t00 = 0;   // [T1] front batter width
  float t01 = 0;   // [T2] top width of the stem, a
  float t02 = 0;   // back batter width, signed
  float l00 = 0;   // [L1] toe length
  float l01 = 0;   // heel length ([L3])
  float l02 = 0;   // [L3] heel length as the heel design reads it
  float h = 0;     // [H0] total height
  float d00 = 0;   // [D0] soil over the toe at the stem
  float d01 = 0;   // [D1] slab under the stem
  float d02 = 0;   // [D2] toe end thickness
  float d03 = 0;   // [D3] heel thickness at the stem
  float d04 = 0;   // [D4] heel end thickness
  float beta = 0;  // β, degrees
};

// One bar position: catalogue size index (after the arrangement-2 shift: below 0 at an odd
// position means no second arrangement) and the spacing in mm.
struct BarPosition {
  int size = -1;
  int ctc = 0;
};

struct CantileverInputs {
  bool is_si = true;  // unit labels only; values are in the project's units
  // Concrete; stresses already multiplied by StressUnitFactor.
  float gamma_c = 0;
  float sigma_ck = 0;  // printed only
  float sigma_ca = 0;  // σcac
  float tau_a = 0;
  float ec = 0;
  // Backfill and foundation.
  float gamma = 0;
  float phi = 0;  // degrees
  float c = 0;    // printed only
  float q = 0;    // surcharge q1
  float kh = 0;
  float tan_phi_b = 0;
  float qa = 0, qa_e = 0;    // allowable bearing pressure, normal / seismic
  float fsa = 0, fsa_e = 0;  // required sliding safety factor, normal / seismic
  // Reinforcement; stresses already multiplied by StressUnitFactor.
  int bar_kind = 0;      // 0 丸鋼, 1 異形
  int bar_grade = 0;     // grade index within the type
  float sigma_sa = 0;    // stem bars
  float sigma_sa_t = 0;  // base slab bars
  float es = 0;
  float h_aa = 0;  // depth of A-A′ below the crest, m
  float dt0 = 0;   // cover to the bar centre, stem, cm
  float dt1 = 0;   // cover to the bar centre, base slab, cm
  // A-A′ 配筋1, A-A′ 配筋2, B-B′ 配筋1, B-B′ 配筋2, C-C′ …, D-D′ …
  std::array<BarPosition, 8> bars{};
  bool design_section_aa = false;  // chkhAA
  CantileverShape shape;
};

// Face angles: radians signed by their batter (a back face leaning over the heel has α < 0).
struct CantileverAngles {
  float phi = 0;    // φ, radians
  float beta = 0;   // β, radians
  float psi_f = 0;  // front face from the vertical
  float alpha = 0;  // back face from the vertical
  double alpha_deg = 0, beta_deg = 0;
  double front_batter_ratio = 0;  // T00 / (H − D01), the "1：" label of the shape figure
};

struct StabilityEarthPressure {
  float theta = 0;  // seismic composite angle atan kh, radians
  double theta_deg = 0;
  float ka = 0;  // 0 after a failed coefficient (ka_failed)
  bool ka_failed = false;
  float delta_e = 0;  // seismic wall friction angle, radians
  double delta_e_deg = 0;
  float kae = 0;  // 0 after a failed coefficient (kae_failed)
  bool kae_failed = false;
  float pa = 0, pq = 0, pva = 0;
  float pae = 0, phe = 0, pve = 0;
};

struct StemPressureCoefficients {
  double delta_deg = 0;          // δ = 2/3 φ, printed "0"
  double delta_e_deg = 0;        // δE′ = φ/2, printed "0"
  float delta = 0, delta_e = 0;  // radians
  float ca2 = 0, ca1 = 0, ce2 = 0;
};

struct CantileverPart {
  std::string_view name;  // "W1".."W12"
  float a = 0;            // area, m2
  float gamma = 0;        // γc for W1–W7, γ for W8–W12 (printed "0.00")
  float v = 0, h = 0;     // weight and inertia force V·kh
  float x = 0, y = 0;     // centroid from the toe end, m
  float vx = 0, hy = 0;   // moments about the origin
};

struct CantileverPartTable {
  std::array<CantileverPart, 12> rows{};
  int count = 0;  // listed parts, in report order (W12 last when β > 0)
  // Sums of the printed three-decimal cells.
  float sum_v = 0, sum_h = 0, sum_vx = 0, sum_hy = 0;
  float xg = 0;
  float yg = 0;  // 0 when ΣH is 0 (kh = 0): no inertia force, so no arm
};

struct CantileverStability {
  float b = 0;  // base width L00 + L01 + T00 + T01 + T02
  // Normal case: rows 自重, 過載荷重, 土圧, 過載荷重土圧 and 合計.
  float w = 0;       // ΣV of the part table
  float q_load = 0;  // Q = (T02 + L01) · q
  float x_q = 0;     // arm of Q
  // The moments of the load tables are formed for printing only: kept in double.
  double mr_w = 0, mr_q = 0;  // W · xG, Q · xQ
  double y_pa = 0, y_pq = 0;  // H/3, H/2
  double m_pa = 0, m_pq = 0;  // PA · H/3, Pq · H/2
  float v = 0, h = 0, mr = 0, m = 0, d = 0;
  // Seismic case: rows 自重 (W, ΣH at xG, yG) and 土圧 (PVE, PHE at B, H/3).
  float sum_h = 0;               // ΣH of the part table
  double mr_w_e = 0, m_w_e = 0;  // W · xG, ΣH · yG (printed only)
  double mr_pve = 0, m_phe = 0;  // PVE · B, PHE · H/3 (printed only)
  float v_e = 0, h_e = 0, mr_e = 0, m_e = 0, d_e = 0;
  // Overturning: the report states B/6 > e (or B/3 > eE) with "＞", otherwise "≦".
  float e = 0, e_e = 0;
  float b6 = 0, b3 = 0;                   // stored like every result, then compared and printed
  CheckValue overturning, overturning_e;  // |e| < B/6, |eE| < B/3
  // Sliding and bearing.
  float fs = 0, fs_e = 0;
  CheckValue sliding, sliding_e;             // Fs > Fsa, FsE > FsaE
  float q1 = 0, q2 = 0, q1_e = 0, q2_e = 0;  // at the toe and the heel
  // The trapezoid within the middle third, the triangle from the pressed edge beyond it.
  GroundReaction reaction, reaction_e;
  CheckValue bearing_q1, bearing_q2, bearing_q1_e, bearing_q2_e;  // against qa, qaE
};

struct BarArrangement {
  bool present = false;
  std::string_view designation;  // "D25", "R13" …
  int ctc = 0;                   // mm
  float as = 0;                  // cm2 per 100 cm
};

// One singly reinforced section of unit width 100 cm ("WriteSectionCheck").
struct SectionCheck {
  float b = 100;                 // cm
  float d_total = 0;             // D, cm
  float d = 0;                   // D − dt, cm
  float m_work = 0, s_work = 0;  // M′ (×100·1000) and S′ (×1000), the stress formulas' units
  float m_bd2 = 0;               // M′ / bd², printed in the calculation unit
  BarArrangement bar1, bar2;     // bar2.present: the area line ends in "（交互配筋）"
  float as = 0;
  float p = 0, k = 0, j = 0, n = 0;
  float inv_lc = 0, inv_ls = 0;  // 1/Lc, 1/Ls
  float sigma_c = 0, sigma_s = 0, tau = 0;
  float sigma_ca = 0, sigma_sa = 0, tau_a = 0;         // allowables used (× 1.5 when seismic)
  CheckValue sigma_c_check, sigma_s_check, tau_check;  // each below its allowable
};

enum class StemSection { kAA, kBB };

struct StemCase {
  StemSection section = StemSection::kBB;
  bool seismic = false;
  float h = 0;  // depth below the crest, m
  float m = 0, s = 0;
  float a = 0;     // T01, m (seismic line "a = … m、　D = … m")
  double d_m = 0;  // stem thickness in metres (D / 100)
  SectionCheck check;
};

struct SlabRow {
  std::string_view name;  // "W1", "W2", "W8", "W9" / "W6", "W7", "W10", "W11", "W12", "q"
  bool has_area = true;   // false for the surcharge row "q" (area and unit weight empty)
  float area = 0;
  float gamma = 0;
  float sw = 0;  // weight = shear contribution
  float x = 0;   // arm from the section, m
  float mw = 0;  // Sw · x
};

struct SlabTable {
  std::array<SlabRow, 6> rows{};
  int count = 0;
  float sum_sw = 0, sum_mw = 0;  // sums of the printed cells
};

struct SlabCase {
  bool seismic = false;
  float sum_sw = 0, sum_mw = 0;  // ΣSw, ΣMw used (the heel's seismic pass: ΣSw,E, ΣMw,E)
  double numerator = 0;          // of the reaction fraction: T00+T01+T02+L01 (toe) or l (heel)
  float denominator = 0;         // B
  float q_section = 0;           // qA or qB under the section
  float mq = 0, sq = 0;
  float m = 0, s = 0;
  bool upper_tension = false;  // M < 0: checked with |M| and |S|
  SectionCheck check;
};

struct CantileverResults {
  std::string_view bar_grade;  // "SD35" …
  CantileverAngles angles;
  StabilityEarthPressure earth;
  StemPressureCoefficients stem_pressure;
  float n = 0;  // Es / Ec
  CantileverPartTable parts;
  CantileverStability stability;
  std::array<StemCase, 4> stem_cases{};
  int stem_case_count = 0;
  bool has_toe = false, has_heel = false;
  SlabTable toe_table, heel_table;
  std::array<SlabCase, 2> toe{}, heel{};  // [0] normal, [1] seismic
};

// Throws CalculationError ("逆T形擁壁の計算ができません：" + cause) for inputs outside the
// calculation: values that are not finite, negative lengths, no stem height, a base or stem
// without width, Es or Ec not above 0, bars not in the catalogue or without spacing at a
// designed section, A-A′ outside the stem.
void CheckCantileverInputs(const CantileverInputs& in);

CantileverAngles ComputeWallFaceAngles(const CantileverShape& shape, float phi);

// δE from β, θ and φ (radians). Throws CalculationError when sin(β + θ) ≥ sin φ.
float SeismicWallFriction(float beta, float theta, float phi);

// Throws CalculationError when δE is undefined; a failed coefficient is a flag with the value 0.
StabilityEarthPressure ComputeStabilityEarthPressure(float beta, float phi, float alpha, float kh,
                                                     float gamma, float q, float h);

StemPressureCoefficients ComputeStemPressureCoefficients(float phi_deg, float alpha, float gamma,
                                                         float q, float ka, float kae);

// The stem's base width Tb = T00 + T01 + T02 and the slab's width B = L00 + Tb + L01, stored as
// 32-bit floats: the parts, the stability and the drawings all stand on these values.
float StemBaseWidth(const CantileverShape& shape);
float BaseWidth(const CantileverShape& shape);

CantileverPartTable ComputePartTable(const CantileverShape& shape, float gamma_c, float gamma,
                                     float kh);

// Throws CalculationError for V, VE, H, HE or B equal to 0.
CantileverStability ComputeCantileverStability(const CantileverPartTable& parts,
                                               const StabilityEarthPressure& earth,
                                               const CantileverInputs& in);

struct SectionAllowables {
  float sigma_ca = 0, sigma_sa = 0, tau_a = 0;  // normal-case values; × 1.5 when seismic
};

// The singly reinforced section; slabs are checked with |M| and |S|. Throws CalculationError for
// d ≤ 0, a missing or unspaced bar, As = 0 or k = 0.
// section_name ("Ａ－Ａ´" …) names the section in the messages.
SectionCheck CheckRectangularSection(std::string_view section_name, bool seismic, bool slab,
                                     float m, float s, float d_total, float dt, int bar_kind,
                                     const BarPosition& bar1, const BarPosition& bar2, float n,
                                     const SectionAllowables& allowables);

// Both coefficients' failure flags without running the calculation, so a report can show their
// messages before a calculation that then stops (a failed Ka always ends in H = 0).
struct CoefficientFailures {
  bool ka = false, kae = false;
};
CoefficientFailures FindCoefficientFailures(const CantileverInputs& in) noexcept;

// The whole calculation in the order of the report.
CantileverResults ComputeCantilever(const CantileverInputs& in);

}  // namespace ktv
