#include "families/gravity/gravity_report.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QString>
#include <fstream>
#include <string>

#include "gravity_fixture.h"
#include "report/report_build.h"
#include "report/report_render.h"
#include "report/report_writer.h"

namespace ktv {
namespace {

FamilyEntryTable GravityOnly() {
  FamilyEntryTable t{};
  t[0] = BuildGravityDocument;
  return t;
}

TEST(GravityReportDemo, WritesPdfAndText) {
  for (bool si : {true, false}) {
    const std::string dir = KTV_GRAVITY_OUTPUT_DIR;
    const std::string db = dir + (si ? "/demo_si.mdb" : "/demo_cgs.mdb");
    WriteStandardGravityProject(db, si);
    ReportWriter w;
    ReportContext ctx;
    ctx.working_database_path = db;
    ReportBuildResult r = BuildReport(w, 0, ctx, GravityOnly());
    ASSERT_TRUE(r.complete) << r.error;
    WritePdf(w, QString::fromStdString(dir + (si ? "/gravity_si.pdf" : "/gravity_cgs.pdf")));
    std::ofstream(dir + (si ? "/gravity_si.txt" : "/gravity_cgs.txt")) << DocumentText(w);
  }
}

}  // namespace
}  // namespace ktv
