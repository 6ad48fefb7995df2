// The mutation test of the batch command: a fixed series of mutated projects of every family,
// run in-process, each checked as the long run checks it (tools/fuzz-projects).
#include "project_fuzz.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace ktv::fuzz {
namespace {

// Cases per fixture: about a minute under the sanitizer build for all of them; the environment's
// KTV_FUZZ_CASES, when set, runs more or fewer.
int CasesPerFamily() {
  const char* cases = getenv("KTV_FUZZ_CASES");
  return cases && atoi(cases) > 0 ? atoi(cases) : KTV_FUZZ_CASES;
}

// The cases point TMPDIR at a folder of their own; the other tests find it as it was.
class KeepTmpdir {
 public:
  KeepTmpdir() : had_(getenv("TMPDIR") != nullptr), old_(had_ ? getenv("TMPDIR") : "") {}
  ~KeepTmpdir() {
    if (had_)
      setenv("TMPDIR", old_.c_str(), 1);
    else
      unsetenv("TMPDIR");
  }

 private:
  bool had_;
  std::string old_;
};

TEST(ProjectFuzz, MutatedProjectsOfEveryFamilyAreReportedOrRefusedCleanly) {
  // Memory-backed when there is such a folder: the cases write many small files.
  const std::filesystem::path base =
      std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : KTV_FUZZ_OUTPUT_DIR;
  const std::string work = (base / ("ktv_fuzz_case_" + std::to_string(getpid()))).string();
  const KeepTmpdir keep;
  const int cases = CasesPerFamily();
  int failures = 0;
  for (const FuzzFamily& family : Families(KTV_FAMILIES_DATA_DIR)) {
    int statuses[5] = {};
    for (int i = 0; i < cases; ++i) {
      const uint64_t seed = 20260000 + i;
      const CaseReport r =
          RunCase(family, seed, work, InProcess, std::chrono::seconds(60), i % 25 == 0);
      if (r.status >= 0 && r.status < 5) ++statuses[r.status];
      if (!r.problems.empty() && ++failures <= 20) {
        std::string all;
        for (const auto& p : r.problems) all += "; " + p;
        ADD_FAILURE() << family.name << " seed " << seed << " (" << r.mutation << ")" << all;
      }
    }
    // Both reports and refusals must occur, or the mutations test nothing.
    EXPECT_GT(statuses[0], cases / 10) << family.name;
    EXPECT_GT(statuses[2] + statuses[3] + statuses[4], cases / 10) << family.name;
  }
  std::filesystem::remove_all(work);
}

TEST(ProjectFuzz, ExtremeAcceptedInputsOfEveryFamilyGiveFiniteResultsOrTheCalculationsMessage) {
  // Values at the ends of what is read, where sums, products and quotients of the calculations
  // overflow or vanish: the command either reports with finite numbers or refuses in one line.
  static const char* const kCases[] = {
      "UPDATE {shape} SET T00=1000, T01=1000, T02=1000, L00=1000, L01=1000, L02=1000, H=1000, "
      "HH=1000, HL=1000, D00=1000, D01=1000, D02=1000, D03=1000, D04=1000, B=1000",
      "UPDATE {shape} SET H=1000, T00=0, T01=1000, T02=0, \"β\"=0",
      "UPDATE {shape} SET T00=1e-30, T01=1e-30, T02=1e-30, L00=1e-30, L01=1e-30, L02=1e-30, "
      "H=1e-30, HH=1e-30, HL=1e-30, D00=1e-30, D01=1e-30, D02=1e-30, D03=1e-30, D04=1e-30, "
      "B=1e-30",
      "UPDATE {shape} SET T00=-1000, L00=-1000, B=-1000",
      "UPDATE {shape} SET \"β\"=89.9999",
      "UPDATE {shape} SET \"β\"=-89.9999",
      "UPDATE \"tbl単位体積重量及び土質定数\" SET \"γ\"=1000, \"φ\"=0, \"φB\"=0, q1=1e30, q2=1e30",
      "UPDATE \"tbl単位体積重量及び土質定数\" SET \"γ\"=0; UPDATE \"tblコンクリート\" SET "
      "\"γc\"=0",
      "UPDATE \"tblコンクリート\" SET Ec=1e-45, \"σck\"=1e-45, \"τa\"=1e-45; UPDATE "
      "\"tbl鉄筋\" SET Es=3.4e38, \"σsa\"=1e-45",
      "UPDATE \"tbl基礎の安定\" SET R00=1e-45, R01=3.4e38, E00=1e-45, E01=3.4e38",
  };
  const std::string work =
      (std::filesystem::temp_directory_path() / ("ktv_fuzz_extreme_" + std::to_string(getpid())))
          .string();
  const KeepTmpdir keep;
  for (const FuzzFamily& family : Families(KTV_FAMILIES_DATA_DIR)) {
    for (const char* sql : kCases) {
      const CaseReport r =
          RunCaseWithSql(family, sql, work, InProcess, std::chrono::seconds(60), false);
      std::string all;
      for (const auto& p : r.problems) all += "; " + p;
      EXPECT_TRUE(r.problems.empty()) << family.name << ": " << sql << all;
    }
  }
  std::filesystem::remove_all(work);
}

}  // namespace
}  // namespace ktv::fuzz
