#include "project/older_format_record.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>

namespace ktv {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "ktv-record-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// A cantilever project with every field set to a value of its own.
OlderFormatRecord FullRecord() {
  OlderFormatRecord r;
  r.project_name = "擁壁A工事（第２工区）";
  r.print_project_name = true;
  r.office_name = "ﾃｽﾄ設計事務所①";
  r.date = DateSerialOf(std::chrono::year{2024} / 4 / 1);
  r.print_date = false;
  r.si = true;
  r.sync_draw = true;
  r.wall_family = WallFamily::Cantilever;
  auto& d = r.dimensions;
  d.t1 = 300, d.t2 = 400, d.t3 = 50, d.t5 = 350, d.t6 = 250;
  d.l1 = 800, d.l2 = 450, d.l3 = 1200, d.l5 = 600, d.l6 = 3000;
  d.h0 = 3500, d.h1 = 500;
  d.d0 = 2900, d.d1 = 500, d.d2 = 400, d.d3 = 500, d.d4 = 100, d.d5 = 300;
  d.b = 1250, d.beta = 26.57f, d.w0 = 12.5f, d.q1 = 10, d.q2 = 5.5f;
  r.shear_key = true;
  r.counterfort = true;
  r.counterfort_to_h0_top = false;
  r.bar_type = 1;
  r.bar_grade = 3;
  r.sigma_sa = 180, r.sigma_saT = 160, r.es = 200000;
  r.bar_size = {3, 0, 4, 1, 5, 2, 13, 14};
  r.bar_spacing = {250, 0, 125, 250, 300, 150, 200, 100};
  r.h_aa = 1500, r.dt_aa = 6.5f, r.dt_cc = 7.5f;
  r.fc = 24, r.sigma_cac = 8, r.sigma_cat = 0.74f, r.tau_a = 0.39f, r.gamma_c = 24.5f;
  r.ec = 25000;
  r.kh = 0.2f, r.c = 1.5f, r.tan_phi_b = 0.6f, r.gamma = 18.6f, r.phi = 30;
  r.nu = {0.1f, 0.2f, 0.3f};
  r.ko = 0.5f;
  r.regulation_table = false;
  r.soil_class = 1;
  r.qa_normal = 300, r.qa_seismic = 450, r.sliding_normal = 1.5f, r.sliding_seismic = 1.2f;
  return r;
}

// --- Round trip -------------------------------------------------------------------------------

struct RoundTripCase {
  const char* name;
  std::function<void(OlderFormatRecord&)> input;     // changes to FullRecord() before saving
  std::function<void(OlderFormatRecord&)> expected;  // what differs after loading, if anything
};

const std::vector<RoundTripCase>& RoundTripCases() {
  static const std::vector<RoundTripCase> cases = {
      {"JapaneseNamesSiCantilever", [](OlderFormatRecord&) {}, nullptr},
      {"EmptyNamesCgsGravity",
       [](OlderFormatRecord& r) {
         r.project_name.clear();
         r.office_name.clear();
         r.si = false;
         r.wall_family = WallFamily::Gravity;
         r.print_project_name = false;
         r.print_date = true;
       },
       nullptr},
      {"LeaningWithOtherOptions",
       [](OlderFormatRecord& r) {
         r.wall_family = WallFamily::Leaning;
         r.sync_draw = false;
         r.shear_key = false;
         r.counterfort = false;
         r.counterfort_to_h0_top = true;
         r.regulation_table = true;
         r.soil_class = 3;
         r.bar_type = 0;
         r.bar_grade = 1;
         r.bar_size = {11, 12, 0, 0, 1, 0, 2, 12};
       },
       nullptr},
      {"NothingChosenInTheLists",
       [](OlderFormatRecord& r) {
         r.bar_type = -1;
         r.bar_grade = -1;
         r.bar_size = {-1, 0, -1, -1, -1, 0, -1, -1};
         r.soil_class = -1;
       },
       nullptr},
      {"NegativeAndFractionalValues",
       [](OlderFormatRecord& r) {
         r.dimensions.beta = -12.25f;
         r.dimensions.w0 = 1.0e-7f;
         r.dimensions.h1 = -0.0f;
         r.kh = std::numeric_limits<float>::max();
         r.c = std::numeric_limits<float>::denorm_min();
       },
       nullptr},
      {"SpacingTiesGoToTheEvenNeighbour",
       [](OlderFormatRecord& r) {
         r.bar_spacing = {150.5f, 151.5f, -2.5f, 0.5f, 32767.4f, -32768, 149.49f, 1e-3f};
       },
       [](OlderFormatRecord& r) { r.bar_spacing = {150, 152, -2, 0, 32767, -32768, 149, 0}; }},
      {"BlanksAroundNamesAreNotStored",
       [](OlderFormatRecord& r) {
         r.project_name = "  擁壁B  ";
         r.office_name = "   ";
       },
       [](OlderFormatRecord& r) {
         r.project_name = "擁壁B";
         r.office_name.clear();
       }},
      // U+301C WAVE DASH has no code of its own in CP932 and comes back as U+FF5E.
      {"WaveDashComesBackAsFullwidthTilde",
       [](OlderFormatRecord& r) { r.project_name = "第1〜3工区"; },
       [](OlderFormatRecord& r) { r.project_name = "第1～3工区"; }},
      {"DateWithTimeOfDayAndDateLimits", [](OlderFormatRecord& r) { r.date = 45383.75; }, nullptr},
      {"FirstDate", [](OlderFormatRecord& r) { r.date = -657434.0; }, nullptr},
      {"LastDate", [](OlderFormatRecord& r) { r.date = 2958465.99998843; }, nullptr},
      // With the longest fixed names (CGS, cantilever) the two names have 1382 bytes.
      {"NamesFillingTheRecord",
       [](OlderFormatRecord& r) {
         r.si = false;
         std::string name;
         for (int i = 0; i < 690; ++i) name += "あ";
         r.project_name = name;
         r.office_name = "AB";
       },
       nullptr},
  };
  return cases;
}

void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.name; }

class RoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTrip, SavedInputsComeBackThroughImport) {
  TempDir dir;
  const std::string path = dir.File("RWdata02.dat");
  OlderFormatRecord saved = FullRecord();
  GetParam().input(saved);
  OlderFormatRecord expected = saved;
  if (GetParam().expected) GetParam().expected(expected);

  ExportOlderFormatRecord(path, saved);
  const auto loaded = ImportOlderFormatRecord(path);
  ASSERT_TRUE(loaded.has_value());
  EXPECT_EQ(*loaded, expected);
  EXPECT_EQ(fs::file_size(path), kOlderFormatRecordLength);
  EXPECT_FALSE(fs::exists(path + ".tmp"));
}

INSTANTIATE_TEST_SUITE_P(OlderFormatRecord, RoundTrip, ::testing::ValuesIn(RoundTripCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OlderFormatRecordDate, CalendarDaysAndDayCounts) {
  using namespace std::chrono;
  struct Case {
    year_month_day day;
    double serial;
  };
  const Case cases[] = {
      {year{1899} / 12 / 30, 0},    {year{1900} / 1 / 1, 2},         {year{2024} / 4 / 1, 45383},
      {year{100} / 1 / 1, -657434}, {year{9999} / 12 / 31, 2958465}, {year{1899} / 12 / 29, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DateSerialOf(c.day), c.serial);
    EXPECT_EQ(CalendarDayOf(c.serial), c.day);
  }
  // The fraction is the time of day; before the epoch the whole part still counts the days.
  EXPECT_EQ(CalendarDayOf(45383.99), year{2024} / 4 / 1);
  EXPECT_EQ(CalendarDayOf(-1.5), year{1899} / 12 / 29);
}

// --- Byte layout ------------------------------------------------------------------------------

class ExpectedBytes {
 public:
  ExpectedBytes() : bytes_(kOlderFormatRecordLength, 0) {}
  void U16(std::size_t at, uint16_t v) {
    bytes_.at(at) = static_cast<uint8_t>(v);
    bytes_.at(at + 1) = static_cast<uint8_t>(v >> 8);
  }
  void F32(std::size_t at, float v) { Raw(at, std::bit_cast<uint32_t>(v), 4); }
  void F64(std::size_t at, double v) { Raw(at, std::bit_cast<uint64_t>(v), 8); }
  void Text(std::size_t at, std::initializer_list<uint8_t> text) {
    for (uint8_t b : text) bytes_.at(at++) = b;
  }
  const Bytes& bytes() const { return bytes_; }

 private:
  void Raw(std::size_t at, uint64_t v, int n) {
    for (int i = 0; i < n; ++i) bytes_.at(at + i) = static_cast<uint8_t>(v >> (8 * i));
  }
  Bytes bytes_;
};

// A gravity project named "AB" with no office, in SI: every offset below is counted by hand.
OlderFormatRecord SmallRecord() {
  OlderFormatRecord r = FullRecord();
  r.project_name = "AB";
  r.office_name = "";
  r.si = true;
  r.wall_family = WallFamily::Gravity;
  r.regulation_table = true;
  r.bar_spacing = {250, 150.5f, 125, 151.5f, 300, 0, 200, 0};
  return r;
}

TEST(OlderFormatRecordLayout, SmallRecordMatchesOffsetsCountedByHand) {
  TempDir dir;
  const std::string path = dir.File("RWdata02.dat");
  ExportOlderFormatRecord(path, SmallRecord());

  ExpectedBytes e;
  e.U16(0, 2);  // project name
  e.Text(2, {'A', 'B'});
  e.F32(4, 1.0f);  // field 2: print the project name
  e.U16(8, 0);     // office name, empty
  e.F64(10, 45383.0);
  e.U16(18, 0);  // field 5: print the date (off)
  e.U16(20, 1);  // SI
  e.U16(22, 6);
  e.Text(24, {0x53, 0x49, 0x92, 0x50, 0x88, 0xCA});  // SI単位
  e.U16(30, 1);                                      // redraw immediately
  e.U16(32, 0);                                      // 重力式
  e.U16(34, 6);
  e.Text(36, {0x8F, 0x64, 0x97, 0xCD, 0x8E, 0xAE});  // 重力式
  // Dimension block from byte 42, index i at 42 + 4 i.
  e.F32(42, 300), e.F32(46, 400), e.F32(50, 50);    // T1..T3
  e.F32(62, 350);                                   // 5: T5
  e.F32(66, 250);                                   // 6: T6
  e.F32(86, 800), e.F32(90, 450), e.F32(94, 1200);  // 11..13: L1..L3
  e.F32(106, 600);                                  // 16: L5
  e.F32(110, 3000);                                 // 17: L6
  e.F32(130, 3500), e.F32(134, 500);                // 22, 23: H0, H1
  e.F32(174, 2900), e.F32(178, 500), e.F32(182, 400), e.F32(186, 500), e.F32(190, 100);  // D0..D4
  e.F32(194, 300);                                                                       // 38: D5
  e.F32(218, 1250);                                                                      // 44: B
  e.F32(222, 26.57f);                                                                    // 45: β
  e.F32(226, 12.5f);                                                                     // 46: W0
  e.F32(230, 10), e.F32(234, 5.5f);                      // 47, 48: q1, q2
  e.U16(246, 1), e.U16(248, 1), e.U16(250, 2);           // shear key, counterfort, H1 top
  e.U16(252, 1), e.U16(254, 3);                          // bar type, grade
  e.F32(256, 180), e.F32(260, 160), e.F32(264, 200000);  // σsa, σsaT, Es
  const uint16_t sizes[] = {3, 0, 4, 1, 5, 2, 13, 14};
  const uint16_t spacings[] = {250, 150, 125, 152, 300, 0, 200, 0};
  for (int i = 0; i < 8; ++i) e.U16(268 + 2 * i, sizes[i]), e.U16(284 + 2 * i, spacings[i]);
  e.F32(300, 24), e.F32(304, 8), e.F32(308, 0.74f), e.F32(312, 0.39f);  // Fc, σcac, σcat, τa
  e.F32(316, 24.5f), e.F32(320, 25000);                                 // γc, Ec
  e.F32(336, 1500);                                                     // h of A-A'
  e.F32(360, 7.5f);                                                     // dt of C-C'
  e.F32(384, 6.5f);                                                     // dt of A-A'
  e.F32(396, 0.2f), e.F32(400, 1.5f), e.F32(404, 0.6f), e.F32(408, 18.6f), e.F32(412, 30);
  e.F32(416, 0.1f), e.F32(420, 0.2f), e.F32(424, 0.3f), e.F32(428, 0.5f);  // ν1..ν3, Ko
  e.U16(432, 0xFFFF), e.U16(434, 1);                                       // option -1, class
  e.F32(436, 300), e.F32(440, 450), e.F32(444, 1.5f), e.F32(448, 1.2f);
  // 452..655: reserve block; the rest of the record is blank.

  const Bytes written = ReadAll(path);
  ASSERT_EQ(written.size(), kOlderFormatRecordLength);
  for (std::size_t i = 0; i < written.size(); ++i) {
    ASSERT_EQ(written[i], e.bytes()[i]) << "byte " << i;
  }
}

TEST(OlderFormatRecordLayout, FixedNamesOfEveryCode) {
  EXPECT_EQ(OlderFormatUnitName(true), "SI単位");
  EXPECT_EQ(OlderFormatUnitName(false), "CGS単位");
  EXPECT_EQ(OlderFormatFamilyName(WallFamily::Gravity), "重力式");
  EXPECT_EQ(OlderFormatFamilyName(WallFamily::Leaning), "もたれ式");
  EXPECT_EQ(OlderFormatFamilyName(WallFamily::Cantilever), "逆T形、L形、逆L形");
  EXPECT_EQ(FamilyListName(3), "");
  // The longest pair, CGS単位 and the cantilever name, takes 7 + 17 bytes in CP932 and moves every
  // later field by 12 bytes.
  OlderFormatRecord r = SmallRecord();
  r.si = false;
  r.wall_family = WallFamily::Cantilever;
  const Bytes b = SerializeOlderFormatRecord(r, "x");
  EXPECT_EQ(b[20], 2);   // CGS
  EXPECT_EQ(b[22], 7);   // length of CGS単位
  EXPECT_EQ(b[33], 2);   // wall family code after the 7-byte name
  EXPECT_EQ(b[35], 17);  // length of the cantilever name
  const Bytes cantilever(b.begin() + 37, b.begin() + 54);
  EXPECT_EQ(cantilever, (Bytes{0x8B, 0x74, 0x54, 0x8C, 0x60, 0x81, 0x41, 0x4C, 0x8C, 0x60, 0x81,
                               0x41, 0x8B, 0x74, 0x4C, 0x8C, 0x60}));
  EXPECT_EQ(b[54], 0x00);  // T1 = 300.0f = 00 00 96 43 starts the dimension block
  EXPECT_EQ(b[57], 0x43);
  // The last non-zero byte is the top byte of the seismic sliding factor 1.2f (9A 99 99 3F),
  // which now lies at 448 + 12 + 3.
  const auto last = std::find_if(b.rbegin(), b.rend(), [](uint8_t x) { return x != 0; });
  EXPECT_EQ(b.rend() - last - 1, 463);
  EXPECT_EQ(*last, 0x3F);
}

// --- Export into an existing file -------------------------------------------------------------

TEST(OlderFormatRecordExport, RewritesRecordOneAndKeepsLaterRecords) {
  TempDir dir;
  const std::string path = dir.File("RWdata02.dat");
  Bytes old(2 * kOlderFormatRecordLength + 900);
  for (std::size_t i = 0; i < old.size(); ++i) old[i] = static_cast<uint8_t>(i * 7 + 3);
  WriteAll(path, old);

  ExportOlderFormatRecord(path, FullRecord());
  OlderFormatRecord second = FullRecord();
  second.project_name = "二度目";
  ExportOlderFormatRecord(path, second);

  const Bytes now = ReadAll(path);
  ASSERT_EQ(now.size(), 3 * kOlderFormatRecordLength);  // the incomplete third record completed
  EXPECT_TRUE(std::equal(old.begin() + kOlderFormatRecordLength, old.end(),
                         now.begin() + kOlderFormatRecordLength));
  EXPECT_TRUE(std::all_of(now.begin() + static_cast<std::ptrdiff_t>(old.size()), now.end(),
                          [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(ImportOlderFormatRecord(path)->project_name, "二度目");
}

TEST(OlderFormatRecordExport, ReplacesAFileShorterThanARecord) {
  TempDir dir;
  const std::string path = dir.File("RWdata02.dat");
  WriteAll(path, Bytes(100, 0xEE));
  ExportOlderFormatRecord(path, FullRecord());
  EXPECT_EQ(fs::file_size(path), kOlderFormatRecordLength);
  EXPECT_EQ(*ImportOlderFormatRecord(path), FullRecord());
}

struct RefusedExport {
  const char* name;
  std::function<void(OlderFormatRecord&)> change;
  const char* message;
};

void PrintTo(const RefusedExport& c, std::ostream* os) { *os << c.name; }

class ExportRefusal : public ::testing::TestWithParam<RefusedExport> {};

TEST_P(ExportRefusal, NamesTheFileAndLeavesItUntouched) {
  TempDir dir;
  const std::string path = dir.File("RWdata02.dat");
  ExportOlderFormatRecord(path, FullRecord());
  const Bytes before = ReadAll(path);

  OlderFormatRecord r = FullRecord();
  GetParam().change(r);
  try {
    ExportOlderFormatRecord(path, r);
    FAIL() << "the export did not refuse the record";
  } catch (const OlderFormatError& e) {
    const std::string message = e.what();
    EXPECT_EQ(message.rfind(path + ": ", 0), 0u) << message;
    EXPECT_NE(message.find(GetParam().message), std::string::npos) << message;
  }
  EXPECT_EQ(ReadAll(path), before);
  EXPECT_FALSE(fs::exists(path + ".tmp"));
}

INSTANTIATE_TEST_SUITE_P(
    OlderFormatRecord, ExportRefusal,
    ::testing::Values(
        RefusedExport{"CharacterWithoutCp932Form",
                      [](OlderFormatRecord& r) { r.project_name = "𠮷野家"; },
                      "project name holds a character that has no CP932 form"},
        RefusedExport{"InvalidUtf8", [](OlderFormatRecord& r) { r.office_name = "\xff"; },
                      "office name holds a character that has no CP932 form"},
        RefusedExport{"NulCharacter",
                      [](OlderFormatRecord& r) { r.office_name = std::string("a\0b", 3); },
                      "office name holds a NUL character"},
        RefusedExport{"NamesOneByteTooLong",
                      [](OlderFormatRecord& r) {
                        r.si = false;
                        std::string name;
                        for (int i = 0; i < 690; ++i) name += "あ";
                        r.project_name = name;
                        r.office_name = "ABC";
                      },
                      "too long for the record (they take 1383 bytes"},
        RefusedExport{"NameLongerThanARecord",
                      [](OlderFormatRecord& r) { r.project_name = std::string(70000, 'x'); },
                      "too long for the record"},
        RefusedExport{"SpacingAboveSixteenBits",
                      [](OlderFormatRecord& r) { r.bar_spacing[3] = 32767.5f; },
                      "spacing @ of B-B'配筋2 (32767.5) does not fit"},
        RefusedExport{"SpacingBelowSixteenBits",
                      [](OlderFormatRecord& r) { r.bar_spacing[0] = -40000; },
                      "spacing @ of A-A'配筋1 (-40000) does not fit"},
        RefusedExport{"SpacingNotANumber",
                      [](OlderFormatRecord& r) { r.bar_spacing[7] = std::nanf(""); },
                      "spacing @ of D-D'配筋2"},
        RefusedExport{"InfiniteNumber",
                      [](OlderFormatRecord& r) { r.kh = std::numeric_limits<float>::infinity(); },
                      "kh is not a finite number"},
        RefusedExport{"DimensionNotANumber",
                      [](OlderFormatRecord& r) { r.dimensions.w0 = std::nanf(""); },
                      "W0 is not a finite number"},
        RefusedExport{"WallFamilyOutsideTheList",
                      [](OlderFormatRecord& r) { r.wall_family = static_cast<WallFamily>(3); },
                      "wall family 3 lies outside its list (0 to 2)"},
        RefusedExport{"GradeOutsideTheList",
                      [](OlderFormatRecord& r) {
                        r.bar_type = 0;
                        r.bar_grade = 2;
                      },
                      "bar grade 2 lies outside its list (-1 to 1)"},
        RefusedExport{"SizeOutsideTheList", [](OlderFormatRecord& r) { r.bar_size[6] = 14; },
                      "bar size of D-D'配筋1 14 lies outside its list (-1 to 13)"},
        RefusedExport{"DateNotANumber", [](OlderFormatRecord& r) { r.date = std::nan(""); },
                      "date is not a number"},
        RefusedExport{"DateAfterTheYear9999", [](OlderFormatRecord& r) { r.date = 2958466.0; },
                      "date (2958466) lies outside the years 100 to 9999"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OlderFormatRecordExport, UnwritableFolderIsReportedWithTheFile) {
  TempDir dir;
  const std::string path = dir.File("missing-folder/RWdata02.dat");
  try {
    ExportOlderFormatRecord(path, FullRecord());
    FAIL() << "no error";
  } catch (const OlderFormatError& e) {
    EXPECT_EQ(std::string(e.what()).rfind(path + ": cannot write the file", 0), 0u) << e.what();
  }
  EXPECT_FALSE(fs::exists(path));
}

// --- Import of bad files ----------------------------------------------------------------------

TEST(OlderFormatRecordImport, MissingFileIsNoError) {
  TempDir dir;
  EXPECT_EQ(ImportOlderFormatRecord(dir.File("RWdata02.dat")), std::nullopt);
}

TEST(OlderFormatRecordImport, LaterRecordsAreNotRead) {
  TempDir dir;
  const std::string path = dir.File("RWdata02.dat");
  Bytes bytes = SerializeOlderFormatRecord(FullRecord(), path);
  bytes.resize(3 * kOlderFormatRecordLength, 0xAB);
  WriteAll(path, bytes);
  EXPECT_EQ(*ImportOlderFormatRecord(path), FullRecord());
}

void PutU16(Bytes& b, std::size_t at, uint16_t v) {
  b.at(at) = static_cast<uint8_t>(v);
  b.at(at + 1) = static_cast<uint8_t>(v >> 8);
}
void PutF32(Bytes& b, std::size_t at, float v) {
  const auto u = std::bit_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) b.at(at + i) = static_cast<uint8_t>(u >> (8 * i));
}
void PutF64(Bytes& b, std::size_t at, double v) {
  const auto u = std::bit_cast<uint64_t>(v);
  for (int i = 0; i < 8; ++i) b.at(at + i) = static_cast<uint8_t>(u >> (8 * i));
}

struct BadFile {
  const char* name;
  std::function<void(Bytes&)> spoil;  // applied to the bytes of SmallRecord()
  const char* message;
};

void PrintTo(const BadFile& c, std::ostream* os) { *os << c.name; }

class ImportRefusal : public ::testing::TestWithParam<BadFile> {};

TEST_P(ImportRefusal, NamesTheFileAndLoadsNothing) {
  TempDir dir;
  const std::string path = dir.File("RWdata02.dat");
  Bytes bytes = SerializeOlderFormatRecord(SmallRecord(), path);
  GetParam().spoil(bytes);
  WriteAll(path, bytes);
  try {
    const auto loaded = ImportOlderFormatRecord(path);
    FAIL() << "the file was loaded";
  } catch (const OlderFormatError& e) {
    const std::string message = e.what();
    EXPECT_EQ(message.rfind(path + ": ", 0), 0u) << message;
    EXPECT_NE(message.find(GetParam().message), std::string::npos) << message;
  }
}

INSTANTIATE_TEST_SUITE_P(
    OlderFormatRecord, ImportRefusal,
    ::testing::Values(
        BadFile{"EmptyFile", [](Bytes& b) { b.clear(); },
                "too short for a record (0 bytes; a record takes 2048)"},
        BadFile{"TruncatedFile", [](Bytes& b) { b.resize(2047); }, "too short for a record"},
        BadFile{"OversizedFile", [](Bytes& b) { b.push_back(0); },
                "size (2049 bytes) is not a whole number of 2048-byte records"},
        BadFile{"TextRunsPastTheRecord", [](Bytes& b) { PutU16(b, 0, 2047); },
                "length of the project name (2047 bytes) runs past the end of the record"},
        BadFile{"TextLengthAtItsMaximum", [](Bytes& b) { PutU16(b, 8, 0xFFFF); },
                "length of the office name (65535 bytes) runs past"},
        BadFile{"DateNotANumber", [](Bytes& b) { PutF64(b, 10, std::nan("")); },
                "date is not a number"},
        BadFile{"DateInfinite",
                [](Bytes& b) { PutF64(b, 10, -std::numeric_limits<double>::infinity()); },
                "date is not a number"},
        BadFile{"DateOutsideTheCalendar", [](Bytes& b) { PutF64(b, 10, 1e7); },
                "date (10000000) lies outside the years 100 to 9999"},
        BadFile{"TextNotCp932", [](Bytes& b) { b[2] = 0x80; }, "project name is not valid CP932"},
        BadFile{"TextEndsInsideACharacter", [](Bytes& b) { b[3] = 0x81; },
                "project name is not valid CP932"},
        BadFile{"TextWithNul", [](Bytes& b) { b[3] = 0; }, "project name holds a NUL character"},
        BadFile{"CoverChoiceNotZeroOrOne", [](Bytes& b) { PutF32(b, 4, 0.5f); },
                "cover option of the project name holds 0.5, not 0 or 1"},
        BadFile{"UnitSystemCode", [](Bytes& b) { PutU16(b, 20, 3); },
                "unit system holds 3, not 1 or 2"},
        BadFile{"UnitNameNotMatchingTheCode", [](Bytes& b) { PutU16(b, 20, 2); },
                "unit system name does not match its code (expected CGS単位)"},
        BadFile{"FamilyCode", [](Bytes& b) { PutU16(b, 32, 0xFFFF); },
                "wall family -1 lies outside its list (0 to 2)"},
        BadFile{"FamilyNameNotMatchingTheCode", [](Bytes& b) { PutU16(b, 32, 1); },
                "wall family name does not match its code (expected もたれ式)"},
        BadFile{"UnusedDimensionIndex", [](Bytes& b) { PutF32(b, 42 + 4 * 3, 1); },
                "unused dimension index 3 is not 0"},
        BadFile{"DimensionNotANumber", [](Bytes& b) { PutF32(b, 226, std::nanf("")); },
                "value of W0 is not a finite number"},
        BadFile{"CheckBoxValue", [](Bytes& b) { PutU16(b, 246, 2); },
                "shear key option holds 2, not 0 or 1"},
        BadFile{"CounterfortTopCode", [](Bytes& b) { PutU16(b, 250, 0); },
                "counterfort top option holds 0, not 1 or 2"},
        BadFile{"BarSizeOutsideItsList", [](Bytes& b) { PutU16(b, 268 + 2, 15); },
                "bar size of A-A'配筋2 15 lies outside its list (-1 to 14)"},
        BadFile{"ConcreteValueNotANumber",
                [](Bytes& b) { PutF32(b, 300, std::numeric_limits<float>::infinity()); },
                "value of Fc is not a finite number"},
        BadFile{"ReservedFieldInUse", [](Bytes& b) { PutF32(b, 344, 2); },
                "reserved field after h of A-A' is not 0"},
        BadFile{"EarthPressureOptionCode", [](Bytes& b) { PutU16(b, 432, 1); },
                "earth-pressure option holds 1, not -1 or 0"},
        BadFile{"SoilClassOutsideItsList", [](Bytes& b) { PutU16(b, 434, 4); },
                "soil class 4 lies outside its list (-1 to 3)"},
        BadFile{"ReserveBlockInUse", [](Bytes& b) { b[655] = 1; }, "reserve block is not all 0"},
        BadFile{"DataAfterTheLastField", [](Bytes& b) { b[2047] = 1; },
                "record holds data after its last field"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OlderFormatRecordImport, FolderInPlaceOfTheFile) {
  TempDir dir;
  const std::string path = dir.File("RWdata02.dat");
  fs::create_directory(path);
  EXPECT_THROW(ImportOlderFormatRecord(path), OlderFormatError);
  EXPECT_THROW(ExportOlderFormatRecord(path, FullRecord()), OlderFormatError);
}

TEST(OlderFormatRecordParse, BytesOutsideOneRecord) {
  const Bytes bytes = SerializeOlderFormatRecord(FullRecord(), "x");
  Bytes longer = bytes;
  longer.push_back(0);
  EXPECT_THROW(ParseOlderFormatRecord(longer, "x"), OlderFormatError);
  // Only blank bytes are missing: the fields are whole, but the record is still cut short.
  const std::span<const uint8_t> shorter(bytes.data(), 1000);
  try {
    ParseOlderFormatRecord(shorter, "src");
    FAIL() << "no error";
  } catch (const OlderFormatError& e) {
    EXPECT_STREQ(e.what(), "src: the record is cut short (1000 of 2048 bytes)");
    EXPECT_EQ(e.japanese(),
              "ファイル src の記録が途中で切れています（2048 バイトのうち 1000 バイト）。");
  }
  try {
    const Bytes small = SerializeOlderFormatRecord(SmallRecord(), "x");
    ParseOlderFormatRecord(std::span<const uint8_t>(small.data(), 302), "src");
    FAIL() << "no error";
  } catch (const OlderFormatError& e) {
    EXPECT_NE(std::string(e.what()).find("the record ends inside the Fc"), std::string::npos)
        << e.what();
    EXPECT_EQ(e.japanese(), "ファイル src の記録が、Fcの途中で終わっています。");
  }
  // A field of the record is named in Japanese in the text the window shows.
  OlderFormatRecord r = FullRecord();
  r.bar_size[2] = 99;
  try {
    SerializeOlderFormatRecord(r, "dst");
    FAIL() << "no error";
  } catch (const OlderFormatError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("dst: the bar size of B-B'配筋1 99 lies outside", 0), 0u)
        << e.what();
    EXPECT_EQ(std::string(e.japanese())
                  .rfind("ファイル dst のB-B'配筋1の鉄筋径 99 が、一覧の範囲（-1 ～ ", 0),
              0u)
        << e.japanese();
  }
}

}  // namespace
}  // namespace ktv
