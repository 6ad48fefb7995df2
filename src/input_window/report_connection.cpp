#include "input_window/report_connection.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStatusBar>
#include <filesystem>

namespace ktv {
namespace {

// The file's identity as far as a rewrite shows: a file written anew (through a temporary file
// and a rename) has another modification time.
std::optional<std::filesystem::file_time_type> WriteTime(const QString& path) {
  std::error_code ec;
  auto time = std::filesystem::last_write_time(path.toStdString(), ec);
  if (ec) return std::nullopt;
  return time;
}

}  // namespace

QString PdfSavedText(const QString& path) {
  return QStringLiteral("PDFファイルを保存しました： ") + QDir::toNativeSeparators(path);
}

std::function<std::optional<QString>(QWidget* parent, const QString& proposed)> PdfFileChooser(
    FileDialogs& dialogs) {
  return [&dialogs](QWidget* parent, const QString& proposed) -> std::optional<QString> {
    const QFileInfo proposed_file(proposed);
    FileDialogRequest request;
    request.title = QStringLiteral("計算書をPDFで保存する");
    request.filter = QStringLiteral("PDF|*.pdf");
    request.initial_folder = proposed_file.absolutePath();
    request.proposed_name = proposed_file.fileName();
    request.default_suffix = QStringLiteral("pdf");
    request.confirm_overwrite = true;
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    std::optional<QString> chosen = dialogs.SaveFileName(request);
    QApplication::restoreOverrideCursor();
    if (!chosen || chosen->trimmed().isEmpty()) return std::nullopt;
    // The path the preview writes: ".pdf" added to a bare name, a relative name in the folder.
    QString path = *chosen;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pdf");
    if (QFileInfo(path).isRelative()) path = QDir(request.initial_folder).filePath(path);
    // The preview writes the file as soon as this returns and shows its own message when it
    // cannot; the confirmation follows once the file is there, written anew.
    QPointer<QWidget> window(parent);
    auto before = WriteTime(path);
    QMetaObject::invokeMethod(
        parent,
        [window, path, before] {
          auto after = WriteTime(path);
          if (!window || !after || (before && *before == *after)) return;
          if (auto* status = window->findChild<QStatusBar*>()) {
            status->showMessage(PdfSavedText(path));
          }
        },
        Qt::QueuedConnection);
    return path;
  };
}

void UsePreviewWindow(InputWindowHooks& hooks, const StartupValues& startup, MessageSink& messages,
                      FileDialogs& dialogs, const FamilyEntryTable& entries) {
  PreviewOptions options = PreviewOptionsFor(startup);
  options.choose_pdf_path = PdfFileChooser(dialogs);
  UsePreviewWindow(hooks, startup, messages, entries, std::move(options));
}

void UsePreviewWindow(InputWindowHooks& hooks, const StartupValues& startup, MessageSink& messages,
                      const FamilyEntryTable& entries, PreviewOptions options) {
  options.entries = &entries;
  hooks.run_report = [startup, &messages, options](const ReportRequest& request) {
    RunReportCommand(request.window, request.print_directly, request.wall_family,
                     ReportContextOf(request, startup, &messages), messages, options);
  };
}

ReportContext ReportContextOf(const ReportRequest& request, const StartupValues& startup,
                              MessageSink* messages) {
  ReportContext context = ReportContextFor(startup, messages);
  if (request.inputs) {
    // The cover as the window shows it (the settings store holds the same since the write).
    const WindowInputs& inputs = *request.inputs;
    context.cover = {inputs.office_name, inputs.print_project_name, inputs.print_office_name,
                     inputs.print_date};
    context.design_section_aa = inputs.design_aa;
  }
  return context;
}

}  // namespace ktv
