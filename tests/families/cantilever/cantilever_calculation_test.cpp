#include "families/cantilever/cantilever_calculation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "app/errors.h"
#include "app/format.h"
#include "families/cantilever/cantilever_members.h"

namespace ktv {
namespace {

// Catalogue indexes of the deformed bars used below.
constexpr int kD13 = 3, kD16 = 4, kD19 = 5, kD22 = 6, kD25 = 7;
constexpr int kNone = -1;

struct Bars {
  BarPosition aa1, aa2, bb1, bb2, cc1, cc2, dd1, dd2;
};

// The standard wall of the fixtures (standard sizes, SI): D25@125 in the stem and the heel, D22@125
// in the toe, one arrangement each; stresses already scaled by 100.
CantileverInputs StandardSI() {
  CantileverInputs in;
  in.is_si = true;
  in.gamma_c = 24.5f;
  in.sigma_ck = 2400;
  in.sigma_ca = 800;
  in.tau_a = 39;
  in.ec = 2500000;
  in.gamma = 19.6f;
  in.phi = 35;
  in.c = 0;
  in.q = 10;
  in.kh = 0.2f;
  in.tan_phi_b = 0.6f;
  in.qa = 300;
  in.qa_e = 450;
  in.fsa = 1.5f;
  in.fsa_e = 1.2f;
  in.bar_kind = 1;
  in.bar_grade = 2;
  in.sigma_sa = 18000;
  in.sigma_sa_t = 18000;
  in.es = 20000000;
  in.dt0 = 7;
  in.dt1 = 7;
  in.bars = {{{kD25, 125},
              {kNone, 0},
              {kD25, 125},
              {kNone, 0},
              {kD22, 125},
              {kNone, 0},
              {kD25, 125},
              {kNone, 0}}};
  // T02 = 0.6 − 0.57 − 0.4: the back face leans over the heel.
  in.shape = {0.57f, 0.4f, static_cast<float>(0.6f - (0.57 + 0.4)),
              1.0f,  2.4f, 2.4f,
              6.3f,  0.5f, 0.6f,
              0.4f,  0.6f, 0.4f,
              0};
  return in;
}

CantileverInputs StandardCGS() {
  CantileverInputs in = StandardSI();
  in.is_si = false;
  in.gamma_c = 2.45f;
  in.sigma_ck = 240;
  in.sigma_ca = 80;
  in.tau_a = 3.9f;
  in.ec = 250000;
  in.gamma = 2.0f;
  in.q = 1.0f;
  in.qa = 30;
  in.qa_e = 45;
  in.sigma_sa = 1800;
  in.sigma_sa_t = 1800;
  in.es = 2000000;
  return in;
}

CantileverShape Shape(float t1, float t2, float l2, float l1, float l3, float h, float d0, float d1,
                      float d2, float d3, float d4, float beta) {
  const float t02 = static_cast<float>(static_cast<double>(l2) - (static_cast<double>(t1) + t2));
  return {t1, t2, t02, l1, l3, l3, h, d0, d1, d2, d3, d4, beta};
}

// Inverted-T with a forward batter on both faces, β 15°, A-A′ designed at 2.0 m and two
// arrangements everywhere.
CantileverInputs SlopeTwoBarsAA() {
  CantileverInputs in = StandardSI();
  in.shape = Shape(0.3f, 0.35f, 0.9f, 0.8f, 2.0f, 4.5f, 0.6f, 0.5f, 0.35f, 0.5f, 0.35f, 15);
  in.gamma = 18;
  in.kh = 0.15f;
  in.design_section_aa = true;
  in.h_aa = 2.0f;
  in.bars = {{{kD19, 250},
              {kD13, 250},
              {kD25, 250},
              {kD25, 250},
              {kD19, 125},
              {kD16, 250},
              {kD22, 125},
              {kD13, 250}}};
  return in;
}

// L wall (no toe) with a vertical back face.
CantileverInputs LWallVerticalBack() {
  CantileverInputs in = StandardSI();
  in.shape = Shape(0, 0.4f, 0.4f, 0, 2.0f, 3.5f, 0.3f, 0.45f, 0.3f, 0.45f, 0.3f, 0);
  in.phi = 30;
  return in;
}

// Inverted-L wall (no heel) under a 10° slope.
CantileverInputs InvertedLSlope() {
  CantileverInputs in = StandardSI();
  in.shape = Shape(0.2f, 0.3f, 0.7f, 1.2f, 0, 3.0f, 0.4f, 0.4f, 0.3f, 0.4f, 0.3f, 10);
  in.q = 5;
  in.phi = 30;
  in.kh = 0.15f;
  return in;
}

// ---- printed digest of the results --------------------------------------------------------

using Digest = std::map<std::string, std::string>;

std::string P(float v, int decimals = 3) {
  std::string pattern = decimals == 0 ? "0" : "0." + std::string(decimals, '0');
  return FormatValue(v, pattern);
}
std::string P(double v, int decimals) {
  std::string pattern = decimals == 0 ? "0" : "0." + std::string(decimals, '0');
  return FormatValue(v, pattern);
}
std::string Flags(std::initializer_list<bool> flags) {
  std::string s;
  for (bool f : flags) s += f ? '1' : '0';
  return s;
}
std::string Join(std::initializer_list<std::string> parts) {
  std::string s;
  for (const std::string& p : parts) s += (s.empty() ? "" : " ") + p;
  return s;
}

std::string Section(const SectionCheck& c) {
  return Join({P(c.d_total, 1), P(c.d, 1), P(c.m_bd2), P(c.bar1.as, 2), P(c.bar2.as, 2), P(c.as, 2),
               P(c.p, 5), P(c.k, 4), P(c.inv_lc), P(c.inv_ls, 1), P(c.j), P(c.sigma_c),
               P(c.sigma_s), P(c.tau),
               Flags({c.sigma_c_check.ok, c.sigma_s_check.ok, c.tau_check.ok})});
}

Digest DigestOf(const CantileverResults& r) {
  Digest d;
  d["alpha_deg"] = P(r.angles.alpha_deg, 4);
  d["theta_deg"] = P(r.earth.theta_deg, 4);
  d["dE_deg"] = P(r.earth.delta_e_deg, 4);
  const StabilityEarthPressure& e = r.earth;
  const StemPressureCoefficients& k = r.stem_pressure;
  const CantileverPartTable& t = r.parts;
  const CantileverStability& s = r.stability;
  const std::pair<const char*, float> values[] = {
      {"Ka", e.ka},    {"KaE", e.kae},  {"PA", e.pa},    {"Pq", e.pq},      {"PVA", e.pva},
      {"PAE", e.pae},  {"PHE", e.phe},  {"PVE", e.pve},  {"cA2", k.ca2},    {"cA1", k.ca1},
      {"cE2", k.ce2},  {"SV", t.sum_v}, {"SH", t.sum_h}, {"SVx", t.sum_vx}, {"SHy", t.sum_hy},
      {"xG", t.xg},    {"yG", t.yg},    {"Q", s.q_load}, {"V", s.v},        {"H", s.h},
      {"Mr", s.mr},    {"M", s.m},      {"d", s.d},      {"VE", s.v_e},     {"HE", s.h_e},
      {"MrE", s.mr_e}, {"ME", s.m_e},   {"dE", s.d_e},   {"e", s.e},        {"eE", s.e_e},
      {"Fs", s.fs},    {"FsE", s.fs_e}, {"q1", s.q1},    {"q2", s.q2},      {"q1E", s.q1_e},
      {"q2E", s.q2_e}};
  for (const auto& [key, v] : values) d[key] = P(v);
  d["n"] = P(r.n, 0);
  d["B6"] = P(s.b6, 3) + " " + P(s.b3, 3);
  d["verdicts"] =
      Flags({s.overturning.ok, s.overturning_e.ok, s.sliding.ok, s.sliding_e.ok,
             s.bearing_q1.ok && s.bearing_q2.ok, s.bearing_q1_e.ok && s.bearing_q2_e.ok});
  std::string names;
  for (int i = 0; i < t.count; ++i) {
    const CantileverPart& w = t.rows[i];
    names += (i ? "," : "") + std::string(w.name);
    d[std::string(w.name)] = Join({P(w.a), P(w.v), P(w.h), P(w.x), P(w.y), P(w.vx), P(w.hy)});
  }
  d["parts"] = names;
  for (int i = 0; i < r.stem_case_count; ++i) {
    const StemCase& c = r.stem_cases[i];
    d["stem" + std::to_string(i)] = Join({c.section == StemSection::kAA ? "AA" : "BB",
                                          c.seismic ? "E" : "N", P(c.h, 1), P(c.m), P(c.s)}) +
                                    " | " + Section(c.check);
  }
  auto slab = [&](const char* name, const SlabTable& table, const std::array<SlabCase, 2>& cases) {
    for (int i = 0; i < table.count; ++i) {
      const SlabRow& w = table.rows[i];
      d[std::string(name) + "." + std::string(w.name)] = Join({P(w.sw), P(w.x), P(w.mw)});
    }
    for (int i = 0; i < 2; ++i) {
      const SlabCase& c = cases[i];
      d[std::string(name) + std::to_string(i)] =
          Join({P(c.sum_sw), P(c.sum_mw), P(c.q_section), P(c.mq), P(c.sq), P(c.m), P(c.s)}) +
          " | " + Section(c.check);
    }
  };
  if (r.has_toe) slab("toe", r.toe_table, r.toe);
  if (r.has_heel) slab("heel", r.heel_table, r.heel);
  return d;
}

// ---- hand-checked sections ----------------------------------------------------------------
// Expected texts worked independently of this code (a float32 emulation of the wall by its
// geometry: areas of the parts by the shoelace rule, centroids of their corners).

const Digest kStandardInvertedTSI = {
    {"alpha_deg", "-3.7140"},
    {"theta_deg", "11.3099"},
    {"dE_deg", "30.3035"},
    {"Ka", "0.247"},
    {"KaE", "0.362"},
    {"PA", "96.096"},
    {"Pq", "15.565"},
    {"PVA", "-6.225"},
    {"PAE", "140.822"},
    {"PHE", "121.581"},
    {"PVE", "71.056"},
    {"cA2", "2.281"},
    {"cA1", "2.327"},
    {"cE2", "3.446"},
    {"SV", "384.464"},
    {"SH", "76.893"},
    {"SVx", "940.050"},
    {"SHy", "217.408"},
    {"xG", "2.445"},
    {"yG", "2.827"},
    {"Q", "20.300"},
    {"V", "404.764"},
    {"H", "111.660"},
    {"Mr", "1000.646"},
    {"M", "250.829"},
    {"d", "1.852"},
    {"VE", "455.520"},
    {"HE", "198.474"},
    {"MrE", "1224.273"},
    {"ME", "472.727"},
    {"dE", "1.650"},
    {"e", "0.148"},
    {"eE", "0.350"},
    {"Fs", "2.175"},
    {"FsE", "1.377"},
    {"q1", "123.583"},
    {"q2", "78.799"},
    {"q1E", "173.690"},
    {"q2E", "54.070"},
    {"n", "8"},
    {"B6", "0.667 1.333"},
    {"verdicts", "111111"},
    {"parts", "W1,W2,W3,W4,W5,W6,W7,W8,W9,W10,W11"},
    {"W1", "0.400 9.800 1.960 0.500 0.200 4.900 0.392"},
    {"W2", "0.100 2.450 0.490 0.667 0.467 1.633 0.229"},
    {"W3", "0.360 8.820 1.764 1.300 0.300 11.466 0.529"},
    {"W4", "1.710 41.895 8.379 1.390 2.500 58.234 20.948"},
    {"W5", "1.140 27.930 5.586 1.713 4.400 47.853 24.578"},
    {"W6", "0.960 23.520 4.704 2.800 0.200 65.856 0.941"},
    {"W7", "0.240 5.880 1.176 2.400 0.467 14.112 0.549"},
    {"W8", "0.350 6.860 1.372 0.333 0.700 2.287 0.960"},
    {"W9", "0.263 5.145 1.029 0.683 0.933 3.516 0.960"},
    {"W10", "7.080 138.768 27.754 3.200 2.433 444.058 67.534"},
    {"W11", "5.786 113.396 22.679 2.523 4.400 286.135 99.788"},
    {"stem0",
     "BB N 5.7 178.587 87.361 | 60.0 53.0 63.577 40.56 0.00 40.56 0.00765 0.2940 7.541 144.9 0.902 "
     "479.465 9210.287 18.274 111"},
    {"stem1",
     "BB E 5.7 249.861 125.920 | 60.0 53.0 88.951 40.56 0.00 40.56 0.00765 0.2940 7.541 144.9 "
     "0.902 670.819 12886.110 26.340 111"},
    {"toe.W1", "9.800 0.500 4.900"},
    {"toe.W2", "2.450 0.333 0.817"},
    {"toe.W8", "6.860 0.667 4.573"},
    {"toe.W9", "4.900 0.333 1.633"},
    {"toe0",
     "24.010 11.923 112.387 59.925 117.985 48.002 93.975 | 60.0 53.0 17.089 31.04 0.00 31.04 "
     "0.00586 0.2628 8.340 187.1 0.912 142.525 3198.041 19.434 111"},
    {"toe1",
     "24.010 11.923 143.785 81.861 158.738 69.938 134.728 | 60.0 53.0 24.898 31.04 0.00 31.04 "
     "0.00586 0.2628 8.340 187.1 0.912 207.654 4659.437 27.861 111"},
    {"heel.W6", "23.520 1.200 28.224"},
    {"heel.W7", "5.880 0.800 4.704"},
    {"heel.W10", "138.768 1.600 222.029"},
    {"heel.W11", "134.064 0.800 107.251"},
    {"heel.q", "20.300 1.385 28.116"},
    {"heel0",
     "322.532 390.324 105.669 252.737 221.362 -137.587 -101.170 | 60.0 53.0 48.981 40.56 0.00 "
     "40.56 0.00765 0.2940 7.541 144.9 0.902 369.387 7095.759 21.163 111"},
    {"heel1",
     "373.288 475.898 125.842 224.623 215.894 -251.275 -157.394 | 60.0 53.0 89.454 40.56 0.00 "
     "40.56 0.00765 0.2940 7.541 144.9 0.902 674.613 12959.010 32.924 111"},
};

const Digest kStandardInvertedTCGS = {
    {"alpha_deg", "-3.7140"},
    {"theta_deg", "11.3099"},
    {"dE_deg", "30.3035"},
    {"Ka", "0.247"},
    {"KaE", "0.362"},
    {"PA", "9.806"},
    {"Pq", "1.556"},
    {"PVA", "-0.635"},
    {"PAE", "14.370"},
    {"PHE", "12.406"},
    {"PVE", "7.251"},
    {"cA2", "0.233"},
    {"cA1", "0.233"},
    {"cE2", "0.352"},
    {"SV", "38.986"},
    {"SH", "7.797"},
    {"SVx", "95.506"},
    {"SHy", "22.086"},
    {"xG", "2.450"},
    {"yG", "2.833"},
    {"Q", "2.030"},
    {"V", "41.016"},
    {"H", "11.362"},
    {"Mr", "101.566"},
    {"M", "25.495"},
    {"d", "1.855"},
    {"VE", "46.237"},
    {"HE", "20.203"},
    {"MrE", "124.508"},
    {"ME", "48.139"},
    {"dE", "1.652"},
    {"e", "0.145"},
    {"eE", "0.348"},
    {"Fs", "2.166"},
    {"FsE", "1.373"},
    {"q1", "12.489"},
    {"q2", "8.019"},
    {"q1E", "17.598"},
    {"q2E", "5.520"},
    {"n", "8"},
    {"B6", "0.667 1.333"},
    {"verdicts", "111111"},
    {"parts", "W1,W2,W3,W4,W5,W6,W7,W8,W9,W10,W11"},
    {"W1", "0.400 0.980 0.196 0.500 0.200 0.490 0.039"},
    {"W2", "0.100 0.245 0.049 0.667 0.467 0.163 0.023"},
    {"W3", "0.360 0.882 0.176 1.300 0.300 1.147 0.053"},
    {"W4", "1.710 4.190 0.838 1.390 2.500 5.823 2.095"},
    {"W5", "1.140 2.793 0.559 1.713 4.400 4.785 2.458"},
    {"W6", "0.960 2.352 0.470 2.800 0.200 6.586 0.094"},
    {"W7", "0.240 0.588 0.118 2.400 0.467 1.411 0.055"},
    {"W8", "0.350 0.700 0.140 0.333 0.700 0.233 0.098"},
    {"W9", "0.263 0.525 0.105 0.683 0.933 0.359 0.098"},
    {"W10", "7.080 14.160 2.832 3.200 2.433 45.312 6.891"},
    {"W11", "5.786 11.571 2.314 2.523 4.400 29.197 10.182"},
    {"stem0",
     "BB N 5.7 18.146 8.887 | 60.0 53.0 6.460 40.56 0.00 40.56 0.00765 0.2940 7.541 144.9 0.902 "
     "48.718 935.846 1.859 111"},
    {"stem1",
     "BB E 5.7 25.420 12.820 | 60.0 53.0 9.050 40.56 0.00 40.56 0.00765 0.2940 7.541 144.9 0.902 "
     "68.247 1310.999 2.682 111"},
    {"toe.W1", "0.980 0.500 0.490"},
    {"toe.W2", "0.245 0.333 0.082"},
    {"toe.W8", "0.700 0.667 0.467"},
    {"toe.W9", "0.500 0.333 0.167"},
    {"toe0",
     "2.425 1.206 11.372 6.058 11.931 4.852 9.506 | 60.0 53.0 1.727 31.04 0.00 31.04 0.00586 "
     "0.2628 8.340 187.1 0.912 14.408 323.281 1.966 111"},
    {"toe1",
     "2.425 1.206 14.579 8.296 16.088 7.090 13.663 | 60.0 53.0 2.524 31.04 0.00 31.04 0.00586 "
     "0.2628 8.340 187.1 0.912 21.051 472.340 2.826 111"},
    {"heel.W6", "2.352 1.200 2.822"},
    {"heel.W7", "0.588 0.800 0.470"},
    {"heel.W10", "14.160 1.600 22.656"},
    {"heel.W11", "13.680 0.800 10.944"},
    {"heel.q", "2.030 1.385 2.812"},
    {"heel0",
     "32.810 39.704 10.701 25.669 22.464 -14.035 -10.346 | 60.0 53.0 4.997 40.56 0.00 40.56 "
     "0.00765 0.2940 7.541 144.9 0.902 37.681 723.842 2.164 111"},
    {"heel1",
     "38.031 48.493 12.767 22.855 21.945 -25.638 -16.086 | 60.0 53.0 9.127 40.56 0.00 40.56 "
     "0.00765 0.2940 7.541 144.9 0.902 68.833 1322.243 3.365 111"},
};

const Digest kInvertedTSlopeTwoBarsAA = {
    {"alpha_deg", "3.5763"},
    {"theta_deg", "8.5308"},
    {"dE_deg", "32.6918"},
    {"Ka", "0.329"},
    {"KaE", "0.529"},
    {"PA", "59.961"},
    {"Pq", "14.805"},
    {"PVA", "19.102"},
    {"PAE", "96.497"},
    {"PHE", "81.210"},
    {"PVE", "52.120"},
    {"cA2", "2.640"},
    {"cA1", "2.934"},
    {"cE2", "4.446"},
    {"SV", "279.301"},
    {"SH", "41.896"},
    {"SVx", "601.025"},
    {"SHy", "89.835"},
    {"xG", "2.152"},
    {"yG", "2.144"},
    {"Q", "22.500"},
    {"V", "301.801"},
    {"H", "74.767"},
    {"Mr", "658.963"},
    {"M", "123.254"},
    {"d", "1.775"},
    {"VE", "331.421"},
    {"HE", "123.106"},
    {"MrE", "793.868"},
    {"ME", "211.651"},
    {"dE", "1.757"},
    {"e", "0.075"},
    {"eE", "0.093"},
    {"Fs", "2.422"},
    {"FsE", "1.615"},
    {"q1", "91.483"},
    {"q2", "71.653"},
    {"q1E", "103.121"},
    {"q2E", "76.026"},
    {"n", "8"},
    {"B6", "0.617 1.233"},
    {"verdicts", "111111"},
    {"parts", "W1,W2,W3,W4,W5,W6,W7,W8,W9,W10,W11,W12"},
    {"W1", "0.280 6.860 1.029 0.400 0.175 2.744 0.180"},
    {"W2", "0.060 1.470 0.221 0.533 0.400 0.784 0.088"},
    {"W3", "0.450 11.025 1.654 1.250 0.250 13.781 0.413"},
    {"W4", "1.800 44.100 6.615 1.200 1.833 52.920 12.128"},
    {"W5", "0.700 17.150 2.573 1.417 3.167 24.296 8.146"},
    {"W6", "0.700 17.150 2.573 2.700 0.175 46.305 0.450"},
    {"W7", "0.150 3.675 0.551 2.367 0.400 8.698 0.221"},
    {"W8", "0.300 5.400 0.810 0.267 0.650 1.440 0.527"},
    {"W9", "0.254 4.563 0.684 0.548 0.900 2.502 0.616"},
    {"W10", "4.150 74.700 11.205 3.033 1.783 226.590 19.982"},
    {"W11", "4.500 81.000 12.150 2.283 3.167 184.950 38.475"},
    {"W12", "0.678 12.208 1.831 2.950 4.701 36.015 8.609"},
    {"stem0",
     "AA N 2.0 12.909 16.429 | 62.5 55.5 4.191 11.40 5.08 16.48 0.00297 0.1955 10.943 360.2 0.935 "
     "45.861 1509.741 3.167 111"},
    {"stem1",
     "BB N 4.0 79.800 53.982 | 90.0 83.0 11.584 20.28 20.28 40.56 0.00489 0.2432 8.948 222.7 0.919 "
     "103.646 2579.586 7.078 111"},
    {"stem2",
     "AA E 2.0 15.104 21.369 | 62.5 55.5 4.903 11.40 5.08 16.48 0.00297 0.1955 10.943 360.2 0.935 "
     "53.658 1766.424 4.119 111"},
    {"stem3",
     "BB E 4.0 110.538 80.331 | 90.0 83.0 16.046 20.28 20.28 40.56 0.00489 0.2432 8.948 222.7 "
     "0.919 143.570 3573.224 10.532 111"},
    {"toe.W1", "6.860 0.400 2.744"},
    {"toe.W2", "1.470 0.267 0.392"},
    {"toe.W8", "5.400 0.533 2.880"},
    {"toe.W9", "4.320 0.267 1.152"},
    {"toe0",
     "18.050 7.168 87.195 28.817 71.471 21.649 53.421 | 50.0 43.0 11.709 22.80 7.92 30.72 0.00714 "
     "0.2857 7.736 154.7 0.905 90.581 1811.433 13.731 111"},
    {"toe1",
     "18.050 7.168 97.262 32.374 80.153 25.206 62.103 | 50.0 43.0 13.632 22.80 7.92 30.72 0.00714 "
     "0.2857 7.736 154.7 0.905 105.462 2109.011 15.963 111"},
    {"heel.W6", "17.150 1.000 17.150"},
    {"heel.W7", "3.675 0.667 2.450"},
    {"heel.W10", "74.700 1.333 99.600"},
    {"heel.W11", "72.000 0.667 48.000"},
    {"heel.W12", "12.208 1.250 15.261"},
    {"heel.q", "22.500 0.875 19.688"},
    {"heel0",
     "202.233 202.149 82.372 150.451 154.024 -51.698 -48.209 | 50.0 43.0 27.960 31.04 5.08 36.12 "
     "0.00840 0.3055 7.289 132.5 0.898 203.788 3705.959 12.483 111"},
    {"heel1",
     "231.853 251.955 90.672 161.815 166.697 -90.139 -65.155 | 50.0 43.0 48.750 31.04 5.08 36.12 "
     "0.00840 0.3055 7.289 132.5 0.898 355.321 6461.642 16.870 111"},
};

const Digest kLWallVerticalBack = {
    {"alpha_deg", "0.0000"},
    {"theta_deg", "11.3099"},
    {"dE_deg", "25.6828"},
    {"Ka", "0.333"},
    {"KaE", "0.461"},
    {"PA", "40.017"},
    {"Pq", "11.667"},
    {"PVA", "0.000"},
    {"PAE", "55.401"},
    {"PHE", "49.927"},
    {"PVE", "24.010"},
    {"cA2", "3.070"},
    {"cA1", "3.132"},
    {"cE2", "4.368"},
    {"SV", "175.175"},
    {"SH", "35.035"},
    {"SVx", "203.840"},
    {"SHy", "60.165"},
    {"xG", "1.164"},
    {"yG", "1.717"},
    {"Q", "20.000"},
    {"V", "195.175"},
    {"H", "51.683"},
    {"Mr", "231.840"},
    {"M", "67.103"},
    {"d", "0.844"},
    {"VE", "199.185"},
    {"HE", "84.962"},
    {"MrE", "261.464"},
    {"ME", "118.414"},
    {"dE", "0.718"},
    {"e", "0.356"},
    {"eE", "0.482"},
    {"Fs", "2.266"},
    {"FsE", "1.407"},
    {"q1", "153.690"},
    {"q2", "8.955"},
    {"q1E", "184.899"},
    {"q2E", "0.000"},
    {"n", "8"},
    {"B6", "0.400 0.800"},
    {"verdicts", "111111"},
    {"parts", "W3,W4,W5,W6,W7,W10,W11"},
    {"W3", "0.180 4.410 0.882 0.200 0.225 0.882 0.198"},
    {"W4", "0.610 14.945 2.989 0.133 1.467 1.993 4.384"},
    {"W5", "0.610 14.945 2.989 0.267 2.483 3.985 7.423"},
    {"W6", "0.600 14.700 2.940 1.400 0.150 20.580 0.441"},
    {"W7", "0.150 3.675 0.735 1.067 0.350 3.920 0.257"},
    {"W10", "3.200 62.720 12.544 1.733 1.417 108.715 17.771"},
    {"W11", "3.050 59.780 11.956 1.067 2.483 63.765 29.691"},
    {"stem0",
     "BB N 3.1 43.601 38.109 | 40.0 33.0 40.037 40.56 0.00 40.56 0.01229 0.3559 6.376 92.3 0.881 "
     "255.276 3695.934 13.103 111"},
    {"stem1",
     "BB E 3.1 50.431 46.615 | 40.0 33.0 46.309 40.56 0.00 40.56 0.01229 0.3559 6.376 92.3 0.881 "
     "295.266 4274.914 16.027 111"},
    {"heel.W6", "14.700 1.000 14.700"},
    {"heel.W7", "3.675 0.667 2.450"},
    {"heel.W10", "62.720 1.333 83.627"},
    {"heel.W11", "59.780 0.667 39.853"},
    {"heel.q", "20.000 1.000 20.000"},
    {"heel0",
     "160.875 160.630 129.568 98.319 138.523 -62.311 -22.352 | 45.0 38.0 43.152 40.56 0.00 40.56 "
     "0.01067 0.3366 6.693 105.5 0.888 288.804 4553.717 6.625 111"},
    {"heel1",
     "164.885 172.643 150.571 77.253 132.091 -95.391 -32.794 | 45.0 38.0 66.060 40.56 0.00 40.56 "
     "0.01067 0.3366 6.693 105.5 0.888 442.126 6971.208 9.721 111"},
};

const Digest kInvertedLSlope = {
    {"alpha_deg", "4.3987"},
    {"theta_deg", "8.5308"},
    {"dE_deg", "26.9286"},
    {"Ka", "0.387"},
    {"KaE", "0.563"},
    {"PA", "34.123"},
    {"Pq", "5.803"},
    {"PVA", "8.485"},
    {"PAE", "49.625"},
    {"PHE", "44.244"},
    {"PVE", "22.474"},
    {"cA2", "3.453"},
    {"cA1", "1.762"},
    {"cE2", "5.201"},
    {"SV", "59.774"},
    {"SH", "8.966"},
    {"SVx", "72.857"},
    {"SHy", "8.726"},
    {"xG", "1.219"},
    {"yG", "0.973"},
    {"Q", "1.000"},
    {"V", "60.774"},
    {"H", "39.926"},
    {"Mr", "74.657"},
    {"M", "42.827"},
    {"d", "0.524"},
    {"VE", "82.248"},
    {"HE", "53.210"},
    {"MrE", "115.558"},
    {"ME", "52.970"},
    {"dE", "0.761"},
    {"e", "0.426"},
    {"eE", "0.189"},
    {"Fs", "0.913"},
    {"FsE", "0.927"},
    {"q1", "77.360"},
    {"q2", "0.000"},
    {"q1E", "69.130"},
    {"q2E", "17.447"},
    {"n", "8"},
    {"B6", "0.317 0.633"},
    {"verdicts", "010011"},
    {"parts", "W1,W2,W3,W4,W5,W8,W9,W12"},
    {"W1", "0.360 8.820 1.323 0.600 0.150 5.292 0.198"},
    {"W2", "0.060 1.470 0.221 0.800 0.333 1.176 0.074"},
    {"W3", "0.280 6.860 1.029 1.550 0.200 10.633 0.206"},
    {"W4", "0.910 22.295 3.344 1.500 1.267 33.443 4.236"},
    {"W5", "0.390 9.555 1.433 1.667 2.133 15.925 3.058"},
    {"W8", "0.300 5.880 0.882 0.400 0.500 2.352 0.441"},
    {"W9", "0.246 4.825 0.724 0.810 0.667 3.909 0.482"},
    {"W12", "0.004 0.069 0.010 1.833 3.012 0.127 0.031"},
    {"stem0",
     "BB N 2.6 26.183 27.921 | 70.0 63.0 6.597 40.56 0.00 40.56 0.00644 0.2736 8.045 170.9 0.909 "
     "53.070 1127.474 4.877 111"},
    {"stem1",
     "BB E 2.6 35.853 39.935 | 70.0 63.0 9.033 40.56 0.00 40.56 0.00644 0.2736 8.045 170.9 0.909 "
     "72.670 1543.860 6.975 111"},
    {"toe.W1", "8.820 0.600 5.292"},
    {"toe.W2", "1.470 0.400 0.588"},
    {"toe.W8", "5.880 0.800 4.704"},
    {"toe.W9", "4.704 0.400 1.882"},
    {"toe0",
     "20.874 12.466 18.277 41.519 57.382 29.053 36.508 | 40.0 33.0 26.679 31.04 0.00 31.04 0.00941 "
     "0.3199 6.998 119.0 0.893 186.691 3174.891 12.384 111"},
    {"toe1",
     "20.874 12.466 36.488 41.940 63.371 29.474 42.497 | 40.0 33.0 27.065 31.04 0.00 31.04 0.00941 "
     "0.3199 6.998 119.0 0.893 189.394 3220.861 14.415 111"},
};

struct HandCase {
  const char* name;
  CantileverInputs in;
  const Digest* expected;
};

const std::vector<HandCase>& HandCases() {
  static const std::vector<HandCase> cases = {
      {"StandardInvertedTSI", StandardSI(), &kStandardInvertedTSI},
      {"StandardInvertedTCGS", StandardCGS(), &kStandardInvertedTCGS},
      {"InvertedTSlopeTwoBarsAA", SlopeTwoBarsAA(), &kInvertedTSlopeTwoBarsAA},
      {"LWallVerticalBack", LWallVerticalBack(), &kLWallVerticalBack},
      {"InvertedLSlope", InvertedLSlope(), &kInvertedLSlope},
  };
  return cases;
}

class HandChecked : public testing::TestWithParam<HandCase> {};

TEST_P(HandChecked, EveryPrintedValueAndVerdict) {
  const HandCase& c = GetParam();
  const Digest actual = DigestOf(ComputeCantilever(c.in));
  for (const auto& [key, text] : *c.expected) {
    const auto it = actual.find(key);
    ASSERT_NE(it, actual.end()) << key;
    EXPECT_EQ(it->second, text) << key;
  }
  // Nothing computed that the expectation does not list (a slab or a part too many).
  for (const auto& [key, text] : actual) EXPECT_TRUE(c.expected->count(key)) << key;
}

INSTANTIATE_TEST_SUITE_P(Shapes, HandChecked, testing::ValuesIn(HandCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// δE and KaE of a vertical back face under a level backfill, by pocket calculator: φ 30°,
// θ = atan 0.2 = 11.310°, Δ = asin(sin θ / sin φ) = 23.093°, u = θ + Δ = 34.403°,
// tan δE = 0.5 · sin u / (1 − 0.5 · cos u) = 0.48090, δE = 25.683°, and Mononobe–Okabe with α = β =
// 0 gives KaE = cos²(φ − θ) / (cos θ · cos(δE + θ) · [1 + √(sin(φ + δE) sin(φ − θ) / cos(δE +
// θ))]²) = 0.46148.
TEST(CantileverEarthPressure, SeismicFrictionAndCoefficientOfAVerticalBackByHand) {
  const CantileverResults r = ComputeCantilever(LWallVerticalBack());
  EXPECT_EQ(r.angles.alpha, 0.0f);
  EXPECT_NEAR(r.earth.theta_deg, 11.3099, 1e-4);
  EXPECT_NEAR(r.earth.delta_e_deg, 25.6828, 1e-3);
  EXPECT_NEAR(r.earth.kae, 0.46148, 2e-5);
  // With kh = 0 there is no seismic angle, and δE = atan(sin φ sin 0 / …) = 0.
  EXPECT_EQ(SeismicWallFriction(0, 0, DegToRad(30)), 0.0f);
}

TEST(CantileverEarthPressure, FailedCoefficientsAreFlagsNotMessages) {
  EXPECT_FALSE(FindCoefficientFailures(StandardSI()).ka);
  EXPECT_FALSE(FindCoefficientFailures(StandardSI()).kae);
  CantileverInputs in = StandardSI();
  in.shape.beta = 40;  // β > φ: the root in Ka is negative, and δE is undefined too
  EXPECT_TRUE(FindCoefficientFailures(in).ka);
  EXPECT_FALSE(FindCoefficientFailures(in).kae);
}

// Without inertia forces (kh = 0) yG has no weight to sit under: it reads 0, HE is the seismic
// thrust alone and the stem's seismic moment is the thrust's.
TEST(CantileverSeismic, ZeroSeismicCoefficientLeavesOnlyTheThrust) {
  CantileverInputs in = StandardSI();
  in.kh = 0;
  const CantileverResults r = ComputeCantilever(in);
  EXPECT_EQ(r.parts.sum_h, 0.0f);
  EXPECT_EQ(r.parts.yg, 0.0f);
  EXPECT_EQ(r.stability.h_e, r.earth.phe);
  const StemCase& bb = r.stem_cases[1];
  ASSERT_TRUE(bb.seismic);
  const double h = bb.h;
  EXPECT_EQ(P(bb.m), P(static_cast<float>(r.stem_pressure.ce2 * h * h * h / 3)));
  EXPECT_EQ(P(bb.s), P(static_cast<float>(r.stem_pressure.ce2 * h * h)));
}

TEST(CantileverShapes, StemOnASlabWithoutToeOrHeel) {
  CantileverInputs in = StandardSI();
  in.shape = Shape(0.3f, 0.4f, 0.9f, 0, 0, 3.0f, 0.3f, 0.5f, 0.4f, 0.5f, 0.4f, 10);
  const CantileverResults r = ComputeCantilever(in);
  EXPECT_EQ(DigestOf(r)["parts"], "W3,W4,W5,W12");
  EXPECT_FALSE(r.has_toe);
  EXPECT_FALSE(r.has_heel);
  EXPECT_FLOAT_EQ(r.stability.b, 0.9f);
  EXPECT_EQ(r.stem_case_count, 2);
}

// ---- limits: equality is ＮＧ ------------------------------------------------------------

TEST(CantileverLimits, SectionStressesAtTheirAllowablesFail) {
  const CantileverResults r = ComputeCantilever(StandardSI());
  const SectionCheck& base = r.stem_cases[0].check;
  auto check = [&](float ca, float sa, float ta, bool seismic) {
    return CheckRectangularSection("Ｂ－Ｂ´", seismic, false, r.stem_cases[0].m, r.stem_cases[0].s,
                                   base.d_total, 7, 1, {kD25, 125}, {kNone, 0}, r.n, {ca, sa, ta});
  };
  const SectionCheck at = check(base.sigma_c, base.sigma_s, base.tau, false);
  EXPECT_FALSE(at.sigma_c_check.ok);
  EXPECT_FALSE(at.sigma_s_check.ok);
  EXPECT_FALSE(at.tau_check.ok);
  const SectionCheck above =
      check(std::nextafter(base.sigma_c, 1e9f), std::nextafter(base.sigma_s, 1e9f),
            std::nextafter(base.tau, 1e9f), false);
  EXPECT_TRUE(above.sigma_c_check.ok);
  EXPECT_TRUE(above.sigma_s_check.ok);
  EXPECT_TRUE(above.tau_check.ok);
  // Seismic allowables are 1.5 times the normal ones.
  const SectionCheck seismic = check(800, 18000, 39, true);
  EXPECT_EQ(seismic.sigma_ca, 1200.0f);
  EXPECT_EQ(seismic.sigma_sa, 27000.0f);
  EXPECT_EQ(seismic.tau_a, 58.5f);
  // Slabs are checked with the magnitudes; the stem with its signed values.
  const SectionCheck slab = CheckRectangularSection("Ｄ－Ｄ´", false, true, -10, -5, 60, 7, 1,
                                                    {kD25, 125}, {kNone, 0}, 8, {800, 18000, 39});
  const SectionCheck slab_pos = CheckRectangularSection(
      "Ｄ－Ｄ´", false, true, 10, 5, 60, 7, 1, {kD25, 125}, {kNone, 0}, 8, {800, 18000, 39});
  EXPECT_EQ(slab.sigma_c, slab_pos.sigma_c);
  EXPECT_EQ(slab.tau, slab_pos.tau);
  EXPECT_GT(slab.sigma_c, 0);
}

// A wall reduced to round numbers: B = 3 m, W = 10 at xG, PA = 5 at H/3 = 1 m, tanφB 0.6.
CantileverStability RoundStability(float xg, float fsa, float qa, float pq = 0) {
  CantileverInputs in;
  in.shape.t01 = 3;
  in.shape.h = 3;
  in.tan_phi_b = 0.6f;
  in.fsa = in.fsa_e = fsa;
  in.qa = in.qa_e = qa;
  CantileverPartTable parts;
  parts.sum_v = 10;
  parts.sum_vx = 10 * xg;
  parts.xg = xg;
  StabilityEarthPressure earth;
  earth.pa = 5;
  earth.pq = pq;
  earth.phe = 5;
  return ComputeCantileverStability(parts, earth, in);
}

TEST(CantileverLimits, StabilityAtItsLimits) {
  // xG 1.5: d = (15 − 5) / 10 = 1 = B/2 − B/6, so e = B/6 exactly, q2 = 0, Fs = 1.2.
  const CantileverStability at = RoundStability(1.5f, 1.2f, 20.0f / 3);
  EXPECT_EQ(at.e, 0.5f);
  EXPECT_FALSE(at.overturning.ok);  // B/6 > e is false: "≦"
  EXPECT_TRUE(at.overturning_e.ok);
  EXPECT_EQ(at.fs, 1.2f);
  EXPECT_FALSE(at.sliding.ok);
  EXPECT_EQ(at.q2, 0.0f);
  EXPECT_EQ(at.q1, 20.0f / 3);
  EXPECT_FALSE((at.bearing_q1.ok && at.bearing_q2.ok));
  const CantileverStability below =
      RoundStability(1.5f, std::nextafter(1.2f, 0.0f), std::nextafter(20.0f / 3, 100.0f));
  EXPECT_TRUE(below.sliding.ok);
  EXPECT_TRUE((below.bearing_q1.ok && below.bearing_q2.ok));
  // A resultant behind the middle at e = −B/6: |e| is compared, so it fails as at +B/6, and the
  // heel pressure is the larger one.
  const CantileverStability behind = RoundStability(2.5f, 1.2f, 100);
  EXPECT_EQ(behind.e, -0.5f);
  EXPECT_FALSE(behind.overturning.ok);
  EXPECT_FALSE(behind.reaction.triangular);
  EXPECT_EQ(behind.q1, 0.0f);
  EXPECT_EQ(behind.q2, 20.0f / 3);
  // Beyond the middle third, on either side, the triangle from the pressed edge:
  // xG 1.0: d = 0.5, e = 1 (toe), q1 = 2·10/(3·0.5) = 13.333, q2 = 0 (the trapezoid would give
  // 10 and −3.333); xG 3.0: d = 2.5, e = −1 (heel), B − d = 0.5, q2 = 13.333, q1 = 0.
  struct Case {
    float xg;
    bool toe;
  };
  for (const Case c : {Case{1.0f, true}, Case{3.0f, false}}) {
    SCOPED_TRACE(c.xg);
    const CantileverStability st = RoundStability(c.xg, 1.2f, 100);
    EXPECT_TRUE(st.reaction.triangular);
    EXPECT_EQ(st.reaction.toe_pressed, c.toe);
    EXPECT_EQ(st.reaction.d_edge, 0.5f);
    EXPECT_EQ(c.toe ? st.q1 : st.q2, static_cast<float>(20.0 / 1.5));
    EXPECT_EQ(c.toe ? st.q2 : st.q1, 0.0f);
    EXPECT_FALSE(st.overturning.ok);
    EXPECT_TRUE(st.bearing_q1.ok && st.bearing_q2.ok);
    // The triangle reaches 3·d′ = 1.5 m: half way its pressure is half the edge value.
    EXPECT_NEAR(st.reaction.At(c.toe ? 0.75 : 2.25), 20.0 / 3, 1e-5);
    EXPECT_EQ(st.reaction.At(c.toe ? 2.0 : 1.0), 0.0);
  }
}

// ---- undefined calculations -----------------------------------------------------------------

TEST(CantileverUndefined, EndsWithAMessageNamingTheCause) {
  struct Case {
    const char* name;
    CantileverInputs in;
    const char* cause;
  };
  auto with = [](auto change) {
    CantileverInputs in = StandardSI();
    change(in);
    return in;
  };
  const Case cases[] = {
      {"no stem height", with([](CantileverInputs& i) { i.shape.h = i.shape.d01; }), "H−D1"},
      {"heel slab up to the crest", with([](CantileverInputs& i) { i.shape.d03 = i.shape.h; }),
       "H−D3"},
      {"stem without base width", with([](CantileverInputs& i) { i.shape.t02 = -0.97f; }),
       "基部の幅"},
      {"negative toe", with([](CantileverInputs& i) { i.shape.l00 = -0.1f; }), "L1が負"},
      {"Es zero", with([](CantileverInputs& i) { i.es = 0; }), "Esが0以下"},
      {"Es negative", with([](CantileverInputs& i) { i.es = -1; }), "Esが0以下"},
      {"Ec zero", with([](CantileverInputs& i) { i.ec = 0; }), "Ecが0以下"},
      {"beta plus theta reaches phi", with([](CantileverInputs& i) { i.shape.beta = 24; }),
       "δEが定まりません"},
      {"cover as thick as the stem", with([](CantileverInputs& i) { i.dt0 = 60; }),
       "Ｂ－Ｂ´の有効高さd"},
      {"cover as thick as the slab", with([](CantileverInputs& i) { i.dt1 = 61; }),
       "Ｃ－Ｃ´の有効高さd"},
      {"spacing zero", with([](CantileverInputs& i) { i.bars[2].ctc = 0; }),
       "Ｂ－Ｂ´の配筋1の間隔"},
      {"second arrangement without spacing", with([](CantileverInputs& i) {
         i.bars[7] = {kD13, 0};
       }),
       "Ｄ－Ｄ´の配筋2の間隔"},
      {"bar size outside the catalogue", with([](CantileverInputs& i) { i.bars[4].size = 14; }),
       "Ｃ－Ｃ´の配筋1の鉄筋径"},
      {"bar type outside the catalogue", with([](CantileverInputs& i) { i.bar_kind = 2; }),
       "種類または強度"},
      {"grade outside the type", with([](CantileverInputs& i) { i.bar_kind = 0; }),
       "種類または強度"},
      {"A-A' at the crest",
       with([](CantileverInputs& i) { i.design_section_aa = true, i.h_aa = 0; }), "Ａ－Ａ´"},
      {"A-A' below the stem",
       with([](CantileverInputs& i) { i.design_section_aa = true, i.h_aa = 5.8f; }), "Ａ－Ａ´"},
      {"no weight", with([](CantileverInputs& i) { i.gamma_c = 0, i.gamma = 0; }), "ΣVが0"},
      {"no horizontal force", with([](CantileverInputs& i) { i.gamma = 0, i.q = 0; }),
       "水平力Hが0"},
      {"no seismic horizontal force", with([](CantileverInputs& i) { i.gamma = 0, i.kh = 0; }),
       "水平力HEが0"},
      {"NaN input", with([](CantileverInputs& i) { i.tau_a = std::nanf(""); }), "τa"},
      {"infinite input", with([](CantileverInputs& i) { i.qa_e = INFINITY; }), "qaE"},
      {"overflowing weight", with([](CantileverInputs& i) { i.gamma_c = 3e38f; }), "数値として"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      ComputeCantilever(c.in);
      ADD_FAILURE() << "no error";
    } catch (const CalculationError& e) {
      const std::string what = e.what();
      EXPECT_EQ(what.rfind("逆T形擁壁の計算ができません：", 0), 0u) << what;
      EXPECT_NE(what.find(c.cause), std::string::npos) << what;
      EXPECT_EQ(what.find("inf"), std::string::npos) << what;
      EXPECT_EQ(what.find("nan"), std::string::npos) << what;
    }
  }
  // Bars of sections that are not designed are not looked at.
  CantileverInputs in = StandardSI();
  in.bars[0] = {99, 0};
  in.shape.l00 = 0;
  in.bars[4] = {99, 0};
  EXPECT_NO_THROW(ComputeCantilever(in));
}

// ---- random walls -----------------------------------------------------------------------------

bool FiniteEverywhere(const CantileverResults& r) {
  for (const auto& [key, text] : DigestOf(r)) {
    if (text.find("Inf") != std::string::npos || text.find("NaN") != std::string::npos ||
        text.find("inf") != std::string::npos || text.find("nan") != std::string::npos) {
      return false;
    }
  }
  return true;
}

void ExpectSectionAgrees(const SectionCheck& c, bool seismic, float ca, float sa, float ta) {
  EXPECT_EQ(c.sigma_ca, static_cast<float>(ca * (seismic ? 1.5 : 1.0)));
  EXPECT_EQ(c.sigma_sa, static_cast<float>(sa * (seismic ? 1.5 : 1.0)));
  EXPECT_EQ(c.tau_a, static_cast<float>(ta * (seismic ? 1.5 : 1.0)));
  EXPECT_EQ(c.sigma_c_check.ok, c.sigma_c < c.sigma_ca);
  EXPECT_EQ(c.sigma_s_check.ok, c.sigma_s < c.sigma_sa);
  EXPECT_EQ(c.tau_check.ok, c.tau < c.tau_a);
  EXPECT_EQ(c.bar2.present, c.bar2.as > 0);
  EXPECT_EQ(P(c.as, 2), P(static_cast<float>(static_cast<double>(c.bar1.as) + c.bar2.as), 2));
}

TEST(CantileverRandomWalls, FiniteWithPrintedTotalsAndConsistentVerdicts) {
  std::mt19937 rng(20240401);
  auto uni = [&](double lo, double hi) {
    return static_cast<float>(std::uniform_real_distribution<double>(lo, hi)(rng));
  };
  auto coin = [&] { return std::uniform_int_distribution<int>(0, 1)(rng) == 1; };
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  int walls = 0;
  for (int i = 0; i < 2000; ++i) {
    const bool si = i % 2 == 0;
    const float force = si ? 9.80665f : 1.0f;  // t → kN
    const float stress = si ? 10.0f : 100.0f;  // N/mm2 ×100 or kg/cm2
    CantileverInputs in;
    in.is_si = si;
    in.gamma_c = si ? uni(23, 25) : uni(2.3, 2.5);
    in.sigma_ck = 24 * stress;
    in.sigma_ca = uni(6, 10) * stress;
    in.tau_a = uni(0.3, 0.5) * stress;
    in.ec = uni(20000, 30000) * stress;
    in.es = 200000 * stress;
    in.gamma = uni(1.6, 2.1) * force;
    in.phi = uni(25, 40);
    in.q = coin() ? 0 : uni(0, 2) * force;
    in.kh = uni(0.05, 0.3);
    in.tan_phi_b = uni(0.4, 0.7);
    in.qa = uni(10, 40) * force;
    in.qa_e = in.qa * 1.5f;
    in.fsa = 1.5f;
    in.fsa_e = 1.2f;
    in.bar_kind = pick(0, 1);
    in.bar_grade = pick(0, 1);
    in.sigma_sa = uni(140, 200) * stress;
    in.sigma_sa_t = uni(140, 200) * stress;
    in.dt0 = uni(5, 10);
    in.dt1 = uni(5, 10);
    const int sizes = static_cast<int>(BarSizes(in.bar_kind).size());
    for (int p = 0; p < 8; ++p) {
      in.bars[p].size = p % 2 == 1 && coin() ? -1 : pick(0, sizes - 1);
      in.bars[p].ctc = pick(100, 300);
    }
    const float t1 = coin() ? 0 : uni(0, 0.8), t2 = uni(0.25, 0.6);
    const float l2 = uni(t2 + 0.01, t1 + t2 + 0.5);  // back batter of either sign
    const float h = uni(2, 10), d1 = uni(0.3, 1.0);
    const float d0 = uni(0.1, std::min(1.5, h - d1 - 0.2));
    const float l1 = pick(0, 3) == 0 ? 0 : uni(0.3, 2.5);
    const float l3 = pick(0, 3) == 0 ? 0 : uni(0.5, 4.0);
    const float theta_deg = static_cast<float>(std::atan(in.kh) * 180 / 3.14159265358979);
    const float beta = coin() ? 0 : uni(0, in.phi - theta_deg - 1);
    in.shape = Shape(t1, t2, l2, l1, l3, h, d0, d1, uni(0.2, d1), d1, uni(0.2, d1), beta);
    in.design_section_aa = coin();
    in.h_aa = uni(0.1, h - d1);
    CantileverResults r;
    try {
      r = ComputeCantilever(in);
    } catch (const CalculationError& e) {
      ADD_FAILURE() << "wall " << i << ": " << e.what();
      continue;
    }
    ++walls;
    SCOPED_TRACE(testing::Message() << "wall " << i);
    ASSERT_TRUE(FiniteEverywhere(r));
    // Part totals are the sums of the printed cells.
    const CantileverPartTable& t = r.parts;
    double sv = 0, sh = 0, svx = 0, shy = 0;
    for (int k = 0; k < t.count; ++k) {
      sv += ReadNumber(P(t.rows[k].v));
      sh += ReadNumber(P(t.rows[k].h));
      svx += ReadNumber(P(t.rows[k].vx));
      shy += ReadNumber(P(t.rows[k].hy));
    }
    ASSERT_EQ(P(t.sum_v), P(static_cast<float>(sv)));
    ASSERT_EQ(P(t.sum_h), P(static_cast<float>(sh)));
    ASSERT_EQ(P(t.sum_vx), P(static_cast<float>(svx)));
    ASSERT_EQ(P(t.sum_hy), P(static_cast<float>(shy)));
    for (const SlabTable* slab : {&r.toe_table, &r.heel_table}) {
      double sw = 0, mw = 0;
      for (int k = 0; k < slab->count; ++k) {
        sw += ReadNumber(P(slab->rows[k].sw));
        mw += ReadNumber(P(slab->rows[k].mw));
      }
      ASSERT_EQ(P(slab->sum_sw), P(static_cast<float>(sw)));
      ASSERT_EQ(P(slab->sum_mw), P(static_cast<float>(mw)));
    }
    // Verdicts agree with the values they judge.
    const CantileverStability& s = r.stability;
    ASSERT_EQ(s.overturning.ok, s.b6 > std::fabs(s.e));
    ASSERT_EQ(s.overturning_e.ok, s.b3 > std::fabs(s.e_e));
    // No ground pressure pulls; each case's reaction carries its V at its d from the toe.
    const struct {
      const GroundReaction* reaction;
      float v, d, e, q1, q2;
    } reactions[] = {{&s.reaction, s.v, s.d, s.e, s.q1, s.q2},
                     {&s.reaction_e, s.v_e, s.d_e, s.e_e, s.q1_e, s.q2_e}};
    for (const auto& c : reactions) {
      ASSERT_GE(c.q1, 0);
      ASSERT_GE(c.q2, 0);
      ASSERT_EQ(c.reaction->triangular, std::fabs(c.e) > s.b6);
      ASSERT_EQ(c.reaction->outside, c.d <= 0 || c.d >= s.b);
      if (c.reaction->outside) continue;  // it overturns: no reaction, the bearing fails
      const GroundReaction::Load all = c.reaction->Over(0, s.b, 0);
      ASSERT_NEAR(all.force, c.v, 1e-4 * c.v);
      ASSERT_NEAR(all.moment, double(c.v) * c.d, 1e-4 * c.v * s.b);
    }
    ASSERT_EQ(s.sliding.ok, s.fs > in.fsa);
    ASSERT_EQ(s.sliding_e.ok, s.fs_e > in.fsa_e);
    ASSERT_EQ(s.bearing_q1.ok && s.bearing_q2.ok,
              s.q1 < in.qa && s.q2 < in.qa && !s.reaction.outside);
    ASSERT_EQ(s.bearing_q1_e.ok && s.bearing_q2_e.ok,
              s.q1_e < in.qa_e && s.q2_e < in.qa_e && !s.reaction_e.outside);
    ASSERT_EQ(r.stem_case_count, in.design_section_aa ? 4 : 2);
    for (int k = 0; k < r.stem_case_count; ++k) {
      const StemCase& c = r.stem_cases[k];
      ExpectSectionAgrees(c.check, c.seismic, in.sigma_ca, in.sigma_sa, in.tau_a);
    }
    ASSERT_EQ(r.has_toe, l1 != 0);
    ASSERT_EQ(r.has_heel, l3 != 0);
    for (int k = 0; k < 2; ++k) {
      for (const SlabCase* c :
           {r.has_toe ? &r.toe[k] : nullptr, r.has_heel ? &r.heel[k] : nullptr}) {
        if (c == nullptr) continue;
        ASSERT_EQ(c->seismic, k == 1);
        ASSERT_EQ(c->upper_tension, c->m < 0);
        ExpectSectionAgrees(c->check, c->seismic, in.sigma_ca, in.sigma_sa_t, in.tau_a);
      }
    }
    if (HasFailure()) break;
  }
  EXPECT_EQ(walls, 2000);
}

}  // namespace
}  // namespace ktv
