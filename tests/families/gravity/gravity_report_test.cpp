#include "families/gravity/gravity_report.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QString>
#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <functional>
#include <numbers>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include "app/errors.h"
#include "app/format.h"
#include "app/messages.h"
#include "app/standard_sizes.h"
#include "families/family_table.h"
#include "families/gravity/gravity_json.h"
#include "families/gravity/gravity_reader.h"
#include "golden.h"
#include "gravity_fixture.h"
#include "page_inspect.h"
#include "project/project_database.h"
#include "report/report_build.h"
#include "report/report_render.h"
#include "report/report_writer.h"

namespace ktv {
namespace {

using Runs = std::vector<std::string>;
using testing_util::Overlap;
using testing_util::RunBox;

const std::string kOut = KTV_GRAVITY_OUTPUT_DIR;
const std::string kData = KTV_GRAVITY_DATA_DIR;
const std::string kGolden = KTV_GRAVITY_GOLDEN_DIR;

bool IsFooter(const Page& page, const TextRun& run, double page_height) {
  return run.text == std::to_string(page.number) && run.y > page_height - kPageMargin;
}
bool IsHeader(const TextRun& run) { return run.y < kPageMargin; }

// The texts of the page in drawing order, header and footer left out.
Runs BodyRuns(const Page& page) {
  Runs runs;
  for (const PageItem& item : page.items) {
    if (const auto* run = std::get_if<TextRun>(&item)) {
      if (!IsHeader(*run) && !IsFooter(page, *run, kA4Height)) runs.push_back(run->text);
    }
  }
  return runs;
}

std::vector<std::string> PictureKeys(const Page& page) {
  std::vector<std::string> keys;
  for (const PageItem& item : page.items) {
    if (const auto* p = std::get_if<PictureItem>(&item)) keys.push_back(p->key);
  }
  return keys;
}

int CountArcs(const Page& page) {
  return static_cast<int>(std::count_if(page.items.begin(), page.items.end(), [](const auto& i) {
    return std::holds_alternative<ArcItem>(i);
  }));
}

// Cell texts by table, in drawing order ("r,c=text"); wrapped lines are joined.
std::vector<std::vector<std::string>> Tables(const Page& page) {
  std::vector<std::vector<std::string>> tables;
  for (const PageItem& item : page.items) {
    const auto* cell = std::get_if<CellItem>(&item);
    if (!cell) continue;
    if (cell->row == 1 && cell->col == 1) tables.emplace_back();
    std::string text;
    for (const TextRun& line : cell->lines) text += line.text;
    tables.back().push_back(std::to_string(cell->row) + "," + std::to_string(cell->col) + "=" +
                            text);
  }
  return tables;
}

std::string Copy(const std::string& fixture, const std::string& name) {
  const std::string path = kOut + "/" + name;
  std::filesystem::copy_file(kData + "/" + fixture, path,
                             std::filesystem::copy_options::overwrite_existing);
  return path;
}

// The whole preview build of a project with the program's family entries.
ReportBuildResult Build(ReportWriter& w, const std::string& db, MessageSink* sink = nullptr) {
  ReportContext ctx;
  ctx.working_database_path = db;
  ctx.sink = sink;
  return BuildReport(w, WallFamily::Gravity, ctx, ProgramFamilies().ReportEntries());
}

// ---- the standard wall, both unit systems ----------------------------------------------------

struct StandardCase {
  const char* name;
  const char* fixture;
  std::array<Runs, 3> pages;  // report pages 1 to 3
  std::array<std::vector<std::string>, 3> tables;
};

const std::vector<StandardCase>& StandardCases() {
  static const std::vector<StandardCase> cases = {
      {"SI",
       kStandardGravitySI,
       {{
           {"重力式擁壁の設計計算",
            "１ 設計条件",
            "（１）単位体積重量及び土質定数",
            "　　　コンクリート",
            "γc",
            "= 23.000 kN/m3",
            "　　　裏込土",
            "γ",
            "= 19.600 kN/m3",
            "　　　裏込土の内部摩擦角",
            "φ",
            "= 35°",
            "　　　粘着力",
            "Ｃ",
            "= 0.000 kN/m2",
            "　　　過載荷重",
            "q",
            "= 10.000 kN/m2",
            "（２）許容応力度",
            "　　　コンクリートの設計基準強度",
            "σck",
            "= 18 N/mm2以上",
            "　　　コンクリートの許容曲げ圧縮応力度",
            "σcac",
            "= 4.5 N/mm2",
            "　　　コンクリートの許容曲げ引張応力度",
            "σcat",
            "= 0.23 N/mm2",
            "（３）基礎の安定（常時）",
            "　　　基礎地盤の許容支持力度",
            "ｑa = 200.0 kN/m2",
            "　　　滑動に対する安全率",
            "1.5 以上",
            "　　　合力の作用位置は低版幅の中央 1/3 以内",
            "２ 形状寸法",
            "700",
            "1620",
            "2300",
            "α = 16.699°",
            "β = 29.05°、q = 10 kN/m2",
            "1：0.30"},
           {"３ 土圧計算",
            "φ＝35°、β＝29.05°、α＝16.70°、δ=2/3φ（常時）",
            "主働土圧係数は、クーロンの公式より",
            "0.711",
            "したがって、下図を参照にして",
            "28.222 kN/m",
            "23.708 kN/m",
            "過載荷重による土圧は",
            "12.521 kN/m",
            "10.518 kN/m",
            "ゆえに土圧係数は",
            "40.742 kN/m",
            "34.226 kN/m",
            "230",
            "700",
            "690",
            "2300",
            "α = 16.699°",
            "β = 29.05°、q = 10 kN/m2",
            "Pv",
            "Ph",
            "W1",
            "W2",
            "W3"},
           {"４　安全計算",
            "（１）自重および合力の作用位置計算",
            "前ページの図を参考にして下表の計算結果を得た。",
            "したがって下の表の計算結果を得た。",
            "擁壁底面の合力の作用位置dは",
            "0.627 m",
            "（２）転倒に対する安定",
            "合力の偏心距離eは",
            "0.183 m",
            " ＜ ",
            "0.270 m　　ＯＫ",
            "（３）滑動に対する安定",
            "定番下面と基礎地盤間の摩擦係数等が与えられていないため、ここでは付着力 c=0 と考え",
            "常時の許容応力度 qa=200 kN/m2の場合のすべり摩擦係数 tanφB=0.6を採用する。",
            "1.408",
            " ≦ 1.5　　ＮＧ",
            "（４）支持力に対する安定",
            "合力の作用位置は定番幅の中央1/3以内にあるので、地盤反力度は",
            "99.037 kN/m2  ， 18.977 kN/m2",
            " ＜ qa = 200 kN/m2           ＯＫ",
            "５　躯体の応力度",
            "躯体の応力度は躯体下面で最大となる。すなわち",
            "0.099  ，0.019",
            " ＜ σcac = 4.5 N/mm2            ＯＫ",
            "であり、躯体に引張応力度は生じない"},
       }},
       {{
           {"1,1=区分",        "1,2=断面積(m2)", "1,3=単位重量γ(kN/m3)",
            "1,4=鉛直力V(kN)", "1,5=アーム(m)",  "1,6=原点に対する回転モーメント(kN･m)",
            "2,1=W1",          "2,2=0.265",      "2,3=23.00",
            "2,4=6.084",       "2,5=0.153",      "2,6=0.933",
            "3,1=W2",          "3,2=1.610",      "3,3=23.00",
            "3,4=37.030",      "3,5=0.580",      "3,6=21.477",
            "4,1=W3",          "4,2=0.794",      "4,3=23.00",
            "4,4=18.251",      "4,5=1.160",      "4,6=21.171",
            "5,1=計",          "5,2=",           "5,3=",
            "5,4=61.365",      "5,5=",           "5,6=43.581"},
           {"1,1=荷重", "1,2=鉛直力V(kN)", "1,3=水平力H(kN)", "2,1=自重", "2,2=61.365",
            "2,3=", "3,1=土圧", "3,2=34.226", "3,3=40.742", "4,1=合計", "4,2=95.591", "4,3=40.742"},
           {"1,1=原点からの距離(m)", "1,3=原点に対する回転モーメント(kN･m)", "2,1=x", "2,2=y",
            "2,3=抵抗モーメント Mr", "2,4=転倒モーメント M", "3,1=", "3,2=", "3,3=43.581",
            "3,4=", "4,1=1.390", "4,2=0.767", "4,3=47.575", "4,4=31.236",
            "5,1=", "5,2=", "5,3=91.156", "5,4=31.236"},
       }}},
      {"CGS",
       kStandardGravityCGS,
       {{
           {"重力式擁壁の設計計算",
            "１ 設計条件",
            "（１）単位体積重量及び土質定数",
            "　　　コンクリート",
            "γc",
            "= 2.300 t/m3",
            "　　　裏込土",
            "γ",
            "= 2.000 t/m3",
            "　　　裏込土の内部摩擦角",
            "φ",
            "= 35°",
            "　　　粘着力",
            "Ｃ",
            "= 0.000 t/m2",
            "　　　過載荷重",
            "q",
            "= 1.000 t/m2",
            "（２）許容応力度",
            "　　　コンクリートの設計基準強度",
            "σck",
            "= 180 kg/cm2以上",
            "　　　コンクリートの許容曲げ圧縮応力度",
            "σcac",
            "= 45 kg/cm2",
            "　　　コンクリートの許容曲げ引張応力度",
            "σcat",
            "= 2.3 kg/cm2",
            "（３）基礎の安定（常時）",
            "　　　基礎地盤の許容支持力度",
            "ｑa = 20.0 t/m2",
            "　　　滑動に対する安全率",
            "1.5 以上",
            "　　　合力の作用位置は低版幅の中央 1/3 以内",
            "２ 形状寸法",
            "700",
            "1620",
            "2300",
            "α = 16.699°",
            "β = 29.05°、q = 1 t/m2",
            "1：0.30"},
           {"３ 土圧計算",
            "φ＝35°、β＝29.05°、α＝16.70°、δ=2/3φ（常時）",
            "主働土圧係数は、クーロンの公式より",
            "0.711",
            "したがって、下図を参照にして",
            "2.880 t/m",
            "2.419 t/m",
            "過載荷重による土圧は",
            "1.252 t/m",
            "1.052 t/m",
            "ゆえに土圧係数は",
            "4.132 t/m",
            "3.471 t/m",
            "230",
            "700",
            "690",
            "2300",
            "α = 16.699°",
            "β = 29.05°、q = 1 t/m2",
            "Pv",
            "Ph",
            "W1",
            "W2",
            "W3"},
           {"４　安全計算",
            "（１）自重および合力の作用位置計算",
            "前ページの図を参考にして下表の計算結果を得た。",
            "したがって下の表の計算結果を得た。",
            "擁壁底面の合力の作用位置dは",
            "0.626 m",
            "（２）転倒に対する安定",
            "合力の偏心距離eは",
            "0.184 m",
            " ＜ ",
            "0.270 m　　ＯＫ",
            "（３）滑動に対する安定",
            "定番下面と基礎地盤間の摩擦係数等が与えられていないため、ここでは付着力 c=0 と考え",
            "常時の許容応力度 qa=20 t/m2の場合のすべり摩擦係数 tanφB=0.6を採用する。",
            "1.395",
            " ≦ 1.5　　ＮＧ",
            "（４）支持力に対する安定",
            "合力の作用位置は定番幅の中央1/3以内にあるので、地盤反力度は",
            "9.969 t/m2  ， 1.891 t/m2",
            " ＜ qa = 20 t/m2           ＯＫ",
            "５　躯体の応力度",
            "躯体の応力度は躯体下面で最大となる。すなわち",
            "0.997  ，0.189",
            " ＜ σcac = 45 kg/cm2            ＯＫ",
            "であり、躯体に引張応力度は生じない"},
       }},
       {{
           {"1,1=区分",       "1,2=断面積(m2)", "1,3=単位重量γ(t/m3)",
            "1,4=鉛直力V(t)", "1,5=アーム(m)",  "1,6=原点に対する回転モーメント(t･m)",
            "2,1=W1",         "2,2=0.265",      "2,3=2.30",
            "2,4=0.608",      "2,5=0.153",      "2,6=0.093",
            "3,1=W2",         "3,2=1.610",      "3,3=2.30",
            "3,4=3.703",      "3,5=0.580",      "3,6=2.148",
            "4,1=W3",         "4,2=0.794",      "4,3=2.30",
            "4,4=1.825",      "4,5=1.160",      "4,6=2.117",
            "5,1=計",         "5,2=",           "5,3=",
            "5,4=6.136",      "5,5=",           "5,6=4.358"},
           {"1,1=荷重", "1,2=鉛直力V(t)", "1,3=水平力H(t)", "2,1=自重", "2,2=6.136",
            "2,3=", "3,1=土圧", "3,2=3.471", "3,3=4.132", "4,1=合計", "4,2=9.607", "4,3=4.132"},
           {"1,1=原点からの距離(m)", "1,3=原点に対する回転モーメント(t･m)", "2,1=x", "2,2=y",
            "2,3=抵抗モーメント Mr", "2,4=転倒モーメント M", "3,1=", "3,2=", "3,3=4.358",
            "3,4=", "4,1=1.390", "4,2=0.767", "4,3=4.825", "4,4=3.168", "5,1=", "5,2=", "5,3=9.183",
            "5,4=3.168"},
       }}},
  };
  return cases;
}

class StandardWallReport : public testing::TestWithParam<StandardCase> {};

TEST_P(StandardWallReport, PagesCarryTheExactTextsTablesAndPictures) {
  const StandardCase& c = GetParam();
  ReportWriter w;
  const ReportBuildResult r = Build(w, Copy(c.fixture, std::string("standard_") + c.name + ".mdb"));
  ASSERT_TRUE(r.complete) << r.error;
  // The cover, then the page breaks after the shape and the earth pressure; the bearing and the
  // body stress follow sliding on its page where they fit.
  ASSERT_EQ(w.Pages().size(), 4u);
  // The report pages as read (the cover depends on the settings store and is tested on its own).
  std::string text;
  for (size_t p = 1; p < w.Pages().size(); ++p) text += PageText(w.Pages()[p]);
  testing_util::ExpectMatchesGolden(kGolden + "/standard_gravity_" + c.name + ".txt", text);
  for (int p = 0; p < 3; ++p) {
    SCOPED_TRACE("page " + std::to_string(p + 1));
    EXPECT_EQ(BodyRuns(w.Pages()[p + 1]), c.pages[p]);
  }
  const std::vector<std::vector<std::string>> expected_pictures = {
      {},
      {"1_3_9", "1_3_1", "1_3_2", "1_3_13", "1_3_14", "1_3_15", "1_3_16"},
      {"1_3_3", "1_3_4", "1_3_5", "1_3_6", "1_3_7", "1_3_8"}};
  for (int p = 0; p < 3; ++p) EXPECT_EQ(PictureKeys(w.Pages()[p + 1]), expected_pictures[p]);
  const auto tables = Tables(w.Pages()[3]);
  ASSERT_EQ(tables.size(), 3u);
  for (int t = 0; t < 3; ++t) EXPECT_EQ(tables[t], c.tables[t]) << "table " << t + 1;
  // Both figures mark α and β with an arc.
  EXPECT_EQ(CountArcs(w.Pages()[1]), 2);
  EXPECT_EQ(CountArcs(w.Pages()[2]), 2);

  // The same document as PDF, for a look at the pages.
  const QString pdf = QString::fromStdString(kOut + "/standard_gravity_" + c.name + ".pdf");
  WritePdf(w, pdf);
  QFile f(pdf);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_TRUE(f.read(5).startsWith("%PDF-"));
}

INSTANTIATE_TEST_SUITE_P(Units, StandardWallReport, testing::ValuesIn(StandardCases()),
                         [](const auto& info) { return std::string(info.param.name); });

GravityInputs StandardInputs();

TEST(GravityReportEntry, IsTheFamilyEntryOfTheGravityWall) {
  ASSERT_TRUE(ProgramFamilies().Of(WallFamily::Gravity).report);
  ReportWriter w;
  const ReportBuildResult r = Build(w, Copy(kStandardGravitySI, "entry.mdb"));
  ASSERT_TRUE(r.complete) << r.error;
  EXPECT_EQ(r.report_pages, 3);
  // The results come from the run that wrote the chapters.
  const GravityInputs in = StandardInputs();
  EXPECT_EQ(r.results_json, GravityJson(in, ComputeGravity(in)));
  // A family without a report entry ends with a message, not with a cover.
  for (WallFamily f : kWallFamilies) {
    FamilyEntryTable without = ProgramFamilies().ReportEntries();
    without[CodeOf(f)] = {};
    ReportWriter other;
    ReportContext ctx;
    ctx.working_database_path = Copy(kStandardGravitySI, "other.mdb");
    const ReportBuildResult missing = BuildReport(other, f, ctx, without);
    EXPECT_FALSE(missing.complete);
    EXPECT_EQ(missing.error, MissingReportMessage(f));
    EXPECT_TRUE(other.Pages().empty());
  }
}

TEST(GravityFixture, CommittedFilesAreWhatTheGeneratorWrites) {
  for (bool si : {true, false}) {
    const std::string fresh = kOut + (si ? "/fresh_si.mdb" : "/fresh_cgs.mdb");
    WriteStandardGravityProject(fresh, si);
    const ProjectDatabase a = ProjectDatabase::Open(fresh);
    const ProjectDatabase b =
        ProjectDatabase::Open(kData + "/" + (si ? kStandardGravitySI : kStandardGravityCGS));
    EXPECT_EQ(a.IsSI(), si);
    EXPECT_EQ(b.IsSI(), si);
    EXPECT_EQ(a.ReadUnit()->kisk, b.ReadUnit()->kisk);
    EXPECT_EQ(a.ReadProjectName()->cname, b.ReadProjectName()->cname);
    const ConcreteRow ca = *a.ReadConcrete(), cb = *b.ReadConcrete();
    EXPECT_EQ(std::tie(ca.gamma_c, ca.sigma_ck, ca.sigma_cac, ca.sigma_cat),
              std::tie(cb.gamma_c, cb.sigma_ck, cb.sigma_cac, cb.sigma_cat));
    const SoilRow sa = *a.ReadSoil(), sb = *b.ReadSoil();
    EXPECT_EQ(std::tie(sa.gamma, sa.phi, sa.c, sa.phi_b, sa.q1),
              std::tie(sb.gamma, sb.phi, sb.c, sb.phi_b, sb.q1));
    EXPECT_EQ(a.ReadFoundation()->r00, b.ReadFoundation()->r00);
    EXPECT_EQ(a.ReadFoundation()->r01, b.ReadFoundation()->r01);
    const ShapeRow ga = *a.ReadShape(kGravity), gb = *b.ReadShape(kGravity);
    EXPECT_EQ(ga.t, gb.t);
    EXPECT_EQ(ga.h, gb.h);
    EXPECT_EQ(ga.beta, gb.beta);
  }
}

TEST(GravityReader, ReadsTheFourTablesAndScalesTheStresses) {
  struct Case {
    const char* fixture;
    bool si;
    float sigma_ck, sigma_cac, sigma_cat, gamma_c, gamma, q, qa;
  };
  // Stresses are held in N/cm2 (SI, stored N/mm2 × 100) or kg/cm2 (CGS, as stored).
  const Case cases[] = {
      {kStandardGravitySI, true, 1800, 450, 23, 23.0f, 19.6f, 10, 200},
      {kStandardGravityCGS, false, 180, 45, 2.3f, 2.3f, 2.0f, 1, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fixture);
    const GravityInputs in = ReadGravityInputs(ProjectDatabase::Open(kData + "/" + c.fixture));
    EXPECT_EQ(in.is_si, c.si);
    EXPECT_FLOAT_EQ(in.sigma_ck, c.sigma_ck);
    EXPECT_FLOAT_EQ(in.sigma_cac, c.sigma_cac);
    EXPECT_FLOAT_EQ(in.sigma_cat, c.sigma_cat);
    EXPECT_EQ(in.gamma_c, c.gamma_c);
    EXPECT_EQ(in.gamma, c.gamma);
    EXPECT_EQ(in.q, c.q);
    EXPECT_EQ(in.qa, c.qa);
    EXPECT_EQ(in.phi, 35.0f);
    EXPECT_EQ(in.tan_phi_b, 0.6f);
    EXPECT_EQ(in.fsa, 1.5f);
    EXPECT_EQ(in.c, 0.0f);
    EXPECT_EQ(in.h, 2.3f);
    EXPECT_EQ(in.t00, 0.23f);
    EXPECT_EQ(in.t01, 0.70f);
    EXPECT_EQ(in.t02, 0.69f);
    EXPECT_EQ(in.beta, 29.05f);
  }
}

TEST(GravityReader, AnEmptyTableIsNamed) {
  // A project whose only gap is one table: the tables are written one by one onto an empty
  // project, leaving the named one out.
  const char* tables[] = {kTableConcrete, kTableSoil, kTableFoundation, "tbl形状サイズ_重力式"};
  const ProjectDatabase full = ProjectDatabase::Open(kData + "/" + kStandardGravitySI);
  for (const char* missing : tables) {
    SCOPED_TRACE(missing);
    const std::string path = kOut + "/gap.mdb";
    CreateProjectDatabase(path);
    ProjectDatabase db = ProjectDatabase::Open(path);
    db.Write(*full.ReadUnit());
    if (std::string(missing) != kTableConcrete) db.Write(*full.ReadConcrete());
    if (std::string(missing) != kTableSoil) db.Write(*full.ReadSoil());
    if (std::string(missing) != kTableFoundation) db.Write(*full.ReadFoundation());
    if (std::string(missing) != tables[3]) db.WriteShape(kGravity, *full.ReadShape(kGravity));
    try {
      ReadGravityInputs(db);
      ADD_FAILURE() << "no error";
    } catch (const ProjectError& e) {
      EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
    }
  }
}

// ---- verdict lines and the mended sentences ---------------------------------------------------

GravityInputs StandardInputs() {
  return ReadGravityInputs(ProjectDatabase::Open(
      Copy(kStandardGravitySI, "inputs_" + std::to_string(getpid()) + ".mdb")));
}

Runs ChapterRuns(const GravityInputs& in, const GravityCalculation& calc) {
  ReportWriter w;
  w.PageSetup();
  w.BeginDocument();
  WriteGravityChapters(w, in, calc);
  w.EndDocument();
  Runs all;
  for (const Page& p : w.Pages()) {
    const Runs r = BodyRuns(p);
    all.insert(all.end(), r.begin(), r.end());
  }
  return all;
}

bool Has(const Runs& runs, const std::string& text) {
  return std::find(runs.begin(), runs.end(), text) != runs.end();
}

TEST(GravityVerdictLines, SignsAndVerdictsFollowEachCheck) {
  const GravityInputs in = StandardInputs();
  RecordingMessageSink sink;
  const GravityCalculation base = ComputeGravity(in);
  struct Case {
    const char* name;
    bool ok;
    std::function<void(GravityCalculation&, bool)> set;
    std::vector<std::string> ok_runs, ng_runs;
  };
  const Case cases[] = {
      {"overturning",
       true,
       [](GravityCalculation& c, bool ok) { c.results.checks.overturning.ok = ok; },
       {" ＜ ", "0.270 m　　ＯＫ"},
       {" ≧ ", "0.270 m　　ＮＧ"}},
      {"sliding",
       true,
       [](GravityCalculation& c, bool ok) { c.results.checks.sliding.ok = ok; },
       {" ＞ 1.5　　ＯＫ"},
       {" ≦ 1.5　　ＮＧ"}},
      {"bearing",
       true,
       [](GravityCalculation& c, bool ok) {
         c.results.checks.bearing_q1.ok = c.results.checks.bearing_q2.ok = ok;
       },
       {" ＜ qa = 200 kN/m2           ＯＫ"},
       {" ≧ qa = 200 kN/m2           ＮＧ"}},
      {"body stress",
       true,
       [](GravityCalculation& c, bool ok) {
         c.results.body.sigma_c1_check.ok = c.results.body.sigma_c2_check.ok = ok;
       },
       {" ＜ σcac = 4.5 N/mm2            ＯＫ"},
       {" ≧ σcac = 4.5 N/mm2            ＮＧ"}},
      {"middle third",
       true,
       [](GravityCalculation& c, bool ok) { c.results.checks.within_middle_third = ok; },
       {"合力の作用位置は定番幅の中央1/3以内にあるので、地盤反力度は"},
       {"合力の作用位置は定番幅の中央1/3以内にないので、地盤反力度は"}},
      {"tension (set means tension)",
       true,
       [](GravityCalculation& c, bool ok) { c.results.body.tension = !ok; },
       {"であり、躯体に引張応力度は生じない"},
       {"であり、躯体に引張応力度は生じる"}},
  };
  for (const Case& c : cases) {
    for (bool ok : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (ok ? " OK" : " NG"));
      GravityCalculation calc = base;
      c.set(calc, ok);
      const Runs runs = ChapterRuns(in, calc);
      for (const auto& t : ok ? c.ok_runs : c.ng_runs) EXPECT_TRUE(Has(runs, t)) << t;
      for (const auto& t : ok ? c.ng_runs : c.ok_runs) EXPECT_FALSE(Has(runs, t)) << t;
    }
  }
}

TEST(GravityVerdictLines, ResultantBehindTheCentreIsReportedTruthfully) {
  // Heavy surcharge on a wall leaning onto the backfill: e = -0.555 m beyond B/6 = 0.550 m.
  GravityInputs in = StandardInputs();
  in.gamma = 18, in.phi = 40, in.q = 50, in.qa = 300;
  in.h = 1.5f, in.t00 = 3.0f, in.t01 = 0.3f, in.t02 = 0, in.beta = 0;
  in.sigma_cac = 4;  // 0.04 N/mm2: the heel stress 0.043 exceeds it
  RecordingMessageSink sink;
  const Runs runs = ChapterRuns(in, ComputeGravity(in));
  EXPECT_TRUE(Has(runs, "-0.555 m（|e| = 0.555 m）"));
  EXPECT_TRUE(Has(runs, " ≧ "));
  EXPECT_TRUE(Has(runs, "0.550 m　　ＮＧ"));
  EXPECT_TRUE(Has(runs, "合力の作用位置は定番幅の中央1/3以内にないので、地盤反力度は"));
  // Beyond the middle third toward the heel: the triangle from the heel, q1 = 0 (the trapezoid
  // would print -0.207 and 43.021); 2 × 70.643 / (3 × 1.095) = 43.022.
  EXPECT_TRUE(Has(runs, "三角形分布となり、q1 = 0、"));
  {
    ReportWriter w;
    w.PageSetup();
    w.BeginDocument();
    WriteGravityChapters(w, in, ComputeGravity(in));
    w.EndDocument();
    std::vector<std::string> keys;
    for (const Page& p : w.Pages()) {
      for (const std::string& k : PictureKeys(p)) keys.push_back(k);
    }
    // The heel's triangle formula, not the trapezoid's.
    EXPECT_NE(std::find(keys.begin(), keys.end(), "1_3_18"), keys.end());
    EXPECT_EQ(std::find(keys.begin(), keys.end(), "1_3_7"), keys.end());
  }
  EXPECT_TRUE(Has(runs, "2 × 70.643 / (3 × 1.095)"));
  EXPECT_TRUE(Has(runs, "0.000 kN/m2  ， 43.022 kN/m2"));
  EXPECT_TRUE(Has(runs, " ≧ σcac = 0.04 N/mm2            ＮＧ"));
  EXPECT_TRUE(Has(runs, "であり、躯体に引張応力度は生じる"));
  // The body stresses stay the linear ones: the toe in tension, -0.021 N/cm2 against σcat.
  // The body stresses stay the linear ones (σc1 = −0.0002 N/mm2, tension at the toe face) and
  // the tension is checked by its magnitude against σcat.
  EXPECT_TRUE(Has(runs, "0.000  ，0.043"));
  EXPECT_TRUE(Has(runs, "|σc1| = 0.000 ＜ σcat = 0.23 N/mm2            ＯＫ"));
}

TEST(GravityMomentTable, ProductsThatAreOnlyPrintedAreRoundedOnce) {
  // 2 × 23.388248 = 46.7764969 lies just below the boundary 46.7765: stored as a float first it
  // would print 46.777.
  const float pv = 23.38824825f;
  ASSERT_EQ(FormatValue(static_cast<float>(2.0 * pv), kFmt3), "46.777");
  const GravityInputs in = StandardInputs();
  GravityCalculation calc = ComputeGravity(in);
  calc.results.checks.xp = 2.0f;
  calc.earth.pv = pv;
  calc.results.checks.yp = 2.0f;
  calc.earth.ph = pv;
  ReportWriter w;
  w.PageSetup();
  w.BeginDocument();
  WriteGravityChapters(w, in, calc);
  w.EndDocument();
  const auto tables = Tables(w.Pages()[2]);
  ASSERT_EQ(tables.size(), 3u);
  const std::vector<std::string>& moments = tables[2];
  EXPECT_NE(std::find(moments.begin(), moments.end(), "4,3=46.776"), moments.end());
  EXPECT_NE(std::find(moments.begin(), moments.end(), "4,4=46.776"), moments.end());
}

// ---- figures ----------------------------------------------------------------------------------

struct FigureItems {
  std::vector<TextRun> labels;
  std::vector<QPointF> points;  // every drawn point, arcs by their extremes
};

// The figure of a page: everything drawn after its last formula value or chapter text.
FigureItems Figure(const Page& page, const std::string& after) {
  FigureItems f;
  bool in_figure = false;
  for (const PageItem& item : page.items) {
    if (const auto* run = std::get_if<TextRun>(&item)) {
      if (IsHeader(*run) || IsFooter(page, *run, kA4Height)) continue;
      if (!in_figure) {
        in_figure = run->text == after;
        continue;
      }
      f.labels.push_back(*run);
      for (const QPointF& c : RunBox(*run).corners) f.points.push_back(c);
    } else if (!in_figure) {
      continue;
    } else if (const auto* line = std::get_if<LineItem>(&item)) {
      f.points.push_back(line->from);
      f.points.push_back(line->to);
    } else if (const auto* arc = std::get_if<ArcItem>(&item)) {
      f.points.push_back(arc->centre + QPointF(arc->radius, arc->radius));
      f.points.push_back(arc->centre - QPointF(arc->radius, arc->radius));
    } else if (const auto* poly = std::get_if<PolygonItem>(&item)) {
      f.points.insert(f.points.end(), poly->points.begin(), poly->points.end());
    } else if (const auto* circle = std::get_if<CircleItem>(&item)) {
      f.points.push_back(circle->centre + QPointF(circle->radius, circle->radius));
      f.points.push_back(circle->centre - QPointF(circle->radius, circle->radius));
    } else if (const auto* rect = std::get_if<RectItem>(&item)) {
      f.points.push_back(rect->rect.topLeft());
      f.points.push_back(rect->rect.bottomRight());
    }
  }
  return f;
}

GravityInputs Wall(float h, float t00, float t01, float t02, float beta) {
  GravityInputs in = StandardInputs();
  in.phi = 40, in.gamma = 18;
  in.h = h, in.t00 = t00, in.t01 = t01, in.t02 = t02, in.beta = beta;
  return in;
}

struct FigureCase {
  const char* name;
  GravityInputs in;
};

TEST(GravityFigures, StayOnThePageWithoutOverlappingLabels) {
  const FigureCase cases[] = {
      {"standard", StandardInputs()},
      {"vertical back, level backfill", Wall(3.0f, 0, 1.5f, 0, 0)},
      {"front batter only", Wall(3.0f, 0.6f, 0.5f, 0, 10)},
      {"back batter only", Wall(3.0f, 0, 0.5f, 0.9f, 0)},
      {"tall with a steep backfill", Wall(8.0f, 1.0f, 0.5f, 2.5f, 30)},
      {"low and wide", Wall(1.0f, 2.0f, 1.5f, 0.5f, 20)},
  };
  for (const FigureCase& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingMessageSink sink;
    ReportWriter w;
    w.PageSetup();
    w.BeginDocument();
    WriteGravityChapters(w, c.in, ComputeGravity(c.in));
    w.EndDocument();
    // Without a cover the shape figure is on page 0 and the pressure figure on page 1.
    for (int page : {0, 1}) {
      SCOPED_TRACE("page " + std::to_string(page));
      const Page& p = w.Pages()[page];
      // The shape figure follows its heading, the pressure figure the value of PV.
      const std::string marker = page == 0 ? "２ 形状寸法" : BodyRuns(p)[12];
      const FigureItems f = Figure(p, marker);
      ASSERT_FALSE(f.labels.empty());
      for (const QPointF& pt : f.points) {
        EXPECT_GE(pt.x(), kPageMargin);
        EXPECT_LE(pt.x(), kA4Width - kPageMargin);
        EXPECT_GE(pt.y(), kPageMargin);
        EXPECT_LE(pt.y(), kA4Height - kPageMargin);
      }
      for (size_t i = 0; i < f.labels.size(); ++i) {
        for (size_t j = i + 1; j < f.labels.size(); ++j) {
          EXPECT_FALSE(Overlap(RunBox(f.labels[i]), RunBox(f.labels[j])))
              << f.labels[i].text << " / " << f.labels[j].text;
        }
      }
    }
  }
}

TEST(GravityFigures, MissingPartsAndZeroAnglesLeaveTheirMarksOut) {
  struct Case {
    const char* name;
    GravityInputs in;
    int arcs;  // on each figure
    Runs shape, pressure;
  };
  const Case cases[] = {
      // α = 0 and β = 0: no arcs; the batter reads 1：0.00; T1 = T3 = 0 are dimensioned as 0.
      {"rectangle",
       Wall(3.0f, 0, 1.5f, 0, 0),
       0,
       {"1500", "1500", "3000", "α = 0.000°", "β = 0.00°、q = 10 kN/m2", "1：0.00"},
       {"0", "1500", "0", "3000", "α = 0.000°", "β = 0.00°、q = 10 kN/m2", "Pv", "Ph", "W2"}},
      {"no front batter",
       Wall(3.0f, 0, 0.5f, 0.9f, 15),
       2,
       {"500", "1400", "3000", "α = 16.699°", "β = 15.00°、q = 10 kN/m2", "1：0.30"},
       {"0", "500", "900", "3000", "α = 16.699°", "β = 15.00°、q = 10 kN/m2", "Pv", "Ph", "W2",
        "W3"}},
      {"no back batter, backfill level",
       Wall(3.0f, 0.6f, 0.5f, 0, 0),
       0,
       {"500", "1100", "3000", "α = 0.000°", "β = 0.00°、q = 10 kN/m2", "1：0.00"},
       {"600", "500", "0", "3000", "α = 0.000°", "β = 0.00°、q = 10 kN/m2", "Pv", "Ph", "W1",
        "W2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingMessageSink sink;
    ReportWriter w;
    w.PageSetup();
    w.BeginDocument();
    WriteGravityChapters(w, c.in, ComputeGravity(c.in));
    w.EndDocument();
    // Without a cover the figures are on pages 0 and 1, each the last thing on its page.
    const Runs shape = BodyRuns(w.Pages()[0]);
    const Runs pressure = BodyRuns(w.Pages()[1]);
    EXPECT_EQ(Runs(shape.end() - c.shape.size(), shape.end()), c.shape);
    EXPECT_EQ(Runs(pressure.end() - c.pressure.size(), pressure.end()), c.pressure);
    EXPECT_EQ(CountArcs(w.Pages()[0]), c.arcs);
    EXPECT_EQ(CountArcs(w.Pages()[1]), c.arcs);
  }
}

// ---- failures ---------------------------------------------------------------------------------

TEST(GravityReportFailures, EndTheBuildWithAMessageNamingTheCause) {
  struct Case {
    const char* name;
    std::function<void(ProjectDatabase&)> change;
    const char* cause;
    bool ka_message;
  };
  const Case cases[] = {
      {"beta above phi",
       [](ProjectDatabase& db) {
         ShapeRow s = *db.ReadShape(kGravity);
         s.beta = 40;
         db.WriteShape(kGravity, s);
       },
       "ΣHが0です（主働土圧係数Ka=0）", true},
      {"zero height",
       [](ProjectDatabase& db) {
         ShapeRow s = *db.ReadShape(kGravity);
         s.h = 0;
         db.WriteShape(kGravity, s);
       },
       "高さH", false},
      {"negative back batter",
       [](ProjectDatabase& db) {
         ShapeRow s = *db.ReadShape(kGravity);
         s.t[2] = -0.1f;
         db.WriteShape(kGravity, s);
       },
       "T3", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Copy(kStandardGravitySI, "failure.mdb");
    {
      ProjectDatabase db = ProjectDatabase::Open(path);
      c.change(db);
    }
    RecordingMessageSink sink;
    ReportWriter w;
    const ReportBuildResult r = Build(w, path, &sink);
    EXPECT_FALSE(r.complete);
    EXPECT_NE(r.error.find("重力式擁壁の計算ができません"), std::string::npos) << r.error;
    EXPECT_NE(r.error.find(c.cause), std::string::npos) << r.error;
    EXPECT_EQ(sink.shown.size(), c.ka_message ? 1u : 0u);
    if (c.ka_message && !sink.shown.empty()) {
      EXPECT_EQ(sink.shown[0].text, "クーロン土圧係数Kaの計算中にエラーが発生しました");
    }
  }
}

TEST(GravityReportFailures, AProjectWithoutItsRowsOrFileIsAProjectError) {
  const std::string empty = kOut + "/empty.mdb";
  CreateProjectDatabase(empty);
  ReportWriter w;
  ReportContext ctx;
  ctx.working_database_path = empty;
  ctx.project = ProjectForReport(ctx);
  try {
    BuildGravityDocument(w, ctx);
    ADD_FAILURE() << "no error";
  } catch (const ProjectError& e) {
    EXPECT_NE(std::string(e.what()).find("tblコンクリート"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find(empty), std::string::npos) << e.what();
  }
  ctx.project.reset();
  ctx.working_database_path = kOut + "/no_such_project.mdb";
  EXPECT_THROW(ProjectForReport(ctx), ProjectError);
}

}  // namespace
}  // namespace ktv
