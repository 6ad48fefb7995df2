// A project's data: read from a database once, written back by the one writer, and the checks of
// physical limits naming a file's field or the window's box.
#include "project/project_data.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "project/input_limits.h"

namespace ktv {
namespace {

ProjectData Sample() {
  ProjectData d;
  d.name = ProjectNameRow{"市道１号線擁壁工事", "2024/04/01", 2};
  d.unit = UnitRow{"CGS 単位", 2};
  RebarRow rebar;
  rebar.kind = 1;
  rebar.sigma_sa = 1800;
  rebar.hAA = 3.0f;
  rebar.size = {3, 0, 4, 1, 3, 0, 3, 0};
  rebar.ctc = {250, 0, 125, 250, 250, 0, 250, 0};
  rebar.design_section_aa = true;
  d.rebar = rebar;
  d.concrete = ConcreteRow{24, 250000, 240, 80, 2.3f, 3.9f, 2.35f};
  SoilRow soil;
  soil.ut_kind = "1";
  soil.gamma = 1.8f;
  soil.phi = 30;
  soil.q1 = 1.0f;
  d.soil = soil;
  d.foundation = FoundationRow{30, 1.5f, 45, 1.2f};
  for (int f = 0; f < kWallFamilyCount; ++f) {
    ShapeRow s = ShapeRowOf(StandardDimensions(f));
    s.hh = 0.0f;
    s.hl = 0.0f;
    d.shapes[f] = s;
  }
  return d;
}

TEST(ProjectData, WrittenAndReadBackIsTheSameValue) {
  QTemporaryDir dir;
  const std::string path = (dir.path() + "/p.mdb").toStdString();
  CreateProjectDatabase(path);
  ProjectDatabase db = ProjectDatabase::Open(path);
  const ProjectData empty = ReadProjectData(db);
  EXPECT_FALSE(empty.name || empty.unit || empty.rebar || empty.soil);
  EXPECT_TRUE(empty.IsSI());
  EXPECT_EQ(StoredWallFamily(empty), WallFamily::Gravity);

  ProjectData d = Sample();
  WriteProjectData(d, db);
  d.file = path;
  const ProjectData back = ReadProjectData(db);
  EXPECT_EQ(back, d);
  EXPECT_FALSE(back.IsSI());
  EXPECT_EQ(StoredWallFamily(back), WallFamily::Cantilever);
}

TEST(ProjectData, MillimetresAndMetresRoundTripThroughTheShapeRow) {
  for (int f = 0; f < kWallFamilyCount; ++f) {
    FamilyDimensions mm = StandardDimensions(f);
    mm.t[3] = mm.l[3] = mm.d[5] = 0;  // the file keeps no shear key
    EXPECT_EQ(DimensionsOf(ShapeRowOf(mm)), mm) << f;
  }
  const ShapeRow row = ShapeRowOf(StandardDimensions(kCantilever));
  EXPECT_FLOAT_EQ(row.h, 6.3f);
  EXPECT_FLOAT_EQ(row.l[2], 2.4f);
  EXPECT_FALSE(row.hh.has_value());
}

// A file's value is named by its file, table and field; the window's by its box as labelled, in
// the unit the box shows.
TEST(ProjectData, LimitMessagesNameTheFileFieldOrTheWindowBox) {
  ProjectData d = Sample();
  d.shapes[kGravity]->h = 2000;  // m
  d.file = "/p/q.mdb";
  try {
    CheckInputLimits(d, kGravity);
    ADD_FAILURE() << "accepted";
  } catch (const ProjectError& e) {
    EXPECT_STREQ(
        e.what(),
        "プロジェクトファイル /p/q.mdb の tbl形状サイズ_重力式.H（H0）の値 2000 m は範囲［-1000 "
        "～ 1000 m］の外にあります。");
  }
  d.file.clear();
  try {
    CheckInputLimits(d, kGravity);
    ADD_FAILURE() << "accepted";
  } catch (const ProjectError& e) {
    EXPECT_STREQ(e.what(), "H0の値 2000000 mm は範囲［-1000000 ～ 1000000 mm］の外にあります。");
  }
  d = Sample();
  d.soil->phi = 90;
  EXPECT_THROW(CheckInputLimits(d, kLeaning), ProjectError);
  d.soil->phi = 89.5f;
  EXPECT_NO_THROW(CheckInputLimits(d, kLeaning));
  // A file without a table the family needs is refused naming the file and the table.
  d.file = "/p/q.mdb";
  d.concrete.reset();
  try {
    RequireRow(d.concrete, d, kTableConcrete);
    ADD_FAILURE() << "accepted";
  } catch (const ProjectError& e) {
    EXPECT_STREQ(e.what(),
                 "プロジェクトファイル /p/q.mdb の表 tblコンクリート にデータがありません。");
  }
}

}  // namespace
}  // namespace ktv
