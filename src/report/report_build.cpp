#include "report/report_build.h"

#include <QString>
#include <QVariant>
#include <exception>

#include "app/messages.h"
#include "app/settings.h"
#include "project/project_database.h"
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

CoverData ReadCoverData(const std::string& working_database_path) {
  CoverData data;
  data.title = kFullTitle;
  // The cover is written whatever state the database is in: any failure leaves the fields blank.
  try {
    ProjectDatabase db = ProjectDatabase::Open(working_database_path);
    if (auto row = db.ReadProjectName()) {
      data.project_name = row->cname;
      data.date_text = row->data;
    }
  } catch (...) {
    data.project_name.clear();
    data.date_text.clear();
  }
  auto settings = OpenUserSettings();
  data.office_name = settings->value(kKeyOfficeName, QString()).toString().toStdString();
  data.print_office_name = settings->value(kKeyPrintOfficeName, 1).toBool();
  data.print_date = settings->value(kKeyPrintDate, 1).toBool();
  return data;
}

ReportBuildResult BuildReport(ReportWriter& writer, int wall_family, const ReportContext& context,
                              const FamilyEntryTable& entries) {
  ReportBuildResult result;
  try {
    ApplyPageSetup(writer, kPageSetupDocument, "", "");
    writer.BeginDocument();
    CoverData cover = ReadCoverData(context.working_database_path);
    result.project_name = cover.project_name;
    ApplyPageSetup(writer, kPageSetupCover, cover.project_name, cover.title);
    WriteCoverPage(writer, cover, wall_family);
    writer.NewPage();
    ApplyPageSetup(writer, kPageSetupReport, cover.project_name, cover.title);
    if (wall_family >= 0 && wall_family < kWallFamilyCount && entries[wall_family]) {
      entries[wall_family](writer, context);
    }
    writer.EndDocument();
  } catch (const std::exception& e) {
    writer.Discard();
    result.error = e.what();
    result.failure = std::current_exception();
    return result;
  } catch (...) {
    writer.Discard();
    result.error = "The report could not be built";
    result.failure = std::current_exception();
    return result;
  }
  result.complete = true;
  result.page_count = writer.PageCount();
  result.report_pages = result.page_count - 1;
  return result;
}

}  // namespace ktv
