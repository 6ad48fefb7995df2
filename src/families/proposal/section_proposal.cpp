#include "families/proposal/section_proposal.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <mutex>
#include <span>
#include <stdexcept>
#include <thread>

#include "app/units.h"
#include "families/cantilever/cantilever_checks.h"
#include "families/cantilever/cantilever_reader.h"
#include "families/cantilever/cantilever_window.h"
#include "families/gravity/gravity_checks.h"
#include "families/gravity/gravity_reader.h"
#include "families/gravity/gravity_window.h"
#include "families/leaning/leaning_checks.h"
#include "families/leaning/leaning_reader.h"
#include "families/leaning/leaning_window.h"

namespace ktv {
namespace {

// Unit weight of reinforcing steel, t/m³.
constexpr double kSteelDensity = 7.85;

// The checks of a family's table that a section computed, each with its verdict; index i of the
// table is check i of every section of the family.
struct Verdicts {
  std::vector<signed char> state;  // -1 absent, 0 ＮＧ, 1 ＯＫ
};

template <typename Results, size_t N>
bool CollectChecks(const std::array<CheckEntry<Results>, N>& table, const Results& r,
                   Verdicts* verdicts) {
  bool all = true;
  if (verdicts) verdicts->state.assign(N, -1);
  for (size_t i = 0; i < N; ++i) {
    const CheckValue* c = table[i].of(r);
    if (!c) continue;
    all = all && c->ok;
    if (verdicts) verdicts->state[i] = c->ok ? 1 : 0;
  }
  return all;
}

template <typename Results, size_t N>
std::vector<std::string> CheckNames(const std::array<CheckEntry<Results>, N>& table) {
  std::vector<std::string> names;
  for (const CheckEntry<Results>& e : table) {
    std::string name(e.item);
    if (!e.section.empty()) name = std::string(e.section) + " " + name;
    if (e.load_case == CheckCase::Seismic) name += "（地震時）";
    names.push_back(name + " (" + std::string(e.key) + ")");
  }
  return names;
}

std::vector<std::string> FamilyCheckNames(WallFamily family) {
  switch (family) {
    case WallFamily::Gravity:
      return CheckNames(kGravityChecks);
    case WallFamily::Leaning:
      return CheckNames(kLeaningChecks);
    case WallFamily::Cantilever:
      break;
  }
  return CheckNames(kCantileverChecks);
}

const FamilyWindow& WindowOf(WallFamily family) {
  switch (family) {
    case WallFamily::Gravity:
      return GravityWindow();
    case WallFamily::Leaning:
      return LeaningWindow();
    case WallFamily::Cantilever:
      break;
  }
  return CantileverWindow();
}

// The steel of a section, t per metre run: its bars' area over the length of the member.
double SteelOf(const SectionCheck& c, double length_m) {
  const double as_cm2 = (c.bar1.present ? c.bar1.as : 0) + (c.bar2.present ? c.bar2.as : 0);
  return as_cm2 * 1e-4 * std::max(length_m, 0.0) * kSteelDensity;
}

// The cantilever wall's steel: the stem bars of A-A′ over the stem above it and those of B-B′
// over the rest of the stem, the toe's over the toe and the heel's over the heel, each member's
// bars of the normal case (the same bars carry the seismic case).
double CantileverSteel(const CantileverInputs& in, const CantileverResults& r) {
  const CantileverShape& s = in.shape;
  const double stem = s.h - s.d01;
  const double base_of_stem = s.t00 + s.t01 + std::max(s.t02, 0.0f);
  double steel = 0;
  bool has_aa = false;
  for (int i = 0; i < r.stem_case_count; ++i) {
    if (r.stem_cases[i].section == StemSection::kAA && !r.stem_cases[i].seismic) has_aa = true;
  }
  for (int i = 0; i < r.stem_case_count; ++i) {
    const StemCase& c = r.stem_cases[i];
    if (c.seismic) continue;
    const double length = c.section == StemSection::kAA ? in.h_aa : has_aa ? stem - in.h_aa : stem;
    steel += SteelOf(c.check, length);
  }
  if (r.has_toe) steel += SteelOf(r.toe[0].check, s.l00 + base_of_stem);
  if (r.has_heel) steel += SteelOf(r.heel[0].check, s.l01 + base_of_stem);
  return steel;
}

// Computes one section; verdicts, when given, receive each check's state.
SectionMeasure Measure(const ProjectData& data, WallFamily family, const ProposalWeights& w,
                       Verdicts* verdicts) {
  SectionMeasure m;
  if (verdicts) verdicts->state.clear();
  try {
    const int code = CodeOf(family);
    if (!data.shapes[code]) throw std::invalid_argument("no shape of the wall family");
    if (const DimensionCheck check = WindowOf(family).dimensions) {
      if (std::optional<std::string> message = check(DimensionsOf(*data.shapes[code]))) {
        m.message = *message;
        return m;
      }
    }
    switch (family) {
      case WallFamily::Gravity: {
        const GravityResults r = ComputeGravity(GravityInputsOf(data)).results;
        m.passes = CollectChecks(kGravityChecks, r, verdicts);
        for (int i = 0; i < r.self_weight.count; ++i) m.concrete += r.self_weight.rows[i].a;
        break;
      }
      case WallFamily::Leaning: {
        const LeaningCalculation c = ComputeLeaning(LeaningInputsOf(data));
        m.passes = CollectChecks(kLeaningChecks, c, verdicts);
        for (const LeaningWeightRow& row : c.stability.rows) m.concrete += row.a;
        break;
      }
      case WallFamily::Cantilever: {
        const bool aa = data.rebar && data.rebar->design_section_aa;
        const CantileverInputs in = CantileverInputsOf(data, aa);
        const CantileverResults r = ComputeCantilever(in);
        m.passes = CollectChecks(kCantileverChecks, r, verdicts);
        // W1–W7 are the concrete parts; the others are soil.
        for (int i = 0; i < r.parts.count; ++i) {
          const std::string_view name = r.parts.rows[i].name;
          if (name.size() == 2 && name[0] == 'W' && name[1] >= '1' && name[1] <= '7') {
            m.concrete += r.parts.rows[i].a;
          }
        }
        m.steel = CantileverSteel(in, r);
        break;
      }
    }
    m.objective = w.concrete * m.concrete + w.steel * m.steel;
    m.computed = std::isfinite(m.objective);
    if (!m.computed) {
      m.passes = false;
      m.message = "目的関数が計算できません。";
    }
  } catch (const std::exception& e) {
    m = SectionMeasure{};
    m.message = e.what();
    if (verdicts) verdicts->state.clear();
  }
  return m;
}

// Where a name lies: a float of the shape row (metres, from millimetres) or an int16 of the bars.
struct FieldRef {
  float* metres = nullptr;
  int16_t* integer = nullptr;
};

FieldRef FindField(ProjectData& data, const std::string& name) {
  FieldRef f;
  const int code = CodeOf(StoredWallFamily(data));
  ShapeRow* shape = data.shapes[code] ? &*data.shapes[code] : nullptr;
  auto index = [&](const std::string& prefix, int count) -> int {
    if (name.size() != prefix.size() + (count > 9 ? 2 : 1) || name.rfind(prefix, 0) != 0) {
      return -1;
    }
    const std::string digits = name.substr(prefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      return -1;
    }
    const int i = std::stoi(digits);
    return i < count ? i : -1;
  };
  if (shape) {
    if (name == "B") f.metres = &shape->b;
    if (name.size() == 2 && name[0] == 'T' && name[1] >= '1' && name[1] <= '3') {
      f.metres = &shape->t[name[1] - '1'];
    }
    if (name.size() == 2 && name[0] == 'L' && name[1] >= '1' && name[1] <= '3') {
      f.metres = &shape->l[name[1] - '1'];
    }
    if (name.size() == 2 && name[0] == 'D' && name[1] >= '0' && name[1] <= '4') {
      f.metres = &shape->d[name[1] - '0'];
    }
  }
  if (data.rebar && name.size() == 6) {
    if (const int i = index("Size0", 8); i >= 0) f.integer = &data.rebar->size[i];
  }
  if (data.rebar && name.size() == 5) {
    if (const int i = index("ctc0", 8); i >= 0) f.integer = &data.rebar->ctc[i];
  }
  return f;
}

struct Best {
  bool found = false;
  double objective = 0;
  double distance = 0;
  int64_t index = -1;

  // The better of two: the least objective, then the nearest, then the first point.
  bool Beats(const Best& o) const {
    if (!found) return false;
    if (!o.found) return true;
    if (objective != o.objective) return objective < o.objective;
    if (distance != o.distance) return distance < o.distance;
    return index < o.index;
  }
};

}  // namespace

int GridAxis::Count() const {
  if (!(step > 0) || !(hi >= lo) || !std::isfinite(lo) || !std::isfinite(hi)) return 0;
  // A bound reached up to rounding is on the grid.
  return static_cast<int>(std::floor((hi - lo) / step + 1e-9)) + 1;
}

std::optional<double> FieldValue(const ProjectData& data, const std::string& name) {
  ProjectData copy = data;
  const FieldRef f = FindField(copy, name);
  if (f.metres) return static_cast<double>(MillimetresOf(*f.metres));
  if (f.integer) return static_cast<double>(*f.integer);
  return std::nullopt;
}

bool SetField(ProjectData& data, const std::string& name, double value) {
  const FieldRef f = FindField(data, name);
  if (f.metres) {
    *f.metres = MetresOf(static_cast<float>(value));
    return true;
  }
  if (f.integer) {
    *f.integer = static_cast<int16_t>(std::lround(value));
    return true;
  }
  return false;
}

SectionMeasure MeasureSection(const ProjectData& data, const ProposalWeights& weights) {
  WallFamily family;
  try {
    family = StoredWallFamily(data);
  } catch (const std::exception& e) {
    SectionMeasure m;
    m.message = e.what();
    return m;
  }
  return Measure(data, family, weights, nullptr);
}

std::vector<GridAxis> DefaultAxes(const ProjectData& data) {
  const WallFamily family = StoredWallFamily(data);
  const FamilyBoxes& boxes = WindowOf(family).boxes;
  std::vector<std::string> names = {"T1", "T2"};
  if (boxes.t3) names.push_back("T3");
  if (boxes.l1) names.push_back("L1");
  if (boxes.l2_l3) names.insert(names.end(), {"L2", "L3"});
  if (boxes.d1) names.push_back("D1");
  if (boxes.d0_d2_d4) names.insert(names.end(), {"D2", "D4"});
  if (boxes.b) names.push_back("B");
  std::vector<GridAxis> axes;
  for (const std::string& name : names) {
    const std::optional<double> v = FieldValue(data, name);
    if (!v || !(*v > 0)) continue;
    const double step = name[0] == 'D' ? 10 : 50;
    const double lo = std::ceil(*v * 0.5 / step) * step;
    const double hi = std::floor(*v * 1.5 / step) * step;
    if (hi >= lo) axes.push_back({name, lo, hi, step});
  }
  return axes;
}

Proposal ProposeSection(const ProjectData& data, const std::vector<GridAxis>& axes,
                        const ProposalOptions& options) {
  const WallFamily family = StoredWallFamily(data);
  Proposal result;
  result.project = data;
  result.present = Measure(data, family, options.weights, nullptr);

  std::vector<double> present(axes.size());
  int64_t total = 1;
  for (size_t a = 0; a < axes.size(); ++a) {
    const std::optional<double> v = FieldValue(data, axes[a].name);
    if (!v) throw std::invalid_argument("unknown value to vary: " + axes[a].name);
    present[a] = *v;
    const int count = axes[a].Count();
    if (count <= 0) throw std::invalid_argument("no values on the grid of " + axes[a].name);
    if (total > std::numeric_limits<int64_t>::max() / count) {
      throw std::invalid_argument("the grid is too large");
    }
    total *= count;
  }
  result.total = total;

  const size_t check_count = FamilyCheckNames(family).size();
  int threads =
      options.threads > 0 ? options.threads : static_cast<int>(std::thread::hardware_concurrency());
  threads = static_cast<int>(std::clamp<int64_t>(threads, 1, std::max<int64_t>(total, 1)));

  struct Share {
    Best best;
    int64_t tried = 0;
    std::vector<bool> present_somewhere, passed_somewhere;
    bool cancelled = false;
  };
  std::vector<Share> shares(threads);
  std::atomic<int64_t> tried_all{0};
  std::mutex progress_mutex;
  double best_reported = std::numeric_limits<double>::infinity();

  auto search = [&](int t) {
    Share& share = shares[t];
    share.present_somewhere.assign(check_count, false);
    share.passed_somewhere.assign(check_count, false);
    ProjectData candidate = data;
    std::vector<FieldRef> fields;
    for (const GridAxis& axis : axes) fields.push_back(FindField(candidate, axis.name));
    Verdicts verdicts;
    for (int64_t i = t; i < total; i += threads) {
      if (options.cancel && options.cancel->load(std::memory_order_relaxed)) {
        share.cancelled = true;
        break;
      }
      double distance = 0;
      int64_t rest = i;
      for (size_t a = 0; a < axes.size(); ++a) {
        const int count = axes[a].Count();
        const double v = axes[a].Value(static_cast<int>(rest % count));
        rest /= count;
        if (fields[a].metres) *fields[a].metres = MetresOf(static_cast<float>(v));
        if (fields[a].integer) *fields[a].integer = static_cast<int16_t>(std::lround(v));
        const double d = (v - present[a]) / axes[a].step;
        distance += d * d;
      }
      const SectionMeasure m = Measure(candidate, family, options.weights, &verdicts);
      ++share.tried;
      for (size_t c = 0; c < verdicts.state.size(); ++c) {
        if (verdicts.state[c] >= 0) share.present_somewhere[c] = true;
        if (verdicts.state[c] == 1) share.passed_somewhere[c] = true;
      }
      if (m.passes) {
        const Best here{true, m.objective, distance, i};
        if (here.Beats(share.best)) {
          share.best = here;
          if (options.improved) {
            std::lock_guard lock(progress_mutex);
            if (m.objective < best_reported) {
              best_reported = m.objective;
              options.improved(m.objective);
            }
          }
        }
      }
      if (options.progress && (share.tried & 1023) == 0) {
        const int64_t all = tried_all.fetch_add(1024) + 1024;
        std::lock_guard lock(progress_mutex);
        options.progress(all, total);
      }
    }
  };
  if (threads == 1) {
    search(0);
  } else {
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back(search, t);
    for (std::thread& th : pool) th.join();
  }

  Best best;
  std::vector<bool> present_somewhere(check_count, false), passed_somewhere(check_count, false);
  for (const Share& s : shares) {
    if (s.best.Beats(best)) best = s.best;
    result.tried += s.tried;
    result.cancelled = result.cancelled || s.cancelled;
    for (size_t c = 0; c < check_count; ++c) {
      present_somewhere[c] = present_somewhere[c] || s.present_somewhere[c];
      passed_somewhere[c] = passed_somewhere[c] || s.passed_somewhere[c];
    }
  }
  if (options.progress) options.progress(result.tried, total);

  if (best.found) {
    result.found = true;
    int64_t rest = best.index;
    for (size_t a = 0; a < axes.size(); ++a) {
      const int count = axes[a].Count();
      const double v = axes[a].Value(static_cast<int>(rest % count));
      rest /= count;
      result.values.push_back(v);
      SetField(result.project, axes[a].name, v);
    }
    result.proposed = Measure(result.project, family, options.weights, nullptr);
  } else {
    const std::vector<std::string> names = FamilyCheckNames(family);
    for (size_t c = 0; c < check_count; ++c) {
      if (present_somewhere[c] && !passed_somewhere[c])
        result.failing_everywhere.push_back(names[c]);
    }
  }
  return result;
}

}  // namespace ktv
