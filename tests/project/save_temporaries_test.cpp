// A save killed before its rename leaves a temporary file; the next start or the next save into
// the folder removes it, and nothing of the same form that the program did not make.
#include "project/save_temporaries.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>

#include "project/project_database.h"

namespace ktv {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

std::set<std::string> Names(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

class SaveTemporariesTest : public ::testing::Test {
 public:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("ktv_temporaries_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "DAT");
    fs::create_directories(dir_ / "projects");
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Project(const fs::path& path, const std::string& name) {
    CreateProjectDatabase(path.string());
    ProjectDatabase::Open(path.string()).Write(ProjectNameRow{name, "", 0});
    return path.string();
  }
  fs::path dir_;
};

TEST_F(SaveTemporariesTest, OnlyNamesMadeUnderTheInstallationsKeyAreOurs) {
  const SaveTemporaries ours = SaveTemporaries::OfDataFolder((dir_ / "DAT").string());
  const SaveTemporaries other = SaveTemporaries::Private();
  const std::string target = (dir_ / "projects" / "擁壁A.mdb").string();
  const std::string name = ours.NewNameFor(target);
  EXPECT_EQ(fs::path(name).parent_path(), fs::path(target).parent_path());
  const std::string file = fs::path(name).filename().string();
  ASSERT_EQ(file.rfind("擁壁A.mdb.ktv-", 0), 0u) << file;
  EXPECT_NE(name, ours.NewNameFor(target)) << "a new nonce every time";

  // The tag: the last 16 hexadecimal digits before ".tmp".
  std::string forged = name;
  const size_t tag_end = forged.size() - 4;
  forged[tag_end - 1] = forged[tag_end - 1] == '0' ? '1' : '0';
  std::string renamed = name;
  renamed.replace(renamed.find("擁壁A"), std::string("擁壁A").size(), "擁壁B");
  std::string upper = name;
  for (size_t i = upper.find(".ktv-"); i < upper.size(); ++i) upper[i] = toupper(upper[i]);
  const struct {
    std::string path;
    bool ours;
  } cases[] = {
      {name, true},
      {name + "-journal", true},  // what the engine writes beside a temporary copy
      {name + "-wal", true},
      {name + "-shm", true},
      {name + "-other", false},
      {forged, false},                    // same form, a tag the key does not give
      {other.NewNameFor(target), false},  // another installation's
      {renamed, false},                   // the tag covers the target's name
      {upper, false},
      {name.substr(0, name.size() - 4), false},  // without ".tmp"
      {target, false},
      {target + ".tmp", false},
      {target + ".a1B2c3", false},  // a QSaveFile name
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(ours.IsOurs(c.path), c.ours);
  }
  // The key is kept: the next start knows the names of this one.
  EXPECT_TRUE(SaveTemporaries::OfDataFolder((dir_ / "DAT").string()).IsOurs(name));
}

TEST_F(SaveTemporariesTest, ADamagedKeyFileIsReplacedAndItsNamesAreNoLongerOurs) {
  const std::string data = (dir_ / "DAT").string();
  const std::string key = (dir_ / "DAT" / kTemporaryKeyFileName).string();
  const std::string name = SaveTemporaries::OfDataFolder(data).NewNameFor(data + "/Data.mdb");
  const std::string whole = ReadAll(key);
  ASSERT_EQ(whole.size(), 65u);
  std::ofstream(key, std::ios::binary | std::ios::trunc) << whole.substr(0, 20);
  const SaveTemporaries fresh = SaveTemporaries::OfDataFolder(data);
  EXPECT_FALSE(fresh.IsOurs(name));
  EXPECT_EQ(ReadAll(key).size(), 65u);
  EXPECT_TRUE(SaveTemporaries::OfDataFolder(data).IsOurs(fresh.NewNameFor(data + "/Data.mdb")));
}

// The copy runs in a child that ends at the hook, just before its rename, as a kill there would.
void CopyKilledBeforeRename(const std::function<void(const SaveTemporaries&)>& copy,
                            const std::string& data) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    SaveTemporaries temporaries = SaveTemporaries::OfDataFolder(data);
    temporaries.before_rename = [](const std::string&) { _exit(7); };
    try {
      copy(temporaries);
    } catch (...) {
    }
    _exit(1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 7) << "the copy did not reach its rename";
}

TEST_F(SaveTemporariesTest, AKilledSaveLeavesATemporaryThatTheNextStartOrSaveRemoves) {
  const std::string data = (dir_ / "DAT").string();
  const fs::path projects = dir_ / "projects";
  const std::string old_project = Project(projects / "saved.mdb", "旧い工事");
  const std::string new_project = Project(dir_ / "new.mdb", "新しい工事");
  // Files of the same form that the program did not make, and the engineer's own files.
  const std::string foreign = SaveTemporaries::Private().NewNameFor(old_project);
  std::string forged = SaveTemporaries::OfDataFolder(data).NewNameFor(old_project);
  forged[forged.size() - 5] = forged[forged.size() - 5] == 'a' ? 'b' : 'a';
  for (const std::string& f : {foreign, forged, old_project + ".a1B2c3"}) {
    std::ofstream(f) << "not ours";
  }
  const std::set<std::string> untouched = Names(projects);

  using Copy = std::function<void(const std::string&, const std::string&, const SaveTemporaries&)>;
  const struct {
    const char* copy_name;
    Copy copy;
  } copies[] = {
      {"CopyDatabaseFile", [](const std::string& from, const std::string& to,
                              const SaveTemporaries& t) { CopyDatabaseFile(from, to, t); }},
      {"CopyProjectFile", [](const std::string& from, const std::string& to,
                             const SaveTemporaries& t) { CopyProjectFile(from, to, t); }},
  };
  const struct {
    const char* then_name;
    std::function<void()> then;
  } afterwards[] = {
      {"the next start",
       [&] { SaveTemporaries::OfDataFolder(data).RemoveStaleIn(projects.string()); }},
      {"the next save",
       [&] {
         CopyDatabaseFile(new_project, (projects / "other.mdb").string(),
                          SaveTemporaries::OfDataFolder(data));
         fs::remove(projects / "other.mdb");
       }},
  };
  for (const auto& c : copies) {
    for (const auto& a : afterwards) {
      SCOPED_TRACE(std::string(c.copy_name) + ", then " + a.then_name);
      const std::string saved_bytes = ReadAll(old_project);
      CopyKilledBeforeRename([&](const SaveTemporaries& t) { c.copy(new_project, old_project, t); },
                             data);
      // The old project is whole and the new one complete beside it.
      EXPECT_EQ(ReadAll(old_project), saved_bytes);
      std::set<std::string> left = Names(projects);
      for (const std::string& n : untouched) left.erase(n);
      ASSERT_FALSE(left.empty()) << "no temporary file left by the killed save";
      for (const std::string& n : left) {
        EXPECT_TRUE(SaveTemporaries::OfDataFolder(data).IsOurs((projects / n).string())) << n;
      }
      a.then();
      EXPECT_EQ(Names(projects), untouched);
      EXPECT_EQ(ReadAll(foreign), "not ours");
    }
  }
  EXPECT_EQ(ProjectDatabase::OpenReadOnly(old_project).ReadProjectName()->cname, "旧い工事");
}

TEST_F(SaveTemporariesTest, ACopyReplacesTheFileKeepingItsPermissionsAndALinkToIt) {
  const std::string data = (dir_ / "DAT").string();
  const fs::path projects = dir_ / "projects";
  const std::string target = Project(projects / "saved.mdb", "旧い工事");
  const std::string source = Project(dir_ / "new.mdb", "新しい工事");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink("saved.mdb", projects / "link.mdb");
  CopyDatabaseFile(source, (projects / "link.mdb").string(), SaveTemporaries::OfDataFolder(data));
  EXPECT_TRUE(fs::is_symlink(projects / "link.mdb"));
  EXPECT_EQ(ReadAll(target), ReadAll(source));
  EXPECT_EQ(fs::status(target).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(Names(projects), (std::set<std::string>{"link.mdb", "saved.mdb"}));
}

}  // namespace
}  // namespace ktv
