#include "report/preview_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QWheelEvent>
#include <QtTest/QTest>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/errors.h"
#include "app/messages.h"
#include "app/settings.h"
#include "app/startup.h"
#include "families/family_table.h"
#include "gravity_fixture.h"
#include "pdf_inspect.h"
#include "project/project_database.h"
#include "report/preview_print.h"
#include "report/preview_view.h"
#include "report/report_build.h"
#include "report/report_render.h"
#include "report/report_writer.h"

namespace {

class WidgetEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "preview_window_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // lives until the process ends
  }
};

[[maybe_unused]] ::testing::Environment* const kWidgets =
    ::testing::AddGlobalTestEnvironment(new WidgetEnvironment);

}  // namespace

namespace ktv {
namespace {

using Load = PreviewWindow::LoadResult;

// A family entry writing report pages 1 .. pages, each with a heading, a table and a line so
// that printed and exported pages have something of every kind to compare.
FamilyReportEntry PagesEntry(int pages, int* calls = nullptr) {
  return [pages, calls](ReportWriter& w, const ReportContext&) {
    if (calls) ++*calls;
    for (int p = 1; p <= pages; ++p) {
      if (p > 1) w.NewPage();
      w.SetFontSize(FontSlot::Title);
      w.Paragraph("試験の計算書　" + std::to_string(p) + "頁目");
      w.SetFontSize(FontSlot::Body);
      w.Paragraph("　　　壁高　H = 2300 mm");
      w.BeginTable();
      w.SetTableCols(2);
      w.SetTableRows(2);
      w.SetColumnWidth(1, 2000);
      w.SetColumnWidth(2, 2000);
      w.SetCellText(1, 1, "区分");
      w.SetCellText(1, 2, "値");
      w.SetCellText(2, 1, "W");
      w.SetCellText(2, 2, std::to_string(p) + ".000");
      w.EndTable();
      w.DrawLine(2000, 8000, 9000, 9000);
    }
  };
}

FamilyEntryTable Table(FamilyReportEntry entry) {
  FamilyEntryTable t{};
  t[kGravity] = std::move(entry);
  return t;
}

// Records what it was asked to print.
class CountingPrinter : public ReportPrinter {
 public:
  void Print(const ReportWriter& doc) override {
    ++calls;
    pages = static_cast<int>(doc.Pages().size());
  }
  int calls = 0;
  int pages = 0;
};

class FailingPrinter : public ReportPrinter {
 public:
  explicit FailingPrinter(bool no_printer) : no_printer_(no_printer) {}
  void Print(const ReportWriter&) override {
    if (no_printer_) throw NoPrinterError("プリンタがありません。");
    throw ReportError("プリンタ「LBP」がエラーを返しました。");
  }

 private:
  bool no_printer_;
};

// The Print command's printer replaced by a PDF file.
class PdfPrinter : public ReportPrinter {
 public:
  explicit PdfPrinter(QString path) : path_(std::move(path)) {}
  void Print(const ReportWriter& doc) override {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path_);
    PrintReport(doc, printer);
  }

 private:
  QString path_;
};

class Preview : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
    db_path_ = (dir_.path() + "/Data.mdb").toStdString();
    CreateProjectDatabase(db_path_);
    ProjectDatabase::Open(db_path_).Write(ProjectNameRow{"市道１号線擁壁工事", "2024/04/01", 0});
    context_.working_database_path = db_path_;
    context_.sink = &sink_;
  }

  void StoreZoom(const QVariant& value) {
    auto s = OpenUserSettings();
    s->setValue(kKeyPreviewZoom, value);
    s->sync();
  }

  // A window over the given entries, built.
  std::unique_ptr<PreviewWindow> Built(const FamilyEntryTable& entries, bool print = false,
                                       ReportPrinter* printer = nullptr) {
    entries_ = entries;
    PreviewOptions options;
    options.entries = &entries_;
    options.printer = printer;
    options.choose_pdf_path = [this](QWidget*, const QString& proposed) {
      proposed_pdf_ = proposed;
      return pdf_answer_;
    };
    auto w = std::make_unique<PreviewWindow>(print, WallFamily::Gravity, context_, sink_, options);
    w->resize(1200, 900);
    load_ = w->BuildReport();
    return w;
  }

  static QString Text(const PreviewWindow& w, const char* label) {
    auto* l = w.findChild<QLabel*>(QString::fromUtf8(label));
    return l ? l->text() : QStringLiteral("<no label>");
  }
  static QPushButton* ButtonOf(const PreviewWindow& w, const char* name) {
    return w.findChild<QPushButton*>(QString::fromUtf8(name));
  }

  QTemporaryDir dir_;
  std::string db_path_;
  RecordingMessageSink sink_;
  ReportContext context_;
  FamilyEntryTable entries_{};
  Load load_ = Load::Failed;
  std::optional<QString> pdf_answer_;
  QString proposed_pdf_;
};

// Runs a command whose window may be shown modally; inspect sees it and closes it.
void RunShown(QWidget* parent, bool print, const ReportContext& ctx, MessageSink& sink,
              const PreviewOptions& options, const std::function<void(PreviewWindow&)>& inspect,
              bool* seen) {
  QTimer timer;
  timer.setInterval(20);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    auto* modal = qobject_cast<PreviewWindow*>(QApplication::activeModalWidget());
    if (modal == nullptr || !modal->isVisible()) return;
    timer.stop();
    *seen = true;
    inspect(*modal);
    modal->findChild<QPushButton*>("cmdClose")->click();
  });
  timer.start();
  RunReportCommand(parent, print, WallFamily::Gravity, ctx, sink, options);
}

// ---------------------------------------------------------------------------------------------

TEST_F(Preview, OpensOnTheCoverWithTheReportPageCount) {
  for (int pages : {1, 2, 5}) {
    SCOPED_TRACE(pages);
    sink_ = {};
    auto w = Built(Table(PagesEntry(pages)));
    ASSERT_EQ(load_, Load::Ready);
    EXPECT_EQ(Text(*w, "lblAP"), QString::number(pages)) << "the cover is not counted";
    EXPECT_EQ(Text(*w, "lblCP"), "0") << "the cover is page 0";
    EXPECT_EQ(w->View()->PreviewPage(), 1);
    EXPECT_EQ(w->View()->PageCount(), pages + 1);
    EXPECT_EQ(w->windowTitle(), QString::fromUtf8(kFullTitle) + " プレビュー");
    EXPECT_TRUE(sink_.shown.empty());
    EXPECT_EQ(sink_.beeps, 0);
  }
}

TEST_F(Preview, AFamilyWithoutAReportFailsWithItsMessage) {
  entries_ = Table(PagesEntry(3));  // the gravity wall only
  PreviewOptions options;
  options.entries = &entries_;
  PreviewWindow w(false, WallFamily::Leaning, context_, sink_, options);
  ASSERT_EQ(w.BuildReport(), Load::Failed);
  ASSERT_EQ(sink_.shown.size(), 1u);
  EXPECT_NE(sink_.shown[0].text.find(MissingReportMessage(WallFamily::Leaning)), std::string::npos)
      << sink_.shown[0].text;
  // Loading builds once: a second call neither builds nor shows the message again.
  EXPECT_EQ(w.BuildReport(), Load::Failed);
  EXPECT_EQ(sink_.shown.size(), 1u);
  EXPECT_EQ(w.Document().PageCount(), 0);
}

TEST_F(Preview, ProgramOptionsBringTheStartupFontSizesAndTheSavedDataFolder) {
  StartupValues startup;
  startup.report_font_sizes = {12, 9, 8, 13};
  startup.folders.saved_data = dir_.filePath("保存データ");
  startup.working_database_path = QString::fromStdString(db_path_);
  PreviewOptions options = PreviewOptionsFor(startup);
  entries_ = Table([](ReportWriter& w, const ReportContext&) {
    w.SetFontSize(FontSlot::Title);
    w.Paragraph("表題");
    w.SetFontSize(FontSlot::Body);
    w.Paragraph("本文");
  });
  options.entries = &entries_;
  QString proposed;
  options.choose_pdf_path = [&](QWidget*, const QString& p) -> std::optional<QString> {
    proposed = p;
    return std::nullopt;
  };
  ReportContext context = ReportContextFor(startup, &sink_);
  EXPECT_EQ(context.working_database_path, db_path_);
  EXPECT_EQ(context.sink, &sink_);
  PreviewWindow w(false, WallFamily::Gravity, context, sink_, options);
  ASSERT_EQ(w.BuildReport(), Load::Ready);
  std::map<std::string, double> sizes;
  for (const PageItem& item : w.Document().Pages()[1].items) {
    if (const auto* run = std::get_if<TextRun>(&item)) sizes[run->text] = run->font_size;
  }
  EXPECT_EQ(sizes["表題"], 12);
  EXPECT_EQ(sizes["本文"], 8);
  w.findChild<QPushButton*>("cmdPDF")->click();
  EXPECT_EQ(proposed, startup.folders.saved_data + "/市道１号線擁壁工事.pdf");
}

// The program's own entry once the family table names it.
FamilyEntryTable GravityEntries() { return ProgramFamilies().ReportEntries(); }

TEST_F(Preview, StandardGravityWallShowsTheWholeReport) {
  WriteStandardGravityProject(db_path_, true);
  ReportWriter reference;
  ReportBuildResult expected =
      BuildReport(reference, WallFamily::Gravity, context_, GravityEntries());
  ASSERT_TRUE(expected.complete) << expected.error;
  ASSERT_GT(expected.page_count, 2);

  auto w = Built(GravityEntries());
  ASSERT_EQ(load_, Load::Ready);
  EXPECT_EQ(Text(*w, "lblAP"), QString::number(expected.page_count - 1));
  EXPECT_EQ(Text(*w, "lblCP"), "0");
  EXPECT_EQ(DocumentText(w->Document()), DocumentText(reference));
  EXPECT_TRUE(sink_.shown.empty());

  // The input window's command with the program's own entries.
  QWidget parent;
  bool seen = false;
  PreviewOptions program;
  program.entries = &ProgramFamilies().ReportEntries();
  RunShown(
      &parent, false, context_, sink_, program,
      [&](PreviewWindow& shown) {
        EXPECT_EQ(Text(shown, "lblAP"), QString::number(expected.page_count - 1));
        EXPECT_EQ(Text(shown, "lblCP"), "0");
        EXPECT_EQ(DocumentText(shown.Document()), DocumentText(reference));
      },
      &seen);
  EXPECT_TRUE(seen);
  EXPECT_TRUE(sink_.shown.empty());
}

// ---------------------------------------------------------------------------------------------

TEST_F(Preview, NavigationKeepsWithinThePagesAndBeepsAtTheLimits) {
  auto w = Built(Table(PagesEntry(4)));
  ASSERT_EQ(load_, Load::Ready);
  struct Step {
    const char* button;
    const char* shown;  // lblCP afterwards
    bool beep;
  };
  const Step steps[] = {
      {"cmdMP", "0", true},  {"cmdMF", "0", true},  {"cmdMN", "1", false},
      {"cmdMN", "2", false}, {"cmdMP", "1", false}, {"cmdML", "4", false},
      {"cmdMN", "4", true},  {"cmdML", "4", true},  {"cmdMF", "0", false},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(std::string(s.button) + " -> " + s.shown);
    const int beeps = sink_.beeps;
    QPushButton* b = ButtonOf(*w, s.button);
    ASSERT_NE(b, nullptr);
    b->click();
    EXPECT_EQ(Text(*w, "lblCP"), s.shown);
    EXPECT_EQ(sink_.beeps - beeps, s.beep ? 1 : 0);
  }
  EXPECT_TRUE(sink_.shown.empty());
}

// The preview pages like a document viewer: PageUp / PageDown and the wheel turn pages, the zoom
// is shown in percent, and the chapter list (the report's bookmarks) jumps to a chapter.
TEST_F(Preview, PageKeysAndTheWheelTurnPagesAndTheChapterListJumps) {
  WriteStandardGravityProject(db_path_, true);
  auto w = Built(GravityEntries());
  ASSERT_EQ(load_, Load::Ready);
  w->resize(1280, 900);
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  PreviewView* view = w->View();
  EXPECT_EQ(Text(*w, "lblZoom"), "95%");
  w->FitWholePage();  // a whole page in the view: the wheel has nothing to scroll
  EXPECT_EQ(Text(*w, "lblZoom"), QStringLiteral("%1%").arg(std::lround(view->Zoom())));
  view->setFocus();
  QTest::keyClick(view, Qt::Key_PageDown);
  EXPECT_EQ(Text(*w, "lblCP"), "1");
  QTest::keyClick(view, Qt::Key_PageDown);
  EXPECT_EQ(Text(*w, "lblCP"), "2");
  QTest::keyClick(view, Qt::Key_PageUp);
  EXPECT_EQ(Text(*w, "lblCP"), "1");
  auto wheel = [&](int delta) {
    const QPointF at(view->viewport()->width() / 2.0, view->viewport()->height() / 2.0);
    QWheelEvent event(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &event);
  };
  wheel(-120);
  EXPECT_EQ(Text(*w, "lblCP"), "2");
  wheel(120);
  EXPECT_EQ(Text(*w, "lblCP"), "1");
  QTest::keyClick(view, Qt::Key_Home);
  EXPECT_EQ(Text(*w, "lblCP"), "0");

  const auto& outline = w->Document().Outline();
  ASSERT_GE(outline.size(), 3u);
  QTreeWidget* chapters = w->Chapters();
  int items = 0;
  for (int i = 0; i < chapters->topLevelItemCount(); ++i) {
    items += 1 + chapters->topLevelItem(i)->childCount();
  }
  EXPECT_EQ(items, static_cast<int>(outline.size()));
  EXPECT_EQ(chapters->topLevelItem(0)->text(0), QStringLiteral("表紙"));
  w->GoToChapter(static_cast<int>(outline.size()) - 1);
  EXPECT_EQ(Text(*w, "lblCP"), QString::number(outline.back().page));
  EXPECT_TRUE(sink_.shown.empty());
}

TEST_F(Preview, MouseOnThePageTurnsAndZoomsAsTheTooltipsPromise) {
  auto w = Built(Table(PagesEntry(2)));
  ASSERT_EQ(load_, Load::Ready);
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  QWidget* page = w->View()->viewport();
  const QPoint centre = page->rect().center();

  QTest::mouseClick(page, Qt::LeftButton, Qt::ShiftModifier, centre);
  EXPECT_EQ(Text(*w, "lblCP"), "1");
  QTest::mouseClick(page, Qt::LeftButton, Qt::ShiftModifier, centre);
  QTest::mouseClick(page, Qt::LeftButton, Qt::ShiftModifier, centre);
  EXPECT_EQ(Text(*w, "lblCP"), "2");
  EXPECT_EQ(sink_.beeps, 1) << "next on the last page beeps, as the button does";
  QTest::mouseClick(page, Qt::RightButton, Qt::ShiftModifier, centre);
  EXPECT_EQ(Text(*w, "lblCP"), "1");
  // A plain click does not turn the page.
  QTest::mouseClick(page, Qt::LeftButton, Qt::NoModifier, centre);
  EXPECT_EQ(Text(*w, "lblCP"), "1");

  const double zoom = w->View()->Zoom();
  QTest::mouseDClick(page, Qt::LeftButton, Qt::NoModifier, centre);
  EXPECT_DOUBLE_EQ(w->View()->Zoom(), zoom + kZoomStep);
  QTest::mouseDClick(page, Qt::RightButton, Qt::NoModifier, centre);
  QTest::mouseDClick(page, Qt::RightButton, Qt::NoModifier, centre);
  EXPECT_DOUBLE_EQ(w->View()->Zoom(), zoom - kZoomStep);
  EXPECT_EQ(Text(*w, "lblCP"), "1") << "zooming keeps the page";
}

// ---------------------------------------------------------------------------------------------

TEST_F(Preview, FirstZoomComesFromTheSettingsStore) {
  struct Case {
    std::optional<QVariant> stored;
    double zoom;
  };
  const Case cases[] = {
      {std::nullopt, 95},
      {QVariant(120), 120},
      {QVariant("150"), 150},
      {QVariant("72.5"), 72.5},
      {QVariant(1000), PreviewView::kMaxZoom},
      {QVariant(3), PreviewView::kMinZoom},
      {QVariant(0), 95},
      {QVariant("-20"), 95},
      {QVariant("abc"), 95},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored ? c.stored->toString().toStdString() : "none");
    {
      auto s = OpenUserSettings();
      s->remove(kKeyPreviewZoom);
      if (c.stored) s->setValue(kKeyPreviewZoom, *c.stored);
      s->sync();
    }
    auto w = Built(Table(PagesEntry(1)));
    ASSERT_EQ(load_, Load::Ready);
    EXPECT_DOUBLE_EQ(w->View()->Zoom(), c.zoom);
    EXPECT_EQ(w->View()->Mode(), PreviewView::ZoomMode::Percentage);
  }
  // The window only reads the zoom.
  EXPECT_EQ(OpenUserSettings()->value(kKeyPreviewZoom).toString(), "abc");
}

TEST_F(Preview, ZoomStopsAtTheLimitsWithABeepOnTheFirstPressWithoutEffect) {
  struct Case {
    const char* button;
    double limit;
    double step;
  };
  for (const Case& c : {Case{"cmd拡大", PreviewView::kMaxZoom, kZoomStep},
                        Case{"cmd縮小", PreviewView::kMinZoom, -kZoomStep}}) {
    SCOPED_TRACE(c.button);
    sink_ = {};
    auto w = Built(Table(PagesEntry(1)));
    ASSERT_EQ(load_, Load::Ready);
    QPushButton* b = ButtonOf(*w, c.button);
    ASSERT_NE(b, nullptr);
    double expected = 95;
    int presses = 0;
    while (sink_.beeps == 0 && presses < 100) {
      const double before = w->View()->Zoom();
      b->click();
      ++presses;
      expected = std::clamp(expected + c.step, PreviewView::kMinZoom, PreviewView::kMaxZoom);
      EXPECT_DOUBLE_EQ(w->View()->Zoom(), expected);
      if (sink_.beeps > 0) {
        EXPECT_DOUBLE_EQ(before, c.limit) << "beeped before the limit";
      }
    }
    EXPECT_EQ(sink_.beeps, 1);
    EXPECT_DOUBLE_EQ(w->View()->Zoom(), c.limit);
    // The press that reached the limit by clamping changed the zoom and did not beep.
    const int steps_to_limit = static_cast<int>(std::ceil(std::abs(c.limit - 95) / kZoomStep));
    EXPECT_EQ(presses, steps_to_limit + 1);
  }
}

TEST_F(Preview, ZoomAfterAFitComparesWithTheRoundedOldZoom) {
  auto w = Built(Table(PagesEntry(1)));
  ASSERT_EQ(load_, Load::Ready);
  w->View()->SetZoom(PreviewView::kMaxZoom - 0.4);  // rounds to the maximum
  ButtonOf(*w, "cmd拡大")->click();
  EXPECT_DOUBLE_EQ(w->View()->Zoom(), PreviewView::kMaxZoom);
  EXPECT_EQ(sink_.beeps, 1);
  w->View()->SetZoom(PreviewView::kMaxZoom - 0.6);
  ButtonOf(*w, "cmd拡大")->click();
  EXPECT_EQ(sink_.beeps, 1) << "399.4 rounds to 399: the zoom changed";
}

TEST_F(Preview, TwoPageModeDisablesTheZoomAndOnePageModeRestoresIt) {
  auto w = Built(Table(PagesEntry(3)));
  ASSERT_EQ(load_, Load::Ready);
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  const char* zoom_buttons[] = {"cmd拡大", "cmd縮小", "cmd基準", "cmd全体"};
  auto* one = w->findChild<QRadioButton*>("OpnZoomMode(0)");
  auto* two = w->findChild<QRadioButton*>("OpnZoomMode(1)");
  ASSERT_TRUE(one && two);
  EXPECT_TRUE(one->isChecked()) << "one page at the start";
  for (const char* name : zoom_buttons) EXPECT_TRUE(ButtonOf(*w, name)->isEnabled()) << name;

  ButtonOf(*w, "cmd拡大")->click();
  ASSERT_DOUBLE_EQ(w->View()->Zoom(), 110);
  two->click();
  EXPECT_EQ(w->View()->Mode(), PreviewView::ZoomMode::TwoPages);
  for (const char* name : zoom_buttons) EXPECT_FALSE(ButtonOf(*w, name)->isEnabled()) << name;
  // Both pages fit side by side in the view.
  const double scale = w->View()->PixelsPerTwip();
  EXPECT_LE(2 * kA4Width * scale, w->View()->viewport()->width());
  EXPECT_LE(kA4Height * scale, w->View()->viewport()->height());
  // Double-clicks do not zoom the fitted pages, and paging still works.
  w->ZoomIn();
  EXPECT_EQ(sink_.beeps, 0);
  ButtonOf(*w, "cmdMN")->click();
  EXPECT_EQ(Text(*w, "lblCP"), "1");

  one->click();
  EXPECT_EQ(w->View()->Mode(), PreviewView::ZoomMode::Percentage);
  EXPECT_DOUBLE_EQ(w->View()->Zoom(), 110);
  for (const char* name : zoom_buttons) EXPECT_TRUE(ButtonOf(*w, name)->isEnabled()) << name;
}

TEST_F(Preview, FitButtonsSetTheZoomAndKeepPercentageMode) {
  auto w = Built(Table(PagesEntry(1)));
  ASSERT_EQ(load_, Load::Ready);
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  PreviewView* view = w->View();

  ButtonOf(*w, "cmd全体")->click();
  EXPECT_EQ(view->Mode(), PreviewView::ZoomMode::Percentage);
  double scale = view->PixelsPerTwip();
  EXPECT_LE(kA4Height * scale, view->viewport()->height());
  EXPECT_LE(kA4Width * scale, view->viewport()->width());
  EXPECT_GT(kA4Height * scale, 0.85 * view->viewport()->height()) << "the page fills the view";
  const double whole = view->Zoom();

  ButtonOf(*w, "cmd基準")->click();
  EXPECT_EQ(view->Mode(), PreviewView::ZoomMode::Percentage);
  scale = view->PixelsPerTwip();
  EXPECT_LE(kA4Width * scale, view->viewport()->width());
  EXPECT_GT(kA4Width * scale, 0.85 * view->viewport()->width());
  EXPECT_GT(view->Zoom(), whole) << "a wide window shows the page wider at its width";

  // The fitted percentage is kept when the window changes size.
  const double width_zoom = view->Zoom();
  w->resize(900, 700);
  EXPECT_DOUBLE_EQ(view->Zoom(), width_zoom);
}

// ---------------------------------------------------------------------------------------------

TEST_F(Preview, PrintAnsweredNoBuildsAndPrintsNothing) {
  sink_.answer = MessageAnswer::No;
  int calls = 0;
  CountingPrinter printer;
  auto w = Built(Table(PagesEntry(2, &calls)), true, &printer);
  EXPECT_EQ(load_, Load::Cancelled);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(printer.calls, 0);
  EXPECT_TRUE(w->Document().Pages().empty());
  EXPECT_FALSE(w->Document().IsDocumentOpen());
  ASSERT_EQ(sink_.shown.size(), 1u);
  EXPECT_EQ(sink_.shown[0].title, "印刷の確認");
  EXPECT_EQ(sink_.shown[0].text, "計算結果を印刷します。いいですか？");
  EXPECT_EQ(sink_.shown[0].icon, MessageIcon::Information);
  EXPECT_EQ(sink_.shown[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(sink_.beeps, 1) << "a beep before the question";
}

TEST_F(Preview, PrintAnsweredYesPrintsTheWholeDocumentWithoutShowingTheWindow) {
  sink_.answer = MessageAnswer::Yes;
  int calls = 0;
  CountingPrinter printer;
  auto w = Built(Table(PagesEntry(3, &calls)), true, &printer);
  EXPECT_EQ(load_, Load::Printed);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(printer.calls, 1);
  EXPECT_EQ(printer.pages, 4);
  EXPECT_FALSE(w->isVisible());
  ASSERT_EQ(sink_.shown.size(), 1u) << "only the question";
}

TEST_F(Preview, PrinterFailuresEndWithAClearMessage) {
  struct Case {
    bool no_printer;
    std::string text;
  };
  const Case cases[] = {
      {true,
       "プリンタが見つからないため、印刷できません。\r\n"
       "プリンタを設定してから、もう一度印刷してください。\r\n"
       "PDFファイルにするには、「計算・表示」で計算書を表示し、「PDF保存」を押してください。"},
      {false,
       "印刷できませんでした。\r\nプリンタの状態を確かめてください。\r\n\r\n詳細：プリンタ「LBP」"
       "がエラーを返しました。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.no_printer);
    sink_ = {};
    FailingPrinter printer(c.no_printer);
    auto w = Built(Table(PagesEntry(1)), true, &printer);
    EXPECT_EQ(load_, Load::Failed);
    ASSERT_EQ(sink_.shown.size(), 2u);
    EXPECT_EQ(sink_.shown[1].text, c.text);
    EXPECT_EQ(sink_.shown[1].title, kFullTitle);
    EXPECT_EQ(sink_.shown[1].icon, MessageIcon::Warning);
    EXPECT_EQ(sink_.beeps, 2);
  }
}

TEST(PrintReportOn, NoPrinterInstalledIsItsOwnError) {
  ReportWriter w;
  w.PageSetup();
  w.BeginDocument();
  w.EndDocument();
  EXPECT_THROW(PrintReportOn(w, QPrinterInfo()), NoPrinterError);
  ReportWriter empty;
  QPrinter printer;
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QDir::temp().filePath("ktv_never_written.pdf"));
  EXPECT_THROW(PrintReport(empty, printer), ReportError) << "nothing to print";
}

// ---------------------------------------------------------------------------------------------

// Output of a command line tool; empty when it cannot run.
QByteArray RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
  return p.readAllStandardOutput();
}

// The pages of a PDF rasterised in grey at a low resolution.
std::vector<QImage> Raster(const QString& pdf, const QString& prefix) {
  RunTool("pdftoppm", {"-r", "30", "-gray", "-png", pdf, prefix});
  std::vector<QImage> pages;
  const QFileInfo info(prefix);
  QStringList files =
      QDir(info.absolutePath()).entryList({info.fileName() + "-*.png"}, QDir::Files, QDir::Name);
  for (const QString& f : files) pages.push_back(QImage(info.absolutePath() + "/" + f));
  return pages;
}

long Inked(const QImage& page) {
  long n = 0;
  for (int y = 0; y < page.height(); ++y) {
    for (int x = 0; x < page.width(); ++x) n += qGray(page.pixel(x, y)) < 160 ? 1 : 0;
  }
  return n;
}

// Pixels of a that no pixel of b within one pixel matches: the pages may differ by a rounding
// of the device resolution, not by anything a reader would see.
long Unmatched(const QImage& a, const QImage& b) {
  long n = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      const int ga = qGray(a.pixel(x, y));
      int best = 255;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          const int bx = x + dx, by = y + dy;
          if (bx < 0 || by < 0 || bx >= b.width() || by >= b.height()) continue;
          best = std::min(best, std::abs(ga - qGray(b.pixel(bx, by))));
        }
      }
      n += best > 96 ? 1 : 0;
    }
  }
  return n;
}

constexpr const char* kProjectName = "標準重力式擁壁";

TEST_F(Preview, PrintingToAPdfPrinterGivesTheSamePagesAsTheExport) {
  ASSERT_FALSE(QStandardPaths::findExecutable("pdftoppm").isEmpty())
      << "poppler-utils (scripts/install_deps.sh) is needed";
  FamilyEntryTable entries = Table(PagesEntry(3));
  WriteStandardGravityProject(db_path_, true);
  entries = GravityEntries();
  const QString exported = dir_.filePath("exported.pdf");
  pdf_answer_ = exported;
  auto w = Built(entries);
  ASSERT_EQ(load_, Load::Ready);
  ButtonOf(*w, "cmdPDF")->click();
  ASSERT_TRUE(QFileInfo::exists(exported));
  EXPECT_EQ(proposed_pdf_, QDir::home().filePath(QString::fromUtf8(kProjectName) + ".pdf"));
  // The saved file carries the report's bookmarks and title.
  const PdfFacts facts = InspectPdf(exported.toStdString());
  const std::vector<OutlineEntry>& outline = w->Document().Outline();
  ASSERT_EQ(facts.bookmarks.size(), outline.size());
  ASSERT_GT(outline.size(), 5u);
  for (size_t i = 0; i < outline.size(); ++i) {
    EXPECT_EQ(facts.bookmarks[i].title, outline[i].title);
    EXPECT_EQ(facts.bookmarks[i].page, outline[i].page);
  }
  EXPECT_EQ(facts.info.at("/Title"), "重力式擁壁の設計計算　" + std::string(kProjectName));

  const QString printed = dir_.filePath("printed.pdf");
  PdfPrinter printer(printed);
  sink_.answer = MessageAnswer::Yes;
  auto p = Built(entries, true, &printer);
  ASSERT_EQ(load_, Load::Printed);
  ASSERT_TRUE(QFileInfo::exists(printed));

  const std::vector<QImage> a = Raster(exported, dir_.filePath("e"));
  const std::vector<QImage> b = Raster(printed, dir_.filePath("p"));
  ASSERT_EQ(a.size(), w->Document().Pages().size());
  ASSERT_EQ(b.size(), a.size());
  for (size_t i = 0; i < a.size(); ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(a[i].size(), b[i].size());
    const long inked = Inked(a[i]);
    EXPECT_GT(inked, 50) << "the page carries text";
    EXPECT_LT(Unmatched(a[i], b[i]) + Unmatched(b[i], a[i]), inked / 50 + 5)
        << "printed and exported pages differ";
  }
  // The text of every page is the same.
  for (size_t i = 1; i <= a.size(); ++i) {
    const QString n = QString::number(i);
    // Blanks are left out: where the extractor puts them depends on the device resolution.
    QByteArray ta = RunTool("pdftotext", {"-f", n, "-l", n, exported, "-"}).simplified();
    QByteArray tb = RunTool("pdftotext", {"-f", n, "-l", n, printed, "-"}).simplified();
    ta.replace(' ', "");
    tb.replace(' ', "");
    EXPECT_FALSE(ta.trimmed().isEmpty()) << i;
    EXPECT_EQ(ta, tb) << "page " << i;
  }
}

TEST_F(Preview, PdfSaveAddsTheSuffixAndKeepsAnOldFileWhenTheWriteFails) {
  auto w = Built(Table(PagesEntry(2)));
  ASSERT_EQ(load_, Load::Ready);

  pdf_answer_ = dir_.filePath("計算書");
  ButtonOf(*w, "cmdPDF")->click();
  EXPECT_TRUE(QFileInfo::exists(dir_.filePath("計算書.pdf")));
  EXPECT_TRUE(sink_.shown.empty());

  // Replacing a file leaves no temporary file behind.
  const qint64 first_size = QFileInfo(dir_.filePath("計算書.pdf")).size();
  ButtonOf(*w, "cmdPDF")->click();
  EXPECT_EQ(QFileInfo(dir_.filePath("計算書.pdf")).size(), first_size);
  EXPECT_EQ(QDir(dir_.path()).entryList({"*.pdf*"}, QDir::Files | QDir::Hidden).size(), 1);

  pdf_answer_ = std::nullopt;  // cancelled
  ButtonOf(*w, "cmdPDF")->click();
  EXPECT_TRUE(sink_.shown.empty());

  pdf_answer_ = dir_.filePath("無い/計算書.pdf");
  ButtonOf(*w, "cmdPDF")->click();
  ASSERT_EQ(sink_.shown.size(), 1u);
  EXPECT_EQ(sink_.shown[0].icon, MessageIcon::Warning);
  EXPECT_EQ(sink_.shown[0].text.rfind("PDFファイルを保存できません。\r\n" +
                                          QDir::toNativeSeparators(*pdf_answer_).toStdString(),
                                      0),
            0u)
      << sink_.shown[0].text;
  // The detail is said in Japanese, like the rest of the box.
  const std::string& text = sink_.shown[0].text;
  const std::string detail = text.substr(text.find("詳細：") + std::string("詳細：").size());
  EXPECT_FALSE(detail.empty());
  EXPECT_EQ(std::count_if(detail.begin(), detail.end(), [](char c) { return std::isalpha(c); }), 0)
      << text;
  EXPECT_EQ(sink_.beeps, 1);
}

// ---------------------------------------------------------------------------------------------

TEST_F(Preview, PreviewCommandShowsTheWindowModallyAndGivesTheParentBack) {
  entries_ = Table(PagesEntry(3));
  PreviewOptions options;
  options.entries = &entries_;
  QWidget parent;
  parent.show();
  // The input window disables itself before the command and sets the hourglass.
  parent.setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  bool seen = false;
  RunShown(
      &parent, false, context_, sink_, options,
      [&](PreviewWindow& w) {
        EXPECT_TRUE(w.isEnabled()) << "usable although its parent is disabled";
        EXPECT_TRUE(w.isModal());
        EXPECT_EQ(w.objectName(), "frmPreview");
        EXPECT_EQ(Text(w, "lblAP"), "3");
        EXPECT_EQ(Text(w, "lblCP"), "0");
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::ArrowCursor)
            << "the normal pointer over the shown report";
      },
      &seen);
  EXPECT_TRUE(seen);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor) << "the caller's pointer";
  QApplication::restoreOverrideCursor();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_FALSE(parent.isEnabled()) << "the caller enables itself";
  EXPECT_TRUE(parent.findChildren<PreviewWindow*>().isEmpty()) << "the window is unloaded";
  EXPECT_TRUE(sink_.shown.empty());
}

TEST_F(Preview, CommandsThatEndWithAMessageLeaveTheWindowsUsable) {
  QWidget parent;
  parent.show();
  bool disabled_during_build = false;
  bool hourglass_during_build = false;
  auto failing = [&](std::function<void()> fail) {
    return Table([&, fail](ReportWriter& w, const ReportContext&) {
      disabled_during_build = !parent.isEnabled();
      hourglass_during_build = QApplication::overrideCursor() != nullptr &&
                               QApplication::overrideCursor()->shape() == Qt::WaitCursor;
      w.Paragraph("途中まで");
      fail();
    });
  };
  struct Case {
    const char* name;
    bool print;
    std::function<void()> fail;
    MessageIcon icon;
    std::string text;              // start of the message
    const char* detail = nullptr;  // its end, when checked
  };
  const Case cases[] = {
      {"calculation, preview", false,
       [] { throw CalculationError("擁壁の高さが0のため、計算できません。"); },
       MessageIcon::Information, "擁壁の高さが0のため、計算できません。"},
      {"calculation, print", true,
       [] { throw CalculationError("擁壁の高さが0のため、計算できません。"); },
       MessageIcon::Information, "擁壁の高さが0のため、計算できません。"},
      {"database", false, [] { ProjectDatabase::Open("/nonexistent/Data.mdb"); },
       MessageIcon::Warning, "データを読み込めません。\r\n",
       "\r\n\r\n詳細：ファイル /nonexistent/Data.mdb がありません。"},
      {"other", false, [] { throw std::runtime_error("broken"); }, MessageIcon::Critical,
       "計算書を作成できません。\r\n\r\n詳細：broken"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sink_ = {};
    sink_.answer = MessageAnswer::Yes;
    disabled_during_build = hourglass_during_build = false;
    entries_ = failing(c.fail);
    CountingPrinter printer;
    PreviewOptions options;
    options.entries = &entries_;
    options.printer = &printer;
    bool seen = false;
    RunShown(
        &parent, c.print, context_, sink_, options, [](PreviewWindow&) {}, &seen);
    EXPECT_FALSE(seen) << "nothing is shown after a failed build";
    EXPECT_TRUE(disabled_during_build);
    EXPECT_TRUE(hourglass_during_build);
    EXPECT_EQ(printer.calls, 0);
    ASSERT_EQ(sink_.shown.size(), c.print ? 2u : 1u);
    const auto& box = sink_.shown.back();
    EXPECT_EQ(box.icon, c.icon);
    EXPECT_EQ(box.title, kFullTitle);
    EXPECT_EQ(box.text.rfind(c.text, 0), 0u) << box.text;
    if (c.detail) {
      EXPECT_EQ(box.text.substr(box.text.size() - std::min(box.text.size(), strlen(c.detail))),
                c.detail);
    }
    EXPECT_EQ(sink_.beeps, static_cast<int>(sink_.shown.size()));
    EXPECT_TRUE(parent.isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(parent.findChildren<PreviewWindow*>().isEmpty());
  }
}

TEST_F(Preview, PrintCommandAnsweredNoLeavesEverythingAsItWas) {
  QWidget parent;
  int calls = 0;
  entries_ = Table(PagesEntry(1, &calls));
  CountingPrinter printer;
  PreviewOptions options;
  options.entries = &entries_;
  options.printer = &printer;
  sink_.answer = MessageAnswer::No;
  RunReportCommand(&parent, true, WallFamily::Gravity, context_, sink_, options);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(printer.calls, 0);
  EXPECT_EQ(sink_.shown.size(), 1u);
  EXPECT_TRUE(parent.isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// ---------------------------------------------------------------------------------------------

TEST_F(Preview, ControlsCarryTheirTexts) {
  auto w = Built(Table(PagesEntry(1)));
  struct Control {
    const char* name;
    const char* caption;  // nullptr: not checked
    const char* tooltip;
  };
  const Control controls[] = {
      {"cmdMF", "", "プレビューするページを最初のページに変更します"},
      {"cmdMP", "",
       "プレビューするページを、現在のページより1つ前のページに変更します。画面上で直接、["
       "Shift] + [右クリック]でも同様の処理ができます。"},
      {"cmdMN", "",
       "プレビューするページを、現在のページより1つ後のページに変更します。画面上で直接、["
       "Shift] + [左クリック]でも同様の処理ができます。"},
      {"cmdML", "", "最後のページを表示します"},
      {"cmd拡大", "拡大",
       "プレビューを拡大します。画面上で[左ダブルクリック]することにより同様の処理が可能です。"},
      {"cmd縮小", "縮小",
       "プレビューを縮小します。画面上で[右ダブルクリック]することにより同様の処理が可能です。"},
      {"cmd基準", "基準表示", "画面内にページ枠を基準にしてプレビューを表示します"},
      {"cmd全体", "全体表示", "画面内にページ全体を基準にしてプレビューを表示します"},
      {"cmdClose", "閉じる（&C）", nullptr},
      {"cmdPDF", "PDF保存", nullptr},
  };
  for (const Control& c : controls) {
    SCOPED_TRACE(c.name);
    QPushButton* b = ButtonOf(*w, c.name);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->text(), QString::fromUtf8(c.caption));
    if (c.tooltip) {
      EXPECT_EQ(b->toolTip(), QString::fromUtf8(c.tooltip));
    }
  }
  EXPECT_EQ(w->findChild<QRadioButton*>("OpnZoomMode(0)")->text(), "1頁");
  EXPECT_EQ(w->findChild<QRadioButton*>("OpnZoomMode(1)")->text(), "2頁");
  EXPECT_EQ(w->findChild<QGroupBox*>("Frame1")->title(), " 表示頁数 ");
  EXPECT_EQ(w->findChild<QGroupBox*>("Frame2")->title(), " 画面操作 ");
  EXPECT_EQ(Text(*w, "Label50"), "全ページ数");
  EXPECT_EQ(Text(*w, "Label49"), "現在のページ");
  EXPECT_EQ(Text(*w, "Label1"), "表紙は0頁とする");
  EXPECT_NE(w->findChild<PreviewView*>("VSP"), nullptr);
}

TEST_F(Preview, LayoutKeepsThePanelBottomRightAboveTheStatusBar) {
  auto w = Built(Table(PagesEntry(1)));
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  auto twips = [&](int t) { return static_cast<int>(std::lround(t * w->logicalDpiX() / 1440.0)); };
  auto* panel = w->findChild<QFrame*>("Picture1");
  auto* status = w->findChild<QStatusBar*>("StatusBar1");
  ASSERT_TRUE(panel && status);
  EXPECT_EQ(panel->frameShape(), QFrame::NoFrame) << "the border is removed after loading";
  for (QSize size : {QSize(1200, 900), QSize(1600, 1000), QSize(1, 1)}) {
    SCOPED_TRACE(size.width());
    w->resize(size);
    const QSize s = w->size();  // not below the minimum size
    EXPECT_EQ(status->geometry().bottom(), s.height() - 1);
    EXPECT_EQ(panel->x(), s.width() - panel->width() - twips(200));
    EXPECT_EQ(panel->y(), s.height() - (status->height() + panel->height()) - twips(250));
    // The chapter list stands left of the pages, as high as they are.
    auto* chapters = w->Chapters();
    const int list = chapters->isHidden() ? 0 : chapters->width();
    EXPECT_EQ(chapters->pos(), QPoint(0, 0));
    EXPECT_EQ(w->View()->pos(), QPoint(list, 0));
    EXPECT_EQ(w->View()->width(), s.width() - twips(100) - list);
    EXPECT_EQ(w->View()->height(), panel->y() - twips(100));
    if (!chapters->isHidden()) {
      EXPECT_EQ(chapters->height(), w->View()->height());
    }
    EXPECT_LE(panel->geometry().bottom(), status->y());
  }
}

// Pictures of the shown preview for a reader to look at (not compared).
TEST_F(Preview, ScreenshotsOfPagesOneAndThree) {
  FamilyEntryTable entries = Table(PagesEntry(3));
  WriteStandardGravityProject(db_path_, true);
  entries = GravityEntries();
  auto w = Built(entries);
  ASSERT_EQ(load_, Load::Ready);
  w->resize(1280, 960);
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  for (int page : {1, 3}) {
    ASSERT_GT(w->View()->PageCount(), page);
    w->View()->SetPreviewPage(page + 1);
    QApplication::processEvents();
    QImage shot = w->grab().toImage();
    const QString file =
        QString(KTV_PREVIEW_OUTPUT_DIR) + "/preview_page" + QString::number(page) + ".png";
    EXPECT_TRUE(shot.save(file)) << file.toStdString();
    EXPECT_EQ(Text(*w, "lblCP"), QString::number(page));
    // Somewhere on the page there is dark ink on white paper.
    const QImage view = w->View()->viewport()->grab().toImage();
    long dark = 0;
    for (int y = 0; y < view.height(); y += 2) {
      for (int x = 0; x < view.width(); x += 2) dark += qGray(view.pixel(x, y)) < 60 ? 1 : 0;
    }
    EXPECT_GT(dark, 200);
  }
  // Two pages side by side, from the cover.
  w->GoFirstPage();
  w->findChild<QRadioButton*>("OpnZoomMode(1)")->click();
  QApplication::processEvents();
  EXPECT_TRUE(w->grab().toImage().save(QString(KTV_PREVIEW_OUTPUT_DIR) + "/preview_two_pages.png"));
}

}  // namespace
}  // namespace ktv

// The font library keeps its configuration until the process ends; under the leak checker that
// is not a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
