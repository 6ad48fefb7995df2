#include "report/report_build.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

#include "app/errors.h"
#include "app/messages.h"
#include "app/settings.h"
#include "page_inspect.h"
#include "project/project_data.h"
#include "project/project_database.h"
#include "report/report_render.h"
#include "report/report_writer.h"

namespace ktv {
namespace {

using testing_util::BodyRuns;
using testing_util::FindRun;
using testing_util::ItemsOf;

class ReportBuild : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
    db_path_ = (dir_.path() + "/Data.mdb").toStdString();
    CreateProjectDatabase(db_path_);
    ProjectDatabase db = ProjectDatabase::Open(db_path_);
    db.Write(ProjectNameRow{"市道１号線擁壁工事", "2024/04/01", 0});
    context_.working_database_path = db_path_;
    context_.sink = &sink_;
  }
  void Store(const char* key, const QVariant& value) {
    auto s = OpenUserSettings();
    s->setValue(key, value);
    s->sync();
  }

  QTemporaryDir dir_;
  std::string db_path_;
  RecordingMessageSink sink_;
  ReportContext context_;
};

FamilyEntryTable OneEntry(
    int family, FamilyReportEntry entry = [](ReportWriter&, const ReportContext&) {}) {
  FamilyEntryTable t{};
  t[family] = std::move(entry);
  return t;
}

TEST_F(ReportBuild, CoverThenHeaderedReportPagesNumberedFromOne) {
  context_.cover.office_name = "設計室";
  std::string seen;  // the project the entry was given
  auto entries = OneEntry(0, [&](ReportWriter& w, const ReportContext& c) {
    seen = ProjectOf(c).name->cname;
    w.Paragraph("重力式擁壁の設計計算");
    w.NewPage();
    w.Paragraph("p2");
  });
  ReportWriter w;
  ReportBuildResult r = BuildReport(w, WallFamily::Gravity, context_, entries);
  ASSERT_TRUE(r.complete) << r.error;
  EXPECT_EQ(seen, "市道１号線擁壁工事");
  EXPECT_EQ(r.page_count, 3);
  EXPECT_EQ(r.report_pages, 2);
  EXPECT_EQ(r.project_name, "市道１号線擁壁工事");
  EXPECT_FALSE(r.failure);
  const auto& pages = w.Pages();
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages[0].number, 0);
  EXPECT_EQ(pages[0].header, "");
  EXPECT_EQ(pages[0].footer, "") << "the cover carries no page number";
  EXPECT_EQ(pages[0].header_footer_style, 4);
  for (int i = 1; i <= 2; ++i) {
    EXPECT_EQ(pages[i].number, i);
    EXPECT_EQ(pages[i].header, std::string("工事名：市道１号線擁壁工事||") + kFullTitle);
    EXPECT_EQ(pages[i].footer, "|" + std::to_string(i) + "|");
    EXPECT_EQ(pages[i].header_footer_style, 3);
  }
  const std::string cover = PageText(pages[0]);
  EXPECT_NE(cover.find("工事名：市道１号線擁壁工事"), std::string::npos) << cover;
  EXPECT_NE(cover.find("重力式擁壁"), std::string::npos);
  EXPECT_NE(cover.find("事務所名：設計室　"), std::string::npos);
  EXPECT_NE(cover.find("日付　　　：2024/04/01　"), std::string::npos);
  // The family's first line stands below the blank first line of page 1.
  const auto title = FindRun(BodyRuns(pages[1]), "重力式擁壁の設計計算");
  ASSERT_TRUE(title);
  EXPECT_NEAR(title->y, kPageMargin + 9 * 20 * 1.3, 1e-6);
  const std::string page1 = PageText(pages[1]);
  EXPECT_NE(page1.find("\n1\n"), std::string::npos) << page1;
}

// The cover prints what the caller chose, never what the settings store of the account holds.
TEST_F(ReportBuild, CoverSwitchesComeFromTheCallerNotTheSettings) {
  Store(kKeyOfficeName, QString::fromUtf8("設定の事務所"));
  Store(kKeyPrintDate, "1");
  const ProjectData project = ReadProjectData(ProjectDatabase::Open(db_path_));
  CoverData d = CoverDataOf(project, {"設計室", true, false, false});
  EXPECT_FALSE(d.print_office_name);
  EXPECT_FALSE(d.print_date);
  EXPECT_EQ(d.office_name, "設計室");
  EXPECT_EQ(d.title, kFullTitle);
  ReportWriter w;
  context_.cover = {"設計室", true, false, false};
  ASSERT_TRUE(BuildReport(w, WallFamily::Gravity, context_, OneEntry(0)).complete);
  for (const TextRun& r : BodyRuns(w.Pages()[0])) EXPECT_LT(r.y, 14500) << r.text;
  context_.cover = {};
  ReportWriter w2;
  ASSERT_TRUE(BuildReport(w2, WallFamily::Gravity, context_, OneEntry(0)).complete);
  EXPECT_EQ(PageText(w2.Pages()[0]).find("設定の事務所"), std::string::npos);
}

TEST_F(ReportBuild, SwitchesDefaultToOnAndTheOfficeToEmpty) {
  CoverData d = CoverDataOf(ReadProjectData(ProjectDatabase::Open(db_path_)), {});
  EXPECT_TRUE(d.print_office_name);
  EXPECT_TRUE(d.print_date);
  EXPECT_EQ(d.office_name, "");
  EXPECT_EQ(d.project_name, "市道１号線擁壁工事");
  EXPECT_EQ(d.date_text, "2024/04/01");
}

// A database that cannot be read ends the build with a message naming it, instead of a report
// whose cover and headers lost the project name; an empty project table reads as blank.
TEST_F(ReportBuild, AnUnreadableDatabaseEndsTheBuildAndAnEmptyProjectTableIsBlank) {
  for (std::string path : {dir_.path().toStdString() + "/missing.mdb",
                           dir_.path().toStdString() + "/settings-not-a-db"}) {
    SCOPED_TRACE(path);
    if (path.find("not-a-db") != std::string::npos) {
      FILE* f = std::fopen(path.c_str(), "w");
      std::fputs("not a database", f);
      std::fclose(f);
    }
    ReportContext c = context_;
    c.working_database_path = path;
    EXPECT_THROW(ProjectForReport(c), ProjectError);
    bool entry_ran = false;
    ReportWriter w;
    ReportBuildResult r =
        BuildReport(w, WallFamily::Gravity, c,
                    OneEntry(0, [&](ReportWriter&, const ReportContext&) { entry_ran = true; }));
    EXPECT_FALSE(r.complete);
    EXPECT_FALSE(entry_ran);
    EXPECT_NE(r.error.find(path), std::string::npos) << r.error;
    EXPECT_THROW(std::rethrow_exception(r.failure), ProjectError);
    EXPECT_TRUE(w.Pages().empty());
  }
  CreateProjectDatabase(db_path_);
  const CoverData d = CoverDataOf(ProjectForReport(context_), {});
  EXPECT_EQ(d.project_name, "");
  EXPECT_EQ(d.date_text, "");
  ReportWriter w;
  EXPECT_TRUE(BuildReport(w, WallFamily::Gravity, context_, OneEntry(0)).complete);
  EXPECT_EQ(w.Pages().at(1).header, std::string("工事名：||") + kFullTitle);
}

TEST_F(ReportBuild, AFamilyWithoutAnEntryIsAnErrorNotACoverAndAnEmptyPage) {
  // Only the leaning wall has an entry here.
  const FamilyEntryTable entries = OneEntry(1);
  for (WallFamily family : {WallFamily::Gravity, WallFamily::Cantilever}) {
    ReportWriter w;
    ReportBuildResult r = BuildReport(w, family, context_, entries);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.error, MissingReportMessage(family));
    EXPECT_TRUE(w.Pages().empty());
    EXPECT_EQ(r.page_count, 0);
  }
  EXPECT_EQ(MissingReportMessage(WallFamily::Cantilever), "逆Ｔ形擁壁の計算書は作成できません。");
}

TEST_F(ReportBuild, TheEntrysResultsReachTheCaller) {
  std::string mine;
  ReportContext c = context_;
  c.results_json = &mine;
  ReportWriter w;
  const ReportBuildResult r =
      BuildReport(w, WallFamily::Leaning, c, OneEntry(1, [](ReportWriter&, const ReportContext& x) {
                    if (x.results_json) *x.results_json = "{\"family\": \"leaning\"}";
                  }));
  ASSERT_TRUE(r.complete) << r.error;
  EXPECT_EQ(r.results_json, "{\"family\": \"leaning\"}");
  EXPECT_EQ(mine, r.results_json);
}

TEST_F(ReportBuild, ACalculationErrorEndsTheBuildWithItsMessageAndNoDocument) {
  auto entries = OneEntry(1, [](ReportWriter& w, const ReportContext&) {
    w.Paragraph("もたれ式擁壁の設計計算");
    w.BeginTable();
    throw CalculationError("底版幅 B が 0 のため計算できません");
  });
  ReportWriter w;
  ReportBuildResult r = BuildReport(w, WallFamily::Leaning, context_, entries);
  EXPECT_FALSE(r.complete);
  EXPECT_EQ(r.error, "底版幅 B が 0 のため計算できません");
  ASSERT_TRUE(r.failure);
  EXPECT_THROW(std::rethrow_exception(r.failure), CalculationError);
  EXPECT_TRUE(w.Pages().empty());
  EXPECT_EQ(w.PageCount(), 0);
  EXPECT_EQ(r.page_count, 0);
  EXPECT_FALSE(w.IsDocumentOpen());
  // The same writer builds the next report cleanly.
  ReportBuildResult again = BuildReport(w, WallFamily::Leaning, context_, OneEntry(1));
  EXPECT_TRUE(again.complete);
  EXPECT_EQ(again.page_count, 2);
}

TEST_F(ReportBuild, WriterErrorsOfAFamilyAlsoEndTheBuild) {
  struct Case {
    FamilyReportEntry entry;
    const char* in_message;
  } cases[] = {
      {[](ReportWriter& w, const ReportContext&) { w.InsertFormulaPicture("1_3_99.bmp"); },
       "\"1_3_99\""},
      {[](ReportWriter& w, const ReportContext&) {
         w.BeginTable();
         w.SetTableRows(2);
         w.SetTableCols(2);
         w.SetCellText(3, 1, "x");
       },
       "(3, 1)"},
      {[](ReportWriter& w, const ReportContext&) { w.BeginTable(); }, "table"},
      {[](ReportWriter& w, const ReportContext&) {
         ProjectDatabase::Open("/nonexistent/Data.mdb");
         w.Paragraph("never");
       },
       "Data.mdb"},
  };
  for (const Case& c : cases) {
    ReportWriter w;
    ReportBuildResult r = BuildReport(w, WallFamily::Cantilever, context_, OneEntry(2, c.entry));
    EXPECT_FALSE(r.complete);
    EXPECT_NE(r.error.find(c.in_message), std::string::npos) << r.error;
    EXPECT_TRUE(w.Pages().empty());
  }
}

TEST(ApplyPageSetupPhases, UnknownPhaseIsAnError) {
  ReportWriter w;
  EXPECT_THROW(ApplyPageSetup(w, 5, "", ""), ReportError);
}

}  // namespace
}  // namespace ktv
