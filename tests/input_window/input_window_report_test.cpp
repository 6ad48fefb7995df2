// Print and Preview of the design input window through the preview window.
// (A file of its own: the report and sketch headers cannot share a translation unit.)
#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "families/family_table.h"
#include "input_window/input_window.h"
#include "input_window/report_connection.h"
#include "report/preview_print.h"
#include "window_test_support.h"

namespace ktv {
namespace {

using testing::Enter;
using testing::Installation;
using testing::ScriptedDialogs;
using testing::ScriptedMessages;

class WindowReportTest : public ::testing::Test {
 protected:
  void SetUp() override { install_ = std::make_unique<Installation>(); }
  void TearDown() override {
    window_.reset();
    install_.reset();
  }
  // The window of a gravity project that the report can be built from, its report through the
  // preview window with `options`.
  InputWindow& Start(const PreviewOptions& options) {
    InputWindowHooks hooks;
    UsePreviewWindow(hooks, install_->StartUp(), messages_, ProgramFamilies().ReportEntries(),
                     options);
    window_ =
        std::make_unique<InputWindow>(install_->StartUp(), messages_, dialogs_, std::move(hooks));
    window_->show();
    window_->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    Type("txt工事名", "擁壁G");
    Type("txtFc", "18");
    Type("txtγc", "23");
    Type("txtq1", "10");
    Type("txtγ", "18");
    Type("txtqa_R(0)", "200");
    Type("txtqa_R(1)", "1.5");
    return *window_;
  }
  InputWindow& W() { return *window_; }
  void Type(const char* name, const char* text) {
    Enter(W(), QString::fromUtf8(name), QString::fromUtf8(text));
  }
  void Trigger(const char* key) { W().findChild<QAction*>(QString::fromUtf8(key))->trigger(); }

  std::unique_ptr<Installation> install_;
  ScriptedMessages messages_;
  ScriptedDialogs dialogs_;
  std::unique_ptr<InputWindow> window_;
};

// Closes the modal window the command opens, once it is there, and tells what it showed.
struct ModalWindowSeen {
  bool seen = false;
  bool enabled = false;
  QString caption;
  QString all_pages;
};
void CloseModalWindowWhenShown(ModalWindowSeen& out) {
  auto* timer = new QTimer;
  timer->setInterval(50);
  QObject::connect(timer, &QTimer::timeout, [timer, &out] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    out.seen = true;
    out.enabled = dialog->isEnabled();
    out.caption = dialog->windowTitle();
    if (auto* label = dialog->findChild<QLabel*>(QStringLiteral("lblAP"))) {
      out.all_pages = label->text();
    }
    dialog->close();
    timer->stop();
    timer->deleteLater();
  });
  timer->start();
}

TEST_F(WindowReportTest, PrintAndPreviewGoThroughThePreviewWindow) {
  struct RecordingPrinter : ReportPrinter {
    int pages = -1;
    void Print(const ReportWriter& doc) override { pages = doc.PageCount(); }
  } printer;
  PreviewOptions options = PreviewOptionsFor(install_->StartUp());
  options.printer = &printer;
  Start(options);

  messages_.Answer({MessageAnswer::No});
  Trigger("Print");
  ASSERT_EQ(messages_.boxes.size(), 1u);
  EXPECT_EQ(messages_.boxes[0].text, "計算結果を印刷します。いいですか？");
  EXPECT_EQ(messages_.boxes[0].title, "印刷の確認");
  EXPECT_EQ(printer.pages, -1);
  messages_.Clear();
  messages_.Answer({MessageAnswer::Yes});
  Trigger("Print");
  EXPECT_EQ(messages_.boxes.size(), 1u);
  EXPECT_GT(printer.pages, 1);
  EXPECT_TRUE(W().isEnabled());

  messages_.Clear();
  ModalWindowSeen preview;
  CloseModalWindowWhenShown(preview);
  Trigger("Preview");
  ASSERT_TRUE(preview.seen);
  EXPECT_TRUE(preview.enabled);
  EXPECT_EQ(preview.caption.toStdString(), std::string(kFullTitle) + " プレビュー");
  EXPECT_EQ(preview.all_pages.toStdString(), std::to_string(printer.pages - 1));
  EXPECT_TRUE(messages_.boxes.empty());
  EXPECT_TRUE(W().isEnabled());
  EXPECT_FALSE(W().PrintDirectly());
}

TEST_F(WindowReportTest, PdfSavedIsConfirmedWithTheFileName) {
  PreviewOptions options = PreviewOptionsFor(install_->StartUp());
  options.choose_pdf_path = PdfFileChooser(dialogs_);
  Start(options);
  const std::filesystem::path pdf = install_->SavedData() / "計算書";
  const std::filesystem::path unwritable = install_->Root() / "無いフォルダ" / "計算書.pdf";
  dialogs_.save_answers = {QString::fromStdString(pdf.string()),
                           QString::fromStdString(unwritable.string())};
  QStringList status_after;
  auto* timer = new QTimer;
  timer->setInterval(50);
  QObject::connect(timer, &QTimer::timeout, [&, timer] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    timer->stop();
    auto* status = dialog->findChild<QStatusBar*>();
    auto* save = dialog->findChild<QPushButton*>(QStringLiteral("cmdPDF"));
    for (int i = 0; i < 2 && status && save; ++i) {
      status->clearMessage();
      save->click();
      QApplication::processEvents();
      status_after << status->currentMessage();
    }
    dialog->close();
    timer->deleteLater();
  });
  timer->start();
  Trigger("Preview");
  ASSERT_EQ(dialogs_.save_requests.size(), 2u);
  const FileDialogRequest& asked = dialogs_.save_requests[0];
  EXPECT_EQ(asked.title, QStringLiteral("計算書をPDFで保存する"));
  EXPECT_EQ(asked.proposed_name, QStringLiteral("擁壁G.pdf"));
  EXPECT_EQ(asked.initial_folder.toStdString(), install_->SavedData().string());
  EXPECT_TRUE(asked.confirm_overwrite);
  const QString written = QString::fromStdString(pdf.string()) + QStringLiteral(".pdf");
  EXPECT_TRUE(QFileInfo::exists(written));
  ASSERT_EQ(status_after.size(), 2);
  EXPECT_EQ(status_after[0], PdfSavedText(written));
  // A file that could not be written is not confirmed; the message says so instead.
  EXPECT_EQ(status_after[1], QString());
  ASSERT_EQ(messages_.boxes.size(), 1u);
  EXPECT_NE(messages_.boxes[0].text.find("PDFファイルを保存できません。"), std::string::npos);
}

}  // namespace
}  // namespace ktv
