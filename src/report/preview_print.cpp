#include "report/preview_print.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

#include "report/report_render.h"

namespace ktv {

void PrintReport(const ReportWriter& doc, QPrinter& printer) {
  const auto& pages = doc.Pages();
  if (pages.empty()) throw ReportError("印刷するページがありません。");
  const std::string name = printer.printerName().isEmpty() ? printer.outputFileName().toStdString()
                                                           : printer.printerName().toStdString();
  printer.setDocName(QString::fromUtf8(kReportDocumentTitle));
  printer.setFullPage(true);
  if (!printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0), QPageLayout::Point))) {
    // Some printers refuse zero margins; the page is still A4 with the text inside its margins.
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
  }
  const int resolution = printer.resolution();
  if (resolution <= 0) throw ReportError("プリンタ「" + name + "」の解像度がわかりません。");
  const double scale = resolution / 1440.0;

  // The page range of the print dialog counts the cover as page 1.
  size_t first = 0, last = pages.size() - 1;
  if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
    first = std::min(static_cast<size_t>(printer.fromPage() - 1), last);
    last = std::clamp(static_cast<size_t>(std::max(printer.toPage(), printer.fromPage()) - 1),
                      first, last);
  }
  QPainter painter;
  if (!painter.begin(&printer)) {
    throw ReportError("プリンタ「" + name + "」を開けません。");
  }
  for (size_t i = first; i <= last; ++i) {
    if (i > first && !printer.newPage()) {
      painter.end();
      throw ReportError("プリンタ「" + name + "」が " + std::to_string(i + 1) +
                        " ページ目を受け付けません。");
    }
    // With full-page printing the painter's origin is the paper's corner, as on the page.
    PaintPage(pages[i], painter, scale);
  }
  const bool ended = painter.end();
  if (!ended || printer.printerState() == QPrinter::Error ||
      printer.printerState() == QPrinter::Aborted) {
    throw ReportError("プリンタ「" + name + "」がエラーを返しました。");
  }
}

void PrintReportOn(const ReportWriter& doc, const QPrinterInfo& info) {
  if (info.isNull()) throw NoPrinterError("プリンタがありません。");
  QPrinter printer(info, QPrinter::HighResolution);
  if (!printer.isValid()) {
    throw ReportError("プリンタ「" + info.printerName().toStdString() + "」は使用できません。");
  }
  PrintReport(doc, printer);
}

void DefaultReportPrinter::Print(const ReportWriter& doc) {
  PrintReportOn(doc, QPrinterInfo::defaultPrinter());
}

}  // namespace ktv
