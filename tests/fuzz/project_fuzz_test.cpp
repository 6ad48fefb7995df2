// The mutation test of the batch command: a fixed series of mutated projects of every family,
// run in-process, each checked as the long run checks it (tools/fuzz-projects).
#include "project_fuzz.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>

#include "families/family_table.h"
#include "report_tool.h"

namespace ktv::fuzz {
namespace {

// About a minute under the sanitizer build for the families there are.
constexpr int kCasesPerFamily = KTV_FUZZ_CASES;

RunOutcome InProcess(const std::vector<std::string>& args, const std::string& tmpdir,
                     std::chrono::seconds bound) {
  setenv("TMPDIR", tmpdir.c_str(), 1);
  std::ostringstream out, err;
  const auto start = std::chrono::steady_clock::now();
  RunOutcome r;
  r.status = RunReportTool(args, out, err, ProgramFamilies().ReportEntries());
  r.err = err.str();
  r.finished = std::chrono::steady_clock::now() - start < bound;
  return r;
}

TEST(ProjectFuzz, MutatedProjectsOfEveryFamilyAreReportedOrRefusedCleanly) {
  // Memory-backed when there is such a folder: the cases write many small files.
  const std::filesystem::path base =
      std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : KTV_FUZZ_OUTPUT_DIR;
  const std::string work = (base / ("ktv_fuzz_case_" + std::to_string(getpid()))).string();
  const char* const old_tmpdir = getenv("TMPDIR");
  const std::string keep_tmpdir = old_tmpdir ? old_tmpdir : "";
  int failures = 0;
  for (const FuzzFamily& family : Families(KTV_GRAVITY_DATA_DIR)) {
    int statuses[5] = {};
    for (int i = 0; i < kCasesPerFamily; ++i) {
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
    EXPECT_GT(statuses[0], kCasesPerFamily / 10) << family.name;
    EXPECT_GT(statuses[2] + statuses[3] + statuses[4], kCasesPerFamily / 10) << family.name;
  }
  if (old_tmpdir)
    setenv("TMPDIR", keep_tmpdir.c_str(), 1);
  else
    unsetenv("TMPDIR");
  std::filesystem::remove_all(work);
}

}  // namespace
}  // namespace ktv::fuzz
