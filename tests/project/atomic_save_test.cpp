// Saving over an existing project is atomic under a crash: a process killed at any moment of a
// save leaves the old project or the new one, complete, never a mixture or a damaged file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "project/project_database.h"

namespace ktv {
namespace {

namespace fs = std::filesystem;

void WriteProject(const std::string& path, const std::string& name, float h) {
  CreateProjectDatabase(path);
  ProjectDatabase db = ProjectDatabase::Open(path);
  db.BeginTransaction();
  db.Write(ProjectNameRow{name, "2026/01/02", 0});
  db.Write(UnitRow{"SI 単位", 0});
  db.Write(ConcreteRow{18, 2.5f, 18, 4.5f, 0.23f, 0.39f, 23});
  ShapeRow shape;
  shape.t = {0.23f, 0.7f, 0.69f};
  shape.h = h;
  for (int family = 0; family < 3; ++family) db.WriteShape(family, shape);
  db.Commit();
}

std::string IntegrityCheck(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr);
  std::string result = sqlite3_step(st) == SQLITE_ROW
                           ? reinterpret_cast<const char*>(sqlite3_column_text(st, 0))
                           : sqlite3_errmsg(db);
  sqlite3_finalize(st);
  sqlite3_close(db);
  return result;
}

TEST(AtomicSave, AKilledSaveLeavesTheOldOrTheNewProjectComplete) {
  const fs::path dir = fs::temp_directory_path() / ("ktv_atomic_save_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string old_project = (dir / "old.mdb").string();
  const std::string new_project = (dir / "new.mdb").string();
  const std::string scratch = (dir / "Data2.mdb").string();
  const std::string target = (dir / "saved.mdb").string();
  WriteProject(old_project, "旧い工事", 2.3f);
  WriteProject(new_project, "新しい工事", 4.5f);

  std::mt19937 random(20);  // fixed: the same moments on every run
  std::uniform_int_distribution<int> moment_us(0, 250000);
  int seen_old = 0, seen_new = 0;
  for (int run = 0; run < 50; ++run) {
    CopyDatabaseFile(old_project, target);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // The window's save, over and over: compact into the scratch file, copy it to the file.
      for (int i = 0;; ++i) {
        try {
          CompactDatabase(i % 2 ? old_project : new_project, scratch);
          CopyDatabaseFile(scratch, target);
        } catch (...) {
          _exit(3);
        }
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(moment_us(random)));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child failed on its own, run " << run;

    SCOPED_TRACE("run " + std::to_string(run));
    ASSERT_EQ(IntegrityCheck(target), "ok");
    const ProjectDatabase db = ProjectDatabase::OpenReadOnly(target);
    const std::string name = db.ReadProjectName()->cname;
    ASSERT_TRUE(name == "旧い工事" || name == "新しい工事") << name;
    const bool is_new = name == "新しい工事";
    (is_new ? seen_new : seen_old)++;
    for (int family = 0; family < 3; ++family) {
      EXPECT_EQ(db.ReadShape(family)->h, is_new ? 4.5f : 2.3f) << "a mixture of two projects";
    }
    EXPECT_EQ(db.ReadConcrete()->gamma_c, 23.0f);
  }
  // Kills that never met a finished save would prove nothing.
  EXPECT_GT(seen_new, 0);
  EXPECT_GT(seen_old, 0);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace ktv
