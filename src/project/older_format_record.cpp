#include "project/older_format_record.h"

#include <iconv.h>

#include <QSaveFile>
#include <QString>
#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>

#include "app/catalogue.h"
#include "app/format.h"
#include "app/wall_family.h"
#include "earth_pressure/earth_pressure.h"

namespace ktv {

// Layout of a record
// ------------------
// The fields follow one another in the order of DescribeRecord below, with no padding; numbers
// are little-endian. A text is a 16-bit byte count followed by that many bytes of CP932 text. The
// date is the 64-bit floating-point day count since 1899-12-30. The dimension block is 51 32-bit
// floats with the shape values at the indexes of kDimensionSlots and 0 elsewhere; the reserve
// block at the end is 51 zero 32-bit integers.
//
// Room for the texts. The old format opened the file with a record length of 650 bytes, but the
// fields alone take 642 bytes and the two fixed names (unit system, wall family) add 12 to 24
// bytes more, so a 650-byte record could never hold them. A record here is
// kOlderFormatRecordLength (2048) bytes: the fields from the record's start with the texts' real
// lengths, then zero bytes up to the record's end. Record n starts at byte (n - 1) × 2048, so
// rewriting record 1 never moves a later record. The project and office names together may take
// the 2048 - 642 - 24 = 1382 bytes that are always left (more when the fixed names are shorter);
// a longer pair is refused rather than cut.
//
// Cover choices. Field 2 (a 32-bit float) holds chkPrnCNamOk, print the project name on the
// cover, and field 5 (a 16-bit integer) holds chkPrnDateOk, print the date: each choice follows
// the value it prints (field 1 is the project name, field 4 the date). Writer and reader share
// this pairing through DescribeRecord.
//
// Reading is strict: a record is accepted only when every field holds a value this program
// writes (codes within their sets, names matching their codes, finite numbers, zero reserved
// fields and zero bytes after the last field), so a file that is not such a record loads nothing.

namespace {

constexpr std::size_t kRecordLength = kOlderFormatRecordLength;
constexpr int kDimensionCount = 51;
constexpr int kReserveCount = 51;

// The earliest and the latest moment of the platform's date type: 100-01-01 and 9999-12-31.
constexpr double kFirstDateSerial = -657434.0;
constexpr double kEndDateSerial = 2958466.0;  // exclusive: 10000-01-01

struct DimensionSlot {
  int index;
  float OlderFormatDimensions::*member;
  const char* name;
};
constexpr std::array<DimensionSlot, 23> kDimensionSlots = {{
    {0, &OlderFormatDimensions::t1, "T1"},  {1, &OlderFormatDimensions::t2, "T2"},
    {2, &OlderFormatDimensions::t3, "T3"},  {5, &OlderFormatDimensions::t5, "T5"},
    {6, &OlderFormatDimensions::t6, "T6"},  {11, &OlderFormatDimensions::l1, "L1"},
    {12, &OlderFormatDimensions::l2, "L2"}, {13, &OlderFormatDimensions::l3, "L3"},
    {16, &OlderFormatDimensions::l5, "L5"}, {17, &OlderFormatDimensions::l6, "L6"},
    {22, &OlderFormatDimensions::h0, "H0"}, {23, &OlderFormatDimensions::h1, "H1"},
    {33, &OlderFormatDimensions::d0, "D0"}, {34, &OlderFormatDimensions::d1, "D1"},
    {35, &OlderFormatDimensions::d2, "D2"}, {36, &OlderFormatDimensions::d3, "D3"},
    {37, &OlderFormatDimensions::d4, "D4"}, {38, &OlderFormatDimensions::d5, "D5"},
    {44, &OlderFormatDimensions::b, "B"},   {45, &OlderFormatDimensions::beta, "β"},
    {46, &OlderFormatDimensions::w0, "W0"}, {47, &OlderFormatDimensions::q1, "q1"},
    {48, &OlderFormatDimensions::q2, "q2"},
}};

// Bar positions by their names on the materials page.
constexpr std::array<const char*, kBarPositionCount> kBarPositionNames = {
    "A-A'配筋1", "A-A'配筋2", "B-B'配筋1", "B-B'配筋2",
    "C-C'配筋1", "C-C'配筋2", "D-D'配筋1", "D-D'配筋2"};

int LastIndexOf(std::size_t count) { return static_cast<int>(count) - 1; }

// The one field list of the record, shared by the writer and the reader. Record is
// OlderFormatRecord for reading and const OlderFormatRecord for writing. The ranges of the list
// indexes depend on fields read before them (the bar type), which the order guarantees. The
// trailing numbers count the record's fields.
template <class Io, class Record>
void DescribeRecord(Io& io, Record& r) {
  io.Text({"project name", "工事名"}, r.project_name);  // 1
  io.FlagFloat({"cover option of the project name", "表紙に工事名を印刷する指定"},
               r.print_project_name);                                               // 2
  io.Text({"office name", "事務所名"}, r.office_name);                              // 3
  io.Date({"date", "日付"}, r.date);                                                // 4
  io.Flag({"cover option of the date", "表紙に日付を印刷する指定"}, r.print_date);  // 5
  io.Choice({"unit system", "単位系"}, r.si, 1, 2);                                 // 6
  io.FixedText({"unit system name", "単位系の名前"}, OlderFormatUnitName(r.si));    // 7
  io.Flag({"redraw option", "即時描画の指定"}, r.sync_draw);                        // 8
  io.Family({"wall family", "擁壁の種類"}, r.wall_family);                          // 9
  io.FixedText({"wall family name", "擁壁の種類の名前"},
               OlderFormatFamilyName(r.wall_family));                                          // 10
  io.Dimensions(r.dimensions);                                                                 // 11
  io.Flag({"shear key option", "滑り止めの指定"}, r.shear_key);                                // 12
  io.Flag({"counterfort option", "控え壁の指定"}, r.counterfort);                              // 13
  io.Choice({"counterfort top option", "控え壁の上端の指定"}, r.counterfort_to_h0_top, 1, 2);  // 14
  io.Index({"bar type", "鉄筋の種類"}, r.bar_type, -1, kBarTypeCount - 1);                     // 15
  io.Index({"bar grade", "鉄筋の材質"}, r.bar_grade, -1,
           LastIndexOf(BarGrades(r.bar_type).size()));  // 16
  io.Float("σsa", r.sigma_sa);                          // 17
  io.Float("σsaT", r.sigma_saT);                        // 18
  io.Float("Es", r.es);                                 // 19
  for (int i = 0; i < kBarPositionCount; ++i) {         // 20
    io.Index({std::string("bar size of ") + kBarPositionNames[i],
              std::string(kBarPositionNames[i]) + "の鉄筋径"},
             r.bar_size[i], -1, LastIndexOf(SizeListEntries(r.bar_type, i).size()));
  }
  for (int i = 0; i < kBarPositionCount; ++i) {  // 21
    io.Spacing({std::string("spacing @ of ") + kBarPositionNames[i],
                std::string(kBarPositionNames[i]) + "の間隔@"},
               r.bar_spacing[i]);
  }
  io.Float("Fc", r.fc);                                                                     // 22
  io.Float("σcac", r.sigma_cac);                                                            // 23
  io.Float("σcat", r.sigma_cat);                                                            // 24
  io.Float("τa", r.tau_a);                                                                  // 25
  io.Float("γc", r.gamma_c);                                                                // 26
  io.Float("Ec", r.ec);                                                                     // 27
  io.ReservedFloats({"reserved field after Ec", "Ecの後の予備の項目"}, 3);                  // 28
  io.Float({"h of A-A'", "A-A'の高さh"}, r.h_aa);                                           // 29
  io.ReservedFloats({"reserved field after h of A-A'", "A-A'の高さhの後の予備の項目"}, 5);  // 30
  io.Float({"dt of C-C'", "C-C'のdt"}, r.dt_cc);                                            // 31
  io.ReservedFloats({"reserved field after dt of C-C'", "C-C'のdtの後の予備の項目"}, 5);    // 32
  io.Float({"dt of A-A'", "A-A'のdt"}, r.dt_aa);                                            // 33
  io.ReservedFloats({"reserved field after dt of A-A'", "A-A'のdtの後の予備の項目"}, 2);    // 34
  io.Float("kh", r.kh);                                                                     // 35
  io.Float("C", r.c);                                                                       // 36
  io.Float("tanφB", r.tan_phi_b);                                                           // 37
  io.Float("γ", r.gamma);                                                                   // 38
  io.Float("φ", r.phi);                                                                     // 39
  io.Float("ν1", r.nu[0]);                                                                  // 40
  io.Float("ν2", r.nu[1]);
  io.Float("ν3", r.nu[2]);
  io.Float("Ko", r.ko);                                                                        // 41
  io.Choice({"earth-pressure option", "土圧係数の選択"}, r.regulation_table, -1, 0);           // 42
  io.Index({"soil class", "土質の種類"}, r.soil_class, -1, LastIndexOf(kSoilClasses.size()));  // 43
  io.Float({"qa (normal)", "qa（常時）"}, r.qa_normal);                                        // 44
  io.Float({"qa (seismic)", "qa（地震時）"}, r.qa_seismic);
  io.Float({"sliding factor (normal)", "滑動の安全率（常時）"}, r.sliding_normal);  // 45
  io.Float({"sliding factor (seismic)", "滑動の安全率（地震時）"}, r.sliding_seismic);
  io.ReservedInts({"reserve block", "予備の領域"}, kReserveCount);  // 46
}

// --- CP932 through iconv -------------------------------------------------------------------

enum class Conversion { kOk, kInvalid, kUnavailable };

Conversion Convert(const char* to, const char* from, std::string_view in, std::string& out) {
  out.clear();
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return Conversion::kUnavailable;
  std::string input(in);
  char* in_ptr = input.data();
  std::size_t in_left = input.size();
  char buffer[256];
  Conversion result = Conversion::kOk;
  while (true) {
    char* out_ptr = buffer;
    std::size_t out_left = sizeof buffer;
    // A null input flushes the converter's state once the text is consumed.
    std::size_t rc = in_left > 0 ? iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left)
                                 : iconv(cd, nullptr, nullptr, &out_ptr, &out_left);
    const int error = errno;
    out.append(buffer, static_cast<std::size_t>(out_ptr - buffer));
    if (rc == static_cast<std::size_t>(-1)) {
      if (error == E2BIG) continue;
      result = Conversion::kInvalid;  // EILSEQ, or EINVAL for a sequence cut off at the end
      break;
    }
    if (in_left == 0 && in_ptr != nullptr) {
      in_ptr = nullptr;  // the text is consumed: flush once more, then stop
      continue;
    }
    break;
  }
  iconv_close(cd);
  return result;
}

[[noreturn]] void Fail(FileFault fault, const std::vector<FileField>& pieces) {
  throw OlderFormatError(fault, pieces);
}

std::string ToCp932(const std::string& file, const FileField& field, std::string_view utf8) {
  std::string out;
  switch (Convert("CP932", "UTF-8", utf8, out)) {
    case Conversion::kOk:
      break;
    case Conversion::kInvalid:
      Fail(FileFault::kNoCp932Form, {file, field});
    case Conversion::kUnavailable:
      Fail(FileFault::kNoCp932Conversion, {file});
  }
  if (out.find('\0') != std::string::npos) Fail(FileFault::kNulCharacter, {file, field});
  return out;
}

std::string FromCp932(const std::string& file, const FileField& field, std::string_view cp932) {
  if (cp932.find('\0') != std::string_view::npos) {
    Fail(FileFault::kNulCharacter, {file, field});
  }
  std::string out;
  switch (Convert("UTF-8", "CP932", cp932, out)) {
    case Conversion::kOk:
      break;
    case Conversion::kInvalid:
      Fail(FileFault::kNotCp932, {file, field});
    case Conversion::kUnavailable:
      Fail(FileFault::kNoCp932Conversion, {file});
  }
  return out;
}

// Blanks at either end of a name are not stored (as the window trims them).
std::string_view TrimBlanks(std::string_view s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string Shown(float v) { return ShortestForm(v); }
std::string Shown(double v) { return ShortestForm(v); }

// --- Writer -----------------------------------------------------------------------------------

class RecordWriter {
 public:
  explicit RecordWriter(const std::string& file) : file_(file) { bytes_.reserve(kRecordLength); }

  void Text(const FileField& field, const std::string& text) {
    const std::string cp932 = ToCp932(file_, field, TrimBlanks(text));
    name_bytes_ += cp932.size();
    // Long names are refused once they alone exceed the record, before the 16-bit count is cut.
    if (cp932.size() > kRecordLength) TooLong();
    U16(static_cast<uint16_t>(cp932.size()));
    bytes_.insert(bytes_.end(), cp932.begin(), cp932.end());
  }
  void FixedText(const FileField& field, std::string_view text) {
    const std::string cp932 = ToCp932(file_, field, text);
    U16(static_cast<uint16_t>(cp932.size()));
    bytes_.insert(bytes_.end(), cp932.begin(), cp932.end());
  }
  void Date(const FileField& field, double serial) {
    if (!std::isfinite(serial)) Fail(FileFault::kNotANumber, {file_, field});
    if (serial < kFirstDateSerial || serial >= kEndDateSerial) {
      Fail(FileFault::kDateOutside, {file_, field, Shown(serial)});
    }
    U64(std::bit_cast<uint64_t>(serial));
  }
  void Float(const FileField& field, float v) {
    if (!std::isfinite(v)) Fail(FileFault::kNotFinite, {file_, field});
    U32(std::bit_cast<uint32_t>(v));
  }
  void FlagFloat(const FileField&, bool v) { U32(std::bit_cast<uint32_t>(v ? 1.0f : 0.0f)); }
  void Flag(const FileField&, bool v) { U16(v ? 1 : 0); }
  void Choice(const FileField&, bool v, int16_t if_true, int16_t if_false) {
    U16(static_cast<uint16_t>(v ? if_true : if_false));
  }
  void Index(const FileField& field, int16_t v, int first, int last) {
    if (v < first || v > last) {
      Fail(FileFault::kOutsideList,
           {file_, field, std::to_string(v), std::to_string(first), std::to_string(last)});
    }
    U16(static_cast<uint16_t>(v));
  }
  void Family(const FileField& field, WallFamily family) {
    Index(field, static_cast<int16_t>(CodeOf(family)), 0, kWallFamilyCount - 1);
  }
  // Spacings are whole millimetres in the record, halves going to the even neighbour.
  void Spacing(const FileField& field, float v) {
    // RoundHalfEven saturates, so a value beyond int still lands outside the 16-bit range.
    const int rounded = RoundHalfEven(v);
    if (!std::isfinite(v) || rounded < std::numeric_limits<int16_t>::min() ||
        rounded > std::numeric_limits<int16_t>::max()) {
      Fail(FileFault::kSpacingTooWide, {file_, field, Shown(v)});
    }
    U16(static_cast<uint16_t>(static_cast<int16_t>(rounded)));
  }
  void Dimensions(const OlderFormatDimensions& d) {
    std::array<float, kDimensionCount> block{};
    for (const auto& slot : kDimensionSlots) {
      const float v = d.*slot.member;
      if (!std::isfinite(v)) Fail(FileFault::kNotFinite, {file_, slot.name});
      block[slot.index] = v;
    }
    for (float v : block) U32(std::bit_cast<uint32_t>(v));
  }
  void ReservedFloats(const FileField&, int count) {
    for (int i = 0; i < count; ++i) U32(0);
  }
  void ReservedInts(const FileField&, int count) {
    for (int i = 0; i < count; ++i) U32(0);
  }

  std::vector<uint8_t> Finish() {
    if (bytes_.size() > kRecordLength) TooLong();
    bytes_.resize(kRecordLength, 0);
    return std::move(bytes_);
  }

 private:
  [[noreturn]] void TooLong() {
    // Everything but the two names is at most 642 + 24 bytes, which always fits.
    Fail(FileFault::kNamesTooLong,
         {file_, std::to_string(name_bytes_), std::to_string(kRecordLength - 642 - 24)});
  }
  void U16(uint16_t v) {
    bytes_.push_back(static_cast<uint8_t>(v));
    bytes_.push_back(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void U64(uint64_t v) {
    for (int i = 0; i < 8; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }

  const std::string& file_;
  std::vector<uint8_t> bytes_;
  std::size_t name_bytes_ = 0;
};

// --- Reader -----------------------------------------------------------------------------------

class RecordReader {
 public:
  RecordReader(std::span<const uint8_t> bytes, const std::string& file)
      : bytes_(bytes.first(std::min(bytes.size(), kRecordLength))), file_(file) {}

  void Text(const FileField& field, std::string& text) {
    const uint16_t length = U16(field);
    text = std::string(TrimBlanks(FromCp932(file_, field, TextBytes(field, length))));
  }
  void FixedText(const FileField& field, std::string_view expected) {
    const uint16_t length = U16(field);
    const std::string_view stored = TextBytes(field, length);
    if (stored != ToCp932(file_, field, expected)) {
      Fail(FileFault::kNameMismatch, {file_, field, std::string(expected)});
    }
  }
  void Date(const FileField& field, double& serial) {
    serial = std::bit_cast<double>(U64(field));
    if (!std::isfinite(serial)) Fail(FileFault::kNotANumber, {file_, field});
    if (serial < kFirstDateSerial || serial >= kEndDateSerial) {
      Fail(FileFault::kDateOutside, {file_, field, Shown(serial)});
    }
  }
  void Float(const FileField& field, float& v) {
    v = std::bit_cast<float>(U32(field));
    if (!std::isfinite(v)) Fail(FileFault::kNotFinite, {file_, field});
  }
  void FlagFloat(const FileField& field, bool& v) {
    const float stored = std::bit_cast<float>(U32(field));
    if (stored != 0.0f && stored != 1.0f) {
      Fail(FileFault::kNotZeroOrOne, {file_, field, Shown(stored)});
    }
    v = stored == 1.0f;
  }
  void Flag(const FileField& field, bool& v) {
    const int16_t stored = I16(field);
    if (stored != 0 && stored != 1) {
      Fail(FileFault::kNotZeroOrOne, {file_, field, std::to_string(stored)});
    }
    v = stored == 1;
  }
  void Choice(const FileField& field, bool& v, int16_t if_true, int16_t if_false) {
    const int16_t stored = I16(field);
    if (stored != if_true && stored != if_false) {
      Fail(FileFault::kNotEitherCode, {file_, field, std::to_string(stored),
                                       std::to_string(if_true), std::to_string(if_false)});
    }
    v = stored == if_true;
  }
  void Index(const FileField& field, int16_t& v, int first, int last) {
    v = I16(field);
    if (v < first || v > last) {
      Fail(FileFault::kOutsideList,
           {file_, field, std::to_string(v), std::to_string(first), std::to_string(last)});
    }
  }
  void Family(const FileField& field, WallFamily& family) {
    int16_t code = 0;
    Index(field, code, 0, kWallFamilyCount - 1);
    family = *WallFamilyFromCode(code);
  }
  void Spacing(const FileField& field, float& v) { v = static_cast<float>(I16(field)); }
  void Dimensions(OlderFormatDimensions& d) {
    std::array<float, kDimensionCount> block{};
    for (float& v : block) v = std::bit_cast<float>(U32({"dimension block", "寸法の領域"}));
    std::array<bool, kDimensionCount> used{};
    for (const auto& slot : kDimensionSlots) {
      const float v = block[slot.index];
      if (!std::isfinite(v)) Fail(FileFault::kNotFinite, {file_, slot.name});
      d.*slot.member = v;
      used[slot.index] = true;
    }
    for (int i = 0; i < kDimensionCount; ++i) {
      if (!used[i] && block[i] != 0.0f) {
        Fail(FileFault::kUnusedDimension, {file_, std::to_string(i)});
      }
    }
  }
  void ReservedFloats(const FileField& field, int count) {
    for (int i = 0; i < count; ++i) {
      if (std::bit_cast<float>(U32(field)) != 0.0f)
        Fail(FileFault::kReservedNotZero, {file_, field});
    }
  }
  void ReservedInts(const FileField& field, int count) {
    for (int i = 0; i < count; ++i) {
      if (U32(field) != 0) Fail(FileFault::kReserveNotZero, {file_, field});
    }
  }

  // The rest of the record must be blank: a record that goes on is not one this program wrote.
  void Finish(std::size_t given) {
    if (std::any_of(bytes_.begin() + static_cast<std::ptrdiff_t>(pos_), bytes_.end(),
                    [](uint8_t b) { return b != 0; })) {
      Fail(FileFault::kDataAfterRecord, {file_});
    }
    if (given < kRecordLength) {
      Fail(FileFault::kRecordCutShort,
           {file_, std::to_string(given), std::to_string(kRecordLength)});
    }
  }

 private:
  std::span<const uint8_t> Take(const FileField& field, std::size_t n) {
    if (n > bytes_.size() - pos_) Fail(FileFault::kRecordEndsInside, {file_, field});
    auto out = bytes_.subspan(pos_, n);
    pos_ += n;
    return out;
  }
  std::string_view TextBytes(const FileField& field, uint16_t length) {
    if (length > bytes_.size() - pos_) {
      Fail(FileFault::kTextRunsPast, {file_, field, std::to_string(length)});
    }
    auto span = Take(field, length);
    return {reinterpret_cast<const char*>(span.data()), span.size()};
  }
  uint64_t Unsigned(const FileField& field, std::size_t n) {
    auto span = Take(field, n);
    uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i) v |= static_cast<uint64_t>(span[i]) << (8 * i);
    return v;
  }
  uint16_t U16(const FileField& field) { return static_cast<uint16_t>(Unsigned(field, 2)); }
  int16_t I16(const FileField& field) { return static_cast<int16_t>(U16(field)); }
  uint32_t U32(const FileField& field) { return static_cast<uint32_t>(Unsigned(field, 4)); }
  uint64_t U64(const FileField& field) { return Unsigned(field, 8); }

  std::span<const uint8_t> bytes_;
  std::size_t pos_ = 0;
  const std::string& file_;
};

std::string SystemMessage(const std::error_code& ec) { return ec.message(); }

}  // namespace

std::string_view OlderFormatUnitName(bool si) { return si ? "SI単位" : "CGS単位"; }

std::string_view OlderFormatFamilyName(WallFamily wall_family) {
  return NamesOf(wall_family).list_name;
}

namespace {
constexpr std::chrono::sys_days kDateEpoch =
    std::chrono::sys_days{std::chrono::year{1899} / std::chrono::December / 30};
}  // namespace

double DateSerialOf(std::chrono::year_month_day day) {
  return static_cast<double>((std::chrono::sys_days{day} - kDateEpoch).count());
}

std::chrono::year_month_day CalendarDayOf(double date_serial) {
  // The whole part counts the days (towards zero: -1.5 is noon of 1899-12-29); the fraction is
  // the time of day.
  const auto days = static_cast<int>(std::trunc(date_serial));
  return std::chrono::year_month_day{kDateEpoch + std::chrono::days{days}};
}

std::vector<uint8_t> SerializeOlderFormatRecord(const OlderFormatRecord& record,
                                                const std::string& target) {
  RecordWriter writer(target);
  DescribeRecord(writer, record);
  return writer.Finish();
}

OlderFormatRecord ParseOlderFormatRecord(std::span<const uint8_t> bytes,
                                         const std::string& source) {
  if (bytes.size() > kRecordLength) {
    Fail(FileFault::kRecordTooLong, {source, std::to_string(kRecordLength)});
  }
  OlderFormatRecord record;
  RecordReader reader(bytes, source);
  DescribeRecord(reader, record);
  reader.Finish(bytes.size());
  return record;
}

void ExportOlderFormatRecord(const std::string& path, const OlderFormatRecord& record) {
  namespace fs = std::filesystem;
  // Every value is checked before the file is touched.
  const std::vector<uint8_t> first = SerializeOlderFormatRecord(record, path);

  std::vector<uint8_t> content;
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (status.type() != fs::file_type::not_found) {
    if (ec) Fail(FileFault::kCannotReadFile, {path, " (" + SystemMessage(ec) + ")"});
    if (!fs::is_regular_file(status)) Fail(FileFault::kNotAFile, {path});
    std::ifstream in(path, std::ios::binary);
    if (!in) Fail(FileFault::kCannotOpenForRead, {path});
    content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) Fail(FileFault::kCannotReadFile, {path});
  }
  // Record 1 is replaced; an incomplete last record is completed with zeros so that every record
  // keeps its place.
  const std::size_t records =
      std::max<std::size_t>(1, (content.size() + kRecordLength - 1) / kRecordLength);
  content.resize(records * kRecordLength, 0);
  std::copy(first.begin(), first.end(), content.begin());

  // Replaced whole, so that a failed write leaves the earlier file as it was.
  QSaveFile out(QString::fromStdString(path));
  const auto size = static_cast<qint64>(content.size());
  if (!out.open(QIODevice::WriteOnly) ||
      out.write(reinterpret_cast<const char*>(content.data()), size) != size || !out.commit()) {
    Fail(FileFault::kCannotWriteFile, {path, out.errorString().toStdString()});
  }
}

std::optional<OlderFormatRecord> ImportOlderFormatRecord(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (status.type() == fs::file_type::not_found) return std::nullopt;
  if (ec) Fail(FileFault::kCannotReadFile, {path, " (" + SystemMessage(ec) + ")"});
  if (!fs::is_regular_file(status)) Fail(FileFault::kNotAFile, {path});
  const std::uintmax_t size = fs::file_size(path, ec);
  if (ec) Fail(FileFault::kCannotReadFile, {path, " (" + SystemMessage(ec) + ")"});
  if (size < kRecordLength) {
    Fail(FileFault::kFileTooShort, {path, std::to_string(size), std::to_string(kRecordLength)});
  }
  if (size % kRecordLength != 0) {
    Fail(FileFault::kNotWholeRecords, {path, std::to_string(size), std::to_string(kRecordLength)});
  }
  std::vector<uint8_t> bytes(kRecordLength);
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail(FileFault::kCannotOpenForRead, {path});
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (in.gcount() != static_cast<std::streamsize>(bytes.size())) {
    Fail(FileFault::kCannotReadFirstRecord, {path});
  }
  return ParseOlderFormatRecord(bytes, path);
}

}  // namespace ktv
