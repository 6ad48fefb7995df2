#include "app/startup.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace ktv {
namespace {

TEST(Folders, PrefixBeforeTheFirstPrgKeepsItsSpelling) {
  QTemporaryDir tmp;
  QString root = tmp.path();
  ASSERT_TRUE(QDir().mkpath(root + "/app/wall/prg/tools/PRG"));
  auto f = FoldersFromWorkingDirectory(root + "/app/wall/prg");
  ASSERT_TRUE(f);
  EXPECT_EQ(f->program, root + "/app/wall/prg");
  EXPECT_EQ(f->data, root + "/app/wall/DAT");
  EXPECT_EQ(f->saved_data, root + "/app/wall/保存データ");
  // The first occurrence counts.
  auto g = FoldersFromWorkingDirectory(root + "/app/wall/prg/tools/PRG");
  ASSERT_TRUE(g);
  EXPECT_EQ(g->data, root + "/app/wall/DAT");
}

TEST(Folders, NoPrgOrAPrgThatIsNotAFolderGivesNothing) {
  QTemporaryDir tmp;
  EXPECT_FALSE(FoldersFromWorkingDirectory(tmp.path() + "/nowhere"));
  ASSERT_TRUE(QDir().mkpath(tmp.path() + "/xprgy"));
  EXPECT_FALSE(FoldersFromWorkingDirectory(tmp.path() + "/xprgy"));
}

TEST(Startup, CreatesFoldersAndSetsImportModeWhenTheDatabaseIsMissing) {
  QTemporaryDir tmp;
  QString prg = tmp.path() + "/inst/PRG";
  ASSERT_TRUE(QDir().mkpath(prg));
  auto v = PrepareStartupValues(prg);
  ASSERT_TRUE(v);
  EXPECT_TRUE(QFileInfo(tmp.path() + "/inst/DAT").isDir());
  EXPECT_TRUE(QFileInfo(tmp.path() + "/inst/保存データ").isDir());
  EXPECT_EQ(v->working_database_path, tmp.path() + "/inst/DAT/Data.mdb");
  EXPECT_EQ(v->scratch_database_path, tmp.path() + "/inst/DAT/Data2.mdb");
  EXPECT_EQ(v->read_copy_database_path, tmp.path() + "/inst/DAT/Data3.mdb");
  EXPECT_TRUE(v->import_mode);
  EXPECT_EQ(v->message_title, QString::fromUtf8("擁壁計算ﾌﾟﾛｸﾞﾗﾑ　KTV-PN3 ver2.10"));
  EXPECT_EQ(v->report_font_sizes, (std::array<int, 4>{10, 9, 9, 13}));

  QFile db(v->working_database_path);
  ASSERT_TRUE(db.open(QIODevice::WriteOnly));
  db.close();
  EXPECT_FALSE(PrepareStartupValues(prg)->import_mode);
  QFile rec(prg + "/RWdata02.dat");
  ASSERT_TRUE(rec.open(QIODevice::WriteOnly));
  rec.close();
  EXPECT_TRUE(PrepareStartupValues(prg)->import_mode);
}

TEST(Startup, FallsBackToThePerUserFolders) {
  // Saved projects go to a visible folder in the documents, the working files stay hidden.
  QTemporaryDir home;
  const QByteArray old_home = qgetenv("HOME");
  qputenv("HOME", home.path().toLocal8Bit());
  QStandardPaths::setTestModeEnabled(true);
  auto v = PrepareStartupValues(QStringLiteral("/"));
  ASSERT_TRUE(v);
  EXPECT_EQ(v->folders.data, PerUserFolders().data);
  EXPECT_TRUE(QFileInfo(v->folders.data).isDir());
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  EXPECT_TRUE(documents.startsWith(home.path()));
  EXPECT_EQ(v->folders.saved_data, documents + QStringLiteral("/KTV-PN3/保存データ"));
  EXPECT_TRUE(QFileInfo(v->folders.saved_data).isDir());
  EXPECT_FALSE(v->folders.data.startsWith(documents));
  QStandardPaths::setTestModeEnabled(false);
  qputenv("HOME", old_home);
}

TEST(WindowCaption, ByKindCode) {
  EXPECT_EQ(*WindowCaption(3001), QString::fromUtf8("擁壁計算ﾌﾟﾛｸﾞﾗﾑ　KTV-PN3 ver2.10"));
  EXPECT_EQ(*WindowCaption(4001), QString::fromUtf8("擁壁計算ﾌﾟﾛｸﾞﾗﾑ　KTV-PN3 ver2.10 プレビュー"));
  EXPECT_FALSE(WindowCaption(1));
}

}  // namespace
}  // namespace ktv
