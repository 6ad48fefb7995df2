#pragma once
// frmPreview: builds the calculation report of the current project and either shows it page by
// page (preview) or sends it to the printer without being shown (print).
#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "app/messages.h"
#include "app/startup.h"
#include "report/report_context.h"
#include "report/report_writer.h"

class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QPrinter;
class QStatusBar;
class QTreeWidget;

namespace ktv {

class PreviewView;
class ReportPrinter;

// Texts of the print question.
inline constexpr const char* kConfirmPrintTitle = "印刷の確認";
inline constexpr const char* kConfirmPrintText = "計算結果を印刷します。いいですか？";

// Zoom of the first view when the settings store holds none.
inline constexpr double kDefaultPreviewZoom = 95;
// Step of 拡大 / 縮小, percentage points.
inline constexpr double kZoomStep = 15;

// What the window needs besides the command itself. Every member may be left as it is.
struct PreviewOptions {
  // Where Print sends the document; null: the default printer.
  ReportPrinter* printer = nullptr;
  // The family entries (the program's family table); null: no family has a report.
  const FamilyEntryTable* entries = nullptr;
  // Asks for the file of "PDF保存" (proposed is a full path); nothing when cancelled. Empty: a
  // save dialog that asks before replacing a file.
  std::function<std::optional<QString>(QWidget* parent, const QString& proposed)> choose_pdf_path;
  // First folder of the PDF save dialog; empty: the home folder.
  QString pdf_folder;
  // Shows the print dialog (printer, copies, page range) for a document of page_count pages;
  // false when cancelled. Empty: the system's print dialog.
  std::function<bool(QWidget* parent, QPrinter& printer, int page_count)> choose_printer;
  // Report font sizes (Title, Heading, Body, Cover), from the start-up values.
  std::array<int, 4> font_sizes = kDefaultReportFontSizes;
};

// The report context of the program: the working database of the start-up values and the cover
// switches of the settings store.
ReportContext ReportContextFor(const StartupValues& startup, MessageSink* sink);
// The options of the program: the start-up font sizes, PDFs proposed in the saved-data folder,
// the default printer; the caller adds the family entries.
PreviewOptions PreviewOptionsFor(const StartupValues& startup);

class PreviewWindow : public QDialog {
  Q_OBJECT

 public:
  // How loading ended.
  enum class LoadResult {
    Cancelled,  // print question answered No: nothing built or printed
    Failed,     // the build or the printer stopped; the message has been shown
    Printed,    // print mode: the document went to the printer
    Ready,      // preview mode: the document is built and the window wants to be shown
  };

  PreviewWindow(bool print_directly, WallFamily wall_family, ReportContext context,
                MessageSink& sink, PreviewOptions options = {}, QWidget* parent = nullptr);
  ~PreviewWindow() override;

  // The load of the window: caption, page setup, the print question in print mode, the whole
  // document, the page counts; in print mode the printing. Runs once; later calls return the
  // first result.
  LoadResult BuildReport();
  // Beep, then the Yes/No question; false only for No.
  bool ConfirmPrint();

  // Navigation: the page stays within 1 .. page count; a press at the limit beeps.
  void GoFirstPage();
  void GoPreviousPage();
  void GoNextPage();
  void GoLastPage();
  // 0: one page at the zoom percentage; 1: two pages side by side. The four zoom buttons are
  // enabled exactly with option 0.
  void SelectPageMode(int option);
  // Zoom ± kZoomStep within the view's limits; beeps when the zoom does not change.
  void ZoomIn();
  void ZoomOut();
  void FitPageWidth();
  void FitWholePage();
  // "PDF保存": asks for a file and writes the shown document to it.
  void SavePdf();
  // "印刷": the print dialog, then the shown document to the printer chosen.
  void PrintShown();
  // Jumps to a chapter of the list (index in Document().Outline()).
  void GoToChapter(int outline_index);
  QTreeWidget* Chapters() const { return chapters_; }
  void CloseWindow();
  // Places the control panel at the bottom right above the status bar and gives the view the
  // rest; steps that cannot be done (a minimised window) are left out.
  void LayoutPreviewWindow();
  // The view changed the shown page.
  void OnUserPageChange();

  const ReportWriter& Document() const { return *writer_; }
  PreviewView* View() const { return view_; }
  bool PrintDirectly() const { return print_directly_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildControls();
  void ShowCurrentPage();
  void ShowBuildError(const std::string& message, const std::exception_ptr& failure);
  void ShowPrintError(const std::exception& e, bool no_printer);
  void Zoom(double step);
  void ShowZoom();
  void FillChapters();
  // Prints on the printer of options.printer, or through the print dialog on a system printer.
  // False when nothing was printed (cancelled, or the error has been shown).
  bool PrintDocument();
  void Fit(int mode);
  double StoredZoom() const;
  int Twips(int twips) const;

  bool print_directly_;
  WallFamily wall_family_;
  ReportContext context_;
  MessageSink& sink_;
  PreviewOptions options_;
  std::unique_ptr<ReportWriter> writer_;
  std::optional<LoadResult> loaded_;
  std::string project_name_;  // for the proposed PDF name

  PreviewView* view_ = nullptr;   // VSP
  QFrame* panel_ = nullptr;       // Picture1
  QStatusBar* status_ = nullptr;  // StatusBar1
  QPushButton *first_ = nullptr, *previous_ = nullptr, *next_ = nullptr, *last_ = nullptr;
  std::array<QRadioButton*, 2> page_mode_{};  // OpnZoomMode(0), (1)
  QPushButton *zoom_in_ = nullptr, *zoom_out_ = nullptr, *fit_width_ = nullptr,
              *fit_page_ = nullptr;
  QPushButton *pdf_ = nullptr, *close_ = nullptr, *print_ = nullptr;
  QLabel* zoom_label_ = nullptr;                           // lblZoom
  QTreeWidget* chapters_ = nullptr;                        // the report's bookmarks
  QLabel *all_pages_ = nullptr, *current_page_ = nullptr;  // lblAP, lblCP
};

// The Print and Preview commands of the input window. Builds the report (hourglass pointer and
// the parent disabled meanwhile); in preview mode shows it modally; in print mode asks
// ConfirmPrint first and prints to the default printer (or options.printer) without showing the
// window. Returns when done, with the parent's enabled state and the pointer as they were.
// Every error is shown through the sink; nothing is thrown.
void RunReportCommand(QWidget* parent, bool print_directly, WallFamily wall_family,
                      const ReportContext& context, MessageSink& sink,
                      const PreviewOptions& options = {});

}  // namespace ktv
