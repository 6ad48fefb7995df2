#include "project/project_database.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>

namespace ktv {
namespace {

namespace fs = std::filesystem;

class ProjectDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("ktv_db_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "Data.mdb").string();
  }
  void TearDown() override { fs::remove_all(dir_); }
  void Sql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    sqlite3_close(db);
  }
  int RowCount(const std::string& table) {
    sqlite3* db = nullptr;
    sqlite3_open(path_.c_str(), &db);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, ("SELECT count(*) FROM \"" + table + "\"").c_str(), -1, &st, nullptr);
    sqlite3_step(st);
    int n = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return n;
  }
  fs::path dir_;
  std::string path_;
};

TEST_F(ProjectDatabaseTest, NewDatabaseHasNineEmptyTables) {
  CreateProjectDatabase(path_);
  auto db = ProjectDatabase::Open(path_);
  EXPECT_FALSE(db.ReadProjectName());
  EXPECT_FALSE(db.ReadUnit());
  EXPECT_FALSE(db.ReadRebar());
  EXPECT_FALSE(db.ReadConcrete());
  EXPECT_FALSE(db.ReadSoil());
  EXPECT_FALSE(db.ReadFoundation());
  for (int f = 0; f < 3; ++f) EXPECT_FALSE(db.ReadShape(f));
  EXPECT_TRUE(db.IsSI());
  // Defaults of an empty table.
  EXPECT_EQ(db.ReadUnit().value_or(UnitRow{}).unit, "SI 単位");
}

TEST_F(ProjectDatabaseTest, WritingTwiceLeavesOneRowAndValuesReadBackExactly) {
  CreateProjectDatabase(path_);
  {
    auto db = ProjectDatabase::Open(path_);
    for (int pass = 0; pass < 2; ++pass) {
      db.Write(ProjectNameRow{" ", "2026/12/10", 2});
      db.Write(UnitRow{"CGS 単位", 2});
      RebarRow r;
      r.kind = 1;
      r.strength = 3;
      r.sigma_sa = 180.1f;
      r.hAA = 0.001f * 2300.0f;
      r.size[7] = 13;
      r.ctc[3] = 250;
      db.Write(r);
      db.Write(ConcreteRow{18, 2.5f, 18, 4.5f, 0.23f, 0.39f, 23});
      SoilRow s;
      s.ut_kind = "13";
      s.gamma = 19.6133f;
      s.phi = 35;
      s.kh = 0.2f;
      db.Write(s);
      db.Write(FoundationRow{200, 1.5f, 300, 1.2f});
      ShapeRow shape;
      shape.t = {0.23f, 0.7f, 0.69f};
      shape.h = 2.3f;
      shape.beta = 29.05f;
      db.WriteShape(0, shape);
      shape.hh = 0;
      shape.hl = 0;
      db.WriteShape(1, shape);
    }
  }
  for (const char* t :
       {kTableProjectName, kTableUnit, kTableRebar, kTableConcrete, kTableSoil, kTableFoundation}) {
    EXPECT_EQ(RowCount(t), 1) << t;
  }
  auto db = ProjectDatabase::Open(path_);
  EXPECT_EQ(db.ReadProjectName()->cname, " ");
  EXPECT_EQ(db.ReadProjectName()->shape, 2);
  EXPECT_FALSE(db.IsSI());
  auto r = *db.ReadRebar();
  EXPECT_EQ(r.sigma_sa, 180.1f);
  EXPECT_EQ(r.hAA, 0.001f * 2300.0f);
  EXPECT_EQ(r.size[7], 13);
  EXPECT_EQ(r.ctc[3], 250);
  EXPECT_EQ(db.ReadConcrete()->sigma_cat, 0.23f);
  EXPECT_EQ(db.ReadSoil()->gamma, 19.6133f);
  EXPECT_EQ(db.ReadSoil()->ut_kind, "13");
  auto g = *db.ReadShape(0);
  EXPECT_EQ(g.beta, 29.05f);
  EXPECT_FALSE(g.hh);  // reserved fields stay empty for the current family
  EXPECT_EQ(db.ReadShape(1)->hl, 0.0f);
}

TEST_F(ProjectDatabaseTest, FieldNamesMatchWithoutRegardToCase) {
  // A file written by another tool with lower-case field names is still a project.
  CreateProjectDatabase(path_);
  Sql(path_,
      "DROP TABLE \"tbl鉄筋\"; CREATE TABLE \"tbl鉄筋\" (kind INTEGER, strength INTEGER, "
      "\"σsa\" REAL, \"σsaT\" REAL, es REAL, DT0 REAL, dt1 REAL, haa REAL, size00 INTEGER, "
      "size01 INTEGER, size02 INTEGER, size03 INTEGER, size04 INTEGER, size05 INTEGER, "
      "size06 INTEGER, size07 INTEGER, CTC00 INTEGER, ctc01 INTEGER, ctc02 INTEGER, ctc03 "
      "INTEGER, ctc04 INTEGER, ctc05 INTEGER, ctc06 INTEGER, ctc07 INTEGER);"
      "INSERT INTO \"tbl鉄筋\" (kind, size00) VALUES (1, 5);");
  auto db = ProjectDatabase::Open(path_);
  EXPECT_EQ(db.ReadRebar()->kind, 1);
  EXPECT_EQ(db.ReadRebar()->size[0], 5);
}

TEST_F(ProjectDatabaseTest, BadFilesAreRefusedWithTheirNameAndWhatIsWrong) {
  auto expect_error = [](const std::string& path, const std::string& part) {
    try {
      ProjectDatabase::Open(path);
      ADD_FAILURE() << "opened " << path;
    } catch (const ProjectError& e) {
      std::string what = e.what();
      EXPECT_NE(what.find(path), std::string::npos) << what;
      EXPECT_NE(what.find(part), std::string::npos) << what;
    }
  };
  expect_error((dir_ / "missing.mdb").string(), "does not exist");

  std::string text = (dir_ / "text.mdb").string();
  std::ofstream(text) << "this is not a database at all, just some text........";
  expect_error(text, "not a project database");

  CreateProjectDatabase(path_);
  std::string truncated = (dir_ / "truncated.mdb").string();
  {
    std::ifstream in(path_, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::ofstream(truncated, std::ios::binary) << bytes.substr(0, 1000);
  }
  expect_error(truncated, "not a project database");

  std::string no_table = (dir_ / "notable.mdb").string();
  CreateProjectDatabase(no_table);
  Sql(no_table, "DROP TABLE \"tbl基礎の安定\"");
  expect_error(no_table, "tbl基礎の安定 is missing");

  std::string no_field = (dir_ / "nofield.mdb").string();
  CreateProjectDatabase(no_field);
  Sql(no_field, "DROP TABLE \"tbl単位系及び形式\"; CREATE TABLE \"tbl単位系及び形式\" (Unit TEXT)");
  expect_error(no_field, "tbl単位系及び形式.Kisk is missing");

  std::string wrong_type = (dir_ / "text_in_number.mdb").string();
  CreateProjectDatabase(wrong_type);
  Sql(wrong_type, "INSERT INTO \"tblコンクリート\" (\"γc\") VALUES ('abc')");
  auto db = ProjectDatabase::Open(wrong_type);
  try {
    db.ReadConcrete();
    ADD_FAILURE();
  } catch (const ProjectError& e) {
    EXPECT_NE(std::string(e.what()).find("tblコンクリート.γc holds a text"), std::string::npos);
  }
}

TEST_F(ProjectDatabaseTest, CopyAndCompactKeepTheProject) {
  CreateProjectDatabase(path_);
  {
    auto db = ProjectDatabase::Open(path_);
    db.Write(ProjectNameRow{"工事", "2026/01/02", 0});
  }
  std::string copy = (dir_ / "copy.mdb").string();
  CopyDatabaseFile(path_, copy);
  EXPECT_EQ(ProjectDatabase::Open(copy).ReadProjectName()->cname, "工事");
  std::string compact = (dir_ / "Data2.mdb").string();
  CompactDatabase(path_, compact);
  CompactDatabase(path_, compact);  // replaces an existing target
  EXPECT_EQ(ProjectDatabase::Open(compact).ReadProjectName()->data, "2026/01/02");
  EXPECT_FALSE(fs::exists(copy + ".tmp"));
  EXPECT_THROW(CopyDatabaseFile((dir_ / "none.mdb").string(), copy), ProjectError);
  EXPECT_EQ(ProjectDatabase::Open(copy).ReadProjectName()->cname, "工事");  // untouched
}

// The A-A′ design switch is kept with the project; files written before it existed still open,
// read it as unchecked, and get the field on their next write.
TEST_F(ProjectDatabaseTest, SectionAaSwitchIsStoredAndOlderFilesWithoutItStillOpen) {
  CreateProjectDatabase(path_);
  {
    auto db = ProjectDatabase::Open(path_);
    RebarRow r;
    r.hAA = 3.0f;
    r.design_section_aa = true;
    db.Write(r);
    EXPECT_TRUE(db.ReadRebar()->design_section_aa);
    r.design_section_aa = false;
    db.Write(r);
    EXPECT_FALSE(db.ReadRebar()->design_section_aa);
  }
  // An older file: the same tables without the field, holding a row.
  Sql(path_, "ALTER TABLE \"tbl鉄筋\" DROP COLUMN \"chkhAA\"");
  {
    auto db = ProjectDatabase::Open(path_);
    ASSERT_TRUE(db.ReadRebar());
    EXPECT_FALSE(db.ReadRebar()->design_section_aa);
    EXPECT_FLOAT_EQ(db.ReadRebar()->hAA, 3.0f);
    RebarRow r = *db.ReadRebar();
    r.design_section_aa = true;
    db.Write(r);
    EXPECT_TRUE(db.ReadRebar()->design_section_aa);
    EXPECT_FLOAT_EQ(db.ReadRebar()->hAA, 3.0f);
  }
  EXPECT_NO_THROW(CheckProjectFile(path_));
  // An older file opened read-only still reads.
  Sql(path_, "ALTER TABLE \"tbl鉄筋\" DROP COLUMN \"chkhAA\"");
  fs::permissions(path_, fs::perms::owner_read, fs::perm_options::replace);
  EXPECT_FALSE(ProjectDatabase::Open(path_).ReadRebar()->design_section_aa);
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::replace);
}

}  // namespace
}  // namespace ktv
