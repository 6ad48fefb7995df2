// ktv-pn3-report: writes the calculation report of a project file without opening a window.
#include <QGuiApplication>
#include <iostream>
#include <string>
#include <vector>

#include "report/family_entries.h"
#include "report_tool.h"

int main(int argc, char** argv) {
  // A report needs fonts but no screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  return ktv::RunReportTool(args, std::cout, std::cerr, ktv::FamilyReportEntries());
}
