#include "families/gravity/gravity_checks.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "../reaction_balance.h"
#include "app/errors.h"
#include "check_sources.h"
#include "families/family_table.h"
#include "families/gravity/gravity_json.h"
#include "families/gravity/gravity_reader.h"
#include "families/gravity/gravity_report.h"
#include "gravity_fixture.h"
#include "project/project_database.h"
#include "report/report_build.h"
#include "report/report_writer.h"
#include "verdict_lines.h"

namespace ktv {
namespace {

std::string CopyOf(const char* fixture) {
  const std::string path =
      std::string(KTV_GRAVITY_OUTPUT_DIR) + "/checks_" + std::to_string(getpid()) + "_" + fixture;
  std::filesystem::copy_file(std::string(KTV_GRAVITY_DATA_DIR) + "/" + fixture, path,
                             std::filesystem::copy_options::overwrite_existing);
  return path;
}

constexpr CheckCase kN = CheckCase::Normal;

QJsonValue JsonVerdict(const QJsonObject& all, const GravityCheckEntry& e) {
  return all["verdicts"].toObject()[QString::fromUtf8(e.key.data(), e.key.size())];
}

TEST(GravityChecks, TheReportEntryStoresTheRowsOfItsOwnVerdictLines) {
  // The standard wall slides.
  const ExpectedRow si[] = {
      {CheckKind::Overturning, kN, "", "e", "0.183", "0.270", "m", true},
      {CheckKind::Sliding, kN, "", "Fs", "1.408", "1.5", "", false},
      {CheckKind::Bearing, kN, "", "q1", "99.037", "200", "kN/m2", true},
      {CheckKind::Bearing, kN, "", "q2", "18.977", "200", "kN/m2", true},
      {CheckKind::Stress, kN, "", "σc1", "0.099", "4.5", "N/mm2", true},
      {CheckKind::Stress, kN, "", "σc2", "0.019", "4.5", "N/mm2", true},
  };
  for (const char* fixture : {kStandardGravitySI, kStandardGravityCGS}) {
    SCOPED_TRACE(fixture);
    ReportWriter w;
    WallChecks checks;
    std::string json;
    ReportContext ctx;
    ctx.working_database_path = CopyOf(fixture);
    ctx.checks = &checks;
    ctx.results_json = &json;
    const ReportBuildResult r =
        BuildReport(w, WallFamily::Gravity, ctx, ProgramFamilies().ReportEntries());
    ASSERT_TRUE(r.complete) << r.error;
    EXPECT_EQ(CompareWithReport(checks, ReportLines(w)), "");
    // The panel, the summary and the JSON show the checks the calculation holds.
    const GravityResults results =
        ComputeGravity(ReadGravityInputs(ProjectDatabase::Open(CopyOf(fixture)))).results;
    EXPECT_EQ(CompareWithChecks<GravityResults>(kGravityChecks, results, checks, json, JsonVerdict),
              "");
    if (fixture != kStandardGravitySI) continue;
    ExpectRows(checks, si);
  }
}

TEST(GravityChecks, RowsAgreeWithTheReportForRandomWalls) {
  const GravityInputs standard =
      ReadGravityInputs(ProjectDatabase::Open(CopyOf(kStandardGravitySI)));
  std::mt19937 rng(20240517);
  auto uni = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
  VerdictTally tally;
  int walls = 0;
  for (int i = 0; i < 60; ++i) {
    GravityInputs in = standard;
    in.is_si = i % 2 == 0;
    in.h = uni(0.5f, 6);
    in.t00 = i % 5 == 0 ? 0 : uni(0, 1.5f);
    in.t01 = uni(0.2f, 1.2f);
    in.t02 = i % 7 == 0 ? 0 : uni(0, 1.5f);
    in.phi = std::round(uni(25, 40));
    in.beta = i % 3 == 0 ? 0 : std::round(uni(0, in.phi - 1));
    in.q = i % 4 == 0 ? 0 : uni(0, 30);
    in.qa = uni(50, 300);
    in.tan_phi_b = uni(0.3f, 0.8f);
    in.sigma_cac = uni(1, 600) * (in.is_si ? 1 : 0.1f);
    GravityCalculation calc;
    try {
      calc = ComputeGravity(in);
    } catch (const CalculationError&) {
      continue;
    }
    ++walls;
    ReportWriter w;
    w.PageSetup();
    w.BeginDocument();
    WriteGravityChapters(w, in, calc);
    w.EndDocument();
    const WallChecks checks = GravityChecks(in, calc.results);
    EXPECT_EQ(CompareWithReport(checks, ReportLines(w)), "") << "wall " << i;
    EXPECT_EQ(CompareWithChecks<GravityResults>(kGravityChecks, calc.results, checks,
                                                GravityJson(in, calc), JsonVerdict),
              "")
        << "wall " << i;
    const ResultantAndChecks& rc = calc.results.checks;
    EXPECT_EQ(ReactionBalance(rc.reaction, rc.sum_v, rc.d), "") << "wall " << i;
    tally.Add(checks);
  }
  EXPECT_GT(walls, 40);
  // The walls pass and fail every kind of check.
  tally.ExpectEveryKindPassedAndFailed();
}

}  // namespace
}  // namespace ktv
