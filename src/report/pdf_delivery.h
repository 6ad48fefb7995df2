#pragma once
// The PDF as it is delivered: the file painted by Qt, completed with what its writer cannot add.
#include <QDateTime>
#include <string>
#include <string_view>
#include <vector>

#include "report/report_writer.h"

namespace ktv {

// Completes a PDF painted by QPdfWriter (one PDF page per document page, painted at one device
// unit per twip): the outline of the entries, the properties in the information dictionary and
// in the XMP metadata (where archival readers look for them, marked as PDF/A-1b), dated
// `created`, and a document ID computed from the content, so that the same report and date give
// the same bytes. Throws ReportError when the painted file cannot be read or an entry names a
// page it does not have.
std::string FinishPdf(std::string_view painted, const std::vector<OutlineEntry>& outline,
                      const DocumentProperties& properties, const QDateTime& created);

// "D:YYYYMMDDHHmmSS+HH'mm'" of the PDF date strings and "YYYY-MM-DDTHH:mm:SS+HH:mm" of XMP.
std::string PdfDate(const QDateTime& time);
std::string XmpDate(const QDateTime& time);

}  // namespace ktv
