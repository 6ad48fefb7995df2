#include "report/report_build.h"

#include <exception>

#include "app/messages.h"
#include "project/project_database.h"
#include "report/report_render.h"
#include "report/report_writer.h"

namespace ktv {

void ApplyPageSetup(ReportWriter& writer, int phase, const std::string& project_name,
                    const std::string& title) {
  switch (phase) {
    case kPageSetupDocument:
      writer.PageSetup();
      return;
    case kPageSetupCover:
      writer.SetHeader("");
      writer.SetFooter("");
      writer.SetHeaderFooterStyle(4);
      return;
    case kPageSetupReport:
      // The three-part form keeps a bar inside the project name from shifting the title.
      writer.SetHeader("工事名：" + project_name, "", title);
      writer.SetHeaderFooterStyle(3);
      return;
    default:
      throw ReportError("ApplyPageSetup: unknown phase " + std::to_string(phase));
  }
}

CoverData CoverDataOf(const ProjectData& project, const CoverOptions& options) {
  CoverData data;
  data.title = kFullTitle;
  if (project.name) {
    data.project_name = project.name->cname;
    data.date_text = project.name->data;
  }
  data.office_name = options.office_name;
  data.print_project_name = options.print_project_name;
  data.print_office_name = options.print_office_name;
  data.print_date = options.print_date;
  return data;
}

ProjectData ProjectForReport(const ReportContext& context) {
  if (context.project) return *context.project;
  return ReadProjectData(ProjectDatabase::Open(context.working_database_path));
}

DocumentProperties DeliveryProperties(const DocumentProperties& written, const CoverData& cover,
                                      WallFamily wall_family) {
  DocumentProperties p = written;
  if (p.title.empty()) {
    p.title =
        cover.structure.empty() ? std::string(NamesOf(wall_family).cover_title) : cover.structure;
  }
  const bool named = cover.project_name.find_first_not_of(' ') != std::string::npos;
  if (named) p.title += "　" + cover.project_name;
  // An office name kept off the cover stays out of the file as well.
  p.author = cover.print_office_name ? cover.office_name : std::string();
  p.subject = kReportDocumentTitle;
  p.creator = kFullTitle;
  return p;
}

std::string MissingReportMessage(WallFamily wall_family) {
  return std::string(NamesOf(wall_family).cover_title) + "の計算書は作成できません。";
}

ReportBuildResult BuildReport(ReportWriter& writer, WallFamily wall_family,
                              const ReportContext& context, const FamilyEntryTable& entries) {
  ReportBuildResult result;
  try {
    // Checked first: a cover followed by an empty page must not pass for a report.
    const FamilyReportEntry& entry = entries[CodeOf(wall_family)];
    if (!entry) throw ReportError(MissingReportMessage(wall_family));
    std::string results;
    ReportContext run = context;
    run.results_json = &results;
    run.project = ProjectForReport(context);
    ApplyPageSetup(writer, kPageSetupDocument, "", "");
    writer.BeginDocument();
    CoverData cover = CoverDataOf(*run.project, context.cover);
    cover.structure = entry.StructureName(*run.project, wall_family);
    result.project_name = cover.project_name;
    ApplyPageSetup(writer, kPageSetupCover, cover.project_name, cover.title);
    WriteCoverPage(writer, cover, wall_family);
    writer.NewPage();
    ApplyPageSetup(writer, kPageSetupReport, cover.project_name, cover.title);
    entry(writer, run);
    writer.SetProperties(DeliveryProperties(writer.Properties(), cover, wall_family));
    writer.EndDocument();
    if (context.results_json) *context.results_json = results;
    result.results_json = std::move(results);
  } catch (const std::exception& e) {
    writer.Discard();
    result.error = e.what();
    result.failure = std::current_exception();
    return result;
  } catch (...) {
    writer.Discard();
    result.error = "計算書を作成できませんでした。";
    result.failure = std::current_exception();
    return result;
  }
  result.complete = true;
  result.page_count = writer.PageCount();
  result.report_pages = result.page_count - 1;
  return result;
}

}  // namespace ktv
