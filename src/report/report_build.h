#pragma once
// The report build sequence: page setup, cover, header, family chapters, end of document.
#include <exception>
#include <string>

#include "report/cover_page.h"
#include "report/report_context.h"

namespace ktv {

class ReportWriter;
struct DocumentProperties;

// Phases of ApplyPageSetup.
inline constexpr int kPageSetupDocument = 0;  // the writer's page setup, counter -1
inline constexpr int kPageSetupCover = 1;     // header and footer cleared, style 4
inline constexpr int kPageSetupReport = 2;    // header "工事名：" + name | | title, style 3

void ApplyPageSetup(ReportWriter& writer, int phase, const std::string& project_name,
                    const std::string& title);

// Project name and date from the project's tbl工事名 (blank for an empty table), the office name
// and the two cover switches as the caller chose them, the title from the program title.
CoverData CoverDataOf(const ProjectData& project, const CoverOptions& options);

// The project of a build: the context's own, or the working database read once (a database that
// cannot be read throws ProjectError: a report whose cover lost the project name must not pass
// for a complete one).
ProjectData ProjectForReport(const ReportContext& context);

struct ReportBuildResult {
  // True when the document was built to its end. False when the build stopped: the writer then
  // holds no pages, error names the cause and failure holds what was thrown, so that the caller
  // can tell a calculation that cannot go on from other faults.
  bool complete = false;
  std::string error;
  std::exception_ptr failure;
  std::string project_name;  // of the cover and the header
  std::string results_json;  // the family's results, from the same calculation
  int page_count = 0;        // pages including the cover
  int report_pages = 0;      // "全ページ数": pages without the cover
};

// Builds the whole document into the writer. Errors of the build (calculation, database, writer,
// a family without an entry) never escape: the result carries the message and the writer is
// left empty. The entry's results land in result.results_json (and in *context.results_json
// when the caller gave one).
ReportBuildResult BuildReport(ReportWriter& writer, WallFamily wall_family,
                              const ReportContext& context, const FamilyEntryTable& entries);

// The properties of the PDF: the title written by the family's chapters (or the structure the
// cover names)
// with the project name, the office name as the author when the cover prints it, the document
// kind as the subject and the program with its version as the creator.
DocumentProperties DeliveryProperties(const DocumentProperties& written, const CoverData& cover,
                                      WallFamily wall_family);

// The message of a family whose report does not exist.
std::string MissingReportMessage(WallFamily wall_family);

}  // namespace ktv
