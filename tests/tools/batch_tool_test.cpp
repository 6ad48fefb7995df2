// The batch command over many projects and its summary table (総括表).
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/format.h"
#include "app/messages.h"
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

// Runs the command on the standard walls only, writing reports, JSON and text into out and the
// summary to summary.
ToolRun RunStandard(const fs::path& dir, const std::string& summary, bool reports) {
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::vector<std::string> args = kStandard;
  if (reports) {
    for (const char* a : {"-d", "", "--json", "--text"}) args.push_back(a);
    args[args.size() - 3] = (dir / "out").string();
  }
  args.push_back("--summary");
  args.push_back(summary);
  args.push_back("--date");
  args.push_back("2026-04-01T09:00:00");
  return Tool(args);
}

QJsonObject JsonOf(const fs::path& path) {
  return QJsonDocument::fromJson(QByteArray::fromStdString(ReadAll(path))).object();
}

std::string Printed(const QJsonValue& v) {
  return FormatValue(static_cast<float>(v.toDouble()), "0.000");
}

// The JSON's own view of a stability check: the value, the limit and the verdict.
struct JsonCheck {
  std::string value;  // three decimals as printed
  double limit;
  bool ok;
};

// Every verdict text ("OK"/"NG") of the stress checks of one case in the JSON.
std::vector<bool> StressVerdicts(const QJsonObject& j, const std::string& family, bool seismic) {
  std::vector<bool> found;
  if (family == "gravity") {
    found.push_back(j["verdicts"]["body_stress"].toString() == "OK");
  } else if (family == "leaning") {
    for (const char* k :
         {"section_aa_sigma", "section_aa_tau", "section_bb_sigma", "section_bb_tau"}) {
      found.push_back(j["verdicts"][k].toString() == "OK");
    }
  } else {
    const char* wanted = seismic ? "seismic" : "normal";
    auto take = [&](const QJsonObject& check) {
      for (const char* k : {"sigma_c_verdict", "sigma_s_verdict", "tau_verdict"}) {
        found.push_back(check[k].toString() == "OK");
      }
    };
    for (const QJsonValue& c : j["stem"].toArray()) {
      if (c["case"].toString() == wanted) take(c["check"].toObject());
    }
    for (const char* slab : {"toe_CC", "heel_DD"}) {
      if (j.contains(slab)) take(j[slab][wanted]["check"].toObject());
    }
  }
  return found;
}

// The summary's rows are the checks of the reports and the JSON of the same run: each governing
// value and limit stands on one line of the report and agrees with the JSON's values and verdicts.
TEST(BatchTool, SummaryRowsAreTheReportsAndTheJsonValues) {
  const fs::path dir = fs::path(kOut) / "batch_same_values";
  const ToolRun r = RunStandard(dir, (dir / "s.csv").string(), true);
  ASSERT_EQ(r.status, kExitOk) << r.err;
  const Table t = ByFile(ParseCsv(ReadAll(dir / "s.csv").substr(3)));
  ASSERT_EQ(t.size(), kStandard.size());
  for (const std::string& f : kStandard) {
    const std::string stem = fs::path(f).stem().string();
    SCOPED_TRACE(stem);
    const auto& row = t.at(stem + ".mdb");
    const QJsonObject j = JsonOf(dir / "out" / (stem + ".json"));
    const std::vector<std::string> report = Lines(ReadAll(dir / "out" / (stem + ".txt")));
    const std::string family = j["family"].toString().toStdString();
    const QJsonObject in = j["inputs"].toObject();
    EXPECT_EQ(row.at("単位系"), j["units"].toString().toStdString());
    int checked = 0;
    for (CheckCase c : kSummaryCases) {
      const bool seismic = c == CheckCase::Seismic;
      const QJsonObject st = family == "cantilever"
                                 ? j["stability"][seismic ? "seismic" : "normal"].toObject()
                                 : j["stability"].toObject();
      std::map<CheckKind, JsonCheck> stability;
      if (family != "cantilever" && !seismic) {
        const double q = std::max(st["q1"].toDouble(), st["q2"].toDouble());
        stability[CheckKind::Overturning] = {Printed(std::fabs(st["e"].toDouble())),
                                             st["B6"].toDouble(),
                                             j["verdicts"]["overturning"].toString() == "OK"};
        stability[CheckKind::Sliding] = {Printed(st["Fs"]), in["Fsa"].toDouble(),
                                         j["verdicts"]["sliding"].toString() == "OK"};
        stability[CheckKind::Bearing] = {Printed(q), in["qa"].toDouble(),
                                         j["verdicts"]["bearing"].toString() == "OK"};
      } else if (family == "cantilever") {
        const QString sfx = seismic ? "E" : "";
        const double q = std::max(st["q1" + sfx].toDouble(), st["q2" + sfx].toDouble());
        stability[CheckKind::Overturning] = {
            Printed(st["e" + sfx]), st[seismic ? "B3" : "B6"].toDouble(),
            st[seismic ? "B3_greater_than_eE" : "B6_greater_than_e"].toBool()};
        stability[CheckKind::Sliding] = {Printed(st["Fs" + sfx]), in["Fsa" + sfx].toDouble(),
                                         st["sliding"].toString() == "OK"};
        stability[CheckKind::Bearing] = {Printed(q), in["qa" + sfx].toDouble(),
                                         st["bearing"].toString() == "OK"};
      }
      for (CheckKind k : kSummaryKinds) {
        const std::string group = std::string(KindName(k)) + "（" + std::string(CaseName(c)) + "）";
        auto cell = [&](const std::string& title) {
          for (const auto& [head, text] : row) {
            if (head.rfind(group + title, 0) == 0) return text;
          }
          ADD_FAILURE() << "no column " << group << title;
          return std::string();
        };
        const std::string value = cell("値"), limit = cell("制限値"), verdict = cell("判定");
        const std::vector<bool> stress = StressVerdicts(j, family, seismic);
        if (family != "cantilever" && seismic) {
          EXPECT_EQ(value + limit + verdict, "") << group;
          continue;
        }
        SCOPED_TRACE(group);
        ASSERT_FALSE(value.empty());
        ++checked;
        if (k == CheckKind::Stress) {
          const bool all_ok = std::all_of(stress.begin(), stress.end(), [](bool b) { return b; });
          EXPECT_EQ(verdict == "ＯＫ", all_ok);
        } else {
          const JsonCheck& expected = stability.at(k);
          EXPECT_EQ(value, expected.value);
          const size_t point = limit.find('.');
          EXPECT_EQ(FormatValue(static_cast<float>(expected.limit),
                                point == std::string::npos
                                    ? "0"
                                    : "0." + std::string(limit.size() - point - 1, '0')),
                    limit);
          EXPECT_EQ(verdict == "ＯＫ", expected.ok);
        }
        // The report prints the value and its limit on one line (in the order of its own
        // formula).
        const bool printed = std::any_of(report.begin(), report.end(), [&](const std::string& l) {
          return l.find(value) != std::string::npos && l.find(limit) != std::string::npos;
        });
        EXPECT_TRUE(printed) << value << " … " << limit;
      }
    }
    EXPECT_EQ(checked, family == "cantilever" ? 8 : 4);
  }
}

// Runs a short Python program that prints its result as JSON.
QJsonDocument Python(const std::string& program, const std::string& arg) {
  QProcess p;
  // The Debian interpreter, which the python3-openpyxl package serves.
  p.start("/usr/bin/python3", {"-c", QString::fromStdString(program), QString::fromStdString(arg)});
  EXPECT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  return QJsonDocument::fromJson(p.readAllStandardOutput());
}

// The spreadsheet read back with openpyxl: every cell's value, number format and whether its font
// is red.
constexpr const char* kReadXlsx = R"(
import json, sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).active
rows = [[{"v": c.value, "f": c.number_format, "red": bool(c.font and c.font.color and
          c.font.color.rgb == "FFFF0000")} for c in r] for r in ws.iter_rows()]
print(json.dumps({"title": ws.title, "merged": [str(m) for m in ws.merged_cells.ranges],
                  "rows": rows}))
)";

TEST(BatchTool, SummaryReadsBackAlikeAsCsvSpreadsheetAndPdf) {
  const fs::path dir = fs::path(kOut) / "batch_formats";
  const fs::path in = ProjectFolder("batch_formats_in") / "in";
  std::map<std::string, std::string> errs;
  for (const char* ext : {"csv", "xlsx", "pdf"}) {
    const std::string summary = (fs::path(kOut) / (std::string("batch_summary.") + ext)).string();
    fs::remove(summary);
    const ToolRun r = Tool({in.string(), "--summary", summary, "--date", "2026-04-01T09:00:00"});
    EXPECT_EQ(r.status, kExitSomeFailed);
    errs[ext] = r.err;
  }
  EXPECT_EQ(errs["csv"], errs["xlsx"]);
  const auto csv = ParseCsv(ReadAll(fs::path(kOut) / "batch_summary.csv").substr(3));
  ASSERT_EQ(csv.size(), kOrder.size() + 1);

  const QJsonObject x =
      Python(kReadXlsx, (fs::path(kOut) / "batch_summary.xlsx").string()).object();
  EXPECT_EQ(x["title"].toString(), "総括表");
  const QJsonArray rows = x["rows"].toArray();
  ASSERT_EQ(rows.size(), static_cast<int>(csv.size()) + 1);  // two header rows
  // Header: the group over its four columns in the first row, the title in the second.
  std::string group;
  for (size_t c = 0; c < csv[0].size(); ++c) {
    const QJsonValue top = rows[0].toArray()[static_cast<qsizetype>(c)].toObject()["v"];
    const QJsonValue sub = rows[1].toArray()[static_cast<qsizetype>(c)].toObject()["v"];
    if (!sub.isNull()) {
      if (!top.isNull()) group = top.toString().toStdString();
      EXPECT_EQ(group + sub.toString().toStdString(), csv[0][c]);
    } else {
      EXPECT_EQ(top.toString().toStdString(), csv[0][c]);
      group.clear();
    }
  }
  int numbers = 0, red = 0;
  for (size_t r = 1; r < csv.size(); ++r) {
    const QJsonArray cells = rows[static_cast<int>(r) + 1].toArray();
    for (size_t c = 0; c < csv[r].size(); ++c) {
      SCOPED_TRACE(csv[r][1] + " / " + csv[0][c]);
      const QJsonObject cell = cells[static_cast<int>(c)].toObject();
      const std::string& text = csv[r][c];
      if (cell["v"].isDouble()) {
        // A number as a number, shown with the printed decimals.
        ++numbers;
        const size_t point = text.find('.');
        const std::string format =
            point == std::string::npos ? "0" : "0." + std::string(text.size() - point - 1, '0');
        EXPECT_EQ(cell["f"].toString().toStdString(), format);
        EXPECT_EQ(FormatValue(cell["v"].toDouble(), format), text);
      } else {
        EXPECT_EQ(cell["v"].toString().toStdString(), text);
      }
      if (text == "ＮＧ" || text == "－") {
        EXPECT_TRUE(cell["red"].toBool());
        ++red;
      }
      if (text == "ＯＫ") {
        EXPECT_FALSE(cell["red"].toBool());
      }
    }
  }
  EXPECT_GT(numbers, 6 * 8);
  EXPECT_GT(red, 2);

  // The PDF: A4 landscape, the reports' header and footer, a row for each project.
  const std::string pdf = (fs::path(kOut) / "batch_summary.pdf").string();
  QProcess info;
  info.start("pdfinfo", {QString::fromStdString(pdf)});
  ASSERT_TRUE(info.waitForFinished(60000));
  const std::string facts = info.readAllStandardOutput().toStdString();
  double width = 0, height = 0;
  const size_t size = facts.find("Page size:");
  ASSERT_NE(size, std::string::npos) << facts;
  std::istringstream(facts.substr(size + 10)) >> width;
  std::istringstream(facts.substr(facts.find(" x ", size) + 3)) >> height;
  EXPECT_GT(width, height);
  EXPECT_NE(facts.find("(A4)"), std::string::npos) << facts;
  QProcess text;
  text.start("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
  ASSERT_TRUE(text.waitForFinished(60000));
  const std::string page_text = text.readAllStandardOutput().toStdString();
  for (const std::string& expected :
       {std::string("総括表"), std::string("工事名："), std::string("KTV-PN3 ver2.10"),
        std::string("擁壁 8 件：すべての照査がＯＫ"), std::string("計算できなかったもの 2 件")}) {
    EXPECT_NE(page_text.find(expected), std::string::npos) << expected << "\n" << page_text;
  }
  for (size_t r = 1; r < csv.size(); ++r) {
    EXPECT_NE(page_text.find(csv[r][1]), std::string::npos) << csv[r][1];
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
      {"no number of projects at once",
       {kStandard[0], "-d", out, "-j", "0"},
       kExitUsage,
       "-j 0: give a whole number from 1 to 1024"},
      {"not a number of projects at once",
       {kStandard[0], "-d", out, "--jobs", "2x"},
       kExitUsage,
       "--jobs 2x: give"},
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

// Built on several threads, the projects give the same files, lines and status as one after
// another; more threads than projects, too.
TEST(BatchTool, SeveralAtOnceWriteWhatOneAfterAnotherWrites) {
  const fs::path dir = ProjectFolder("batch_jobs");
  auto run = [&](const char* jobs) {
    const fs::path out = dir / (std::string("out_") + jobs);
    const ToolRun r =
        Tool({(dir / "in").string(), "-d", out.string(), "--json", "--text", "--summary",
              (out / "s.csv").string(), "--date", "2026-04-01T09:00:00", "-j", jobs},
             /*progress=*/true);
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(out)) {
      files[e.path().filename().string()] = ReadAll(e.path());
    }
    return std::tuple(r.status, r.out, Lines(r.err), files);
  };
  const auto one = run("1");
  ASSERT_EQ(std::get<3>(one).size(), 6u * 3 + 1);
  EXPECT_EQ(std::get<2>(one).size(), 8u + 1);
  for (const char* jobs : {"2", "16"}) {
    SCOPED_TRACE(jobs);
    const auto many = run(jobs);
    EXPECT_EQ(std::get<0>(many), kExitSomeFailed);
    EXPECT_EQ(std::get<0>(many), std::get<0>(one));
    EXPECT_EQ(std::get<1>(many), std::get<1>(one));
    EXPECT_EQ(std::get<2>(many), std::get<2>(one));
    EXPECT_TRUE(std::get<3>(many) == std::get<3>(one)) << "the files differ";
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
