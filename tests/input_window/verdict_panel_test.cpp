// The verdict panel of the wall page: recomputed from the window's inputs on every edit, the
// same rows as the report's verdict lines, messages in place of rows, nothing written.
#include "input_window/verdict_panel.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "earth_pressure/earth_pressure.h"
#include "families/family_table.h"
#include "input_window/input_window.h"
#include "input_window/report_connection.h"
#include "project/project_database.h"
#include "report/report_build.h"
#include "report/report_writer.h"
#include "verdict_lines.h"
#include "window_test_support.h"

namespace ktv {
namespace {

using testing::Choose;
using testing::Enter;
using testing::Find;
using testing::Installation;
using testing::ScriptedDialogs;
using testing::ScriptedMessages;
namespace fs = std::filesystem;

QString N(const char* name) { return QString::fromUtf8(name); }

struct Fixture {
  const char* name;
  std::string path;
};
const Fixture kGravity{"gravity", std::string(KTV_GRAVITY_DATA_DIR) + "/standard_gravity_si.mdb"};
const Fixture kLeaning{"leaning", std::string(KTV_LEANING_DATA_DIR) + "/standard_leaning_si.mdb"};
const Fixture kCantilever{"cantilever",
                          std::string(KTV_CANTILEVER_DATA_DIR) + "/standard_cantilever_si.mdb"};

std::string ReadBytes(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

class VerdictPanelTest : public ::testing::Test {
 protected:
  void SetUp() override { install_ = std::make_unique<Installation>(); }
  void TearDown() override {
    window_.reset();
    install_.reset();
  }

  // The window on a copy of a standard project, with the program's families installed.
  InputWindow& Start(const Fixture& fixture) {
    window_.reset();
    const StartupValues values = install_->StartUp();
    fs::copy_file(fixture.path, install_->Working(), fs::copy_options::overwrite_existing);
    window_ = std::make_unique<InputWindow>(values, messages_, dialogs_);
    window_->show();  // as main does: the first rows come when the window is shown
    return *window_;
  }
  InputWindow& W() { return *window_; }
  const WallChecks& Panel() { return W().Verdicts()->Shown(); }
  void Type(const char* box, const char* text) { Enter(W(), N(box), N(text)); }

  // The row of a section, item and case (fails when missing).
  const CheckRow* Row(const std::string& section, const std::string& item,
                      CheckCase load_case = CheckCase::Normal) {
    for (const CheckRow& r : Panel().rows) {
      if (r.section == section && r.item == item && r.load_case == load_case) return &r;
    }
    ADD_FAILURE() << "no row " << section << " " << item;
    return nullptr;
  }

  // Writes the window's inputs as Preview does and builds the report with its checks.
  ReportBuildResult BuildReportOfWindow(ReportWriter& w, WallChecks& checks) {
    const WindowInputs in = W().CollectInputs();
    EXPECT_TRUE(W().WriteWindowToDatabase());
    ReportRequest request{false, in.family, &in, &W()};
    ReportContext ctx = ReportContextOf(request, W().Startup(), nullptr);
    ctx.checks = &checks;
    return BuildReport(w, static_cast<WallFamily>(in.family), ctx,
                       ProgramFamilies().ReportEntries());
  }

  // The panel and the report of the current inputs agree row by row and with the report's lines.
  void ExpectPanelIsTheReport() {
    const WallChecks panel = Panel();
    ReportWriter w;
    WallChecks report;
    const ReportBuildResult r = BuildReportOfWindow(w, report);
    if (!r.complete) {
      EXPECT_FALSE(panel.error.empty()) << "the report stopped: " << r.error;
      return;
    }
    ASSERT_EQ(panel.error, "");
    ASSERT_EQ(panel.rows.size(), report.rows.size());
    for (size_t i = 0; i < panel.rows.size(); ++i) {
      const CheckRow& a = panel.rows[i];
      const CheckRow& b = report.rows[i];
      SCOPED_TRACE(a.section + " " + a.item);
      EXPECT_EQ(PanelTexts(a), PanelTexts(b));
      EXPECT_EQ(a.kind, b.kind);
      EXPECT_EQ(a.value, b.value);
      EXPECT_EQ(a.limit, b.limit);
    }
    EXPECT_EQ(CompareWithReport(panel, ReportLines(w)), "");
    // What the table shows is the rows, the failed ones first and otherwise in the report's
    // order.
    QTableWidget* table = W().Verdicts()->Table();
    ASSERT_EQ(table->rowCount(), static_cast<int>(panel.rows.size()));
    bool passed_seen = false;
    int last = -1;
    for (int r = 0; r < table->rowCount(); ++r) {
      const int check = W().Verdicts()->CheckOfTableRow(r);
      ASSERT_GE(check, 0);
      const bool ok = panel.rows[check].verdict.ok;
      EXPECT_FALSE(passed_seen && !ok) << "a failed check below a passed one";
      if (ok && !passed_seen) last = -1;
      EXPECT_GT(check, last);
      last = check;
      passed_seen = passed_seen || ok;
      const auto texts = PanelTexts(panel.rows[check]);
      for (int c = 0; c < table->columnCount(); ++c) {
        EXPECT_EQ(table->item(r, c)->text().toStdString(), texts[c]);
      }
    }
  }

  std::unique_ptr<Installation> install_;
  ScriptedMessages messages_;
  ScriptedDialogs dialogs_;
  std::unique_ptr<InputWindow> window_;
};

TEST_F(VerdictPanelTest, TypingIntoABoxChangesItsRows) {
  struct Case {
    const Fixture* fixture;
    const char* box;
    const char* text;
    const char* section;
    const char* item;
    CheckCase load_case;
    const char* value_before;
    const char* limit_after;
    bool ok_before, ok_after;
  };
  const Case cases[] = {
      // The required safety factor against sliding: the standard gravity wall then holds.
      {&kGravity, "txtqa_R(1)", "1.2", "", "Fs", CheckCase::Normal, "1.408", "1.2", false, true},
      // σcat limits the toe slab of the leaning wall.
      {&kLeaning, "txtσcat", "0.3", "B-B", "σ", CheckCase::Normal, "±0.25", "0.3", false, true},
      // The seismic bearing pressure of the cantilever wall against a smaller qaE.
      {&kCantilever, "txtqa_E(0)", "150", "", "q1E", CheckCase::Seismic, "173.690", "150", true,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fixture->name);
    Start(*c.fixture);
    const CheckRow* before = Row(c.section, c.item, c.load_case);
    ASSERT_TRUE(before);
    EXPECT_EQ(before->value_text, c.value_before);
    EXPECT_EQ(before->verdict.ok, c.ok_before);
    // Computing the panel leaves the project as loaded.
    EXPECT_FALSE(W().HasUnsavedChanges());
    const std::string working = ReadBytes(install_->Working());
    Type(c.box, c.text);
    const CheckRow* after = Row(c.section, c.item, c.load_case);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->limit_text, c.limit_after);
    EXPECT_EQ(after->verdict.ok, c.ok_after);
    // The failed row is marked in colour.
    const int check = static_cast<int>(after - Panel().rows.data());
    QTableWidget* table = W().Verdicts()->Table();
    int r = 0;
    while (r < table->rowCount() && W().Verdicts()->CheckOfTableRow(r) != check) ++r;
    EXPECT_EQ(table->item(r, 7)->text(), after->verdict.ok ? N("ＯＫ") : N("ＮＧ"));
    EXPECT_EQ(table->item(r, 0)->background().style() != Qt::NoBrush, !after->verdict.ok);
    // Nothing is written and no box is shown while typing.
    EXPECT_EQ(ReadBytes(install_->Working()), working);
    EXPECT_TRUE(messages_.boxes.empty());
    ExpectPanelIsTheReport();
  }
}

TEST_F(VerdictPanelTest, WhatTheReportRefusesShowsItsMessageInsteadOfRows) {
  struct Case {
    const Fixture* fixture;
    std::vector<std::pair<const char*, const char*>> boxes;
    const char* message;
    bool calculation = false;  // refused by the calculation rather than the window's checks
  };
  const Case cases[] = {
      // The window's own input check.
      {&kGravity,
       {{"txtφ", "0"}},
       "内部摩擦角φの入力値が不正です｡φの入力範囲は０ ＜ φ ＜ ９０です｡"},
      // A back face leaning so far over the backfill that Coulomb's coefficient is undefined.
      {&kGravity, {{"txtH(0)", "1000"}, {"txtT(2)", "3000"}}, kCoulombKaFailure.data(), true},
      // The window's check of the moduli.
      {&kCantilever,
       {{"txtEc", "0"}},
       "鉄筋コンクリートのヤング係数に0が入力されています。\r\n"
       "鉄筋コンクリートのヤング係数には0以上の値を入力して下さい。"},
      // The family's dimension check names the dimension that fails.
      {&kLeaning,
       {{"txtB", "500"}},
       "寸法の入力値が不正です。\r\nB ＞ L1 となるように入力して下さい。"},
      // A value past the limits of the calculation names the box as labelled and its unit,
      // never a table, a field or a database.
      {&kGravity,
       {{"txtH(0)", "2000000"}},
       "H0の値 2000000 mm は範囲［-1000000 ～ 1000000 mm］の外にあります。",
       true},
      {&kCantilever,
       {{"txtγ", "1500"}},
       "単位重量γの値 1500 は範囲［0 ～ 1000］の外にあります。",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Start(*c.fixture);
    ASSERT_FALSE(Panel().rows.empty());
    for (const auto& [box, text] : c.boxes) Type(box, text);
    EXPECT_EQ(Panel().error, c.message);
    EXPECT_EQ(Panel().error.find("tbl"), std::string::npos);
    EXPECT_EQ(Panel().error.find(":memory:"), std::string::npos);
    EXPECT_TRUE(Panel().rows.empty());
    EXPECT_EQ(W().Verdicts()->Message()->text().toStdString(), c.message);
    EXPECT_FALSE(W().Verdicts()->Table()->isVisibleTo(W().Verdicts()));
    EXPECT_TRUE(messages_.boxes.empty());
    if (c.calculation) {  // the report stops too
      ReportWriter w;
      WallChecks report;
      EXPECT_FALSE(BuildReportOfWindow(w, report).complete);
    }
  }
}

TEST_F(VerdictPanelTest, SwitchingTheFamilyShowsThatFamilysRows) {
  Start(kCantilever);
  const auto items = [&] {
    std::vector<std::string> s;
    for (const CheckRow& r : Panel().rows) s.push_back(r.section + r.item);
    return s;
  };
  ASSERT_EQ(Panel().rows.size(), 26u);
  EXPECT_EQ(Panel().rows.back().section, "D-D′");
  Choose(W(), N("cboKeisiki"), 0);
  EXPECT_EQ(items(), (std::vector<std::string>{"e", "Fs", "q1", "q2", "σc1", "σc2"}))
      << Panel().error;
  ExpectPanelIsTheReport();
  Choose(W(), N("cboKeisiki"), 1);
  EXPECT_EQ(items(),
            (std::vector<std::string>{"e", "Fs", "q1", "q2", "A-Aσ2", "A-Aτ", "B-Bσ", "B-Bτ"}))
      << Panel().error;
  ExpectPanelIsTheReport();
}

TEST_F(VerdictPanelTest, RowsAgreeWithTheReportForStandardAndRandomWalls) {
  struct Family {
    const Fixture* fixture;
    // Boxes and the values they may take.
    std::vector<std::pair<const char*, std::vector<const char*>>> boxes;
  };
  const Family families[] = {
      {&kGravity,
       {{"txtH(0)", {"1500", "2300", "4000"}},
        {"txtT(0)", {"0", "230", "800"}},
        {"txtT(2)", {"0", "400", "1200"}},
        {"txtβ", {"0", "15", "29.05"}},
        {"txtqa_R(0)", {"60", "120", "300"}},
        {"txtσcac", {"0.05", "4.5"}}}},
      {&kLeaning,
       {{"txtH(0)", {"5000", "7000"}},
        {"txtB", {"2000", "2400", "3200"}},
        {"txtq1", {"0", "10"}},
        {"txtqa_R(0)", {"100", "300"}},
        {"txtτa", {"0.05", "0.23"}}}},
      {&kCantilever,
       {{"txtH(0)", {"4000", "6300"}},
        {"txtL(2)", {"1500", "2400", "3500"}},
        {"txtkh", {"0.1", "0.25"}},
        {"txtqa_R(0)", {"100", "300"}},
        {"txtσsa", {"100", "180"}},
        {"txtctc(2)", {"125", "300"}}}},
  };
  std::mt19937 rng(20240517);
  for (const Family& f : families) {
    SCOPED_TRACE(f.fixture->name);
    Start(*f.fixture);
    ExpectPanelIsTheReport();
    for (int i = 0; i < 3; ++i) {
      SCOPED_TRACE(i);
      for (const auto& [box, values] : f.boxes) {
        Type(box, values[std::uniform_int_distribution<size_t>(0, values.size() - 1)(rng)]);
      }
      ExpectPanelIsTheReport();
    }
  }
  EXPECT_TRUE(messages_.boxes.empty());
}

TEST_F(VerdictPanelTest, TheCheckBoxOfSectionAaAddsItsRows) {
  Start(kCantilever);
  EXPECT_EQ(Panel().rows.size(), 26u);
  // Checked with no depth yet: the section lies outside the stem.
  Find<QCheckBox>(W(), N("chkhAA"))->setChecked(true);
  EXPECT_EQ(Panel().error,
            "逆T形擁壁の計算ができません：断面位置Ａ－Ａ´の天端からの高さhがたて壁の範囲"
            "（0＜h≦H−D1）にありません。");
  Type("txthAA", "3000");
  EXPECT_EQ(Panel().rows.size(), 32u) << Panel().error;
  EXPECT_NE(Row("A-A′", "σc", CheckCase::Seismic), nullptr);
  ExpectPanelIsTheReport();
}

// The overall line: ＯＫ when every check passes, ＮＧ with the count of failed checks, "－"
// when the wall is not computed.
TEST(OverallVerdict, CountsTheFailedChecks) {
  auto row = [](bool ok) {
    CheckRow r;
    r.verdict.ok = ok;
    return r;
  };
  WallChecks checks;
  EXPECT_EQ(OverallVerdictText(checks), "総合判定 －");
  checks.rows = {row(true), row(true)};
  EXPECT_EQ(OverallVerdictText(checks), "総合判定 ＯＫ");
  checks.rows = {row(true), row(false), row(true), row(false)};
  EXPECT_EQ(OverallVerdictText(checks), "総合判定 ＮＧ（ＮＧ ２ 件）");
  checks.rows.assign(12, row(false));
  EXPECT_EQ(OverallVerdictText(checks), "総合判定 ＮＧ（ＮＧ １２ 件）");
  checks.error = "寸法の入力値が不正です。";
  EXPECT_EQ(OverallVerdictText(checks), "総合判定 －");
}

}  // namespace
}  // namespace ktv
