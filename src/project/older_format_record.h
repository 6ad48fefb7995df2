#pragma once
// The older fixed-record data file RWdata02.dat: one record of every window input, written on Save
// and read back in import mode. It is the only store of the inputs that have no database field
// (H1, W0, the shear key and the counterfort).
//
// The record is laid out in older_format_record.cpp, where one field list drives both the writer
// and the reader. Records are kOlderFormatRecordLength bytes long; only record 1 is written or
// read, and records after it are kept as they are.
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/standard_sizes.h"
#include "app/wall_family.h"
#include "project/project_database.h"

namespace ktv {

// Length of one record in the file. The nominal 650 bytes of the old format cannot hold the
// fields and their texts, so records are this long (see the layout comment in the .cpp).
inline constexpr std::size_t kOlderFormatRecordLength = 2048;

// A record file that cannot be written or read, or a record that is not valid. The message names
// the file and the field or the fault.
class OlderFormatError : public ProjectError {
 public:
  using ProjectError::ProjectError;
};

// The shape values of the record's dimension block: millimetres, β in degrees, W0, q1 and q2 in
// the window's load unit.
struct OlderFormatDimensions {
  float t1 = 0, t2 = 0, t3 = 0;                  // txtT(0..2)
  float t5 = 0;                                  // txtFK_T5, shear-key width
  float t6 = 0;                                  // txtSW_T6, counterfort thickness
  float l1 = 0, l2 = 0, l3 = 0;                  // txtL(0..2)
  float l5 = 0;                                  // txtFK_L5, shear-key position
  float l6 = 0;                                  // txtSW_L6, counterfort spacing
  float h0 = 0, h1 = 0;                          // txtH(0), txtH(1)
  float d0 = 0, d1 = 0, d2 = 0, d3 = 0, d4 = 0;  // txtD(0..4)
  float d5 = 0;                                  // txtFK_D5, shear-key depth
  float b = 0;                                   // txtB
  float beta = 0;                                // txtβ, degrees
  float w0 = 0, q1 = 0, q2 = 0;                  // txtW0, txtq1, txtq2

  bool operator==(const OlderFormatDimensions&) const = default;
};

// Every input the record holds. Texts are UTF-8; numbers are the boxes' values read with the
// leading-number rule. The unit-system and wall-family names of the record are not members: they
// follow from `si` and `wall_family`.
struct OlderFormatRecord {
  // Project page.
  std::string project_name;        // txt工事名 (blanks at either end are not stored)
  bool print_project_name = true;  // chkPrnCNamOk
  std::string office_name;         // txt事務所名 (blanks at either end are not stored)
  double date = 0;                 // cmbData: day count since 1899-12-30, fraction = time of day
  bool print_date = true;          // chkPrnDateOk
  bool si = true;                  // opnUntSI selected (false: opnUntCGS)

  // Wall page.
  bool sync_draw = false;                        // chkSyncDraw
  WallFamily wall_family = WallFamily::Gravity;  // cboKeisiki
  OlderFormatDimensions dimensions;
  bool shear_key = false;             // chk滑り止め
  bool counterfort = false;           // chk控え壁
  bool counterfort_to_h0_top = true;  // OptH0Top selected (false: OptH1Top)

  // Materials page: reinforcement (list indexes; -1 = nothing chosen).
  int16_t bar_type = 0;               // cboStl_Kind
  int16_t bar_grade = 0;              // cboStl_Strength
  float sigma_sa = 0;                 // txtσsa
  float sigma_saT = 0;                // txtσsaT
  float es = 0;                       // txtEs
  std::array<int16_t, 8> bar_size{};  // cboStl_Size(0..7)
  // txtctc(0..7), mm. Stored as whole numbers (halves to the even one), so 150.5 reads back as
  // 150 and 151.5 as 152.
  std::array<float, 8> bar_spacing{};
  float h_aa = 0;   // txthAA, mm
  float dt_aa = 0;  // txtdt(0), cm
  float dt_cc = 0;  // txtdt(1), cm

  // Materials page: concrete.
  float fc = 0;         // txtFc
  float sigma_cac = 0;  // txtσcac
  float sigma_cat = 0;  // txtσcat
  float tau_a = 0;      // txtτa
  float gamma_c = 0;    // txtγc
  float ec = 0;         // txtEc

  // Design-conditions page.
  float kh = 0;                   // txtkh
  float c = 0;                    // txtC
  float tan_phi_b = 0;            // txtφB
  float gamma = 0;                // txtγ
  float phi = 0;                  // txtφ, degrees
  std::array<float, 3> nu{};      // txtν1..txtν3
  float ko = 0;                   // txtko
  bool regulation_table = false;  // opt土圧係数SEL(1) selected (false: SEL(0), the formula)
  int16_t soil_class = 0;         // list index of cboUrKm (-1 = nothing chosen)
  float qa_normal = 0;            // txtqa_R(0)
  float qa_seismic = 0;           // txtqa_E(0)
  float sliding_normal = 0;       // txtqa_R(1)
  float sliding_seismic = 0;      // txtqa_E(1)

  bool operator==(const OlderFormatRecord&) const = default;
};

// The record's unit-system name: "SI単位" or "CGS単位".
std::string_view OlderFormatUnitName(bool si);
// The record's wall-family name: the name of the family list.
std::string_view OlderFormatFamilyName(WallFamily wall_family);

// Day count of the record's date for a calendar day (midnight).
double DateSerialOf(std::chrono::year_month_day day);
// Calendar day of a day count (the time of day is dropped). The count must be one a record holds
// (finite, years 100 to 9999): ParseOlderFormatRecord guarantees it.
std::chrono::year_month_day CalendarDayOf(double date_serial);

// The bytes of record 1 (kOlderFormatRecordLength of them). `target` names the file in messages.
// Throws OlderFormatError naming the field when a value cannot be stored: a text that has no
// CP932 form, names too long for the record, a number that is not finite, a spacing outside the
// 16-bit range, a list index outside its list, a date outside years 100 to 9999.
std::vector<uint8_t> SerializeOlderFormatRecord(const OlderFormatRecord& record,
                                                const std::string& target);

// Reads a record from its bytes. Throws OlderFormatError naming `source` and the fault for
// anything that is not a record this program writes: too few or too many bytes, a text running
// past the record, text that is not CP932, a number that is not finite, a code outside its
// values, a name that does not match its code, non-zero reserved fields.
OlderFormatRecord ParseOlderFormatRecord(std::span<const uint8_t> bytes, const std::string& source);

// Writes record 1 of the file at path, creating the file when missing. Later records are kept; a
// last record left incomplete is completed with zero bytes. The file is replaced through a
// temporary file, so on any failure (OlderFormatError) the old file is untouched.
void ExportOlderFormatRecord(const std::string& path, const OlderFormatRecord& record);

// Reads record 1 of the file at path. Nothing when the file does not exist. Throws
// OlderFormatError naming the file when it cannot be read, is shorter than one record, is not a
// whole number of records, or its first record is not valid (ParseOlderFormatRecord).
std::optional<OlderFormatRecord> ImportOlderFormatRecord(const std::string& path);

}  // namespace ktv
