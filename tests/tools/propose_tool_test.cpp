// The batch form of the design assistant.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "families/family_table.h"
#include "report_tool.h"

namespace ktv {
namespace {

const std::string kOut = KTV_TOOLS_OUTPUT_DIR;

std::string Bytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

struct ProposeRun {
  int status;
  std::string out, err;
};
ProposeRun Tool(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = RunReportTool(args, out, err, ProgramFamilies().ReportEntries());
  return {status, out.str(), err.str()};
}

TEST(ProposeTool, WritesAProposalWhoseReportHasNoNgAndLeavesTheProjectAlone) {
  struct Case {
    std::string project;
    std::vector<std::string> vary;
  };
  const std::vector<Case> cases = {
      {std::string(KTV_LEANING_DATA_DIR) + "/standard_leaning_si.mdb",
       {"--vary", "T1=3000:4000:500", "--vary", "L1=850:1450:300", "--vary", "B=2400:2800:400"}},
      {std::string(KTV_CANTILEVER_DATA_DIR) + "/standard_cantilever_si.mdb",
       {"--vary", "L1=600:1200:200", "--vary", "L3=2000:2800:200"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.project);
    const std::string before = Bytes(c.project);
    const std::string out = kOut + "/proposal.mdb";
    std::filesystem::remove(out);
    std::vector<std::string> args = {c.project, "--propose", out};
    args.insert(args.end(), c.vary.begin(), c.vary.end());
    const ProposeRun r = Tool(args);
    ASSERT_EQ(r.status, kExitOk) << r.err;
    EXPECT_NE(r.out.find("proposed: objective "), std::string::npos) << r.out;
    EXPECT_EQ(Bytes(c.project), before);
    const ProposeRun report = Tool({out, "--text", "-"});
    ASSERT_EQ(report.status, kExitOk) << report.err;
    EXPECT_EQ(report.out.find("ＮＧ"), std::string::npos);
    EXPECT_NE(report.out.find("ＯＫ"), std::string::npos);
  }
}

TEST(ProposeTool, NoPassingSectionExitsWithSevenNamingTheCheck) {
  const std::string out = kOut + "/none.mdb";
  std::filesystem::remove(out);
  const ProposeRun r = Tool({std::string(KTV_LEANING_DATA_DIR) + "/standard_leaning_si.mdb",
                             "--propose", out, "--vary", "T2=350:370:10"});
  EXPECT_EQ(r.status, kExitNoProposal);
  EXPECT_NE(r.err.find("Fs (sliding)"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(ProposeTool, BadGridsAreUsageErrors) {
  const std::string project = std::string(KTV_LEANING_DATA_DIR) + "/standard_leaning_si.mdb";
  const std::string out = kOut + "/bad.mdb";
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {project, "--propose", out, "--vary", "T2=500:300:50"},
           {project, "--propose", out, "--vary", "T2=300:500"},
           {project, "--propose", out, "--vary", "X7=1:2:1"},
           {project, "--propose", project},
           {project, "-o", out + ".pdf", "--vary", "T2=300:500:50"},
       }) {
    SCOPED_TRACE(args.back());
    EXPECT_EQ(Tool(args).status, kExitUsage);
  }
}

}  // namespace
}  // namespace ktv
