// ktv-pn3-report: writes the calculation report of a project file without opening a window.
#include <unistd.h>

#include <QGuiApplication>
#include <QString>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "families/family_table.h"
#include "report_tool.h"

namespace {

// Qt's warnings go to stderr like the command's own messages; the one about a missing runtime
// folder of the offscreen platform is noise for a batch command and is dropped.
void QtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtDebugMsg || type == QtInfoMsg) return;
  if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))) return;
  std::cerr << "ktv-pn3-report: qt: " << message.toStdString() << "\n";
}

}  // namespace

int main(int argc, char** argv) {
  // Before Qt starts any thread: every thread then leaves SIGTERM and SIGINT to the watcher.
  auto temporaries = std::make_shared<ktv::TemporaryFiles>();
  ktv::RemoveOnTermination(temporaries, "ktv-pn3-report");
  // A report needs fonts but no screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(QtMessages);
  QGuiApplication app(argc, argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  // Progress of many projects is for a person watching, not for a log.
  return ktv::RunReportTool(args, std::cout, std::cerr, ktv::ProgramFamilies().ReportEntries(),
                            temporaries.get(), isatty(STDERR_FILENO) != 0);
}
