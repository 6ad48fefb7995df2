#pragma once
// Helpers for looking at laid-out pages.
#include <optional>
#include <string>
#include <vector>

#include "report/report_writer.h"

namespace ktv::testing_util {

template <typename T>
std::vector<T> ItemsOf(const Page& page) {
  std::vector<T> out;
  for (const PageItem& item : page.items) {
    if (const T* p = std::get_if<T>(&item)) out.push_back(*p);
  }
  return out;
}

// Text runs of the page body (header and footer runs excluded).
inline std::vector<TextRun> BodyRuns(const Page& page) {
  std::vector<TextRun> out;
  for (const TextRun& r : ItemsOf<TextRun>(page)) {
    if (r.y >= kPageMargin && r.y < kA4Height - kPageMargin) out.push_back(r);
  }
  return out;
}

inline std::optional<TextRun> FindRun(const std::vector<TextRun>& runs, const std::string& text) {
  for (const TextRun& r : runs) {
    if (r.text == text) return r;
  }
  return std::nullopt;
}

// A writer with the page setup done and the document begun.
inline void Begin(ReportWriter& w) {
  w.PageSetup();
  w.BeginDocument();
}

}  // namespace ktv::testing_util
