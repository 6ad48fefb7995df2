#include "families/gravity/gravity_calculation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "app/errors.h"
#include "app/format.h"

namespace ktv {
namespace {

std::string F3(float v) { return FormatValue(v, kFmt3); }

GravityInputs Inputs(float gamma_c, float gamma, float phi, float q, float qa, float fsa,
                     float tan_phi_b, float sigma_cac, float h, float t00, float t01, float t02,
                     float beta) {
  GravityInputs in;
  in.gamma_c = gamma_c;
  in.gamma = gamma;
  in.phi = phi;
  in.q = q;
  in.qa = qa;
  in.fsa = fsa;
  in.tan_phi_b = tan_phi_b;
  in.sigma_cac = sigma_cac;
  in.h = h;
  in.t00 = t00;
  in.t01 = t01;
  in.t02 = t02;
  in.beta = beta;
  return in;
}

// The standard gravity wall in SI (σcac 4.5 N/mm2 held as 450 N/cm2).
GravityInputs StandardWallSI() {
  return Inputs(23.0f, 19.6f, 35, 10, 200, 1.5f, 0.6f, 450, 2.3f, 0.23f, 0.70f, 0.69f, 29.05f);
}

struct Expected {
  const char* alpha_deg;  // "0.00"
  const char* ka;         // "0.0000"
  const char *pha, *pva, *phq, *pvq, *ph, *pv;
  const char *sum_v_w, *sum_m_w, *sum_v, *mr, *m, *d, *e, *b6, *fs, *q1, *q2, *s1, *s2;
};
struct Verdicts {
  bool overturning, sliding, bearing, body, tension;
};
struct SectionCase {
  const char* name;
  GravityInputs in;
  int parts;
  const char* part_names;
  Expected x;
  Verdicts v;
};

// Hand-checked sections: the four part divisions, a resultant behind the centre and the standard
// wall in CGS. The vertical-back rectangle can be followed with a pocket calculator: Ka = 0.2973
// for φ 30°, δ 20°; PHA = ½·18·Ka·3²·cos 20° = 22.630; d = (77.625 + 1.5·8.237 − 22.630) / 111.737.
const std::vector<SectionCase>& Sections() {
  static const std::vector<SectionCase> cases = {
      {"AllThreePartsStandardWall",
       StandardWallSI(),
       3,
       "W1W2W3",
       {"16.70",  "0.7110", "28.222", "23.708", "12.521", "10.518", "40.742",
        "34.226", "61.365", "43.581", "95.591", "91.156", "31.236", "0.627",
        "0.183",  "0.270",  "1.408",  "99.037", "18.977", "9.904",  "1.898"},
       {true, false, true, true, false}},
      {"OnlyW2VerticalBackNoSurcharge",
       Inputs(23, 18, 30, 0, 200, 1.5f, 0.6f, 450, 3.0f, 0, 1.5f, 0, 0),
       1,
       "W2",
       {"0.00",  "0.2973",  "22.630", "8.237",   "0.000",  "0.000",  "22.630",
        "8.237", "103.500", "77.625", "111.737", "89.980", "22.630", "0.603",
        "0.147", "0.250",   "2.963",  "118.365", "30.618", "11.836", "3.062"},
       {true, true, true, true, false}},
      {"W1AndW2",
       Inputs(22.5f, 18, 30, 10, 300, 1.5f, 0.6f, 800, 3.0f, 0.6f, 0.5f, 0, 10),
       2,
       "W1W2",
       {"0.00",   "0.3400", "25.881", "9.420",   "9.585",  "3.489",  "35.466",
        "12.909", "54.000", "36.788", "66.909",  "50.988", "35.466", "0.232",
        "0.318",  "0.183",  "1.132",  "192.286", "0.000",  "16.634", "-4.469"},
       {false, false, true, true, true}},
      {"W2AndW3",
       Inputs(23, 19, 30, 5, 300, 1.5f, 0.6f, 800, 3.0f, 0, 0.5f, 0.9f, 0),
       2,
       "W2W3",
       {"16.70",  "0.4423", "30.318", "22.598",  "5.319",  "3.965",  "35.637",
        "26.563", "65.550", "33.465", "92.113",  "62.684", "35.637", "0.294",
        "0.406",  "0.233",  "1.551",  "209.140", "0.000",  "18.038", "-4.879"},
       {false, true, true, true, true}},
      // Heavy surcharge on a wall leaning onto the backfill: e < 0 beyond B/6, q1 < q2, the heel
      // stress exceeds σcac (4 N/cm2) while the toe is in tension.
      {"ResultantBehindTheCentre",
       Inputs(23, 18, 40, 50, 300, 1.5f, 0.6f, 4, 1.5f, 3.0f, 0.3f, 0, 0),
       2,
       "W1W2",
       {"0.00",   "0.1998", "3.616",   "1.816",  "13.394",  "6.727",  "17.011",
        "8.543",  "62.100", "136.103", "70.643", "164.295", "8.505",  "2.205",
        "-0.555", "0.550",  "2.492",   "0.000",  "43.022",  "-0.021", "4.302"},
       {false, true, true, false, true}},
      {"StandardWallCGS",
       Inputs(2.3f, 2.0f, 35, 1.0f, 20, 1.5f, 0.6f, 45, 2.3f, 0.23f, 0.70f, 0.69f, 29.05f),
       3,
       "W1W2W3",
       {"16.70", "0.7110", "2.880", "2.419", "1.252", "1.052", "4.132",
        "3.471", "6.136",  "4.358", "9.607", "9.183", "3.168", "0.626",
        "0.184", "0.270",  "1.395", "9.969", "1.891", "0.997", "0.189"},
       {true, false, true, true, false}},
  };
  return cases;
}

class GravitySection : public testing::TestWithParam<SectionCase> {};

TEST_P(GravitySection, MatchesTheHandCheckedValues) {
  const SectionCase& c = GetParam();
  const GravityCalculation calc = ComputeGravity(c.in);
  EXPECT_FALSE(calc.earth.ka_failed);
  const GravityEarthPressure& p = calc.earth;
  const SelfWeightTable& w = calc.results.self_weight;
  const ResultantAndChecks& r = calc.results.checks;
  const BodyStress& s = calc.results.body;
  const Expected& x = c.x;

  EXPECT_EQ(FormatValue(RadToDeg(p.alpha), kFmt2), x.alpha_deg);
  EXPECT_EQ(FormatValue(p.ka, kFmt4), x.ka);
  EXPECT_EQ(F3(p.pha), x.pha);
  EXPECT_EQ(F3(p.pva), x.pva);
  EXPECT_EQ(F3(p.phq), x.phq);
  EXPECT_EQ(F3(p.pvq), x.pvq);
  EXPECT_EQ(F3(p.ph), x.ph);
  EXPECT_EQ(F3(p.pv), x.pv);

  ASSERT_EQ(w.count, c.parts);
  std::string names;
  for (int i = 0; i < w.count; ++i) names += w.rows[i].name;
  EXPECT_EQ(names, c.part_names);
  EXPECT_EQ(F3(w.sum_v), x.sum_v_w);
  EXPECT_EQ(F3(w.sum_m), x.sum_m_w);

  EXPECT_EQ(F3(r.sum_v), x.sum_v);
  EXPECT_EQ(r.sum_h, p.ph);
  EXPECT_EQ(F3(r.mr), x.mr);
  EXPECT_EQ(F3(r.m), x.m);
  EXPECT_EQ(F3(r.d), x.d);
  EXPECT_EQ(F3(r.e), x.e);
  EXPECT_EQ(F3(r.b6), x.b6);
  EXPECT_EQ(F3(r.fs), x.fs);
  EXPECT_EQ(F3(r.q1), x.q1);
  EXPECT_EQ(F3(r.q2), x.q2);
  EXPECT_EQ(F3(s.sigma_c1), x.s1);
  EXPECT_EQ(F3(s.sigma_c2), x.s2);

  EXPECT_EQ(r.overturning.ok, c.v.overturning);
  EXPECT_EQ(r.within_middle_third, c.v.overturning);
  EXPECT_EQ(r.sliding.ok, c.v.sliding);
  EXPECT_EQ(r.bearing_q1.ok && r.bearing_q2.ok, c.v.bearing);
  EXPECT_EQ(s.sigma_c1_check.ok && s.sigma_c2_check.ok, c.v.body);
  EXPECT_EQ(s.tension, c.v.tension);
}

INSTANTIATE_TEST_SUITE_P(Sections, GravitySection, testing::ValuesIn(Sections()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GravityGeometry, PartArmsAndTheThrustPoint) {
  const GravityInputs in = StandardWallSI();
  const GravityCalculation c = ComputeGravity(in);
  const auto& rows = c.results.self_weight.rows;
  // Triangle centroids: 2/3 of T1 from the toe; B − 2/3 T3 for the back triangle.
  EXPECT_FLOAT_EQ(rows[0].x, 2 * 0.23f / 3);
  EXPECT_FLOAT_EQ(rows[1].x, 0.23f + 0.35f);
  EXPECT_FLOAT_EQ(rows[2].x, 1.62f - 2 * 0.69f / 3);
  EXPECT_FLOAT_EQ(rows[0].a, 0.23f * 0.5f * 2.3f);
  EXPECT_FLOAT_EQ(rows[2].a, 0.5f * 2.3f * 0.69f);
  for (const auto& row : rows) EXPECT_FLOAT_EQ(row.v, row.a * 23.0f);
  EXPECT_FLOAT_EQ(c.results.checks.xp, 0.23f + 0.70f + 2 * 0.69f / 3);
  EXPECT_FLOAT_EQ(c.results.checks.yp, 2.3f / 3);
  EXPECT_FLOAT_EQ(c.earth.delta, 2.0f / 3 * DegToRad(35));
  EXPECT_NEAR(c.earth.alpha, std::atan(0.69 / 2.3), 1e-6);
}

TEST(GravitySelfWeight, TotalsAreSumsOfThePrintedValues) {
  // The standard wall's weights 6.0835, 37.03 and 18.2505 print as 6.084, 37.030 and 18.251:
  // their printed sum is 61.365, the unrounded one 61.364.
  const SelfWeightTable t = ComputeSelfWeightTable(23.0f, 0.23f, 0.70f, 0.69f, 2.3f);
  double raw_v = 0, raw_m = 0;
  for (int i = 0; i < t.count; ++i) {
    raw_v += t.rows[i].v;
    raw_m += t.rows[i].m;
  }
  EXPECT_EQ(F3(t.sum_v), "61.365");
  EXPECT_EQ(FormatValue(raw_v, kFmt3), "61.364");
  EXPECT_EQ(F3(t.sum_m), "43.581");
  EXPECT_EQ(FormatValue(raw_m, kFmt3), "43.581");
  EXPECT_EQ(F3(t.sum_a), "2.669");
}

TEST(GravitySelfWeight, TotalsEqualTheSumsOfTheFormattedCellsForAnySizes) {
  // The totals are formed without building the cell texts; they must agree with the texts the
  // table prints, across magnitudes, halves and signs.
  std::mt19937 rng(20240401);
  std::uniform_real_distribution<float> exponent(-5.0f, 6.0f);
  auto any = [&] { return std::pow(10.0f, exponent(rng)); };
  for (int i = 0; i < 20000; ++i) {
    const float gamma_c = (i % 7 == 0 ? -1.0f : 1.0f) * any();
    const SelfWeightTable t = ComputeSelfWeightTable(gamma_c, any(), any(), any(), any());
    double v = 0, m = 0, a = 0;
    for (int r = 0; r < t.count; ++r) {
      a += ReadNumber(F3(t.rows[r].a));
      v += ReadNumber(F3(t.rows[r].v));
      m += ReadNumber(F3(t.rows[r].m));
    }
    ASSERT_EQ(t.sum_a, static_cast<float>(a)) << i;
    ASSERT_EQ(t.sum_v, static_cast<float>(v)) << i << " γc " << gamma_c;
    ASSERT_EQ(t.sum_m, static_cast<float>(m)) << i;
  }
  // Values whose fourth decimal is a 5 round away from zero, as the cells show them.
  const SelfWeightTable half = ComputeSelfWeightTable(1.0f, 0, 0.0015f, 0, 1.0f);
  EXPECT_EQ(F3(half.rows[0].v), "0.002");
  EXPECT_EQ(half.sum_v, 0.002f);
}

TEST(GravitySelfWeight, ThreeWeightsJustAboveOneSumToThree) {
  // Each weight is 1.0004 and prints as 1.000; the sum of the printed values is 3.000.
  const SelfWeightTable t = ComputeSelfWeightTable(1.0004f, 2.0f, 1.0f, 2.0f, 1.0f);
  ASSERT_EQ(t.count, 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(F3(t.rows[i].v), "1.000");
  EXPECT_EQ(F3(t.sum_v), "3.000");
}

TEST(GravityEarthPressureTest, NoSurchargeLeavesOnlyTheBackfillThrust) {
  const GravityEarthPressure p = ComputeGravityEarthPressure(35, 19.6f, 0, 2.3f, 0.69f, 29.05f);
  EXPECT_EQ(p.phq, 0.0f);
  EXPECT_EQ(p.pvq, 0.0f);
  EXPECT_EQ(p.ph, p.pha);
  EXPECT_EQ(p.pv, p.pva);
  EXPECT_GT(p.pha, 0.0f);
  // The thrust is inclined at α + δ from the horizontal.
  EXPECT_NEAR(p.pva / p.pha, std::tan(static_cast<double>(p.alpha) + p.delta), 1e-5);
}

// ---- verdicts exactly at their limits ---------------------------------------------------------

// A 3 m wide rectangle, 3 m high, with ΣV_w = 10 acting at the centre: the thrust PH sets d and
// e exactly, so each limit can be reached without rounding.
GravityEarthPressure Thrust(float ph, float pv) {
  GravityEarthPressure p;
  p.ka = 0.3f;
  p.ph = ph;
  p.pv = pv;
  return p;
}

TEST(GravityLimits, EqualityIsNgInEveryCheck) {
  struct Case {
    const char* name;
    float sum_m_w, ph, qa, fsa, tan_phi_b;
    bool overturning, sliding, bearing;
    float e;
    bool within = false;  // the sentence's "以内": |e| < B/6, as the overturning check
  };
  // yP = 1, so M = PH; d = (ΣM_w − PH) / 10; B/6 = 0.5.
  const float q1_at_e_half = static_cast<float>(2.0 * (10.0 / 3.0));
  const float q_centre = static_cast<float>(10.0 / 3.0);
  const Case cases[] = {
      {"e equals B/6", 15, 5, 100, 0.5f, 0.6f, false, true, true, 0.5f},
      {"e just below B/6", 15.0001f, 5, 100, 0.5f, 0.6f, true, true, true, 0.49999f, true},
      {"e just beyond B/6", 14.999f, 5, 100, 0.5f, 0.6f, false, true, true, 0.5001f},
      {"e equals -B/6 behind the centre", 25, 5, 100, 0.5f, 0.6f, false, true, true, -0.5f},
      {"Fs equals Fsa", 15, 5, 100, 1.0f, 0.5f, false, false, true, 0.5f},
      {"Fs just above Fsa", 15, 5, 100, 0.999f, 0.5f, false, true, true, 0.5f},
      {"q1 equals qa", 15, 5, q1_at_e_half, 0.5f, 0.6f, false, true, false, 0.5f},
      {"q1 just below qa", 15, 5, std::nextafter(q1_at_e_half, 100.0f), 0.5f, 0.6f, false, true,
       true, 0.5f},
      {"q1 and q2 equal qa", 20, 5, q_centre, 0.5f, 0.6f, true, true, false, 0.0f, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ResultantAndChecks r = ComputeResultantAndChecks(10, c.sum_m_w, Thrust(c.ph, 0), 0, 3, 0,
                                                           3, c.qa, c.fsa, c.tan_phi_b);
    EXPECT_NEAR(r.e, c.e, 1e-4);
    EXPECT_EQ(r.b6, 0.5f);
    EXPECT_EQ(r.overturning.ok, c.overturning);
    EXPECT_EQ(r.within_middle_third, c.within);
    EXPECT_EQ(r.sliding.ok, c.sliding);
    EXPECT_EQ(r.bearing_q1.ok && r.bearing_q2.ok, c.bearing);
  }
}

TEST(GravityLimits, ExactEccentricityAndPressures) {
  const ResultantAndChecks r =
      ComputeResultantAndChecks(10, 15, Thrust(5, 0), 0, 3, 0, 3, 100, 0.5f, 0.6f);
  EXPECT_EQ(r.d, 1.0f);
  EXPECT_EQ(r.e, 0.5f);
  EXPECT_EQ(r.fs, 1.2f);
  EXPECT_EQ(r.q2, 0.0f);
  EXPECT_FLOAT_EQ(r.q1, 20.0f / 3);
}

TEST(GravityBodyStress, TheLargerStressDecidesAndTheSmallerTellsTension) {
  struct Case {
    float q1, q2, sigma_cac;
    bool ok, tension;
  };
  const Case cases[] = {
      {30, 10, 3.5f, true, false},   // σc1 3 and σc2 1 below 3.5
      {10, 30, 2.5f, false, false},  // behind the centre: σc2 3 exceeds 2.5
      {25, 10, 2.5f, false, false},  // σc1 exactly at σcac
      {10, 25, 2.5f, false, false},  // σc2 exactly at σcac
      {40, -5, 5.0f, true, true},    // toe compression, heel tension
      {-5, 40, 3.0f, false, true},   // heel compression beyond σcac, toe tension
      {0, 30, 5.0f, true, false},    // zero stress is no tension
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.q1 << " " << c.q2 << " " << c.sigma_cac);
    const BodyStress s = CheckBodyStress(c.q1, c.q2, c.sigma_cac);
    EXPECT_FLOAT_EQ(s.sigma_c1, c.q1 * 0.1f);
    EXPECT_FLOAT_EQ(s.sigma_c2, c.q2 * 0.1f);
    EXPECT_EQ(s.sigma_c1_check.ok && s.sigma_c2_check.ok, c.ok);
    EXPECT_EQ(s.tension, c.tension);
  }
}

TEST(GravityBody, TensionIsCheckedByItsMagnitudeAgainstSigmaCat) {
  // σc = q·0.1: the tensile edge −0.5 against σcat; equality is ＮＧ.
  struct Case {
    float q1, q2, sigma_cat;
    bool ok;
  };
  const Case cases[] = {
      {40, -5, 0.5f, false},                       // |σc2| = 0.5 at σcat
      {40, -5, std::nextafter(0.5f, 1.0f), true},  // just above
      {-5, 40, 0.4f, false},                       // the toe in tension, beyond σcat
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.q1 << " " << c.q2 << " " << c.sigma_cat);
    const BodyStress s = CheckBodyStress(c.q1, c.q2, 100, c.sigma_cat);
    ASSERT_TRUE(s.tension);
    EXPECT_FLOAT_EQ(s.tension_check.value, 0.5f);
    EXPECT_EQ(s.tension_check.ok, c.ok);
  }
}

// ---- undefined calculations -------------------------------------------------------------------

TEST(GravityUndefined, EndsWithAMessageNamingTheCause) {
  struct Case {
    const char* name;
    GravityInputs in;
    const char* cause;
  };
  auto with = [](auto change) {
    GravityInputs in = StandardWallSI();
    change(in);
    return in;
  };
  const Case cases[] = {
      {"H zero", with([](GravityInputs& i) { i.h = 0; }), "高さH"},
      {"H zero and T3 zero", with([](GravityInputs& i) { i.h = 0, i.t02 = 0; }), "高さH"},
      {"H negative", with([](GravityInputs& i) { i.h = -1; }), "高さH"},
      {"T1 negative", with([](GravityInputs& i) { i.t00 = -0.1f; }), "T1"},
      {"T2 negative", with([](GravityInputs& i) { i.t01 = -0.1f; }), "T2"},
      {"T3 negative", with([](GravityInputs& i) { i.t02 = -0.1f; }), "T3"},
      {"B zero", with([](GravityInputs& i) { i.t00 = 0, i.t01 = 0, i.t02 = 0; }), "底版幅B"},
      {"sum V zero", with([](GravityInputs& i) { i.gamma_c = 0, i.phi = 0, i.t02 = 0; }), "ΣV"},
      {"sum H zero", with([](GravityInputs& i) { i.gamma = 0, i.q = 0; }), "ΣH"},
      {"NaN input", with([](GravityInputs& i) { i.gamma = std::nanf(""); }), "γ"},
      {"infinite input", with([](GravityInputs& i) { i.qa = INFINITY; }), "qa"},
      {"overflowing weight", with([](GravityInputs& i) { i.gamma_c = 3e38f; }), "数値として"},
      // Sizes whose millimetre labels in the figures would overflow; every result of the first
      // wall is finite, only its T2 label is not.
      {"T2 beyond millimetres", with([](GravityInputs& i) {
         i.gamma_c = 1, i.t00 = 0, i.t01 = 4e35f, i.t02 = 0, i.h = 1e-36f;
       }),
       "寸法T2が大きすぎます"},
      {"B beyond millimetres",
       with([](GravityInputs& i) { i.t00 = 2e35f, i.t01 = 2e35f, i.t02 = 2e35f; }),
       "寸法底版幅Bが大きすぎます"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      ComputeGravity(c.in);
      ADD_FAILURE() << "no error";
    } catch (const CalculationError& e) {
      const std::string what = e.what();
      EXPECT_NE(what.find("重力式擁壁の計算ができません"), std::string::npos) << what;
      EXPECT_NE(what.find(c.cause), std::string::npos) << what;
      EXPECT_EQ(what.find("inf"), std::string::npos) << what;
      EXPECT_EQ(what.find("nan"), std::string::npos) << what;
    }
  }
}

TEST(GravityUndefined, KaErrorWithBetaAboveFhiShowsItsMessageThenStops) {
  GravityInputs in = StandardWallSI();
  in.beta = 40;  // β > φ = 35: the root in Ka is negative
  try {
    ComputeGravity(in);
    ADD_FAILURE() << "no error";
  } catch (const CalculationError& e) {
    EXPECT_NE(std::string(e.what()).find("ΣHが0です（主働土圧係数Ka=0）"), std::string::npos)
        << e.what();
  }

  const GravityEarthPressure p = ComputeGravityEarthPressure(35, 19.6f, 10, 2.3f, 0.69f, 40);
  EXPECT_TRUE(p.ka_failed);
  EXPECT_EQ(p.ka, 0.0f);
  EXPECT_EQ(p.ph, 0.0f);
  EXPECT_EQ(p.pv, 0.0f);
}

}  // namespace
}  // namespace ktv
