// The mutation test of the batch command: a fixed series of mutated projects of every family,
// run in-process, each checked as the long run checks it (tools/fuzz-projects).
#include "project_fuzz.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

namespace ktv::fuzz {
namespace {

// About a minute under the sanitizer build for all the fixtures; the environment's
// KTV_FUZZ_CASES, when set, runs more or fewer.
int CasesPerFamily() {
  const char* cases = getenv("KTV_FUZZ_CASES");
  return cases && atoi(cases) > 0 ? atoi(cases) : KTV_FUZZ_CASES;
}

TEST(ProjectFuzz, MutatedProjectsOfEveryFamilyAreReportedOrRefusedCleanly) {
  // Memory-backed when there is such a folder: the cases write many small files.
  const std::filesystem::path base =
      std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : KTV_FUZZ_OUTPUT_DIR;
  const std::string work = (base / ("ktv_fuzz_case_" + std::to_string(getpid()))).string();
  const char* const old_tmpdir = getenv("TMPDIR");
  const std::string keep_tmpdir = old_tmpdir ? old_tmpdir : "";
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
  if (old_tmpdir)
    setenv("TMPDIR", keep_tmpdir.c_str(), 1);
  else
    unsetenv("TMPDIR");
  std::filesystem::remove_all(work);
}

}  // namespace
}  // namespace ktv::fuzz
