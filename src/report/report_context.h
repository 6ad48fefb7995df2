#pragma once
// What a family report entry receives from the report build.
#include <functional>
#include <string>

#include "app/messages.h"

namespace ktv {

class ReportWriter;

struct ReportContext {
  std::string working_database_path;    // Data.mdb
  std::string read_copy_database_path;  // Data3.mdb (the cantilever family's private copy)
  MessageSink* sink = nullptr;          // may be null
};

// Writes the chapters of one wall family after the cover and the first page break. A
// CalculationError (or any other exception) ends the build.
using FamilyReportEntry = std::function<void(ReportWriter&, const ReportContext&)>;

}  // namespace ktv
