// 断面を提案 on the wall page: the dialog searches on a worker thread, "適用" puts the proposal
// into the boxes as one undo step, "閉じる" leaves them alone.
#include "input_window/proposal_dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "input_window/input_window.h"
#include "input_window/verdict_panel.h"
#include "window_test_support.h"

namespace ktv {
namespace {

using testing::Find;
using testing::Installation;
using testing::ScriptedDialogs;
using testing::ScriptedMessages;
namespace fs = std::filesystem;

struct Limits {
  double lo, hi, step;
};

class ProposalDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = std::make_unique<Installation>();
    Start(std::string(KTV_LEANING_DATA_DIR) + "/standard_leaning_si.mdb");
  }
  void Start(const std::string& project) {
    window_.reset();
    const StartupValues values = install_->StartUp();
    fs::copy_file(project, install_->Working(), fs::copy_options::overwrite_existing);
    window_ = std::make_unique<InputWindow>(values, messages_, dialogs_);
    window_->show();
    window_->SelectPage(kShapePage);
  }
  void TearDown() override {
    window_.reset();
    install_.reset();
  }

  ProposalDialog* Open() {
    Find<QPushButton>(*window_, QStringLiteral("cmd断面を提案"))->click();
    return window_->findChild<ProposalDialog*>();
  }

  // Only the named rows ticked, with the given grids (a small grid keeps the search short).
  static void SetGrid(ProposalDialog& dialog, const std::map<QString, Limits>& grid) {
    QTableWidget* t = dialog.Grid();
    for (int r = 0; r < t->rowCount(); ++r) {
      const auto it = grid.find(t->item(r, 0)->data(Qt::UserRole).toString());
      t->item(r, 1)->setCheckState(it == grid.end() ? Qt::Unchecked : Qt::Checked);
      if (it == grid.end()) continue;
      t->item(r, 2)->setText(QString::number(it->second.lo));
      t->item(r, 3)->setText(QString::number(it->second.hi));
      t->item(r, 4)->setText(QString::number(it->second.step));
    }
  }

  static void Run(ProposalDialog& dialog) {
    dialog.Start();
    ASSERT_TRUE(dialog.Running());
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.Result().has_value(); }, 120000));
  }

  // The boxes the search may change.
  std::tuple<std::array<std::string, 3>, std::array<std::string, 3>, std::array<std::string, 5>,
             std::string>
  Shape() const {
    const WindowInputs in = window_->CollectInputs();
    return {in.t, in.l, in.d, in.b};
  }
  int Failed() {
    int n = 0;
    for (const CheckRow& r : window_->Verdicts()->Shown().rows) n += r.verdict.ok ? 0 : 1;
    return n;
  }

  std::unique_ptr<Installation> install_;
  ScriptedMessages messages_;
  ScriptedDialogs dialogs_;
  std::unique_ptr<InputWindow> window_;
};

const std::map<QString, Limits> kPassingGrid = {
    {"T1", {3000, 4000, 500}}, {"L1", {850, 1450, 300}}, {"B", {2400, 2800, 400}}};

TEST_F(ProposalDialogTest, ApplyMakesTheWallPassAndOneUndoRestoresIt) {
  struct Case {
    std::string project;
    const char* box;  // typed to make the wall fail; null: it fails as it stands
    const char* text;
    std::map<QString, Limits> grid;
  };
  const Case cases[] = {
      {std::string(KTV_LEANING_DATA_DIR) + "/standard_leaning_si.mdb", nullptr, nullptr,
       kPassingGrid},
      {std::string(KTV_CANTILEVER_DATA_DIR) + "/standard_cantilever_si.mdb",
       "txtL(2)",
       "1200",
       {{"L1", {600, 1200, 200}}, {"L3", {2000, 2800, 200}}, {"ctc00", {125, 250, 125}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.project);
    Start(c.project);
    if (c.box) testing::Enter(*window_, QString::fromUtf8(c.box), QString::fromUtf8(c.text));
    ASSERT_GT(Failed(), 0);
    const auto before = Shape();
    const WindowInputs inputs_before = window_->CollectInputs();
    ProposalDialog* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    SetGrid(*dialog, c.grid);
    Run(*dialog);
    ASSERT_TRUE(dialog->Result()->found) << dialog->Status()->text().toStdString();
    EXPECT_GT(dialog->Comparison()->rowCount(), 2);
    if (const char* shot = std::getenv("KTV_PROPOSAL_SHOT")) {
      dialog->grab().save(QString::fromUtf8(shot) + QString::number(c.box ? 2 : 1) + ".png");
    }

    dialog->ApplyButton()->click();
    QCoreApplication::processEvents();
    EXPECT_NE(Shape(), before);
    EXPECT_EQ(Failed(), 0);
    EXPECT_EQ(window_->Verdicts()->Overall()->text(), QStringLiteral("総合判定 ＯＫ"));

    window_->findChild<QAction*>(QStringLiteral("Undo"))->trigger();
    EXPECT_EQ(Shape(), before);
    EXPECT_TRUE(SameProject(window_->CollectInputs(), inputs_before));
    EXPECT_GT(Failed(), 0);
  }
}

TEST_F(ProposalDialogTest, CloseLeavesTheBoxesAlone) {
  const auto before = Shape();
  ProposalDialog* dialog = Open();
  ASSERT_NE(dialog, nullptr);
  SetGrid(*dialog, kPassingGrid);
  Run(*dialog);
  ASSERT_TRUE(dialog->Result()->found);
  dialog->CloseButton()->click();
  QCoreApplication::processEvents();
  EXPECT_EQ(Shape(), before);
  EXPECT_GT(Failed(), 0);
}

TEST_F(ProposalDialogTest, NothingPassingNamesTheCheckAndAsksForAWiderGrid) {
  ProposalDialog* dialog = Open();
  ASSERT_NE(dialog, nullptr);
  SetGrid(*dialog, {{"T2", {350, 370, 10}}});
  Run(*dialog);
  EXPECT_FALSE(dialog->Result()->found);
  ASSERT_FALSE(dialog->Result()->failing_everywhere.empty());
  const QString status = dialog->Status()->text();
  EXPECT_TRUE(status.contains(QString::fromStdString(dialog->Result()->failing_everywhere[0])));
  EXPECT_TRUE(status.contains(QStringLiteral("広げる")));
  EXPECT_FALSE(dialog->ApplyButton()->isEnabled());
}

TEST_F(ProposalDialogTest, TheSearchRunsBesideTheWindowAndCanBeCancelled) {
  ProposalDialog* dialog = Open();
  ASSERT_NE(dialog, nullptr);
  dialog->Start();  // the whole default grid: far longer than the test waits
  ASSERT_TRUE(dialog->Running());
  dialog->Cancel();
  ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->Result().has_value(); }, 60000));
  EXPECT_TRUE(dialog->Result()->cancelled);
  EXPECT_LT(dialog->Result()->tried, dialog->Result()->total);
}

TEST_F(ProposalDialogTest, AGridThatCannotBeReadDoesNotStart) {
  ProposalDialog* dialog = Open();
  ASSERT_NE(dialog, nullptr);
  SetGrid(*dialog, {{"T2", {500, 300, 50}}});
  dialog->Start();
  EXPECT_FALSE(dialog->Running());
  EXPECT_TRUE(dialog->Status()->text().contains(QStringLiteral("下限")));
}

}  // namespace
}  // namespace ktv
