// The report PDF as delivered by the batch command: bookmarks, properties, fonts, structure and
// reproducible bytes.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "families/family_table.h"
#include "gravity_fixture.h"
#include "pdf_inspect.h"
#include "project/project_database.h"
#include "report/report_build.h"
#include "report/report_writer.h"
#include "report_tool.h"

namespace ktv {
namespace {

const std::string kOut = KTV_TOOLS_OUTPUT_DIR;
const std::string kData = KTV_GRAVITY_DATA_DIR;
const std::string kLeaningData = KTV_LEANING_DATA_DIR;
const std::string kCantileverData = KTV_CANTILEVER_DATA_DIR;
constexpr double kPageTop = 842;  // A4 in points, as the PDF pages have it

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

int Tool(const std::vector<std::string>& args, std::string* err = nullptr) {
  std::ostringstream out, errors;
  const int status = RunReportTool(args, out, errors, ProgramFamilies().ReportEntries());
  if (err) *err = errors.str();
  return status;
}

// The writer's document of a project, built as the batch command builds it.
void Build(const std::string& project, WallFamily family, ReportWriter& writer) {
  const std::string working = kOut + "/delivered_working.mdb";
  std::filesystem::copy_file(project, working, std::filesystem::copy_options::overwrite_existing);
  ReportContext context;
  context.working_database_path = working;
  const ReportBuildResult r =
      BuildReport(writer, family, context, ProgramFamilies().ReportEntries());
  ASSERT_TRUE(r.complete) << r.error;
}

struct Bookmark {
  const char* title;
  int level;
  int page;
};

// Each standard wall with the bookmarks of its report.
struct Wall {
  const char* name;
  WallFamily family;
  std::string project;
  const char* title;
  std::vector<Bookmark> bookmarks;
};

// The cover and the first chapter, the same in every family; then the family's own.
std::vector<Bookmark> AfterConditions(const std::vector<Bookmark>& rest) {
  std::vector<Bookmark> all = {
      {"表紙", 1, 0},
      {"１ 設計条件", 1, 1},
      {"（１）単位体積重量及び土質定数", 2, 1},
      {"（２）許容応力度", 2, 1},
      {"（３）基礎の安定（常時）", 2, 1},
  };
  all.insert(all.end(), rest.begin(), rest.end());
  return all;
}

std::vector<Wall> Walls() {
  const std::vector<Bookmark> gravity = AfterConditions({
      {"２ 形状寸法", 1, 1},
      {"３ 土圧計算", 1, 2},
      {"４　安全計算", 1, 3},
      {"（１）自重および合力の作用位置計算", 2, 3},
      {"（２）転倒に対する安定", 2, 3},
      {"（３）滑動に対する安定", 2, 3},
      {"（４）支持力に対する安定", 2, 3},
      {"５　躯体の応力度", 1, 3},
  });
  // The leaning wall's chapter of the members is numbered "４．５"; the cantilever wall's has no
  // number, and its first section a narrow digit: both are bookmarks all the same.
  const std::vector<Bookmark> leaning = AfterConditions({
      {"２　形状寸法", 1, 1},
      {"３　土圧計算", 1, 2},
      {"４　安全計算", 1, 3},
      {"（１）自重および合力の作用位置計算", 2, 3},
      {"（２）転倒に対する安定", 2, 3},
      {"（３）滑動に対する安定", 2, 3},
      {"（４）支持力に対する安定", 2, 3},
      {"４．５　躯体の応力度", 1, 4},
      {"（１）たて壁の応力度", 2, 4},
      {"（２）底版の応力度", 2, 6},
  });
  const std::vector<Bookmark> cantilever = AfterConditions({
      {"２　形状寸法", 1, 2},
      {"３　土圧計算", 1, 2},
      {"（1）安定計算用土圧", 2, 2},
      {"（２）たて壁設計用土圧", 2, 3},
      {"４　安定計算", 1, 4},
      {"（１）　自重および合力の作用位置", 2, 4},
      {"（２）　転倒に対する安定", 2, 5},
      {"（３）　滑動に対する安定", 2, 6},
      {"（４）　支持力に対する安定", 2, 6},
      {"躯体の応力度", 1, 6},
      {"（１）たて壁の応力度", 2, 6},
      {"（ａ）常時", 3, 7},
      {"h = 5.7 m の場合（ＢーＢ´）", 4, 7},
      {"（ｂ）地震時", 3, 8},
      {"h = 5.7 m の場合（ＢーＢ´）", 4, 8},
      {"（２）底版の応力度", 2, 9},
      {"（ａ）常時", 3, 9},
      {"（ⅰ）断面　Ｃ－Ｃ´", 4, 9},
      {"（ⅱ）断面　Ｄ－Ｄ´", 4, 10},
      {"（ｂ）地震時", 3, 11},
      {"（ⅰ）断面　Ｃ－Ｃ´", 4, 11},
      {"（ⅱ）断面　Ｄ－Ｄ´", 4, 11},
  });
  const char* const kLeaningTitle = "もたれ式擁壁の設計計算　標準もたれ式擁壁";
  const char* const kCantileverTitle = "逆Ｔ形擁壁の設計計算　標準逆T形擁壁";
  return {
      {"gravity SI", WallFamily::Gravity, kData + "/" + kStandardGravitySI,
       "重力式擁壁の設計計算　標準重力式擁壁", gravity},
      {"gravity CGS", WallFamily::Gravity, kData + "/" + kStandardGravityCGS,
       "重力式擁壁の設計計算　標準重力式擁壁", gravity},
      {"leaning SI", WallFamily::Leaning, kLeaningData + "/standard_leaning_si.mdb", kLeaningTitle,
       leaning},
      {"leaning CGS", WallFamily::Leaning, kLeaningData + "/standard_leaning_cgs.mdb",
       kLeaningTitle, leaning},
      {"cantilever SI", WallFamily::Cantilever, kCantileverData + "/standard_cantilever_si.mdb",
       kCantileverTitle, cantilever},
      {"cantilever CGS", WallFamily::Cantilever, kCantileverData + "/standard_cantilever_cgs.mdb",
       kCantileverTitle, cantilever},
  };
}

// Top of the line box of the first text run with this text on the page (its leading blanks
// aside: a bookmark leaves them out), in points.
std::optional<double> RunTop(const Page& page, const std::string& text) {
  for (const PageItem& item : page.items) {
    const auto* run = std::get_if<TextRun>(&item);
    if (!run) continue;
    std::string_view shown = run->text;
    while (shown.starts_with("　")) shown.remove_prefix(std::string_view("　").size());
    if (shown == text) return kPageTop - run->y / 20;
  }
  return std::nullopt;
}

TEST(DeliveredPdf, BookmarksOpenEveryChapterAndSectionAtItsHeading) {
  for (const Wall& wall : Walls()) {
    SCOPED_TRACE(wall.name);
    const std::string pdf = kOut + "/delivered_outline.pdf";
    ASSERT_EQ(Tool({wall.project, "-o", pdf}), kExitOk);
    const PdfFacts facts = InspectPdf(pdf);
    EXPECT_EQ(facts.page_mode, "/UseOutlines");
    ReportWriter writer;
    Build(wall.project, wall.family, writer);
    ASSERT_EQ(facts.bookmarks.size(), wall.bookmarks.size());
    for (size_t i = 0; i < wall.bookmarks.size(); ++i) {
      const Bookmark& want = wall.bookmarks[i];
      const PdfBookmark& got = facts.bookmarks[i];
      SCOPED_TRACE(want.title);
      EXPECT_EQ(got.title, want.title);
      EXPECT_EQ(got.level, want.level);
      EXPECT_EQ(got.page, want.page);
      ASSERT_LT(want.page, static_cast<int>(writer.Pages().size()));
      // The view opens at the heading's line: the cover at the top of its page.
      const std::optional<double> top =
          i == 0 ? kPageTop : RunTop(writer.Pages()[want.page], want.title);
      ASSERT_TRUE(top) << "no heading run on page " << want.page;
      EXPECT_NEAR(got.top, *top, 0.01);
    }
  }
}

TEST(DeliveredPdf, PropertiesFontsAndStructureOfAnArchivalFile) {
  ASSERT_FALSE(QStandardPaths::findExecutable("qpdf").isEmpty())
      << "qpdf (scripts/install_deps.sh) is needed";
  for (const Wall& wall : Walls()) {
    SCOPED_TRACE(wall.name);
    const std::string pdf = kOut + "/delivered_properties.pdf";
    ASSERT_EQ(Tool({wall.project, "-o", pdf, "--author", "山田設計事務所", "--date",
                    "2026-03-04T05:06:07+09:00"}),
              kExitOk);
    const PdfFacts facts = InspectPdf(pdf);
    EXPECT_EQ(facts.warnings, 0);
    EXPECT_EQ(facts.info.at("/Title"), wall.title);
    EXPECT_EQ(facts.info.at("/Author"), "山田設計事務所");
    EXPECT_EQ(facts.info.at("/Subject"), "擁壁の設計計算書");
    EXPECT_EQ(facts.info.at("/Creator"), "擁壁計算ﾌﾟﾛｸﾞﾗﾑ　KTV-PN3 ver2.10");
    EXPECT_EQ(facts.info.at("/CreationDate"), "D:20260304050607+09'00'");
    EXPECT_EQ(facts.info.at("/ModDate"), "D:20260304050607+09'00'");
    // The metadata says the same and names the archival level.
    for (const std::string& part :
         {std::string(wall.title), std::string("山田設計事務所"),
          std::string("<xmp:CreateDate>2026-03-04T05:06:07+09:00</xmp:CreateDate>"),
          std::string("<pdfaid:part>1</pdfaid:part>"),
          std::string("<pdfaid:conformance>B</pdfaid:conformance>"),
          "<pdf:Producer>" + facts.info.at("/Producer") + "</pdf:Producer>"}) {
      EXPECT_NE(facts.xmp.find(part), std::string::npos) << part;
    }
    EXPECT_FALSE(facts.xmp_filtered);
    EXPECT_EQ(facts.output_intent, "/GTS_PDFA1");
    EXPECT_TRUE(facts.has_id);
    EXPECT_FALSE(facts.encrypted);
    EXPECT_FALSE(facts.fonts.empty());
    EXPECT_TRUE(facts.unembedded.empty()) << facts.unembedded.front();
    QProcess check;
    check.start("qpdf", {"--check", QString::fromStdString(pdf)});
    ASSERT_TRUE(check.waitForFinished(60000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAll().toStdString();
    // PDF/A-1 knows no compressed object streams; the header marks the file as binary.
    const std::string bytes = ReadAll(pdf);
    EXPECT_EQ(bytes.substr(0, 9), "%PDF-1.4\n");
    EXPECT_EQ(bytes.find("/ObjStm"), std::string::npos);
    EXPECT_EQ(bytes.find("/XRefStm"), std::string::npos);
  }
}

TEST(DeliveredPdf, ControlBytesOfAProjectNameStayOutOfTheProperties) {
  const std::string project = kOut + "/delivered_control.mdb";
  std::filesystem::copy_file(kData + "/" + kStandardGravitySI, project,
                             std::filesystem::copy_options::overwrite_existing);
  {
    ProjectDatabase db = ProjectDatabase::Open(project);
    ProjectNameRow row = *db.ReadProjectName();
    row.cname =
        "A\x01"
        "B<&>";
    db.Write(row);
  }
  const std::string pdf = kOut + "/delivered_control.pdf";
  ASSERT_EQ(Tool({project, "-o", pdf}), kExitOk);
  const PdfFacts facts = InspectPdf(pdf);
  EXPECT_EQ(facts.info.at("/Title"), "重力式擁壁の設計計算　A B<&>");
  EXPECT_NE(facts.xmp.find("重力式擁壁の設計計算　A B&lt;&amp;&gt;"), std::string::npos);
}

TEST(DeliveredPdf, TheSameProjectAndDateGiveTheSameBytes) {
  const std::string project = kData + "/" + kStandardGravitySI;
  const std::string a = kOut + "/delivered_a.pdf", b = kOut + "/delivered_b.pdf";
  ASSERT_EQ(Tool({project, "-o", a, "--date", "2026-01-02T03:04:05"}), kExitOk);
  ASSERT_EQ(Tool({project, "-o", b, "--date", "2026-01-02T03:04:05"}), kExitOk);
  EXPECT_TRUE(ReadAll(a) == ReadAll(b)) << "two writes differ";
  // A date without an offset is UTC; another date changes only what carries the date.
  EXPECT_EQ(InspectPdf(a).info.at("/CreationDate"), "D:20260102030405+00'00'");
  ASSERT_EQ(Tool({project, "-o", b, "--date", "2026-01-02T03:04:06Z"}), kExitOk);
  EXPECT_EQ(InspectPdf(b).info.at("/CreationDate"), "D:20260102030406+00'00'");
}

TEST(DeliveredPdf, ABadDateIsRefusedBeforeAnythingIsWritten) {
  const std::string project = kData + "/" + kStandardGravitySI;
  const std::string pdf = kOut + "/delivered_never.pdf";
  std::filesystem::remove(pdf);
  for (const char* date : {"2026-13-01T00:00:00", "2026-02-30T00:00:00", "2026-01-02",
                           "2026-01-02 03:04:05", "2026-01-02T03:04:05+0900", "yesterday"}) {
    SCOPED_TRACE(date);
    std::string err;
    EXPECT_EQ(Tool({project, "-o", pdf, "--date", date}, &err), kExitUsage);
    EXPECT_NE(err.find("--date"), std::string::npos) << err;
  }
  EXPECT_EQ(Tool({project, "-o", pdf, "--date"}), kExitUsage);
  EXPECT_EQ(Tool({project, "-o", pdf, "--author"}), kExitUsage);
  EXPECT_FALSE(std::filesystem::exists(pdf));
}

}  // namespace
}  // namespace ktv
