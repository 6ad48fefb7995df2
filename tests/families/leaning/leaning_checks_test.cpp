#include "families/leaning/leaning_checks.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>

#include "../reaction_balance.h"
#include "app/errors.h"
#include "check_sources.h"
#include "families/family_table.h"
#include "families/leaning/leaning_json.h"
#include "families/leaning/leaning_reader.h"
#include "families/leaning/leaning_report.h"
#include "leaning_fixture.h"
#include "project/project_database.h"
#include "report/report_build.h"
#include "report/report_writer.h"
#include "verdict_lines.h"

namespace ktv {
namespace {

std::string CopyOf(const char* fixture) {
  const std::string path =
      std::string(KTV_LEANING_OUTPUT_DIR) + "/checks_" + std::to_string(getpid()) + "_" + fixture;
  std::filesystem::copy_file(std::string(KTV_LEANING_DATA_DIR) + "/" + fixture, path,
                             std::filesystem::copy_options::overwrite_existing);
  return path;
}

constexpr CheckCase kN = CheckCase::Normal;

QJsonValue JsonVerdict(const QJsonObject& all, const LeaningCheckEntry& e) {
  return all["verdicts"].toObject()[QString::fromUtf8(e.key.data(), e.key.size())];
}

TEST(LeaningChecks, TheReportEntryStoresTheRowsOfItsOwnVerdictLines) {
  // The standard wall slides, and its toe slab is bent beyond σcat.
  const ExpectedRow si[] = {
      {CheckKind::Overturning, kN, "", "e", "0.363", "0.400", "m", true},
      {CheckKind::Sliding, kN, "", "Fs", "1.085", "1.5", "", false},
      {CheckKind::Bearing, kN, "", "q1", "7.644", "300", "kN/m2", true},
      {CheckKind::Bearing, kN, "", "q2", "158.278", "300", "kN/m2", true},
      {CheckKind::Stress, kN, "A-A", "σ2", "0.189", "4.500", "N/mm2", true},
      // Tension at the toe face of the body: its magnitude against σcat.
      {CheckKind::Stress, kN, "A-A", "|σ1|", "0.008", "0.230", "N/mm2", true},
      {CheckKind::Stress, kN, "A-A", "τ", "0.053", "0.23", "N/mm2", true},
      {CheckKind::Stress, kN, "B-B", "σ", "±0.25", "0.23", "N/mm2", false},
      {CheckKind::Stress, kN, "B-B", "τ", "0.092", "0.23", "N/mm2", true},
  };
  for (const char* fixture : {kStandardLeaningSI, kStandardLeaningCGS}) {
    SCOPED_TRACE(fixture);
    ReportWriter w;
    WallChecks checks;
    std::string json;
    ReportContext ctx;
    ctx.working_database_path = CopyOf(fixture);
    ctx.checks = &checks;
    ctx.results_json = &json;
    const ReportBuildResult r =
        BuildReport(w, WallFamily::Leaning, ctx, ProgramFamilies().ReportEntries());
    ASSERT_TRUE(r.complete) << r.error;
    EXPECT_EQ(CompareWithReport(checks, ReportLines(w)), "");
    // The panel, the summary and the JSON show the checks the calculation holds.
    const LeaningCalculation calc =
        ComputeLeaning(ReadLeaningInputs(ProjectDatabase::Open(CopyOf(fixture))));
    EXPECT_EQ(
        CompareWithChecks<LeaningCalculation>(kLeaningChecks, calc, checks, json, JsonVerdict), "");
    if (fixture != kStandardLeaningSI) continue;
    ExpectRows(checks, si);
  }
}

TEST(LeaningChecks, RowsAgreeWithTheReportForRandomWalls) {
  const LeaningInputs standard =
      ReadLeaningInputs(ProjectDatabase::Open(CopyOf(kStandardLeaningSI)));
  std::mt19937 rng(20240517);
  auto uni = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
  VerdictTally tally;
  int walls = 0;
  for (int i = 0; i < 60; ++i) {
    const bool si = i % 2 == 0;
    const float unit = si ? 1.0f : 0.102f;
    const float factor = si ? 100 : 1;
    LeaningInputs in = standard;
    in.is_si = si;
    in.gamma_c = uni(20, 25) * unit;
    in.gamma = uni(15, 21) * unit;
    in.phi = std::round(uni(20, 40));
    in.q = i % 5 == 0 ? 0 : uni(0, 30) * unit;
    in.tan_phi_b = uni(0.3f, 0.8f);
    in.qa = uni(80, 400) * unit;
    in.sigma_cac = uni(0.5f, 9) * factor;
    in.sigma_cat = uni(0.05f, 0.5f) * factor;
    in.tau_a = uni(0.02f, 0.5f) * factor;
    in.d1 = uni(0.3f, 1.5f);
    in.h = in.d1 + uni(1, 10);
    in.l1 = uni(0, 1.5f);
    in.t1 = uni(0, 0.6f) * (in.h - in.d1);
    in.t2 = i % 7 == 0 ? 0 : uni(0, 0.8f);
    in.b = in.l1 + uni(0.3f, 3);
    in.beta = i % 3 == 0 ? 0 : std::round(uni(0, in.phi - 1));
    LeaningCalculation calc;
    try {
      calc = ComputeLeaning(in);
    } catch (const CalculationError&) {
      continue;
    }
    ++walls;
    ReportWriter w;
    w.PageSetup();
    w.BeginDocument();
    WriteLeaningChapters(w, in, calc, FamilyDimensions{});
    w.EndDocument();
    const WallChecks checks = LeaningChecks(in, calc);
    EXPECT_EQ(CompareWithReport(checks, ReportLines(w)), "") << "wall " << i;
    EXPECT_EQ(CompareWithChecks<LeaningCalculation>(kLeaningChecks, calc, checks,
                                                    LeaningJson(in, calc), JsonVerdict),
              "")
        << "wall " << i;
    const LeaningStability& st = calc.stability;
    EXPECT_EQ(ReactionBalance(st.reaction, st.sum_v, st.d), "") << "wall " << i;
    tally.Add(checks);
  }
  EXPECT_GT(walls, 30);
  // The walls pass and fail every kind of check.
  tally.ExpectEveryKindPassedAndFailed();
}

}  // namespace
}  // namespace ktv
