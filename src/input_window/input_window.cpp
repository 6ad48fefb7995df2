// The window frame of the design input window and its commands: load, write, new, open, save,
// print and preview, exit.
#include "input_window/input_window.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <filesystem>
#include <system_error>

#include "app/catalogue.h"
#include "app/errors.h"
#include "app/format.h"
#include "app/settings.h"
#include "app/units.h"
#include "families/family_table.h"
#include "input_window/number_boxes.h"
#include "input_window/pictures.h"
#include "input_window/verdict_panel.h"
#include "project/project_database.h"
#include "sketch/sketch_panel.h"

namespace ktv {
namespace {

std::string S(const QString& s) { return s.toStdString(); }
QString Q(const std::string& s) { return QString::fromStdString(s); }

constexpr const char* kRevision = "140804";

struct PageSpec {
  const char* button;
  const char* caption;
};
constexpr std::array<PageSpec, 4> kPages = {{
    {"工事名入力", "工事名・設計条件"},
    {"擁壁の種類・形状入力", "擁壁の種類・形状"},
    {"設計条件入力", "設計条件"},
    {"配筋等入力", "材料・配筋"},
}};

// Messages of the file commands. Each names the file it concerns.
constexpr const char* kCannotRead = "データを読み込めません。";
constexpr const char* kCannotWrite = "データを書き込めません。";
constexpr const char* kNotAProject = "選択したファイルは擁壁計算のデータではありません。";
constexpr const char* kCannotCopy = "ファイルをコピーできません。";
constexpr const char* kCannotSave = "データを保存できません。";
constexpr const char* kCannotCreate = "新しいデータを作成できません。";
constexpr const char* kCannotExportRecord = "旧形式のデータファイルに書き込めません。";
constexpr const char* kCannotImportRecord = "旧形式のデータファイルを読み込めません。";
constexpr const char* kNoReportBuilder =
    "計算書を作成する機能がこのプログラムに組み込まれていません。";
constexpr const char* kCalculationFailed = "計算中にエラーが発生しました。";
constexpr const char* kSaveBeforeClose = "変更された内容が保存されていません。保存しますか？";
constexpr const char* kRecentMissing = "ファイルが見つかりません。";

bool SamePath(const QString& a, const QString& b) {
  QString ca = QFileInfo(a).canonicalFilePath(), cb = QFileInfo(b).canonicalFilePath();
  return !ca.isEmpty() && ca == cb;
}

void RemoveFile(const QString& path) {
  std::error_code ec;
  std::filesystem::remove(S(path), ec);
}

}  // namespace

// ---------------------------------------------------------------------------------------------

InputWindow::CommandGuard::CommandGuard(InputWindow* window)
    : window_(window), was_enabled_(window->isEnabled()), focus_(QApplication::focusWidget()) {
  if (auto* box = qobject_cast<QLineEdit*>(focus_.data())) {
    selection_start_ = box->selectionStart();
    selection_length_ = box->selectionLength();
    cursor_ = box->cursorPosition();
  }
  window_->setEnabled(false);
}

InputWindow::CommandGuard::~CommandGuard() {
  if (!was_enabled_) return;
  window_->setEnabled(true);
  if (focus_ && focus_->isEnabled() && focus_->window() == window_ &&
      QApplication::focusWidget() != focus_) {
    focus_->setFocus(Qt::OtherFocusReason);
    if (auto* box = qobject_cast<QLineEdit*>(focus_.data())) {
      if (selection_start_ >= 0) {
        box->setSelection(selection_start_, selection_length_);
      } else {
        box->setCursorPosition(cursor_);
      }
    }
  }
}

// ---------------------------------------------------------------------------------------------

InputWindow::InputWindow(StartupValues startup, MessageSink& messages, FileDialogs& dialogs,
                         InputWindowHooks hooks, QWidget* parent)
    : QMainWindow(parent),
      startup_(std::move(startup)),
      temporaries_(SaveTemporaries::OfDataFolder(S(startup_.folders.data))),
      messages_(messages),
      dialogs_(dialogs),
      hooks_(std::move(hooks)),
      import_pending_(startup_.import_mode) {
  setObjectName(QStringLiteral("frm設計値入力"));
  families_ = hooks_.families ? hooks_.families : &ProgramFamilies();
  BuildWindow();
  for (WallFamily f : kWallFamilies) {
    if (families_->Of(f).sketch) sketch_->SetDrawer(CodeOf(f), families_->Of(f).sketch);
    verdicts_->SetFamily(CodeOf(f), families_->Of(f).checks, families_->Of(f).window);
  }
  LoadWindow();
}

InputWindow::~InputWindow() = default;

std::unique_ptr<QSettings> InputWindow::Settings() const { return OpenUserSettings(); }

void InputWindow::BuildWindow() {
  // Disabled inputs take the button face, disabled labels a mid grey.
  QPalette pal = palette();
  pal.setColor(QPalette::Disabled, QPalette::Base, pal.color(QPalette::Active, QPalette::Button));
  pal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(128, 128, 128));
  pal.setColor(QPalette::Disabled, QPalette::Text, QColor(128, 128, 128));
  setPalette(pal);

  BuildToolbar();
  BuildMenu();

  auto* central = new QWidget;
  auto* v = new QVBoxLayout(central);
  v->setContentsMargins(12, 4, 12, 2);
  v->setSpacing(4);

  auto* selector = new QHBoxLayout;
  selector->setSpacing(4);
  for (int i = 0; i < 4; ++i) {
    auto* button = new QPushButton(QString::fromUtf8(kPages[i].button));
    button->setObjectName(QStringLiteral("optGrpSel(%1)").arg(i));
    button->setCheckable(true);
    button->setAutoExclusive(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setMinimumSize(150, 30);
    connect(button, &QPushButton::clicked, this, [this, i] { SelectPage(i); });
    page_buttons_[i] = button;
    selector->addWidget(button);
  }
  v->addLayout(selector);

  // The project name stands beside the page buttons, which leaves the pages their height.
  name_banner_ = new QLineEdit;
  name_banner_->setObjectName(QStringLiteral("txtlblCNam"));
  name_banner_->setReadOnly(true);
  name_banner_->setFrame(false);
  name_banner_->setFocusPolicy(Qt::NoFocus);
  QPalette banner = name_banner_->palette();
  banner.setColor(QPalette::Base, banner.color(QPalette::Window));
  name_banner_->setPalette(banner);
  selector->addSpacing(12);
  selector->addWidget(name_banner_, 1);

  pages_ = new QStackedWidget;
  const std::array<std::function<QWidget*()>, 4> builders = {
      [this] { return BuildProjectPage(); }, [this] { return BuildShapePage(); },
      [this] { return BuildConditionsPage(); }, [this] { return BuildMaterialsPage(); }};
  for (int i = 0; i < 4; ++i) {
    auto* frame = new QFrame;
    frame->setObjectName(QStringLiteral("frmInput(%1)").arg(i));
    auto* fl = new QVBoxLayout(frame);
    fl->setContentsMargins(0, 0, 0, 0);
    fl->setSpacing(6);
    auto* caption = new QLabel(QString::fromUtf8(kPages[i].caption));
    caption->setObjectName(QStringLiteral("lblPageCaption(%1)").arg(i));
    QFont f = caption->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.25);
    caption->setFont(f);
    caption->setStyleSheet(
        QStringLiteral("padding: 1px 8px; background: #dfe6ee; border: 1px solid #9aa8b8;"));
    fl->addWidget(caption);
    // A page larger than the window scrolls, so that the status bar stays on a laptop screen.
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("scrInput(%1)").arg(i));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(builders[i]());
    fl->addWidget(scroll, 1);
    pages_->addWidget(frame);
  }
  v->addWidget(pages_, 1);
  setCentralWidget(central);

  BuildStatusBar();
  BuildFocusList();
  ConnectVerdictUpdates();
  connect(bar_grade_, &QComboBox::currentIndexChanged, this, &InputWindow::OnBarGradeChanged);
  page_buttons_[0]->setChecked(true);
  ApplyTooltips();
  // The date picker speaks Japanese whatever the desktop's language.
  const QLocale japanese(QLocale::Japanese, QLocale::Japan);
  date_->setLocale(japanese);
  if (QCalendarWidget* calendar = date_->calendarWidget()) calendar->setLocale(japanese);
  {
    // The file last opened or saved stays named after a restart, with the mark of changes the
    // last session did not save.
    auto settings = Settings();
    const QStringList recent = settings->value(QString::fromLatin1(kKeyRecentFiles)).toStringList();
    // A file removed since then is not named: the next save asks for a name.
    if (!recent.isEmpty() && QFileInfo::exists(recent.front())) project_file_ = recent.front();
    last_file_modified_ =
        !project_file_.isEmpty() &&
        settings->value(QString::fromLatin1(kKeyLastFileModified), false).toBool();
  }
  SetProjectFile(project_file_);
  // The pages scroll when the window is smaller than them; the first size fits the screen.
  QSize size(1000, 740);
  if (QScreen* s = screen()) {
    const QSize room = s->availableGeometry().size() - QSize(16, 40);  // the window frame
    size = size.boundedTo(room).expandedTo(minimumSizeHint());
  }
  resize(size);
}

void InputWindow::BuildToolbar() {
  auto* bar = new QToolBar(QStringLiteral("Toolbar1"), this);
  bar->setObjectName(QStringLiteral("Toolbar1"));
  bar->setMovable(false);
  bar->setFloatable(false);
  bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  bar->setIconSize(QSize(24, 24));
  bar->setContextMenuPolicy(Qt::PreventContextMenu);
  addToolBar(Qt::TopToolBarArea, bar);
  struct ButtonSpec {
    const char* caption;
    const char* key;
    const char* tooltip;
    const char* image;
    QKeySequence shortcut;
    std::function<void()> command;
  };
  const ButtonSpec buttons[] = {
      {"新規作成", "New", "新規作成", "New", QKeySequence::New, [this] { NewProject(); }},
      {"開く", "Open", "開く", "Open", QKeySequence::Open, [this] { OpenProject(); }},
      {"保存", "menu保存", "上書き保存", "Save", QKeySequence::Save, [this] { SaveProject(); }},
      {"印刷", "Print", "印刷", "Print", QKeySequence::Print, [this] { RunCalculation(true); }},
      {"計算・表示", "Preview", "印刷プレビュー", "Preview", QKeySequence(Qt::Key_F5),
       [this] { RunCalculation(false); }},
  };
  for (const auto& b : buttons) {
    auto* action =
        new QAction(ToolbarIcon(QString::fromUtf8(b.image)), QString::fromUtf8(b.caption), this);
    action->setObjectName(QString::fromUtf8(b.key));
    action->setToolTip(QString::fromUtf8(b.tooltip));
    action->setShortcut(b.shortcut);
    auto command = b.command;
    connect(action, &QAction::triggered, this, [command] { command(); });
    if (QString::fromUtf8(b.key) == QLatin1String("Print")) bar->addSeparator();
    bar->addAction(action);
    actions_[action->objectName()] = action;
  }
}

void InputWindow::BuildMenu() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  file->setObjectName(QStringLiteral("mnuFile"));
  file->addAction(actions_.at(QStringLiteral("New")));
  file->addAction(actions_.at(QStringLiteral("Open")));
  QAction* save =
      file->addAction(QStringLiteral("上書き保存(&S)"), this, [this] { SaveProject(); });
  save->setObjectName(QStringLiteral("mnuSave"));
  QAction* save_as =
      file->addAction(QStringLiteral("名前を付けて保存(&A)..."), this, [this] { SaveProjectAs(); });
  save_as->setObjectName(QStringLiteral("SaveAs"));
  save_as->setShortcut(QKeySequence::SaveAs);
  actions_[save_as->objectName()] = save_as;
  file->addSeparator();
  recent_menu_ = file->addMenu(QStringLiteral("最近使ったファイル(&R)"));
  recent_menu_->setObjectName(QStringLiteral("mnuRecent"));
  file->addSeparator();
  file->addAction(actions_.at(QStringLiteral("Print")));
  file->addAction(actions_.at(QStringLiteral("Preview")));
  file->addSeparator();
  file->addAction(QStringLiteral("終了(&X)"), this, [this] { close(); });

  QMenu* edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
  edit->setObjectName(QStringLiteral("mnuEdit"));
  QAction* undo = edit->addAction(QStringLiteral("元に戻す(&U)"), this, [this] { Undo(); });
  undo->setObjectName(QStringLiteral("Undo"));
  undo->setShortcut(QKeySequence::Undo);
  QAction* redo = edit->addAction(QStringLiteral("やり直し(&R)"), this, [this] { Redo(); });
  redo->setObjectName(QStringLiteral("Redo"));
  QList<QKeySequence> redo_keys = QKeySequence::keyBindings(QKeySequence::Redo);
  if (!redo_keys.contains(QKeySequence(Qt::CTRL | Qt::Key_Y))) {
    redo_keys.prepend(QKeySequence(Qt::CTRL | Qt::Key_Y));
  }
  redo->setShortcuts(redo_keys);
  actions_[undo->objectName()] = undo;
  actions_[redo->objectName()] = redo;
  RebuildRecentMenu();
}

namespace {

// The usual allowable tensile stress under normal loads (N/mm2) of each grade, in list order of
// the bar types, and the bars' Young's modulus; the engineer's own values are never replaced.
struct GradeValues {
  std::string_view grade;
  float sigma_sa;
};
constexpr GradeValues kGradeValues[] = {{"SR24", 140}, {"SR30", 180}, {"SD24", 140},
                                        {"SD30", 180}, {"SD35", 180}, {"SD40", 200}};
constexpr float kBarYoungModulus = 200000;  // N/mm2

bool EmptyBox(const QLineEdit* box) {
  const std::string t = box->text().trimmed().toStdString();
  return t.empty() || (IsNumberText(t) && ReadNumber(t) == 0);
}

}  // namespace

void InputWindow::OnBarGradeChanged(int index) {
  if (loading_ || restoring_ || index < 0) return;
  const std::string_view grade = BarGradeName(bar_kind_->currentIndex(), index);
  const bool si = unit_state_ == static_cast<int>(UnitState::SI);
  const float factor = si ? 1.0f : 10.0f;  // N/mm2 to kg/cm2, as the unit switch converts
  for (const GradeValues& g : kGradeValues) {
    if (g.grade != grade) continue;
    for (QLineEdit* box : {sigma_sa_, sigma_saT_}) {
      if (EmptyBox(box)) box->setText(Q(FormatValue(g.sigma_sa * factor, kFmt0)));
    }
    if (EmptyBox(es_)) es_->setText(Q(FormatValue(kBarYoungModulus * factor, kFmt0)));
  }
  RecordUndoStep();
}

QStringList InputWindow::RecentFiles() const {
  return Settings()->value(QString::fromLatin1(kKeyRecentFiles)).toStringList();
}

void InputWindow::RememberRecentFile(const QString& path) {
  auto settings = Settings();
  QStringList recent = settings->value(QString::fromLatin1(kKeyRecentFiles)).toStringList();
  const QString absolute = QFileInfo(path).absoluteFilePath();
  recent.removeIf([&](const QString& p) { return p == absolute || SamePath(p, absolute); });
  recent.prepend(absolute);
  while (recent.size() > kRecentFileCount) recent.removeLast();
  settings->setValue(QString::fromLatin1(kKeyRecentFiles), recent);
  settings->sync();
  RebuildRecentMenu();
}

void InputWindow::RebuildRecentMenu() {
  if (!recent_menu_) return;
  recent_menu_->clear();
  const QStringList recent = RecentFiles();
  for (int i = 0; i < recent.size(); ++i) {
    const QString path = recent[i];
    QAction* a = recent_menu_->addAction(
        QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)), this,
        [this, path] { OpenRecentFile(path); });
    a->setObjectName(QStringLiteral("mnuRecent(%1)").arg(i));
  }
  recent_menu_->setEnabled(!recent.isEmpty());
}

void InputWindow::ApplyTooltips() {
  const bool si = unit_label_ == nullptr ||
                  unit_label_->text() ==
                      QString::fromUtf8(kUnitTextSI.data(), static_cast<int>(kUnitTextSI.size()));
  for (auto& [box, rule] : box_rules_) {
    if (const NumberBoxRule* rule = FindNumberBoxRule(S(box->objectName()))) {
      box->setToolTip(Q(rule->Label(si) + "：" + AcceptedRangeText(*rule, si) +
                        (rule->whole ? "（整数）" : "")));
    }
  }
}

void InputWindow::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("StatusBar1"));
  bar->setSizeGripEnabled(false);
  auto panel = [bar](const QString& text, const QString& name, int stretch) {
    auto* label = new QLabel(text);
    label->setObjectName(name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setContentsMargins(6, 0, 6, 0);
    bar->addPermanentWidget(label, stretch);
    return label;
  };
  panel(QString::fromLatin1(kRevision), QStringLiteral("pnlRevision"), 0);
  panel(QString::fromUtf8(kProgramTitle), QStringLiteral("pnlProduct"), 1);
  panel(QStringLiteral("ver2.10"), QStringLiteral("pnlVersion"), 0);
  auto* exit = new QPushButton(QStringLiteral("終了"));
  exit->setObjectName(QStringLiteral("pnl終了"));
  exit->setFocusPolicy(Qt::NoFocus);
  exit->setMinimumWidth(80);
  bar->addPermanentWidget(exit, 0);
  connect(exit, &QPushButton::clicked, this, [this] { close(); });
}

// ---------------------------------------------------------------------------------------------
// Pages and focus

void InputWindow::SelectPage(int page) {
  if (page < 0 || page > 3) return;
  pages_->setCurrentIndex(page);
  page_buttons_[page]->setChecked(true);
  // The keyboard group follows the page: the first input that takes entries gets the focus.
  auto [first, last] = page_groups_[page];
  for (int p = first; p <= last; ++p) {
    QWidget* w = focus_list_[p].first;
    if (w->isEnabled() && !w->isHidden()) {
      w->setFocus(Qt::TabFocusReason);
      if (auto* box = qobject_cast<QLineEdit*>(w)) box->selectAll();
      break;
    }
  }
}

int InputWindow::CurrentPage() const { return pages_->currentIndex(); }

void InputWindow::MoveFocus(QWidget* from, bool backwards) {
  int pos = -1;
  for (int i = 0; i < static_cast<int>(focus_list_.size()); ++i) {
    if (focus_list_[i].first == from) pos = i;
  }
  if (pos < 0) return;
  for (const auto& [first, last] : page_groups_) {
    if (pos < first || pos > last) continue;
    int n = last - first + 1;
    for (int step = 1; step <= n; ++step) {
      int offset = ((pos - first + (backwards ? -step : step)) % n + n) % n;
      QWidget* w = focus_list_[first + offset].first;
      if (w->isEnabled() && !w->isHidden()) {
        w->setFocus(backwards ? Qt::BacktabFocusReason : Qt::TabFocusReason);
        if (auto* box = qobject_cast<QLineEdit*>(w)) box->selectAll();
        return;
      }
    }
  }
}

bool InputWindow::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (event->type() == QEvent::FocusOut) {
    auto* focus = static_cast<QFocusEvent*>(event);
    // Another window or a popup taking the focus for a moment does not leave the box.
    if (focus->reason() != Qt::ActiveWindowFocusReason && focus->reason() != Qt::PopupFocusReason) {
      if (auto* box = qobject_cast<QLineEdit*>(watched); box && box_rules_.count(box)) {
        OnBoxLeft(box);
      }
    }
  } else if (event->type() == QEvent::ShortcutOverride && widget) {
    // The boxes' own undo would undo typing in one box only: the window's undo goes across boxes.
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
        (key->key() == Qt::Key_Y && key->modifiers() == Qt::ControlModifier)) {
      event->ignore();
      return true;
    }
  } else if (event->type() == QEvent::KeyPress && widget) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Undo)) {
      Undo();
      return true;
    }
    if (key->matches(QKeySequence::Redo) ||
        (key->key() == Qt::Key_Y && key->modifiers() == Qt::ControlModifier)) {
      Redo();
      return true;
    }
    QWidget* input = widget == date_->findChild<QLineEdit*>() ? date_ : widget;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      if (auto* list = qobject_cast<QComboBox*>(input); list && list->view()->isVisible()) {
        return false;
      }
      MoveFocus(input, key->modifiers() & Qt::ShiftModifier);
      return true;
    }
    // φ takes decimals like every other box; σsaT only whole positive numbers, typed in either
    // width.
    if (input == sigma_saT_ && !key->text().isEmpty() &&
        !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      const std::string narrow = NarrowNumberText(S(key->text().left(1)));
      char16_t ch =
          narrow.size() == 1 ? static_cast<unsigned char>(narrow[0]) : key->text().at(0).unicode();
      if (ch >= 32 && ch != 127) {
        KeyFilterResult r = NumericKeyFilter(static_cast<int16_t>(ch), /*no_minus=*/true,
                                             /*no_dot=*/true);
        if (r.key == 0) {
          if (r.beep) messages_.Beep();
          return true;
        }
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void InputWindow::OnBoxLeft(QLineEdit* box) {
  if (loading_ || !isEnabled()) return;
  LeaveBox(box);
}

bool InputWindow::LeaveBox(QLineEdit* box) {
  const BoxRule& rule = box_rules_[box];
  const bool typed = box->isModified() || refused_.count(box) > 0;
  if (typed) {
    if (const NumberBoxRule* rule = FindNumberBoxRule(S(box->objectName()))) {
      if (NumberRefusal(S(box->text()), *rule, unit_state_ == static_cast<int>(UnitState::SI))) {
        // The text stays as typed; the message comes once the click or key that left the box
        // has done its work, and the box then gets the focus back.
        MarkRefused(box, true);
        refusal_pending_.insert(box);
        QMetaObject::invokeMethod(
            this,
            [this, box] {
              if (!refusal_pending_.count(box)) return;
              refusal_pending_.erase(box);
              ShowRefusalOf(box);
            },
            Qt::QueuedConnection);
        return false;
      }
    }
  }
  if (refused_.count(box)) MarkRefused(box, false);
  refusal_pending_.erase(box);
  if (box == fc_ && fc_->isModified()) DeriveConcreteStresses();
  if (typed && rule.format != InputFormat::None) {
    // The display format, unless it would round what was typed.
    QString formatted = Q(KeepingFormat(S(box->text()), rule.format));
    if (box->text() != formatted) box->setText(formatted);
  }
  box->setModified(false);
  if (box == project_name_) RefreshProjectNameBanner();
  RecordUndoStep();
  if (rule.shape) {
    // Drawn once the focus has settled on the next input, which keeps it, open list included.
    QMetaObject::invokeMethod(
        this, [this] { sketch_->ShapeInputLeft(); }, Qt::QueuedConnection);
  }
  return true;
}

void InputWindow::MarkRefused(QLineEdit* box, bool refused) {
  if (refused) {
    refused_.insert(box);
    box->setStyleSheet(QStringLiteral("QLineEdit { background: #ffd6d6; }"));
  } else {
    refused_.erase(box);
    box->setStyleSheet(QString());
  }
  RefreshVerdicts();
}

std::vector<QLineEdit*> InputWindow::RefusedBoxes() const {
  return {refused_.begin(), refused_.end()};
}

void InputWindow::ShowRefusalOf(QLineEdit* box) {
  const NumberBoxRule* rule = FindNumberBoxRule(S(box->objectName()));
  if (!rule) return;
  auto refusal =
      NumberRefusal(S(box->text()), *rule, unit_state_ == static_cast<int>(UnitState::SI));
  if (!refusal) return;
  GoToBox(box->objectName());
  messages_.Inform(*refusal);
  if (box->isEnabled() && box->isVisible()) {
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
  }
}

bool InputWindow::AcceptTypedInputs() {
  if (auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget());
      box && box_rules_.count(box) && !loading_) {
    LeaveBox(box);
  }
  // A box corrected but not yet left counts as corrected.
  for (QLineEdit* box : RefusedBoxes()) {
    const NumberBoxRule* rule = FindNumberBoxRule(S(box->objectName()));
    if (!rule ||
        !NumberRefusal(S(box->text()), *rule, unit_state_ == static_cast<int>(UnitState::SI))) {
      LeaveBox(box);
    }
  }
  if (refused_.empty()) return true;
  QLineEdit* first = *refused_.begin();
  // The first in page order.
  for (const auto& [w, name] : focus_list_) {
    if (auto* box = qobject_cast<QLineEdit*>(w); box && refused_.count(box)) {
      first = box;
      break;
    }
  }
  refusal_pending_.erase(first);
  ShowRefusalOf(first);
  return false;
}

bool InputWindow::GoToBox(const QString& object_name) {
  auto* box = pages_->findChild<QWidget*>(object_name);
  if (!box) return false;
  for (int page = 0; page < pages_->count(); ++page) {
    if (pages_->widget(page)->isAncestorOf(box)) {
      if (pages_->currentIndex() != page) {
        pages_->setCurrentIndex(page);
        page_buttons_[page]->setChecked(true);
      }
      break;
    }
  }
  if (box->isEnabled() && !box->isHidden()) {
    box->setFocus(Qt::OtherFocusReason);
    if (auto* line = qobject_cast<QLineEdit*>(box)) line->selectAll();
    for (QWidget* w = box->parentWidget(); w; w = w->parentWidget()) {
      if (auto* scroll = qobject_cast<QScrollArea*>(w)) {
        scroll->ensureWidgetVisible(box);
        break;
      }
    }
  }
  return true;
}

void InputWindow::RecordUndoStep() {
  if (loading_ || restoring_) return;
  WindowInputs now = CollectInputs();
  now.sync_draw = true;
  if (!undo_.empty() && undo_.back() == now) return;
  undo_.push_back(std::move(now));
  // A long session keeps the last 200 steps.
  if (undo_.size() > 200) undo_.erase(undo_.begin());
  redo_.clear();
  UpdateTitle();
}

void InputWindow::Undo() {
  if (!isEnabled()) return;
  if (auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget());
      box && box_rules_.count(box) && box->isModified()) {
    // Typing not yet left is a step of its own: it is undone first.
    if (!LeaveBox(box)) {
      // A refused text goes back to the box's last accepted value.
      if (!undo_.empty()) ShowUndoState();
      return;
    }
  }
  if (undo_.size() < 2) {
    messages_.Beep();
    return;
  }
  redo_.push_back(undo_.back());
  undo_.pop_back();
  ShowUndoState();
  RefreshVerdicts();
  UpdateTitle();
}

void InputWindow::Redo() {
  if (!isEnabled()) return;
  if (redo_.empty()) {
    messages_.Beep();
    return;
  }
  undo_.push_back(redo_.back());
  redo_.pop_back();
  ShowUndoState();
}

void InputWindow::ShowUndoState() {
  WindowInputs state = undo_.back();
  state.sync_draw = sketch_->SyncDraw();  // a view option, not a step
  restoring_ = true;
  ShowInputs(state);
  restoring_ = false;
  refusal_pending_.clear();
  for (QLineEdit* box : RefusedBoxes()) MarkRefused(box, false);
  RedrawSketch();
  RefreshVerdicts();
  UpdateTitle();
}

void InputWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (activated_once_) return;
  activated_once_ = true;
  // Drawn here, not when built: the drawers and the checks are given to the window after it is
  // built.
  RedrawSketch();
  RefreshVerdicts();
  SelectPage(0);
  project_name_->setFocus(Qt::ActiveWindowFocusReason);
  project_name_->selectAll();
}

// ---------------------------------------------------------------------------------------------
// Loading and writing

void InputWindow::LoadWindow() { LoadWindowFrom(true); }

void InputWindow::LoadWindowFrom(bool allow_import) {
  bool was_loading = loading_;
  loading_ = true;
  sketch_->ResetForLoad();
  SetProjectFile(project_file_);
  const QString working = startup_.working_database_path;
  std::optional<WindowInputs> loaded;
  try {
    if (!QFileInfo::exists(working)) {
      QDir().mkpath(startup_.folders.data);
      CreateProjectDatabase(S(working));
    }
    if (!startup_.import_mode) {
      try {
        CopyDatabaseFile(S(working), S(startup_.scratch_database_path), temporaries_);  // snapshot
      } catch (const ProjectError&) {
        // The snapshot is a convenience; loading goes on without it.
      }
    }
    ProjectDatabase db = ProjectDatabase::Open(S(working));
    auto settings = Settings();
    CoverSettings cover;
    cover.office_name = S(settings->value(QString::fromLatin1(kKeyOfficeName)).toString());
    const auto on = [&](const char* key) {
      return settings->value(QString::fromLatin1(key), QStringLiteral("1")).toString().trimmed() !=
             QLatin1String("0");
    };
    cover.print_project_name = on(kKeyPrintProjectName);
    cover.print_office_name = on(kKeyPrintOfficeName);
    cover.print_date = settings->value(QString::fromLatin1(kKeyPrintDate), QStringLiteral("1"))
                           .toString()
                           .trimmed() != QLatin1String("0");
    loaded = LoadWindowInputs(db, cover);
  } catch (const ProjectError& e) {
    loading_ = was_loading;
    ShowFileError(QString::fromUtf8(kCannotRead), working, e);
    return;
  }
  WindowInputs in = std::move(*loaded);
  in.sync_draw = sketch_->SyncDraw();
  if (allow_import && import_pending_) {
    import_pending_ = false;
    const QString record = QDir::current().filePath(QString::fromLatin1(kOlderFormatFileName));
    if (!QFileInfo::exists(record)) {
      // Without its record file the imported project page starts empty.
      // The cover choices keep their defaults: a new machine prints the name, office and date.
      in.project_name.clear();
      in.office_name.clear();
    } else if (hooks_.import_record) {
      try {
        hooks_.import_record(record, in);
      } catch (const std::exception& e) {
        ShowFileError(QString::fromUtf8(kCannotImportRecord), record, e);
      }
    }
  }
  ShowInputs(in);
  loading_ = was_loading;
  for (QLineEdit* box : RefusedBoxes()) MarkRefused(box, false);
  refusal_pending_.clear();
  ApplyEnablingRules();
  sketch_->ToggleSyncDraw();
  RedrawSketch();
  RefreshVerdicts();
  MarkSaved();
  if (last_file_modified_) {
    // The last session ended without saving its changes to the file the title names.
    saved_inputs_ = WindowInputs{};
    last_file_modified_ = false;
  }
  undo_.clear();
  redo_.clear();
  RecordUndoStep();
  UpdateTitle();
  emit projectLoaded();
}

void InputWindow::MarkSaved() {
  saved_inputs_ = CollectInputs();
  UpdateTitle();
}

bool InputWindow::HasUnsavedChanges() const { return !SameProject(CollectInputs(), saved_inputs_); }

void InputWindow::SetProjectFile(const QString& path) {
  project_file_ = path;
  UpdateTitle();
}

void InputWindow::UpdateTitle() {
  // Two projects on screen are told apart by the file each shows; "＊" marks changes not saved.
  QString caption = WindowCaption(kInputWindowKind).value_or(QString());
  if (!project_file_.isEmpty())
    caption += QStringLiteral(" - ") + QFileInfo(project_file_).fileName();
  if (project_name_ != nullptr && HasUnsavedChanges()) caption += QStringLiteral(" ＊");
  if (windowTitle() != caption) setWindowTitle(caption);
}

bool InputWindow::AskSaveFirst() {
  messages_.Beep();
  MessageAnswer answer =
      messages_.Show(MessageIcon::Question, MessageButtons::YesNoCancel, kFullTitle,
                     "データを初期化します｡現在のデータを保存しますか？");
  if (answer == MessageAnswer::Cancel) return false;
  // A save that did not happen (cancelled or failed) keeps the current project.
  return answer != MessageAnswer::Yes || SaveProject();
}

bool InputWindow::AskSaveBeforeClose() {
  messages_.Beep();
  MessageAnswer answer = messages_.Show(MessageIcon::Question, MessageButtons::SaveDiscardCancel,
                                        kFullTitle, kSaveBeforeClose);
  if (answer == MessageAnswer::Cancel) return false;
  return answer != MessageAnswer::Yes || SaveProject();
}

bool InputWindow::WriteWindowToDatabase() {
  // A refused text is never written: the command stops at its box.
  if (!AcceptTypedInputs()) return false;
  WindowInputs in = CollectInputs();
  {
    auto settings = Settings();
    settings->setValue(QString::fromLatin1(kKeyOfficeName), Q(in.office_name));
    settings->setValue(QString::fromLatin1(kKeyPrintProjectName),
                       in.print_project_name ? QStringLiteral("1") : QStringLiteral("0"));
    settings->setValue(QString::fromLatin1(kKeyPrintOfficeName),
                       in.print_office_name ? QStringLiteral("1") : QStringLiteral("0"));
    settings->setValue(QString::fromLatin1(kKeyPrintDate),
                       in.print_date ? QStringLiteral("1") : QStringLiteral("0"));
    settings->sync();
  }
  const QString working = startup_.working_database_path;
  try {
    if (!QFileInfo::exists(working)) {
      QDir().mkpath(startup_.folders.data);
      CreateProjectDatabase(S(working));
    }
    ProjectDatabase db = ProjectDatabase::Open(S(working));
    WriteWindowInputs(in, db);
  } catch (const ProjectError& e) {
    ShowFileError(QString::fromUtf8(kCannotWrite), working, e);
    return false;
  }
  return true;
}

void InputWindow::ShowFileError(const QString& what, const QString& path, const std::exception& e) {
  QString text = what + QStringLiteral("\r\n") + QDir::toNativeSeparators(path) +
                 QStringLiteral("\r\n\r\n詳細：") + Q(DetailText(e));
  messages_.Beep();
  messages_.Show(MessageIcon::Warning, MessageButtons::Ok, kFullTitle, S(text));
}

void InputWindow::CopyD1ToD3() {
  // The box being typed in counts as left before any command reads the inputs.
  if (auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget());
      box && box_rules_.count(box) && !loading_ && box->isModified()) {
    LeaveBox(box);
  }
  if (d_[3]->text() != d_[1]->text()) d_[3]->setText(d_[1]->text());
}

// ---------------------------------------------------------------------------------------------
// Commands

void InputWindow::NewProject() {
  CopyD1ToD3();
  if (!AskSaveFirst()) return;
  CommandGuard guard(this);
  const QString working = startup_.working_database_path;
  // The empty database is made beside the working one and then put in its place, so that a
  // failure leaves the current project file as it was. (SQLite writes the file itself, through its
  // own file layer, so QSaveFile cannot carry it.)
  const std::string fresh = temporaries_.NewNameFor(S(working));
  try {
    QDir().mkpath(startup_.folders.data);
    CreateProjectDatabase(fresh);
    std::error_code ec;
    std::filesystem::rename(fresh, S(working), ec);
    if (ec) throw ProjectError(FileFault::kCannotReplace, {S(working), ec.message()});
  } catch (const ProjectError& e) {
    RemoveFile(Q(fresh));
    ShowFileError(QString::fromUtf8(kCannotCreate), working, e);
    return;
  }
  project_file_.clear();
  last_file_modified_ = false;
  LoadWindowFrom(false);
}

void InputWindow::OpenProject() {
  CopyD1ToD3();
  // Opening replaces what the window holds: changes since the last Save or Open are asked for.
  if (HasUnsavedChanges() && !AskSaveFirst()) return;
  std::optional<QString> chosen;
  const bool offer_records = startup_.import_mode && static_cast<bool>(hooks_.import_record);
  {
    CommandGuard guard(this);
    QDir().mkpath(startup_.folders.saved_data);
    FileDialogRequest request;
    request.title = QStringLiteral("データを読み込む");
    // Project files come first, so that the dialog opens listing them.
    request.filter = offer_records ? QStringLiteral("擁壁計算データ|*.mdb|旧形式データ|*.dat")
                                   : QStringLiteral("擁壁計算データ|*.mdb");
    request.initial_folder = startup_.folders.saved_data;
    request.must_exist = true;
    chosen = dialogs_.OpenFileName(request);
    QDir::setCurrent(startup_.folders.program);
  }
  if (!chosen || chosen->isEmpty()) return;

  if (offer_records && chosen->endsWith(QStringLiteral(".dat"), Qt::CaseInsensitive)) {
    // An older-format record is read into the window; the working database stays as it is
    // until the window writes it.
    CommandGuard guard(this);
    WindowInputs in = CollectInputs();
    try {
      hooks_.import_record(*chosen, in);
    } catch (const std::exception& e) {
      ShowFileError(QString::fromUtf8(kCannotImportRecord), *chosen, e);
      return;
    }
    ShowInputs(in);
    RedrawSketch();
    MarkSaved();
    undo_.clear();
    RecordUndoStep();
    return;
  }
  OpenProjectFile(*chosen);
}

void InputWindow::OpenRecentFile(const QString& path) {
  CopyD1ToD3();
  if (!QFileInfo::exists(path)) {
    messages_.Beep();
    messages_.Show(MessageIcon::Warning, MessageButtons::Ok, kFullTitle,
                   std::string(kRecentMissing) + "\r\n" + S(QDir::toNativeSeparators(path)));
    return;
  }
  if (HasUnsavedChanges() && !AskSaveFirst()) return;
  OpenProjectFile(path);
}

bool InputWindow::OpenProjectFile(const QString& path) {
  CommandGuard guard(this);
  // Only a project database may replace the working one.
  try {
    CheckProjectFile(S(path));
  } catch (const ProjectError& e) {
    ShowFileError(QString::fromUtf8(kNotAProject), path, e);
    return false;
  }
  const QString working = startup_.working_database_path;
  if (!SamePath(path, working)) {
    try {
      CopyProjectFile(S(path), S(working), temporaries_);
    } catch (const ProjectError& e) {
      ShowFileError(QString::fromUtf8(kCannotCopy), working, e);
      return false;
    }
  }
  project_file_ = QFileInfo(path).absoluteFilePath();
  last_file_modified_ = false;
  LoadWindowFrom(false);
  RememberRecentFile(project_file_);
  return true;
}

bool InputWindow::SaveProject() {
  // Over the open project file when there is one; a new project is named first.
  if (project_file_.isEmpty()) return SaveProjectAs();
  CopyD1ToD3();
  CommandGuard guard(this);
  return SaveTo(project_file_);
}

bool InputWindow::SaveProjectAs() {
  CopyD1ToD3();
  CommandGuard guard(this);
  // Checked before the dialog, so that a refused box is corrected first.
  if (!AcceptTypedInputs()) return false;
  auto settings = Settings();
  QString initial;
  QString proposed;
  if (!project_file_.isEmpty() && QFileInfo(project_file_).dir().exists()) {
    // The open file's name in its folder.
    initial = QFileInfo(project_file_).absolutePath();
    proposed = QFileInfo(project_file_).fileName();
  } else {
    initial = settings->value(QString::fromLatin1(kKeyDataPass)).toString();
    if (initial.trimmed().isEmpty() || !QFileInfo::exists(initial)) {
      initial = startup_.folders.saved_data;
      QDir().mkpath(initial);
      QDir::setCurrent(startup_.folders.program);
    }
    const QString load_file_key = QString::fromLatin1(kKeyLoadFile);
    proposed = settings->contains(load_file_key) ? settings->value(load_file_key).toString()
                                                 : Q(ProposedFileName(S(project_name_->text())));
  }
  FileDialogRequest request;
  request.title = QStringLiteral("データを保存する");
  request.filter = QStringLiteral("擁壁計算データ|*.mdb");
  request.initial_folder = initial;
  request.proposed_name = proposed;
  request.default_suffix = QStringLiteral("mdb");
  request.confirm_overwrite = true;
  std::optional<QString> chosen = dialogs_.SaveFileName(request);
  QDir::setCurrent(startup_.folders.program);
  if (!chosen || chosen->trimmed().isEmpty()) return false;
  QString target = *chosen;
  if (QFileInfo(target).suffix().isEmpty()) target += QStringLiteral(".mdb");
  if (QFileInfo(target).isRelative()) target = QDir(initial).filePath(target);
  return SaveTo(target);
}

bool InputWindow::SaveTo(const QString& target) {
  // The file saved holds what the window shows now.
  if (!WriteWindowToDatabase()) return false;

  // The older-format record of the project goes to the data folder with every save.
  const QString record =
      QDir(startup_.folders.data).filePath(QString::fromLatin1(kOlderFormatFileName));
  if (hooks_.export_record) {
    try {
      hooks_.export_record(CollectInputs(), record);
    } catch (const std::exception& e) {
      ShowFileError(QString::fromUtf8(kCannotExportRecord), record, e);
    }
  }

  const QString working = startup_.working_database_path;
  const QString scratch = startup_.scratch_database_path;
  try {
    // Compacted into the scratch file, then copied whole to the chosen file (through a temporary
    // file and a rename) and back over the working database.
    CompactDatabase(S(working), S(scratch));
    CopyDatabaseFile(S(scratch), S(target), temporaries_);
    if (!SamePath(target, working)) CopyDatabaseFile(S(scratch), S(working), temporaries_);
  } catch (const ProjectError& e) {
    if (!SamePath(target, scratch)) RemoveFile(scratch);
    ShowFileError(QString::fromUtf8(kCannotSave), target, e);
    return false;
  }
  if (!SamePath(target, scratch)) RemoveFile(scratch);
  SetProjectFile(QFileInfo(target).absoluteFilePath());
  MarkSaved();
  RememberRecentFile(project_file_);
  statusBar()->showMessage(
      QStringLiteral("保存しました：") + QDir::toNativeSeparators(project_file_), 8000);
  return true;
}

std::array<FamilyDimensions, 3> InputWindow::FamilyMemory() const {
  WindowInputs in = CollectInputs();
  SaveShownDimensions(in);
  return in.memory;
}

void InputWindow::RunCalculation(bool print_directly) {
  CopyD1ToD3();
  if (!AcceptTypedInputs()) return;
  WindowInputs in = CollectInputs();
  // A refused input takes the engineer to the page and box its message names.
  class RememberingSink : public MessageSink {
   public:
    explicit RememberingSink(MessageSink& target) : target_(target) {}
    void Beep() override { target_.Beep(); }
    MessageAnswer Show(MessageIcon icon, MessageButtons buttons, const std::string& title,
                       const std::string& text) override {
      last = text;
      return target_.Show(icon, buttons, title, text);
    }
    std::string last;

   private:
    MessageSink& target_;
  } remembering(messages_);
  if (!ktv::ValidateInputs(in, families_->Of(in.family).window, remembering)) {
    const QString box = BoxOfMessage(remembering.last);
    if (!box.isEmpty()) GoToBox(box);
    return;
  }
  // The report reads the memory of a family for its figures: the shown family's entry is what
  // the boxes hold now.
  SaveShownDimensions(in);
  print_directly_ = print_directly;
  wall_family_ = in.family;
  CommandGuard guard(this);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  struct CursorRestore {
    ~CursorRestore() { QApplication::restoreOverrideCursor(); }
  } restore;
  if (!WriteWindowToDatabase()) return;
  RunReport(print_directly, in);
}

void InputWindow::RunReport(bool print_directly, const WindowInputs& inputs) {
  if (!hooks_.run_report) {
    messages_.Inform(kNoReportBuilder);
    return;
  }
  ReportRequest request{print_directly, wall_family_, &inputs, this};
  try {
    hooks_.run_report(request);
  } catch (const CalculationError& e) {
    messages_.Inform(e.what());
  } catch (const ProjectError& e) {
    ShowFileError(QString::fromUtf8(kCannotRead), startup_.working_database_path, e);
  } catch (const std::exception& e) {
    messages_.Beep();
    messages_.Show(MessageIcon::Critical, MessageButtons::Ok, kFullTitle,
                   std::string(kCalculationFailed) + "\r\n" + e.what());
  }
}

void InputWindow::RedrawSketch() { sketch_->DrawSketch(); }

void InputWindow::RefreshVerdicts() {
  // A refused text is not computed with: the panel says what the box accepts.
  for (const auto& [w, name] : focus_list_) {
    auto* box = qobject_cast<QLineEdit*>(w);
    if (!box || !refused_.count(box)) continue;
    if (const NumberBoxRule* rule = FindNumberBoxRule(S(box->objectName()))) {
      if (auto refusal = NumberRefusal(S(box->text()), *rule,
                                       unit_state_ == static_cast<int>(UnitState::SI))) {
        WallChecks refused;
        refused.error = *refusal;
        verdicts_->Show(refused);
        return;
      }
    }
  }
  verdicts_->Update(CollectInputs());
}

QString InputWindow::BoxOfCheck(const CheckRow& row) const {
  const bool seismic = row.load_case == CheckCase::Seismic;
  const WallFamily family = SelectedFamily();
  switch (row.kind) {
    case CheckKind::Overturning:
      // The base width decides the eccentricity's limit.
      return family == WallFamily::Gravity   ? QStringLiteral("txtT(1)")
             : family == WallFamily::Leaning ? QStringLiteral("txtB")
                                             : QStringLiteral("txtL(2)");
    case CheckKind::Sliding:
      return seismic ? QStringLiteral("txtqa_E(1)") : QStringLiteral("txtqa_R(1)");
    case CheckKind::Bearing:
      return seismic ? QStringLiteral("txtqa_E(0)") : QStringLiteral("txtqa_R(0)");
    case CheckKind::Stress:
      break;
  }
  const std::string& item = row.item;
  if (item.rfind("τ", 0) == 0) return QStringLiteral("txtτa");
  if (item.rfind("σs", 0) == 0) {
    return row.section.rfind("A-A", 0) == 0 || row.section.rfind("B-B", 0) == 0
               ? QStringLiteral("txtσsa")
               : QStringLiteral("txtσsaT");
  }
  // A tension is checked against σcat, a compression against σcac.
  if (family == WallFamily::Leaning && row.section.rfind("B-B", 0) == 0) {
    return QStringLiteral("txtσcat");
  }
  if (family == WallFamily::Gravity && row.value < 0) return QStringLiteral("txtσcat");
  return QStringLiteral("txtσcac");
}

QString InputWindow::BoxOfMessage(const std::string& text) const {
  // A refusal of a typed text names its box first.
  for (QLineEdit* box : RefusedBoxes()) {
    if (const NumberBoxRule* rule = FindNumberBoxRule(S(box->objectName()))) {
      const bool si = unit_state_ == static_cast<int>(UnitState::SI);
      if (text.rfind("「" + rule->Label(si) + "」", 0) == 0) return box->objectName();
    }
  }
  // The checks' messages start with the box's name in the keyboard list.
  QString best;
  size_t best_length = 0;
  for (const auto& [w, name] : focus_list_) {
    const std::string n = S(name);
    if (n.size() > best_length && text.rfind(n, 0) == 0) {
      best = w->objectName();
      best_length = n.size();
    }
  }
  if (!best.isEmpty()) return best;
  // A dimension check names its condition after the line break, its first box first ("H0 ≧ …"),
  // and a limit of the calculation starts with the box's label ("H0の値 …").
  const std::pair<const char*, QLineEdit*> dimensions[] = {
      {"T1", t_[0]}, {"T2", t_[1]}, {"T3", t_[2]}, {"L1", l_[0]}, {"L2", l_[1]},
      {"L3", l_[2]}, {"H0", h_[0]}, {"D0", d_[0]}, {"D1", d_[1]}, {"D2", d_[2]},
      {"D3", d_[1]}, {"D4", d_[4]}, {"B", b_}};
  const size_t named = text.find("寸法") != std::string::npos ? text.find('\n') : std::string::npos;
  const std::string lead = named != std::string::npos ? text.substr(named + 1) : text;
  for (const auto& [name, box] : dimensions) {
    const std::string n(name);
    if (lead.rfind(n + " ", 0) == 0 || lead.rfind(n + "の値", 0) == 0) return box->objectName();
  }
  if (text.find("寸法") != std::string::npos) {
    for (QLineEdit* box :
         {t_[0], t_[1], t_[2], l_[0], l_[1], l_[2], h_[0], d_[0], d_[1], d_[2], d_[4], b_}) {
      if (box->isEnabled()) return box->objectName();
    }
  }
  const std::pair<const char*, QLineEdit*> keys[] = {
      {"kh", kh_}, {"@", ctc_[0]}, {"ヤング係数", ec_}, {"β", beta_},
      {"φ", phi_}, {"Fc", fc_},    {"γ", gamma_},
  };
  for (const auto& [key, box] : keys) {
    if (text.find(key) != std::string::npos) return box->objectName();
  }
  return {};
}

void InputWindow::ConnectVerdictUpdates() {
  connect(verdicts_, &VerdictPanel::checkActivated, this, [this](int check) {
    const auto& rows = verdicts_->Shown().rows;
    if (check >= 0 && check < static_cast<int>(rows.size())) GoToBox(BoxOfCheck(rows[check]));
  });
  connect(verdicts_, &VerdictPanel::messageActivated, this, [this] {
    const QString box = BoxOfMessage(verdicts_->Shown().error);
    if (!box.isEmpty()) GoToBox(box);
  });
  // Every input of the four pages: a change typed or chosen recomputes the panel; changes made
  // while the window fills its own inputs wait for the refresh at the end of that.
  const auto changed = [this] {
    if (loading_) return;
    RefreshVerdicts();
    UpdateTitle();
  };
  // A list or option chosen is a step of the undo history; a box is one when it is left.
  const auto chosen = [this] { RecordUndoStep(); };
  for (QLineEdit* box : pages_->findChildren<QLineEdit*>()) {
    connect(box, &QLineEdit::textChanged, this, changed);
  }
  for (QComboBox* list : pages_->findChildren<QComboBox*>()) {
    connect(list, &QComboBox::currentIndexChanged, this, changed);
    connect(list, &QComboBox::currentIndexChanged, this, chosen);
  }
  for (QAbstractButton* button : pages_->findChildren<QAbstractButton*>()) {
    if (!button->isCheckable()) continue;
    connect(button, &QAbstractButton::toggled, this, changed);
    connect(button, &QAbstractButton::toggled, this, chosen);
  }
  connect(date_, &QDateEdit::dateChanged, this, changed);
  connect(date_, &QDateEdit::dateChanged, this, chosen);
}

bool InputWindow::ExitProgram() {
  CopyD1ToD3();
  if (HasUnsavedChanges()) {
    // Changes since the last save are not lost without being asked for.
    if (!AskSaveBeforeClose()) return false;
  } else {
    messages_.Beep();
    if (messages_.Show(MessageIcon::Question, MessageButtons::YesNo, kFullTitle,
                       "プログラムを終了します。いいですか？") != MessageAnswer::Yes) {
      return false;
    }
  }
  CommandGuard guard(this);
  if (!WriteWindowToDatabase()) {
    // The message named the file (or the box); the engineer may still end without it.
    messages_.Beep();
    if (messages_.Show(MessageIcon::Question, MessageButtons::YesNo, kFullTitle,
                       "プログラムを終了します。いいですか？") != MessageAnswer::Yes) {
      return false;
    }
  }
  {
    // The next start names the same file, marked when the working database differs from it.
    auto settings = Settings();
    settings->setValue(QString::fromLatin1(kKeyLastFileModified),
                       !project_file_.isEmpty() && HasUnsavedChanges());
    settings->sync();
  }
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w != this && w->isVisible()) w->close();
  }
  return true;
}

void InputWindow::closeEvent(QCloseEvent* event) {
  if (!exit_confirmed_) exit_confirmed_ = ExitProgram();
  if (exit_confirmed_) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace ktv
