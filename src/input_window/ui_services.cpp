#include "input_window/ui_services.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
#include <QStringList>
#include <QTranslator>
#include <QTreeView>
#include <algorithm>

namespace ktv {

bool InstallQtJapaneseTranslation(QCoreApplication& app) {
  auto* translator = new QTranslator(&app);
  if (!translator->load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

QString QtFilterText(const QString& filter) {
  QStringList parts = filter.split(QLatin1Char('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    out << parts[i] + QStringLiteral(" (") + parts[i + 1].trimmed() + QStringLiteral(")");
  }
  return out.join(QStringLiteral(";;"));
}

void QtMessageSink::Beep() { QApplication::beep(); }

MessageAnswer QtMessageSink::Show(MessageIcon icon, MessageButtons buttons,
                                  const std::string& title, const std::string& text) {
  QMessageBox box(parent_);
  box.setWindowTitle(QString::fromStdString(title));
  // The program writes CR LF between lines; the box wants one line feed.
  box.setText(QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  switch (icon) {
    case MessageIcon::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case MessageIcon::Warning:
      box.setIcon(QMessageBox::Warning);
      break;
    case MessageIcon::Question:
      box.setIcon(QMessageBox::Question);
      break;
    case MessageIcon::Critical:
      box.setIcon(QMessageBox::Critical);
      break;
  }
  switch (buttons) {
    case MessageButtons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case MessageButtons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
    case MessageButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
    case MessageButtons::SaveDiscardCancel:
      box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
      box.button(QMessageBox::Save)->setText(QStringLiteral("保存"));
      box.button(QMessageBox::Discard)->setText(QStringLiteral("保存しない"));
      box.button(QMessageBox::Cancel)->setText(QStringLiteral("キャンセル"));
      box.setDefaultButton(QMessageBox::Save);
      break;
  }
  // A box is at least as wide as its title, so that the title bar shows all of it.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    const int width = box.fontMetrics().horizontalAdvance(box.windowTitle()) + 140;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
  // The window disables itself while a command runs; its boxes must stay usable.
  box.setEnabled(true);
  switch (box.exec()) {
    case QMessageBox::Yes:
    case QMessageBox::Save:
      return MessageAnswer::Yes;
    case QMessageBox::No:
    case QMessageBox::Discard:
      return MessageAnswer::No;
    case QMessageBox::Cancel:
      return MessageAnswer::Cancel;
    default:
      // Closing a question box with Escape or the title bar counts as its safe answer.
      if (buttons == MessageButtons::YesNoCancel || buttons == MessageButtons::SaveDiscardCancel) {
        return MessageAnswer::Cancel;
      }
      if (buttons == MessageButtons::YesNo) return MessageAnswer::No;
      return MessageAnswer::Ok;
  }
}

namespace {

// The dialog's own file list, with a name column wide enough for a Japanese file name.
void WidenNameColumn(QFileDialog& dialog) {
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setViewMode(QFileDialog::Detail);
  dialog.resize(std::max(dialog.width(), 760), std::max(dialog.height(), 480));
  for (QTreeView* view : dialog.findChildren<QTreeView*>()) {
    view->header()->resizeSection(
        0, dialog.fontMetrics().horizontalAdvance(QString(24, QChar(0x64C1))));
  }
}

}  // namespace

std::optional<QString> QtFileDialogs::OpenFileName(const FileDialogRequest& request) {
  QFileDialog dialog(parent_, request.title, request.initial_folder, QtFilterText(request.filter));
  WidenNameColumn(dialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(request.must_exist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setEnabled(true);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

std::optional<QString> QtFileDialogs::SaveFileName(const FileDialogRequest& request) {
  QFileDialog dialog(parent_, request.title, request.initial_folder, QtFilterText(request.filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  WidenNameColumn(dialog);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(request.default_suffix);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirm_overwrite);
  if (!request.proposed_name.isEmpty()) dialog.selectFile(request.proposed_name);
  dialog.setEnabled(true);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

}  // namespace ktv
