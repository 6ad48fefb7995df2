#pragma once
// The design assistant: among the sections on a grid of dimensions (and, for the cantilever wall,
// bar sizes and spacings), the one with the least objective for which every check of the family
// passes. Each candidate is the project with the grid's values put in, read by the family's own
// reader and checked by the family's own calculation and check table, so the searched checks are
// the report's. H, the soil, the loads and the allowables are never on the grid.
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "project/project_data.h"

namespace ktv {

// One value that may change, named as the project file names it: "T1".."T3", "L1".."L3",
// "D0".."D4", "B" (millimetres, as the window shows them), "Size00".."Size07" (the stored
// catalogue index of a bar position) and "ctc00".."ctc07" (its spacing, mm). The grid's values
// are lo, lo + step, … up to hi.
struct GridAxis {
  std::string name;
  double lo = 0, hi = 0, step = 0;

  int Count() const;
  double Value(int k) const { return lo + k * step; }
};

// The weights of the objective: concrete in m³ per metre run, steel in t per metre run.
struct ProposalWeights {
  double concrete = 1;
  double steel = 10;
};

struct ProposalOptions {
  ProposalWeights weights;
  int threads = 0;  // 0: every core the machine has
  // Set by another thread to stop the search; the result then holds the best so far.
  const std::atomic<bool>* cancel = nullptr;
  // Called now and then from a searching thread with the candidates tried so far and the total.
  std::function<void(int64_t tried, int64_t total)> progress;
  // Called from a searching thread, one call at a time, with each better objective found.
  std::function<void(double objective)> improved;
};

// One section's measures.
struct SectionMeasure {
  bool computed = false;  // false: the family refuses the section (its message in `message`)
  bool passes = false;    // every check passes
  double concrete = 0;    // m³/m
  double steel = 0;       // t/m (cantilever wall only)
  double objective = 0;
  std::string message;
};

struct Proposal {
  bool found = false;
  bool cancelled = false;
  ProjectData project;         // the proposed project (the input's when none was found)
  std::vector<double> values;  // the proposed value of each axis
  SectionMeasure present, proposed;
  int64_t tried = 0, total = 0;
  // When nothing passes: the checks that fail at every section the family computes.
  std::vector<std::string> failing_everywhere;
};

// The value of a named field of the project (the wall family's shape or the bars), or nothing
// for a name that is not one.
std::optional<double> FieldValue(const ProjectData& data, const std::string& name);
// Puts a value into the named field; false for an unknown name.
bool SetField(ProjectData& data, const std::string& name, double value);

// The measures and the verdict of the project's present section.
SectionMeasure MeasureSection(const ProjectData& data, const ProposalWeights& weights = {});

// The default grid of the family's dimensions: ±50 % of the present value, 50 mm steps for
// widths and lengths, 10 mm for the slab thicknesses; H and the soil depth over the toe stay.
std::vector<GridAxis> DefaultAxes(const ProjectData& data);

// Tries every grid point (on the given number of threads, each a share of the points; the result
// does not depend on their number): the least objective, ties to the point nearest the present
// section (in steps), then to the first point. Throws std::invalid_argument for an unknown name
// or an axis without values.
Proposal ProposeSection(const ProjectData& data, const std::vector<GridAxis>& axes,
                        const ProposalOptions& options = {});

}  // namespace ktv
