#pragma once
// What a family report entry receives from the report build, and the table of entries that the
// caller of the build supplies (the report itself names no family).
#include <array>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/checks.h"
#include "app/messages.h"
#include "app/wall_family.h"
#include "project/project_data.h"

namespace ktv {

class ReportWriter;

// What the cover prints besides the project's name and date: the caller's choice (the window's
// settings, or the batch command's options), never read from the settings store by the build.
struct CoverOptions {
  std::string office_name;
  bool print_project_name = true;  // the 工事名 line
  bool print_office_name = true;   // the 事務所名 line
  bool print_date = true;          // the 日付 line
};

// Facts of a computed wall for the summary table, from the family's results.
struct WallFacts {
  std::string form;         // "重力式", "もたれ式", "逆T形", "L形", "逆L形"
  std::optional<double> h;  // wall height H, m
  std::optional<double> b;  // base width B, m
};

struct ReportContext {
  // The project: read once from the working database by the build (or given by the caller), and
  // what every entry reads its inputs from.
  std::string working_database_path;   // Data.mdb
  std::optional<ProjectData> project;  // set: used instead of reading the working database
  CoverOptions cover;
  MessageSink* sink = nullptr;  // may be null
  // The window's check box of the intermediate stem section (chkhAA); the batch command takes it
  // from the project file.
  bool design_section_aa = false;
  // When set, the entry stores here its results as a JSON object, from the same calculation that
  // wrote the chapters.
  std::string* results_json = nullptr;
  // When set, the entry stores here every check of the wall (value, limit, verdict), from the same
  // calculation; the batch command's summary table is made of them.
  WallChecks* checks = nullptr;
  // When set, the entry stores here the wall's form and main dimensions.
  WallFacts* facts = nullptr;
};

// What an entry reads: the project of the context, which BuildReport always sets.
inline const ProjectData& ProjectOf(const ReportContext& context) {
  if (!context.project) throw std::logic_error("the report has no project to read");
  return *context.project;
}

// Writes the chapters of one wall family after the cover and the first page break. A
// CalculationError (or any other exception) ends the build.
using FamilyReportEntry = std::function<void(ReportWriter&, const ReportContext&)>;

// The report entries by family code; an empty entry means the family's report does not exist.
using FamilyEntryTable = std::array<FamilyReportEntry, kWallFamilyCount>;

}  // namespace ktv
