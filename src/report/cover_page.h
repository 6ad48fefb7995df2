#pragma once
// The cover page (page 0) of every report.
#include <string>

#include "app/wall_family.h"

namespace ktv {

class ReportWriter;

struct CoverData {
  std::string title;               // program title (passed along, not printed)
  std::string project_name;        // tbl工事名.CName
  std::string office_name;         // settings Settings/OfficeName
  std::string date_text;           // tbl工事名.Data, printed as stored
  bool print_office_name = true;   // settings Settings/PrnOfficeOk
  bool print_date = true;          // settings Settings/PrnDateOk
  // The structure named on the cover ("逆Ｔ形擁壁", "Ｌ形擁壁" …); empty: the family's title.
  std::string structure;
  bool print_project_name = true;  // settings Settings/PrnCNamOk
};

// Writes the cover onto the current page of the writer (header and footer are the caller's). An
// empty structure prints the family's cover title.
void WriteCoverPage(ReportWriter& writer, const CoverData& data, WallFamily wall_family);

}  // namespace ktv
