#include "families/cantilever/cantilever_report.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/messages.h"
#include "cantilever_fixture.h"
#include "earth_pressure/earth_pressure.h"
#include "families/cantilever/cantilever_json.h"
#include "families/cantilever/cantilever_reader.h"
#include "families/family_table.h"
#include "golden.h"
#include "project/project_database.h"
#include "report/report_build.h"
#include "report/report_render.h"
#include "report/report_writer.h"

namespace ktv {
namespace {

const std::string kOut = KTV_CANTILEVER_OUTPUT_DIR;
const std::string kData = KTV_CANTILEVER_DATA_DIR;
const std::string kGolden = KTV_CANTILEVER_GOLDEN_DIR;

std::string Copy(const std::string& fixture, const std::string& name) {
  const std::string path = kOut + "/" + name;
  std::filesystem::copy_file(kData + "/" + fixture, path,
                             std::filesystem::copy_options::overwrite_existing);
  return path;
}

// The preview build with the program's family entries; chkhAA as the window would hand it.
ReportBuildResult Build(ReportWriter& w, const std::string& db, bool design_aa,
                        MessageSink* sink = nullptr) {
  ReportContext ctx;
  ctx.working_database_path = db;
  ctx.read_copy_database_path = db + ".read";
  ctx.design_section_aa = design_aa;
  ctx.sink = sink;
  return BuildReport(w, WallFamily::Cantilever, ctx, ProgramFamilies().ReportEntries());
}

std::string ReportText(const ReportWriter& w) {
  std::string text;
  for (size_t p = 1; p < w.Pages().size(); ++p) text += PageText(w.Pages()[p]);
  return text;
}

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Table rows of a part: lines that start with its name and a number (the figures show names
// alone).
int CountRows(const std::string& text, const std::string& part) {
  int n = 0;
  const std::string start = "\n" + part + " ";
  for (size_t at = text.find(start); at != std::string::npos; at = text.find(start, at + 1)) {
    const size_t digit = at + start.size();
    if (digit < text.size() && text[digit] >= '0' && text[digit] <= '9') ++n;
  }
  return n;
}

// A copy of the standard SI wall with its shape row changed.
std::string Variant(const std::string& name, const std::function<void(ShapeRow&)>& change) {
  const std::string path = Copy(kStandardCantileverSI, name);
  ProjectDatabase db = ProjectDatabase::Open(path);
  ShapeRow row = *db.ReadShape(kCantilever);
  change(row);
  db.WriteShape(kCantilever, row);
  return path;
}

struct StandardCase {
  const char* name;
  const char* fixture;
  bool design_aa;
  int report_pages;
};

void PrintTo(const StandardCase& c, std::ostream* os) { *os << c.name; }

class StandardCantileverReport : public testing::TestWithParam<StandardCase> {};

TEST_P(StandardCantileverReport, PagesAreTheGoldenTextsAndTheJsonComesFromTheSameRun) {
  const StandardCase& c = GetParam();
  const std::string db = Copy(c.fixture, std::string("standard_") + c.name + ".mdb");
  ReportWriter w;
  const ReportBuildResult r = Build(w, db, c.design_aa);
  ASSERT_TRUE(r.complete) << r.error;
  EXPECT_EQ(r.report_pages, c.report_pages);
  testing_util::ExpectMatchesGolden(kGolden + "/standard_cantilever_" + c.name + ".txt",
                                    ReportText(w));
  const CantileverInputs in = ReadCantileverInputs(ProjectDatabase::Open(db), c.design_aa);
  EXPECT_EQ(r.results_json, CantileverJson(in, ComputeCantilever(in)));
  EXPECT_FALSE(std::filesystem::exists(db + ".read"));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, StandardCantileverReport,
                         testing::Values(StandardCase{"SI", kStandardCantileverSI, false, 11},
                                         StandardCase{"CGS", kStandardCantileverCGS, false, 11},
                                         StandardCase{"AA", kSectionAaCantileverSI, true, 13}),
                         [](const auto& info) { return std::string(info.param.name); });

// The shapes share one report: the slab checks and the part rows follow what exists, and the
// case headings of the slab checks belong to the toe.
TEST(CantileverShapes, SlabChecksAndPartRowsFollowTheShape) {
  struct Case {
    const char* name;
    std::function<void(ShapeRow&)> change;
    bool toe, heel, w12;
    int normal_headings;  // "（ａ）常時": loads, overturning, sliding, bearing, stem (+ toe)
  };
  const std::vector<Case> cases = {
      {"inverted_t_beta", [](ShapeRow& s) { s.beta = 10; }, true, true, true, 6},
      {"l_wall", [](ShapeRow& s) { s.l[0] = 0; }, false, true, false, 5},
      {"inverted_l_wall", [](ShapeRow& s) { s.l[2] = 0; }, true, false, false, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ReportWriter w;
    const ReportBuildResult r = Build(w, Variant(std::string(c.name) + ".mdb", c.change), false);
    ASSERT_TRUE(r.complete) << r.error;
    const std::string text = ReportText(w);
    EXPECT_EQ(Count(text, "逆Ｔ形擁壁の設計計算"), 1);
    EXPECT_EQ(Count(text, "（ⅰ）断面　Ｃ－Ｃ´"), c.toe ? 2 : 0);
    EXPECT_EQ(Count(text, "（ⅱ）断面　Ｄ－Ｄ´"), c.heel ? 2 : 0);
    EXPECT_EQ(CountRows(text, "W1"), c.toe ? 2 : 0);   // the part table and the toe table
    EXPECT_EQ(CountRows(text, "W12"), c.w12 ? 2 : 0);  // the part table and the heel table
    EXPECT_EQ(Count(text, "（ａ）常時"), c.normal_headings);
    EXPECT_EQ(Count(text, "（ｂ）地震時"), c.normal_headings);
  }
}

// Undefined cases end the build with the calculation's message and leave no pages.
TEST(CantileverUndefined, EndsWithTheCalculationsMessage) {
  const std::vector<std::pair<const char*, std::function<void(ShapeRow&)>>> cases = {
      {"no_stem", [](ShapeRow& s) { s.h = s.d[1]; }},
      {"no_base",
       [](ShapeRow& s) {
         s.l = {0, 0, 0}, s.t = {0, 0, 0};
       }},
  };
  for (const auto& [name, change] : cases) {
    SCOPED_TRACE(name);
    ReportWriter w;
    const ReportBuildResult r = Build(w, Variant(std::string(name) + ".mdb", change), false);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.error.rfind("逆T形擁壁の計算ができません：", 0), 0u) << r.error;
    EXPECT_TRUE(w.Pages().empty());
  }
}

}  // namespace
}  // namespace ktv
