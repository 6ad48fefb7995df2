#include "project/project_database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <string_view>
#include <system_error>
#include <vector>

#include "app/safe_text.h"
#include "project/project_data.h"

namespace ktv {
namespace {

enum class FieldType { Text, Integer, Single };

struct FieldDef {
  const char* name;
  FieldType type;
  // Added after the first files were written: new files have it, older ones open without it, it
  // reads as empty there and a write adds it.
  bool optional = false;
};

struct TableDef {
  const char* name;
  std::vector<FieldDef> fields;
};

std::vector<FieldDef> ShapeFields() {
  std::vector<FieldDef> f;
  for (const char* n : {"T00", "T01", "T02", "L00", "L01", "L02", "H", "HH", "HL", "D00", "D01",
                        "D02", "D03", "D04", "B", "β"}) {
    f.push_back({n, FieldType::Single});
  }
  return f;
}

// The nine tables in creation order, each with its fields in order.
const std::vector<TableDef>& Schema() {
  static const std::vector<TableDef> schema = [] {
    using T = FieldType;
    std::vector<TableDef> s;
    s.push_back({kTableProjectName, {{"CName", T::Text}, {"Data", T::Text}, {"形状", T::Integer}}});
    s.push_back({kTableUnit, {{"Unit", T::Text}, {"Kisk", T::Integer}}});
    TableDef rebar{kTableRebar,
                   {{"Kind", T::Integer},
                    {"Strength", T::Integer},
                    {"σsa", T::Single},
                    {"σsaT", T::Single},
                    {"Es", T::Single},
                    {"dt0", T::Single},
                    {"dt1", T::Single},
                    {"hAA", T::Single}}};
    static const char* const kSizes[] = {"Size00", "Size01", "Size02", "Size03",
                                         "Size04", "Size05", "Size06", "Size07"};
    static const char* const kCtcs[] = {"ctc00", "ctc01", "ctc02", "ctc03",
                                        "ctc04", "ctc05", "ctc06", "ctc07"};
    for (const char* n : kSizes) rebar.fields.push_back({n, T::Integer});
    for (const char* n : kCtcs) rebar.fields.push_back({n, T::Integer});
    rebar.fields.push_back({"chkhAA", T::Integer, true});
    s.push_back(rebar);
    s.push_back({kTableConcrete,
                 {{"Fc", T::Single},
                  {"Ec", T::Single},
                  {"σck", T::Single},
                  {"σcac", T::Single},
                  {"σcat", T::Single},
                  {"τa", T::Single},
                  {"γc", T::Single}}});
    s.push_back({kTableSoil,
                 {{"UTKind", T::Text},
                  {"γ", T::Single},
                  {"φ", T::Single},
                  {"C", T::Single},
                  {"φB", T::Single},
                  {"q1", T::Single},
                  {"q2", T::Single},
                  {"ν1", T::Single},
                  {"ν2", T::Single},
                  {"ν3", T::Single},
                  {"Ko", T::Single},
                  {"Kh", T::Single}}});
    s.push_back({kTableFoundation,
                 {{"R00", T::Single}, {"R01", T::Single}, {"E00", T::Single}, {"E01", T::Single}}});
    for (int family = 0; family < 3; ++family) s.push_back({ShapeTableName(family), ShapeFields()});
    return s;
  }();
  return schema;
}

const TableDef& FindTable(std::string_view name) {
  for (const auto& t : Schema()) {
    if (name == t.name) return t;
  }
  throw std::logic_error("unknown table");
}

const char* SqlType(FieldType t) {
  switch (t) {
    case FieldType::Text:
      return "TEXT";
    case FieldType::Integer:
      return "INTEGER";
    case FieldType::Single:
      return "REAL";
  }
  return "";
}

std::string Quote(std::string_view id) {
  std::string q = "\"";
  for (char c : id) {
    if (c == '"') q.push_back('"');
    q.push_back(c);
  }
  return q + "\"";
}

std::string AsciiLower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

// A value of one field, read or to be written.
struct Value {
  FieldType type;
  std::string text;
  long long integer = 0;
  std::optional<double> real;  // empty = NULL
};

class Statement {
 public:
  Statement(sqlite3* db, const std::string& sql, const std::string& path) : path_(path) {
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK) {
      throw ProjectError(FileFault::kEngine, {path, OneLineText(sqlite3_errmsg(db))});
    }
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  sqlite3_stmt* get() { return stmt_; }

 private:
  sqlite3_stmt* stmt_ = nullptr;
  std::string path_;
};

// A field that holds a text or bytes where a number belongs: the message says which.
[[noreturn]] void FailNotANumber(const std::string& path, const std::string& where,
                                 sqlite3_stmt* st, int col) {
  if (sqlite3_column_type(st, col) == SQLITE_BLOB) {
    throw ProjectError(FileFault::kBinaryWhereNumber,
                       {path, where, std::to_string(sqlite3_column_bytes(st, col))});
  }
  const unsigned char* t = sqlite3_column_text(st, col);
  const std::string text(t ? reinterpret_cast<const char*>(t) : "",
                         static_cast<size_t>(sqlite3_column_bytes(st, col)));
  throw ProjectError(FileFault::kTextWhereNumber, {path, where, ValueExcerpt(text)});
}

std::string NumberText(double d) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.9g", d);
  return buf;
}

// Work bound of one query, counted in steps of the engine's virtual machine: far above what any
// real project needs, far below what a view over a recursive query or a looping trigger takes.
constexpr int kStepsPerTick = 1000;
constexpr long kTicksPerQuery = 20000;

}  // namespace

struct ProjectDatabase::WorkBound {
  long ticks = 0;
};

ProjectDatabase::ProjectDatabase(sqlite3* db, std::string path)
    : db_(db), path_(std::move(path)), bound_(std::make_unique<WorkBound>()) {
  sqlite3_progress_handler(
      db_, kStepsPerTick,
      [](void* p) { return ++static_cast<WorkBound*>(p)->ticks > kTicksPerQuery ? 1 : 0; },
      bound_.get());
}

void ProjectDatabase::StartWork() const { bound_->ticks = 0; }

const char* ShapeTableName(int family) {
  switch (family) {
    case 1:
      return "tbl形状サイズ_もたれ式";
    case 2:
      return "tbl形状サイズ_逆T順L逆L式";
    default:
      return "tbl形状サイズ_重力式";
  }
}

// Row access shared by the typed readers and writers.
class RowAccess {
 public:
  // Whether a table has a field (names compared without regard to ASCII case).
  static bool HasField(const ProjectDatabase& db, const char* table, const char* field) {
    Statement st(db.db_, "PRAGMA table_info(" + Quote(table) + ")", db.path_);
    const std::string wanted = AsciiLower(field);
    while (sqlite3_step(st.get()) == SQLITE_ROW) {
      const unsigned char* n = sqlite3_column_text(st.get(), 1);
      if (AsciiLower(n ? reinterpret_cast<const char*>(n) : "") == wanted) return true;
    }
    return false;
  }

  // Reads the first row; nothing for an empty table.
  static std::optional<std::vector<Value>> Read(const ProjectDatabase& db, const char* table) {
    const TableDef& def = FindTable(table);
    // A missing optional field is selected as NULL, which reads as its empty value.
    std::string sql = "SELECT ";
    for (size_t i = 0; i < def.fields.size(); ++i) {
      if (i) sql += ", ";
      const FieldDef& f = def.fields[i];
      sql += f.optional && !HasField(db, table, f.name) ? std::string("NULL") : Quote(f.name);
    }
    sql += " FROM " + Quote(table) + " ORDER BY rowid LIMIT 1";
    db.StartWork();
    Statement st(db.db_, sql, db.path_);
    int rc = sqlite3_step(st.get());
    if (rc == SQLITE_DONE) return std::nullopt;
    if (rc != SQLITE_ROW) {
      throw ProjectError(FileFault::kCannotReadTable,
                         {db.path_, table, OneLineText(sqlite3_errmsg(db.db_))});
    }
    std::vector<Value> out;
    for (size_t i = 0; i < def.fields.size(); ++i) {
      const FieldDef& f = def.fields[i];
      int ct = sqlite3_column_type(st.get(), static_cast<int>(i));
      Value v{f.type, {}, 0, std::nullopt};
      std::string where = std::string(table) + "." + f.name;
      switch (f.type) {
        case FieldType::Text:
          if (ct != SQLITE_NULL) {
            const unsigned char* t = sqlite3_column_text(st.get(), static_cast<int>(i));
            v.text = t ? reinterpret_cast<const char*>(t) : "";
          }
          break;
        case FieldType::Integer:
          if (ct == SQLITE_TEXT || ct == SQLITE_BLOB) {
            FailNotANumber(db.path_, where, st.get(), static_cast<int>(i));
          }
          if (ct == SQLITE_FLOAT) {
            double d = sqlite3_column_double(st.get(), static_cast<int>(i));
            if (!(d >= -32768.5 && d < 32767.5)) {
              throw ProjectError(FileFault::kOutside16Bit, {db.path_, where, NumberText(d)});
            }
            v.integer = static_cast<long long>(std::nearbyint(d));
          } else {
            v.integer = sqlite3_column_int64(st.get(), static_cast<int>(i));
          }
          if (v.integer < std::numeric_limits<int16_t>::min() ||
              v.integer > std::numeric_limits<int16_t>::max()) {
            throw ProjectError(FileFault::kOutside16Bit,
                               {db.path_, where, std::to_string(v.integer)});
          }
          break;
        case FieldType::Single:
          if (ct == SQLITE_TEXT || ct == SQLITE_BLOB) {
            FailNotANumber(db.path_, where, st.get(), static_cast<int>(i));
          }
          if (ct != SQLITE_NULL) {
            double d = sqlite3_column_double(st.get(), static_cast<int>(i));
            if (!std::isfinite(d) || std::fabs(d) > std::numeric_limits<float>::max()) {
              throw ProjectError(FileFault::kOutsideFloat, {db.path_, where, NumberText(d)});
            }
            v.real = d;
          }
          break;
      }
      out.push_back(std::move(v));
    }
    return out;
  }

  static void Write(ProjectDatabase& db, const char* table, const std::vector<Value>& values) {
    const TableDef& def = FindTable(table);
    db.StartWork();
    bool own_tx = sqlite3_get_autocommit(db.db_) != 0;
    if (own_tx) db.Exec("BEGIN IMMEDIATE");
    try {
      for (const FieldDef& f : def.fields) {
        if (f.optional && !HasField(db, table, f.name)) {
          db.Exec("ALTER TABLE " + Quote(table) + " ADD COLUMN " + Quote(f.name) + " " +
                  SqlType(f.type));
        }
      }
      db.Exec("DELETE FROM " + Quote(table));
      std::string sql = "INSERT INTO " + Quote(table) + " (";
      std::string params;
      for (size_t i = 0; i < def.fields.size(); ++i) {
        if (i) {
          sql += ", ";
          params += ", ";
        }
        sql += Quote(def.fields[i].name);
        params += "?";
      }
      sql += ") VALUES (" + params + ")";
      Statement st(db.db_, sql, db.path_);
      for (size_t i = 0; i < values.size(); ++i) {
        int idx = static_cast<int>(i) + 1;
        const Value& v = values[i];
        switch (v.type) {
          case FieldType::Text:
            sqlite3_bind_text(st.get(), idx, v.text.c_str(), static_cast<int>(v.text.size()),
                              SQLITE_TRANSIENT);
            break;
          case FieldType::Integer:
            sqlite3_bind_int64(st.get(), idx, v.integer);
            break;
          case FieldType::Single:
            if (v.real) {
              sqlite3_bind_double(st.get(), idx, *v.real);
            } else {
              sqlite3_bind_null(st.get(), idx);
            }
            break;
        }
      }
      if (sqlite3_step(st.get()) != SQLITE_DONE) {
        throw ProjectError(FileFault::kCannotWriteTable, {db.path_, table});
      }
      if (own_tx) db.Exec("COMMIT");
    } catch (...) {
      if (own_tx) sqlite3_exec(db.db_, "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
  }
};

namespace {
Value Text(const std::string& s) { return {FieldType::Text, s, 0, std::nullopt}; }
Value Int(int16_t i) { return {FieldType::Integer, {}, i, std::nullopt}; }
Value Real(float f) { return {FieldType::Single, {}, 0, static_cast<double>(f)}; }
Value Real(std::optional<float> f) {
  return {
      FieldType::Single, {}, 0, f ? std::optional<double>(static_cast<double>(*f)) : std::nullopt};
}
float F(const Value& v) { return v.real ? static_cast<float>(*v.real) : 0.0f; }
int16_t I(const Value& v) { return static_cast<int16_t>(v.integer); }
std::optional<float> OptF(const Value& v) {
  return v.real ? std::optional<float>(static_cast<float>(*v.real)) : std::nullopt;
}
}  // namespace

namespace {

// The file at path must be a regular file (a symbolic link to one included).
void RequireRegularFile(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  if (ec && ec.value() == ELOOP) {
    throw ProjectError(FileFault::kLinkLoop, {path});
  }
  if (ec && ec.value() != ENOENT && ec.value() != ENOTDIR) {
    throw ProjectError(FileFault::kUnreachable, {path, ec.message()});
  }
  switch (st.type()) {
    case fs::file_type::regular:
      return;
    case fs::file_type::directory:
      throw ProjectError(FileFault::kIsFolder, {path});
    case fs::file_type::fifo:
      throw ProjectError(FileFault::kIsPipe, {path});
    case fs::file_type::not_found:
    case fs::file_type::none:
      throw ProjectError(FileFault::kNoSuchFile, {path});
    default:
      throw ProjectError(FileFault::kIsDevice, {path});
  }
}

// The read-only URI of a path: file: followed by the path with every byte that could be taken
// for URI syntax percent-encoded.
std::string ReadOnlyUri(const std::string& path) {
  std::string absolute = std::filesystem::absolute(path).string();
  std::string uri = "file:";
  static const char* const kHex = "0123456789ABCDEF";
  for (unsigned char c : absolute) {
    if (c == '%' || c == '?' || c == '#' || c < 0x20 || c == 0x7F) {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    } else {
      uri += static_cast<char>(c);
    }
  }
  return uri + "?mode=ro";
}

// Whether the file's header marks a database in WAL mode (file format versions 2).
bool HasWalHeader(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  char header[20] = {};
  if (!f.read(header, sizeof header)) return false;
  return std::string_view(header, 16) == std::string_view("SQLite format 3\0", 16) &&
         (header[18] == 2 || header[19] == 2);
}

}  // namespace

struct ProjectDatabase::PrivateCopy {
  std::string folder;
  ~PrivateCopy() {
    std::error_code ignore;
    std::filesystem::remove_all(folder, ignore);
  }
};

namespace {

// Whether a program has the WAL index open: each connection holds a read lock on one byte of it
// (offset 128 in SQLite's unix file layer) for as long as it is connected. When that cannot be
// told, the index is taken as in use.
bool WalIndexInUse(const std::string& shm) {
  const int fd = open(shm.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = 128;
  lock.l_len = 1;
  const bool in_use = fcntl(fd, F_GETLK, &lock) != 0 || lock.l_type != F_UNLCK;
  close(fd);
  return in_use;
}

// A user's file in WAL mode is not opened in place where the engine would make or rewrite its WAL
// or its shared-memory index beside it. Without a WAL or a journal there is nothing to combine
// with the file, which is then read as it stands (immutable: no WAL, index or lock is touched).
// With a program connected to it (its index in use) the file is read in place, beside that
// program, as any reader would. Otherwise the file and its WAL or journal are read from a private
// copy, which keeps the refusal of a half-written file.
std::string ReadOnlyUriOfUserFile(const std::string& path,
                                  std::unique_ptr<ProjectDatabase::PrivateCopy>& copy) {
  namespace fs = std::filesystem;
  if (!HasWalHeader(path)) return ReadOnlyUri(path);
  std::error_code ec;
  const bool wal = fs::exists(path + "-wal", ec);
  const bool journal = fs::exists(path + "-journal", ec);
  if (!wal && !journal) return ReadOnlyUri(path) + "&immutable=1";
  if (WalIndexInUse(path + "-shm")) return ReadOnlyUri(path);
  std::string folder = (fs::temp_directory_path(ec) / "ktv-read-XXXXXX").string();
  if (ec || !mkdtemp(folder.data())) {
    throw ProjectError(FileFault::kCannotRead, {path, "no private folder for a copy"});
  }
  copy = std::make_unique<ProjectDatabase::PrivateCopy>();
  copy->folder = folder;
  const std::string copied = (fs::path(folder) / "p.mdb").string();
  for (const char* side : {"", "-wal", "-journal"}) {
    if (!fs::exists(path + side, ec)) continue;
    fs::copy_file(path + side, copied + side, ec);
    if (ec) throw ProjectError(FileFault::kCannotRead, {path, ec.message()});
  }
  return ReadOnlyUri(copied);
}

// The failure of the first read of a file, told by the engine's error code.
[[noreturn]] void FailFirstRead(sqlite3* db, const std::string& path, int rc) {
  const std::string msg = OneLineText(sqlite3_errmsg(db));
  switch (rc) {
    case SQLITE_READONLY_ROLLBACK:
      throw ProjectError(FileFault::kHalfWritten,
                         {path, std::filesystem::path(path).filename().string()});
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      throw ProjectError(FileFault::kLocked, {path, msg});
    case SQLITE_INTERRUPT:
      throw ProjectError(FileFault::kSchemaTooSlow, {path});
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_FORMAT:
    case SQLITE_RANGE:
    case SQLITE_ERROR:
      throw ProjectError(FileFault::kNotADatabase, {path, msg});
    default:
      throw ProjectError(FileFault::kCannotRead, {path, msg});
  }
}

}  // namespace

ProjectDatabase ProjectDatabase::OpenWith(const std::string& path, bool read_only) {
  RequireRegularFile(path);
  std::unique_ptr<PrivateCopy> copy;
  std::string uri;
  if (read_only) uri = ReadOnlyUriOfUserFile(path, copy);
  sqlite3* db = nullptr;
  int rc = read_only
               ? sqlite3_open_v2(uri.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr)
               : sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  if (rc != SQLITE_OK && !read_only) {
    // A file that cannot be written is still read.
    sqlite3_close(db);
    db = nullptr;
    rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  }
  if (rc != SQLITE_OK) {
    std::string msg = db ? OneLineText(sqlite3_errmsg(db)) : "cannot open";
    sqlite3_close(db);
    throw ProjectError(FileFault::kCannotOpen, {path, msg});
  }
  sqlite3_extended_result_codes(db, 1);
  ProjectDatabase pd(db, path);
  pd.private_copy_ = std::move(copy);
  sqlite3_busy_timeout(db, 2000);
  pd.CheckSchema();
  return pd;
}

ProjectDatabase ProjectDatabase::Open(const std::string& path) { return OpenWith(path, false); }

ProjectDatabase ProjectDatabase::OpenReadOnly(const std::string& path) {
  return OpenWith(path, true);
}

void ProjectDatabase::CheckSchema() const {
  // The first read tells a file that is not SQLite, a locked file and a half-written one apart.
  StartWork();
  {
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db_, "SELECT count(*) FROM sqlite_master", -1, &st, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_step(st);
    sqlite3_finalize(st);
    if (rc != SQLITE_ROW) FailFirstRead(db_, path_, rc == SQLITE_OK ? SQLITE_ERROR : rc);
  }
  {
    // A trigger would run foreign code on every write of the window.
    Statement st(db_, "SELECT name FROM sqlite_master WHERE type = 'trigger' LIMIT 1", path_);
    if (sqlite3_step(st.get()) == SQLITE_ROW) {
      const unsigned char* n = sqlite3_column_text(st.get(), 0);
      throw ProjectError(FileFault::kHoldsTrigger,
                         {path_, ValueExcerpt(n ? reinterpret_cast<const char*>(n) : "")});
    }
  }
  for (const auto& table : Schema()) {
    StartWork();
    {
      // Only a real table holds project data; a view or a virtual table is somebody's code.
      Statement st(db_,
                   "SELECT type, sql FROM sqlite_master WHERE name = ?1 COLLATE NOCASE "
                   "AND type IN ('table', 'view')",
                   path_);
      sqlite3_bind_text(st.get(), 1, table.name, -1, SQLITE_STATIC);
      if (sqlite3_step(st.get()) == SQLITE_ROW) {
        const unsigned char* type = sqlite3_column_text(st.get(), 0);
        const unsigned char* sql = sqlite3_column_text(st.get(), 1);
        const std::string create = AsciiLower(sql ? reinterpret_cast<const char*>(sql) : "");
        if (std::string_view(type ? reinterpret_cast<const char*>(type) : "") != "table" ||
            create.rfind("create virtual", 0) == 0) {
          throw ProjectError(FileFault::kNotATable, {path_, table.name});
        }
      }
    }
    Statement st(db_, "PRAGMA table_info(" + Quote(table.name) + ")", path_);
    std::vector<std::string> names;
    while (sqlite3_step(st.get()) == SQLITE_ROW) {
      const unsigned char* n = sqlite3_column_text(st.get(), 1);
      names.push_back(AsciiLower(n ? reinterpret_cast<const char*>(n) : ""));
    }
    if (names.empty()) {
      throw ProjectError(FileFault::kTableMissing, {path_, table.name});
    }
    for (const auto& f : table.fields) {
      if (f.optional) continue;
      bool found = false;
      for (const auto& n : names) found = found || n == AsciiLower(f.name);
      if (!found) {
        throw ProjectError(FileFault::kFieldMissing,
                           {path_, std::string(table.name) + "." + f.name});
      }
    }
  }
}

ProjectDatabase::ProjectDatabase(ProjectDatabase&& other) noexcept
    : db_(other.db_),
      path_(std::move(other.path_)),
      bound_(std::move(other.bound_)),
      private_copy_(std::move(other.private_copy_)) {
  other.db_ = nullptr;
}

ProjectDatabase& ProjectDatabase::operator=(ProjectDatabase&& other) noexcept {
  if (this != &other) {
    sqlite3_close(db_);
    db_ = other.db_;
    path_ = std::move(other.path_);
    bound_ = std::move(other.bound_);
    private_copy_ = std::move(other.private_copy_);
    other.db_ = nullptr;
  }
  return *this;
}

ProjectDatabase::~ProjectDatabase() { sqlite3_close(db_); }

void ProjectDatabase::Exec(const std::string& sql) const {
  StartWork();
  char* err = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
    std::string msg = OneLineText(err ? err : "error");
    sqlite3_free(err);
    throw ProjectError(FileFault::kEngine, {path_, msg});
  }
}

void ProjectDatabase::BeginTransaction() { Exec("BEGIN IMMEDIATE"); }
void ProjectDatabase::Commit() { Exec("COMMIT"); }
void ProjectDatabase::Rollback() {
  if (sqlite3_get_autocommit(db_) == 0) Exec("ROLLBACK");
}

std::optional<ProjectNameRow> ProjectDatabase::ReadProjectName() const {
  auto v = RowAccess::Read(*this, kTableProjectName);
  if (!v) return std::nullopt;
  return ProjectNameRow{(*v)[0].text, (*v)[1].text, I((*v)[2])};
}

std::optional<UnitRow> ProjectDatabase::ReadUnit() const {
  auto v = RowAccess::Read(*this, kTableUnit);
  if (!v) return std::nullopt;
  return UnitRow{(*v)[0].text, I((*v)[1])};
}

std::optional<RebarRow> ProjectDatabase::ReadRebar() const {
  auto v = RowAccess::Read(*this, kTableRebar);
  if (!v) return std::nullopt;
  const auto& r = *v;
  RebarRow row;
  row.kind = I(r[0]);
  row.strength = I(r[1]);
  row.sigma_sa = F(r[2]);
  row.sigma_saT = F(r[3]);
  row.es = F(r[4]);
  row.dt0 = F(r[5]);
  row.dt1 = F(r[6]);
  row.hAA = F(r[7]);
  for (int i = 0; i < 8; ++i) {
    row.size[i] = I(r[8 + i]);
    row.ctc[i] = I(r[16 + i]);
  }
  row.design_section_aa = r[24].integer != 0;
  return row;
}

std::optional<ConcreteRow> ProjectDatabase::ReadConcrete() const {
  auto v = RowAccess::Read(*this, kTableConcrete);
  if (!v) return std::nullopt;
  const auto& r = *v;
  return ConcreteRow{F(r[0]), F(r[1]), F(r[2]), F(r[3]), F(r[4]), F(r[5]), F(r[6])};
}

std::optional<SoilRow> ProjectDatabase::ReadSoil() const {
  auto v = RowAccess::Read(*this, kTableSoil);
  if (!v) return std::nullopt;
  const auto& r = *v;
  SoilRow row;
  row.ut_kind = r[0].text;
  row.gamma = F(r[1]);
  row.phi = F(r[2]);
  row.c = F(r[3]);
  row.phi_b = F(r[4]);
  row.q1 = F(r[5]);
  row.q2 = F(r[6]);
  row.nu1 = F(r[7]);
  row.nu2 = F(r[8]);
  row.nu3 = F(r[9]);
  row.ko = F(r[10]);
  row.kh = F(r[11]);
  return row;
}

std::optional<FoundationRow> ProjectDatabase::ReadFoundation() const {
  auto v = RowAccess::Read(*this, kTableFoundation);
  if (!v) return std::nullopt;
  const auto& r = *v;
  return FoundationRow{F(r[0]), F(r[1]), F(r[2]), F(r[3])};
}

std::optional<ShapeRow> ProjectDatabase::ReadShape(int family) const {
  auto v = RowAccess::Read(*this, ShapeTableName(family));
  if (!v) return std::nullopt;
  const auto& r = *v;
  ShapeRow row;
  for (int i = 0; i < 3; ++i) {
    row.t[i] = F(r[i]);
    row.l[i] = F(r[3 + i]);
  }
  row.h = F(r[6]);
  row.hh = OptF(r[7]);
  row.hl = OptF(r[8]);
  for (int i = 0; i < 5; ++i) row.d[i] = F(r[9 + i]);
  row.b = F(r[14]);
  row.beta = F(r[15]);
  return row;
}

void ProjectDatabase::Write(const ProjectNameRow& row) {
  RowAccess::Write(*this, kTableProjectName, {Text(row.cname), Text(row.data), Int(row.shape)});
}

void ProjectDatabase::Write(const UnitRow& row) {
  RowAccess::Write(*this, kTableUnit, {Text(row.unit), Int(row.kisk)});
}

void ProjectDatabase::Write(const RebarRow& row) {
  std::vector<Value> v = {Int(row.kind), Int(row.strength), Real(row.sigma_sa), Real(row.sigma_saT),
                          Real(row.es),  Real(row.dt0),     Real(row.dt1),      Real(row.hAA)};
  for (auto s : row.size) v.push_back(Int(s));
  for (auto c : row.ctc) v.push_back(Int(c));
  v.push_back(Int(row.design_section_aa ? 1 : 0));
  RowAccess::Write(*this, kTableRebar, v);
}

void ProjectDatabase::Write(const ConcreteRow& row) {
  RowAccess::Write(*this, kTableConcrete,
                   {Real(row.fc), Real(row.ec), Real(row.sigma_ck), Real(row.sigma_cac),
                    Real(row.sigma_cat), Real(row.tau_a), Real(row.gamma_c)});
}

void ProjectDatabase::Write(const SoilRow& row) {
  RowAccess::Write(*this, kTableSoil,
                   {Text(row.ut_kind), Real(row.gamma), Real(row.phi), Real(row.c), Real(row.phi_b),
                    Real(row.q1), Real(row.q2), Real(row.nu1), Real(row.nu2), Real(row.nu3),
                    Real(row.ko), Real(row.kh)});
}

void ProjectDatabase::Write(const FoundationRow& row) {
  RowAccess::Write(*this, kTableFoundation,
                   {Real(row.r00), Real(row.r01), Real(row.e00), Real(row.e01)});
}

void ProjectDatabase::WriteShape(int family, const ShapeRow& row) {
  RowAccess::Write(
      *this, ShapeTableName(family),
      {Real(row.t[0]), Real(row.t[1]), Real(row.t[2]), Real(row.l[0]), Real(row.l[1]),
       Real(row.l[2]), Real(row.h), Real(row.hh), Real(row.hl), Real(row.d[0]), Real(row.d[1]),
       Real(row.d[2]), Real(row.d[3]), Real(row.d[4]), Real(row.b), Real(row.beta)});
}

bool ProjectDatabase::IsSI() const {
  auto unit = ReadUnit();
  return !unit || unit->unit == "SI 単位";
}

namespace {

// The statements that create the nine tables, in one transaction.
std::string CreateTablesSql() {
  std::string sql = "BEGIN;";
  for (const auto& t : Schema()) {
    sql += "CREATE TABLE " + Quote(t.name) + " (";
    for (size_t i = 0; i < t.fields.size(); ++i) {
      if (i) sql += ", ";
      sql += Quote(t.fields[i].name) + " " + SqlType(t.fields[i].type);
    }
    sql += ");";
  }
  sql += "COMMIT;";
  return sql;
}

}  // namespace

void CreateProjectDatabase(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
  if (ec) throw ProjectError(FileFault::kCannotDeleteOld, {path, ec.message()});
  std::filesystem::remove(path + "-journal", ec);
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK) {
    std::string msg = db ? sqlite3_errmsg(db) : "cannot create";
    sqlite3_close(db);
    throw ProjectError(FileFault::kEngine, {path, msg});
  }
  const std::string sql = "PRAGMA journal_mode=DELETE; " + CreateTablesSql();
  char* err = nullptr;
  int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
  std::string msg = err ? err : "";
  sqlite3_free(err);
  sqlite3_close(db);
  if (rc != SQLITE_OK) throw ProjectError(FileFault::kEngine, {path, msg});
}

void CheckStoredValues(const ProjectDatabase& db) {
  // Every row is read as the window and the reports read it, so that a field that cannot be read
  // is refused here, naming it, rather than blanking a cover or stopping a report halfway.
  const auto name = db.ReadProjectName();
  const auto unit = db.ReadUnit();
  db.ReadRebar();
  db.ReadConcrete();
  const auto soil = db.ReadSoil();
  db.ReadFoundation();
  for (int family = 0; family < 3; ++family) db.ReadShape(family);
  // A family code outside the list would be shown as some other family.
  StoredWallFamily(db);
  auto check_length = [&](const char* table, const char* field, const std::string& text) {
    const size_t n = CodePointCount(text);
    if (n > kMaxTextFieldLength) {
      throw ProjectError(FileFault::kTextTooLong,
                         {db.path(), std::string(table) + "." + field, std::to_string(n),
                          std::to_string(kMaxTextFieldLength)});
    }
  };
  if (name) {
    check_length(kTableProjectName, "CName", name->cname);
    check_length(kTableProjectName, "Data", name->data);
  }
  if (unit) check_length(kTableUnit, "Unit", unit->unit);
  if (soil) check_length(kTableSoil, "UTKind", soil->ut_kind);
}

void CheckProjectFile(const std::string& path) {
  CheckStoredValues(ProjectDatabase::OpenReadOnly(path));
}

void CheckWorkingDatabase(const std::string& path) {
  CheckStoredValues(ProjectDatabase::Open(path));
}

WallFamily StoredWallFamily(const ProjectDatabase& db) {
  ProjectData data;
  data.file = db.path();
  data.unit = db.ReadUnit();
  data.name = db.ReadProjectName();
  return StoredWallFamily(data);
}

void CopyProjectFile(const std::string& from, const std::string& to,
                     const SaveTemporaries& temporaries) {
  namespace fs = std::filesystem;
  const ProjectDatabase source = ProjectDatabase::OpenReadOnly(from);
  CheckStoredValues(source);
  temporaries.RemoveStaleIn(fs::path(to).parent_path().string());
  // SQLite writes the copy itself through its own file layer, which QSaveFile cannot stand in for:
  // the copy is made under a temporary name and renamed into place.
  const std::string tmp = temporaries.NewNameFor(to);
  sqlite3* target = nullptr;
  auto fail = [&](const std::string& why) {
    sqlite3_close(target);
    std::error_code ignore;
    fs::remove(tmp, ignore);
    fs::remove(tmp + "-journal", ignore);
    throw ProjectError(FileFault::kCannotCopy, {to, from, OneLineText(why)});
  };
  if (sqlite3_open_v2(tmp.c_str(), &target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK) {
    fail(target ? sqlite3_errmsg(target) : "cannot create");
  }
  // The backup reads the source in one read transaction, committed WAL frames included.
  sqlite3_backup* backup = sqlite3_backup_init(target, "main", source.db_, "main");
  if (!backup) fail(sqlite3_errmsg(target));
  const int rc = sqlite3_backup_step(backup, -1);
  sqlite3_backup_finish(backup);
  if (rc != SQLITE_DONE) fail(sqlite3_errstr(rc));
  // The private copy keeps no WAL of its own beside it.
  if (sqlite3_exec(target, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr) != SQLITE_OK) {
    fail(sqlite3_errmsg(target));
  }
  sqlite3_close(target);
  target = nullptr;
  if (temporaries.before_rename) temporaries.before_rename(tmp);
  std::error_code ec;
  fs::rename(tmp, to, ec);
  if (ec) fail(ec.message());
}

void CopyProjectFile(const std::string& from, const std::string& to) {
  CopyProjectFile(from, to, SaveTemporaries::Private());
}

namespace {

// A WAL or a rollback journal left beside a file belongs to the file it was written for: the engine
// would apply it to any file put in that file's place. Before a file is replaced, what is beside
// it is brought into the old file (it stays whole if the replacing stops halfway), and whatever
// cannot be is removed, the old file being replaced anyway.
void SettleSideFiles(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::exists(path + "-wal", ec) && !fs::exists(path + "-journal", ec)) return;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
    // The first read rolls a hot journal back; leaving WAL mode checkpoints and deletes the WAL.
    sqlite3_exec(db, "PRAGMA schema_version; PRAGMA journal_mode=DELETE", nullptr, nullptr,
                 nullptr);
  }
  sqlite3_close(db);
  for (const char* side : {"-wal", "-shm", "-journal"}) fs::remove(path + side, ec);
}

}  // namespace

void CopyDatabaseFile(const std::string& from, const std::string& to,
                      const SaveTemporaries& temporaries) {
  namespace fs = std::filesystem;
  QFile source(QString::fromStdString(from));
  if (!source.open(QIODevice::ReadOnly)) {
    throw ProjectError(FileFault::kCannotCopy, {to, from, source.errorString().toStdString()});
  }
  // A symbolic link keeps pointing at the new file: the file it names is the one replaced.
  std::error_code ec;
  std::string final_path = to;
  if (fs::is_symlink(to, ec)) {
    const fs::path resolved = fs::weakly_canonical(to, ec);
    if (!ec) final_path = resolved.string();
  }
  temporaries.RemoveStaleIn(fs::path(final_path).parent_path().string());
  // Written whole under a temporary name and renamed into place, so that a failed copy leaves
  // the earlier file as it was.
  const std::string tmp = temporaries.NewNameFor(final_path);
  QFile target(QString::fromStdString(tmp));
  if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
    throw ProjectError(FileFault::kCannotWriteFile, {to, target.errorString().toStdString()});
  }
  auto fail = [&](FileFault fault, std::vector<FileField> pieces) {
    target.close();
    std::error_code ignore;
    fs::remove(tmp, ignore);
    throw ProjectError(fault, std::move(pieces));
  };
  const QFile existing(QString::fromStdString(final_path));
  if (existing.exists()) target.setPermissions(existing.permissions());
  while (!source.atEnd()) {
    const QByteArray block = source.read(1 << 20);
    if (block.isEmpty() || target.write(block) != block.size()) {
      fail(FileFault::kCopyStopped, {to, from});
    }
  }
  // On the disk before the rename: a crash after it finds the whole new file.
  if (!target.flush() || fsync(target.handle()) != 0) {
    fail(FileFault::kCannotWriteFile, {to, target.errorString().toStdString()});
  }
  target.close();
  SettleSideFiles(final_path);
  if (temporaries.before_rename) temporaries.before_rename(tmp);
  fs::rename(tmp, final_path, ec);
  if (ec) fail(FileFault::kCannotReplace, {to, ec.message()});
}

void CopyDatabaseFile(const std::string& from, const std::string& to) {
  CopyDatabaseFile(from, to, SaveTemporaries::Private());
}

void CompactDatabase(const std::string& from, const std::string& to) {
  std::error_code ec;
  std::filesystem::remove(to, ec);
  if (ec) throw ProjectError(FileFault::kCannotDeleteOld, {to, ec.message()});
  ProjectDatabase db = ProjectDatabase::Open(from);
  std::string target = "'";
  for (char c : to) {
    if (c == '\'') target.push_back('\'');
    target.push_back(c);
  }
  target += "'";
  db.VacuumInto(target);
}

}  // namespace ktv
