#include "input_window/window_inputs.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "app/catalogue.h"
#include "app/format.h"
#include "app/standard_sizes.h"
#include "app/units.h"
#include "earth_pressure/earth_pressure.h"
#include "input_window/number_boxes.h"
#include "project/project_data.h"
#include "project/project_database.h"

namespace ktv {
namespace {

float ToFloat(double v) {
  constexpr double kMax = std::numeric_limits<float>::max();
  if (!std::isfinite(v)) return 0.0f;
  return static_cast<float>(std::clamp(v, -kMax, kMax));
}

float Num(const std::string& text) { return BoxNumber(text); }

std::string F(float v, std::string_view pattern) { return FormatValue(v, pattern); }
// A stored or remembered value as its box shows it: the format, unless that would round it.
std::string Kept(float v, std::string_view pattern) { return KeepingFormat(v, pattern); }

int16_t ToInt16(long long v) {
  return static_cast<int16_t>(std::clamp<long long>(v, std::numeric_limits<int16_t>::min(),
                                                    std::numeric_limits<int16_t>::max()));
}

int16_t RoundToInt16(float v) { return ToInt16(RoundHalfEven(v)); }

// Metres of the database to the millimetres of the page, held within the float range.
float ToMm(float m) { return ToFloat(MillimetresExact(m)); }

// The dimensions the shape boxes hold (millimetres and degrees), without the shear key.
FamilyDimensions BoxDimensions(const WindowInputs& in) {
  FamilyDimensions m;
  for (int i = 0; i < 3; ++i) {
    m.t[i] = Num(in.t[i]);
    m.l[i] = Num(in.l[i]);
  }
  m.h = Num(in.h[0]);
  for (int i = 0; i < 5; ++i) m.d[i] = Num(in.d[i]);
  m.b = Num(in.b);
  m.beta = Num(in.beta);
  return m;
}

int ClampIndex(int v, int count) { return std::clamp(v, 0, std::max(count - 1, 0)); }

// List positions that exist for the bar type.
void ClampBarLists(WindowInputs& in) {
  in.bar_kind = ClampIndex(in.bar_kind, kBarTypeCount);
  in.bar_grade = ClampIndex(in.bar_grade, static_cast<int>(BarGrades(in.bar_kind).size()));
  for (int i = 0; i < 8; ++i) {
    int entries = static_cast<int>(SizeListEntries(in.bar_kind, i).size());
    in.bar_size[i] = ClampIndex(in.bar_size[i], entries);
  }
}

}  // namespace

float BoxNumber(const std::string& text) { return ToFloat(ReadNumber(text)); }

std::string TrimBlanks(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

WindowInputs EmptyWindowInputs() {
  WindowInputs in;
  in.h[1] = "0";
  in.w0 = "0.0";
  in.q1 = in.q2 = "0.0";
  in.t6 = in.l6 = in.bs = "0";
  in.kh = "0.00";
  in.c = "0.0";
  for (auto& n : in.nu) n = "0.0";
  in.ko = "0.00";
  in.qa_normal = in.qa_seismic = in.slide_normal = in.slide_seismic = "0.0";
  in.fc = "0.00";
  in.ec = "0";
  in.sigma_ck = in.sigma_cac = in.sigma_cat = "0.00";
  in.tau_a = "0.00";
  in.gamma_c = "0.00";
  in.es = in.sigma_sa = in.sigma_saT = "0";
  in.dt = {"0.0", "0.0"};
  in.h_aa = "0";
  for (auto& c : in.ctc) c = "0";
  for (int f = 0; f < 3; ++f) in.memory[f] = StandardDimensions(f);
  ShowFamilyMemory(in, WallFamily::Gravity);
  ApplySoilClassDefaults(in);
  return in;
}

WindowInputs LoadWindowInputs(const ProjectData& data, const CoverSettings& cover) {
  WindowInputs in = EmptyWindowInputs();

  // Project page.
  if (const auto& row = data.name) {
    in.project_name = row->cname;
    in.date = TrimBlanks(row->data);
  }
  in.office_name = cover.office_name;
  in.print_project_name = cover.print_project_name;
  in.print_office_name = cover.print_office_name;
  in.print_date = cover.print_date;

  // Unit system and family.
  if (const auto& row = data.unit) {
    // The window knows one other system: any text but the CGS one is SI, and the next write
    // stores the exact SI text that the calculations look for.
    in.si = row->unit != kUnitTextCGS;
  }
  // A code outside the list is refused (UnknownFamilyError), never shown as another family.
  in.family = StoredWallFamily(data);

  // Reinforcement.
  if (const auto& row = data.rebar) {
    in.bar_kind = row->kind;
    in.bar_grade = row->strength;
    for (int i = 0; i < 8; ++i) {
      in.bar_size[i] = row->size[i];
      in.ctc[i] = std::to_string(row->ctc[i]);
    }
    in.sigma_sa = Kept(row->sigma_sa, kFmt0);
    in.sigma_saT = Kept(row->sigma_saT, kFmt0);
    in.es = Kept(row->es, kFmt0);
    in.h_aa = Kept(ToMm(row->hAA), kFmt0);
    in.design_aa = row->design_section_aa;
    in.dt = {Kept(row->dt0, kFmt1), Kept(row->dt1, kFmt1)};
  }
  ClampBarLists(in);

  // Concrete. The allowable stresses keep the two decimals they are entered with, so that
  // reloading a project never changes them.
  if (const auto& row = data.concrete) {
    in.fc = Kept(row->fc, kFmt2);
    in.ec = Kept(row->ec, kFmt0);
    in.sigma_ck = Kept(row->sigma_ck, kFmt2);
    in.sigma_cac = Kept(row->sigma_cac, kFmt2);
    in.sigma_cat = Kept(row->sigma_cat, kFmt2);
    in.gamma_c = Kept(row->gamma_c, kFmt2);
    in.tau_a = Kept(row->tau_a, kFmt2);
  }

  // Soil constants and surcharges.
  if (const auto& row = data.soil) {
    double code = ReadNumber(row->ut_kind);
    int k = static_cast<int>(std::clamp(code, 0.0, 1e6));
    in.soil_class = ClampIndex(SoilClassIndexFromUtKind(k), static_cast<int>(kSoilClasses.size()));
    // γ is entered with two decimals; read back with one, a reload would change the project.
    in.gamma = Kept(row->gamma, kFmt2);
    in.phi = Kept(row->phi, kFmt1);
    in.c = Kept(row->c, kFmt1);
    in.phi_b = Kept(row->phi_b, kFmt1);
    in.q1 = Kept(row->q1, kFmt1);
    in.q2 = Kept(row->q2, kFmt1);
    in.nu = {Kept(row->nu1, kFmt1), Kept(row->nu2, kFmt1), Kept(row->nu3, kFmt1)};
    in.ko = Kept(row->ko, kFmt2);
    in.kh = Kept(row->kh, kFmt2);
  } else {
    in.soil_class = 0;
    ApplySoilClassDefaults(in);  // now with the unit system of the project
  }

  // Stability limits.
  if (const auto& row = data.foundation) {
    in.qa_normal = Kept(row->r00, kFmt1);
    in.slide_normal = Kept(row->r01, kFmt1);
    in.qa_seismic = Kept(row->e00, kFmt1);
    in.slide_seismic = Kept(row->e01, kFmt1);
  }

  // Family memory: the standard sizes, overwritten by every stored shape.
  for (int f = 0; f < 3; ++f) {
    FamilyDimensions m = StandardDimensions(f);
    if (const auto& row = data.shapes[f]) {
      // The file keeps no shear key: the standard one stays.
      const FamilyDimensions stored = DimensionsOf(*row);
      for (int i = 0; i < 3; ++i) {
        m.t[i] = stored.t[i];
        m.l[i] = stored.l[i];
      }
      m.h = stored.h;
      for (int i = 0; i < 5; ++i) m.d[i] = stored.d[i];
      m.b = stored.b;
      m.beta = stored.beta;
    }
    in.memory[f] = m;
  }
  ShowFamilyMemory(in, in.family);
  return in;
}

WindowInputs LoadWindowInputs(const ProjectDatabase& db, const CoverSettings& cover) {
  // The name reader tolerates a damaged table and leaves the fields blank.
  return LoadWindowInputs(ReadProjectData(db, NameTable::Tolerated), cover);
}

ProjectData ProjectDataOf(const WindowInputs& in) {
  const int family = CodeOf(in.family);
  ProjectNameRow name;
  name.cname = TrimBlanks(in.project_name).empty() ? " " : in.project_name;
  name.data = TrimBlanks(in.date).empty() ? " " : in.date;
  name.shape = static_cast<int16_t>(family);

  UnitRow unit;
  unit.unit = std::string(in.si ? kUnitTextSI : kUnitTextCGS);
  unit.kisk = static_cast<int16_t>(family);

  RebarRow rebar;
  rebar.kind = ToInt16(in.bar_kind);
  rebar.strength = ToInt16(in.bar_grade);
  rebar.sigma_sa = Num(in.sigma_sa);
  rebar.sigma_saT = Num(in.sigma_saT);
  rebar.es = Num(in.es);
  rebar.dt0 = Num(in.dt[0]);
  rebar.dt1 = Num(in.dt[1]);
  rebar.hAA = MetresOf(Num(in.h_aa));
  rebar.design_section_aa = in.design_aa;
  for (int i = 0; i < 8; ++i) {
    rebar.size[i] = ToInt16(in.bar_size[i]);
    rebar.ctc[i] = RoundToInt16(Num(in.ctc[i]));
  }

  ConcreteRow concrete{Num(in.fc),        Num(in.ec),    Num(in.sigma_ck), Num(in.sigma_cac),
                       Num(in.sigma_cat), Num(in.tau_a), Num(in.gamma_c)};

  SoilRow soil;
  soil.ut_kind = std::to_string(in.soil_class);  // the internal formula: method code 0
  soil.gamma = Num(in.gamma);
  soil.phi = Num(in.phi);
  soil.c = Num(in.c);
  soil.phi_b = Num(in.phi_b);
  soil.q1 = Num(in.q1);
  soil.q2 = Num(in.q2);
  soil.nu1 = Num(in.nu[0]);
  soil.nu2 = Num(in.nu[1]);
  soil.nu3 = Num(in.nu[2]);
  soil.ko = Num(in.ko);
  soil.kh = Num(in.kh);

  FoundationRow foundation{Num(in.qa_normal), Num(in.slide_normal), Num(in.qa_seismic),
                           Num(in.slide_seismic)};

  ProjectData data;
  data.name = name;
  data.unit = unit;
  data.rebar = rebar;
  data.concrete = concrete;
  data.soil = soil;
  data.foundation = foundation;
  for (int f = 0; f < kWallFamilyCount; ++f) {
    if (f == family) {
      data.shapes[f] = ShapeRowOf(BoxDimensions(in));  // the shown family's boxes, as typed
    } else {
      ShapeRow row = ShapeRowOf(in.memory[f]);
      row.hh = 0.0f;
      row.hl = 0.0f;
      data.shapes[f] = row;
    }
  }
  return data;
}

void WriteWindowInputs(const WindowInputs& in, ProjectDatabase& db) {
  WriteProjectData(ProjectDataOf(in), db);
}

CoverSettings CoverSettingsOf(const WindowInputs& in) {
  return {in.office_name, in.print_project_name, in.print_office_name, in.print_date};
}

void ShowFamilyMemory(WindowInputs& in, WallFamily family) {
  const FamilyDimensions& m = in.memory[CodeOf(family)];
  for (int i = 0; i < 3; ++i) {
    in.t[i] = Kept(m.t[i], kFmt0);
    in.l[i] = Kept(m.l[i], kFmt0);
  }
  in.h[0] = Kept(m.h, kFmt0);
  for (int i = 0; i < 5; ++i) in.d[i] = Kept(m.d[i], kFmt0);
  in.b = Kept(m.b, kFmt0);
  in.beta = Kept(m.beta, kFmt2);
  in.t5 = Kept(m.t[3], kFmt0);
  in.d5 = Kept(m.d[5], kFmt0);
  in.l5 = Kept(m.l[3], kFmt0);
  in.shown_family = family;
}

void SaveShownDimensions(WindowInputs& in) {
  FamilyDimensions& m = in.memory[CodeOf(in.shown_family)];
  m = BoxDimensions(in);
  // The shear key is remembered as well, so that a family switched away and back keeps it.
  m.t[3] = Num(in.t5);
  m.d[5] = Num(in.d5);
  m.l[3] = Num(in.l5);
}

void ChangeWallFamily(WindowInputs& in, WallFamily new_family) {
  if (new_family == WallFamily::Cantilever) {
    // The cantilever defaults fill only boxes that hold nothing yet: what the engineer typed on
    // the design-conditions page stays, whichever family is shown.
    auto fill_unset = [](std::string& text, float value) {
      if (Num(text) == 0.0f) text = F(value, kFmt1);
    };
    fill_unset(in.qa_normal, 0.0f);
    fill_unset(in.qa_seismic, ToFloat(1.5 * Num(in.qa_normal)));
    fill_unset(in.slide_normal, 1.5f);
    fill_unset(in.slide_seismic, 1.2f);
  }
  SaveShownDimensions(in);
  in.family = new_family;
  ShowFamilyMemory(in, new_family);
}

bool SameProject(const WindowInputs& a, const WindowInputs& b) {
  auto shown = [](WindowInputs in) {
    SaveShownDimensions(in);
    std::array<WindowInputs, 3> families;
    for (WallFamily f : kWallFamilies) {
      ShowFamilyMemory(in, f);
      families[CodeOf(f)] = in;
    }
    ShowFamilyMemory(in, in.family);
    for (WindowInputs* x : {&in, &families[0], &families[1], &families[2]}) {
      x->d[3] = x->d[1];
      x->memory = {};
      x->shown_family = WallFamily::Gravity;
      x->sync_draw = true;
    }
    return std::pair{in, families};
  };
  return shown(a) == shown(b);
}

void ResetToStandardSizes(WindowInputs& in) {
  in.memory[CodeOf(in.family)] = StandardDimensions(CodeOf(in.family));
  ShowFamilyMemory(in, in.family);
}

void DeriveConcreteStresses(WindowInputs& in, MessageSink& sink) {
  bool numeric = IsNumberText(in.fc);
  double fc = Num(in.fc);
  double d = in.si ? 0.5 : 5.0;
  double cat = fc / 100.0 + d >= fc / 30.0 ? fc / 30.0 : fc / 100.0 + d;
  // Whole kg/cm2 are the practice in CGS; in SI the stresses are fractions of N/mm2 (σcat of
  // Fc 24 is 0.74), so they keep the two decimals of their boxes.
  std::string_view pattern = in.si ? kFmt2 : kFmt0;
  in.sigma_ck = F(ToFloat(fc), pattern);
  in.sigma_cac = F(ToFloat(fc / 3.0), pattern);
  in.sigma_cat = F(ToFloat(cat), pattern);
  if (!numeric) sink.Inform("Fc の入力値が不正です");
}

void ApplySoilClassDefaults(WindowInputs& in) {
  in.soil_class = ClampIndex(in.soil_class, static_cast<int>(kSoilClasses.size()));
  auto d = SoilClassDefaults(kSoilClasses[in.soil_class].name, in.si);
  if (!d) return;
  in.gamma = d->gamma;
  in.phi = d->phi;
  in.phi_b = d->phi_b;
}

void ConvertEnteredValues(WindowInputs& in) {
  // CGS values are written with every digit they need, so that a switch back to SI gives the
  // values as they were entered; SI values are written in their boxes' display format.
  const double f = in.si ? kNewtonsPerKgf : 1.0 / kNewtonsPerKgf;
  const double g = in.si ? 0.1 : 10.0;
  auto scale = [](std::string& text, double factor, auto write) {
    if (!IsNumberText(text)) return;
    text = write(ToFloat(static_cast<double>(Num(text)) * factor));
  };
  auto fmt = [](std::string_view pattern) {
    return [pattern](float v) { return FormatValue(v, pattern); };
  };
  // Loads: a value that is its SI display form up to the last digit of the CGS text (the rest
  // of a round trip) takes that form; any other keeps the digits the conversion gives.
  auto load = [&](std::string_view si_box, std::string_view si_plain) {
    return [si = in.si, si_box, si_plain](float v) {
      if (!si) return ShortestForm(v);
      std::string boxed = FormatValue(v, si_box);
      double back = ReadNumber(boxed);
      if (std::fabs(back - v) <= 2e-6 * std::fabs(back)) return boxed;
      return si_plain.empty() ? ShortestForm(v) : FormatValue(v, si_plain);
    };
  };
  for (std::string* s : {&in.q1, &in.q2, &in.c, &in.qa_normal, &in.qa_seismic}) {
    scale(*s, f, load(kFmt1, {}));
  }
  scale(in.gamma, f, load(kFmt2, kFmt1));
  // Stresses: one decimal fewer in kg/cm2 than in N/mm2 holds every digit of the SI value.
  auto stress = [&](std::string& s, std::string_view si_pattern, std::string_view cgs_pattern) {
    scale(s, g, fmt(in.si ? si_pattern : cgs_pattern));
  };
  for (std::string* s : {&in.sigma_sa, &in.sigma_saT, &in.es, &in.ec}) stress(*s, kFmt0, kFmt0);
  for (std::string* s : {&in.fc, &in.sigma_ck, &in.sigma_cac, &in.sigma_cat}) {
    stress(*s, kFmt2, kFmt1);
  }
  stress(in.tau_a, kFmt2, kFmt1);
  // γc converts with the factor 10 that the project page states (kN/m3 and t/m3).
  scale(in.gamma_c, 1.0 / g,
        [si = in.si](float v) { return si ? FormatValue(v, kFmt2) : ShortestForm(v); });
}

bool ValidateInputs(const WindowInputs& in, const FamilyWindow& family, MessageSink& sink) {
  const FamilyBoxes& boxes = family.boxes;
  if (boxes.seismic && !(Num(in.kh) > 0.0f)) {
    sink.Inform("水平設計震度khの値が不正です");
    return false;
  }
  if (boxes.reinforcement) {
    for (int i = 0; i < 8; ++i) {
      // A spacing must be positive wherever a bar is chosen; the "  -  " entry of a second
      // arrangement needs none.
      bool bar_chosen = i % 2 == 0 || in.bar_size[i] >= 1;
      if (bar_chosen && !(Num(in.ctc[i]) > 0.0f)) {
        sink.Inform("@の入力値が不正です");
        return false;
      }
    }
    // Both moduli are divided by (n = Es / Ec); the one message names them together.
    if (!(Num(in.ec) > 0.0f) || !(Num(in.es) > 0.0f)) {
      sink.Inform(
          "鉄筋コンクリートのヤング係数に0が入力されています。\r\n"
          "鉄筋コンクリートのヤング係数には0以上の値を入力して下さい。");
      return false;
    }
  }
  const float phi = Num(in.phi);
  if (!(phi > 0.0f && phi < 90.0f)) {
    sink.Inform("内部摩擦角φの入力値が不正です｡φの入力範囲は０ ＜ φ ＜ ９０です｡");
    return false;
  }
  // The kh box is disabled for the families without a seismic case, so their check takes kh = 0.
  float kh = boxes.seismic ? Num(in.kh) : 0.0f;
  if (auto message = CheckSeismicAngle(kh, Num(in.beta), Num(in.phi))) {
    sink.Inform(*message);
    return false;
  }
  if (family.dimensions) {
    if (auto message = family.dimensions(BoxDimensions(in))) {
      sink.Inform(*message);
      return false;
    }
  }
  // Inputs the calculations divide by or check against: a value of 0 or below gives a report
  // of zero weights or a verdict against 0, so it is refused by the name of its box.
  struct Required {
    const std::string* text;
    const char* name;
  };
  std::vector<Required> required = {
      {&in.gamma, "単位重量γ"},
      {&in.qa_normal, "地盤の許容支持力度qa(常時)"},
      {&in.slide_normal, "滑動に対する安全率(常時)"},
  };
  if (boxes.seismic) {
    required.push_back({&in.qa_seismic, "地盤の許容支持力度qa(地震時)"});
    required.push_back({&in.slide_seismic, "滑動に対する安全率(地震時)"});
  }
  required.push_back({&in.gamma_c, "ｺﾝｸﾘｰﾄ単位重量γc"});
  if (boxes.body_allowables_required) {
    required.push_back({&in.sigma_cac, "ｺﾝｸﾘｰﾄ許容圧縮応力度σcac"});
    required.push_back({&in.tau_a, "ｺﾝｸﾘｰﾄ許容せん断応力度τa"});
  }
  if (boxes.reinforcement) {
    required.push_back({&in.sigma_sa, "A-A'配筋1(σsa)"});
    required.push_back({&in.sigma_saT, "C-C'配筋1(σsa)"});
  }
  for (const Required& r : required) {
    if (!(Num(*r.text) > 0.0f)) {
      sink.Inform(std::string(r.name) + "の入力値が不正です");
      return false;
    }
  }
  // A negative surcharge pulls the backfill up and makes the stress checks meaningless; q2 is
  // entered for the cantilever wall only.
  std::vector<Required> surcharges = {{&in.q1, "荷載荷重(上) q1"}};
  if (boxes.q2) surcharges.push_back({&in.q2, "荷載荷重(下) q2"});
  for (const Required& r : surcharges) {
    if (!(Num(*r.text) >= 0.0f)) {
      sink.Inform(std::string(r.name) + "の入力値が不正です");
      return false;
    }
  }
  return true;
}

std::string ApplyFormat(const std::string& text, InputFormat format) {
  switch (format) {
    case InputFormat::None:
      return text;
    case InputFormat::F0:
      return F(Num(text), kFmt0);
    case InputFormat::F1:
      return F(Num(text), kFmt1);
    case InputFormat::F2:
      return F(Num(text), kFmt2);
  }
  return text;
}

std::string ProposedFileName(const std::string& project_name) {
  std::string out = TrimBlanks(project_name);
  for (char& c : out) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' ||
        c == '<' || c == '>' || c == '|') {
      c = '_';
    }
  }
  return out;
}

}  // namespace ktv
