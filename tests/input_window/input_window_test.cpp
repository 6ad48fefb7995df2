// The design input window driven as the engineer drives it: typing, leaving boxes, choosing
// from lists, the toolbar commands and closing.
#include "input_window/input_window.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "app/errors.h"
#include "app/settings.h"
#include "families/family_table.h"
#include "input_window/number_boxes.h"
#include "input_window/older_record_mapping.h"
#include "input_window/verdict_panel.h"
#include "project/older_format_record.h"
#include "project/project_database.h"
#include "project/save_temporaries.h"
#include "project_damage.h"
#include "sketch/sketch_common.h"
#include "sketch/sketch_panel.h"
#include "sketch/sketch_view.h"
#include "window_test_support.h"

namespace ktv {
namespace {

using testing::Choose;
using testing::Enter;
using testing::Find;
using testing::Installation;
using testing::Leave;
using testing::ScriptedDialogs;
using testing::ScriptedMessages;
using testing::Text;
namespace fs = std::filesystem;

QString N(const char* name) { return QString::fromUtf8(name); }

std::string ReadBytes(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { install_ = std::make_unique<Installation>(); }
  void TearDown() override {
    window_.reset();
    install_.reset();
  }

  InputWindow& Start(InputWindowHooks hooks = {}) {
    window_.reset();
    window_ =
        std::make_unique<InputWindow>(install_->StartUp(), messages_, dialogs_, std::move(hooks));
    window_->show();
    window_->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    return *window_;
  }
  InputWindow& W() { return *window_; }
  std::string T(const char* name) { return Text(W(), N(name)); }
  void Type(const char* name, const char* text) { Enter(W(), N(name), N(text)); }
  QWidget* Control(const char* name) { return Find<QWidget>(W(), N(name)); }
  bool Enabled(const char* name) {
    QWidget* w = Control(name);
    return w && w->isEnabled();
  }
  void Trigger(const char* key) {
    if (auto* action = W().findChild<QAction*>(N(key))) {
      action->trigger();
    } else {
      ADD_FAILURE() << "no toolbar command " << key;
    }
  }
  // The design conditions and materials a gravity report needs (a new project holds zeros).
  void EnterUsableConditions() {
    Type("txtγ", "18");
    Type("txtqa_R(0)", "200");
    Type("txtqa_R(1)", "1.5");
    Type("txtγc", "23");
  }
  std::optional<ProjectNameRow> StoredName() {
    return ProjectDatabase::Open(install_->Working().string()).ReadProjectName();
  }

  std::unique_ptr<Installation> install_;
  ScriptedMessages messages_;
  ScriptedDialogs dialogs_;
  std::unique_ptr<InputWindow> window_;
};

TEST_F(WindowTest, AnEmptyProjectShowsTheDefaultsAndTheStandardShape) {
  Start();
  EXPECT_EQ(W().windowTitle().toStdString(), kFullTitle);
  EXPECT_EQ(W().objectName(), N("frm設計値入力"));
  EXPECT_TRUE(messages_.boxes.empty()) << messages_.boxes[0].text;
  EXPECT_EQ(W().CurrentPage(), 0);
  EXPECT_EQ(QApplication::focusWidget(), Control("txt工事名"));
  EXPECT_EQ(Find<QLabel>(W(), N("lblUnt"))->text(), N("SI 単位"));
  EXPECT_TRUE(Find<QRadioButton>(W(), N("opnUntSI"))->isChecked());
  EXPECT_EQ(W().UnitState(), 2);
  EXPECT_EQ(W().StressUnitFactor(), 100.0f);
  QComboBox* family = Find<QComboBox>(W(), N("cboKeisiki"));
  EXPECT_EQ(family->currentText(), N("重力式"));
  ASSERT_EQ(family->count(), 3);
  EXPECT_EQ(family->itemText(1), N("もたれ式"));
  EXPECT_EQ(family->itemText(2), N("逆T形、L形、逆L形"));
  EXPECT_TRUE(Find<QCheckBox>(W(), N("chkPrnCNamOk"))->isChecked());
  EXPECT_TRUE(Find<QCheckBox>(W(), N("chkPrnDateOk"))->isChecked());
  EXPECT_EQ(T("txt工事名"), "");
  EXPECT_EQ(T("txtlblCNam"), "工事名 ： ");

  // Standard gravity shape.
  EXPECT_EQ(T("txtT(0)"), "230");
  EXPECT_EQ(T("txtT(1)"), "700");
  EXPECT_EQ(T("txtT(2)"), "690");
  EXPECT_EQ(T("txtH(0)"), "2300");
  EXPECT_EQ(T("txtβ"), "29.05");
  EXPECT_EQ(T("txtL(0)"), "0");
  EXPECT_EQ(T("txtq1"), "0.0");
  // Soil page: the first class, γ in SI.
  EXPECT_EQ(Find<QComboBox>(W(), N("cboUrKm"))->currentText(), N("れき質土"));
  EXPECT_TRUE(Find<QRadioButton>(W(), N("opt土圧係数SEL(0)"))->isChecked());
  EXPECT_EQ(T("txtγ"), "19.6");
  EXPECT_EQ(T("txtφ"), "35");
  EXPECT_EQ(T("txtφB"), "0.6");
  EXPECT_EQ(T("txtkh"), "0.00");
  EXPECT_EQ(T("txtqa_R(0)"), "0.0");
  // Materials.
  EXPECT_EQ(T("txtFc"), "0.00");
  EXPECT_EQ(T("txtEc"), "0");
  EXPECT_EQ(T("txtdt(0)"), "0.0");
  EXPECT_EQ(Find<QComboBox>(W(), N("cboStl_Kind"))->currentText(), N("丸鋼"));
  EXPECT_EQ(Find<QComboBox>(W(), N("cboStl_Size(0)"))->currentText(), N("R4"));
  EXPECT_EQ(Find<QComboBox>(W(), N("cboStl_Size(1)"))->currentText(), N("  -  "));
  EXPECT_EQ(Find<QLabel>(W(), N("lblStl_A(0)"))->text(), N("0.13"));
  EXPECT_EQ(Find<QLabel>(W(), N("lblStl_Ψ(1)"))->text(), N("  -"));

  // Enabling of the gravity family.
  for (const char* on : {"txtT(0)", "txtT(2)", "txtH(0)", "txtH(1)", "txtβ", "txtq1", "txtW0",
                         "chk滑り止め", "txtqa_R(0)", "txtσcat", "txtFc", "txtγc"}) {
    EXPECT_TRUE(Enabled(on)) << on;
  }
  for (const char* off :
       {"txtL(0)",    "txtL(1)",   "txtD(1)",  "txtD(3)",     "txtB",  "txtq2",
        "txtFK_T5",   "chk控え壁", "txtSW_T6", "OptH0Top",    "txtkh", "txtqa_E(0)",
        "txtqa_E(1)", "txtτa",     "txtEc",    "cboStl_Kind", "txtEs", "txtctc(0)",
        "chkhAA",     "txthAA",    "lblσsa",   "lblStl_A(0)"}) {
    EXPECT_FALSE(Enabled(off)) << off;
  }
  // Disabled labels of the materials page are drawn grey.
  auto* label = Find<QLabel>(W(), N("lblStl_A(0)"));
  EXPECT_EQ(label->palette().color(QPalette::Disabled, QPalette::WindowText),
            QColor(128, 128, 128));
  EXPECT_TRUE(Control("Picture1")->isHidden());
}

TEST_F(WindowTest, SwitchingTheFamilyAndBackRestoresTheDimensions) {
  Start();
  W().SelectPage(1);
  Type("txtT(0)", "250");
  Type("txtβ", "26.565");
  EXPECT_EQ(T("txtβ"), "26.565");  // β keeps what was typed, never rounded to its two decimals
  Choose(W(), N("cboKeisiki"), kLeaning);
  EXPECT_EQ(T("txtT(0)"), "3000");
  EXPECT_EQ(T("txtT(1)"), "350");
  EXPECT_EQ(T("txtL(0)"), "850");
  EXPECT_EQ(T("txtH(0)"), "7000");
  EXPECT_EQ(T("txtD(1)"), "1000");
  EXPECT_EQ(T("txtB"), "2400");
  EXPECT_EQ(T("txtβ"), "25.00");
  EXPECT_FALSE(Enabled("txtT(2)"));
  EXPECT_TRUE(Enabled("txtL(0)"));
  EXPECT_TRUE(Enabled("txtB"));
  EXPECT_TRUE(Enabled("txtτa"));
  EXPECT_EQ(QApplication::focusWidget(), Control("txtT(0)"));
  Choose(W(), N("cboKeisiki"), kGravity);
  EXPECT_EQ(T("txtT(0)"), "250");
  EXPECT_EQ(T("txtT(1)"), "700");
  EXPECT_EQ(T("txtT(2)"), "690");
  EXPECT_EQ(T("txtH(0)"), "2300");
  EXPECT_EQ(T("txtβ"), "26.565");
  EXPECT_EQ(T("txtD(4)"), "0");

  // What was typed on the design-conditions page stays; the cantilever defaults fill only the
  // boxes still at 0.
  Type("txtqa_R(0)", "200");
  Choose(W(), N("cboKeisiki"), kCantilever);
  EXPECT_EQ(T("txtqa_R(0)"), "200.0");
  EXPECT_EQ(T("txtqa_E(0)"), "300.0");
  EXPECT_EQ(T("txtqa_R(1)"), "1.5");
  EXPECT_EQ(T("txtqa_E(1)"), "1.2");
  Type("txtqa_R(1)", "2.0");
  Choose(W(), N("cboKeisiki"), kGravity);
  EXPECT_EQ(T("txtqa_R(0)"), "200.0");
  EXPECT_EQ(T("txtqa_R(1)"), "2.0");
  Choose(W(), N("cboKeisiki"), kCantilever);
  EXPECT_EQ(T("txtqa_R(1)"), "2.0");
  EXPECT_EQ(T("txtL(2)"), "2400");
  EXPECT_EQ(T("txtFK_L5"), "900");
  for (const char* on : {"txtkh", "txtqa_E(0)", "chk控え壁", "cboStl_Kind", "txtEs", "txtEc",
                         "txtctc(0)", "chkhAA", "txtD(0)", "txtq2"}) {
    EXPECT_TRUE(Enabled(on)) << on;
  }
  EXPECT_FALSE(Enabled("txtσcat"));
  EXPECT_FALSE(Enabled("txtctc(1)"));  // "  -  " chosen
  EXPECT_FALSE(Enabled("txthAA"));
  EXPECT_FALSE(Control("Picture1")->isHidden());
  Find<QCheckBox>(W(), N("chkhAA"))->setChecked(true);
  Find<QCheckBox>(W(), N("chk控え壁"))->setChecked(true);
  Find<QCheckBox>(W(), N("chk滑り止め"))->setChecked(true);
  EXPECT_TRUE(Enabled("txthAA"));
  EXPECT_TRUE(Enabled("txtSW_Bs"));
  EXPECT_TRUE(Enabled("OptH1Top"));
  EXPECT_TRUE(Enabled("txtFK_D5"));
}

// Leaving a dimension by clicking the family list redraws the sketch but leaves the list alone:
// the one click opens it, and the family picked from it is drawn.
TEST_F(WindowTest, TheFamilyListOpensWithOneClickAfterADimensionWasEdited) {
  Start();
  W().SelectPage(1);
  int draws = 0;
  QObject::connect(W().Sketch(), &SketchPanel::sketchDrawn, [&] { ++draws; });
  auto* t1 = Find<QLineEdit>(W(), N("txtT(0)"));
  auto* list = Find<QComboBox>(W(), N("cboKeisiki"));
  ASSERT_TRUE(t1 && list);
  t1->setFocus(Qt::TabFocusReason);
  t1->selectAll();
  QTest::keyClicks(t1, "250");

  QTest::mouseClick(list, Qt::LeftButton);
  QTest::qWait(50);  // the redraw queued by leaving T1
  EXPECT_EQ(draws, 1);
  EXPECT_EQ(T("txtT(0)"), "250");
  ASSERT_TRUE(list->view()->isVisible()) << "the list stays open";
  EXPECT_TRUE(messages_.boxes.empty());

  QTest::keyClick(list->view(), Qt::Key_Down);
  QTest::keyClick(list->view(), Qt::Key_Down);
  QTest::keyClick(list->view(), Qt::Key_Return);
  QTest::qWait(50);
  EXPECT_FALSE(list->view()->isVisible());
  EXPECT_EQ(list->currentIndex(), kCantilever);
  EXPECT_EQ(T("txtL(2)"), "2400");
  bool heel_symbol = false;
  for (const SketchPrimitive& p : W().Sketch()->View()->Canvas().Primitives()) {
    heel_symbol = heel_symbol || p.text == "L3";
  }
  EXPECT_TRUE(heel_symbol) << "the cantilever section is drawn";
  EXPECT_TRUE(W().isEnabled());
  EXPECT_TRUE(messages_.boxes.empty());
}

// Every family's section is on the wall page, and the scale buttons, "再描画" and "標準図" act on
// the family shown.
TEST_F(WindowTest, TheSketchButtonsWorkForEveryFamily) {
  Start();
  W().SelectPage(1);
  auto section = [&] {
    for (const SketchPrimitive& p : W().Sketch()->View()->Canvas().Primitives()) {
      if (p.kind == PrimitiveKind::Polygon && p.state.fill_color == kSketchWindowFace) {
        return p.points;
      }
    }
    return std::vector<SketchPoint>{};
  };
  auto height = [](const std::vector<SketchPoint>& points) {
    auto [low, high] = std::minmax_element(points.begin(), points.end(),
                                           [](SketchPoint a, SketchPoint b) { return a.y < b.y; });
    return high->y - low->y;
  };
  auto click = [&](const char* name) { Find<QPushButton>(W(), N(name))->click(); };
  for (WallFamily f : kWallFamilies) {
    SCOPED_TRACE(NamesOf(f).key);
    Choose(W(), N("cboKeisiki"), CodeOf(f));
    const std::vector<SketchPoint> standard = section();
    ASSERT_FALSE(standard.empty());
    click("cmdScaleUp");
    EXPECT_GT(height(section()), height(standard));
    click("cmdSScale");
    EXPECT_EQ(section(), standard);

    W().Sketch()->SetSyncDraw(false);
    Type("txtT(1)", "1234");
    QTest::qWait(20);
    EXPECT_EQ(section(), standard) << "not drawn on leaving while the option is off";
    click("cmdDraw");
    EXPECT_NE(section(), standard);
    W().Sketch()->SetSyncDraw(true);
    messages_.Answer({MessageAnswer::Yes});
    click("cmdSDraw");
    EXPECT_EQ(section(), standard);
  }
  EXPECT_EQ(messages_.boxes.size(), 3u) << "the three questions of 標準図";
}

TEST_F(WindowTest, AFailedCheckShowsItsMessageAndWritesNothing) {
  std::vector<ReportRequest> reports;
  std::vector<std::optional<ProjectNameRow>> stored_at_report;
  InputWindowHooks hooks;
  std::vector<WindowInputs> inputs_at_report;
  hooks.run_report = [&](const ReportRequest& r) {
    reports.push_back(r);
    inputs_at_report.push_back(*r.inputs);
    stored_at_report.push_back(StoredName());
  };
  Start(hooks);
  Choose(W(), N("cboKeisiki"), kCantilever);
  Trigger("Preview");
  ASSERT_EQ(messages_.boxes.size(), 1u);
  EXPECT_EQ(messages_.boxes[0].text, "水平設計震度khの値が不正です");
  EXPECT_EQ(messages_.boxes[0].icon, MessageIcon::Information);
  EXPECT_EQ(messages_.beeps, 1);
  EXPECT_FALSE(StoredName().has_value());
  // The refusal takes the engineer to the page and box it names.
  EXPECT_EQ(W().CurrentPage(), 2);
  EXPECT_EQ(QApplication::focusWidget(), Control("txtkh"));

  // A kh left from the cantilever project does not refuse a valid gravity wall.
  Type("txtkh", "0.2");
  Type("txtφ", "30");
  Choose(W(), N("cboKeisiki"), kGravity);
  Type("txtβ", "20");
  Type("txtT(1)", "0");
  messages_.Clear();
  Trigger("Print");
  // The refusal names the dimension as the page labels it.
  ASSERT_EQ(
      messages_.Texts(),
      std::vector<std::string>{"寸法の入力値が不正です。\r\nT2 ＞ 0 となるように入力して下さい。"});
  EXPECT_FALSE(StoredName().has_value());
  EXPECT_TRUE(reports.empty());

  Type("txtT(1)", "700");
  // A new project's zeros in what the calculation divides by or checks against are refused one
  // by one, by the name of the box.
  const std::pair<const char*, const char*> refused[] = {
      {"txtγ", "単位重量γ"},
      {"txtqa_R(0)", "地盤の許容支持力度qa(常時)"},
      {"txtqa_R(1)", "滑動に対する安全率(常時)"},
      {"txtγc", "ｺﾝｸﾘｰﾄ単位重量γc"},
  };
  for (auto [box, name] : refused) {
    Type(box, "0");
    messages_.Clear();
    Trigger("Print");
    EXPECT_EQ(messages_.Texts(),
              std::vector<std::string>{std::string(name) + "の入力値が不正です"});
    EXPECT_FALSE(StoredName().has_value());
    EXPECT_EQ(QApplication::focusWidget(), Control(box));
    EXPECT_TRUE(reports.empty());
    Type(box, "20");
  }
  messages_.Clear();
  Trigger("Print");
  EXPECT_TRUE(messages_.boxes.empty());
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(reports[0].print_directly);
  EXPECT_EQ(reports[0].wall_family, WallFamily::Gravity);
  EXPECT_EQ(reports[0].window, &W());
  EXPECT_EQ(W().FamilyMemory()[kGravity].t[1], 700.0f);
  EXPECT_EQ(W().FamilyMemory()[kGravity].beta, 20.0f);
  EXPECT_TRUE(W().PrintDirectly());
  ASSERT_TRUE(stored_at_report[0].has_value());  // written before the report starts
  // The family memory handed over holds the boxes as they are now.
  EXPECT_EQ(inputs_at_report[0].memory[kGravity].t[1], 700.0f);
  EXPECT_EQ(inputs_at_report[0].memory[kGravity].beta, 20.0f);
  EXPECT_TRUE(W().isEnabled());
}

TEST_F(WindowTest, TheReportSeesTheDatabaseOfTheWindowAndItsErrorsAreShown) {
  InputWindowHooks hooks;
  hooks.run_report = [&](const ReportRequest& r) {
    EXPECT_FALSE(r.print_directly);
    ProjectDatabase db = ProjectDatabase::Open(install_->Working().string());
    EXPECT_EQ(db.ReadProjectName()->cname, "擁壁A");
    throw CalculationError("分母が0になります (H)");
  };
  Start(hooks);
  Type("txt工事名", "擁壁A");
  EnterUsableConditions();
  Trigger("Preview");
  EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"分母が0になります (H)"});
  EXPECT_TRUE(W().isEnabled());
  EXPECT_FALSE(W().PrintDirectly());
}

TEST_F(WindowTest, SwitchingUnitsConvertsTheEnteredValues) {
  Start();
  Find<QRadioButton>(W(), N("opnUntCGS"))->click();
  EXPECT_EQ(Find<QLabel>(W(), N("lblUnt"))->text(), N("CGS 単位"));
  EXPECT_EQ(W().StressUnitFactor(), 1.0f);
  EXPECT_EQ(W().UnitState(), 1);
  EXPECT_EQ(T("txtγc"), "0");
  // The moduli convert with the stresses' factor: their CGS numbers are kg/cm2.
  EXPECT_EQ(Find<QLabel>(W(), N("lblEcUnt"))->text(), N("kg/cm2"));
  EXPECT_EQ(Find<QLabel>(W(), N("lblEsUnt"))->text(), N("kg/cm2"));
  Choose(W(), N("cboKeisiki"), kCantilever);
  Type("txtq1", "1.0");
  Type("txtγ", "1.8");
  Type("txtσsa", "1600");
  Type("txtτa", "4");
  Type("txtγc", "2.3");
  Type("txtFc", "240");
  EXPECT_EQ(T("txtσck"), "240");
  EXPECT_EQ(T("txtσcac"), "80");
  EXPECT_EQ(T("txtσcat"), "7");
  Find<QRadioButton>(W(), N("opnUntSI"))->click();
  EXPECT_EQ(T("txtq1"), "9.80665");
  EXPECT_EQ(T("txtγ"), "17.7");
  EXPECT_EQ(T("txtσsa"), "160");
  EXPECT_EQ(T("txtτa"), "0.40");
  EXPECT_EQ(T("txtγc"), "23.00");
  EXPECT_EQ(T("txtFc"), "24.00");
  // The stresses are converted as shown, not derived again.
  EXPECT_EQ(T("txtσck"), "24.00");
  EXPECT_EQ(T("txtσcac"), "8.00");
  EXPECT_EQ(T("txtσcat"), "0.70");
  EXPECT_EQ(Find<QLabel>(W(), N("lblEcUnt"))->text(), N("N/mm2"));
  EXPECT_EQ(Find<QLabel>(W(), N("lblσck"))->text(), N("σck N/mm2"));
  EXPECT_EQ(Find<QLabel>(W(), N("lblF"))->text(), N("F"));
  EXPECT_EQ(Find<QLabel>(W(), N("lblσsa"))->text(), N("σsa(N/mm2)"));
  EXPECT_EQ(Find<QLabel>(W(), N("lblqaUnt"))->text(), N("kN/m2"));
  EXPECT_EQ(W().StressUnitFactor(), 100.0f);
  // Selecting the button already selected changes nothing.
  Find<QRadioButton>(W(), N("opnUntSI"))->click();
  EXPECT_EQ(T("txtq1"), "9.80665");
  Type("txtqa_R(0)", "200");
  Find<QRadioButton>(W(), N("opnUntCGS"))->click();
  EXPECT_EQ(T("txtqa_R(0)"), "20.39432");
  EXPECT_EQ(Find<QLabel>(W(), N("lblCUnt"))->text(), N("t/m2"));
  EXPECT_EQ(Find<QLabel>(W(), N("lblτa"))->text(), N("τa kg/cm2"));
}

TEST_F(WindowTest, SaveThenNewThenOpenRestoresEveryInput) {
  InputWindowHooks hooks;
  UseOlderFormatRecordFile(hooks);
  Start(hooks);
  // A cantilever project in CGS with a value in every stored box.
  Type("txt工事名", "擁壁A");
  Type("txt事務所名", "設計室");
  Find<QDateEdit>(W(), N("cmbData"))->setDate(QDate(2014, 8, 4));
  Find<QRadioButton>(W(), N("opnUntCGS"))->click();
  Choose(W(), N("cboKeisiki"), kCantilever);
  Type("txtT(0)", "560");
  Type("txtD(1)", "650");
  Type("txtβ", "12.5");
  Type("txtq1", "1.5");
  Type("txtq2", "0.5");
  Type("txtkh", "0.2");
  Choose(W(), N("cboUrKm"), 2);
  Type("txtC", "0.3");
  Type("txtqa_R(0)", "30");
  Type("txtqa_E(0)", "45");
  Choose(W(), N("cboStl_Kind"), 1);
  Choose(W(), N("cboStl_Strength"), 3);
  Choose(W(), N("cboStl_Size(0)"), 13);
  Choose(W(), N("cboStl_Size(3)"), 2);
  for (int i = 0; i < 8; ++i)
    Enter(W(), QStringLiteral("txtctc(%1)").arg(i), QString::number(100 + i));
  Type("txtσsa", "1600");
  Type("txtσsaT", "1400");
  Type("txtEs", "2100");
  Type("txtdt(0)", "7.5");
  Find<QCheckBox>(W(), N("chkhAA"))->setChecked(true);
  Type("txthAA", "2500");
  Type("txtFc", "240");
  Type("txtσcac", "75");
  Type("txtτa", "3.9");
  Type("txtγc", "2.35");
  Type("txtEc", "235");

  const QString target = QString::fromStdString((install_->SavedData() / "擁壁A").string());
  dialogs_.save_answers.push_back(target);
  EXPECT_TRUE(W().SaveProject());
  WindowInputs entered = W().CollectInputs();
  ASSERT_EQ(dialogs_.save_requests.size(), 1u);
  const FileDialogRequest& save = dialogs_.save_requests[0];
  EXPECT_EQ(save.title, N("データを保存する"));
  EXPECT_EQ(save.filter, N("擁壁計算データ|*.mdb"));
  EXPECT_EQ(save.initial_folder.toStdString(), install_->SavedData().string());
  EXPECT_EQ(save.proposed_name, N("擁壁A"));
  EXPECT_EQ(save.default_suffix, N("mdb"));
  EXPECT_TRUE(save.confirm_overwrite);
  EXPECT_TRUE(messages_.boxes.empty());
  const fs::path saved = install_->SavedData() / "擁壁A.mdb";
  ASSERT_TRUE(fs::exists(saved));
  EXPECT_NO_THROW(CheckProjectFile(saved.string()));
  EXPECT_FALSE(fs::exists(install_->Root() / "DAT" / "Data2.mdb"));
  // The older-format record of the project lies in the data folder.
  auto record = ImportOlderFormatRecord((install_->Root() / "DAT" / "RWdata02.dat").string());
  ASSERT_TRUE(record);
  EXPECT_EQ(record->project_name, "擁壁A");
  EXPECT_EQ(record->dimensions.t1, 560.0f);

  messages_.Answer({MessageAnswer::No});
  Trigger("New");
  ASSERT_EQ(messages_.boxes.size(), 1u);
  EXPECT_EQ(messages_.boxes[0].text, "データを初期化します｡現在のデータを保存しますか？");
  EXPECT_EQ(messages_.boxes[0].buttons, MessageButtons::YesNoCancel);
  EXPECT_EQ(messages_.boxes[0].icon, MessageIcon::Question);
  EXPECT_EQ(T("txt工事名"), "");
  EXPECT_EQ(Find<QLabel>(W(), N("lblUnt"))->text(), N("SI 単位"));
  EXPECT_EQ(Find<QComboBox>(W(), N("cboKeisiki"))->currentIndex(), kGravity);
  EXPECT_EQ(T("txtT(0)"), "230");
  EXPECT_EQ(T("txtctc(0)"), "0");
  EXPECT_EQ(Find<QComboBox>(W(), N("cboStl_Kind"))->currentIndex(), 0);
  EXPECT_EQ(T("txtσsa"), "0");
  EXPECT_FALSE(Find<QCheckBox>(W(), N("chkhAA"))->isChecked());

  dialogs_.open_answers.push_back(QString::fromStdString(saved.string()));
  Trigger("Open");
  ASSERT_EQ(dialogs_.open_requests.size(), 1u);
  const FileDialogRequest& open = dialogs_.open_requests[0];
  EXPECT_EQ(open.title, N("データを読み込む"));
  EXPECT_EQ(open.filter, N("擁壁計算データ|*.mdb"));
  EXPECT_EQ(open.initial_folder.toStdString(), install_->SavedData().string());
  EXPECT_TRUE(open.must_exist);
  EXPECT_EQ(messages_.boxes.size(), 1u);
  WindowInputs back = W().CollectInputs();
  for (auto [a, b] : {std::pair{entered.project_name, back.project_name},
                      std::pair{entered.office_name, back.office_name},
                      std::pair{entered.date, back.date},
                      std::pair{entered.beta, back.beta},
                      std::pair{entered.t[0], back.t[0]},
                      std::pair{entered.d[1], back.d[1]},
                      std::pair{entered.d[3], back.d[3]},
                      std::pair{entered.q1, back.q1},
                      std::pair{entered.q2, back.q2},
                      std::pair{entered.kh, back.kh},
                      std::pair{entered.c, back.c},
                      std::pair{entered.qa_normal, back.qa_normal},
                      std::pair{entered.qa_seismic, back.qa_seismic},
                      std::pair{entered.slide_normal, back.slide_normal},
                      std::pair{entered.sigma_sa, back.sigma_sa},
                      std::pair{entered.sigma_saT, back.sigma_saT},
                      std::pair{entered.es, back.es},
                      std::pair{entered.dt[0], back.dt[0]},
                      std::pair{entered.h_aa, back.h_aa},
                      std::pair{entered.fc, back.fc},
                      std::pair{entered.sigma_cac, back.sigma_cac},
                      std::pair{entered.tau_a, back.tau_a},
                      std::pair{entered.gamma_c, back.gamma_c},
                      std::pair{entered.ec, back.ec}}) {
    EXPECT_EQ(a, b);
  }
  EXPECT_EQ(back.date, "2014/08/04");
  EXPECT_EQ(back.d[3], "650");
  // Values derived or defaulted as whole numbers come back with their boxes' two decimals.
  EXPECT_EQ(entered.sigma_ck, "240");
  EXPECT_EQ(back.sigma_ck, "240.00");
  EXPECT_EQ(entered.gamma, "1.8");
  EXPECT_EQ(back.gamma, "1.80");
  EXPECT_FALSE(back.si);
  EXPECT_EQ(back.family, WallFamily::Cantilever);
  EXPECT_EQ(back.soil_class, 2);
  EXPECT_EQ(back.bar_kind, 1);
  EXPECT_EQ(back.bar_grade, 3);
  EXPECT_EQ(back.bar_size, entered.bar_size);
  EXPECT_EQ(back.ctc, entered.ctc);
  EXPECT_TRUE(Find<QCheckBox>(W(), N("chkhAA"))->isChecked());
  EXPECT_EQ(Find<QComboBox>(W(), N("cboStl_Size(0)"))->currentText(), N("D51"));
  EXPECT_EQ(back.memory[kGravity].t[0], entered.memory[kGravity].t[0]);
  EXPECT_EQ(Find<QLabel>(W(), N("lblUnt"))->text(), N("CGS 単位"));
  EXPECT_EQ(W().StressUnitFactor(), 1.0f);
}

TEST_F(WindowTest, ExitWithYesWritesTheDatabaseForTheNextStart) {
  Start();
  Type("txt工事名", "擁壁B");
  Type("txt事務所名", "本社");
  Find<QCheckBox>(W(), N("chkPrnDateOk"))->setChecked(false);
  Choose(W(), N("cboKeisiki"), kLeaning);
  Type("txtB", "2500");

  // Changes since the last save: the close asks to save them; Cancel keeps the window.
  messages_.Answer({MessageAnswer::Cancel});
  W().close();
  EXPECT_TRUE(W().isVisible());
  EXPECT_FALSE(StoredName().has_value());
  ASSERT_EQ(messages_.boxes.size(), 1u);
  EXPECT_EQ(messages_.boxes[0].text, "変更された内容が保存されていません。保存しますか？");
  EXPECT_EQ(messages_.boxes[0].buttons, MessageButtons::SaveDiscardCancel);

  // 保存しない: the program ends, the working database keeps the inputs for the next start.
  messages_.Answer({MessageAnswer::No});
  W().close();
  EXPECT_FALSE(W().isVisible());
  auto settings = OpenUserSettings();
  EXPECT_EQ(settings->value(kKeyOfficeName).toString(), N("本社"));
  EXPECT_EQ(settings->value(kKeyPrintDate).toString(), N("0"));
  EXPECT_EQ(settings->value(kKeyPrintOfficeName).toString(), N("1"));

  messages_.Clear();
  Start();
  EXPECT_TRUE(messages_.boxes.empty());
  EXPECT_EQ(T("txt工事名"), "擁壁B");
  EXPECT_EQ(T("txtlblCNam"), "工事名 ： 擁壁B");
  EXPECT_EQ(T("txt事務所名"), "本社");
  EXPECT_FALSE(Find<QCheckBox>(W(), N("chkPrnDateOk"))->isChecked());
  EXPECT_EQ(Find<QComboBox>(W(), N("cboKeisiki"))->currentIndex(), kLeaning);
  EXPECT_EQ(T("txtB"), "2500");
  EXPECT_EQ(T("txtT(0)"), "3000");
}

TEST_F(WindowTest, ALockedWorkingDatabaseIsNamedAndExitCanStillBeRefused) {
  Start();
  Type("txt工事名", "擁壁H");
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(install_->Working().string().c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  messages_.Answer({MessageAnswer::No, MessageAnswer::No});  // 保存しない, then stay
  W().close();
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  ASSERT_EQ(messages_.boxes.size(), 3u);
  EXPECT_EQ(messages_.boxes[1].icon, MessageIcon::Warning);
  EXPECT_NE(messages_.boxes[1].text.find("データを書き込めません。"), std::string::npos);
  EXPECT_NE(messages_.boxes[1].text.find(install_->Working().string()), std::string::npos);
  EXPECT_EQ(messages_.boxes[2].text, "プログラムを終了します。いいですか？");
  EXPECT_TRUE(W().isVisible());
  EXPECT_TRUE(W().isEnabled());
  EXPECT_EQ(T("txt工事名"), "擁壁H");
  // Once the file is free again, the write goes through.
  EXPECT_TRUE(W().WriteWindowToDatabase());
  EXPECT_EQ(StoredName()->cname, "擁壁H");
}

TEST_F(WindowTest, ACorruptFileChosenInOpenLeavesTheProjectUnchanged) {
  Start();
  Type("txt工事名", "擁壁C");
  ASSERT_TRUE(W().WriteWindowToDatabase());
  const std::string before = ReadBytes(install_->Working());
  const fs::path bad = install_->SavedData() / "壊れた.mdb";
  std::ofstream(bad) << "this is not a project database";
  dialogs_.open_answers.push_back(QString::fromStdString(bad.string()));
  messages_.Answer({MessageAnswer::No});  // the name typed is not saved to a file
  Trigger("Open");
  ASSERT_EQ(messages_.boxes.size(), 2u);
  messages_.boxes.erase(messages_.boxes.begin());
  EXPECT_EQ(messages_.boxes[0].icon, MessageIcon::Warning);
  EXPECT_NE(messages_.boxes[0].text.find("選択したファイルは擁壁計算のデータではありません。"),
            std::string::npos);
  EXPECT_NE(messages_.boxes[0].text.find(bad.string()), std::string::npos);
  EXPECT_EQ(T("txt工事名"), "擁壁C");
  EXPECT_EQ(ReadBytes(install_->Working()), before);
  EXPECT_TRUE(W().isEnabled());
}

// Runs SQL on a project file as another program would.
void Sql(const fs::path& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.string().c_str(), &db), SQLITE_OK);
  char* err = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK)
      << sql << ": " << (err ? err : "");
  sqlite3_free(err);
  sqlite3_close(db);
}

TEST_F(WindowTest, AFileThatOpenRefusesIsExplainedInJapanese) {
  Start();
  Type("txt工事名", "擁壁J");
  ASSERT_TRUE(W().WriteWindowToDatabase());
  const std::string before = ReadBytes(install_->Working());
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> damage;  // of a copy of the working database
    const char* detail;                           // after the file's name
  };
  std::string long_name;
  for (int i = 0; i < 256; ++i) long_name += "擁";
  const Case cases[] = {
      {"missing table", [](const fs::path& p) { Sql(p, "DROP TABLE \"tbl基礎の安定\""); },
       " は擁壁計算のデータではありません（表 tbl基礎の安定 がありません）。"},
      {"text in a number field",
       [](const fs::path& p) { Sql(p, "UPDATE \"tblコンクリート\" SET \"γc\" = '重い'"); },
       " の tblコンクリート.γc に、数値ではなく文字列（\"重い\"）が入っています。"},
      {"hot journal", [](const fs::path& p) { LeaveHotJournal(p.string()); },
       " は、書き込みの途中で終了したプログラムが書きかけのまま残したものです（ロールバック"
       "ジャーナル 壊れた.mdb-journal が残っています）。ファイルには手を付けていません。"},
      {"view in place of a table",
       [](const fs::path& p) {
         Sql(p,
             "DROP TABLE \"tbl基礎の安定\"; CREATE VIEW \"tbl基礎の安定\" AS SELECT 1 AS R00, "
             "1 AS R01, 1 AS E00, 1 AS E01");
       },
       " は擁壁計算のデータではありません（tbl基礎の安定 が表ではありません）。"},
      {"unknown family code",
       [](const fs::path& p) { Sql(p, "UPDATE \"tbl単位系及び形式\" SET Kisk = 7"); },
       " の tbl単位系及び形式.Kisk に記録された擁壁の種類 7 は、どの形式でもありません（0 "
       "重力式、1 もたれ式、2 逆T形、L形、逆L形）。"},
      {"text longer than a box takes",
       [&](const fs::path& p) { Sql(p, "UPDATE \"tbl工事名\" SET CName = '" + long_name + "'"); },
       " の tbl工事名.CName の文字列は 256 文字あり、扱える 255 文字を超えています。"},
      {"not a database",
       [](const fs::path& p) { std::ofstream(p, std::ios::trunc) << "this is not a project"; },
       " は擁壁計算のデータではありません。"},
  };
  const fs::path file = install_->SavedData() / "壊れた.mdb";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(file.string() + "-journal");
    fs::copy_file(install_->Working(), file, fs::copy_options::overwrite_existing);
    c.damage(file);
    messages_.Clear();
    dialogs_.open_answers.push_back(QString::fromStdString(file.string()));
    Trigger("Open");  // the name typed is not saved to a file (No)
    ASSERT_EQ(messages_.boxes.size(), 2u);
    messages_.boxes.erase(messages_.boxes.begin());
    const bool database = std::string(c.detail).rfind(" の ", 0) == 0 ||
                          std::string(c.name) == std::string("hot journal");
    EXPECT_EQ(messages_.boxes[0].text, "選択したファイルは擁壁計算のデータではありません。\r\n" +
                                           file.string() + "\r\n\r\n詳細：" +
                                           (database ? "プロジェクトファイル " : "ファイル ") +
                                           file.string() + c.detail);
    EXPECT_EQ(T("txt工事名"), "擁壁J");
    EXPECT_EQ(ReadBytes(install_->Working()), before);
  }
}

TEST_F(WindowTest, NewKeepsTheProjectUnlessTheEngineerLetsItGo) {
  Start();
  Type("txt工事名", "擁壁D");
  messages_.Answer({MessageAnswer::Cancel});
  Trigger("New");
  EXPECT_EQ(T("txt工事名"), "擁壁D");
  // Yes, then the save dialog cancelled: nothing was saved, so nothing is cleared.
  messages_.Answer({MessageAnswer::Yes});
  Trigger("New");
  EXPECT_EQ(dialogs_.save_requests.size(), 1u);
  EXPECT_EQ(dialogs_.save_requests[0].proposed_name, N("擁壁D"));
  EXPECT_EQ(T("txt工事名"), "擁壁D");
  EXPECT_TRUE(W().isEnabled());
  messages_.Answer({MessageAnswer::No});
  Trigger("New");
  EXPECT_EQ(T("txt工事名"), "");
}

TEST_F(WindowTest, SaveFailureNamesTheFileAndKeepsTheWindowUsable) {
  Start();
  Type("txt工事名", "擁壁E");
  // A folder that is gone by the time the file is written.
  const fs::path gone = install_->Root() / "消えたフォルダ";
  const QString target = QString::fromStdString((gone / "擁壁E.mdb").string());
  dialogs_.save_answers.push_back(target);
  EXPECT_FALSE(W().SaveProject());
  ASSERT_EQ(messages_.boxes.size(), 1u);
  EXPECT_EQ(messages_.boxes[0].icon, MessageIcon::Warning);
  EXPECT_NE(messages_.boxes[0].text.find("データを保存できません。"), std::string::npos);
  EXPECT_NE(messages_.boxes[0].text.find(target.toStdString()), std::string::npos);
  EXPECT_FALSE(fs::exists(gone));
  EXPECT_FALSE(fs::exists(install_->Root() / "DAT" / "Data2.mdb"));
  EXPECT_TRUE(W().isEnabled());
  // The working database still holds the project and the next save goes through.
  EXPECT_EQ(StoredName()->cname, "擁壁E");
  messages_.Clear();
  dialogs_.save_answers.push_back(QString::fromStdString((install_->SavedData() / "E").string()));
  EXPECT_TRUE(W().SaveProject());
  EXPECT_TRUE(messages_.boxes.empty());
  EXPECT_TRUE(fs::exists(install_->SavedData() / "E.mdb"));
}

TEST_F(WindowTest, ASaveRemovesTheTemporaryFilesThatKilledSavesLeftAndNoOtherFile) {
  Start();
  const fs::path dat = install_->Root() / "DAT";
  const SaveTemporaries ours = SaveTemporaries::OfDataFolder(dat.string());
  const fs::path target = install_->SavedData() / "擁壁F.mdb";
  const std::string left_beside = ours.NewNameFor(target.string());
  const std::string left_in_dat = ours.NewNameFor((dat / "Data.mdb").string());
  const std::string foreign = SaveTemporaries::Private().NewNameFor(target.string());
  for (const std::string& f : {left_beside, left_in_dat, left_in_dat + "-journal", foreign}) {
    std::ofstream(f) << "left";
  }
  Type("txt工事名", "擁壁F");
  dialogs_.save_answers.push_back(QString::fromStdString(target.string()));
  EXPECT_TRUE(W().SaveProject());
  EXPECT_TRUE(fs::exists(target));
  EXPECT_FALSE(fs::exists(left_beside));
  EXPECT_FALSE(fs::exists(left_in_dat));
  EXPECT_FALSE(fs::exists(left_in_dat + "-journal"));
  EXPECT_TRUE(fs::exists(foreign));
}

TEST_F(WindowTest, AToolbarCommandMakesD3RepeatD1) {
  Start();
  Choose(W(), N("cboKeisiki"), kCantilever);
  Type("txtD(1)", "750");
  EXPECT_EQ(T("txtD(3)"), "600");
  Trigger("Open");  // cancelled
  EXPECT_EQ(T("txtD(3)"), "750");
  EXPECT_EQ(QDir::currentPath().toStdString(), (install_->Root() / "PRG").string());
}

TEST_F(WindowTest, EnterMovesToTheNextInputOfThePage) {
  Start();
  auto enter = [](Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, m);
  };
  EXPECT_EQ(QApplication::focusWidget(), Control("txt工事名"));
  enter();
  EXPECT_EQ(QApplication::focusWidget(), Control("txt事務所名"));
  enter();
  QWidget* date = QApplication::focusWidget();
  EXPECT_TRUE(date == Control("cmbData") || date->parentWidget() == Control("cmbData"));
  enter();  // the page's group wraps round
  EXPECT_EQ(QApplication::focusWidget(), Control("txt工事名"));

  Choose(W(), N("cboKeisiki"), kLeaning);
  W().SelectPage(1);
  EXPECT_EQ(QApplication::focusWidget(), Control("txtT(0)"));
  enter();
  EXPECT_EQ(QApplication::focusWidget(), Control("txtT(1)"));
  enter();  // T3 is disabled for the leaning wall
  EXPECT_EQ(QApplication::focusWidget(), Control("txtL(0)"));
  enter(Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), Control("txtT(1)"));

  // Leaving a shape box redraws the sketch, and the next input keeps the focus.
  QTest::qWait(20);
  QSignalSpy drawn(W().Sketch(), &SketchPanel::sketchDrawn);
  QTest::keyClicks(QApplication::focusWidget(), "400");
  enter();
  QTest::qWait(20);
  EXPECT_EQ(drawn.count(), 1);
  EXPECT_EQ(T("txtT(1)"), "400");
  EXPECT_EQ(QApplication::focusWidget(), Control("txtL(0)"));
  EXPECT_TRUE(W().isEnabled());
  // With the option off, leaving a box draws nothing.
  W().Sketch()->SetSyncDraw(false);
  enter();
  QTest::qWait(20);
  EXPECT_EQ(drawn.count(), 1);
}

TEST_F(WindowTest, PhiTakesDecimalsAndSigmaSaTOnlyWholeNumbersInEitherWidth) {
  Start();
  Choose(W(), N("cboKeisiki"), kCantilever);
  Type("txtφ", "35.5");
  EXPECT_EQ(T("txtφ"), "35.5");
  Type("txtφ", "３２．５");
  EXPECT_EQ(T("txtφ"), "32.5");
  EXPECT_EQ(messages_.beeps, 0);
  Type("txtσsaT", "1-4.00");  // neither "-" nor "."
  EXPECT_EQ(T("txtσsaT"), "1400");
  EXPECT_EQ(messages_.beeps, 2);
  messages_.Clear();
  Type("txtσsaT", "１６００");
  EXPECT_EQ(T("txtσsaT"), "1600");
  EXPECT_EQ(messages_.beeps, 0);
  EXPECT_TRUE(messages_.boxes.empty());
}

TEST_F(WindowTest, LeavingABoxAppliesItsFormatUnlessThatWouldRoundTheValue) {
  Start();
  W().SelectPage(1);
  Type("txtH(0)", "2300");
  EXPECT_EQ(T("txtH(0)"), "2300");
  Type("txtH(0)", "2300.6");
  EXPECT_EQ(T("txtH(0)"), "2300.6");
  Type("txtq1", "12");
  EXPECT_EQ(T("txtq1"), "12.0");
  Type("txtγ", "1.8");
  EXPECT_EQ(T("txtγ"), "1.80");
  Type("txtγ", "1.855");
  EXPECT_EQ(T("txtγ"), "1.855");
  Type("txt工事名", "  擁壁F");
  EXPECT_EQ(T("txt工事名"), "  擁壁F");  // free text stays as typed
  EXPECT_EQ(T("txtlblCNam"), "工事名 ：   擁壁F");
  Type("txtFc", "24");
  EXPECT_EQ(T("txtFc"), "24.00");
  EXPECT_EQ(T("txtσcat"), "0.74");
  Type("txtσcat", "0.7");
  Leave(W(), N("txtFc"));  // leaving Fc unchanged keeps the stress just entered
  EXPECT_EQ(T("txtσcat"), "0.70");
  EXPECT_TRUE(messages_.boxes.empty());
  // A text that is no number is refused before anything is derived from it.
  Type("txtFc", "x");
  QCoreApplication::processEvents();
  ASSERT_EQ(messages_.boxes.size(), 1u);
  EXPECT_EQ(messages_.boxes[0].text.rfind("「F」の入力値「x」は数値として読めません。", 0), 0u)
      << messages_.boxes[0].text;
  EXPECT_EQ(T("txtFc"), "x");
  EXPECT_EQ(T("txtσck"), "24.00");
}

TEST_F(WindowTest, BarListsFollowTheBarType) {
  Start();
  Choose(W(), N("cboKeisiki"), kCantilever);
  Type("txtctc(0)", "150");
  Choose(W(), N("cboStl_Kind"), 1);
  auto* grades = Find<QComboBox>(W(), N("cboStl_Strength"));
  EXPECT_EQ(grades->count(), 4);
  EXPECT_EQ(grades->itemText(3), N("SD40"));
  EXPECT_EQ(T("txtctc(0)"), "0");
  EXPECT_EQ(Find<QComboBox>(W(), N("cboStl_Size(0)"))->currentText(), N("D6"));
  EXPECT_EQ(Find<QLabel>(W(), N("lblStl_A(0)"))->text(), N("0.32"));
  EXPECT_EQ(Find<QLabel>(W(), N("lblStl_Ψ(0)"))->text(), N("2"));
  EXPECT_EQ(Find<QLabel>(W(), N("lblStl_A(1)"))->text(), N("  -"));
  EXPECT_FALSE(Enabled("txtctc(1)"));
  Choose(W(), N("cboStl_Size(1)"), 1);
  EXPECT_EQ(Find<QLabel>(W(), N("lblStl_A(1)"))->text(), N("0.32"));
  EXPECT_TRUE(Enabled("txtctc(1)"));
  Choose(W(), N("cboStl_Size(1)"), 0);
  EXPECT_FALSE(Enabled("txtctc(1)"));
  Choose(W(), N("cboStl_Kind"), 0);
  EXPECT_EQ(grades->count(), 2);
  EXPECT_EQ(Find<QComboBox>(W(), N("cboStl_Size(2)"))->currentText(), N("R4"));
  EXPECT_EQ(Find<QComboBox>(W(), N("cboStl_Size(3)"))->currentText(), N("  -  "));
  EXPECT_EQ(Find<QComboBox>(W(), N("cboStl_Size(3)"))->count(), 13);
}

TEST_F(WindowTest, SoilClassAndEarthPressureOption) {
  Start();
  Type("txtγ", "18.5");
  Find<QRadioButton>(W(), N("opt土圧係数SEL(1)"))->click();
  EXPECT_TRUE(Find<QRadioButton>(W(), N("opt土圧係数SEL(0)"))->isChecked());
  EXPECT_EQ(T("txtγ"), "18.50");  // the regulation option does not throw the entry away
  Choose(W(), N("cboUrKm"), 2);
  EXPECT_EQ(T("txtγ"), "17.7");
  EXPECT_EQ(T("txtφ"), "25");
  EXPECT_EQ(T("txtφB"), "0.5");
  Choose(W(), N("cboUrKm"), 3);
  EXPECT_EQ(T("txtγ"), "0.0");
  EXPECT_EQ(T("txtφB"), "0.7");
}

TEST_F(WindowTest, StandardShapeAnsweredNoChangesNothing) {
  Start();
  W().SelectPage(1);
  Type("txtT(0)", "300");
  messages_.Answer({MessageAnswer::No});
  Find<QPushButton>(W(), N("cmdSDraw"))->click();
  EXPECT_EQ(T("txtT(0)"), "300");
  messages_.Answer({MessageAnswer::Yes});
  Find<QPushButton>(W(), N("cmdSDraw"))->click();
  EXPECT_EQ(T("txtT(0)"), "230");
  EXPECT_EQ(messages_.boxes.back().text, "現在の入力値を基準値に戻します｡よろしいですか？");
}

TEST_F(WindowTest, ImportModeTakesTheProjectFromTheRecordFile) {
  OlderFormatRecord record;
  record.project_name = "旧データの工事";
  record.office_name = "旧事務所";
  record.date = DateSerialOf(std::chrono::year_month_day{
      std::chrono::year{2013}, std::chrono::month{5}, std::chrono::day{1}});
  record.print_date = false;
  record.wall_family = WallFamily::Leaning;
  record.dimensions.h0 = 6000;
  record.dimensions.d1 = 900;
  record.dimensions.b = 2000;
  record.dimensions.l1 = 800;
  record.dimensions.t1 = 2800;
  record.dimensions.t2 = 300;
  record.gamma = 1.9f;
  ExportOlderFormatRecord((install_->Root() / "PRG" / "RWdata02.dat").string(), record);
  InputWindowHooks hooks;
  UseOlderFormatRecordFile(hooks);
  Start(hooks);
  ASSERT_TRUE(install_->Values().import_mode);
  EXPECT_TRUE(messages_.boxes.empty());
  EXPECT_EQ(T("txt工事名"), "旧データの工事");
  EXPECT_EQ(T("txt事務所名"), "旧事務所");
  EXPECT_EQ(Find<QDateEdit>(W(), N("cmbData"))->date(), QDate(2013, 5, 1));
  EXPECT_FALSE(Find<QCheckBox>(W(), N("chkPrnDateOk"))->isChecked());
  EXPECT_EQ(Find<QComboBox>(W(), N("cboKeisiki"))->currentIndex(), kLeaning);
  EXPECT_EQ(T("txtH(0)"), "6000");
  EXPECT_EQ(T("txtγ"), "1.90");
  // The Open dialog offers older-format files as well; a record chosen there is read into the
  // window and leaves the working database alone.
  const std::string before = ReadBytes(install_->Working());
  record.project_name = "別の工事";
  record.wall_family = WallFamily::Gravity;
  record.dimensions.t1 = 250;
  record.dimensions.t2 = 500;
  const fs::path other = install_->SavedData() / "other.dat";
  ExportOlderFormatRecord(other.string(), record);
  dialogs_.open_answers.push_back(QString::fromStdString(other.string()));
  Trigger("Open");
  EXPECT_EQ(dialogs_.open_requests.back().filter, N("擁壁計算データ|*.mdb|旧形式データ|*.dat"));
  EXPECT_TRUE(messages_.boxes.empty());
  EXPECT_EQ(T("txt工事名"), "別の工事");
  EXPECT_EQ(Find<QComboBox>(W(), N("cboKeisiki"))->currentIndex(), kGravity);
  EXPECT_EQ(T("txtT(0)"), "250");
  EXPECT_EQ(ReadBytes(install_->Working()), before);
  // New starts an empty project.
  messages_.Answer({MessageAnswer::No});
  Trigger("New");
  EXPECT_EQ(T("txt工事名"), "");
}

TEST_F(WindowTest, ImportModeWithoutARecordFileStartsWithAnEmptyProjectPage) {
  {
    auto settings = OpenUserSettings();
    settings->setValue(kKeyOfficeName, N("本社"));
    settings->setValue(kKeyPrintOfficeName, N("1"));
    settings->setValue(kKeyPrintDate, N("1"));
  }
  fs::remove(install_->Working());  // a missing working database switches import mode on
  InputWindowHooks hooks;
  UseOlderFormatRecordFile(hooks);
  Start(hooks);
  ASSERT_TRUE(install_->Values().import_mode);
  EXPECT_TRUE(messages_.boxes.empty());
  EXPECT_EQ(T("txt工事名"), "");
  EXPECT_EQ(T("txt事務所名"), "");
  // The cover choices keep their defaults: on a new machine every cover line is printed.
  EXPECT_TRUE(Find<QCheckBox>(W(), N("chkPrnCNamOk"))->isChecked());
  EXPECT_TRUE(Find<QCheckBox>(W(), N("chkPrnOfficeOk"))->isChecked());
  EXPECT_TRUE(Find<QCheckBox>(W(), N("chkPrnDateOk"))->isChecked());
}

TEST_F(WindowTest, OpenAsksFirstWhenTheWindowHoldsChangesAndTheTitleNamesTheFile) {
  const std::string title = kFullTitle;
  Start();
  EXPECT_FALSE(W().HasUnsavedChanges());
  Type("txt工事名", "擁壁P");
  const QString file_p = QString::fromStdString((install_->SavedData() / "擁壁P.mdb").string());
  const QString file_s = QString::fromStdString((install_->SavedData() / "擁壁S.mdb").string());
  dialogs_.save_answers.push_back(file_p);
  ASSERT_TRUE(W().SaveProject());
  EXPECT_EQ(W().windowTitle().toStdString(), title + " - 擁壁P.mdb");
  EXPECT_FALSE(W().HasUnsavedChanges());

  // Cancel keeps the changes and opens no dialog.
  Type("txtqa_R(0)", "150");
  messages_.Answer({MessageAnswer::Cancel});
  Trigger("Open");
  ASSERT_EQ(messages_.boxes.size(), 1u);
  EXPECT_EQ(messages_.boxes[0].text, "データを初期化します｡現在のデータを保存しますか？");
  EXPECT_EQ(messages_.boxes[0].buttons, MessageButtons::YesNoCancel);
  EXPECT_EQ(messages_.boxes[0].icon, MessageIcon::Question);
  EXPECT_TRUE(dialogs_.open_requests.empty());
  EXPECT_EQ(T("txtqa_R(0)"), "150.0");
  // No lets the changes go.
  messages_.Clear();
  messages_.Answer({MessageAnswer::No});
  dialogs_.open_answers.push_back(file_p);
  Trigger("Open");
  EXPECT_EQ(messages_.boxes.size(), 1u);
  EXPECT_EQ(T("txtqa_R(0)"), "0.0");
  // Nothing changed since that Open: no question.
  messages_.Clear();
  dialogs_.open_answers.push_back(file_p);
  Trigger("Open");
  EXPECT_TRUE(messages_.boxes.empty());
  EXPECT_EQ(dialogs_.open_requests.size(), 2u);
  // Yes saves over the open file first, without a dialog.
  Type("txt工事名", "擁壁R");
  EXPECT_EQ(W().windowTitle().toStdString(), title + " - 擁壁P.mdb ＊");
  messages_.Answer({MessageAnswer::Yes});
  dialogs_.open_answers.push_back(file_p);
  Trigger("Open");
  EXPECT_EQ(dialogs_.save_requests.size(), 1u);
  EXPECT_EQ(ProjectDatabase::Open(file_p.toStdString()).ReadProjectName()->cname, "擁壁R");
  EXPECT_EQ(T("txt工事名"), "擁壁R");
  EXPECT_EQ(W().windowTitle().toStdString(), title + " - 擁壁P.mdb");
  messages_.Answer({MessageAnswer::No});
  Trigger("New");
  EXPECT_EQ(W().windowTitle().toStdString(), title);
  // A new project is named first; a save cancelled keeps the window as it is.
  Type("txt工事名", "擁壁S");
  messages_.Answer({MessageAnswer::Yes});
  Trigger("Open");
  EXPECT_EQ(dialogs_.save_requests.size(), 2u);
  EXPECT_EQ(dialogs_.open_requests.size(), 3u);
  EXPECT_EQ(T("txt工事名"), "擁壁S");
  EXPECT_FALSE(QFileInfo::exists(file_s));
}

// What an input method commits: the text at once, not key by key.
void Commit(QWidget& window, const char* name, const char* text) {
  auto* box = Find<QLineEdit>(window, N(name));
  if (!box) return;
  box->setFocus(Qt::TabFocusReason);
  box->selectAll();
  QInputMethodEvent event;
  event.setCommitString(N(text));
  QApplication::sendEvent(box, &event);
  box->clearFocus();
}

TEST_F(WindowTest, FullWidthNumbersFromAnInputMethodReadAsTyped) {
  Start();
  W().SelectPage(1);
  const std::pair<const char*, const char*> cases[] = {
      {"txtT(0)", "４００"}, {"txtH(0)", "２３００"}, {"txtβ", "２０．５"},
      {"txtq1", "－１．５"}, {"txtφ", "３０"},        {"txtFc", "２４"},
  };
  for (auto [box, text] : cases) Commit(W(), box, text);
  QTest::qWait(50);  // the sketch is drawn once the focus has settled
  EXPECT_EQ(T("txtT(0)"), "400");
  EXPECT_EQ(T("txtH(0)"), "2300");
  EXPECT_EQ(T("txtβ"), "20.50");
  EXPECT_EQ(T("txtq1"), "-1.5");
  EXPECT_EQ(T("txtφ"), "30.0");
  EXPECT_EQ(T("txtFc"), "24.00");
  EXPECT_EQ(T("txtσcac"), "8.00");
  EXPECT_TRUE(messages_.boxes.empty()) << messages_.boxes[0].text;
  EXPECT_EQ(W().FamilyMemory()[kGravity].t[0], 400.0f);
}

TEST_F(WindowTest, SiToCgsAndBackGivesEveryConvertedBoxAsEntered) {
  Start();
  Choose(W(), N("cboKeisiki"), kCantilever);
  const std::vector<std::pair<const char*, const char*>> entered = {
      {"txtq1", "12.5"},       {"txtq2", "3.2"},    {"txtC", "10.0"},   {"txtqa_R(0)", "200.0"},
      {"txtqa_E(0)", "300.0"}, {"txtγ", "18.05"},   {"txtFc", "20.55"}, {"txtσck", "20.55"},
      {"txtσcac", "6.85"},     {"txtτa", "0.39"},   {"txtγc", "23.00"}, {"txtσsa", "180"},
      {"txtσsaT", "160"},      {"txtEs", "200000"}, {"txtEc", "25000"},
  };
  for (auto [box, text] : entered) Type(box, text);
  // σcat is not an input of the cantilever wall; it holds what a project loaded into it.
  Find<QLineEdit>(W(), N("txtσcat"))->setText(N("0.72"));
  Find<QRadioButton>(W(), N("opnUntCGS"))->click();
  EXPECT_EQ(T("txtFc"), "205.5");
  EXPECT_EQ(T("txtγc"), "2.3");
  Find<QRadioButton>(W(), N("opnUntSI"))->click();
  for (auto [box, text] : entered) EXPECT_EQ(T(box), text) << box;
  EXPECT_EQ(T("txtσcat"), "0.72");
}

TEST_F(WindowTest, TheWindowFitsALaptopScreenWithItsStatusBar) {
  Start();
  // 1366 x 768 less a title bar and a desktop panel.
  const QSize room(1366, 768 - 70);
  const QSize smallest = W().minimumSizeHint().expandedTo(W().minimumSize());
  EXPECT_LE(smallest.width(), room.width());
  EXPECT_LE(smallest.height(), room.height());
  W().resize(room);
  for (int family : {kGravity, kCantilever}) {
    Choose(W(), N("cboKeisiki"), family);
    for (int page = 0; page < 4; ++page) {
      W().SelectPage(page);
      QTest::qWait(20);
      auto* exit = Find<QPushButton>(W(), N("pnl終了"));
      ASSERT_TRUE(exit);
      EXPECT_TRUE(exit->isVisible());
      const QRect at(exit->mapTo(&W(), QPoint(0, 0)), exit->size());
      EXPECT_TRUE(W().rect().contains(at)) << page;
    }
  }
}

// A typed text that is not a number the box accepts stays in its box, is named in a message, and
// never reaches a project file: the save stops at the box until it is corrected.
TEST_F(WindowTest, RefusedTextsStayInTheirBoxesAndAreNeverSaved) {
  Start();
  const QString file = QString::fromStdString((install_->SavedData() / "擁壁V.mdb").string());
  dialogs_.save_answers.push_back(file);
  ASSERT_TRUE(W().SaveProject());
  const std::string saved = ReadBytes(file.toStdString());
  struct Case {
    int page;
    const char* box;
    const char* text;
    const char* label;
    const char* corrected;
  };
  const Case cases[] = {
      {1, "txtH(0)", "99999999", "「H0」", "2300"},
      {1, "txtH(0)", "2OOO", "「H0」", "2000"},
      {1, "txtT(0)", "abc", "「T1」", "400"},
      {1, "txtq1", "12abc", "「荷載荷重(上) q1」", "12"},
      {2, "txtφB", "1,5", "「滑り摩擦係数 tanφB」", "0.55"},
      {2, "txtqa_R(0)", "1,200", "「地盤の許容支持力度 qa（常時）」", "200"},
      {2, "txtφ", "3a", "「内部摩擦角 φ」", "30"},
      {3, "txtγc", "2,4", "「単位重量γc」", "23"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.box);
    messages_.Clear();
    W().SelectPage(c.page);
    Type(c.box, c.text);
    QCoreApplication::processEvents();
    EXPECT_EQ(T(c.box), c.text);
    ASSERT_EQ(messages_.boxes.size(), 1u);
    EXPECT_EQ(messages_.boxes[0].text.rfind(c.label, 0), 0u) << messages_.boxes[0].text;
    EXPECT_EQ(QApplication::focusWidget(), Control(c.box)) << "the box gets the focus back";
    EXPECT_EQ(W().Verdicts()->Message()->text().toStdString().rfind(c.label, 0), 0u);
    // Save and Preview stop at the box; the file stays as it was.
    messages_.Clear();
    EXPECT_FALSE(W().SaveProject());
    W().RunCalculation(false);
    EXPECT_EQ(messages_.boxes.size(), 2u);
    EXPECT_EQ(ReadBytes(file.toStdString()), saved);
    EXPECT_EQ(T(c.box), c.text);
    messages_.Clear();
    Type(c.box, c.corrected);
    QCoreApplication::processEvents();
    EXPECT_TRUE(messages_.boxes.empty());
    EXPECT_TRUE(W().RefusedBoxes().empty());
  }
  EXPECT_EQ(T("txtφB"), "0.55");
  EXPECT_TRUE(W().SaveProject());
  EXPECT_EQ(dialogs_.save_requests.size(), 1u);
}

// Every box of the four pages that the project file holds keeps the digits typed through Save
// and Open, where its display format would round them.
TEST_F(WindowTest, EveryBoxKeepsTheDigitsTypedThroughSaveAndOpen) {
  Start();
  const std::set<std::string> not_in_the_file = {
      "txtH(1)",  "txtW0",   "txtFK_T5", "txtFK_D5", "txtFK_L5", "txtSW_T6", "txtSW_L6",
      "txtSW_Bs", "txtD(3)", "txtν1",    "txtν2",    "txtν3",    "txtko"};
  // Each box is typed while the family that enables it is shown.
  const std::map<std::string, int> family_of = {
      {"txtT(2)", kGravity}, {"txtFc", kGravity}, {"txtσcat", kGravity}, {"txtB", kLeaning}};
  auto typed = [](const NumberBoxRule& s) { return s.whole ? "150" : "0.55"; };
  for (int family : {kGravity, kLeaning, kCantilever}) {
    Choose(W(), N("cboKeisiki"), family);
    if (family == kCantilever) {
      Type("txtkh", "0.2");
      Find<QCheckBox>(W(), N("chkhAA"))->setChecked(true);
      for (int i = 0; i < 8; ++i) Choose(W(), QStringLiteral("cboStl_Size(%1)").arg(i), 2);
    }
    for (const NumberBoxRule& s : NumberBoxRules()) {
      if (not_in_the_file.count(s.object_name)) continue;
      auto it = family_of.find(s.object_name);
      if ((it == family_of.end() ? kCantilever : it->second) != family) continue;
      SCOPED_TRACE(s.object_name);
      ASSERT_TRUE(Enabled(s.object_name));
      Type(s.object_name, typed(s));
      EXPECT_EQ(T(s.object_name), typed(s));
    }
  }
  QCoreApplication::processEvents();
  EXPECT_TRUE(messages_.boxes.empty()) << messages_.boxes[0].text;
  const QString file = QString::fromStdString((install_->SavedData() / "擁壁W.mdb").string());
  dialogs_.save_answers.push_back(file);
  ASSERT_TRUE(W().SaveProject());
  messages_.Answer({MessageAnswer::No});
  Trigger("New");
  EXPECT_NE(T("txtφB"), "0.55");
  dialogs_.open_answers.push_back(file);
  Trigger("Open");
  for (int family : {kCantilever, kGravity, kLeaning}) {
    Choose(W(), N("cboKeisiki"), family);
    for (const NumberBoxRule& s : NumberBoxRules()) {
      if (not_in_the_file.count(s.object_name)) continue;
      auto it = family_of.find(s.object_name);
      if ((it == family_of.end() ? kCantilever : it->second) != family) continue;
      EXPECT_EQ(T(s.object_name), typed(s)) << s.object_name;
    }
  }
}

// Closing with changes asks to save them; 上書き保存 writes the open file without a dialog; the
// file stays named (and marked while changed) after a restart; a recent-files list.
TEST_F(WindowTest, TheOpenFileIsSavedOverAndNamedAcrossARestart) {
  const std::string title = kFullTitle;
  Start();
  Type("txt工事名", "擁壁K");
  EXPECT_EQ(W().windowTitle().toStdString(), title + " ＊");
  const QString file = QString::fromStdString((install_->SavedData() / "擁壁K.mdb").string());
  dialogs_.save_answers.push_back(file);
  Trigger("menu保存");
  ASSERT_EQ(dialogs_.save_requests.size(), 1u);
  EXPECT_EQ(W().windowTitle().toStdString(), title + " - 擁壁K.mdb");
  EXPECT_NE(W().statusBar()->currentMessage().indexOf(N("保存しました")), -1);

  Type("txtqa_R(0)", "150");
  EXPECT_EQ(W().windowTitle().toStdString(), title + " - 擁壁K.mdb ＊");
  QTest::keyClick(&W(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(dialogs_.save_requests.size(), 1u) << "over the open file, without a dialog";
  EXPECT_EQ(ProjectDatabase::Open(file.toStdString()).ReadFoundation()->r00, 150.0f);
  EXPECT_EQ(W().windowTitle().toStdString(), title + " - 擁壁K.mdb");

  // 名前を付けて保存 proposes the open file's name in its folder.
  Trigger("SaveAs");
  ASSERT_EQ(dialogs_.save_requests.size(), 2u);
  EXPECT_EQ(dialogs_.save_requests[1].proposed_name, N("擁壁K.mdb"));
  EXPECT_EQ(dialogs_.save_requests[1].initial_folder.toStdString(), install_->SavedData().string());
  EXPECT_EQ(dialogs_.save_requests[1].filter, N("擁壁計算データ|*.mdb"));
  ASSERT_FALSE(W().RecentFiles().isEmpty());
  EXPECT_TRUE(QFileInfo(W().RecentFiles().front()) == QFileInfo(file));
  EXPECT_NE(W().findChild<QAction*>(N("mnuRecent(0)")), nullptr);

  // Closing with changes: 保存 writes the open file and the program ends.
  Type("txt工事名", "擁壁L");
  messages_.Clear();
  messages_.Answer({MessageAnswer::Yes});
  W().close();
  EXPECT_FALSE(W().isVisible());
  ASSERT_EQ(messages_.boxes.size(), 1u);
  EXPECT_EQ(messages_.boxes[0].buttons, MessageButtons::SaveDiscardCancel);
  EXPECT_EQ(ProjectDatabase::Open(file.toStdString()).ReadProjectName()->cname, "擁壁L");
  Start();
  EXPECT_EQ(W().windowTitle().toStdString(), title + " - 擁壁K.mdb");
  EXPECT_EQ(T("txt工事名"), "擁壁L");

  // 保存しない: the next start still names the file, marked as changed.
  Type("txt工事名", "擁壁M");
  messages_.Answer({MessageAnswer::No});
  W().close();
  EXPECT_FALSE(W().isVisible());
  Start();
  EXPECT_EQ(T("txt工事名"), "擁壁M");
  EXPECT_EQ(W().windowTitle().toStdString(), title + " - 擁壁K.mdb ＊");
  EXPECT_EQ(ProjectDatabase::Open(file.toStdString()).ReadProjectName()->cname, "擁壁L");
}

// An impossible section while the engineer corrects it: the message is in the sketch area and
// the verdict panel, no box opens, and the focus goes where the engineer moved it.
TEST_F(WindowTest, AnImpossibleDimensionIsShownInTheSketchAreaWithoutAMessageBox) {
  Start();
  Choose(W(), N("cboKeisiki"), kCantilever);
  Type("txtkh", "0.2");
  for (int i = 0; i < 8; i += 2) Enter(W(), QStringLiteral("txtctc(%1)").arg(i), N("150"));
  Type("txtEc", "25000");
  Type("txtEs", "200000");
  W().SelectPage(1);
  messages_.Clear();
  auto* d1 = Find<QLineEdit>(W(), N("txtD(1)"));
  d1->setFocus(Qt::TabFocusReason);
  d1->selectAll();
  QTest::keyClicks(d1, QString::fromStdString(T("txtH(0)")));
  // Leaving the box for the next one, as a click on it does.
  Control("txtD(2)")->setFocus(Qt::MouseFocusReason);
  QTest::qWait(50);
  EXPECT_TRUE(messages_.boxes.empty());
  EXPECT_EQ(QApplication::focusWidget(), Control("txtD(2)"));
  QLabel* sketch_message = W().Sketch()->Message();
  EXPECT_TRUE(sketch_message->isVisibleTo(W().Sketch()));
  // The panel names the condition that fails, in the boxes' names.
  EXPECT_EQ(W().Verdicts()->Message()->text(),
            N("寸法の入力値が不正です。\r\nH0 ≧ D0 ＋ D1 となるように入力して下さい。"));
  EXPECT_EQ(W().Verdicts()->Overall()->text(), N("総合判定 －"));
  // A double-click on the message goes to the first box its condition names.
  QTest::mouseDClick(W().Verdicts()->Message(), Qt::LeftButton);
  EXPECT_EQ(QApplication::focusWidget(), Control("txtH(0)"));
  // Corrected, the sketch is drawn again and its message goes.
  Type("txtD(1)", "500");
  QTest::qWait(50);
  EXPECT_FALSE(sketch_message->isVisibleTo(W().Sketch()));
  EXPECT_TRUE(messages_.boxes.empty());
}

// Undo and redo go across boxes; a family switch is one step.
TEST_F(WindowTest, UndoAndRedoGoAcrossBoxesAndOverAFamilySwitch) {
  Start();
  W().SelectPage(1);
  const std::string t2 = T("txtT(1)");
  Type("txtT(0)", "500");
  Type("txtT(1)", "600");
  Choose(W(), N("cboKeisiki"), kLeaning);
  EXPECT_EQ(T("txtT(0)"), "3000");
  auto* t1 = Find<QLineEdit>(W(), N("txtT(0)"));
  t1->setFocus();
  QTest::keyClick(t1, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Find<QComboBox>(W(), N("cboKeisiki"))->currentIndex(), kGravity);
  EXPECT_EQ(T("txtT(0)"), "500");
  EXPECT_EQ(T("txtT(1)"), "600");
  QTest::keyClick(t1, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(T("txtT(1)"), t2);
  EXPECT_EQ(T("txtT(0)"), "500");
  QTest::keyClick(t1, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(T("txtT(1)"), "600");
  QTest::keyClick(t1, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(Find<QComboBox>(W(), N("cboKeisiki"))->currentIndex(), kLeaning);
  EXPECT_EQ(T("txtT(0)"), "3000");
  // Typing not yet left is undone first, as a step of its own.
  t1->setFocus();
  t1->selectAll();
  QTest::keyClicks(t1, "9");
  QTest::keyClick(t1, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(T("txtT(0)"), "3000");
  EXPECT_EQ(Find<QComboBox>(W(), N("cboKeisiki"))->currentIndex(), kLeaning);
  // A unit switch is one step too.
  Find<QRadioButton>(W(), N("opnUntCGS"))->setChecked(true);
  EXPECT_EQ(Find<QLabel>(W(), N("lblUnt"))->text(), N("CGS 単位"));
  W().findChild<QAction*>(N("Undo"))->trigger();
  EXPECT_EQ(Find<QLabel>(W(), N("lblUnt"))->text(), N("SI 単位"));
}

TEST_F(WindowTest, InputHelpUnitsRangesAndBarGrades) {
  Start();
  EXPECT_EQ(Control("txtH(0)")->toolTip(), N("H0：0 ～ 1000000 mm"));
  EXPECT_EQ(Control("txtctc(0)")->toolTip(), N("A-A' 配筋1 @：0 ～ 32767 mm（整数）"));
  Find<QRadioButton>(W(), N("opnUntCGS"))->setChecked(true);
  EXPECT_EQ(Control("txtqa_R(0)")->toolTip(),
            N("地盤の許容支持力度 qa（常時）：0 ～ 1000000 t/m2"));
  Find<QRadioButton>(W(), N("opnUntSI"))->setChecked(true);
  // Choosing a grade fills σsa and Es only where they are empty.
  Choose(W(), N("cboKeisiki"), kCantilever);
  Type("txtσsaT", "150");
  Choose(W(), N("cboStl_Kind"), 1);
  Choose(W(), N("cboStl_Strength"), 2);  // SD35
  EXPECT_EQ(T("txtσsa"), "180");
  EXPECT_EQ(T("txtσsaT"), "150");
  EXPECT_EQ(T("txtEs"), "200000");
  // The date picker speaks Japanese.
  EXPECT_EQ(Find<QDateEdit>(W(), N("cmbData"))->locale().language(), QLocale::Japanese);
  // The cover's three lines each have their box, all ticked on a new machine.
  for (const char* box : {"chkPrnCNamOk", "chkPrnOfficeOk", "chkPrnDateOk"}) {
    EXPECT_TRUE(Find<QCheckBox>(W(), N(box))->isChecked()) << box;
  }
  Find<QCheckBox>(W(), N("chkPrnOfficeOk"))->setChecked(false);
  ASSERT_TRUE(W().WriteWindowToDatabase());
  auto settings = OpenUserSettings();
  EXPECT_EQ(settings->value(kKeyPrintProjectName).toString(), N("1"));
  EXPECT_EQ(settings->value(kKeyPrintOfficeName).toString(), N("0"));
}

TEST(QtServices, MessageBoxesAnswerOverADisabledWindow) {
  testing::App();
  QWidget parent;
  parent.show();
  parent.setEnabled(false);
  QtMessageSink sink(&parent);
  bool box_enabled = false;
  QString text;
  QTimer::singleShot(50, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      box_enabled = box->isEnabled();
      text = box->text();
      box->button(QMessageBox::No)->click();
    }
  });
  MessageAnswer answer =
      sink.Show(MessageIcon::Question, MessageButtons::YesNoCancel, kFullTitle, "一行目\r\n二行目");
  EXPECT_EQ(answer, MessageAnswer::No);
  EXPECT_TRUE(box_enabled);
  EXPECT_EQ(text, N("一行目\n二行目"));
  EXPECT_EQ(QtFilterText(N("*.dat|*.dat|*.mdb|*.mdb")), N("*.dat (*.dat);;*.mdb (*.mdb)"));
  EXPECT_EQ(QtFilterText(N("擁壁計算データ|*.mdb")), N("擁壁計算データ (*.mdb)"));
}

TEST(QtServices, MessageBoxesAndFileDialogsSpeakJapanese) {
  QApplication& app = testing::App();
  ASSERT_TRUE(InstallQtJapaneseTranslation(app));
  QStringList buttons;
  QTimer::singleShot(50, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      for (auto* b : box->buttons()) buttons << b->text();
      box->button(QMessageBox::Cancel)->click();
    }
  });
  QtMessageSink sink;
  sink.Show(MessageIcon::Question, MessageButtons::YesNoCancel, kFullTitle, "質問");
  ASSERT_EQ(buttons.size(), 3);
  EXPECT_TRUE(buttons.join(QLatin1Char(' ')).contains(N("はい")))
      << buttons.join(' ').toStdString();
  EXPECT_TRUE(buttons.join(QLatin1Char(' ')).contains(N("いいえ")));
  EXPECT_TRUE(buttons.join(QLatin1Char(' ')).contains(N("キャンセル")));
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "&Open"), N("開く(&O)"));
  for (auto* t : app.findChildren<QTranslator*>()) {
    QCoreApplication::removeTranslator(t);
    delete t;
  }
}

}  // namespace
}  // namespace ktv
