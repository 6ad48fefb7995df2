// The texts of file failures: an English line naming the file for the batch command and the
// logs, and a Japanese text for the message boxes.
#include "project/project_error.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace ktv {
namespace {

TEST(ProjectError, EveryFaultHasAnEnglishLineAndAJapaneseText) {
  // Words of the alphabet that a Japanese text may hold: names of things, not sentences.
  const std::regex english_word("[A-Za-z]{3,}");
  const std::regex allowed("FIFO|NUL|JIS|journal|tbl");
  for (int i = 0; i <= static_cast<int>(FileFault::kCannotReadFirstRecord); ++i) {
    SCOPED_TRACE(i);
    const ProjectError e(static_cast<FileFault>(i),
                         {"/作業/計算１", {"the field", "項目"}, "7", "8", "9"});
    const std::string english = e.what();
    EXPECT_EQ(english.rfind("/作業/計算１: ", 0), 0u) << english;
    const std::string& japanese = e.japanese();
    EXPECT_NE(japanese.find("。"), std::string::npos) << japanese;
    EXPECT_EQ(japanese.find("the field"), std::string::npos) << japanese;
    for (std::sregex_iterator w(japanese.begin(), japanese.end(), english_word), end; w != end;
         ++w) {
      EXPECT_TRUE(std::regex_match(w->str(), allowed)) << w->str() << " in " << japanese;
    }
  }
}

TEST(ProjectError, TheDetailOfAMessageBoxIsTheJapaneseText) {
  const ProjectError e(FileFault::kTableMissing, {"a.mdb", "tbl鉄筋"});
  EXPECT_STREQ(e.what(), "a.mdb: not a project database (the table tbl鉄筋 is missing)");
  EXPECT_EQ(DetailText(e),
            "ファイル a.mdb は擁壁計算のデータではありません（表 tbl鉄筋 がありません）。");
  EXPECT_EQ(DetailText(std::runtime_error("分母が0になります")), "分母が0になります");
}

}  // namespace
}  // namespace ktv
