#pragma once
// What a family report entry receives from the report build, and the table of entries that the
// caller of the build supplies (the report itself names no family).
#include <array>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

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
//
// A family whose one report serves several shapes also names the structure of a project ("Ｌ形擁壁"
// …) for the cover, the title line and the PDF title; without a namer the family's cover title
// stands.
using StructureNamer = std::function<std::string(const ProjectData&)>;

class FamilyReportEntry {
 public:
  using Writer = std::function<void(ReportWriter&, const ReportContext&)>;

  FamilyReportEntry() = default;
  // Implicit, so that a plain function or lambda is an entry.
  template <typename F>
  requires std::is_constructible_v<Writer, F> FamilyReportEntry(
      F write, StructureNamer name = {})  // NOLINT(google-explicit-constructor)
      : write_(std::move(write)), name_(std::move(name)) {}

  explicit operator bool() const { return static_cast<bool>(write_); }
  void operator()(ReportWriter& writer, const ReportContext& context) const {
    write_(writer, context);
  }
  // The structure of the project as the report names it; the family's cover title without a
  // namer of its own.
  std::string StructureName(const ProjectData& project, WallFamily family) const {
    return name_ ? name_(project) : std::string(NamesOf(family).cover_title);
  }

 private:
  Writer write_;
  StructureNamer name_;
};

// The report entries by family code; an empty entry means the family's report does not exist.
using FamilyEntryTable = std::array<FamilyReportEntry, kWallFamilyCount>;

}  // namespace ktv
