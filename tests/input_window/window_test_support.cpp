#include "window_test_support.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QSettings>
#include <QTest>
#include <random>

#include "project/project_database.h"

namespace ktv::testing {

QApplication& App() {
  static int argc = 1;
  static char name[] = "input_window_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

MessageAnswer ScriptedMessages::Show(MessageIcon icon, MessageButtons buttons,
                                     const std::string& title, const std::string& text) {
  boxes.push_back({icon, buttons, title, text});
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  if (script.empty()) return fallback;
  MessageAnswer a = script.front();
  script.pop_front();
  return a;
}

void ScriptedMessages::Answer(std::initializer_list<MessageAnswer> answers) {
  script.insert(script.end(), answers.begin(), answers.end());
}

std::vector<std::string> ScriptedMessages::Texts() const {
  std::vector<std::string> out;
  for (const auto& b : boxes) out.push_back(b.text);
  return out;
}

std::optional<QString> ScriptedDialogs::OpenFileName(const FileDialogRequest& request) {
  open_requests.push_back(request);
  if (open_answers.empty()) return std::nullopt;
  auto a = open_answers.front();
  open_answers.pop_front();
  return a;
}

std::optional<QString> ScriptedDialogs::SaveFileName(const FileDialogRequest& request) {
  save_requests.push_back(request);
  if (save_answers.empty()) return std::nullopt;
  auto a = save_answers.front();
  save_answers.pop_front();
  return a;
}

Installation::Installation() {
  App();
  std::random_device rd;
  root_ = std::filesystem::temp_directory_path() /
          ("ktv_window_" + std::to_string(rd()) + "_" + std::to_string(rd()));
  std::filesystem::create_directories(root_ / "PRG");
  old_cwd_ = std::filesystem::current_path();
  std::filesystem::current_path(root_ / "PRG");
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                     QString::fromStdString((root_ / "settings").string()));
  StartUp();
}

Installation::~Installation() {
  std::error_code ec;
  std::filesystem::current_path(old_cwd_, ec);
  std::filesystem::remove_all(root_, ec);
}

StartupValues Installation::StartUp() {
  std::filesystem::current_path(root_ / "PRG");
  auto v = PrepareStartupValues(QString::fromStdString((root_ / "PRG").string()));
  if (!v) throw std::runtime_error("no start-up values");
  values_ = *v;
  if (!std::filesystem::exists(Working())) CreateProjectDatabase(Working().string());
  return values_;
}

std::string Text(QWidget& window, const QString& name) {
  if (auto* box = Find<QLineEdit>(window, name)) return box->text().toStdString();
  return {};
}

void Enter(QWidget& window, const QString& name, const QString& text) {
  auto* box = Find<QLineEdit>(window, name);
  if (!box) return;
  box->setFocus(Qt::TabFocusReason);
  box->selectAll();
  if (text.isEmpty()) QTest::keyClick(box, Qt::Key_Delete);
  for (QChar ch : text) {
    if (ch.unicode() < 128) {
      QTest::keyClick(box, static_cast<char>(ch.unicode()));
    } else {
      // Typed as an input method delivers it: a key event carrying the character.
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
      QApplication::sendEvent(box, &press);
      QApplication::sendEvent(box, &release);
    }
  }
  box->clearFocus();
}

void Leave(QWidget& window, const QString& name) {
  auto* box = Find<QLineEdit>(window, name);
  if (!box) return;
  box->setFocus(Qt::TabFocusReason);
  box->clearFocus();
}

void Choose(QWidget& window, const QString& name, int index) {
  if (auto* list = Find<QComboBox>(window, name)) list->setCurrentIndex(index);
}

}  // namespace ktv::testing

// The font library keeps its configuration until the process ends; under the leak checker that is
// not a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
