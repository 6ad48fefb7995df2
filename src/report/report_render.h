#pragma once
// Renderers over the laid-out pages of a ReportWriter.
#include <QString>
#include <string>

class QPainter;

namespace ktv {

class ReportWriter;
struct Page;

// Subject of the document in a PDF and name of the print job.
inline constexpr const char* kReportDocumentTitle = "擁壁の設計計算書";

// Writes every page to a PDF file (A4, vector output, fonts embedded, PDF/A-1b), one PDF page per
// document page, with the document's outline as bookmarks and its properties (dated now unless
// the properties fix the date). Throws ReportError when the file cannot be written or the
// document has no pages.
void WritePdf(const ReportWriter& doc, const QString& path);

// Paints one page (0 = cover) onto any painter: scale is device units per twip (1 for a device
// of 1440 dpi, 1/15 for a 96-dpi screen at 100 %). The page's top-left corner lands on the
// painter's origin; the page is filled white first.
void PaintPage(const ReportWriter& doc, int page_index, QPainter& painter, double scale);
void PaintPage(const Page& page, QPainter& painter, double scale);

// Plain text of one page in reading order: a line "=== page N ===" (N the page counter), then
// the text runs, cell lines and formula pictures ("[1_3_9]") sorted by y then x. Pieces whose
// line boxes share a middle line are joined into one line, with a blank where a gap lies between
// them and around pictures. Rotated runs stand on lines of their own, ordered by their anchor.
std::string PageText(const Page& page);
// All pages, one after the other.
std::string DocumentText(const ReportWriter& doc);

}  // namespace ktv
