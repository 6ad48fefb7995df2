#pragma once
// Printing the finished report. The program prints to the default printer; tests and other
// callers hand in a printer of their own (for example a PDF QPrinter).
#include <QPrinterInfo>

#include "report/report_writer.h"

class QPrinter;

namespace ktv {

// There is no printer to print on.
class NoPrinterError : public ReportError {
 public:
  using ReportError::ReportError;
};

// Where the Print command sends the document. Print throws NoPrinterError when there is no
// printer and ReportError, naming the cause, when the printer fails.
class ReportPrinter {
 public:
  virtual ~ReportPrinter() = default;
  virtual void Print(const ReportWriter& doc) = 0;
};

// The default printer of the system.
class DefaultReportPrinter : public ReportPrinter {
 public:
  void Print(const ReportWriter& doc) override;
};

// Prints every page on A4 portrait at its full size: the page's own margins place the text, the
// printer adds none. Throws ReportError when the document has no pages, the printer cannot be
// opened or it reports an error.
void PrintReport(const ReportWriter& doc, QPrinter& printer);

// Prints on the printer that info describes; a null info (no printer installed) throws
// NoPrinterError.
void PrintReportOn(const ReportWriter& doc, const QPrinterInfo& info);

}  // namespace ktv
