#pragma once
// Shared fixtures of the window tests: a throw-away installation (PRG, DAT, 保存データ and the
// settings store), scripted message boxes and file dialogs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QString>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/messages.h"
#include "app/startup.h"
#include "input_window/input_window.h"
#include "input_window/ui_services.h"

namespace ktv::testing {

// The one QApplication of a test binary (offscreen).
QApplication& App();

// Message boxes answered from a script; every box is recorded.
class ScriptedMessages : public MessageSink {
 public:
  struct Box {
    MessageIcon icon;
    MessageButtons buttons;
    std::string title;
    std::string text;
  };
  void Beep() override { ++beeps; }
  MessageAnswer Show(MessageIcon icon, MessageButtons buttons, const std::string& title,
                     const std::string& text) override;
  // Answers for the next questions, in order; when they run out, `fallback` answers.
  void Answer(std::initializer_list<MessageAnswer> answers);
  std::vector<std::string> Texts() const;
  void Clear() {
    boxes.clear();
    beeps = 0;
  }

  std::vector<Box> boxes;
  int beeps = 0;
  std::deque<MessageAnswer> script;
  MessageAnswer fallback = MessageAnswer::No;
};

// File dialogs answered from a script (nothing = cancel); every request is recorded.
class ScriptedDialogs : public FileDialogs {
 public:
  std::optional<QString> OpenFileName(const FileDialogRequest& request) override;
  std::optional<QString> SaveFileName(const FileDialogRequest& request) override;

  std::vector<FileDialogRequest> open_requests, save_requests;
  std::deque<std::optional<QString>> open_answers, save_answers;
};

// A temporary installation: <root>/PRG (the working directory), <root>/DAT, <root>/保存データ,
// and the settings store redirected into <root>/settings.
class Installation {
 public:
  Installation();
  ~Installation();
  Installation(const Installation&) = delete;
  Installation& operator=(const Installation&) = delete;

  const StartupValues& Values() const { return values_; }
  // Start-up as the program does it: values from the working directory, the working database
  // made when missing.
  StartupValues StartUp();
  std::filesystem::path Root() const { return root_; }
  std::filesystem::path SavedData() const { return root_ / "保存データ"; }
  std::filesystem::path Working() const { return root_ / "DAT" / "Data.mdb"; }

 private:
  std::filesystem::path root_;
  std::filesystem::path old_cwd_;
  StartupValues values_;
};

// Finds a control of the window by its object name (fails the test when missing).
template <typename T>
T* Find(QWidget& window, const QString& name) {
  T* w = window.findChild<T*>(name);
  if (w == nullptr) {
    ADD_FAILURE() << "no control named " << name.toStdString();
  }
  return w;
}

std::string Text(QWidget& window, const QString& name);
// Types a text into a box as the user does (replacing what is there) and leaves the box.
void Enter(QWidget& window, const QString& name, const QString& text);
// Gives the focus to a box and takes it away again.
void Leave(QWidget& window, const QString& name);
void Choose(QWidget& window, const QString& name, int index);

}  // namespace ktv::testing
