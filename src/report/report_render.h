#pragma once
// Renderers over the laid-out pages of a ReportWriter.
#include <QString>
#include <string>

class QPainter;

namespace ktv {

class ReportWriter;
struct Page;

// Writes every page to a PDF file (A4, vector output, fonts embedded), one PDF page per document
// page. Throws ReportError when the file cannot be written or the document has no pages.
void WritePdf(const ReportWriter& doc, const QString& path);

// Paints one page (0 = cover) onto any painter: scale is device units per twip (1 for a device
// of 1440 dpi, 1/15 for a 96-dpi screen at 100 %). The page's top-left corner lands on the
// painter's origin; the page is filled white first.
void PaintPage(const ReportWriter& doc, int page_index, QPainter& painter, double scale);
void PaintPage(const Page& page, QPainter& painter, double scale);

// Plain text of one page in reading order: a line "=== page N ===" (N the page counter), then
// the upright text runs and cell lines sorted by y then x, runs whose boxes share a line joined
// into one line with single blanks between them. Rotated runs follow in drawing order.
std::string PageText(const Page& page);
// All pages, one after the other.
std::string DocumentText(const ReportWriter& doc);

}  // namespace ktv
