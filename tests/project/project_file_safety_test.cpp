// Project files of the user are untrusted: every check and copy reads them without changing
// them, and a bad file is refused with a message that names the file and what is wrong.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>

#include "app/safe_text.h"
#include "project/input_limits.h"
#include "project/project_database.h"
#include "project_damage.h"

namespace ktv {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// Every file of the folder with its bytes: the project, its journal, WAL and anything else.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(dir)) {
    std::error_code ec;
    if (e.is_regular_file(ec)) files[e.path().filename().string()] = ReadAll(e.path());
  }
  return files;
}

void Sql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* err = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK)
      << sql << ": " << (err ? err : "");
  sqlite3_free(err);
  sqlite3_close(db);
}

class ProjectFileSafety : public ::testing::Test {
 public:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("ktv_safety_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "user");
    private_ = (dir_ / "Data.mdb").string();
  }
  void TearDown() override { fs::remove_all(dir_); }
  // A complete small project in the user's folder.
  std::string Project(const std::string& name) {
    const std::string path = (dir_ / "user" / name).string();
    CreateProjectDatabase(path);
    ProjectDatabase db = ProjectDatabase::Open(path);
    db.Write(ProjectNameRow{"市道１号線", "2026/01/02", 0});
    db.Write(UnitRow{"SI 単位", 0});
    ShapeRow shape;
    shape.t = {0.23f, 0.7f, 0.69f};
    shape.h = 2.3f;
    db.WriteShape(0, shape);
    return path;
  }
  fs::path dir_;
  std::string private_;
};

TEST_F(ProjectFileSafety, BadFilesAreRefusedByCheckAndCopyAndLeftAsTheyWere) {
  const std::string line_noise = "x\x01\x1b[31m\r\ny\xff\xfez";
  struct Case {
    const char* name;
    std::function<std::string(ProjectFileSafety&)> make;  // returns the path
    const char* message;
  };
  const Case cases[] = {
      {"hot journal",
       [](ProjectFileSafety& t) {
         const std::string p = t.Project("hot.mdb");
         LeaveHotJournal(p);
         EXPECT_TRUE(fs::exists(p + "-journal"));
         return p;
       },
       "left half-written"},
      {"view over a recursive query",
       [](ProjectFileSafety& t) {
         const std::string p = t.Project("view.mdb");
         Sql(p,
             "DROP TABLE \"tbl基礎の安定\"; CREATE VIEW \"tbl基礎の安定\" AS WITH RECURSIVE "
             "c(x) AS (SELECT 1 UNION ALL SELECT x+1 FROM c) SELECT x AS R00, x AS R01, x AS "
             "E00, x AS E01 FROM c;");
         return p;
       },
       "tbl基礎の安定 is not a table"},
      {"trigger",
       [](ProjectFileSafety& t) {
         const std::string p = t.Project("trigger.mdb");
         Sql(p, "CREATE TRIGGER t AFTER DELETE ON \"tbl工事名\" BEGIN SELECT 1; END;");
         return p;
       },
       "trigger"},
      {"name longer than the window takes",
       [](ProjectFileSafety& t) {
         const std::string p = t.Project("long.mdb");
         std::string name;
         for (int i = 0; i < 256; ++i) name += "擁";
         ProjectDatabase::Open(p).Write(ProjectNameRow{name, "", 0});
         return p;
       },
       "tbl工事名.CName holds a text of 256 characters"},
      {"family code beyond 16 bits",
       [](ProjectFileSafety& t) {
         const std::string p = t.Project("wide.mdb");
         Sql(p, "UPDATE \"tbl工事名\" SET \"形状\" = 2147483648");
         return p;
       },
       "tbl工事名.形状 holds 2147483648"},
      {"family code as text with control bytes",
       [&](ProjectFileSafety& t) {
         const std::string p = t.Project("text.mdb");
         sqlite3* db = nullptr;
         sqlite3_open(p.c_str(), &db);
         sqlite3_stmt* st = nullptr;
         sqlite3_prepare_v2(db, "UPDATE \"tbl工事名\" SET \"形状\" = ?1", -1, &st, nullptr);
         sqlite3_bind_text(st, 1, line_noise.data(), static_cast<int>(line_noise.size()),
                           SQLITE_STATIC);
         sqlite3_step(st);
         sqlite3_finalize(st);
         sqlite3_close(db);
         return p;
       },
       "tbl工事名.形状 holds a text (\"x  [31m  y\xEF\xBF\xBD\xEF\xBF\xBDz\")"},
      {"family code as binary data",
       [](ProjectFileSafety& t) {
         const std::string p = t.Project("blob.mdb");
         Sql(p, "UPDATE \"tbl工事名\" SET \"形状\" = x'0001'");
         return p;
       },
       "holds binary data (2 bytes)"},
      {"folder",
       [](ProjectFileSafety& t) {
         fs::create_directory(t.dir_ / "user" / "folder.mdb");
         return (t.dir_ / "user" / "folder.mdb").string();
       },
       "is a folder"},
      {"pipe",
       [](ProjectFileSafety& t) {
         const std::string p = (t.dir_ / "user" / "pipe.mdb").string();
         mkfifo(p.c_str(), 0600);
         return p;
       },
       "is a pipe"},
      {"loop of symbolic links",
       [](ProjectFileSafety& t) {
         const fs::path p = t.dir_ / "user" / "loop.mdb";
         fs::create_symlink(p.filename(), p);
         return p.string();
       },
       "loop of symbolic links"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = c.make(*this);
    const auto before = Snapshot(dir_ / "user");
    for (int copy = 0; copy < 2; ++copy) {
      try {
        if (copy) {
          CopyProjectFile(path, private_);
        } else {
          CheckProjectFile(path);
        }
        ADD_FAILURE() << "accepted";
      } catch (const ProjectError& e) {
        const std::string what = e.what();
        EXPECT_EQ(what.rfind(path + ": ", 0), 0u) << what;
        EXPECT_NE(what.find(c.message), std::string::npos) << what;
        EXPECT_EQ(OneLineText(what), what) << "one line of valid text";
      }
    }
    EXPECT_EQ(Snapshot(dir_ / "user"), before);
    EXPECT_FALSE(fs::exists(private_));
    fs::remove_all(dir_ / "user");
    fs::create_directories(dir_ / "user");
  }
}

TEST_F(ProjectFileSafety, TheCopyHoldsTheCommittedWalFramesAndTheUserFilesStayAsTheyAre) {
  const std::string p = Project("wal.mdb");
  LeaveCommittedWal(p, "UPDATE \"tbl工事名\" SET CName='WALの名前';");
  ASSERT_TRUE(fs::exists(p + "-wal"));
  const std::string main_file = ReadAll(p), wal = ReadAll(p + "-wal");
  CheckProjectFile(p);
  CopyProjectFile(p, private_);
  EXPECT_EQ(ReadAll(p), main_file);
  EXPECT_EQ(ReadAll(p + "-wal"), wal);
  EXPECT_EQ(ProjectDatabase::OpenReadOnly(private_).ReadProjectName()->cname, "WALの名前");
  // The private copy keeps no WAL of its own.
  ProjectDatabase::Open(private_).Write(ProjectNameRow{"別", "", 0});
  EXPECT_FALSE(fs::exists(private_ + "-wal"));
  EXPECT_FALSE(fs::exists(private_ + ".tmp"));
}

TEST_F(ProjectFileSafety, AFileInWalModeIsReadWithoutMakingAnythingBesideIt) {
  // The folder holds exactly the same files with the same bytes after the check, the copy and a
  // read, whichever of the WAL and its index lie beside the file.
  const struct {
    const char* name;
    std::function<void(const std::string&)> make;
    const char* cname;  // what the read finds
  } cases[] = {
      {"WAL mode, no WAL file", [](const std::string& p) { Sql(p, "PRAGMA journal_mode=WAL"); },
       "市道１号線"},
      {"committed WAL frames and the index",
       [](const std::string& p) {
         LeaveCommittedWal(p, "UPDATE \"tbl工事名\" SET CName='WALの名前';");
       },
       "WALの名前"},
      {"committed WAL frames without the index",
       [](const std::string& p) {
         LeaveCommittedWal(p, "UPDATE \"tbl工事名\" SET CName='WALの名前';");
         fs::remove(p + "-shm");
       },
       "WALの名前"},
      {"an index without a WAL file",
       [](const std::string& p) {
         LeaveCommittedWal(p, "UPDATE \"tbl工事名\" SET CName='WALの名前';");
         Sql(p, "PRAGMA wal_checkpoint(TRUNCATE)");  // the last to close removes both
         std::ofstream(p + "-shm", std::ios::binary) << std::string(32768, '\0');
       },
       "WALの名前"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string p = Project("wal.mdb");
    c.make(p);
    const auto before = Snapshot(dir_ / "user");
    EXPECT_NO_THROW(CheckProjectFile(p));
    EXPECT_EQ(ProjectDatabase::OpenReadOnly(p).ReadProjectName()->cname, c.cname);
    CopyProjectFile(p, private_);
    EXPECT_EQ(Snapshot(dir_ / "user"), before);
    EXPECT_EQ(ProjectDatabase::OpenReadOnly(private_).ReadProjectName()->cname, c.cname);
    fs::remove_all(dir_ / "user");
    fs::create_directories(dir_ / "user");
  }
}

TEST_F(ProjectFileSafety, AHalfWrittenFileInWalModeIsStillRefused) {
  // A hot journal beside a file whose header says WAL (the journal would undo the change to WAL):
  // read from a private copy, it is refused as before, and the copy is gone.
  const std::string p = Project("hot.mdb");
  LeaveHotJournal(p);
  ASSERT_TRUE(fs::exists(p + "-journal"));
  std::string bytes = ReadAll(p);
  bytes[18] = bytes[19] = 2;
  std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
  const auto before = Snapshot(dir_ / "user");
  const fs::path tmp = dir_ / "tmp";
  fs::create_directories(tmp);
  const char* const old_tmpdir = getenv("TMPDIR");
  const std::string kept = old_tmpdir ? old_tmpdir : "";
  setenv("TMPDIR", tmp.c_str(), 1);
  try {
    CheckProjectFile(p);
    ADD_FAILURE() << "accepted";
  } catch (const ProjectError& e) {
    EXPECT_NE(std::string(e.what()).find("left half-written"), std::string::npos) << e.what();
  }
  if (old_tmpdir) {
    setenv("TMPDIR", kept.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
  EXPECT_EQ(Snapshot(dir_ / "user"), before);
  EXPECT_TRUE(fs::is_empty(tmp)) << "the private copy is removed";
}

TEST_F(ProjectFileSafety, AFileSavedOverAProjectIsNotCombinedWithTheOldProjectsJournal) {
  // The old project left a WAL or a hot journal behind (the program that wrote it died); the
  // window then saves another project over it, as a compacted copy put in its place.
  const struct {
    const char* name;
    std::function<void(const std::string&)> damage;
  } cases[] = {
      {"committed WAL frames",
       [](const std::string& p) {
         LeaveCommittedWal(p, "UPDATE \"tbl工事名\" SET CName='古い';");
       }},
      {"hot journal", [](const std::string& p) { LeaveHotJournal(p); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string target = Project("target.mdb");
    c.damage(target);
    const std::string working = Project("working.mdb");
    ProjectDatabase::Open(working).Write(ProjectNameRow{"新しい工事", "2026/03/04", 0});
    const std::string scratch = (dir_ / "scratch.mdb").string();
    CompactDatabase(working, scratch);
    CopyDatabaseFile(scratch, target);

    EXPECT_FALSE(fs::exists(target + "-wal"));
    EXPECT_FALSE(fs::exists(target + "-journal"));
    const std::string saved = ReadAll(target);
    ASSERT_NO_THROW(CopyProjectFile(target, private_));
    EXPECT_EQ(ProjectDatabase::OpenReadOnly(private_).ReadProjectName()->cname, "新しい工事");
    EXPECT_EQ(ReadAll(target), saved);
    fs::remove_all(dir_ / "user");
    fs::create_directories(dir_ / "user");
  }
}

TEST_F(ProjectFileSafety, ALockedOrReadOnlyProjectIsNotCalledNotAProject) {
  const std::string p = Project("locked.mdb");
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open(p.c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE; DELETE FROM \"tbl工事名\";", nullptr, nullptr,
                         nullptr),
            SQLITE_OK);
  try {
    CheckProjectFile(p);
    ADD_FAILURE() << "a locked file was read";
  } catch (const ProjectError& e) {
    EXPECT_NE(std::string(e.what()).find("locked by another program"), std::string::npos)
        << e.what();
  }
  sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(holder);

  fs::permissions(p, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_NO_THROW(CheckProjectFile(p));
  EXPECT_NO_THROW(CopyProjectFile(p, private_));
  EXPECT_EQ(ProjectDatabase::Open(private_).ReadProjectName()->cname, "市道１号線");
}

TEST_F(ProjectFileSafety, StoredFamilyCodesOutsideTheThreeFamiliesAreRefusedNamingTheValue) {
  const std::string p = Project("family.mdb");
  EXPECT_EQ(StoredWallFamily(ProjectDatabase::Open(p)), WallFamily::Gravity);
  struct Case {
    const char* sql;
    const char* message;
  };
  const Case cases[] = {
      {"UPDATE \"tbl単位系及び形式\" SET Kisk = 3",
       "the stored wall family 3 is unknown (tbl単位系及び形式.Kisk"},
      {"UPDATE \"tbl工事名\" SET \"形状\" = -1",
       "the stored wall family -1 is unknown (tbl工事名.形状"},
      {"DELETE FROM \"tbl単位系及び形式\"; UPDATE \"tbl工事名\" SET \"形状\" = 32767",
       "the stored wall family 32767 is unknown"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    const std::string copy = (dir_ / "case.mdb").string();
    fs::copy_file(p, copy, fs::copy_options::overwrite_existing);
    Sql(copy, c.sql);
    try {
      StoredWallFamily(ProjectDatabase::Open(copy));
      ADD_FAILURE();
    } catch (const UnknownFamilyError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

TEST_F(ProjectFileSafety, InputsBeyondPhysicalMeaningAreRefusedNamingTheField) {
  const std::string p = Project("limits.mdb");
  struct Case {
    const char* table;
    const char* field;
    double value;
    int family;
    const char* refused;  // nullptr: accepted
  };
  const Case cases[] = {
      {"tbl形状サイズ_重力式", "T01", 1000, 0, nullptr},
      {"tbl形状サイズ_重力式", "T01", 535342407.37, 0,
       "tbl形状サイズ_重力式.T01（T2）の値 535342400 m"},
      {"tbl形状サイズ_重力式", "H", -1000.5, 0, "tbl形状サイズ_重力式.H（H0）"},
      {"tbl形状サイズ_重力式", "β", 89.9, 0, nullptr},
      {"tbl形状サイズ_重力式", "β", 90, 0, "tbl形状サイズ_重力式.β（β）の値 90 °"},
      {"tbl形状サイズ_重力式", "β", -90, 0, "β"},
      {"tbl形状サイズ_もたれ式", "T01", 5000, 0, nullptr},  // another family's table
      {"tbl形状サイズ_もたれ式", "T01", 5000, 1, "tbl形状サイズ_もたれ式.T01"},
      {"tblコンクリート", "γc", 1000, 0, nullptr},
      {"tblコンクリート", "γc", 1000.5, 0, "tblコンクリート.γc"},
      {"tblコンクリート", "γc", -23, 0, "tblコンクリート.γc"},
      {"tbl単位体積重量及び土質定数", "γ", 2e30, 0, "γ"},
      {"tbl単位体積重量及び土質定数", "φ", 0, 0, nullptr},
      {"tbl単位体積重量及び土質定数", "φ", 90, 0, "tbl単位体積重量及び土質定数.φ"},
      {"tbl単位体積重量及び土質定数", "φ", -1, 0, "φ"},
      {"tbl鉄筋", "dt0", 1e6, 0, nullptr},  // the gravity wall has no bars
      {"tbl鉄筋", "dt0", 1e6, 2, "tbl鉄筋.dt0（dt）の値 1000000 cm"},
      // A surcharge may be none or large, never negative; q2 counts for the cantilever only.
      {"tbl単位体積重量及び土質定数", "q1", 0, 0, nullptr},
      {"tbl単位体積重量及び土質定数", "q1", 1e30, 1, nullptr},
      {"tbl単位体積重量及び土質定数", "q1", -1, 0,
       "tbl単位体積重量及び土質定数.q1（荷載荷重(上) q1）の値 -1 は範囲［0 ～ ∞）の外にあります。"},
      {"tbl単位体積重量及び土質定数", "q1", -1, 1, "q1（荷載荷重(上) q1）の値 -1"},
      {"tbl単位体積重量及び土質定数", "q1", -1, 2, "q1（荷載荷重(上) q1）の値 -1"},
      {"tbl単位体積重量及び土質定数", "q2", -1, 0, nullptr},
      {"tbl単位体積重量及び土質定数", "q2", -1, 2,
       "tbl単位体積重量及び土質定数.q2（荷載荷重(下) q2）の値 -1 は範囲［0 ～ ∞）"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.table) + "." + c.field + " = " + std::to_string(c.value));
    const std::string copy = (dir_ / "case.mdb").string();
    fs::copy_file(p, copy, fs::copy_options::overwrite_existing);
    Sql(copy, std::string("DELETE FROM \"") + c.table + "\"; INSERT INTO \"" + c.table + "\" (\"" +
                  c.field + "\") VALUES (" + std::to_string(c.value) + ")");
    const ProjectDatabase db = ProjectDatabase::Open(copy);
    if (!c.refused) {
      EXPECT_NO_THROW(CheckInputLimits(db, c.family));
      continue;
    }
    try {
      CheckInputLimits(db, c.family);
      ADD_FAILURE() << "accepted";
    } catch (const ProjectError& e) {
      EXPECT_NE(std::string(e.what()).find(c.refused), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace ktv
