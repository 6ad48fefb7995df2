#include "report/cover_page.h"

#include <algorithm>

#include "app/standard_sizes.h"
#include "report/report_writer.h"

namespace ktv {

namespace {

constexpr const char* kIdeographicSpace = "　";

bool BlankAfterTrim(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c == ' '; });
}

// A line wider than the page would start left of the paper; it starts at the margin instead and
// wraps there.
double OnPage(const ReportWriter& w, double x) { return std::max(x, w.MarginLeft()); }

void Centred(ReportWriter& w, const std::string& text) {
  w.SetX(OnPage(w, (w.PageWidth() - w.TextWidth(text)) / 2));
  w.Paragraph(text);
}

}  // namespace

void WriteCoverPage(ReportWriter& w, const CoverData& data, WallFamily wall_family) {
  const std::string office = data.office_name + kIdeographicSpace;
  const std::string date = data.date_text + kIdeographicSpace;

  w.MarkOutline("表紙", 1, OutlineAnchor::PageTop);
  w.SetFontSize(FontSlot::Cover);
  w.SetY(6000);
  if (data.print_project_name && !BlankAfterTrim(data.project_name))
    Centred(w, "工事名：" + data.project_name);
  w.Paragraph("");
  const std::string title =
      data.structure.empty() ? std::string(NamesOf(wall_family).cover_title) : data.structure;
  if (!title.empty()) Centred(w, title);

  w.SetY(14500);
  w.SetFontSize(FontSlot::Heading);
  const double right_edge = w.PageWidth() - w.MarginRight();
  const std::string office_text = "事務所名：" + office;
  const std::string date_text = "日付　　　：" + date;
  // Both lines start at one x. When the date line is the longer one (an empty office name, the
  // default), starting it at the office line's x would run it off the paper, so the shared x is
  // taken from the longer line.
  double shared_x = right_edge - w.TextWidth(office_text);
  if (data.print_office_name && data.print_date) {
    shared_x = std::min(shared_x, right_edge - w.TextWidth(date_text));
  }
  if (data.print_office_name) {
    if (!data.print_date) w.Paragraph("");
    w.SetX(OnPage(w, shared_x));
    w.Paragraph(office_text);
  }
  if (data.print_date) {
    if (!data.print_office_name) w.Paragraph("");
    double x = data.print_office_name ? shared_x : right_edge - w.TextWidth(date_text);
    w.SetX(OnPage(w, x));
    w.Paragraph(date_text);
  }
}

}  // namespace ktv
