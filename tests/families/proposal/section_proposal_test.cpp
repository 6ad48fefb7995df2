#include "families/proposal/section_proposal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace ktv {
namespace {

ProjectData Standard(const std::string& file) {
  const std::string path = std::string(KTV_DATA_DIR) + "/" + file;
  return ReadProjectData(ProjectDatabase::OpenReadOnly(path));
}

struct GridCase {
  const char* file;
  std::vector<GridAxis> axes;
};

// Small grids of each family, around sections that fail and sections that pass.
const std::vector<GridCase>& Cases() {
  static const std::vector<GridCase> cases = {
      {"gravity/data/standard_gravity_si.mdb", {{"T1", 100, 500, 100}, {"T2", 500, 900, 100}}},
      {"leaning/data/standard_leaning_si.mdb",
       {{"T1", 3000, 4000, 500},
        {"T2", 350, 450, 50},
        {"L1", 850, 1450, 300},
        {"B", 2400, 2800, 400}}},
      {"cantilever/data/standard_cantilever_si.mdb",
       {{"L1", 600, 1200, 200}, {"L3", 2000, 2800, 200}, {"Size06", 4, 6, 1}}},
  };
  return cases;
}

// Every grid point measured on its own, the least objective kept (ties to the nearest point).
struct Brute {
  bool found = false;
  double objective = 0, distance = 0;
  std::vector<double> values;
};

Brute BruteForce(const ProjectData& data, const std::vector<GridAxis>& axes) {
  Brute best;
  std::vector<int> k(axes.size(), 0);
  while (true) {
    ProjectData p = data;
    std::vector<double> values;
    double distance = 0;
    for (size_t a = 0; a < axes.size(); ++a) {
      const double v = axes[a].Value(k[a]);
      const double d = (v - *FieldValue(data, axes[a].name)) / axes[a].step;
      distance += d * d;
      values.push_back(v);
      EXPECT_TRUE(SetField(p, axes[a].name, v));
    }
    const SectionMeasure m = MeasureSection(p);
    if (m.passes && (!best.found || m.objective < best.objective ||
                     (m.objective == best.objective && distance < best.distance))) {
      best = {true, m.objective, distance, values};
    }
    size_t a = 0;
    while (a < axes.size() && ++k[a] == axes[a].Count()) k[a++] = 0;
    if (a == axes.size()) break;
  }
  return best;
}

TEST(SectionProposal, EqualsTheBruteForceMinimumOnEveryThreadCount) {
  for (const GridCase& c : Cases()) {
    SCOPED_TRACE(c.file);
    const ProjectData data = Standard(c.file);
    const Brute brute = BruteForce(data, c.axes);
    ASSERT_TRUE(brute.found);
    for (int threads : {1, 2, 3}) {
      SCOPED_TRACE(threads);
      ProposalOptions options;
      options.threads = threads;
      const Proposal p = ProposeSection(data, c.axes, options);
      ASSERT_TRUE(p.found);
      EXPECT_EQ(p.values, brute.values);
      EXPECT_EQ(p.proposed.objective, brute.objective);
      EXPECT_EQ(p.tried, p.total);
      // The proposed project is the input with the proposed values, and it passes.
      EXPECT_TRUE(MeasureSection(p.project).passes);
      for (size_t a = 0; a < c.axes.size(); ++a) {
        EXPECT_NEAR(*FieldValue(p.project, c.axes[a].name), p.values[a], 1e-3);
      }
    }
  }
}

TEST(SectionProposal, ANarrowGridNamesTheCheckThatFailsEverywhere) {
  const ProjectData data = Standard("leaning/data/standard_leaning_si.mdb");
  const Proposal p = ProposeSection(data, {{"T2", 350, 370, 10}});
  EXPECT_FALSE(p.found);
  EXPECT_EQ(p.project, data);
  ASSERT_FALSE(p.failing_everywhere.empty());
  bool sliding = false;
  for (const std::string& name : p.failing_everywhere) sliding |= name == "Fs (sliding)";
  EXPECT_TRUE(sliding);
}

TEST(SectionProposal, TheCantileverObjectiveWeighsSteel) {
  const ProjectData data = Standard("cantilever/data/standard_cantilever_si.mdb");
  const SectionMeasure m = MeasureSection(data, {1, 10});
  ASSERT_TRUE(m.computed);
  EXPECT_GT(m.concrete, 0);
  EXPECT_GT(m.steel, 0);
  EXPECT_DOUBLE_EQ(m.objective, m.concrete + 10 * m.steel);
}

TEST(SectionProposal, RefusesUnknownNamesAndEmptyAxes) {
  const ProjectData data = Standard("gravity/data/standard_gravity_si.mdb");
  EXPECT_THROW(ProposeSection(data, {{"X9", 1, 2, 1}}), std::invalid_argument);
  EXPECT_THROW(ProposeSection(data, {{"T1", 500, 100, 50}}), std::invalid_argument);
  EXPECT_THROW(ProposeSection(data, {{"T1", 100, 500, 0}}), std::invalid_argument);
}

TEST(SectionProposal, ACancelledSearchSaysSo) {
  const ProjectData data = Standard("gravity/data/standard_gravity_si.mdb");
  std::atomic<bool> cancel{true};
  ProposalOptions options;
  options.cancel = &cancel;
  const Proposal p = ProposeSection(data, {{"T1", 100, 500, 100}}, options);
  EXPECT_TRUE(p.cancelled);
  EXPECT_LT(p.tried, p.total);
}

}  // namespace
}  // namespace ktv
