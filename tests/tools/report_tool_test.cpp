#include "report_tool.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QThread>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/settings.h"
#include "app/standard_sizes.h"
#include "families/family_table.h"
#include "gravity_fixture.h"
#include "project/project_database.h"
#include "project_damage.h"
#include "report/report_writer.h"

namespace ktv {
namespace {

const std::string kOut = KTV_TOOLS_OUTPUT_DIR;
const std::string kData = KTV_GRAVITY_DATA_DIR;

std::string Fixture(bool si) {
  return kData + "/" + (si ? kStandardGravitySI : kStandardGravityCGS);
}

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

struct ToolRun {
  int status;
  std::string out, err;
};
ToolRun Tool(const std::vector<std::string>& args, const FamilyEntryTable& entries) {
  std::ostringstream out, err;
  const int status = RunReportTool(args, out, err, entries);
  return {status, out.str(), err.str()};
}
ToolRun Tool(const std::vector<std::string>& args) {
  return Tool(args, ProgramFamilies().ReportEntries());
}

// A project copied from a fixture and changed.
std::string Project(const std::string& name, bool si,
                    const std::function<void(ProjectDatabase&)>& change) {
  const std::string path = kOut + "/" + name;
  std::filesystem::copy_file(Fixture(si), path, std::filesystem::copy_options::overwrite_existing);
  ProjectDatabase db = ProjectDatabase::Open(path);
  change(db);
  return path;
}

QJsonObject Json(const std::string& path) {
  const QByteArray bytes = QByteArray::fromStdString(ReadAll(path));
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
  return doc.object();
}

TEST(ReportTool, WritesPdfTextAndJsonOfTheStandardWallAndLeavesTheProjectAlone) {
  for (bool si : {true, false}) {
    SCOPED_TRACE(si ? "SI" : "CGS");
    const std::string project = Fixture(si);
    const std::string before = ReadAll(project);
    const std::string stem = kOut + (si ? "/standard_si" : "/standard_cgs");
    const ToolRun r =
        Tool({project, "-o", stem + ".pdf", "--json", stem + ".json", "--text", stem + ".txt"});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadAll(project), before);
    EXPECT_EQ(ReadAll(stem + ".pdf").substr(0, 5), "%PDF-");

    const std::string text = ReadAll(stem + ".txt");
    for (const char* page : {"=== page 0 ===", "=== page 3 ==="}) {
      EXPECT_NE(text.find(page), std::string::npos) << page;
    }
    EXPECT_EQ(text.find("=== page 4 ==="), std::string::npos);
    const std::string line = si ? "　　　コンクリートの許容曲げ圧縮応力度 σcac = 4.5 N/mm2"
                                : "　　　コンクリートの許容曲げ圧縮応力度 σcac = 45 kg/cm2";
    EXPECT_NE(text.find(line), std::string::npos);
    EXPECT_NE(text.find("重力式擁壁の設計計算"), std::string::npos);

    const QJsonObject j = Json(stem + ".json");
    EXPECT_EQ(j["family"].toString(), "gravity");
    EXPECT_EQ(j["units"].toString(), si ? "SI" : "CGS");
    const QJsonObject in = j["inputs"].toObject();
    // Numbers are the shortest decimals that read back as the same float.
    EXPECT_EQ(in["H"].toDouble(), 2.3);
    EXPECT_DOUBLE_EQ(in["sigma_cac"].toDouble(), si ? 4.5 : 45.0);
    EXPECT_EQ(in["beta_deg"].toDouble(), 29.05);
    EXPECT_EQ(static_cast<float>(in["T00"].toDouble()), 0.23f);
    const QJsonObject ep = j["earth_pressure"].toObject();
    EXPECT_NEAR(ep["Ka"].toDouble(), 0.71098, 1e-5);
    EXPECT_NEAR(ep["alpha_deg"].toDouble(), 16.699, 1e-3);
    EXPECT_FALSE(ep["Ka_error"].toBool());
    EXPECT_NEAR(ep["PH"].toDouble(), si ? 40.742 : 4.132, 5e-4);
    const QJsonObject sw = j["self_weight"].toObject();
    const QJsonArray parts = sw["parts"].toArray();
    ASSERT_EQ(parts.size(), 3);
    EXPECT_EQ(parts[0].toObject()["part"].toString(), "W1");
    EXPECT_EQ(parts[2].toObject()["part"].toString(), "W3");
    // The total is the sum of the printed weights: 61.365, not the unrounded 61.364.
    EXPECT_EQ(sw["sum_V_w"].toDouble(), si ? 61.365 : 6.136);
    const QJsonObject st = j["stability"].toObject();
    EXPECT_NEAR(st["d"].toDouble(), si ? 0.627 : 0.626, 5e-4);
    EXPECT_NEAR(st["e"].toDouble(), si ? 0.183 : 0.184, 5e-4);
    EXPECT_NEAR(st["Fs"].toDouble(), si ? 1.408 : 1.395, 5e-4);
    EXPECT_NEAR(st["q1"].toDouble(), si ? 99.037 : 9.969, 5e-4);
    EXPECT_NEAR(st["q2"].toDouble(), si ? 18.977 : 1.891, 5e-4);
    const QJsonObject bs = j["body_stress"].toObject();
    EXPECT_NEAR(bs["sigma_c1"].toDouble(), si ? 0.099 : 0.997, 5e-4);
    const QJsonObject v = j["verdicts"].toObject();
    EXPECT_EQ(v["overturning"].toString(), "OK");
    EXPECT_EQ(v["sliding"].toString(), "NG");
    EXPECT_EQ(v["bearing"].toString(), "OK");
    EXPECT_EQ(v["body_stress"].toString(), "OK");
    EXPECT_TRUE(v["within_middle_third"].toBool());
    EXPECT_FALSE(v["tension"].toBool());
  }
}

TEST(ReportTool, TextAndJsonCanGoToTheStandardOutput) {
  const ToolRun r = Tool({Fixture(true), "--json", "-"});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out.rfind("{\"family\": \"gravity\"", 0), 0u) << r.out.substr(0, 80);
  const ToolRun t = Tool({Fixture(true), "--text", "-"});
  ASSERT_EQ(t.status, kExitOk) << t.err;
  EXPECT_EQ(t.out.rfind("=== page 0 ===", 0), 0u);
}

TEST(ReportTool, FailuresGiveTheirStatusAndOneLine) {
  const std::string not_project = kOut + "/not_a_project.mdb";
  std::ofstream(not_project) << "plain text\n";
  const std::string steep = Project("steep.mdb", true, [](ProjectDatabase& db) {
    ShapeRow s = *db.ReadShape(kGravity);
    s.beta = 40;
    db.WriteShape(kGravity, s);
  });
  const std::string odd_family = Project("odd_family.mdb", true, [](ProjectDatabase& db) {
    db.Write(UnitRow{"SI 単位", 7});
  });
  const std::string pdf = kOut + "/failure.pdf";
  FamilyEntryTable none{};
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const FamilyEntryTable* entries;
    int status;
    const char* message;
  };
  const Case cases[] = {
      {"missing file",
       {kOut + "/no_such.mdb", "-o", pdf},
       nullptr,
       kExitProject,
       "the file does not exist"},
      {"not a project", {not_project, "-o", pdf}, nullptr, kExitProject, "not a project"},
      {"no arguments", {}, nullptr, kExitUsage, "no project file given"},
      {"no output", {Fixture(true)}, nullptr, kExitUsage, "nothing to write"},
      {"unknown option", {Fixture(true), "-x"}, nullptr, kExitUsage, "unknown option -x"},
      {"option without file", {Fixture(true), "-o"}, nullptr, kExitUsage, "-o needs a file"},
      {"output over the project",
       {Fixture(true), "--text", Fixture(true)},
       nullptr,
       kExitUsage,
       "must not be the project file"},
      {"two outputs in one file",
       {Fixture(true), "-o", pdf, "--text", kOut + "/../tools/failure.pdf"},
       nullptr,
       kExitUsage,
       "names the file of another output"},
      {"family not built",
       {Fixture(true), "-o", pdf},
       &none,
       kExitNotBuilt,
       "the wall family 0 (重力式) is not built yet"},
      {"unknown family",
       {odd_family, "-o", pdf},
       nullptr,
       kExitNotBuilt,
       "the stored wall family 7 is unknown"},
      {"undefined calculation",
       {steep, "-o", pdf},
       nullptr,
       kExitBuild,
       "クーロン土圧係数Kaの計算中にエラーが発生しました; "
       "重力式擁壁の計算ができません：水平力の合計ΣHが0です（主働土圧係数Ka=0）。"},
      {"unwritable output",
       {Fixture(true), "-o", kOut + "/no_such_folder/r.pdf"},
       nullptr,
       kExitOutput,
       "no_such_folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(pdf);
    const ToolRun r = c.entries ? Tool(c.args, *c.entries) : Tool(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err.rfind("ktv-pn3-report: ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(pdf));
  }
}

void Sql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
  sqlite3_close(db);
}

// Every file of a folder with its bytes.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    files[e.path().filename().string()] = ReadAll(e.path().string());
  }
  return files;
}

// A bad project ends the command before anything is written, with its status and one line that
// names the user's file (never the private copy); the project's folder stays as it was.
TEST(ReportTool, BadProjectsAreRefusedNamingTheFileAndLeftAsTheyWere) {
  std::string long_name;
  for (int i = 0; i < 300; ++i) long_name += "名";
  struct Case {
    const char* name;
    std::function<void(const std::string&)> damage;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {"half-written file", LeaveHotJournal, kExitProject, "left half-written"},
      {"family code beyond 16 bits",
       [](const std::string& p) { Sql(p, "UPDATE \"tbl工事名\" SET \"形状\" = 32768"); },
       kExitProject, "tbl工事名.形状 holds 32768"},
      {"family code of no family",
       [](const std::string& p) { Sql(p, "UPDATE \"tbl工事名\" SET \"形状\" = 5"); }, kExitNotBuilt,
       "the stored wall family 5 is unknown (tbl工事名.形状"},
      {"name longer than the window takes",
       [&](const std::string& p) {
         Sql(p, "UPDATE \"tbl工事名\" SET CName = '" + long_name + "'");
       },
       kExitProject, "tbl工事名.CName holds a text of 300 characters"},
      {"size beyond physical meaning",
       [](const std::string& p) {
         Sql(p,
             "UPDATE \"tbl形状サイズ_重力式\" SET H = 10, T00 = 0, T01 = 535342407.37, "
             "T02 = 0, \"β\" = 0");
       },
       kExitBuild, "tbl形状サイズ_重力式.T01（T2）の値 535342400 m"},
      {"missing row", [](const std::string& p) { Sql(p, "DELETE FROM \"tblコンクリート\""); },
       kExitBuild, "の表 tblコンクリート にデータがありません。"},
      {"negative surcharge",
       [](const std::string& p) { Sql(p, "UPDATE \"tbl単位体積重量及び土質定数\" SET q1 = -1"); },
       kExitBuild, "tbl単位体積重量及び土質定数.q1（荷載荷重(上) q1）の値 -1"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::filesystem::path dir = kOut + "/bad_" + std::to_string(n++);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "project");
    const std::string project = (dir / "project" / "p.mdb").string();
    std::filesystem::copy_file(Fixture(true), project);
    c.damage(project);
    const auto before = Snapshot(dir / "project");
    const std::string out = (dir / "r").string();
    const ToolRun r =
        Tool({project, "-o", out + ".pdf", "--json", out + ".json", "--text", out + ".txt"});
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err.rfind("ktv-pn3-report: ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(project), std::string::npos) << "names the user's file: " << r.err;
    EXPECT_EQ(r.err.find("Data.mdb"), std::string::npos) << "names the private copy: " << r.err;
    EXPECT_EQ(Snapshot(dir / "project"), before);
    EXPECT_EQ(Snapshot(dir).size(), 1u) << "wrote an output";
  }
}

TEST(ReportTool, AProjectInWalModeIsReportedWithItsCommittedValuesAndLeftAsItWas) {
  const std::filesystem::path dir = kOut + "/wal";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string project = (dir / "p.mdb").string();
  std::filesystem::copy_file(Fixture(true), project);
  LeaveCommittedWal(project, "UPDATE \"tbl工事名\" SET CName = 'WALだけにある名前';");
  ASSERT_TRUE(std::filesystem::exists(project + "-wal"));
  const std::string main_file = ReadAll(project), wal = ReadAll(project + "-wal");
  const ToolRun r = Tool({project, "--text", "-"});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_NE(r.out.find("工事名：WALだけにある名前"), std::string::npos);
  EXPECT_EQ(ReadAll(project), main_file);
  EXPECT_EQ(ReadAll(project + "-wal"), wal);
}

TEST(ReportTool, AProjectInWalModeMakesNothingBesideIt) {
  // However the WAL mode was left: the folder holds the same files with the same bytes after the
  // report, no -wal and no -shm made.
  const struct {
    const char* name;
    std::function<void(const std::string&)> make;
  } cases[] = {
      {"WAL mode without its WAL file",
       [](const std::string& p) { Sql(p, "PRAGMA journal_mode=WAL"); }},
      {"committed WAL frames without the index",
       [](const std::string& p) {
         LeaveCommittedWal(p, "UPDATE \"tbl工事名\" SET CName = 'WALだけにある名前';");
         std::filesystem::remove(p + "-shm");
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::filesystem::path dir = kOut + "/wal_alone";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string project = (dir / "p.mdb").string();
    std::filesystem::copy_file(Fixture(true), project);
    c.make(project);
    const auto before = Snapshot(dir);
    const ToolRun r = Tool({project, "--text", "-"});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(Snapshot(dir), before);
  }
}

TEST(ReportTool, ANameBeginningWithADashFollowsTheEndOfOptions) {
  const std::filesystem::path dir = kOut + "/dash";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::filesystem::copy_file(Fixture(true), dir / "-p.mdb");
  const std::filesystem::path kept = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* message;  // nullptr: success
    const char* written;
  };
  const Case cases[] = {
      {{"--", "-p.mdb", "-o", "r.pdf"}, kExitOk, nullptr, "r.pdf"},
      {{"-o", "r.pdf", "--", "-p.mdb"}, kExitOk, nullptr, "r.pdf"},
      {{"--summary", "s.csv", "--", "-p.mdb"}, kExitOk, nullptr, "s.csv"},
      {{"-p.mdb", "-o", "r.pdf"}, kExitUsage, "unknown option -p.mdb", nullptr},
      {{"-o", "r.pdf", "--"}, kExitUsage, "-- needs a project file", nullptr},
      // A project named like an option is a project: no many-projects form here.
      {{"--", "-d", "--text", "t.txt"}, kExitProject, "-d: ", nullptr},
  };
  for (const Case& c : cases) {
    std::string all;
    for (const auto& a : c.args) all += a + " ";
    SCOPED_TRACE(all);
    for (const char* f : {"r.pdf", "s.csv", "t.txt"}) std::filesystem::remove(f);
    const ToolRun r = Tool(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    if (c.message) {
      EXPECT_EQ(r.err.rfind(std::string("ktv-pn3-report: ") + c.message, 0), 0u) << r.err;
    }
    if (c.written) {
      EXPECT_TRUE(std::filesystem::exists(c.written));
    }
  }
  std::filesystem::current_path(kept);
  const std::string usage = ReportToolUsage();
  EXPECT_NE(usage.find("-- PROJECT"), std::string::npos);
  EXPECT_NE(usage.find("ktv-pn3-report -- -p.mdb -o r.pdf"), std::string::npos);
}

TEST(ReportTool, BuildsTheLeaningWallWithItsValues) {
  for (const char* fixture : {"standard_leaning_si.mdb", "standard_leaning_cgs.mdb"}) {
    SCOPED_TRACE(fixture);
    const std::string json = kOut + "/leaning_values.json";
    const ToolRun r =
        Tool({std::string(KTV_LEANING_DATA_DIR) + "/" + fixture, "--text", "-", "--json", json});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    // The cover and six report pages; the dimensions of the figures are the stored sizes in mm.
    EXPECT_NE(r.out.find("=== page 6 ==="), std::string::npos);
    EXPECT_EQ(r.out.find("=== page 7 ==="), std::string::npos);
    EXPECT_NE(r.out.find("\n2400\n"), std::string::npos);
    EXPECT_NE(ReadAll(json).find("\"family\": \"leaning\""), std::string::npos) << ReadAll(json);
  }
}

TEST(ReportTool, JsonIsWhatTheFamilyEntryGives) {
  const std::string leaning = Project("leaning.mdb", true, [](ProjectDatabase& db) {
    db.Write(UnitRow{"SI 単位", kLeaning});
  });
  FamilyEntryTable entries{};
  entries[kLeaning] = [](ReportWriter& w, const ReportContext&) { w.Paragraph("もたれ式"); };
  const ToolRun json = Tool({leaning, "--json", kOut + "/leaning.json"}, entries);
  EXPECT_EQ(json.status, kExitUsage);
  EXPECT_NE(json.err.find("(もたれ式) gives no results as JSON"), std::string::npos) << json.err;
  EXPECT_FALSE(std::filesystem::exists(kOut + "/leaning.json"));
  // The stored family decides which entry builds the report.
  const ToolRun text = Tool({leaning, "--text", "-"}, entries);
  ASSERT_EQ(text.status, kExitOk) << text.err;
  EXPECT_NE(text.out.find("もたれ式"), std::string::npos);
  EXPECT_EQ(text.out.find("重力式擁壁の設計計算"), std::string::npos);
}

// The cover prints what the options say, whatever the settings store of the account holds: the
// same project and options give the same report everywhere.
TEST(ReportTool, TheCoverComesFromTheOptionsNeverFromTheSettings) {
  const QString settings_dir = QString::fromStdString(kOut + "/cover_settings");
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings_dir);
  {
    auto settings = OpenUserSettings();
    settings->setValue(kKeyOfficeName, QString::fromUtf8("設定の事務所"));
    settings->setValue(kKeyPrintDate, "0");
    settings->sync();
  }
  auto cover = [](std::vector<std::string> options) {
    std::vector<std::string> args = {Fixture(true), "--text", "-"};
    args.insert(args.end(), options.begin(), options.end());
    const ToolRun r = Tool(args);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    return r.out.substr(0, r.out.find("=== page 1 ==="));
  };
  const std::string plain = cover({});
  EXPECT_NE(plain.find("事務所名：　\n"), std::string::npos) << plain;
  EXPECT_NE(plain.find("日付　　　："), std::string::npos) << plain;
  EXPECT_EQ(plain.find("設定の事務所"), std::string::npos) << plain;

  const std::string office = cover({"--office", "設計室", "--cover-date", "no"});
  EXPECT_NE(office.find("事務所名：設計室　"), std::string::npos) << office;
  EXPECT_EQ(office.find("日付"), std::string::npos) << office;
  const std::string no_office = cover({"--office", "設計室", "--cover-office", "no"});
  EXPECT_EQ(no_office.find("事務所名"), std::string::npos) << no_office;
  EXPECT_NE(no_office.find("日付　　　："), std::string::npos) << no_office;
  EXPECT_NE(no_office.find("工事名："), std::string::npos) << no_office;
  const std::string no_name = cover({"--cover-name", "no"});
  EXPECT_EQ(no_name.find("工事名："), std::string::npos) << no_name;
  EXPECT_NE(no_name.find("事務所名：　"), std::string::npos) << no_name;

  const ToolRun bad = Tool({Fixture(true), "--text", "-", "--cover-date", "maybe"});
  EXPECT_EQ(bad.status, kExitUsage);
  EXPECT_NE(bad.err.find("--cover-date maybe: give yes or no"), std::string::npos) << bad.err;
}

// The command is built without the widget library: it needs no window system at all.
TEST(ReportToolCommand, LinksNoWidgetLibrary) {
  QProcess ldd;
  ldd.start("ldd", {KTV_REPORT_TOOL});
  ASSERT_TRUE(ldd.waitForFinished(60000));
  const std::string libraries = ldd.readAllStandardOutput().toStdString();
  EXPECT_NE(libraries.find("libQt6Gui"), std::string::npos) << libraries;
  EXPECT_EQ(libraries.find("libQt6Widgets"), std::string::npos) << libraries;
  EXPECT_EQ(libraries.find("libQt6PrintSupport"), std::string::npos) << libraries;
}

TEST(ReportTool, HelpListsTheOptionsAndTheJsonKeys) {
  const ToolRun r = Tool({"--help"});
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.err, "");
  for (const char* key : {"usage: ktv-pn3-report PROJECT.mdb", "--json", "--text", "Ka", "PHA",
                          "sum_V_w", "Fs", "q1", "sigma_c1", "overturning", "body_stress"}) {
    EXPECT_NE(r.out.find(key), std::string::npos) << key;
  }
}

// The installed command, as a batch job runs it: no display, no platform chosen.
TEST(ReportToolCommand, RunsWithoutADisplay) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("QT_QPA_PLATFORM");
  env.remove("DISPLAY");
  env.remove("WAYLAND_DISPLAY");
  auto run = [&](const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(KTV_REPORT_TOOL, args);
    EXPECT_TRUE(p.waitForFinished(120000));
    return std::pair(p.exitCode(), p.readAllStandardError().toStdString());
  };
  const std::string pdf = kOut + "/command.pdf";
  std::filesystem::remove(pdf);
  const auto [ok, ok_err] =
      run({QString::fromStdString(Fixture(true)), "-o", QString::fromStdString(pdf)});
  EXPECT_EQ(ok, kExitOk) << ok_err;
  EXPECT_EQ(ok_err, "");
  EXPECT_EQ(ReadAll(pdf).substr(0, 5), "%PDF-");

  const auto [missing, missing_err] = run({"/no/such/project.mdb", "-o", "x.pdf"});
  EXPECT_EQ(missing, kExitProject);
  EXPECT_EQ(missing_err, "ktv-pn3-report: /no/such/project.mdb: the file does not exist\n");
}

// Ended by SIGTERM or SIGINT at any moment, the command leaves no temporary file behind: neither
// its private copy nor the temporary file of an output.
TEST(ReportToolCommand, RemovesItsTemporaryFilesWhenTerminated) {
  // The single form, and the many-project form with its summary (written last, through a private
  // folder of its own), one project after another and two at once.
  struct Form {
    const char* name;
    std::vector<std::string> outputs;  // in the test's folder
  };
  const Form forms[] = {{"single", {"r.pdf", "r.txt"}},
                        {"many", {"out", "s.pdf"}},
                        {"many_at_once", {"out", "s.pdf"}}};
  for (const Form& form : forms) {
    const std::filesystem::path dir = kOut + "/signals_" + form.name;
    int stopped = 0;
    for (int run = 0; run < 6; ++run) {
      SCOPED_TRACE(std::string(form.name) + " run " + std::to_string(run));
      std::filesystem::remove_all(dir);
      std::filesystem::create_directories(dir / "tmp");
      std::filesystem::create_directories(dir / "runtime");
      std::filesystem::permissions(dir / "runtime", std::filesystem::perms::owner_all);
      QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
      env.insert("TMPDIR", QString::fromStdString((dir / "tmp").string()));
      // Qt's runtime folder would otherwise be made in TMPDIR.
      env.insert("XDG_RUNTIME_DIR", QString::fromStdString((dir / "runtime").string()));
      QStringList args;
      const QString out = QString::fromStdString((dir / "r").string());
      if (std::string(form.name) == "single") {
        args = {QString::fromStdString(Fixture(true)), "-o", out + ".pdf", "--text", out + ".txt"};
      } else {
        args = {QString::fromStdString(Fixture(true)),
                QString::fromStdString(Fixture(false)),
                "-d",
                QString::fromStdString((dir / "out").string()),
                "--summary",
                QString::fromStdString((dir / "s.pdf").string())};
        // Both projects built at the same time, on two threads.
        if (std::string(form.name) == "many_at_once")
          args << "-j"
               << "2";
      }
      QProcess p;
      p.setProcessEnvironment(env);
      p.start(KTV_REPORT_TOOL, args);
      ASSERT_TRUE(p.waitForStarted());
      // Once the private copy exists, wait a little longer each run before the signal.
      while (p.state() == QProcess::Running && std::filesystem::is_empty(dir / "tmp")) {
        QThread::msleep(2);
      }
      QThread::msleep(150 * run);
      ::kill(static_cast<pid_t>(p.processId()), run % 2 ? SIGINT : SIGTERM);
      ASSERT_TRUE(p.waitForFinished(120000));
      if (p.exitCode() != kExitOk) {
        EXPECT_EQ(p.exitCode(), 128 + (run % 2 ? SIGINT : SIGTERM))
            << p.readAllStandardError().toStdString();
        ++stopped;
      }
      EXPECT_TRUE(std::filesystem::is_empty(dir / "tmp"));
      // Nothing but the outputs themselves: no temporary file of an output (QSaveFile's or other).
      for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
        const std::string name = e.path().lexically_relative(dir).string();
        const bool output =
            std::find(form.outputs.begin(), form.outputs.end(), name) != form.outputs.end() ||
            name == "out/standard_gravity_si.pdf" || name == "out/standard_gravity_cgs.pdf";
        EXPECT_TRUE(name == "tmp" || name == "runtime" || output) << e.path();
      }
    }
    EXPECT_GT(stopped, 0) << form.name;
  }
}

// The removal on a signal takes the temporary files that QSaveFile makes beside an output, and
// leaves alone every other file, those of the same form that were there before included.
TEST(ReportToolCommand, TemporaryFilesOfASaveFileAreThoseMadeAfterward) {
  const std::filesystem::path dir = kOut + "/save_file_temporaries";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  auto touch = [&](const std::string& name) { std::ofstream(dir / name) << "x"; };
  touch("r.pdf");
  touch("r.pdf.Before");
  TemporaryFiles files;
  files.AddSaveFileOf((dir / "r.pdf").string());
  for (const char* name : {"r.pdf.aB3xY9", "r.pdf.Later", "r.pdf.bak", "r.pdf.aB3xY9Z",
                           "r.pdf.a-3xY9", "xr.pdf.aB3xY9", "s.pdf.aB3xY9"}) {
    touch(name);
  }
  files.RemoveAll();
  std::set<std::string> left;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    left.insert(e.path().filename().string());
  }
  EXPECT_EQ(left, (std::set<std::string>{"r.pdf", "r.pdf.Before", "r.pdf.Later", "r.pdf.bak",
                                         "r.pdf.aB3xY9Z", "r.pdf.a-3xY9", "xr.pdf.aB3xY9",
                                         "s.pdf.aB3xY9"}));
}

}  // namespace
}  // namespace ktv
