// Program entry: start-up values, the single-instance lock and the working database.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <cstdio>

#include "app/startup.h"
#include "project/project_database.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setOrganizationName(QString());
  QCoreApplication::setApplicationName(QStringLiteral("Didovez"));

  QString lock_dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  QDir().mkpath(lock_dir);
  QLockFile lock(lock_dir + QStringLiteral("/ktv-pn3.lock"));
  lock.setStaleLockTime(0);
  if (!lock.tryLock(0)) {
    std::fprintf(stderr, "擁壁プログラムを複数起動することはできません\n");
    return 1;
  }
  auto values = ktv::PrepareStartupValues(QDir::currentPath());
  if (!values) {
    std::fprintf(stderr, "The data folders cannot be created.\n");
    return 1;
  }
  if (!QFileInfo::exists(values->working_database_path)) {
    ktv::CreateProjectDatabase(values->working_database_path.toStdString());
  }
  std::printf("%s\nProgram folder: %s\nData folder: %s\nSaved-data folder: %s\nImport mode: %s\n",
              values->message_title.toUtf8().constData(),
              values->folders.program.toUtf8().constData(),
              values->folders.data.toUtf8().constData(),
              values->folders.saved_data.toUtf8().constData(), values->import_mode ? "on" : "off");
  return 0;
}
