#include "input_window/report_connection.h"

#include <QDir>
#include <exception>

#include "report/family_entries.h"
#include "report/report_build.h"
#include "report/report_render.h"
#include "report/report_writer.h"

namespace ktv {
namespace {

constexpr const char* kFamilyWithoutReport =
    "この形式の擁壁の計算書は、このプログラムではまだ作成できません。";
constexpr const char* kReportFailed = "計算書を作成できませんでした。";
constexpr const char* kPdfFailed = "計算書のファイルを書き込めません。";
constexpr const char* kPdfWritten = "計算書を次のファイルに作成しました。";

}  // namespace

QString ReportPdfPath(const StartupValues& startup) {
  return QDir(startup.folders.data).filePath(QStringLiteral("計算書.pdf"));
}

void UseReportBuild(InputWindowHooks& hooks, const StartupValues& startup, MessageSink& messages) {
  hooks.run_report = [startup, &messages](const ReportRequest& request) {
    const FamilyEntryTable& entries = FamilyReportEntries();
    const int family = request.wall_family;
    // A family without its chapters would give a cover and nothing else.
    if (family < 0 || family >= kWallFamilyCount || !entries[family]) {
      messages.Inform(kFamilyWithoutReport);
      return;
    }
    ReportWriter writer(startup.report_font_sizes);
    ReportContext context;
    context.working_database_path = startup.working_database_path.toStdString();
    context.read_copy_database_path = startup.read_copy_database_path.toStdString();
    context.sink = &messages;
    ReportBuildResult result = BuildReport(writer, family, context, entries);
    if (!result.complete) {
      messages.Inform(std::string(kReportFailed) + "\r\n" + result.error);
      return;
    }
    const QString pdf = ReportPdfPath(startup);
    try {
      WritePdf(writer, pdf);
    } catch (const std::exception& e) {
      messages.Beep();
      messages.Show(MessageIcon::Warning, MessageButtons::Ok, kFullTitle,
                    std::string(kPdfFailed) + "\r\n" + QDir::toNativeSeparators(pdf).toStdString() +
                        "\r\n\r\n詳細：" + e.what());
      return;
    }
    messages.Beep();
    messages.Show(MessageIcon::Information, MessageButtons::Ok, kFullTitle,
                  std::string(kPdfWritten) + "\r\n" + QDir::toNativeSeparators(pdf).toStdString() +
                      "\r\n（全ページ数 " + std::to_string(result.report_pages) + "、表紙を除く）");
  };
}

}  // namespace ktv
