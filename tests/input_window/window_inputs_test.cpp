#include "input_window/window_inputs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>

#include "app/standard_sizes.h"
#include "families/family_table.h"
#include "input_window/older_record_mapping.h"
#include "project/older_format_record.h"
#include "project/project_database.h"

namespace ktv {
namespace {

namespace fs = std::filesystem;

class DatabaseFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    dir_ = fs::temp_directory_path() / ("ktv_inputs_" + std::to_string(rd()));
    fs::create_directories(dir_);
    path_ = (dir_ / "Data.mdb").string();
    CreateProjectDatabase(path_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
  std::string path_;
};

// A project with a value in every field, cantilever family, CGS.
WindowInputs FilledInputs() {
  WindowInputs in = EmptyWindowInputs();
  in.project_name = "擁壁A";
  in.office_name = "設計事務所";
  in.date = "2014/08/04";
  in.print_project_name = false;
  in.print_date = true;
  in.si = false;
  in.family = WallFamily::Cantilever;
  in.t = {"570", "400", "400"};
  in.l = {"1000", "600", "2400"};
  in.h = {"6300", "1200"};
  in.d = {"500", "600", "400", "600", "400"};
  in.b = "0";
  in.beta = "12.50";
  in.q1 = "1.0";
  in.q2 = "0.5";
  in.kh = "0.20";
  in.soil_class = 2;
  in.gamma = "1.80";
  in.phi = "25.0";
  in.c = "0.3";
  in.phi_b = "0.5";
  in.nu = {"0.1", "0.2", "0.3"};
  in.ko = "0.45";
  in.qa_normal = "30.0";
  in.qa_seismic = "45.0";
  in.slide_normal = "1.5";
  in.slide_seismic = "1.2";
  in.fc = "240.00";
  in.sigma_ck = "240.00";
  in.sigma_cac = "80.00";
  in.sigma_cat = "7.40";
  in.tau_a = "3.95";
  in.gamma_c = "2.35";
  in.ec = "235";
  in.bar_kind = 1;
  in.bar_grade = 3;
  in.es = "2100";
  in.sigma_sa = "1600";
  in.sigma_saT = "1400";
  in.dt = {"7.5", "10.0"};
  in.h_aa = "2500";
  in.bar_size = {13, 0, 5, 4, 3, 1, 2, 14};
  in.ctc = {"125", "0", "250", "250", "150", "300", "200", "200"};
  in.memory[kGravity].t[0] = 111;
  in.memory[kLeaning].h = 5555;
  in.memory[kLeaning].beta = 17.25f;
  in.shown_family = WallFamily::Cantilever;
  return in;
}

// Every value the project file holds.
void ExpectSameStoredInputs(const WindowInputs& a, const WindowInputs& b) {
  EXPECT_EQ(a.project_name, b.project_name);
  EXPECT_EQ(a.date, b.date);
  EXPECT_EQ(a.si, b.si);
  EXPECT_EQ(a.family, b.family);
  EXPECT_EQ(a.t, b.t);
  EXPECT_EQ(a.l, b.l);
  EXPECT_EQ(a.h[0], b.h[0]);
  EXPECT_EQ(a.d, b.d);
  EXPECT_EQ(a.b, b.b);
  EXPECT_EQ(a.beta, b.beta);
  EXPECT_EQ(a.q1, b.q1);
  EXPECT_EQ(a.q2, b.q2);
  EXPECT_EQ(a.kh, b.kh);
  EXPECT_EQ(a.soil_class, b.soil_class);
  EXPECT_EQ(a.gamma, b.gamma);
  EXPECT_EQ(a.phi, b.phi);
  EXPECT_EQ(a.c, b.c);
  EXPECT_EQ(a.phi_b, b.phi_b);
  EXPECT_EQ(a.nu, b.nu);
  EXPECT_EQ(a.ko, b.ko);
  EXPECT_EQ(a.qa_normal, b.qa_normal);
  EXPECT_EQ(a.qa_seismic, b.qa_seismic);
  EXPECT_EQ(a.slide_normal, b.slide_normal);
  EXPECT_EQ(a.slide_seismic, b.slide_seismic);
  EXPECT_EQ(a.fc, b.fc);
  EXPECT_EQ(a.sigma_ck, b.sigma_ck);
  EXPECT_EQ(a.sigma_cac, b.sigma_cac);
  EXPECT_EQ(a.sigma_cat, b.sigma_cat);
  EXPECT_EQ(a.tau_a, b.tau_a);
  EXPECT_EQ(a.gamma_c, b.gamma_c);
  EXPECT_EQ(a.ec, b.ec);
  EXPECT_EQ(a.bar_kind, b.bar_kind);
  EXPECT_EQ(a.bar_grade, b.bar_grade);
  EXPECT_EQ(a.es, b.es);
  EXPECT_EQ(a.sigma_sa, b.sigma_sa);
  EXPECT_EQ(a.sigma_saT, b.sigma_saT);
  EXPECT_EQ(a.dt, b.dt);
  EXPECT_EQ(a.h_aa, b.h_aa);
  EXPECT_EQ(a.design_aa, b.design_aa);
  EXPECT_EQ(a.bar_size, b.bar_size);
  EXPECT_EQ(a.ctc, b.ctc);
}

TEST_F(DatabaseFile, WrittenInputsLoadBackUnchanged) {
  WindowInputs in = FilledInputs();
  {
    ProjectDatabase db = ProjectDatabase::Open(path_);
    WriteWindowInputs(in, db);
  }
  ProjectDatabase db = ProjectDatabase::Open(path_);
  WindowInputs back = LoadWindowInputs(db, CoverSettingsOf(in));
  ExpectSameStoredInputs(in, back);
  EXPECT_EQ(back.office_name, "設計事務所");
  EXPECT_FALSE(back.print_project_name);
  // The memory of the other families comes back from their shape tables.
  EXPECT_FLOAT_EQ(back.memory[kGravity].t[0], 111);
  EXPECT_FLOAT_EQ(back.memory[kLeaning].h, 5555);
  EXPECT_FLOAT_EQ(back.memory[kLeaning].beta, 17.25f);
  EXPECT_EQ(back.shown_family, WallFamily::Cantilever);
}

// The design of section A-A' is stored with the project and survives the next load.
TEST_F(DatabaseFile, DesignOfSectionAaIsStoredAndLoaded) {
  for (bool checked : {true, false}) {
    WindowInputs in = FilledInputs();
    in.design_aa = checked;
    {
      ProjectDatabase db = ProjectDatabase::Open(path_);
      WriteWindowInputs(in, db);
      EXPECT_EQ(db.ReadRebar()->design_section_aa, checked);
    }
    ProjectDatabase db = ProjectDatabase::Open(path_);
    EXPECT_EQ(LoadWindowInputs(db, {}).design_aa, checked);
  }
}

TEST_F(DatabaseFile, FieldsAreStoredInTheirUnitsAndCodes) {
  WindowInputs in = FilledInputs();
  in.project_name = "   ";  // blank: stored as one blank
  {
    ProjectDatabase db = ProjectDatabase::Open(path_);
    WriteWindowInputs(in, db);
    WriteWindowInputs(in, db);  // a second write still leaves one row per table
  }
  ProjectDatabase db = ProjectDatabase::Open(path_);
  EXPECT_EQ(db.ReadProjectName()->cname, " ");
  EXPECT_EQ(db.ReadProjectName()->data, "2014/08/04");
  EXPECT_EQ(db.ReadProjectName()->shape, 2);
  EXPECT_EQ(db.ReadUnit()->unit, "CGS 単位");
  EXPECT_EQ(db.ReadUnit()->kisk, 2);
  EXPECT_EQ(db.ReadSoil()->ut_kind, "2");
  EXPECT_FLOAT_EQ(db.ReadRebar()->hAA, 2.5f);
  EXPECT_EQ(db.ReadRebar()->size[0], 13);
  EXPECT_EQ(db.ReadRebar()->ctc[4], 150);
  auto current = db.ReadShape(kCantilever);
  EXPECT_FLOAT_EQ(current->t[0], 0.57f);
  EXPECT_FLOAT_EQ(current->h, 6.3f);
  EXPECT_FLOAT_EQ(current->beta, 12.5f);
  EXPECT_FALSE(current->hh.has_value());
  EXPECT_FALSE(current->hl.has_value());
  for (int other : {kGravity, kLeaning}) {
    auto row = db.ReadShape(other);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->hh, 0.0f);
    EXPECT_EQ(row->hl, 0.0f);
  }
  EXPECT_FLOAT_EQ(db.ReadShape(kLeaning)->h, 5.555f);
  WindowInputs back = LoadWindowInputs(db, {});
  EXPECT_EQ(back.project_name, " ");
}

TEST_F(DatabaseFile, EmptyTablesGiveTheDefaults) {
  ProjectDatabase db = ProjectDatabase::Open(path_);
  WindowInputs in = LoadWindowInputs(db, {"", true, true});
  EXPECT_TRUE(in.si);
  EXPECT_EQ(in.family, WallFamily::Gravity);
  EXPECT_EQ(in.project_name, "");
  EXPECT_EQ((std::array<std::string, 3>{in.t[0], in.t[1], in.t[2]}),
            (std::array<std::string, 3>{"230", "700", "690"}));
  EXPECT_EQ(in.h[0], "2300");
  EXPECT_EQ(in.beta, "29.05");
  EXPECT_EQ(in.t5, "690");  // the shear-key width of a standard shape is T3
  // First soil class, γ converted to SI.
  EXPECT_EQ(in.gamma, "19.6");
  EXPECT_EQ(in.phi, "35");
  EXPECT_EQ(in.phi_b, "0.6");
  EXPECT_EQ(in.kh, "0.00");
  EXPECT_EQ(in.c, "0.0");
  EXPECT_EQ(in.qa_normal, "0.0");
  EXPECT_EQ(in.fc, "0.00");
  EXPECT_EQ(in.ec, "0");
  EXPECT_EQ(in.tau_a, "0.00");
  EXPECT_EQ(in.es, "0");
  EXPECT_EQ(in.dt[1], "0.0");
  EXPECT_EQ(in.ctc[7], "0");
  EXPECT_EQ(in.bar_kind, 0);
  EXPECT_EQ(in.bar_size[1], 0);
}

TEST_F(DatabaseFile, StoredCodesOutsideTheListsAreHeldWithinThem) {
  {
    ProjectDatabase db = ProjectDatabase::Open(path_);
    UnitRow unit{"SI", 7};  // any text but "CGS 単位" is SI; family 7 does not exist
    db.Write(unit);
    RebarRow rebar;
    rebar.kind = 0;
    rebar.strength = 3;                       // 丸鋼 has two grades
    rebar.size = {13, 13, 0, 0, 0, 0, 0, 0};  // beyond the 12 round-bar sizes
    db.Write(rebar);
    SoilRow soil;
    soil.ut_kind = "13";
    db.Write(soil);
  }
  ProjectDatabase db = ProjectDatabase::Open(path_);
  // A family code names a family or the project is refused: shown as another family, it would
  // be written back as that one.
  EXPECT_THROW(LoadWindowInputs(db, {}), UnknownFamilyError);
  db.Write(UnitRow{"SI", 2});
  WindowInputs in = LoadWindowInputs(db, {});
  EXPECT_TRUE(in.si);
  EXPECT_EQ(in.family, WallFamily::Cantilever);
  EXPECT_EQ(in.bar_grade, 1);
  EXPECT_EQ(in.bar_size[0], 11);  // R32, the last round bar
  EXPECT_EQ(in.bar_size[1], 12);  // "  -  " and the 12 sizes
  EXPECT_EQ(in.soil_class, 3);    // 13 and 3 both mean the fourth class
  // Written back, the unit text is the one the calculations read as SI.
  WriteWindowInputs(in, db);
  EXPECT_EQ(db.ReadUnit()->unit, "SI 単位");
}

TEST(FamilyMemory, SwitchingAwayAndBackRestoresTheDimensions) {
  WindowInputs in = EmptyWindowInputs();
  in.t = {"250", "710", "680"};
  in.h[0] = "2400";
  in.beta = "26.57";
  in.d[4] = "0";
  in.t5 = "300";
  ChangeWallFamily(in, WallFamily::Leaning);
  EXPECT_EQ(in.t[0], "3000");
  EXPECT_EQ(in.t[1], "350");
  EXPECT_EQ(in.l[0], "850");
  EXPECT_EQ(in.h[0], "7000");
  EXPECT_EQ(in.d[1], "1000");
  EXPECT_EQ(in.b, "2400");
  EXPECT_EQ(in.beta, "25.00");
  EXPECT_EQ(in.t5, "0");
  ChangeWallFamily(in, WallFamily::Gravity);
  EXPECT_EQ(in.t, (std::array<std::string, 3>{"250", "710", "680"}));
  EXPECT_EQ(in.h[0], "2400");
  EXPECT_EQ(in.beta, "26.57");
  EXPECT_EQ(in.d[4], "0");
  EXPECT_EQ(in.t5, "300");
}

TEST(FamilyMemory, TheCantileverDefaultsFillOnlyUnsetStabilityLimits) {
  struct Case {
    std::array<const char*, 4> typed;  // qa 常時, qa 地震時, sliding 常時, 地震時
    std::array<const char*, 4> on_cantilever;
  };
  const Case cases[] = {
      {{"200.0", "300.0", "2.0", "1.8"}, {"200.0", "300.0", "2.0", "1.8"}},
      {{"200.0", "0.0", "0", ""}, {"200.0", "300.0", "1.5", "1.2"}},
      {{"", "0.0", "0.0", "0.0"}, {"0.0", "0.0", "1.5", "1.2"}},
  };
  for (const Case& c : cases) {
    WindowInputs in = EmptyWindowInputs();
    std::array<std::string*, 4> boxes = {&in.qa_normal, &in.qa_seismic, &in.slide_normal,
                                         &in.slide_seismic};
    for (int i = 0; i < 4; ++i) *boxes[i] = c.typed[i];
    ChangeWallFamily(in, WallFamily::Leaning);
    ChangeWallFamily(in, WallFamily::Cantilever);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(*boxes[i], c.on_cantilever[i]) << c.typed[0] << i;
    // Back to the gravity wall, the values stay as they are.
    ChangeWallFamily(in, WallFamily::Gravity);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(*boxes[i], c.on_cantilever[i]) << c.typed[0] << i;
  }
  WindowInputs in = EmptyWindowInputs();
  ChangeWallFamily(in, WallFamily::Cantilever);
  EXPECT_EQ(in.l[2], "2400");
  EXPECT_EQ(in.t5, "400");
  EXPECT_EQ(in.l5, "900");
  EXPECT_EQ(in.d5, "900");
}

TEST(SameProject, IgnoresFormattingD3AndTheDrawingOption) {
  WindowInputs a = EmptyWindowInputs();
  WindowInputs b = a;
  b.t[0] = "230.0";  // the same dimension, typed with a decimal
  b.d[3] = "999";
  b.sync_draw = !a.sync_draw;
  EXPECT_TRUE(SameProject(a, b));
  ChangeWallFamily(b, WallFamily::Leaning);
  ChangeWallFamily(b, WallFamily::Gravity);
  EXPECT_TRUE(SameProject(a, b));
  for (auto change : std::vector<std::function<void(WindowInputs&)>>{
           [](WindowInputs& x) { x.t[0] = "231"; },
           [](WindowInputs& x) { x.memory[kCantilever].h = 1234; },
           [](WindowInputs& x) { x.qa_normal = "200.0"; },
           [](WindowInputs& x) { x.project_name = "擁壁B"; },
           [](WindowInputs& x) { x.bar_size[5] = 2; }}) {
    WindowInputs c = a;
    change(c);
    EXPECT_FALSE(SameProject(a, c));
  }
}

TEST(FamilyMemory, StandardSizesReplaceOnlyTheCurrentFamily) {
  WindowInputs in = EmptyWindowInputs();
  ChangeWallFamily(in, WallFamily::Leaning);
  in.t[0] = "1234";
  in.memory[kGravity].h = 999;
  ResetToStandardSizes(in);
  EXPECT_EQ(in.t[0], "3000");
  EXPECT_FLOAT_EQ(in.memory[kGravity].h, 999);
}

struct DeriveCase {
  bool si;
  std::string fc;
  std::string ck, cac, cat;
  bool message;
};

class DeriveConcrete : public ::testing::TestWithParam<DeriveCase> {};

TEST_P(DeriveConcrete, StressesFollowFc) {
  const DeriveCase& c = GetParam();
  WindowInputs in = EmptyWindowInputs();
  in.si = c.si;
  in.fc = c.fc;
  RecordingMessageSink sink;
  DeriveConcreteStresses(in, sink);
  EXPECT_EQ(in.sigma_ck, c.ck);
  EXPECT_EQ(in.sigma_cac, c.cac);
  EXPECT_EQ(in.sigma_cat, c.cat);
  ASSERT_EQ(sink.shown.size(), c.message ? 1u : 0u);
  if (c.message) {
    EXPECT_EQ(sink.shown[0].text, "Fc の入力値が不正です");
    EXPECT_EQ(sink.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(sink.beeps, 1);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeriveConcrete,
    ::testing::Values(
        // CGS: whole kg/cm2; σcat = min(Fc/30, Fc/100 + 5).
        DeriveCase{false, "240", "240", "80", "7", false},
        DeriveCase{false, "600", "600", "200", "11", false},  // Fc/100 + 5 = 11 < 20
        DeriveCase{false, "120", "120", "40", "4", false},    // Fc/30 = 4 < 6.2
        // SI: N/mm2 with two decimals; min(0.8, 0.74) is 0.74, not rounded up to 1.
        DeriveCase{true, "24", "24.00", "8.00", "0.74", false},
        DeriveCase{true, "18", "18.00", "6.00", "0.60", false},
        DeriveCase{true, "abc", "0.00", "0.00", "0.00", true},
        DeriveCase{true, "", "0.00", "0.00", "0.00", true}));

TEST(ConvertEnteredValues, CgsToSi) {
  WindowInputs in = EmptyWindowInputs();
  in.q1 = "1.0";
  in.q2 = "2";
  in.c = "abc";  // not a number: left alone
  in.gamma = "1.8";
  in.qa_normal = "20";
  in.sigma_sa = "1600";
  in.sigma_saT = "1400";
  in.es = "2100";
  in.tau_a = "4";
  in.fc = "240";
  in.gamma_c = "2.3";
  in.kh = "0.2";
  in.slide_normal = "1.5";
  in.si = true;
  ConvertEnteredValues(in);
  EXPECT_EQ(in.q1, "9.80665");
  EXPECT_EQ(in.q2, "19.6133");
  EXPECT_EQ(in.c, "abc");
  EXPECT_EQ(in.gamma, "17.7");
  EXPECT_EQ(in.qa_normal, "196.133");
  EXPECT_EQ(in.sigma_sa, "160");
  EXPECT_EQ(in.sigma_saT, "140");
  EXPECT_EQ(in.es, "210");
  EXPECT_EQ(in.tau_a, "0.40");  // 4 kg/cm2 is 0.4 N/mm2, in the box's two decimals
  EXPECT_EQ(in.fc, "24.00");
  EXPECT_EQ(in.gamma_c, "23.00");     // factor 10, as the project page says
  EXPECT_EQ(in.kh, "0.2");            // not converted
  EXPECT_EQ(in.slide_normal, "1.5");  // not converted
}

TEST(ConvertEnteredValues, SiToCgs) {
  WindowInputs in = EmptyWindowInputs();
  in.qa_normal = "200";
  in.qa_seismic = "300.0";
  in.sigma_sa = "160";
  in.tau_a = "0.45";
  in.gamma_c = "23.5";
  in.si = false;
  ConvertEnteredValues(in);
  EXPECT_EQ(in.qa_normal, "20.39432");
  EXPECT_EQ(in.qa_seismic, "30.59149");
  EXPECT_EQ(in.sigma_sa, "1600");
  EXPECT_EQ(in.tau_a, "4.5");  // one decimal in kg/cm2 keeps every digit of the SI value
  EXPECT_EQ(in.gamma_c, "2.35");
}

// SI -> CGS -> SI gives back every converted box as entered in its SI display format.
TEST(ConvertEnteredValues, SiToCgsAndBackKeepsEveryValue) {
  struct Box {
    std::string WindowInputs::*field;
    std::vector<const char*> values;
  };
  const std::vector<const char*> loads = {"10.0",  "9.8",  "0.1",    "123.4",
                                          "200.0", "-5.5", "12345.6"};
  const std::vector<const char*> stresses2 = {"24.00", "20.55", "0.74", "8.33", "0.01", "60.00"};
  const std::vector<const char*> whole = {"180", "200000", "25000", "7", "1"};
  const Box boxes[] = {
      {&WindowInputs::q1, loads},
      {&WindowInputs::q2, loads},
      {&WindowInputs::c, loads},
      {&WindowInputs::qa_normal, loads},
      {&WindowInputs::qa_seismic, loads},
      {&WindowInputs::gamma, {"18.00", "18.05", "19.61", "0.01", "23.45"}},
      {&WindowInputs::fc, stresses2},
      {&WindowInputs::sigma_ck, stresses2},
      {&WindowInputs::sigma_cac, stresses2},
      {&WindowInputs::sigma_cat, stresses2},
      {&WindowInputs::tau_a, {"0.40", "0.45", "0.39", "0.23", "1.30", "0.00"}},
      {&WindowInputs::gamma_c, {"23.00", "24.50", "22.55", "0.01"}},
      {&WindowInputs::sigma_sa, whole},
      {&WindowInputs::sigma_saT, whole},
      {&WindowInputs::es, whole},
      {&WindowInputs::ec, whole},
  };
  for (const Box& box : boxes) {
    for (const char* value : box.values) {
      WindowInputs in = EmptyWindowInputs();
      in.*box.field = value;
      in.si = false;
      ConvertEnteredValues(in);
      const std::string cgs = in.*box.field;
      in.si = true;
      ConvertEnteredValues(in);
      EXPECT_EQ(in.*box.field, value) << "via CGS " << cgs;
    }
  }
}

TEST(SoilClassDefaults, FollowTheClassAndTheUnitSystem) {
  WindowInputs in = EmptyWindowInputs();
  in.si = false;
  in.soil_class = 1;
  ApplySoilClassDefaults(in);
  EXPECT_EQ(in.gamma, "1.9");
  EXPECT_EQ(in.phi, "30");
  EXPECT_EQ(in.phi_b, "0.6");
  in.si = true;
  in.soil_class = 3;
  ApplySoilClassDefaults(in);
  EXPECT_EQ(in.gamma, "0.0");
  EXPECT_EQ(in.phi, "0");
  EXPECT_EQ(in.phi_b, "0.7");
}

// ValidateInputs: a valid project of each family and one change that makes it fail.
struct ValidationCase {
  const char* name;
  int family;
  std::function<void(WindowInputs&)> change;
  const char* message;  // nullptr: passes
};

// The case's name in test output, instead of the bytes of the struct.
void PrintTo(const ValidationCase& c, std::ostream* os) { *os << c.name; }

WindowInputs ValidProject(int family) {
  WindowInputs in = EmptyWindowInputs();
  ChangeWallFamily(in, *WallFamilyFromCode(family));
  in.phi = "30";
  in.beta = "0.00";
  in.kh = family == kCantilever ? "0.20" : "0.00";
  in.ec = "25000";
  in.es = "200000";
  for (int i = 0; i < 8; i += 2) in.ctc[i] = "200";
  in.gamma = "18.00";
  in.qa_normal = "200.0";
  in.qa_seismic = "300.0";
  in.slide_normal = "1.5";
  in.slide_seismic = "1.2";
  in.gamma_c = "23.00";
  in.sigma_cac = "6.00";
  in.tau_a = "0.4";
  in.sigma_sa = "180";
  in.sigma_saT = "180";
  return in;
}

class Validation : public ::testing::TestWithParam<ValidationCase> {};

TEST_P(Validation, FirstFailureShowsItsMessage) {
  const ValidationCase& c = GetParam();
  WindowInputs in = ValidProject(c.family);
  c.change(in);
  RecordingMessageSink sink;
  bool ok = ValidateInputs(in, ProgramFamilies().Of(in.family).window, sink);
  if (c.message == nullptr) {
    EXPECT_TRUE(ok);
    EXPECT_TRUE(sink.shown.empty());
    return;
  }
  EXPECT_FALSE(ok);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text, c.message);
  EXPECT_EQ(sink.shown[0].icon, MessageIcon::Information);
  EXPECT_EQ(sink.shown[0].title, kFullTitle);
  EXPECT_EQ(sink.beeps, 1);
}

const char* const kSpacing = "@の入力値が不正です";
const char* const kPhi = "内部摩擦角φの入力値が不正です｡φの入力範囲は０ ＜ φ ＜ ９０です｡";

INSTANTIATE_TEST_SUITE_P(Cases, Validation,
                         ::testing::
                             Values(
                                 ValidationCase{"GravityValid", kGravity, [](WindowInputs&) {},
                                                nullptr},
                                 ValidationCase{"LeaningValid", kLeaning, [](WindowInputs&) {},
                                                nullptr},
                                 ValidationCase{"CantileverValid", kCantilever,
                                                [](WindowInputs&) {}, nullptr},
                                 ValidationCase{"CantileverKhZero", kCantilever,
                                                [](WindowInputs& in) { in.kh = "0.00"; },
                                                "水平設計震度khの値が不正です"},
                                 // A kh left over from a cantilever project does not count for a
                                 // gravity wall.
                                 ValidationCase{"GravityIgnoresKh", kGravity,
                                                [](WindowInputs& in) {
                                                  in.kh = "0.20";
                                                  in.beta = "20";
                                                },
                                                nullptr},
                                 ValidationCase{"SecondArrangementNoneWithZeroSpacing", kCantilever,
                                                [](WindowInputs& in) {
                                                  in.bar_size[1] = 0;
                                                  in.ctc[1] = "0";
                                                },
                                                nullptr},
                                 ValidationCase{"SecondArrangementChosenWithZeroSpacing",
                                                kCantilever,
                                                [](WindowInputs& in) {
                                                  in.bar_size[3] = 1;
                                                  in.ctc[3] = "0";
                                                },
                                                kSpacing},
                                 ValidationCase{"FirstArrangementZeroSpacing", kCantilever,
                                                [](WindowInputs& in) { in.ctc[6] = "0"; },
                                                kSpacing},
                                 ValidationCase{"NegativeSpacing", kCantilever,
                                                [](WindowInputs& in) { in.ctc[0] = "-200"; },
                                                kSpacing},
                                 ValidationCase{
                                     "EcZero", kCantilever, [](WindowInputs& in) { in.ec = "0"; },
                                     "鉄筋コンクリートのヤング係数に0が入力されています。\r\n"
                                     "鉄筋コンクリートのヤング係数には0以上の値を入力して下さい。"},
                                 ValidationCase{
                                     "SeismicAngle", kCantilever,
                                     [](WindowInputs& in) {
                                       in.kh = "0.2";
                                       in.phi = "30";
                                       in.beta = "19";
                                     },
                                     "設計水平震度kh=0.2の場合θ=11.31°となり、β+θ<"
                                     "φでなければならない。\r\n"
                                     "したがってφ=30.00°だからβは18.00°以下でなければならない。"},
                                 ValidationCase{"SeismicAngleJustPasses", kCantilever,
                                                [](WindowInputs& in) {
                                                  in.kh = "0.2";
                                                  in.beta = "18";
                                                },
                                                nullptr},
                                 ValidationCase{
                                     "GravityBetaNotBelowPhi", kGravity,
                                     [](WindowInputs& in) { in.beta = "30"; },
                                     "設計水平震度kh=0の場合θ=0.00°となり、β+θ<"
                                     "φでなければならない。\r\n"
                                     "したがってφ=30.00°だからβは29.00°以下でなければならない。"},
                                 ValidationCase{"GravityT2Zero", kGravity,
                                                [](WindowInputs& in) { in.t[1] = "0"; },
                                                "寸法の入力値が不正です。\r\nT2 ＞ 0 "
                                                "となるように入力して下さい。"},
                                 ValidationCase{"GravityT3Negative", kGravity,
                                                [](WindowInputs& in) { in.t[2] = "-1"; },
                                                "寸法の入力値が不正です。\r\nT3 ≧ 0 "
                                                "となるように入力して下さい。"},
                                 ValidationCase{"GravityHZero", kGravity,
                                                [](WindowInputs& in) { in.h[0] = "abc"; },
                                                "寸法の入力値が不正です。\r\nH0 ＞ 0 "
                                                "となるように入力して下さい。"},
                                 ValidationCase{"LeaningHNotAboveD1", kLeaning,
                                                [](WindowInputs& in) { in.h[0] = "1000"; },
                                                "寸法の入力値が不正です。\r\nH0 ＞ D1 "
                                                "となるように入力して下さい。"},
                                 ValidationCase{"LeaningBZero", kLeaning,
                                                [](WindowInputs& in) { in.b = "0"; },
                                                "寸法の入力値が不正です。\r\nB ＞ 0 "
                                                "となるように入力して下さい。"},
                                 ValidationCase{"CantileverHBelowD0PlusD1", kCantilever,
                                                [](WindowInputs& in) {
                                                  in.d[0] = "500";
                                                  in.d[1] = "600";
                                                  in.h[0] = "1000";
                                                },
                                                "寸法の入力値が不正です。\r\nH0 ≧ D0 ＋ D1 "
                                                "となるように入力して下さい。"},
                                 ValidationCase{"CantileverHEqualsD0PlusD1", kCantilever,
                                                [](WindowInputs& in) { in.h[0] = "1100"; },
                                                nullptr},
                                 ValidationCase{"CantileverD2AboveD1", kCantilever,
                                                [](WindowInputs& in) { in.d[2] = "700"; },
                                                "寸法の入力値が不正です。\r\nD1 ≧ D2 "
                                                "となるように入力して下さい。"},
                                 ValidationCase{"CantileverL2BelowT2", kCantilever,
                                                [](WindowInputs& in) { in.l[1] = "300"; },
                                                "寸法の入力値が不正です。\r\nL2 ≧ T2 "
                                                "となるように入力して下さい。"},
                                 ValidationCase{"CantileverD3Zero", kCantilever,
                                                [](WindowInputs& in) { in.d[3] = "0"; },
                                                "寸法の入力値が不正です。\r\nD3 ＞ 0 "
                                                "となるように入力して下さい。"},
                                 // A leaning wall body stands on B less L1.
                                 ValidationCase{"LeaningBEqualsL1", kLeaning,
                                                [](WindowInputs& in) { in.b = in.l[0]; },
                                                "寸法の入力値が不正です。\r\nB ＞ L1 "
                                                "となるように入力して下さい。"},
                                 ValidationCase{
                                     "EsZero", kCantilever, [](WindowInputs& in) { in.es = "0"; },
                                     "鉄筋コンクリートのヤング係数に0が入力されています。\r\n"
                                     "鉄筋コンクリートのヤング係数には0以上の値を入力して下さい。"},
                                 ValidationCase{"PhiZero", kGravity,
                                                [](WindowInputs& in) { in.phi = "0"; }, kPhi},
                                 ValidationCase{"Phi90", kLeaning,
                                                [](WindowInputs& in) { in.phi = "90"; }, kPhi},
                                 ValidationCase{"NewProjectMaterials", kGravity,
                                                [](WindowInputs& in) {
                                                  WindowInputs empty = EmptyWindowInputs();
                                                  in.gamma_c = empty.gamma_c;
                                                  in.qa_normal = empty.qa_normal;
                                                },
                                                "地盤の許容支持力度qa(常時)の入力値が不正です"},
                                 ValidationCase{"GammaZero", kGravity,
                                                [](WindowInputs& in) { in.gamma = "0.00"; },
                                                "単位重量γの入力値が不正です"},
                                 ValidationCase{"SlidingFactorNegative", kLeaning,
                                                [](WindowInputs& in) { in.slide_normal = "-1.5"; },
                                                "滑動に対する安全率(常時)の入力値が不正です"},
                                 ValidationCase{"GammaCZero", kGravity,
                                                [](WindowInputs& in) { in.gamma_c = "0.00"; },
                                                "ｺﾝｸﾘｰﾄ単位重量γcの入力値が不正です"},
                                 // Seismic limits and the family's own allowable stresses count
                                 // only where they are used.
                                 ValidationCase{"GravityIgnoresUnusedLimits", kGravity,
                                                [](WindowInputs& in) {
                                                  in.qa_seismic = in.slide_seismic = in.sigma_cac =
                                                      in.tau_a = "0.0";
                                                  in.sigma_sa = in.sigma_saT = in.es = "0";
                                                },
                                                nullptr},
                                 ValidationCase{"LeaningSigmaCacZero", kLeaning,
                                                [](WindowInputs& in) { in.sigma_cac = "0.00"; },
                                                "ｺﾝｸﾘｰﾄ許容圧縮応力度σcacの入力値が不正です"},
                                 ValidationCase{"LeaningTauAZero", kLeaning,
                                                [](WindowInputs& in) { in.tau_a = "0.0"; },
                                                "ｺﾝｸﾘｰﾄ許容せん断応力度τaの入力値が不正です"},
                                 ValidationCase{"CantileverSeismicQaZero", kCantilever,
                                                [](WindowInputs& in) { in.qa_seismic = "0.0"; },
                                                "地盤の許容支持力度qa(地震時)の入力値が不正です"},
                                 ValidationCase{"CantileverSeismicSlidingZero", kCantilever,
                                                [](WindowInputs& in) { in.slide_seismic = "0.0"; },
                                                "滑動に対する安全率(地震時)の入力値が不正です"},
                                 ValidationCase{"CantileverSigmaSaZero", kCantilever,
                                                [](WindowInputs& in) { in.sigma_sa = "0"; },
                                                "A-A'配筋1(σsa)の入力値が不正です"},
                                 ValidationCase{"CantileverSigmaSaTZero", kCantilever,
                                                [](WindowInputs& in) { in.sigma_saT = "0"; },
                                                "C-C'配筋1(σsa)の入力値が不正です"},
                                 // A negative surcharge pulls the backfill up; none is the
                                 // smallest there is. q2 is entered for the cantilever only.
                                 ValidationCase{"SurchargesZero", kCantilever,
                                                [](WindowInputs& in) { in.q1 = in.q2 = "0.0"; },
                                                nullptr},
                                 ValidationCase{"GravityQ1Negative", kGravity,
                                                [](WindowInputs& in) { in.q1 = "-1"; },
                                                "荷載荷重(上) q1の入力値が不正です"},
                                 ValidationCase{"LeaningQ1Negative", kLeaning,
                                                [](WindowInputs& in) { in.q1 = "-0.1"; },
                                                "荷載荷重(上) q1の入力値が不正です"},
                                 ValidationCase{"CantileverQ2Negative", kCantilever,
                                                [](WindowInputs& in) { in.q2 = "-1"; },
                                                "荷載荷重(下) q2の入力値が不正です"},
                                 ValidationCase{"GravityIgnoresQ2", kGravity,
                                                [](WindowInputs& in) { in.q2 = "-1"; }, nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CheckBetaRange, ZeroTo360) {
  RecordingMessageSink sink;
  EXPECT_TRUE(CheckBetaRange("0", sink));
  EXPECT_TRUE(CheckBetaRange("360", sink));
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_FALSE(CheckBetaRange("360.5", sink));
  EXPECT_FALSE(CheckBetaRange("-1", sink));
  ASSERT_EQ(sink.shown.size(), 2u);
  EXPECT_EQ(sink.shown[0].text, "βの入力値が不正です｡βの入力範囲は０ ～ ３６０です｡");
}

TEST(TextRules, NumbersAndFormats) {
  for (const char* yes : {"0", "-1.5", " 12 ", "1e3", ".5", "+2."}) {
    EXPECT_TRUE(IsNumberText(yes)) << yes;
  }
  for (const char* no : {"", " ", "abc", "12abc", "1e", "-", ".", "1.2.3", "1e400"}) {
    EXPECT_FALSE(IsNumberText(no)) << no;
  }
  EXPECT_EQ(ApplyFormat("abc", InputFormat::F0), "0");
  EXPECT_EQ(ApplyFormat("12abc", InputFormat::F1), "12.0");
  EXPECT_EQ(ApplyFormat("29.05", InputFormat::F2), "29.05");
  EXPECT_EQ(ApplyFormat("2.345", InputFormat::F2), "2.35");
  EXPECT_EQ(ApplyFormat("1e39", InputFormat::F0).size(), 39u);  // held at the float limit
  EXPECT_EQ(ApplyFormat("free text", InputFormat::None), "free text");
}

// Numbers typed through a Japanese input method read as their ASCII forms.
TEST(TextRules, FullWidthFormsReadAsAscii) {
  struct Case {
    const char* typed;
    const char* f1;
  };
  for (const Case& c : {Case{"４００", "400.0"}, Case{"－１２．５", "-12.5"}, Case{"−３", "-3.0"},
                        Case{"ー３", "-3.0"}, Case{"＋２", "2.0"}, Case{"　１．５　", "1.5"},
                        Case{"１Ｅ２", "100.0"}, Case{"1２.5", "12.5"}}) {
    EXPECT_TRUE(IsNumberText(c.typed)) << c.typed;
    EXPECT_EQ(ApplyFormat(c.typed, InputFormat::F1), c.f1) << c.typed;
  }
  // Other full-width characters are no part of a number.
  EXPECT_FALSE(IsNumberText("４００ｍｍ"));
  EXPECT_EQ(ApplyFormat("４００ｍｍ", InputFormat::F0), "400");
  EXPECT_EQ(ApplyFormat("ｘ４", InputFormat::F0), "0");
}

TEST(TextRules, ProposedFileName) {
  EXPECT_EQ(ProposedFileName("  擁壁A  "), "擁壁A");
  EXPECT_EQ(ProposedFileName("A/B:C"), "A_B_C");
  EXPECT_EQ(ProposedFileName(""), "");
}

TEST(OlderFormatRecordMapping, EveryRecordedInputComesBack) {
  WindowInputs in = FilledInputs();
  in.shear_key = true;
  in.t5 = "350";
  in.d5 = "450";
  in.l5 = "800";
  in.counterfort = true;
  in.t6 = "300";
  in.l6 = "3000";
  in.counterfort_to_h0_top = false;
  in.w0 = "12.5";
  in.h[1] = "1200";
  in.sync_draw = false;
  std::vector<uint8_t> bytes = SerializeOlderFormatRecord(ToOlderFormatRecord(in), "test");
  WindowInputs back = EmptyWindowInputs();
  ApplyOlderFormatRecord(ParseOlderFormatRecord(bytes, "test"), back);
  ExpectSameStoredInputs(in, back);
  EXPECT_EQ(back.office_name, in.office_name);
  EXPECT_EQ(back.print_project_name, in.print_project_name);
  EXPECT_EQ(back.h[1], "1200");
  EXPECT_EQ(back.w0, "12.5");
  EXPECT_TRUE(back.shear_key);
  EXPECT_EQ(back.t5, "350");
  EXPECT_EQ(back.d5, "450");
  EXPECT_EQ(back.l5, "800");
  EXPECT_TRUE(back.counterfort);
  EXPECT_EQ(back.t6, "300");
  EXPECT_EQ(back.l6, "3000");
  EXPECT_FALSE(back.counterfort_to_h0_top);
  EXPECT_FALSE(back.sync_draw);
  EXPECT_EQ(back.shown_family, WallFamily::Cantilever);
}

}  // namespace
}  // namespace ktv
