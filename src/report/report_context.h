#pragma once
// What a family report entry receives from the report build, and the table of entries that the
// caller of the build supplies (the report itself names no family).
#include <array>
#include <functional>
#include <string>

#include "app/checks.h"
#include "app/messages.h"
#include "app/standard_sizes.h"
#include "app/wall_family.h"

namespace ktv {

class ReportWriter;

struct ReportContext {
  std::string working_database_path;    // Data.mdb
  std::string read_copy_database_path;  // Data3.mdb (the cantilever family's private copy)
  MessageSink* sink = nullptr;          // may be null
  // Facts of the input window that some chapters print: the per-family memory of dimensions
  // (millimetres and degrees, by family code) and the check box of the intermediate stem section
  // (chkhAA). The batch command fills them from the project file.
  std::array<FamilyDimensions, kWallFamilyCount> dimensions{};
  bool design_section_aa = false;
  // When set, the entry stores here its results as a JSON object, from the same calculation that
  // wrote the chapters.
  std::string* results_json = nullptr;
  // When set, the entry stores here every check of the wall (value, limit, verdict), from the same
  // calculation; the batch command's summary table is made of them.
  WallChecks* checks = nullptr;
};

// Writes the chapters of one wall family after the cover and the first page break. A
// CalculationError (or any other exception) ends the build.
using FamilyReportEntry = std::function<void(ReportWriter&, const ReportContext&)>;

// The report entries by family code; an empty entry means the family's report does not exist.
using FamilyEntryTable = std::array<FamilyReportEntry, kWallFamilyCount>;

}  // namespace ktv
