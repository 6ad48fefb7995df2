#pragma once
// frm設計値入力: the design input window. It owns the project's life cycle (load, write, new,
// open, save, exit), the four input pages and their checks, and hands Print and Preview over to
// the report build.
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "app/checks.h"
#include "app/startup.h"
#include "app/wall_family.h"
#include "input_window/ui_services.h"
#include "input_window/window_inputs.h"
#include "project/save_temporaries.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QSettings;

namespace ktv {

class SketchPanel;
class FamilyTable;
class ProposalDialog;
struct FamilyWindow;
class VerdictPanel;

// What the report build gets from the window.
struct ReportRequest {
  bool print_directly = false;  // Print: straight to the printer; Preview: shown first
  WallFamily wall_family = WallFamily::Gravity;
  const WindowInputs* inputs = nullptr;  // the window's inputs, as just written to the database
  QWidget* window = nullptr;             // the input window, parent of any window the build opens
};

// Connections to the parts of the program that live outside the window. Each may be left empty.
struct InputWindowHooks {
  // The wall families (their sketches, checks and window rules); null: the program's.
  const FamilyTable* families = nullptr;
  // Writes the older-format record file (record_path is "RWdata02.dat" in the data folder).
  std::function<void(const WindowInputs& inputs, const QString& record_path)> export_record;
  // Fills inputs from an older-format record file (import mode, or a *.dat chosen in Open).
  std::function<void(const QString& record_path, WindowInputs& inputs)> import_record;
  // Builds the report from the working database (written just before).
  std::function<void(const ReportRequest& request)> run_report;
};

class InputWindow : public QMainWindow {
  Q_OBJECT

 public:
  InputWindow(StartupValues startup, MessageSink& messages, FileDialogs& dialogs,
              InputWindowHooks hooks = {}, QWidget* parent = nullptr);
  ~InputWindow() override;

  // Project life cycle.
  void LoadWindow();
  bool WriteWindowToDatabase();
  void NewProject();
  void OpenProject();
  // "上書き保存": writes the open project file without a dialog ("名前を付けて保存" for a new
  // project). True when the project was saved to a file.
  bool SaveProject();
  // "名前を付けて保存": the dialog proposes the open file's name in its folder.
  bool SaveProjectAs();
  // Opens a project file without the dialog (the recent-files list); asks first about changes.
  void OpenRecentFile(const QString& path);
  // The recent-files list, newest first (at most kRecentFileCount).
  QStringList RecentFiles() const;
  static constexpr int kRecentFileCount = 8;
  void RunCalculation(bool print_directly);
  bool ExitProgram();  // asks and writes the database; true when the program may end

  // Pages.
  void SelectPage(int page);  // 0..3
  int CurrentPage() const;
  bool ValidateInputs();
  bool CheckBetaRange();
  void DeriveConcreteStresses();
  void ApplySoilClassDefaults();
  void SelectUnitSystem(bool si);
  void ConvertEnteredValues();
  void ResetToStandardSizes();  // "標準図": asks, then resets the current family's dimensions
  // "断面を提案": opens the design assistant's dialog on the present section (nothing when the
  // inputs cannot be read; their message is shown). "適用" puts its proposal into the boxes as
  // one undo step.
  ProposalDialog* OpenProposalDialog();
  void ApplyProposal(const ProjectData& proposed);

  // The sketch panel of the wall page (inside the frame "fraSketch"); it reads the shape boxes
  // whenever it draws.
  QFrame* SketchPanelHost() const { return sketch_host_; }
  SketchPanel* Sketch() const { return sketch_; }
  void RedrawSketch();
  // The verdict panel beside the sketch; RefreshVerdicts recomputes it from the current inputs
  // (every edit of an input does so, loading aside).
  VerdictPanel* Verdicts() const { return verdicts_; }
  void RefreshVerdicts();

  // State.
  WindowInputs CollectInputs() const;
  void ShowInputs(const WindowInputs& inputs);
  // The per-family memory, the shown family's entry taken from the boxes as they are now.
  std::array<FamilyDimensions, 3> FamilyMemory() const;
  bool Loading() const { return loading_; }
  int UnitState() const { return unit_state_; }  // 1 CGS, 2 SI
  float StressUnitFactor() const { return stress_unit_factor_; }
  // The family of the last Print or Preview.
  WallFamily ReportFamily() const { return wall_family_; }
  bool PrintDirectly() const { return print_directly_; }
  const StartupValues& Startup() const { return startup_; }
  // True when the inputs differ from those of the last load, New, Open or Save.
  bool HasUnsavedChanges() const;
  // The project file last opened or saved; empty after New. Kept across a restart.
  const QString& ProjectFile() const { return project_file_; }
  // The boxes whose typed text is refused (they keep the text until it is corrected).
  std::vector<QLineEdit*> RefusedBoxes() const;
  // Shows the page of a box (by object name) and gives it the focus; false when there is none.
  bool GoToBox(const QString& object_name);

 signals:
  // A project has been loaded: the sketch resets its zoom offsets.
  void projectLoaded();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class CommandGuard;
  struct BoxRule {
    InputFormat format = InputFormat::None;
    bool shape = false;  // leaving it may redraw the sketch
  };

  void BuildWindow();
  void BuildToolbar();
  void BuildStatusBar();
  QWidget* BuildProjectPage();
  QWidget* BuildShapePage();
  QWidget* BuildConditionsPage();
  QWidget* BuildMaterialsPage();
  void BuildFocusList();
  void ConnectVerdictUpdates();
  QLineEdit* NumberBox(const QString& name, InputFormat format, bool shape = false);

  void LoadWindowFrom(bool allow_import);
  void MarkSaved();
  void SetProjectFile(const QString& path);
  bool AskSaveFirst();  // the "save first?" question; false when the command is to stop
  // Closing with changes: 保存 / 保存しない / キャンセル; false when the window is to stay.
  bool AskSaveBeforeClose();
  void CopyD1ToD3();
  void RunReport(bool print_directly, const WindowInputs& inputs);
  // The family chosen in the family list (the gravity wall while the list is empty).
  WallFamily SelectedFamily() const;
  void ApplyEnablingRules();
  void SetUnitCaptions(bool si);
  void FillGradeAndSizeLists(int kind);
  void ShowBarProperties(int position);
  void OnFamilyChanged(int index);
  void OnBarKindChanged(int index);
  void OnSoilClassChanged(int index);
  void OnUnitOptionToggled(bool si, bool checked);
  void OnBoxLeft(QLineEdit* box);
  // Checks and formats a box as leaving it does; false when its text is refused (the refusal is
  // shown once the event that left the box has been handled).
  bool LeaveBox(QLineEdit* box);
  void MarkRefused(QLineEdit* box, bool refused);
  // The box with the focus as if it were left, before a command reads the inputs; then every box
  // still refused stops the command with its message. False when the command is to stop.
  bool AcceptTypedInputs();
  void ShowRefusalOf(QLineEdit* box);
  bool OpenProjectFile(const QString& path);
  bool SaveTo(const QString& target);
  void RememberRecentFile(const QString& path);
  void RebuildRecentMenu();
  void UpdateTitle();
  void ApplyTooltips();
  void BuildMenu();
  // Undo and redo across boxes: each step is the whole window's inputs.
  void RecordUndoStep();
  void Undo();
  void Redo();
  void OnBarGradeChanged(int index);
  void ShowUndoState();
  // The box a check or a message of the verdict panel concerns (object name; empty if none).
  QString BoxOfCheck(const CheckRow& row) const;
  QString BoxOfMessage(const std::string& text) const;
  void MoveFocus(QWidget* from, bool backwards);
  void ShowFileError(const QString& what, const QString& path, const std::exception& e);
  void RefreshProjectNameBanner();
  void UpdateSectionPicture();
  void OnResetToStandardConfirmed();
  std::unique_ptr<QSettings> Settings() const;

  StartupValues startup_;
  // Names of the temporary files of saves and working-file copies, recognised later as ours.
  SaveTemporaries temporaries_;
  MessageSink& messages_;
  FileDialogs& dialogs_;
  InputWindowHooks hooks_;
  bool import_pending_ = false;
  QString project_file_;
  WindowInputs saved_inputs_;  // as of the last load, New, Open or Save

  bool loading_ = false;
  bool activated_once_ = false;
  bool exit_confirmed_ = false;
  int unit_state_ = 2;
  float stress_unit_factor_ = 100.0f;
  WallFamily wall_family_ = WallFamily::Gravity;
  bool print_directly_ = false;
  std::array<FamilyDimensions, 3> memory_{};
  WallFamily shown_family_ = WallFamily::Gravity;

  // Frame.
  std::map<QString, QAction*> actions_;
  QStackedWidget* pages_ = nullptr;
  std::array<QPushButton*, 4> page_buttons_{};
  QLineEdit* name_banner_ = nullptr;  // txtlblCNam

  // Page 1.
  QLineEdit* project_name_ = nullptr;
  QLineEdit* office_name_ = nullptr;
  QDateEdit* date_ = nullptr;
  QCheckBox* print_name_ = nullptr;
  QCheckBox* print_date_ = nullptr;
  QCheckBox* print_office_ = nullptr;
  QRadioButton* unit_si_ = nullptr;
  QRadioButton* unit_cgs_ = nullptr;
  QLabel* unit_label_ = nullptr;  // lblUnt

  // Page 2.
  QComboBox* family_ = nullptr;
  std::array<QLineEdit*, 3> t_{}, l_{};
  std::array<QLineEdit*, 2> h_{};
  std::array<QLineEdit*, 5> d_{};
  QLineEdit *b_ = nullptr, *beta_ = nullptr, *q1_ = nullptr, *q2_ = nullptr, *w0_ = nullptr;
  QCheckBox* shear_key_ = nullptr;
  QLineEdit *t5_ = nullptr, *d5_ = nullptr, *l5_ = nullptr;
  std::vector<QWidget*> shear_key_labels_;
  QCheckBox* counterfort_ = nullptr;
  QLineEdit *t6_ = nullptr, *l6_ = nullptr, *bs_ = nullptr;
  QRadioButton *to_h0_top_ = nullptr, *to_h1_top_ = nullptr;
  std::vector<QWidget*> counterfort_labels_;
  const FamilyTable* families_ = nullptr;
  QFrame* sketch_host_ = nullptr;
  SketchPanel* sketch_ = nullptr;
  VerdictPanel* verdicts_ = nullptr;

  // Page 3.
  QLineEdit* kh_ = nullptr;
  QComboBox* soil_class_ = nullptr;
  QRadioButton *by_formula_ = nullptr, *by_regulation_ = nullptr;
  QLineEdit *gamma_ = nullptr, *phi_ = nullptr, *c_ = nullptr, *phi_b_ = nullptr;
  std::array<QLineEdit*, 3> nu_{};
  QLineEdit* ko_ = nullptr;
  QLineEdit *qa_r0_ = nullptr, *qa_r1_ = nullptr, *qa_e0_ = nullptr, *qa_e1_ = nullptr;

  // Page 4.
  QLineEdit *fc_ = nullptr, *sigma_ck_ = nullptr, *sigma_cac_ = nullptr, *sigma_cat_ = nullptr,
            *tau_a_ = nullptr, *gamma_c_ = nullptr, *ec_ = nullptr;
  std::map<QWidget*, std::vector<QWidget*>> page4_labels_;  // labels greyed with their input
  QComboBox *bar_kind_ = nullptr, *bar_grade_ = nullptr;
  QLineEdit *es_ = nullptr, *sigma_sa_ = nullptr, *sigma_saT_ = nullptr;
  std::array<QLineEdit*, 2> dt_{};
  QCheckBox* design_aa_ = nullptr;
  QLineEdit* h_aa_ = nullptr;
  std::array<QComboBox*, 8> bar_size_{};
  std::array<QLineEdit*, 8> ctc_{};
  std::array<QLabel*, 8> bar_area_{}, bar_perimeter_{};
  std::array<bool, 8> spacing_enabled_{};  // from the bar chosen at each position
  std::vector<QWidget*> rebar_labels_;
  QLabel* section_picture_ = nullptr;  // Picture1

  // Unit captions (Part of the unit switch).
  std::map<QLabel*, std::pair<QString, QString>> unit_captions_;  // label -> (CGS, SI)

  std::map<QLineEdit*, BoxRule> box_rules_;
  std::set<QLineEdit*> refused_;
  std::set<QLineEdit*> refusal_pending_;  // refused, message not shown yet
  QMenu* recent_menu_ = nullptr;
  bool last_file_modified_ = false;  // the working database held unsaved changes at the last exit
  // Undo history: whole-window states, the current one last.
  std::vector<WindowInputs> undo_;
  std::vector<WindowInputs> redo_;
  bool restoring_ = false;
  std::vector<std::pair<QWidget*, QString>> focus_list_;  // FocusList
  std::array<std::pair<int, int>, 4> page_groups_{};      // PageGroups
};

// Disables the window while a command runs and enables it again at the end, also when the
// command stops early; the input that had the focus gets it back.
class InputWindow::CommandGuard {
 public:
  explicit CommandGuard(InputWindow* window);
  ~CommandGuard();
  CommandGuard(const CommandGuard&) = delete;
  CommandGuard& operator=(const CommandGuard&) = delete;

 private:
  InputWindow* window_;
  bool was_enabled_;
  QPointer<QWidget> focus_;
  // Selection and cursor of a focused text box, which losing the focus would clear.
  int selection_start_ = -1;
  int selection_length_ = 0;
  int cursor_ = 0;
};

}  // namespace ktv
