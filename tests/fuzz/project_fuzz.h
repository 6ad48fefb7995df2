#pragma once
// Mutation testing of the batch command on project files: each case is a fixture of one wall
// family changed by a seeded mutation (strange values, broken structure, a half-written or WAL
// file); the command must never crash or hang, never print "inf" or "nan", end with a documented
// status and one line, leave the project's folder as it was and leave no temporary file.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ktv::fuzz {

// One wall family under test: its fixture project. Adding a family is one entry.
struct FuzzFamily {
  std::string name;         // for messages
  std::string fixture;      // a complete project file of the family
  std::string shape_table;  // the family's own shape table, mutated beside the shared ones
  bool json = false;        // the command writes --json for this family
};
// The fixtures of every family; data_dir holds one folder of fixtures per family.
std::vector<FuzzFamily> Families(const std::string& data_dir);

// Writes the mutated fixture as project (in an empty folder); returns what was done, one line.
// The values mutated are the columns the fixture has in the tables its family reads.
std::string MutateProject(const FuzzFamily& family, const std::string& project, uint64_t seed);

struct RunOutcome {
  int status = 0;
  std::string err;
  bool finished = true;  // false: stopped at the bound
};
// Runs the command with its arguments and TMPDIR; a subprocess or in-process.
using Runner = std::function<RunOutcome(const std::vector<std::string>& args,
                                        const std::string& tmpdir, std::chrono::seconds bound)>;

// Runs the command in this process, as the batch command's main does (a QGuiApplication must
// exist); a case that runs past the bound is reported when it ends.
RunOutcome InProcess(const std::vector<std::string>& args, const std::string& tmpdir,
                     std::chrono::seconds bound);

struct CaseReport {
  std::string mutation;
  int status = 0;
  std::vector<std::string> problems;  // empty: the case passed
};

// Runs one case in work (a folder of its own, emptied first) and checks it.
CaseReport RunCase(const FuzzFamily& family, uint64_t seed, const std::string& work,
                   const Runner& runner, std::chrono::seconds bound, bool pdf);

// The same for the fixture changed by sql, in which {shape} stands for the family's shape table.
CaseReport RunCaseWithSql(const FuzzFamily& family, const std::string& sql, const std::string& work,
                          const Runner& runner, std::chrono::seconds bound, bool pdf);

}  // namespace ktv::fuzz
