#include "project_fuzz.h"

#include <sqlite3.h>
#include <stdlib.h>

#include <QByteArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QString>
#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>

#include "app/safe_text.h"
#include "families/family_table.h"
#include "project_damage.h"
#include "report_tool.h"

namespace ktv::fuzz {
namespace {

namespace fs = std::filesystem;

struct Table {
  std::string name;
  std::vector<std::string> fields;
};

// The tables every family reads, then the family's shape table; the columns are those of the
// fixture, so that a field only one family has (the cantilever's chkhAA) is mutated too.
std::vector<Table> TablesOf(const FuzzFamily& family) {
  std::vector<Table> tables;
  sqlite3* db = nullptr;
  sqlite3_open_v2(family.fixture.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  for (const char* name :
       {"tbl工事名", "tbl単位系及び形式", "tbl鉄筋", "tblコンクリート",
        "tbl単位体積重量及び土質定数", "tbl基礎の安定", family.shape_table.c_str()}) {
    Table t{name, {}};
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM pragma_table_info(?1)", -1, &st, nullptr);
    sqlite3_bind_text(st, 1, name, -1, SQLITE_TRANSIENT);
    while (sqlite3_step(st) == SQLITE_ROW) {
      t.fields.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    }
    sqlite3_finalize(st);
    if (!t.fields.empty()) tables.push_back(std::move(t));
  }
  sqlite3_close(db);
  return tables;
}

std::string Quote(const std::string& id) { return "\"" + id + "\""; }

std::string ReadAll(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void WriteAll(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The files of a folder with their bytes, the WAL and its shared-memory index ("-shm") included:
// a read makes nothing beside the project and changes nothing there.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) {
    files[e.path().filename().string()] = ReadAll(e.path());
  }
  return files;
}

void Exec(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db, ("PRAGMA synchronous=OFF;" + sql).c_str(), nullptr, nullptr, nullptr);
  sqlite3_close(db);
}

// Values that have broken readers and calculations before, and random ones over the whole range.
std::string StrangeValue(std::mt19937_64& rng) {
  static const char* const kValues[] = {"0",
                                        "-0.0",
                                        "1",
                                        "-1",
                                        "1e-45",
                                        "1e-30",
                                        "0.001",
                                        "999.999",
                                        "1000",
                                        "1000.0001",
                                        "1e6",
                                        "535342407.37",
                                        "2.7e34",
                                        "3.4e38",
                                        "-3.4e38",
                                        "3.5e38",
                                        "1e39",
                                        "1e308",
                                        "32767",
                                        "32768",
                                        "-32769",
                                        "2147483648",
                                        "-9223372036854775808",
                                        "'abc'",
                                        "''",
                                        "' 12abc'",
                                        "x'00ff'",
                                        "NULL",
                                        "89.9999",
                                        "90",
                                        "-90",
                                        "180",
                                        "1.5",
                                        "2",
                                        "3",
                                        "7",
                                        "'SI 単位'",
                                        "'CGS 単位'",
                                        "'13'",
                                        "'\x01\x1b\x7f'",
                                        "x'c328ff'"};
  std::uniform_int_distribution<int> pick(0, 9);
  const int kind = pick(rng);
  if (kind < 6) {
    return kValues[std::uniform_int_distribution<size_t>(0, std::size(kValues) - 1)(rng)];
  }
  if (kind < 8) {
    // Any magnitude, either sign.
    const double exponent = std::uniform_real_distribution<double>(-40, 40)(rng);
    const double sign = pick(rng) < 5 ? -1 : 1;
    std::ostringstream s;
    s.precision(17);
    s << sign * std::pow(10.0, exponent);
    return s.str();
  }
  if (kind == 8) return std::to_string(std::uniform_int_distribution<int>(-70000, 70000)(rng));
  // A long text with line breaks and control characters.
  const size_t length = std::uniform_int_distribution<size_t>(200, 70000)(rng);
  std::string text = "'";
  static const char* const kPieces[] = {"擁壁", "工事", " ", "\r\n", "\x01", "Ａ", "1", "'' "};
  while (text.size() < length) text += kPieces[pick(rng) % std::size(kPieces)];
  return text + "'";
}

std::string MutateValues(const std::vector<Table>& tables, const std::string& project,
                         std::mt19937_64& rng) {
  std::string done;
  const int count = std::uniform_int_distribution<int>(1, 3)(rng);
  std::string sql;
  for (int i = 0; i < count; ++i) {
    const Table& t = tables[std::uniform_int_distribution<size_t>(0, tables.size() - 1)(rng)];
    const std::string field =
        t.fields[std::uniform_int_distribution<size_t>(0, t.fields.size() - 1)(rng)];
    const std::string value = StrangeValue(rng);
    sql += "UPDATE " + Quote(t.name) + " SET " + Quote(field) + " = " + value + ";";
    done += std::string(done.empty() ? "" : ", ") + t.name + "." + field + " = " +
            ValueExcerpt(value, 24);
  }
  Exec(project, sql);
  return "values: " + done;
}

std::string MutateStructure(const std::vector<Table>& tables, const std::string& project,
                            std::mt19937_64& rng) {
  const Table& t = tables[std::uniform_int_distribution<size_t>(0, tables.size() - 1)(rng)];
  const std::string name = Quote(t.name);
  switch (std::uniform_int_distribution<int>(0, 10)(rng)) {
    case 0:
      Exec(project, "DROP TABLE " + name);
      return std::string("dropped ") + t.name;
    case 1: {
      std::string columns;
      for (const std::string& f : t.fields)
        columns += std::string(columns.empty() ? "" : ", ") + "x AS " + Quote(f);
      Exec(project, "DROP TABLE " + name + "; CREATE VIEW " + name +
                        " AS WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x+1 FROM c) "
                        "SELECT " +
                        columns + " FROM c");
      return std::string("recursive view for ") + t.name;
    }
    case 2:
      Exec(project, "CREATE TRIGGER loop AFTER DELETE ON " + name + " BEGIN INSERT INTO " + name +
                        " DEFAULT VALUES; END");
      return std::string("trigger on ") + t.name;
    case 3:
      Exec(project, "DELETE FROM " + name);
      return std::string("emptied ") + t.name;
    case 4:
      Exec(project, "INSERT INTO " + name + " DEFAULT VALUES");
      return std::string("second row in ") + t.name;
    case 5: {
      const std::string field =
          t.fields[std::uniform_int_distribution<size_t>(0, t.fields.size() - 1)(rng)];
      Exec(project, "ALTER TABLE " + name + " DROP COLUMN " + Quote(field));
      return std::string("dropped column ") + t.name + "." + field;
    }
    case 6: {
      // However a WAL-mode file was left: frames with their index, frames alone, or none at all.
      const std::string update =
          "UPDATE " + name + " SET " + Quote(t.fields[0]) + " = " + StrangeValue(rng) + ";";
      switch (std::uniform_int_distribution<int>(0, 2)(rng)) {
        case 0:
          LeaveCommittedWal(project, update);
          return std::string("committed WAL frames on ") + t.name;
        case 1:
          LeaveCommittedWal(project, update);
          fs::remove(project + "-shm");
          return std::string("committed WAL frames without the index on ") + t.name;
        default:
          Exec(project, "PRAGMA journal_mode=WAL; " + update);
          return std::string("WAL mode without a WAL file, ") + t.name;
      }
    }
    case 7:
      LeaveHotJournal(project);
      return "hot journal";
    case 8: {
      std::string bytes = ReadAll(project);
      const size_t keep = std::uniform_int_distribution<size_t>(0, bytes.size())(rng);
      WriteAll(project, bytes.substr(0, keep));
      return "truncated to " + std::to_string(keep) + " bytes";
    }
    case 9: {
      std::string bytes = ReadAll(project);
      const int flips = std::uniform_int_distribution<int>(1, 16)(rng);
      for (int i = 0; i < flips && !bytes.empty(); ++i) {
        bytes[std::uniform_int_distribution<size_t>(0, bytes.size() - 1)(rng)] =
            static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng));
      }
      WriteAll(project, bytes);
      return std::to_string(flips) + " bytes changed";
    }
    default: {
      const std::string code = std::to_string(std::uniform_int_distribution<int>(-3, 5)(rng));
      Exec(project, "UPDATE \"tbl単位系及び形式\" SET Kisk = " + code +
                        "; UPDATE \"tbl工事名\" SET \"形状\" = " + code);
      return "family code " + code;
    }
  }
}

bool ValidOneLine(const std::string& line) {
  return line.rfind("ktv-pn3-report: ", 0) == 0 && OneLineText(line) == line;
}

}  // namespace

std::vector<FuzzFamily> Families(const std::string& data_dir) {
  const std::string gravity = data_dir + "/gravity/data/", leaning = data_dir + "/leaning/data/",
                    cantilever = data_dir + "/cantilever/data/";
  return {
      {"gravity", gravity + "standard_gravity_si.mdb", "tbl形状サイズ_重力式", true},
      {"gravity-cgs", gravity + "standard_gravity_cgs.mdb", "tbl形状サイズ_重力式", true},
      {"leaning", leaning + "standard_leaning_si.mdb", "tbl形状サイズ_もたれ式", true},
      {"leaning-cgs", leaning + "standard_leaning_cgs.mdb", "tbl形状サイズ_もたれ式", true},
      {"cantilever", cantilever + "standard_cantilever_si.mdb", "tbl形状サイズ_逆T順L逆L式", true},
      {"cantilever-cgs", cantilever + "standard_cantilever_cgs.mdb", "tbl形状サイズ_逆T順L逆L式",
       true},
      {"cantilever-aa", cantilever + "standard_cantilever_aa_si.mdb", "tbl形状サイズ_逆T順L逆L式",
       true},
  };
}

std::string MutateProject(const FuzzFamily& family, const std::string& project, uint64_t seed) {
  fs::copy_file(family.fixture, project, fs::copy_options::overwrite_existing);
  const std::vector<Table> tables = TablesOf(family);
  if (tables.empty()) throw std::runtime_error(family.fixture + ": no project tables to mutate");
  std::mt19937_64 rng(seed);
  return std::uniform_int_distribution<int>(0, 9)(rng) < 7 ? MutateValues(tables, project, rng)
                                                           : MutateStructure(tables, project, rng);
}

RunOutcome InProcess(const std::vector<std::string>& args, const std::string& tmpdir,
                     std::chrono::seconds bound) {
  setenv("TMPDIR", tmpdir.c_str(), 1);
  std::ostringstream out, err;
  const auto start = std::chrono::steady_clock::now();
  RunOutcome r;
  r.status = RunReportTool(args, out, err, ProgramFamilies().ReportEntries());
  r.err = err.str();
  r.finished = std::chrono::steady_clock::now() - start < bound;
  return r;
}

namespace {

CaseReport RunPrepared(const FuzzFamily& family,
                       const std::function<std::string(const std::string&)>& prepare,
                       const std::string& work, const Runner& runner, std::chrono::seconds bound,
                       bool pdf) {
  const fs::path dir = work;
  fs::remove_all(dir);
  fs::create_directories(dir / "project");
  fs::create_directories(dir / "out");
  fs::create_directories(dir / "tmp");
  const std::string project = (dir / "project" / "p.mdb").string();
  CaseReport report;
  report.mutation = prepare(project);
  const auto before = Snapshot(dir / "project");

  const std::string out = (dir / "out" / "r").string();
  std::vector<std::string> args = {project, "--text", out + ".txt"};
  if (family.json) args.insert(args.end(), {"--json", out + ".json"});
  if (pdf) args.insert(args.end(), {"-o", out + ".pdf"});
  const RunOutcome run = runner(args, (dir / "tmp").string(), bound);
  report.status = run.status;
  auto problem = [&](const std::string& p) { report.problems.push_back(p); };

  if (!run.finished) problem("no end within " + std::to_string(bound.count()) + " s");
  const std::array<int, 4> documented = {0, 2, 3, 4};
  if (std::find(documented.begin(), documented.end(), run.status) == documented.end()) {
    problem("exit status " + std::to_string(run.status));
  }
  std::vector<std::string> lines;
  std::istringstream err(run.err);
  for (std::string line; std::getline(err, line);) lines.push_back(line);
  if (run.status != 0 && lines.size() != 1) {
    problem("a failure printed " + std::to_string(lines.size()) + " lines");
  }
  for (const std::string& line : lines) {
    if (!ValidOneLine(line)) problem("a line that is not a clean message: " + OneLineText(line));
    if (run.status == 0 && line.rfind("ktv-pn3-report: message: ", 0) != 0) {
      problem("success with the line: " + OneLineText(line));
    }
  }
  const std::map<std::string, std::string> outputs = Snapshot(dir / "out");
  if (run.status == 0) {
    static const QRegularExpression kNonFinite(QStringLiteral("(?<![A-Za-z])(inf|nan)(?![A-Za-z])"),
                                               QRegularExpression::CaseInsensitiveOption);
    for (const char* name : {"r.txt", "r.json"}) {
      auto it = outputs.find(name);
      if (it == outputs.end()) {
        if (std::string(name) == "r.txt" || family.json) problem(std::string(name) + " missing");
        continue;
      }
      if (QString::fromStdString(it->second).contains(kNonFinite)) {
        problem(std::string(name) + " holds inf or nan");
      }
    }
    if (auto it = outputs.find("r.json"); it != outputs.end()) {
      QJsonParseError error{};
      QJsonDocument::fromJson(QByteArray::fromStdString(it->second), &error);
      if (error.error != QJsonParseError::NoError) problem("r.json is not valid JSON");
    }
    if (pdf && !outputs.count("r.pdf")) problem("r.pdf missing");
    if (outputs.size() != (pdf ? 1u : 0u) + 1u + (family.json ? 1u : 0u)) {
      problem("unexpected files beside the outputs");
    }
  } else if (!outputs.empty()) {
    problem("a failure wrote " + outputs.begin()->first);
  }
  if (Snapshot(dir / "project") != before) problem("the project's folder changed");
  std::error_code ec;
  if (!fs::is_empty(dir / "tmp", ec)) problem("a temporary file was left");
  return report;
}

}  // namespace

CaseReport RunCase(const FuzzFamily& family, uint64_t seed, const std::string& work,
                   const Runner& runner, std::chrono::seconds bound, bool pdf) {
  return RunPrepared(
      family, [&](const std::string& project) { return MutateProject(family, project, seed); },
      work, runner, bound, pdf);
}

CaseReport RunCaseWithSql(const FuzzFamily& family, const std::string& sql, const std::string& work,
                          const Runner& runner, std::chrono::seconds bound, bool pdf) {
  return RunPrepared(
      family,
      [&](const std::string& project) {
        fs::copy_file(family.fixture, project, fs::copy_options::overwrite_existing);
        std::string statement = sql;
        for (size_t at; (at = statement.find("{shape}")) != std::string::npos;) {
          statement.replace(at, 7, Quote(family.shape_table));
        }
        Exec(project, statement);
        return statement;
      },
      work, runner, bound, pdf);
}

}  // namespace ktv::fuzz
