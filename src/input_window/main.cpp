// Program entry: single instance, folders and database paths, the working database, then the
// design input window.
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QLockFile>
#include <QStandardPaths>
#include <QStyleFactory>
#include <filesystem>

#include "app/messages.h"
#include "app/settings.h"
#include "app/startup.h"
#include "families/family_table.h"
#include "input_window/input_window.h"
#include "input_window/older_record_mapping.h"
#include "input_window/report_connection.h"
#include "input_window/ui_services.h"
#include "project/project_database.h"
#include "project/save_temporaries.h"

namespace {

// A working database that is not a project (damaged, or some other file) is kept aside under a
// new name, and an empty one takes its place, so that the program can start.
void EnsureWorkingDatabase(const ktv::StartupValues& values, ktv::MessageSink& messages) {
  const std::string path = values.working_database_path.toStdString();
  if (!QFileInfo::exists(values.working_database_path)) {
    ktv::CreateProjectDatabase(path);
    return;
  }
  try {
    ktv::CheckWorkingDatabase(path);
  } catch (const ktv::ProjectError& e) {
    QString aside = values.working_database_path + QStringLiteral(".") +
                    QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss")) +
                    QStringLiteral(".bad");
    std::error_code ec;
    std::filesystem::rename(path, aside.toStdString(), ec);
    if (ec) throw;
    ktv::CreateProjectDatabase(path);
    messages.Beep();
    messages.Show(ktv::MessageIcon::Warning, ktv::MessageButtons::Ok, ktv::kFullTitle,
                  ("作業用のデータを読み込めないため、新しいデータで開始します。\r\n" +
                   QDir::toNativeSeparators(values.working_database_path) +
                   QStringLiteral("\r\n元のファイルは次の名前で残しました。\r\n") +
                   QDir::toNativeSeparators(aside) + QStringLiteral("\r\n\r\n詳細：") +
                   QString::fromStdString(e.japanese()))
                      .toStdString());
  }
}

void UseFormFont(QApplication& app) {
  for (const char* family : {"IPAPGothic", "IPAGothic", "Noto Sans CJK JP"}) {
    if (QFontDatabase::families().contains(QString::fromLatin1(family))) {
      QFont font(QString::fromLatin1(family));
      font.setPointSize(10);
      app.setFont(font);
      return;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QString());
  QApplication::setApplicationName(QString::fromLatin1(ktv::kSettingsApplication));
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  UseFormFont(app);
  // The program speaks Japanese only: Qt's own dialogs and buttons do too.
  ktv::InstallQtJapaneseTranslation(app);
  ktv::QtMessageSink messages;

  // 1. One running copy only.
  QString lock_dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  QDir().mkpath(lock_dir);
  QLockFile lock(lock_dir + QStringLiteral("/ktv-pn3.lock"));
  lock.setStaleLockTime(0);
  if (!lock.tryLock(0)) {
    messages.Beep();
    messages.Show(ktv::MessageIcon::Warning, ktv::MessageButtons::Ok, ktv::kFullTitle,
                  "擁壁プログラムを複数起動することはできません");
    return 1;
  }

  // 2 to 6. Title, folders, database paths, import mode, report font sizes.
  const QString working_dir = QDir::currentPath();
  auto values = ktv::PrepareStartupValues(working_dir);
  if (!values) {
    messages.Beep();
    messages.Show(
        ktv::MessageIcon::Warning, ktv::MessageButtons::Ok, ktv::kFullTitle,
        ("データを保存するフォルダを作成できません。\r\n" + QDir::toNativeSeparators(working_dir))
            .toStdString());
    return 1;
  }

  // Temporary files that a save or a copy of the working files left when the program was killed
  // (those whose names this installation made; nothing else is touched).
  {
    const ktv::SaveTemporaries temporaries =
        ktv::SaveTemporaries::OfDataFolder(values->folders.data.toStdString());
    temporaries.RemoveStaleIn(values->folders.data.toStdString());
    temporaries.RemoveStaleIn(values->folders.saved_data.toStdString());
  }

  // The working database is made when it is missing, so that every command finds it.
  try {
    EnsureWorkingDatabase(*values, messages);
  } catch (const ktv::ProjectError& e) {
    messages.Beep();
    messages.Show(ktv::MessageIcon::Warning, ktv::MessageButtons::Ok, ktv::kFullTitle,
                  (QStringLiteral("作業用のデータを作成できません。\r\n") +
                   QDir::toNativeSeparators(values->working_database_path) +
                   QStringLiteral("\r\n\r\n詳細：") + QString::fromStdString(e.japanese()))
                      .toStdString());
    return 1;
  }

  // 7. The bar catalogue is built in. 8. The window; the program lives on in it.
  ktv::QtFileDialogs dialogs;
  ktv::InputWindowHooks hooks;
  ktv::UseOlderFormatRecordFile(hooks);
  const ktv::FamilyTable& families = ktv::ProgramFamilies();
  hooks.families = &families;
  ktv::UsePreviewWindow(hooks, *values, messages, dialogs, families.ReportEntries());
  ktv::InputWindow window(*values, messages, dialogs, std::move(hooks));
  messages.SetParent(&window);
  dialogs.SetParent(&window);
  window.show();
  return app.exec();
}
