#pragma once
// The project database: nine one-row tables in one SQLite file (kept with the .mdb extension).
//
// Writers delete every row of a table and add exactly one; readers look only at the first row and
// treat an empty table as holding no stored values. Floats are stored as REAL, which holds every
// 32-bit value exactly, so they read back as the same float.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/wall_family.h"
#include "project/project_error.h"
#include "project/save_temporaries.h"

struct sqlite3;

namespace ktv {

// The longest text a text field may hold: the window's boxes take no more, and a longer stored
// text is refused rather than laid out.
inline constexpr std::size_t kMaxTextFieldLength = 255;

// tbl工事名
struct ProjectNameRow {
  std::string cname;  // CName
  std::string data;   // Data (date text)
  int16_t shape = 0;  // 形状

  bool operator==(const ProjectNameRow&) const = default;
};

// tbl単位系及び形式
struct UnitRow {
  std::string unit = "SI 単位";  // Unit
  int16_t kisk = 0;              // Kisk

  bool operator==(const UnitRow&) const = default;
};

// tbl鉄筋
struct RebarRow {
  int16_t kind = 0;
  int16_t strength = 0;
  float sigma_sa = 0;             // σsa
  float sigma_saT = 0;            // σsaT
  float es = 0;                   // Es
  float dt0 = 0;                  // cm
  float dt1 = 0;                  // cm
  float hAA = 0;                  // m
  std::array<int16_t, 8> size{};  // Size00..Size07
  std::array<int16_t, 8> ctc{};   // ctc00..ctc07, mm
  // chkhAA: design section A-A′ of the stem (1 checked, 0 not). Files written before the field
  // existed read as unchecked; writing such a file adds the field.
  bool design_section_aa = false;

  bool operator==(const RebarRow&) const = default;
};

// tblコンクリート
struct ConcreteRow {
  float fc = 0;         // Fc
  float ec = 0;         // Ec
  float sigma_ck = 0;   // σck
  float sigma_cac = 0;  // σcac
  float sigma_cat = 0;  // σcat
  float tau_a = 0;      // τa
  float gamma_c = 0;    // γc

  bool operator==(const ConcreteRow&) const = default;
};

// tbl単位体積重量及び土質定数
struct SoilRow {
  std::string ut_kind;  // UTKind: method code (0 or 10) + soil class index, as text
  float gamma = 0;      // γ
  float phi = 0;        // φ, degrees
  float c = 0;          // C
  float phi_b = 0;      // φB (tanφB)
  float q1 = 0;
  float q2 = 0;
  float nu1 = 0, nu2 = 0, nu3 = 0;  // ν1..ν3
  float ko = 0;                     // Ko
  float kh = 0;                     // Kh

  bool operator==(const SoilRow&) const = default;
};

// tbl基礎の安定
struct FoundationRow {
  float r00 = 0;  // qa, normal case
  float r01 = 0;  // sliding safety factor, normal case
  float e00 = 0;  // qa, seismic case
  float e01 = 0;  // sliding safety factor, seismic case

  bool operator==(const FoundationRow&) const = default;
};

// tbl形状サイズ_重力式 / _もたれ式 / _逆T順L逆L式, metres and degrees.
struct ShapeRow {
  std::array<float, 3> t{};  // T00..T02
  std::array<float, 3> l{};  // L00..L02
  float h = 0;
  std::optional<float> hh;   // HH, reserved: empty for the current family
  std::optional<float> hl;   // HL, reserved: empty for the current family
  std::array<float, 5> d{};  // D00..D04
  float b = 0;
  float beta = 0;  // β

  bool operator==(const ShapeRow&) const = default;
};

// Table names.
inline constexpr const char* kTableProjectName = "tbl工事名";
inline constexpr const char* kTableUnit = "tbl単位系及び形式";
inline constexpr const char* kTableRebar = "tbl鉄筋";
inline constexpr const char* kTableConcrete = "tblコンクリート";
inline constexpr const char* kTableSoil = "tbl単位体積重量及び土質定数";
inline constexpr const char* kTableFoundation = "tbl基礎の安定";
// Shape table of a wall family (0 gravity, 1 leaning, 2 cantilever).
const char* ShapeTableName(int family);

// An open project database. Opening checks that the file is a project: an SQLite file with the
// nine tables (real tables, not views) and their fields. Every query runs under a work bound, so
// that no file can make a read or a write run without end.
class ProjectDatabase {
 public:
  // Opens for reading and writing (the working database, which the program owns).
  static ProjectDatabase Open(const std::string& path);
  // Opens a file of the user for reading only; nothing is ever written to it, and nothing is made
  // beside it (a file in WAL mode that another program has open is read in place, as that
  // program's own readers read it). Committed WAL frames are read; a file left half-written by a
  // program that died (a hot rollback journal) is refused.
  static ProjectDatabase OpenReadOnly(const std::string& path);
  ProjectDatabase(ProjectDatabase&& other) noexcept;
  ProjectDatabase& operator=(ProjectDatabase&& other) noexcept;
  ProjectDatabase(const ProjectDatabase&) = delete;
  ProjectDatabase& operator=(const ProjectDatabase&) = delete;
  ~ProjectDatabase();

  const std::string& path() const { return path_; }

  // A private folder read in place of a user's file (defined with the opening).
  struct PrivateCopy;

  // Readers: nothing when the table is empty.
  std::optional<ProjectNameRow> ReadProjectName() const;
  std::optional<UnitRow> ReadUnit() const;
  std::optional<RebarRow> ReadRebar() const;
  std::optional<ConcreteRow> ReadConcrete() const;
  std::optional<SoilRow> ReadSoil() const;
  std::optional<FoundationRow> ReadFoundation() const;
  std::optional<ShapeRow> ReadShape(int family) const;

  // Writers: the table holds exactly this row afterwards.
  void Write(const ProjectNameRow& row);
  void Write(const UnitRow& row);
  void Write(const RebarRow& row);
  void Write(const ConcreteRow& row);
  void Write(const SoilRow& row);
  void Write(const FoundationRow& row);
  void WriteShape(int family, const ShapeRow& row);

  // Several writes in one transaction (one file update instead of nine).
  void BeginTransaction();
  void Commit();
  void Rollback();

  // True when the stored unit text is "SI 単位" or the unit table is empty.
  bool IsSI() const;

 private:
  struct WorkBound;
  ProjectDatabase(sqlite3* db, std::string path);
  static ProjectDatabase OpenWith(const std::string& path, bool read_only);
  void CheckSchema() const;
  void StartWork() const;
  void VacuumInto(const std::string& quoted_target) { Exec("VACUUM INTO " + quoted_target); }
  friend void CompactDatabase(const std::string& from, const std::string& to);
  friend void CopyProjectFile(const std::string& from, const std::string& to,
                              const SaveTemporaries& temporaries);
  void Exec(const std::string& sql) const;
  sqlite3* db_ = nullptr;
  std::string path_;
  std::unique_ptr<WorkBound> bound_;
  // The private folder read in place of the user's file, when there is one (closed after db_).
  std::unique_ptr<PrivateCopy> private_copy_;
  friend class RowAccess;
};

// Creates an empty project database at path (an existing file is replaced). All tables are empty.
void CreateProjectDatabase(const std::string& path);

// Checks, reading only, that a file of the user is a project database whose every stored row can
// be read, whose family codes name a family (else UnknownFamilyError) and whose texts are not
// longer than kMaxTextFieldLength; the error names the file and what is wrong.
void CheckProjectFile(const std::string& path);

// The same checks for the working database at start-up, opened for writing so that the engine
// completes a write of the program's own that was cut off.
void CheckWorkingDatabase(const std::string& path);

// Checks the stored values of an open database as CheckProjectFile does.
void CheckStoredValues(const ProjectDatabase& db);

// The stored wall family: Kisk of the unit table, as the window reads it; the project table's
// 形状 when the unit table is empty; the gravity wall for an empty project. Throws
// UnknownFamilyError, naming the field and the value, when Kisk or 形状 is not 0, 1 or 2.
WallFamily StoredWallFamily(const ProjectDatabase& db);

// Copies a project file of the user into a private file through the engine (the user's file is
// opened read-only, so committed WAL frames are included and nothing in the user's folder
// changes). The copy is in rollback-journal mode, written under a temporary name of
// `temporaries` and renamed into place; temporary files of `temporaries` left in the target's
// folder by an earlier copy are removed first.
void CopyProjectFile(const std::string& from, const std::string& to,
                     const SaveTemporaries& temporaries);
// The same with temporary names of this process only (a copy into a private folder).
void CopyProjectFile(const std::string& from, const std::string& to);

// Copies a file whole: written under a temporary name of `temporaries` beside the target, which
// keeps its permissions, and renamed into place, so that a failed or killed copy leaves the
// earlier file as it was. Temporary files of `temporaries` left in the target's folder by an
// earlier copy are removed first. A symbolic link keeps pointing at the new file.
void CopyDatabaseFile(const std::string& from, const std::string& to,
                      const SaveTemporaries& temporaries);
// The same with temporary names of this process only (a copy into a private folder).
void CopyDatabaseFile(const std::string& from, const std::string& to);

// Writes a compacted copy of a database to another file (replacing it).
void CompactDatabase(const std::string& from, const std::string& to);

}  // namespace ktv
