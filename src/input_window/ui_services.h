#pragma once
// The window's message boxes and file dialogs. Both are interfaces so that tests answer them and
// record what was asked.
#include <QString>
#include <optional>

#include "app/messages.h"

class QCoreApplication;
class QWidget;

namespace ktv {

// One file dialog as the window asks for it. The filter is written as the program states it:
// pairs of description and pattern separated by "|" ("*.dat|*.dat|*.mdb|*.mdb").
struct FileDialogRequest {
  QString title;
  QString filter;
  QString initial_folder;
  QString proposed_name;           // save only
  QString default_suffix;          // save only, without the dot
  bool must_exist = false;         // open: the chosen file must exist
  bool confirm_overwrite = false;  // save: ask before replacing a file
};

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // The chosen path, or nothing when the user cancels.
  virtual std::optional<QString> OpenFileName(const FileDialogRequest& request) = 0;
  virtual std::optional<QString> SaveFileName(const FileDialogRequest& request) = 0;
};

// Loads Qt's own Japanese texts (message-box buttons, file dialogs) from the Qt translations
// folder. False when they are not installed; the program then runs with Qt's English texts.
bool InstallQtJapaneseTranslation(QCoreApplication& app);

// Qt filter text for a "|" filter: "*.mdb|*.mdb" gives "*.mdb (*.mdb)".
QString QtFilterText(const QString& filter);

// Message boxes with QMessageBox and the beep of the platform.
class QtMessageSink : public MessageSink {
 public:
  explicit QtMessageSink(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  void Beep() override;
  MessageAnswer Show(MessageIcon icon, MessageButtons buttons, const std::string& title,
                     const std::string& text) override;

 private:
  QWidget* parent_;
};

// File dialogs with QFileDialog.
class QtFileDialogs : public FileDialogs {
 public:
  explicit QtFileDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  std::optional<QString> OpenFileName(const FileDialogRequest& request) override;
  std::optional<QString> SaveFileName(const FileDialogRequest& request) override;

 private:
  QWidget* parent_;
};

}  // namespace ktv
