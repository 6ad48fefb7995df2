// The batch command over many projects and its summary table (総括表).
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/format.h"
#include "families/family_table.h"
#include "project/project_database.h"
#include "report/chapter_kit.h"
#include "report_tool.h"
#include "summary_table.h"

namespace ktv {
namespace {

namespace fs = std::filesystem;
const std::string kOut = KTV_TOOLS_OUTPUT_DIR;

// The six standard walls, three families in SI and CGS.
const std::vector<std::string> kStandard = {
    std::string(KTV_GRAVITY_DATA_DIR) + "/standard_gravity_si.mdb",
    std::string(KTV_GRAVITY_DATA_DIR) + "/standard_gravity_cgs.mdb",
    std::string(KTV_LEANING_DATA_DIR) + "/standard_leaning_si.mdb",
    std::string(KTV_LEANING_DATA_DIR) + "/standard_leaning_cgs.mdb",
    std::string(KTV_CANTILEVER_DATA_DIR) + "/standard_cantilever_si.mdb",
    std::string(KTV_CANTILEVER_DATA_DIR) + "/standard_cantilever_cgs.mdb"};

std::string ReadAll(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

struct ToolRun {
  int status;
  std::string out, err;
};
ToolRun Tool(const std::vector<std::string>& args, bool progress = false) {
  std::ostringstream out, err;
  const int status =
      RunReportTool(args, out, err, ProgramFamilies().ReportEntries(), nullptr, progress);
  return {status, out.str(), err.str()};
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// A folder with the six standard walls, a file that is not a project, a wall whose calculation
// is undefined (β steeper than φ: no Coulomb coefficient, ΣH = 0) and a file that is no *.mdb.
fs::path ProjectFolder(const std::string& name) {
  const fs::path dir = fs::path(kOut) / name;
  fs::remove_all(dir);
  fs::create_directories(dir / "in");
  for (const std::string& f : kStandard) fs::copy_file(f, dir / "in" / fs::path(f).filename());
  std::ofstream(dir / "in" / "not_a_project.mdb") << "plain text\n";
  std::ofstream(dir / "in" / "notes.txt") << "not a project either\n";
  const fs::path undefined = dir / "in" / "undefined.mdb";
  fs::copy_file(kStandard[0], undefined);
  ProjectDatabase db = ProjectDatabase::Open(undefined.string());
  ShapeRow s = *db.ReadShape(kGravity);
  s.beta = 40;
  db.WriteShape(kGravity, s);
  return dir;
}

// Folder order: by file name.
const std::vector<std::string> kOrder = {"not_a_project",          "standard_cantilever_cgs",
                                         "standard_cantilever_si", "standard_gravity_cgs",
                                         "standard_gravity_si",    "standard_leaning_cgs",
                                         "standard_leaning_si",    "undefined"};
constexpr const char* kUndefinedCause =
    "クーロン土圧係数Kaの計算中にエラーが発生しました; "
    "重力式擁壁の計算ができません：水平力の合計ΣHが0です（主働土圧係数Ka=0）。";

// CSV as cells (fields here hold no quotes, commas or line breaks except where tested).
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  for (const std::string& line : Lines(text)) {
    std::vector<std::string> cells;
    std::string cell;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
      const char c = line[i];
      if (quoted) {
        if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
          cell += '"';
          ++i;
        } else if (c == '"') {
          quoted = false;
        } else {
          cell += c;
        }
      } else if (c == '"') {
        quoted = true;
      } else if (c == ',') {
        cells.push_back(cell);
        cell.clear();
      } else {
        cell += c;
      }
    }
    cells.push_back(cell);
    rows.push_back(cells);
  }
  return rows;
}

// The table as a map per project file: header → cell.
using Table = std::map<std::string, std::map<std::string, std::string>>;
Table ByFile(const std::vector<std::vector<std::string>>& rows) {
  Table table;
  for (size_t r = 1; r < rows.size(); ++r) {
    EXPECT_EQ(rows[r].size(), rows[0].size()) << "row " << r;
    for (size_t c = 0; c < rows[r].size() && c < rows[0].size(); ++c) {
      table[rows[r][1]][rows[0][c]] = rows[r][c];
    }
  }
  return table;
}

CheckRow Row(CheckKind kind, CheckCase c, const char* item, double value, double limit,
             SafeSide side) {
  CheckRow row;
  row.kind = kind;
  row.load_case = c;
  row.item = item;
  row.value = value;
  row.limit = limit;
  row.value_text = FormatValue(value, "0.000");
  row.limit_text = FormatValue(limit, "0.000");
  row.verdict = Compare(value, limit, side);
  return row;
}

TEST(SummaryTable, TheGoverningRowIsTheWorstOfItsKindAndCase) {
  using enum CheckKind;
  const CheckCase N = CheckCase::Normal, E = CheckCase::Seismic;
  const std::vector<CheckRow> rows = {
      Row(Bearing, N, "q1", 90, 100, SafeSide::Below),      // 0.9
      Row(Bearing, N, "q2", 95, 100, SafeSide::Below),      // 0.95: governs
      Row(Bearing, E, "q1E", 80, 150, SafeSide::Below),     // the seismic case stays apart
      Row(Sliding, N, "Fs", 2.0, 1.5, SafeSide::Above),     // 0.75
      Row(Stress, N, "σc", 0.5, 7.0, SafeSide::Below),      // 0.07
      Row(Stress, N, "τ", 0.3, 0.23, SafeSide::Below),      // NG: governs
      Row(Stress, N, "σs", 170, 180, SafeSide::Below),      // 0.94 but passes
      Row(Overturning, N, "e", 0.0, 0.0, SafeSide::Below),  // 0/0 is NG
  };
  struct Case {
    CheckKind kind;
    CheckCase c;
    const char* item;  // nullptr: none
  };
  for (const Case& c :
       {Case{Bearing, N, "q2"}, Case{Bearing, E, "q1E"}, Case{Sliding, N, "Fs"},
        Case{Stress, N, "τ"}, Case{Overturning, N, "e"}, Case{Sliding, E, nullptr}}) {
    const CheckRow* g = GoverningRow(rows, c.kind, c.c);
    if (!c.item) {
      EXPECT_EQ(g, nullptr);
      continue;
    }
    ASSERT_NE(g, nullptr) << c.item;
    EXPECT_EQ(g->item, c.item);
  }
  SummaryProject p;
  p.checks = rows;
  EXPECT_FALSE(AllChecksPass(p));
  p.checks.resize(5);
  EXPECT_TRUE(AllChecksPass(p));
  p.error = "計算できません";
  EXPECT_FALSE(AllChecksPass(p));
}

TEST(SummaryTable, CsvKeepsTextsAsTextsAndNamesTheUnitsOfMixedSystems) {
  SummaryProject si, cgs;
  si.file = "/x/a,b.mdb";
  si.project_name = "=HYPERLINK(\"x\")";
  si.units = "SI";
  si.checks = {Row(CheckKind::Bearing, CheckCase::Normal, "q1", -1, 300, SafeSide::Below)};
  si.checks[0].unit = "kN/m2";
  cgs.file = "c.mdb";
  cgs.units = "CGS";
  cgs.checks = {Row(CheckKind::Bearing, CheckCase::Normal, "q1", 9.5, 30, SafeSide::Below)};
  cgs.checks[0].unit = "t/m2";
  const std::string csv = SummaryCsv({si, cgs});
  ASSERT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
  const Table t = ByFile(ParseCsv(csv.substr(3)));
  const std::string value = "支持力（常時）値 [kN/m2 (SI)・t/m2 (CGS)]";
  ASSERT_TRUE(t.count("a,b.mdb")) << csv;
  EXPECT_EQ(t.at("a,b.mdb").at("工事名"), "'=HYPERLINK(\"x\")");
  EXPECT_EQ(t.at("a,b.mdb").at(value), "-1.000");  // a number keeps its sign
  EXPECT_EQ(t.at("c.mdb").at(value), "9.500");
  EXPECT_EQ(t.at("c.mdb").at("全照査"), "ＯＫ");
  EXPECT_EQ(t.at("c.mdb").at("転倒（常時）値"), "");
}

// The files of a folder.
std::set<std::string> Files(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

TEST(BatchTool, WritesEveryGoodReportAndListsTheBadOnesWithTheirCauses) {
  const fs::path dir = ProjectFolder("batch_folder");
  const fs::path out = dir / "out";  // made by the command
  const auto before = ReadAll(dir / "in" / "standard_gravity_si.mdb");
  const ToolRun r = Tool({(dir / "in").string(), "-d", out.string(), "--json", "--text",
                          "--summary", (out / "summary.csv").string()});
  EXPECT_EQ(r.status, kExitSomeFailed);
  const std::vector<std::string> err = Lines(r.err);
  ASSERT_EQ(err.size(), 3u) << r.err;
  EXPECT_EQ(err[0], "ktv-pn3-report: " + (dir / "in" / "not_a_project.mdb").string() +
                        ": not a project database (file is not a database)");
  EXPECT_EQ(err[1],
            "ktv-pn3-report: " + (dir / "in" / "undefined.mdb").string() + ": " + kUndefinedCause);
  EXPECT_EQ(err[2], "ktv-pn3-report: 2 of 8 projects failed");

  std::set<std::string> expected = {"summary.csv"};
  for (const std::string& f : kStandard) {
    const std::string stem = fs::path(f).stem().string();
    SCOPED_TRACE(stem);
    for (const char* ext : {".pdf", ".json", ".txt"}) expected.insert(stem + ext);
    EXPECT_EQ(ReadAll(out / (stem + ".pdf")).substr(0, 5), "%PDF-");
    EXPECT_NE(ReadAll(out / (stem + ".txt")).find("=== page 1 ==="), std::string::npos);
    const std::string family = stem.substr(9, stem.rfind('_') - 9);
    EXPECT_NE(ReadAll(out / (stem + ".json")).find("\"family\": \"" + family + "\""),
              std::string::npos);
  }
  // Nothing for the bad files, no temporary file, the projects as they were.
  EXPECT_EQ(Files(out), expected);
  EXPECT_EQ(ReadAll(dir / "in" / "standard_gravity_si.mdb"), before);

  // The summary names every project in folder order, the failed ones with their causes.
  const auto rows = ParseCsv(ReadAll(out / "summary.csv").substr(3));
  ASSERT_EQ(rows.size(), kOrder.size() + 1);
  for (size_t i = 0; i < kOrder.size(); ++i) {
    EXPECT_EQ(rows[i + 1][0], std::to_string(i + 1));
    EXPECT_EQ(rows[i + 1][1], kOrder[i] + ".mdb");
  }
  const Table t = ByFile(rows);
  EXPECT_EQ(t.at("not_a_project.mdb").at("備考"),
            "not a project database (file is not a database)");
  EXPECT_EQ(t.at("undefined.mdb").at("備考"), kUndefinedCause);
  EXPECT_EQ(t.at("undefined.mdb").at("工事名"), t.at("standard_gravity_si.mdb").at("工事名"));
  for (const char* bad : {"not_a_project.mdb", "undefined.mdb"}) {
    EXPECT_EQ(t.at(bad).at("全照査"), "－");
  }
}

TEST(BatchTool, ArgumentsThatCannotWorkAreRefusedBeforeAnyReport) {
  const fs::path dir = fs::path(kOut) / "batch_arguments";
  fs::remove_all(dir);
  fs::create_directories(dir / "empty");
  fs::create_directories(dir / "other");
  fs::copy_file(kStandard[0], dir / "other" / "standard_gravity_si.mdb");
  const std::string out = (dir / "out").string();
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {"unknown summary format",
       {kStandard[0], "--summary", out + "/s.ods"},
       kExitUsage,
       "--summary " + out + "/s.ods: the name must end in .xlsx, .csv or .pdf"},
      {"one output for many", {kStandard[0], "-d", out, "-o", "x.pdf"}, kExitUsage, "-o names"},
      {"json without a folder",
       {kStandard[0], "--json", "--summary", out + ".csv"},
       kExitUsage,
       "give -d DIR"},
      {"two projects without -d", {kStandard[0], kStandard[1]}, kExitUsage, "more than one"},
      {"empty folder", {(dir / "empty").string(), "-d", out}, kExitUsage, "no project files"},
      {"two reports of one name",
       {kStandard[0], (dir / "other").string(), "-d", out},
       kExitUsage,
       "standard_gravity_si.pdf: written for both"},
      {"summary over a report",
       {(dir / "other").string(), "--summary", (dir / "other" / "standard_gravity_si.pdf").string(),
        "-d", (dir / "other").string()},
       kExitUsage,
       "written for both"},
      {"summary in a missing folder",
       {kStandard[0], "--summary", out + "/no/s.csv"},
       kExitOutput,
       "does not exist"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ToolRun r = Tool(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(out) && !fs::is_empty(out)) << "wrote something";
  }
}

TEST(BatchTool, ProgressNamesEveryProjectWithItsOutcome) {
  const fs::path dir = fs::path(kOut) / "batch_progress";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string missing = (dir / "missing.mdb").string();
  const ToolRun r =
      Tool({kStandard[0], missing, "--summary", (dir / "s.csv").string()}, /*progress=*/true);
  EXPECT_EQ(r.status, kExitSomeFailed);
  EXPECT_EQ(Lines(r.err), (std::vector<std::string>{
                              "ktv-pn3-report: [1/2] " + kStandard[0] + ": ok",
                              "ktv-pn3-report: [2/2] " + missing + ": the file does not exist",
                              "ktv-pn3-report: 1 of 2 projects failed"}));
}

}  // namespace
}  // namespace ktv
