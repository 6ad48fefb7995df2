// The window frame of the design input window and its commands: load, write, new, open, save,
// print and preview, exit.
#include "input_window/input_window.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
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
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <filesystem>
#include <system_error>

#include "app/errors.h"
#include "app/settings.h"
#include "app/units.h"
#include "families/family_table.h"
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
  page_buttons_[0]->setChecked(true);
  SetProjectFile({});
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
      {"保存", "menu保存", "保存", "Save", QKeySequence::Save, [this] { SaveProject(); }},
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
  } else if (event->type() == QEvent::KeyPress && widget) {
    auto* key = static_cast<QKeyEvent*>(event);
    QWidget* input = widget == date_->findChild<QLineEdit*>() ? date_ : widget;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      if (auto* list = qobject_cast<QComboBox*>(input); list && list->view()->isVisible()) {
        return false;
      }
      MoveFocus(input, key->modifiers() & Qt::ShiftModifier);
      return true;
    }
    if ((input == phi_ || input == sigma_saT_) && !key->text().isEmpty() &&
        !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      char16_t ch = key->text().at(0).unicode();
      if (ch >= 32 && ch != 127) {
        KeyFilterResult r =
            NumericKeyFilter(static_cast<int16_t>(ch), /*no_minus=*/input == sigma_saT_,
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
  const BoxRule& rule = box_rules_[box];
  if (box == fc_ && fc_->isModified()) DeriveConcreteStresses();
  QString formatted = Q(ApplyFormat(S(box->text()), rule.format));
  if (box->text() != formatted) box->setText(formatted);
  box->setModified(false);
  if (box == project_name_) RefreshProjectNameBanner();
  if (rule.shape) {
    // Drawn once the focus has settled on the next input, which keeps it, open list included.
    QMetaObject::invokeMethod(
        this, [this] { sketch_->ShapeInputLeft(); }, Qt::QueuedConnection);
  }
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
    cover.print_project_name =
        settings->value(QString::fromLatin1(kKeyPrintOfficeName), QStringLiteral("1"))
            .toString()
            .trimmed() != QLatin1String("0");
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
      in.project_name.clear();
      in.office_name.clear();
      in.print_project_name = false;
      in.print_date = false;
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
  ApplyEnablingRules();
  sketch_->ToggleSyncDraw();
  RedrawSketch();
  RefreshVerdicts();
  MarkSaved();
  emit projectLoaded();
}

void InputWindow::MarkSaved() { saved_inputs_ = CollectInputs(); }

bool InputWindow::HasUnsavedChanges() const { return !SameProject(CollectInputs(), saved_inputs_); }

void InputWindow::SetProjectFile(const QString& path) {
  project_file_ = path;
  // Two projects on screen are told apart by the file each shows.
  QString caption = WindowCaption(kInputWindowKind).value_or(QString());
  if (!path.isEmpty()) caption += QStringLiteral(" - ") + QFileInfo(path).fileName();
  setWindowTitle(caption);
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

bool InputWindow::WriteWindowToDatabase() {
  WindowInputs in = CollectInputs();
  {
    auto settings = Settings();
    settings->setValue(QString::fromLatin1(kKeyOfficeName), Q(in.office_name));
    settings->setValue(QString::fromLatin1(kKeyPrintOfficeName),
                       in.print_project_name ? QStringLiteral("1") : QStringLiteral("0"));
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
  LoadWindowFrom(false);
}

void InputWindow::OpenProject() {
  CopyD1ToD3();
  // Opening replaces what the window holds: changes since the last Save or Open are asked for.
  if (HasUnsavedChanges() && !AskSaveFirst()) return;
  CommandGuard guard(this);
  QDir().mkpath(startup_.folders.saved_data);
  const bool offer_records = startup_.import_mode && static_cast<bool>(hooks_.import_record);
  FileDialogRequest request;
  request.title = QStringLiteral("データを読み込む");
  // Project files come first, so that the dialog opens listing them.
  request.filter =
      offer_records ? QStringLiteral("*.mdb|*.mdb|*.dat|*.dat") : QStringLiteral("*.mdb|*.mdb");
  request.initial_folder = startup_.folders.saved_data;
  request.must_exist = true;
  std::optional<QString> chosen = dialogs_.OpenFileName(request);
  QDir::setCurrent(startup_.folders.program);
  if (!chosen || chosen->isEmpty()) return;

  if (offer_records && chosen->endsWith(QStringLiteral(".dat"), Qt::CaseInsensitive)) {
    // An older-format record is read into the window; the working database stays as it is
    // until the window writes it.
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
    return;
  }

  // Only a project database may replace the working one.
  try {
    CheckProjectFile(S(*chosen));
  } catch (const ProjectError& e) {
    ShowFileError(QString::fromUtf8(kNotAProject), *chosen, e);
    return;
  }
  const QString working = startup_.working_database_path;
  if (!SamePath(*chosen, working)) {
    try {
      CopyProjectFile(S(*chosen), S(working), temporaries_);
    } catch (const ProjectError& e) {
      ShowFileError(QString::fromUtf8(kCannotCopy), working, e);
      return;
    }
  }
  project_file_ = *chosen;
  LoadWindowFrom(false);
}

bool InputWindow::SaveProject() {
  CopyD1ToD3();
  CommandGuard guard(this);
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

  auto settings = Settings();
  QString initial = settings->value(QString::fromLatin1(kKeyDataPass)).toString();
  if (initial.trimmed().isEmpty() || !QFileInfo::exists(initial)) {
    initial = startup_.folders.saved_data;
    QDir().mkpath(initial);
    QDir::setCurrent(startup_.folders.program);
  }
  const QString load_file_key = QString::fromLatin1(kKeyLoadFile);
  FileDialogRequest request;
  request.title = QStringLiteral("データを保存する");
  request.filter = QStringLiteral(" *.mdb|*.mdb");
  request.initial_folder = initial;
  request.proposed_name = settings->contains(load_file_key)
                              ? settings->value(load_file_key).toString()
                              : Q(ProposedFileName(S(project_name_->text())));
  request.default_suffix = QStringLiteral("mdb");
  request.confirm_overwrite = true;
  std::optional<QString> chosen = dialogs_.SaveFileName(request);
  QDir::setCurrent(startup_.folders.program);
  if (!chosen || chosen->trimmed().isEmpty()) return false;
  QString target = *chosen;
  if (QFileInfo(target).suffix().isEmpty()) target += QStringLiteral(".mdb");
  if (QFileInfo(target).isRelative()) target = QDir(initial).filePath(target);

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
  SetProjectFile(target);
  MarkSaved();
  return true;
}

std::array<FamilyDimensions, 3> InputWindow::FamilyMemory() const {
  WindowInputs in = CollectInputs();
  SaveShownDimensions(in);
  return in.memory;
}

void InputWindow::RunCalculation(bool print_directly) {
  CopyD1ToD3();
  WindowInputs in = CollectInputs();
  if (!ktv::ValidateInputs(in, families_->Of(in.family).window, messages_)) return;
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

void InputWindow::RefreshVerdicts() { verdicts_->Update(CollectInputs()); }

void InputWindow::ConnectVerdictUpdates() {
  // Every input of the four pages: a change typed or chosen recomputes the panel; changes made
  // while the window fills its own inputs wait for the refresh at the end of that.
  const auto changed = [this] {
    if (!loading_) RefreshVerdicts();
  };
  for (QLineEdit* box : pages_->findChildren<QLineEdit*>()) {
    connect(box, &QLineEdit::textChanged, this, changed);
  }
  for (QComboBox* list : pages_->findChildren<QComboBox*>()) {
    connect(list, &QComboBox::currentIndexChanged, this, changed);
  }
  for (QAbstractButton* button : pages_->findChildren<QAbstractButton*>()) {
    if (button->isCheckable()) connect(button, &QAbstractButton::toggled, this, changed);
  }
}

bool InputWindow::ExitProgram() {
  CopyD1ToD3();
  messages_.Beep();
  if (messages_.Show(MessageIcon::Question, MessageButtons::YesNo, kFullTitle,
                     "プログラムを終了します。いいですか？") != MessageAnswer::Yes) {
    return false;
  }
  CommandGuard guard(this);
  if (!WriteWindowToDatabase()) {
    // The message named the file; the engineer may still end without it.
    messages_.Beep();
    if (messages_.Show(MessageIcon::Question, MessageButtons::YesNo, kFullTitle,
                       "プログラムを終了します。いいですか？") != MessageAnswer::Yes) {
      return false;
    }
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
