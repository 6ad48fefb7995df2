// The four input pages of the design input window: their controls, the showing and collecting of
// the inputs, the enabling rules and the change handlers.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/catalogue.h"
#include "app/standard_sizes.h"
#include "app/units.h"
#include "earth_pressure/earth_pressure.h"
#include "families/family_table.h"
#include "input_window/input_window.h"
#include "input_window/pictures.h"
#include "input_window/proposal_dialog.h"
#include "input_window/verdict_panel.h"
#include "project/older_format_record.h"
#include "project/project_database.h"
#include "sketch/sketch_panel.h"

namespace ktv {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }
std::string S(const QString& s) { return s.toStdString(); }

constexpr int kNumberBoxWidth = 76;
const char* const kDateFormat = "yyyy/MM/dd";

QLabel* Caption(const QString& text, const QString& name = {}) {
  auto* label = new QLabel(text);
  if (!name.isEmpty()) label->setObjectName(name);
  return label;
}

QString Indexed(const char* stem, int i) {
  return QString::fromUtf8(stem) + QLatin1Char('(') + QString::number(i) + QLatin1Char(')');
}

void SetText(QLineEdit* box, const std::string& text) {
  QString t = Q(text);
  if (box->text() != t) box->setText(t);
  box->setModified(false);
}

void SetIndex(QComboBox* list, int index) {
  if (index < 0 || index >= list->count()) index = list->count() > 0 ? 0 : -1;
  if (list->currentIndex() != index) list->setCurrentIndex(index);
}

// A group frame with the given caption (blank captions give a plain frame).
QGroupBox* Group(const QString& caption, const QString& name = {}) {
  auto* g = new QGroupBox(caption);
  if (!name.isEmpty()) g->setObjectName(name);
  return g;
}

}  // namespace

QLineEdit* InputWindow::NumberBox(const QString& name, InputFormat format, bool shape) {
  auto* box = new QLineEdit;
  box->setObjectName(name);
  box->setFixedWidth(kNumberBoxWidth);
  box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  box->installEventFilter(this);
  box_rules_[box] = BoxRule{format, shape};
  return box;
}

// ---------------------------------------------------------------------------------------------
// Page 1: 工事名・設計条件

QWidget* InputWindow::BuildProjectPage() {
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  v->setSpacing(14);

  auto* project = Group(QString());
  auto* g = new QGridLayout(project);
  g->setHorizontalSpacing(12);
  g->setVerticalSpacing(10);
  project_name_ = new QLineEdit;
  project_name_->setObjectName(QStringLiteral("txt工事名"));
  project_name_->setMinimumWidth(460);
  // A project file with a longer name is refused when it is opened.
  project_name_->setMaxLength(static_cast<int>(kMaxTextFieldLength));
  project_name_->installEventFilter(this);
  box_rules_[project_name_] = BoxRule{};
  office_name_ = new QLineEdit;
  office_name_->setObjectName(QStringLiteral("txt事務所名"));
  office_name_->setMaxLength(static_cast<int>(kMaxTextFieldLength));
  office_name_->installEventFilter(this);
  box_rules_[office_name_] = BoxRule{};
  date_ = new QDateEdit;
  date_->setObjectName(QStringLiteral("cmbData"));
  date_->setDisplayFormat(QString::fromLatin1(kDateFormat));
  date_->setCalendarPopup(true);
  date_->setDate(QDate::currentDate());
  date_->setMinimumWidth(130);
  date_->installEventFilter(this);
  print_name_ = new QCheckBox(QStringLiteral("表紙に印刷する"));
  print_name_->setObjectName(QStringLiteral("chkPrnCNamOk"));
  print_date_ = new QCheckBox(QStringLiteral("表紙に印刷する"));
  print_date_->setObjectName(QStringLiteral("chkPrnDateOk"));
  // The office line of the cover has its own choice, as the name and the date have.
  print_office_ = new QCheckBox(QStringLiteral("表紙に印刷する"));
  print_office_->setObjectName(QStringLiteral("chkPrnOfficeOk"));
  g->addWidget(Caption(QStringLiteral("工事名")), 0, 0);
  g->addWidget(project_name_, 0, 1, 1, 2);
  g->addWidget(print_name_, 0, 3);
  g->addWidget(Caption(QStringLiteral("事務所名")), 1, 0);
  g->addWidget(office_name_, 1, 1, 1, 2);
  g->addWidget(print_office_, 1, 3);
  g->addWidget(Caption(QStringLiteral("日 付")), 2, 0);
  g->addWidget(date_, 2, 1);
  g->addWidget(print_date_, 2, 3);
  g->setColumnStretch(2, 1);
  v->addWidget(project);

  auto* units = Group(QString());
  auto* u = new QVBoxLayout(units);
  u->setSpacing(10);
  auto* current = new QHBoxLayout;
  current->addWidget(Caption(QStringLiteral("現在の単位系 ：")));
  unit_label_ = Caption(Q(kUnitTextSI), QStringLiteral("lblUnt"));
  QFont bold = unit_label_->font();
  bold.setBold(true);
  unit_label_->setFont(bold);
  current->addWidget(unit_label_);
  current->addSpacing(40);
  unit_si_ = new QRadioButton(QStringLiteral("SI単位"));
  unit_si_->setObjectName(QStringLiteral("opnUntSI"));
  unit_cgs_ = new QRadioButton(QStringLiteral("CGS単位"));
  unit_cgs_->setObjectName(QStringLiteral("opnUntCGS"));
  auto* unit_group = new QButtonGroup(units);
  unit_group->addButton(unit_si_);
  unit_group->addButton(unit_cgs_);
  unit_si_->setChecked(true);
  current->addWidget(unit_si_);
  current->addSpacing(16);
  current->addWidget(unit_cgs_);
  current->addStretch();
  u->addLayout(current);
  u->addWidget(Caption(QStringLiteral(
      "「材料条件」タブのコンクリートの単位重量（γc）は、単位変換時の係数を10としています。")));
  u->addWidget(Caption(QStringLiteral("それ以外の単位変換時の係数は9.80665としています。")));
  v->addWidget(units);
  v->addStretch();

  connect(unit_si_, &QRadioButton::toggled, this,
          [this](bool checked) { OnUnitOptionToggled(true, checked); });
  connect(unit_cgs_, &QRadioButton::toggled, this,
          [this](bool checked) { OnUnitOptionToggled(false, checked); });
  return page;
}

// ---------------------------------------------------------------------------------------------
// Page 2: 擁壁の種類・形状

QWidget* InputWindow::BuildShapePage() {
  auto* page = new QWidget;
  auto* outer = new QHBoxLayout(page);
  outer->setSpacing(12);

  // The section sketch with its view buttons.
  sketch_host_ = new QFrame;
  sketch_host_->setObjectName(QStringLiteral("fraSketch"));
  sketch_host_->setMinimumSize(380, 400);
  sketch_host_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  auto* sketch_layout = new QVBoxLayout(sketch_host_);
  sketch_layout->setContentsMargins(0, 0, 0, 0);
  sketch_ = new SketchPanel(messages_, sketch_host_);
  sketch_layout->addWidget(sketch_, 3);
  verdicts_ = new VerdictPanel(sketch_host_);
  sketch_layout->addWidget(verdicts_, 2);
  sketch_->SetInputSource([this] {
    WindowInputs in = CollectInputs();
    SketchInputs s;
    s.family = CodeOf(in.family);
    s.t = in.t;
    s.l = in.l;
    s.h = in.h;
    s.d = in.d;
    s.b = in.b;
    s.beta = in.beta;
    s.w0 = in.w0;
    s.shear_key = in.shear_key;
    // The shear key is drawn only when 滑り止め有り is ticked; zero sizes leave it out.
    s.fk_t5 = in.shear_key ? in.t5 : "0";
    s.fk_d5 = in.shear_key ? in.d5 : "0";
    s.fk_l5 = in.shear_key ? in.l5 : "0";
    s.counterfort = in.counterfort;
    s.sw_t6 = in.t6;
    s.sw_l6 = in.l6;
    s.sw_bs = in.bs;
    return s;
  });
  connect(sketch_, &SketchPanel::resetToStandardSizesConfirmed, this,
          &InputWindow::OnResetToStandardConfirmed);
  outer->addWidget(sketch_host_, 1);

  auto* right = new QVBoxLayout;
  right->setSpacing(6);
  outer->addLayout(right, 0);

  auto* kind = new QHBoxLayout;
  kind->addWidget(Caption(QStringLiteral("形状の種類")));
  family_ = new QComboBox;
  family_->setObjectName(QStringLiteral("cboKeisiki"));
  for (WallFamily f : kWallFamilies) family_->addItem(Q(std::string(NamesOf(f).list_name)));
  family_->installEventFilter(this);
  kind->addWidget(family_);
  kind->addStretch();
  right->addLayout(kind);
  right->addWidget(Caption(QStringLiteral("（単位：寸法は特に記載ないものは全てmm）")));

  auto* dims = Group(QString());
  auto* g = new QGridLayout(dims);
  g->setHorizontalSpacing(6);
  g->setVerticalSpacing(4);
  auto put = [&](int row, int col, const QString& caption, QLineEdit* box,
                 const QString& unit = {}) {
    auto* label = Caption(caption);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    g->addWidget(label, row, col * 3);
    g->addWidget(box, row, col * 3 + 1);
    if (!unit.isEmpty()) g->addWidget(Caption(unit), row, col * 3 + 2);
    return label;
  };
  for (int i = 0; i < 3; ++i) {
    t_[i] = NumberBox(Indexed("txtT", i), InputFormat::F0, true);
    l_[i] = NumberBox(Indexed("txtL", i), InputFormat::F0, true);
    put(i, 0, QStringLiteral("T%1=").arg(i + 1), t_[i], QStringLiteral("mm"));
    put(i, 1, QStringLiteral("L%1=").arg(i + 1), l_[i], QStringLiteral("mm"));
  }
  h_[0] = NumberBox(Indexed("txtH", 0), InputFormat::F0, true);
  h_[1] = NumberBox(Indexed("txtH", 1), InputFormat::F0, false);
  put(3, 0, QStringLiteral("H0="), h_[0], QStringLiteral("mm"));
  put(4, 0, QStringLiteral("H1="), h_[1], QStringLiteral("mm"));
  b_ = NumberBox(QStringLiteral("txtB"), InputFormat::F0, true);
  // β keeps its two decimals (29.05 is the slope 1:1.8); whole degrees would change the wall.
  beta_ = NumberBox(QStringLiteral("txtβ"), InputFormat::F2, true);
  put(3, 1, QStringLiteral("B="), b_, QStringLiteral("mm"));
  put(4, 1, QStringLiteral("β="), beta_, QStringLiteral("度"));
  for (int i = 0; i < 5; ++i) {
    d_[i] = NumberBox(Indexed("txtD", i), InputFormat::F0, true);
    put(i, 2, QStringLiteral("D%1=").arg(i), d_[i], QStringLiteral("mm"));
  }
  g->setColumnMinimumWidth(2, 30);
  g->setColumnMinimumWidth(5, 30);
  right->addWidget(dims);
  auto* propose = new QPushButton(QStringLiteral("断面を提案"));
  propose->setObjectName(QStringLiteral("cmd断面を提案"));
  connect(propose, &QPushButton::clicked, this, [this] { OpenProposalDialog(); });
  auto* propose_row = new QHBoxLayout;
  propose_row->addStretch();
  propose_row->addWidget(propose);
  right->addLayout(propose_row);

  auto* loads = Group(QString());
  auto* lg = new QGridLayout(loads);
  lg->setHorizontalSpacing(6);
  lg->setVerticalSpacing(4);
  q1_ = NumberBox(QStringLiteral("txtq1"), InputFormat::F1);
  q2_ = NumberBox(QStringLiteral("txtq2"), InputFormat::F1);
  w0_ = NumberBox(QStringLiteral("txtW0"), InputFormat::F1);
  auto* q1_unit = Caption(QStringLiteral("kN/m2"), QStringLiteral("lblq1Unt"));
  auto* q2_unit = Caption(QStringLiteral("kN/m2"), QStringLiteral("lblq2Unt"));
  auto* w0_unit = Caption(QStringLiteral("kN/m"), QStringLiteral("lblW0Unt"));
  unit_captions_[q1_unit] = {QStringLiteral("t/m2"), QStringLiteral("kN/m2")};
  unit_captions_[q2_unit] = {QStringLiteral("t/m2"), QStringLiteral("kN/m2")};
  unit_captions_[w0_unit] = {QStringLiteral("t/m"), QStringLiteral("kN/m")};
  lg->addWidget(Caption(QStringLiteral("荷載荷重(上) q1=")), 0, 0, Qt::AlignRight);
  lg->addWidget(q1_, 0, 1);
  lg->addWidget(q1_unit, 0, 2);
  lg->addWidget(Caption(QStringLiteral("荷載荷重(下) q2=")), 1, 0, Qt::AlignRight);
  lg->addWidget(q2_, 1, 1);
  lg->addWidget(q2_unit, 1, 2);
  lg->addWidget(Caption(QStringLiteral("擁壁上部荷重W0=")), 2, 0, Qt::AlignRight);
  lg->addWidget(w0_, 2, 1);
  lg->addWidget(w0_unit, 2, 2);
  lg->addWidget(Caption(QStringLiteral("(T2上に直接掛かる荷重)")), 2, 3);
  lg->setColumnStretch(3, 1);
  right->addWidget(loads);

  auto* key = Group(QStringLiteral("滑り止め"));
  auto* kg = new QGridLayout(key);
  kg->setHorizontalSpacing(6);
  shear_key_ = new QCheckBox(QStringLiteral("滑り止め有り"));
  shear_key_->setObjectName(QStringLiteral("chk滑り止め"));
  t5_ = NumberBox(QStringLiteral("txtFK_T5"), InputFormat::F0, true);
  d5_ = NumberBox(QStringLiteral("txtFK_D5"), InputFormat::F0, true);
  l5_ = NumberBox(QStringLiteral("txtFK_L5"), InputFormat::F0, true);
  kg->addWidget(shear_key_, 0, 0, 1, 6);
  int col = 0;
  for (auto [caption, box] :
       {std::pair{QStringLiteral("幅 T5="), t5_}, std::pair{QStringLiteral("深さ D5="), d5_},
        std::pair{QStringLiteral("L5="), l5_}}) {
    auto* label = Caption(caption);
    shear_key_labels_.push_back(label);
    kg->addWidget(label, 1, col++, Qt::AlignRight);
    kg->addWidget(box, 1, col++);
  }
  auto* key_unit = Caption(QStringLiteral("mm"));
  shear_key_labels_.push_back(key_unit);
  kg->addWidget(key_unit, 1, col);
  kg->setColumnStretch(7, 1);
  right->addWidget(key);

  auto* wall = Group(QStringLiteral("控え壁"));
  auto* wg = new QGridLayout(wall);
  wg->setHorizontalSpacing(6);
  counterfort_ = new QCheckBox(QStringLiteral("控え壁有り"));
  counterfort_->setObjectName(QStringLiteral("chk控え壁"));
  t6_ = NumberBox(QStringLiteral("txtSW_T6"), InputFormat::F0);
  l6_ = NumberBox(QStringLiteral("txtSW_L6"), InputFormat::F0);
  bs_ = NumberBox(QStringLiteral("txtSW_Bs"), InputFormat::F0);
  wg->addWidget(counterfort_, 0, 0, 1, 6);
  col = 0;
  for (auto [caption, box] :
       {std::pair{QStringLiteral("壁厚 T6="), t6_}, std::pair{QStringLiteral("間隔 L6="), l6_},
        std::pair{QStringLiteral("ﾌｨﾚｯﾄBs="), bs_}}) {
    auto* label = Caption(caption);
    counterfort_labels_.push_back(label);
    wg->addWidget(label, 1, col++, Qt::AlignRight);
    wg->addWidget(box, 1, col++);
  }
  auto* wall_unit = Caption(QStringLiteral("mm"));
  counterfort_labels_.push_back(wall_unit);
  wg->addWidget(wall_unit, 1, col);
  auto* top = new QHBoxLayout;
  auto* top_caption = Caption(QStringLiteral("控え壁の上端位置"));
  counterfort_labels_.push_back(top_caption);
  to_h0_top_ = new QRadioButton(QStringLiteral("H0上端まで"));
  to_h0_top_->setObjectName(QStringLiteral("OptH0Top"));
  to_h1_top_ = new QRadioButton(QStringLiteral("H1上端まで"));
  to_h1_top_->setObjectName(QStringLiteral("OptH1Top"));
  auto* top_group = new QButtonGroup(wall);
  top_group->addButton(to_h0_top_);
  top_group->addButton(to_h1_top_);
  to_h0_top_->setChecked(true);
  top->addWidget(top_caption);
  top->addSpacing(8);
  top->addWidget(to_h0_top_);
  top->addWidget(to_h1_top_);
  top->addStretch();
  wg->addLayout(top, 2, 0, 1, 7);
  wg->setColumnStretch(6, 1);
  right->addWidget(wall);
  right->addStretch();

  connect(family_, &QComboBox::currentIndexChanged, this, &InputWindow::OnFamilyChanged);
  connect(shear_key_, &QCheckBox::toggled, this, [this] { ApplyEnablingRules(); });
  connect(counterfort_, &QCheckBox::toggled, this, [this] { ApplyEnablingRules(); });
  return page;
}

// ---------------------------------------------------------------------------------------------
// Page 3: 設計条件

QWidget* InputWindow::BuildConditionsPage() {
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  v->setSpacing(12);

  auto* seismic = new QHBoxLayout;
  seismic->addWidget(Caption(QStringLiteral("設計水平震度 kh =")));
  kh_ = NumberBox(QStringLiteral("txtkh"), InputFormat::F2);
  seismic->addWidget(kh_);
  seismic->addWidget(Caption(QStringLiteral("（単位なし）")));
  seismic->addStretch();
  v->addLayout(seismic);

  auto* soil = Group(QStringLiteral(" 裏込土・土質定数 "));
  auto* sg = new QGridLayout(soil);
  sg->setHorizontalSpacing(8);
  sg->setVerticalSpacing(8);
  soil_class_ = new QComboBox;
  soil_class_->setObjectName(QStringLiteral("cboUrKm"));
  for (const auto& c : kSoilClasses) soil_class_->addItem(Q(c.name));
  soil_class_->installEventFilter(this);
  sg->addWidget(Caption(QStringLiteral("裏込土の種類")), 0, 0, Qt::AlignRight);
  sg->addWidget(soil_class_, 0, 1, 1, 2, Qt::AlignLeft);

  auto* method = Group(QStringLiteral("土圧係数"));
  auto* mg = new QVBoxLayout(method);
  by_formula_ = new QRadioButton(Q(kEarthPressureByFormula));
  by_formula_->setObjectName(QStringLiteral("opt土圧係数SEL(0)"));
  by_regulation_ = new QRadioButton(Q(kEarthPressureByRegulation));
  by_regulation_->setObjectName(QStringLiteral("opt土圧係数SEL(1)"));
  auto* method_group = new QButtonGroup(method);
  method_group->addButton(by_formula_);
  method_group->addButton(by_regulation_);
  by_formula_->setChecked(true);
  mg->addWidget(by_formula_);
  mg->addWidget(by_regulation_);
  sg->addWidget(method, 0, 3, 5, 1, Qt::AlignTop);

  gamma_ = NumberBox(QStringLiteral("txtγ"), InputFormat::F2);
  phi_ = NumberBox(QStringLiteral("txtφ"), InputFormat::F1);
  c_ = NumberBox(QStringLiteral("txtC"), InputFormat::F1);
  phi_b_ = NumberBox(QStringLiteral("txtφB"), InputFormat::F1);
  auto* gamma_unit = Caption(QStringLiteral("kN/m3"), QStringLiteral("lblγUnt"));
  auto* c_unit = Caption(QStringLiteral("kN/m2"), QStringLiteral("lblCUnt"));
  unit_captions_[gamma_unit] = {QStringLiteral("t/m3"), QStringLiteral("kN/m3")};
  unit_captions_[c_unit] = {QStringLiteral("t/m2"), QStringLiteral("kN/m2")};
  int row = 1;
  for (auto [caption, box, unit] :
       {std::tuple{QStringLiteral("単位重量 γ="), gamma_, static_cast<QWidget*>(gamma_unit)},
        std::tuple{QStringLiteral("内部摩擦角 φ="), phi_,
                   static_cast<QWidget*>(Caption(QStringLiteral("度")))},
        std::tuple{QStringLiteral("粘着力 C="), c_, static_cast<QWidget*>(c_unit)},
        std::tuple{QStringLiteral("滑り摩擦係数 tanφB ="), phi_b_,
                   static_cast<QWidget*>(Caption(QStringLiteral("（単位なし）")))}}) {
    sg->addWidget(Caption(caption), row, 0, Qt::AlignRight);
    sg->addWidget(box, row, 1);
    if (unit) sg->addWidget(unit, row, 2);
    ++row;
  }
  sg->setColumnMinimumWidth(2, 50);
  sg->setColumnStretch(4, 1);
  v->addWidget(soil);

  // ν1..ν3 and Ko have no caption and no use in the calculations; they are carried along unseen.
  for (int i = 0; i < 3; ++i) {
    nu_[i] = NumberBox(QStringLiteral("txtν%1").arg(i + 1), InputFormat::F1);
    nu_[i]->setParent(page);
    nu_[i]->hide();
  }
  ko_ = NumberBox(QStringLiteral("txtko"), InputFormat::F2);
  ko_->setParent(page);
  ko_->hide();

  auto* stability = Group(QStringLiteral(" 擁壁の安定 "));
  auto* tg = new QGridLayout(stability);
  tg->setHorizontalSpacing(10);
  tg->setVerticalSpacing(8);
  qa_r0_ = NumberBox(QStringLiteral("txtqa_R(0)"), InputFormat::F1);
  qa_e0_ = NumberBox(QStringLiteral("txtqa_E(0)"), InputFormat::F1);
  qa_r1_ = NumberBox(QStringLiteral("txtqa_R(1)"), InputFormat::F1);
  qa_e1_ = NumberBox(QStringLiteral("txtqa_E(1)"), InputFormat::F1);
  auto* qa_unit = Caption(QStringLiteral("kN/m2"), QStringLiteral("lblqaUnt"));
  unit_captions_[qa_unit] = {QStringLiteral("t/m2"), QStringLiteral("kN/m2")};
  tg->addWidget(Caption(QStringLiteral("常時")), 0, 1, Qt::AlignCenter);
  tg->addWidget(Caption(QStringLiteral("地震時")), 0, 2, Qt::AlignCenter);
  tg->addWidget(Caption(QStringLiteral("地盤の許容支持力度 qa=")), 1, 0, Qt::AlignRight);
  tg->addWidget(qa_r0_, 1, 1);
  tg->addWidget(qa_e0_, 1, 2);
  tg->addWidget(qa_unit, 1, 3);
  tg->addWidget(Caption(QStringLiteral("滑動に対する安全率")), 2, 0, Qt::AlignRight);
  tg->addWidget(qa_r1_, 2, 1);
  tg->addWidget(qa_e1_, 2, 2);
  tg->addWidget(Caption(QStringLiteral("（以上）")), 2, 3);
  tg->addWidget(Caption(QStringLiteral("（単位なし）")), 2, 4);
  tg->setColumnStretch(5, 1);
  v->addWidget(stability);
  v->addStretch();

  connect(soil_class_, &QComboBox::currentIndexChanged, this, &InputWindow::OnSoilClassChanged);
  // The regulation table has no coefficients in this program: the internal formula stays.
  connect(by_regulation_, &QRadioButton::toggled, this, [this](bool checked) {
    if (checked) by_formula_->setChecked(true);
  });
  return page;
}

// ---------------------------------------------------------------------------------------------
// Page 4: 材料・配筋

QWidget* InputWindow::BuildMaterialsPage() {
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  v->setSpacing(10);
  auto* upper = new QHBoxLayout;
  upper->setSpacing(12);
  v->addLayout(upper);

  auto* concrete = Group(QStringLiteral(" コンクリート "));
  auto* cg = new QGridLayout(concrete);
  cg->setHorizontalSpacing(8);
  cg->setVerticalSpacing(5);
  fc_ = NumberBox(QStringLiteral("txtFc"), InputFormat::F2);
  sigma_ck_ = NumberBox(QStringLiteral("txtσck"), InputFormat::F2);
  sigma_cac_ = NumberBox(QStringLiteral("txtσcac"), InputFormat::F2);
  sigma_cat_ = NumberBox(QStringLiteral("txtσcat"), InputFormat::F2);
  tau_a_ = NumberBox(QStringLiteral("txtτa"), InputFormat::F2);
  gamma_c_ = NumberBox(QStringLiteral("txtγc"), InputFormat::F2);
  ec_ = NumberBox(QStringLiteral("txtEc"), InputFormat::F0);
  auto unit_label = [this](const QString& name, const QString& cgs, const QString& si) {
    auto* label = Caption(si, name);
    unit_captions_[label] = {cgs, si};
    return label;
  };
  struct ConcreteRowSpec {
    QWidget* caption;
    QLineEdit* box;
    QWidget* after;
  };
  std::vector<ConcreteRowSpec> rows = {
      {unit_label(QStringLiteral("lblF"), QStringLiteral("Fc"), QStringLiteral("F")), fc_,
       unit_label(QStringLiteral("lblFUnit"), QStringLiteral("kg/cm2"), QStringLiteral("N/mm2"))},
      {unit_label(QStringLiteral("lblσck"), QStringLiteral("σck kg/cm2"),
                  QStringLiteral("σck N/mm2")),
       sigma_ck_, Caption(QStringLiteral("σck  ： 設計基準強度"))},
      {unit_label(QStringLiteral("lblσcac"), QStringLiteral("σcac kg/cm2"),
                  QStringLiteral("σcac N/mm2")),
       sigma_cac_, Caption(QStringLiteral("σcac ： 許容圧縮応力度"))},
      {unit_label(QStringLiteral("lblσcat"), QStringLiteral("σcat kg/cm2"),
                  QStringLiteral("σcat N/mm2")),
       sigma_cat_, Caption(QStringLiteral("σcat ： 許容曲げ引張応力度"))},
      {unit_label(QStringLiteral("lblτa"), QStringLiteral("τa kg/cm2"), QStringLiteral("τa N/mm2")),
       tau_a_, Caption(QStringLiteral("τa ： 許容せん断応力度"))},
      {Caption(QStringLiteral("単位重量γc=")), gamma_c_,
       unit_label(QStringLiteral("lblγcUnit"), QStringLiteral("t/m3"), QStringLiteral("kN/m3"))},
      {Caption(QStringLiteral("ヤング係数 Ec=")), ec_,
       // The moduli convert as the stresses do (factor 10): their CGS numbers are kg/cm2.
       unit_label(QStringLiteral("lblEcUnt"), QStringLiteral("kg/cm2"), QStringLiteral("N/mm2"))},
  };
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    cg->addWidget(rows[r].caption, r, 0, Qt::AlignRight);
    cg->addWidget(rows[r].box, r, 1);
    cg->addWidget(rows[r].after, r, 2);
    page4_labels_[rows[r].box] = {rows[r].caption, rows[r].after};
  }
  cg->setColumnStretch(3, 1);
  upper->addWidget(concrete, 1);

  section_picture_ = new QLabel;
  section_picture_->setObjectName(QStringLiteral("Picture1"));
  section_picture_->setPixmap(CantileverSectionPicture(300, 220));
  section_picture_->setFrameShape(QFrame::StyledPanel);
  section_picture_->setFixedSize(304, 224);
  section_picture_->setAlignment(Qt::AlignCenter);
  upper->addWidget(section_picture_, 0, Qt::AlignTop);

  auto* rebar = Group(QStringLiteral(" 鉄筋 "));
  auto* rv = new QVBoxLayout(rebar);
  rv->setSpacing(6);
  auto* kinds = new QHBoxLayout;
  bar_kind_ = new QComboBox;
  bar_kind_->setObjectName(QStringLiteral("cboStl_Kind"));
  for (int k = 0; k < kBarTypeCount; ++k) bar_kind_->addItem(Q(BarTypeName(k)));
  bar_kind_->installEventFilter(this);
  bar_grade_ = new QComboBox;
  bar_grade_->setObjectName(QStringLiteral("cboStl_Strength"));
  bar_grade_->installEventFilter(this);
  es_ = NumberBox(QStringLiteral("txtEs"), InputFormat::F0);
  auto* kind_label = Caption(QStringLiteral("種類"));
  auto* grade_label = Caption(QStringLiteral("強度"));
  auto* es_label = Caption(QStringLiteral("ヤング係数 Es="));
  auto* es_unit =
      unit_label(QStringLiteral("lblEsUnt"), QStringLiteral("kg/cm2"), QStringLiteral("N/mm2"));
  kinds->addWidget(kind_label);
  kinds->addWidget(bar_kind_);
  kinds->addSpacing(16);
  kinds->addWidget(grade_label);
  kinds->addWidget(bar_grade_);
  kinds->addSpacing(24);
  kinds->addWidget(es_label);
  kinds->addWidget(es_);
  kinds->addWidget(es_unit);
  kinds->addStretch();
  rv->addLayout(kinds);
  rebar_labels_ = {kind_label, grade_label, es_label, es_unit};

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(4);
  auto header = [&](int c, QLabel* label) {
    label->setAlignment(Qt::AlignCenter);
    grid->addWidget(label, 0, c);
    rebar_labels_.push_back(label);
  };
  header(1, Caption(QStringLiteral("配筋1")));
  header(2, Caption(QStringLiteral("A(cm2)")));
  header(3, Caption(QStringLiteral("Ψ(cm)")));
  header(4, Caption(QStringLiteral("@(mm)")));
  header(5, Caption(QStringLiteral("配筋2")));
  header(6, Caption(QStringLiteral("A(cm2)")));
  header(7, Caption(QStringLiteral("Ψ(cm)")));
  header(8, Caption(QStringLiteral("@(mm)")));
  auto* sa_label = unit_label(QStringLiteral("lblσsa"), QStringLiteral("σsa(kg/cm2)"),
                              QStringLiteral("σsa(N/mm2)"));
  header(9, sa_label);
  header(11, Caption(QStringLiteral("dt(cm)")));
  static const char* const kSections[] = {"A-A'", "B-B'", "C-C'", "D-D'"};
  for (int s = 0; s < 4; ++s) {
    int r = s + 1;
    auto* section = Caption(QString::fromUtf8(kSections[s]));
    rebar_labels_.push_back(section);
    grid->addWidget(section, r, 0);
    for (int a = 0; a < 2; ++a) {
      int i = s * 2 + a;
      bar_size_[i] = new QComboBox;
      bar_size_[i]->setObjectName(Indexed("cboStl_Size", i));
      bar_size_[i]->setMinimumWidth(70);
      bar_size_[i]->installEventFilter(this);
      bar_area_[i] = Caption(QString(), Indexed("lblStl_A", i));
      bar_perimeter_[i] = Caption(QString(), Indexed("lblStl_Ψ", i));
      for (QLabel* l : {bar_area_[i], bar_perimeter_[i]}) {
        l->setAlignment(Qt::AlignCenter);
        l->setMinimumWidth(52);
        rebar_labels_.push_back(l);
      }
      ctc_[i] = NumberBox(Indexed("txtctc", i), InputFormat::F0);
      ctc_[i]->setFixedWidth(64);
      grid->addWidget(bar_size_[i], r, 1 + a * 4);
      grid->addWidget(bar_area_[i], r, 2 + a * 4);
      grid->addWidget(bar_perimeter_[i], r, 3 + a * 4);
      grid->addWidget(ctc_[i], r, 4 + a * 4);
      connect(bar_size_[i], &QComboBox::currentIndexChanged, this, [this, i] {
        if (!loading_) ShowBarProperties(i);
      });
    }
  }
  sigma_sa_ = NumberBox(QStringLiteral("txtσsa"), InputFormat::F0);
  sigma_saT_ = NumberBox(QStringLiteral("txtσsaT"), InputFormat::F0);
  dt_[0] = NumberBox(Indexed("txtdt", 0), InputFormat::F1);
  dt_[1] = NumberBox(Indexed("txtdt", 1), InputFormat::F1);
  for (QLineEdit* box : {sigma_sa_, sigma_saT_, dt_[0], dt_[1]}) box->setFixedWidth(64);
  auto* wall_note = Caption(QStringLiteral("（璧体用）"));
  auto* slab_note = Caption(QStringLiteral("（底版用）"));
  rebar_labels_.push_back(wall_note);
  rebar_labels_.push_back(slab_note);
  grid->addWidget(sigma_sa_, 1, 9);
  grid->addWidget(wall_note, 1, 10);
  grid->addWidget(dt_[0], 1, 11);
  grid->addWidget(sigma_saT_, 3, 9);
  grid->addWidget(slab_note, 3, 10);
  grid->addWidget(dt_[1], 3, 11);
  grid->setColumnMinimumWidth(5, 70);
  grid->setColumnStretch(12, 1);
  rv->addLayout(grid);

  auto* aa = new QHBoxLayout;
  design_aa_ = new QCheckBox(QStringLiteral("璧体途中（断面位置Ａ－Ａ´での設計をする"));
  design_aa_->setObjectName(QStringLiteral("chkhAA"));
  h_aa_ = NumberBox(QStringLiteral("txthAA"), InputFormat::F0);
  auto* h_label = Caption(QStringLiteral("断面位置Ａ－Ａ´の天端からの高さ  h="));
  auto* h_unit = Caption(QStringLiteral("mm"));
  page4_labels_[h_aa_] = {h_label, h_unit};
  aa->addWidget(design_aa_);
  aa->addSpacing(20);
  aa->addWidget(h_label);
  aa->addWidget(h_aa_);
  aa->addWidget(h_unit);
  aa->addStretch();
  rv->addLayout(aa);
  v->addWidget(rebar);
  v->addStretch();

  connect(bar_kind_, &QComboBox::currentIndexChanged, this, &InputWindow::OnBarKindChanged);
  connect(design_aa_, &QCheckBox::toggled, this, [this] { ApplyEnablingRules(); });
  FillGradeAndSizeLists(0);
  return page;
}

// ---------------------------------------------------------------------------------------------
// Keyboard order

void InputWindow::BuildFocusList() {
  focus_list_.clear();
  auto add = [this](QWidget* w, const char* name) {
    focus_list_.emplace_back(w, QString::fromUtf8(name));
  };
  add(project_name_, "工事名");
  add(office_name_, "事務署名");
  add(date_, "日付");
  page_groups_[0] = {0, 2};
  int first = static_cast<int>(focus_list_.size());
  add(t_[0], "T1");
  add(t_[1], "T2");
  add(t_[2], "T3");
  add(l_[0], "L1");
  add(l_[1], "L2");
  add(l_[2], "L3");
  add(h_[0], "H");
  add(h_[1], "H1");
  add(d_[0], "D0");
  add(d_[1], "D1");
  add(d_[2], "D2");
  add(d_[4], "D4");
  add(b_, "B");
  add(beta_, "β");
  add(w0_, "W0");
  add(q1_, "q1");
  add(q2_, "q2");
  add(t5_, "T5");
  add(d5_, "D5");
  add(l5_, "L5");
  add(t6_, "T6");
  add(l6_, "L6");
  add(bs_, "Bs");
  page_groups_[1] = {first, static_cast<int>(focus_list_.size()) - 1};
  first = static_cast<int>(focus_list_.size());
  add(kh_, "設計水平震度kh");
  add(soil_class_, "裏込土の種類");
  add(c_, "粘着力C");
  add(phi_b_, "滑り摩擦係数tanφB");
  add(gamma_, "単位重量γ");
  add(phi_, "内部摩擦角φ");
  add(qa_r0_, "地盤の許容支持力度qa(常時)");
  add(qa_e0_, "地盤の許容支持力度qa(地震時)");
  add(qa_r1_, "滑動に対する安全率(常時)");
  add(qa_e1_, "滑動に対する安全率(地震時)");
  page_groups_[2] = {first, static_cast<int>(focus_list_.size()) - 1};
  first = static_cast<int>(focus_list_.size());
  add(bar_kind_, "鉄筋種類");
  add(bar_grade_, "鉄筋強度");
  add(es_, "鉄筋ﾔﾝｸﾞ係数Es");
  add(h_aa_, "A-A'の天端からの高さh");
  add(bar_size_[0], "A-A'配筋1");
  add(ctc_[0], "A-A'配筋1(@)");
  add(sigma_sa_, "A-A'配筋1(σsa)");
  add(dt_[0], "A-A'配筋1(dt)");
  add(bar_size_[1], "A-A'配筋2");
  add(ctc_[1], "A-A'配筋2(@)");
  add(bar_size_[2], "B-B'配筋1");
  add(ctc_[2], "B-B'配筋1(@)");
  add(bar_size_[3], "B-B'配筋2");
  add(ctc_[3], "B-B'配筋2(@)");
  add(bar_size_[4], "C-C'配筋1");
  add(ctc_[4], "C-C'配筋1(@)");
  add(sigma_saT_, "C-C'配筋1(σsa)");
  add(dt_[1], "C-C'配筋1(dt)");
  add(bar_size_[5], "C-C'配筋2");
  add(ctc_[5], "C-C'配筋2(@)");
  add(bar_size_[6], "D-D'配筋1");
  add(ctc_[6], "D-D'配筋1(@)");
  add(bar_size_[7], "D-D'配筋2");
  add(ctc_[7], "D-D'配筋2(@)");
  add(fc_, "ｺﾝｸﾘｰﾄ設計基準強度σck");
  add(sigma_cac_, "ｺﾝｸﾘｰﾄ許容圧縮応力度σcac");
  add(sigma_cat_, "ｺﾝｸﾘｰﾄ許容曲げ引張応力度σcat");
  add(tau_a_, "ｺﾝｸﾘｰﾄ許容せん断応力度τa");
  add(gamma_c_, "ｺﾝｸﾘｰﾄ単位重量γc");
  add(ec_, "ｺﾝｸﾘｰﾄﾔﾝｸﾞ係数Ec");
  page_groups_[3] = {first, static_cast<int>(focus_list_.size()) - 1};
  for (size_t i = 1; i < focus_list_.size(); ++i) {
    QWidget::setTabOrder(focus_list_[i - 1].first, focus_list_[i].first);
  }
  for (auto& [w, name] : focus_list_) w->installEventFilter(this);
  // The date picker types into its own line edit.
  if (auto* inner = date_->findChild<QLineEdit*>()) inner->installEventFilter(this);
}

// ---------------------------------------------------------------------------------------------
// Showing and collecting

WindowInputs InputWindow::CollectInputs() const {
  WindowInputs in;
  in.project_name = S(project_name_->text());
  in.office_name = S(office_name_->text());
  in.date = date_->date().isValid() ? S(date_->date().toString(QString::fromLatin1(kDateFormat)))
                                    : std::string();
  in.print_project_name = print_name_->isChecked();
  in.print_office_name = print_office_->isChecked();
  in.print_date = print_date_->isChecked();
  in.si = unit_label_->text() == Q(kUnitTextSI);

  in.family = SelectedFamily();
  for (int i = 0; i < 3; ++i) {
    in.t[i] = S(t_[i]->text());
    in.l[i] = S(l_[i]->text());
  }
  in.h = {S(h_[0]->text()), S(h_[1]->text())};
  for (int i = 0; i < 5; ++i) in.d[i] = S(d_[i]->text());
  in.b = S(b_->text());
  in.beta = S(beta_->text());
  in.q1 = S(q1_->text());
  in.q2 = S(q2_->text());
  in.w0 = S(w0_->text());
  in.shear_key = shear_key_->isChecked();
  in.t5 = S(t5_->text());
  in.d5 = S(d5_->text());
  in.l5 = S(l5_->text());
  in.counterfort = counterfort_->isChecked();
  in.t6 = S(t6_->text());
  in.l6 = S(l6_->text());
  in.bs = S(bs_->text());
  in.counterfort_to_h0_top = to_h0_top_->isChecked();
  in.sync_draw = sketch_->SyncDraw();

  in.kh = S(kh_->text());
  in.soil_class = std::max(soil_class_->currentIndex(), 0);
  in.gamma = S(gamma_->text());
  in.phi = S(phi_->text());
  in.c = S(c_->text());
  in.phi_b = S(phi_b_->text());
  for (int i = 0; i < 3; ++i) in.nu[i] = S(nu_[i]->text());
  in.ko = S(ko_->text());
  in.qa_normal = S(qa_r0_->text());
  in.qa_seismic = S(qa_e0_->text());
  in.slide_normal = S(qa_r1_->text());
  in.slide_seismic = S(qa_e1_->text());

  in.fc = S(fc_->text());
  in.sigma_ck = S(sigma_ck_->text());
  in.sigma_cac = S(sigma_cac_->text());
  in.sigma_cat = S(sigma_cat_->text());
  in.tau_a = S(tau_a_->text());
  in.gamma_c = S(gamma_c_->text());
  in.ec = S(ec_->text());
  in.bar_kind = std::max(bar_kind_->currentIndex(), 0);
  in.bar_grade = std::max(bar_grade_->currentIndex(), 0);
  in.es = S(es_->text());
  in.sigma_sa = S(sigma_sa_->text());
  in.sigma_saT = S(sigma_saT_->text());
  in.dt = {S(dt_[0]->text()), S(dt_[1]->text())};
  in.design_aa = design_aa_->isChecked();
  in.h_aa = S(h_aa_->text());
  for (int i = 0; i < 8; ++i) {
    in.bar_size[i] = std::max(bar_size_[i]->currentIndex(), 0);
    in.ctc[i] = S(ctc_[i]->text());
  }
  in.memory = memory_;
  in.shown_family = shown_family_;
  return in;
}

void InputWindow::ShowInputs(const WindowInputs& in) {
  bool was_loading = loading_;
  loading_ = true;

  SetText(project_name_, in.project_name);
  SetText(office_name_, in.office_name);
  QDate date = QDate::fromString(Q(in.date), QStringLiteral("yyyy/M/d"));
  date_->setDate(date.isValid() ? date : QDate::currentDate());
  print_name_->setChecked(in.print_project_name);
  print_office_->setChecked(in.print_office_name);
  print_date_->setChecked(in.print_date);
  (in.si ? unit_si_ : unit_cgs_)->setChecked(true);
  SetUnitCaptions(in.si);

  SetIndex(family_, CodeOf(in.family));
  for (int i = 0; i < 3; ++i) {
    SetText(t_[i], in.t[i]);
    SetText(l_[i], in.l[i]);
  }
  SetText(h_[0], in.h[0]);
  SetText(h_[1], in.h[1]);
  for (int i = 0; i < 5; ++i) SetText(d_[i], in.d[i]);
  SetText(b_, in.b);
  SetText(beta_, in.beta);
  SetText(q1_, in.q1);
  SetText(q2_, in.q2);
  SetText(w0_, in.w0);
  shear_key_->setChecked(in.shear_key);
  SetText(t5_, in.t5);
  SetText(d5_, in.d5);
  SetText(l5_, in.l5);
  counterfort_->setChecked(in.counterfort);
  SetText(t6_, in.t6);
  SetText(l6_, in.l6);
  SetText(bs_, in.bs);
  (in.counterfort_to_h0_top ? to_h0_top_ : to_h1_top_)->setChecked(true);
  sketch_->SetSyncDraw(in.sync_draw);

  SetText(kh_, in.kh);
  by_formula_->setChecked(true);
  SetIndex(soil_class_, in.soil_class);
  SetText(gamma_, in.gamma);
  SetText(phi_, in.phi);
  SetText(c_, in.c);
  SetText(phi_b_, in.phi_b);
  for (int i = 0; i < 3; ++i) SetText(nu_[i], in.nu[i]);
  SetText(ko_, in.ko);
  SetText(qa_r0_, in.qa_normal);
  SetText(qa_e0_, in.qa_seismic);
  SetText(qa_r1_, in.slide_normal);
  SetText(qa_e1_, in.slide_seismic);

  SetText(fc_, in.fc);
  SetText(sigma_ck_, in.sigma_ck);
  SetText(sigma_cac_, in.sigma_cac);
  SetText(sigma_cat_, in.sigma_cat);
  SetText(tau_a_, in.tau_a);
  SetText(gamma_c_, in.gamma_c);
  SetText(ec_, in.ec);
  if (bar_kind_->currentIndex() != in.bar_kind || bar_grade_->count() == 0) {
    SetIndex(bar_kind_, in.bar_kind);
    FillGradeAndSizeLists(bar_kind_->currentIndex());
  }
  SetIndex(bar_grade_, in.bar_grade);
  for (int i = 0; i < 8; ++i) {
    SetIndex(bar_size_[i], in.bar_size[i]);
    SetText(ctc_[i], in.ctc[i]);
  }
  for (int i = 0; i < 8; ++i) ShowBarProperties(i);
  SetText(es_, in.es);
  SetText(sigma_sa_, in.sigma_sa);
  SetText(sigma_saT_, in.sigma_saT);
  SetText(dt_[0], in.dt[0]);
  SetText(dt_[1], in.dt[1]);
  design_aa_->setChecked(in.design_aa);
  SetText(h_aa_, in.h_aa);

  memory_ = in.memory;
  shown_family_ = in.shown_family;
  loading_ = was_loading;
  ApplyEnablingRules();
  RefreshProjectNameBanner();
  if (!loading_) RefreshVerdicts();
}

void InputWindow::RefreshProjectNameBanner() {
  name_banner_->setText(QStringLiteral("工事名 ： ") + project_name_->text());
}

// ---------------------------------------------------------------------------------------------
// Units

void InputWindow::SetUnitCaptions(bool si) {
  unit_label_->setText(Q(si ? kUnitTextSI : kUnitTextCGS));
  for (auto& [label, texts] : unit_captions_) label->setText(si ? texts.second : texts.first);
  stress_unit_factor_ = ktv::StressUnitFactor(si);
  unit_state_ = static_cast<int>(si ? UnitState::SI : UnitState::CGS);
  ApplyTooltips();  // the ranges name the units in force
}

void InputWindow::OnUnitOptionToggled(bool si, bool checked) {
  if (checked) SelectUnitSystem(si);
}

void InputWindow::SelectUnitSystem(bool si) {
  SetUnitCaptions(si);
  if (loading_) return;
  // The converted stresses are the ones entered; deriving them again from Fc would replace
  // values the engineer typed. Leaving Fc changed still derives them.
  ConvertEnteredValues();
}

void InputWindow::ConvertEnteredValues() {
  WindowInputs in = CollectInputs();
  ktv::ConvertEnteredValues(in);
  ShowInputs(in);
}

// ---------------------------------------------------------------------------------------------
// Enabling rules

void InputWindow::ApplyEnablingRules() {
  // The boxes the shown family reads; the others are disabled.
  const FamilyBoxes& on = families_->Of(SelectedFamily()).window.boxes;
  // Page 2.
  t_[2]->setEnabled(on.t3);
  l_[0]->setEnabled(on.l1);
  l_[1]->setEnabled(on.l2_l3);
  l_[2]->setEnabled(on.l2_l3);
  d_[0]->setEnabled(on.d0_d2_d4);
  d_[1]->setEnabled(on.d1);
  d_[2]->setEnabled(on.d0_d2_d4);
  d_[3]->setEnabled(false);  // D3 always repeats D1
  d_[4]->setEnabled(on.d0_d2_d4);
  b_->setEnabled(on.b);
  q2_->setEnabled(on.q2);
  const bool key = shear_key_->isChecked();
  for (QWidget* w :
       {static_cast<QWidget*>(t5_), static_cast<QWidget*>(d5_), static_cast<QWidget*>(l5_)}) {
    w->setEnabled(key);
  }
  for (QWidget* w : shear_key_labels_) w->setEnabled(key);
  counterfort_->setEnabled(on.counterfort);
  const bool wall = on.counterfort && counterfort_->isChecked();
  for (QWidget* w :
       {static_cast<QWidget*>(t6_), static_cast<QWidget*>(l6_), static_cast<QWidget*>(bs_),
        static_cast<QWidget*>(to_h0_top_), static_cast<QWidget*>(to_h1_top_)}) {
    w->setEnabled(wall);
  }
  for (QWidget* w : counterfort_labels_) w->setEnabled(wall);

  // Page 3.
  kh_->setEnabled(on.seismic);
  qa_e0_->setEnabled(on.seismic);
  qa_e1_->setEnabled(on.seismic);

  // Page 4: the inputs with their labels.
  auto enable = [this](QLineEdit* box, bool enabled) {
    box->setEnabled(enabled);
    auto it = page4_labels_.find(box);
    if (it != page4_labels_.end()) {
      for (QWidget* label : it->second) label->setEnabled(enabled);
    }
  };
  enable(sigma_cat_, on.sigma_cat);
  enable(tau_a_, on.tau_a);
  enable(ec_, on.ec);
  const bool bars = on.reinforcement;
  for (QWidget* w : rebar_labels_) w->setEnabled(bars);
  bar_kind_->setEnabled(bars);
  bar_grade_->setEnabled(bars);
  es_->setEnabled(bars);
  sigma_sa_->setEnabled(bars);
  sigma_saT_->setEnabled(bars);
  dt_[0]->setEnabled(bars);
  dt_[1]->setEnabled(bars);
  design_aa_->setEnabled(bars);
  enable(h_aa_, bars && design_aa_->isChecked());
  for (int i = 0; i < 8; ++i) {
    bar_size_[i]->setEnabled(bars);
    ctc_[i]->setEnabled(bars && spacing_enabled_[i]);
  }
  UpdateSectionPicture();
}

void InputWindow::UpdateSectionPicture() {
  // The section picture explains the cantilever sections only.
  section_picture_->setVisible(families_->Of(SelectedFamily()).window.boxes.reinforcement);
}

// ---------------------------------------------------------------------------------------------
// Bars

void InputWindow::FillGradeAndSizeLists(int kind) {
  bool was_loading = loading_;
  loading_ = true;
  bar_grade_->clear();
  for (auto grade : BarGrades(kind)) bar_grade_->addItem(Q(grade));
  for (int i = 0; i < 8; ++i) {
    bar_size_[i]->clear();
    for (const auto& entry : SizeListEntries(kind, i)) bar_size_[i]->addItem(Q(entry));
  }
  loading_ = was_loading;
}

void InputWindow::ShowBarProperties(int position) {
  BarPropertyLabels labels = ktv::ShowBarProperties(bar_kind_->currentIndex(), position,
                                                    bar_size_[position]->currentIndex());
  if (!labels.valid) return;
  bar_area_[position]->setText(Q(labels.area));
  bar_perimeter_[position]->setText(Q(labels.perimeter));
  spacing_enabled_[position] = labels.spacing_enabled;
  ctc_[position]->setEnabled(families_->Of(SelectedFamily()).window.boxes.reinforcement &&
                             labels.spacing_enabled);
}

void InputWindow::OnBarKindChanged(int index) {
  if (loading_ || index < 0) return;
  CommandGuard guard(this);
  FillGradeAndSizeLists(index);
  bool was_loading = loading_;
  loading_ = true;
  SetIndex(bar_grade_, 0);
  for (int i = 0; i < 8; ++i) SetIndex(bar_size_[i], 0);
  loading_ = was_loading;
  for (int i = 0; i < 8; ++i) {
    ShowBarProperties(i);
    SetText(ctc_[i], "0");
  }
}

// ---------------------------------------------------------------------------------------------
// Family, soil class, concrete

WallFamily InputWindow::SelectedFamily() const {
  return WallFamilyFromCode(family_->currentIndex()).value_or(WallFamily::Gravity);
}

void InputWindow::OnFamilyChanged(int index) {
  const std::optional<WallFamily> family = WallFamilyFromCode(index);
  if (loading_ || !family) return;
  {
    CommandGuard guard(this);
    WindowInputs in = CollectInputs();
    ktv::ChangeWallFamily(in, *family);
    ShowInputs(in);
  }
  RedrawSketch();
  if (pages_->currentIndex() == kShapePage) {
    t_[0]->setFocus(Qt::OtherFocusReason);
    t_[0]->selectAll();
  }
}

void InputWindow::OnSoilClassChanged(int index) {
  if (loading_ || index < 0) return;
  ApplySoilClassDefaults();
}

void InputWindow::ApplySoilClassDefaults() {
  WindowInputs in = CollectInputs();
  ktv::ApplySoilClassDefaults(in);
  ShowInputs(in);
}

void InputWindow::DeriveConcreteStresses() {
  WindowInputs in = CollectInputs();
  ktv::DeriveConcreteStresses(in, messages_);
  ShowInputs(in);
}

void InputWindow::ResetToStandardSizes() { sketch_->ResetToStandardSizes(); }

void InputWindow::OnResetToStandardConfirmed() {
  WindowInputs in = CollectInputs();
  ktv::ResetToStandardSizes(in);
  ShowInputs(in);
}

ProposalDialog* InputWindow::OpenProposalDialog() {
  if (!AcceptTypedInputs()) return nullptr;
  const WindowInputs in = CollectInputs();
  ProposalDialogSetup setup;
  try {
    setup.present = ProjectDataOf(in);
    setup.ticked = DefaultAxes(setup.present);
  } catch (const std::exception& e) {
    messages_.Show(MessageIcon::Critical, MessageButtons::Ok, "断面の提案", e.what());
    return nullptr;
  }
  if (in.family == WallFamily::Cantilever) {
    // The chosen bars may change within the catalogue, their spacings from 100 to 300 mm.
    for (int i = 0; i < 8; ++i) {
      if (in.bar_size[i] < 1) continue;
      const std::string n = std::to_string(i);
      setup.offered.push_back({"Size0" + n, 1, static_cast<double>(bar_size_[i]->count() - 1), 1});
      setup.offered.push_back({"ctc0" + n, 100, 300, 25});
    }
    setup.steel = true;
  }
  setup.checks = families_->Of(in.family).checks;
  setup.design_aa = in.design_aa;
  auto* dialog = new ProposalDialog(std::move(setup), this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, this, [this, dialog] {
    if (dialog->Result() && dialog->Result()->found) ApplyProposal(dialog->Result()->project);
  });
  dialog->open();
  return dialog;
}

void InputWindow::ApplyProposal(const ProjectData& proposed) {
  // The present section is a step of its own, so that one undo returns to it exactly.
  RecordUndoStep();
  WindowInputs in = CollectInputs();
  WindowInputs shown;
  try {
    shown = LoadWindowInputs(proposed, CoverSettingsOf(in));
  } catch (const std::exception& e) {
    messages_.Show(MessageIcon::Critical, MessageButtons::Ok, "断面の提案", e.what());
    return;
  }
  // Only what the search may change is taken; everything else stays as the boxes hold it.
  in.t = shown.t;
  in.l = shown.l;
  in.d = shown.d;
  in.b = shown.b;
  in.bar_size = shown.bar_size;
  in.ctc = shown.ctc;
  ShowInputs(in);
  RedrawSketch();
  RefreshVerdicts();
  RecordUndoStep();
}

bool InputWindow::ValidateInputs() {
  const WindowInputs in = CollectInputs();
  return ktv::ValidateInputs(in, families_->Of(in.family).window, messages_);
}

bool InputWindow::CheckBetaRange() { return ktv::CheckBetaRange(S(beta_->text()), messages_); }

}  // namespace ktv
