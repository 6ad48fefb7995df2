#pragma once
// Reads a written PDF back with the PDF library: bookmarks, properties, fonts.
#include <map>
#include <string>
#include <vector>

namespace ktv {

struct PdfBookmark {
  std::string title;
  int level = 1;   // 1 top level, 2 under a top-level entry
  int page = -1;   // page index of the target, 0 = first page
  double top = 0;  // top of the target view, points from the bottom of the page
};

struct PdfFacts {
  int pages = 0;
  std::vector<PdfBookmark> bookmarks;       // in reading order
  std::map<std::string, std::string> info;  // "/Title" → UTF-8 text
  std::string xmp;                          // the document's metadata stream
  std::string page_mode;                    // "/UseOutlines" …
  bool xmp_filtered = false;                // the metadata stream is compressed
  bool has_id = false;                      // the trailer has a document ID
  bool encrypted = false;
  std::string output_intent;            // /S of the first output intent
  std::vector<std::string> fonts;       // every font's name
  std::vector<std::string> unembedded;  // fonts without a font program
  int warnings = 0;
};

// Throws std::runtime_error when the file cannot be read.
PdfFacts InspectPdf(const std::string& path);

}  // namespace ktv
