#include "app/startup.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/messages.h"

namespace ktv {

std::optional<Folders> FoldersFromWorkingDirectory(const QString& working_dir) {
  int at = working_dir.indexOf(QStringLiteral("PRG"), 0, Qt::CaseInsensitive);
  if (at < 0) return std::nullopt;
  QString prefix = working_dir.left(at);
  Folders f;
  f.program = working_dir.mid(0, at + 3);
  if (!QFileInfo(f.program).isDir()) return std::nullopt;
  f.data = prefix + QStringLiteral("DAT");
  f.saved_data = prefix + QStringLiteral("保存データ");
  return f;
}

Folders PerUserFolders() {
  QString base = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share/Didovez");
  if (!base.endsWith('/')) base += '/';
  // Saved projects go where the engineer looks for documents; the working files stay hidden.
  QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (documents.isEmpty()) documents = QDir::homePath() + QStringLiteral("/Documents");
  if (!documents.endsWith('/')) documents += '/';
  return {base + QStringLiteral("PRG"), base + QStringLiteral("DAT"),
          documents + QString::fromLatin1(kProgramFolderName) + QStringLiteral("/保存データ")};
}

bool LocateFolders(const QString& working_dir, Folders& out) {
  auto located = FoldersFromWorkingDirectory(working_dir);
  out = located ? *located : PerUserFolders();
  QDir root;
  if (!located && !root.mkpath(out.program)) return false;
  return root.mkpath(out.data) && root.mkpath(out.saved_data);
}

std::optional<StartupValues> PrepareStartupValues(const QString& working_dir) {
  StartupValues v;
  v.message_title = QString::fromUtf8(kFullTitle);
  if (!LocateFolders(working_dir, v.folders)) return std::nullopt;
  v.working_database_path = v.folders.data + QStringLiteral("/Data.mdb");
  v.scratch_database_path = v.folders.data + QStringLiteral("/Data2.mdb");
  v.read_copy_database_path = v.folders.data + QStringLiteral("/Data3.mdb");
  v.import_mode = QFileInfo::exists(QDir(working_dir).filePath(kOlderFormatFileName)) ||
                  !QFileInfo::exists(v.working_database_path);
  v.report_font_sizes = {10, 9, 9, 13};
  return v;
}

std::optional<QString> WindowCaption(int kind) {
  QString title = QString::fromUtf8(kFullTitle);
  if (kind == kInputWindowKind) return title;
  if (kind == kPreviewWindowKind) return title + QStringLiteral(" プレビュー");
  return std::nullopt;
}

}  // namespace ktv
