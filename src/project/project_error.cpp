#include "project/project_error.h"

#include <array>
#include <string_view>

namespace ktv {
namespace {

struct FaultText {
  FileFault fault;
  const char* english;
  const char* japanese;
};

// Every text of a file failure, in both languages. {0} is the file, {1}… the fault's pieces. The
// Japanese texts leave out the engine's and the system's own words, which are English.
constexpr std::array kFaultTexts = {
    FaultText{FileFault::kEngine, "{0}: {1}",
              "プロジェクトファイル {0} の読み書き中にエラーが発生しました。"},
    FaultText{FileFault::kCannotReadTable, "{0}: cannot read table {1} ({2})",
              "プロジェクトファイル {0} の表 {1} を読み込めません。"},
    FaultText{FileFault::kCannotWriteTable, "{0}: cannot write {1}",
              "プロジェクトファイル {0} の表 {1} に書き込めません。"},
    FaultText{FileFault::kTextWhereNumber,
              "{0}: the field {1} holds a text (\"{2}\") where a number is expected",
              "プロジェクトファイル {0} の {1} に、数値ではなく文字列（\"{2}\"）が入っています。"},
    FaultText{FileFault::kBinaryWhereNumber,
              "{0}: the field {1} holds binary data ({2} bytes) where a number is expected",
              "プロジェクトファイル {0} の {1} に、数値ではなくバイナリデータ（{2} "
              "バイト）が入っています。"},
    FaultText{FileFault::kOutside16Bit,
              "{0}: the field {1} holds {2}, a value outside the 16-bit range",
              "プロジェクトファイル {0} の {1} の値 {2} は、整数の範囲（-32768 ～ "
              "32767）の外にあります。"},
    FaultText{FileFault::kOutsideFloat,
              "{0}: the field {1} holds {2}, a number outside the 32-bit float range",
              "プロジェクトファイル {0} の {1} の値 {2} は、扱える数値の範囲の外にあります。"},
    FaultText{FileFault::kTextTooLong,
              "{0}: the field {1} holds a text of {2} characters, longer than the {3} the program "
              "takes",
              "プロジェクトファイル {0} の {1} の文字列は {2} 文字あり、扱える {3} "
              "文字を超えています。"},
    FaultText{FileFault::kUnknownFamily,
              "{0}: the stored wall family {1} is unknown ({2}; the families are 0 重力式, 1 "
              "もたれ式, 2 逆T形、L形、逆L形)",
              "プロジェクトファイル {0} の {2} に記録された擁壁の種類 {1} "
              "は、どの形式でもありません（0 重力式、1 もたれ式、2 逆T形、L形、逆L形）。"},
    FaultText{FileFault::kLinkLoop, "{0}: the path is a loop of symbolic links, not a file",
              "{0} はシンボリックリンクが循環していて、ファイルに行き着きません。"},
    FaultText{FileFault::kUnreachable, "{0}: the file cannot be reached ({1})",
              "ファイル {0} にアクセスできません。"},
    FaultText{FileFault::kIsFolder, "{0}: is a folder, not a project file",
              "{0} はフォルダです。プロジェクトファイルではありません。"},
    FaultText{FileFault::kIsPipe, "{0}: is a pipe (FIFO), not a project file",
              "{0} はパイプ（FIFO）です。プロジェクトファイルではありません。"},
    FaultText{FileFault::kIsDevice, "{0}: is a device or socket, not a project file",
              "{0} はデバイスまたはソケットです。プロジェクトファイルではありません。"},
    FaultText{FileFault::kNoSuchFile, "{0}: the file does not exist",
              "ファイル {0} がありません。"},
    FaultText{FileFault::kHalfWritten,
              "{0}: the file was left half-written by a program that ended while writing it (its "
              "rollback journal {1}-journal lies beside it); it has been left as it is",
              "プロジェクトファイル {0} "
              "は、書き込みの途中で終了したプログラムが書きかけのまま残したものです（ロールバック"
              "ジャーナル {1}-journal が残っています）。ファイルには手を付けていません。"},
    FaultText{FileFault::kLocked, "{0}: the file is locked by another program ({1})",
              "プロジェクトファイル {0} は、ほかのプログラムが使用中です。"},
    FaultText{FileFault::kSchemaTooSlow,
              "{0}: not a project database (its schema takes too long to read)",
              "ファイル {0} "
              "は擁壁計算のデータではありません（表の構成の読み込みに時間がかかりすぎます）。"},
    FaultText{FileFault::kNotADatabase, "{0}: not a project database ({1})",
              "ファイル {0} は擁壁計算のデータではありません。"},
    FaultText{FileFault::kCannotRead, "{0}: the file cannot be read ({1})",
              "ファイル {0} を読み込めません。"},
    FaultText{FileFault::kCannotOpen, "{0}: the file cannot be opened ({1})",
              "ファイル {0} を開けません。"},
    FaultText{FileFault::kHoldsTrigger, "{0}: not a project database (it holds the trigger {1})",
              "ファイル {0} は擁壁計算のデータではありません（トリガー {1} があります）。"},
    FaultText{FileFault::kNotATable, "{0}: not a project database ({1} is not a table)",
              "ファイル {0} は擁壁計算のデータではありません（{1} が表ではありません）。"},
    FaultText{FileFault::kTableMissing, "{0}: not a project database (the table {1} is missing)",
              "ファイル {0} は擁壁計算のデータではありません（表 {1} がありません）。"},
    FaultText{FileFault::kFieldMissing, "{0}: not a project database (the field {1} is missing)",
              "ファイル {0} は擁壁計算のデータではありません（項目 {1} がありません）。"},
    FaultText{FileFault::kCannotDeleteOld, "{0}: cannot delete the old file ({1})",
              "古いファイル {0} を削除できません。"},
    FaultText{FileFault::kCannotCopy, "{0}: cannot copy {1} to it ({2})",
              "ファイル {1} を {0} に複写できません。"},
    FaultText{FileFault::kCopyStopped, "{0}: cannot copy {1} to it",
              "ファイル {1} を {0} に複写できません。"},
    FaultText{FileFault::kCannotWriteFile, "{0}: cannot write the file ({1})",
              "ファイル {0} に書き込めません。"},
    FaultText{FileFault::kCannotReplace, "{0}: {1}", "ファイル {0} を置き換えられません。"},
    FaultText{FileFault::kReadCopyIsWorking,
              "{0}: the read copy would replace the working database",
              "読み込み用の複写 {0} が作業用のデータと同じファイルです。"},
    FaultText{FileFault::kNoCp932Form, "{0}: the {1} holds a character that has no CP932 form",
              "ファイル {0} の{1}に、シフトJIS（CP932）で表せない文字があります。"},
    FaultText{FileFault::kNoCp932Conversion,
              "{0}: the CP932 text conversion is not available on this system",
              "このシステムではシフトJIS（CP932）の文字変換が使えないため、ファイル {0} "
              "を読み書きできません。"},
    FaultText{FileFault::kNulCharacter, "{0}: the {1} holds a NUL character",
              "ファイル {0} の{1}に NUL 文字があります。"},
    FaultText{FileFault::kNotCp932, "{0}: the {1} is not valid CP932 text",
              "ファイル {0} の{1}は、正しいシフトJIS（CP932）の文字列ではありません。"},
    FaultText{FileFault::kNotANumber, "{0}: the {1} is not a number",
              "ファイル {0} の{1}が数値ではありません。"},
    FaultText{FileFault::kDateOutside, "{0}: the {1} ({2}) lies outside the years 100 to 9999",
              "ファイル {0} の{1}（{2}）が、100年から9999年までの範囲の外にあります。"},
    FaultText{FileFault::kNotFinite, "{0}: the value of {1} is not a finite number",
              "ファイル {0} の{1}の値が、有限の数値ではありません。"},
    FaultText{FileFault::kOutsideList, "{0}: the {1} {2} lies outside its list ({3} to {4})",
              "ファイル {0} の{1} {2} が、一覧の範囲（{3} ～ {4}）の外にあります。"},
    FaultText{FileFault::kSpacingTooWide,
              "{0}: the {1} ({2}) does not fit the record's 16-bit field",
              "ファイル {0} の{1}（{2}）は、記録の整数の項目に収まりません。"},
    FaultText{FileFault::kNamesTooLong,
              "{0}: the project name and the office name are too long for the record (they take "
              "{1} bytes in CP932; {2} always fit)",
              "工事名と事務所名が長すぎて、ファイル {0} の記録に収まりません（シフトJISで {1} "
              "バイト、{2} バイトまでは必ず収まります）。"},
    FaultText{FileFault::kNameMismatch, "{0}: the {1} does not match its code (expected {2})",
              "ファイル {0} の{1}が、その番号と合いません（{2} のはずです）。"},
    FaultText{FileFault::kNotZeroOrOne, "{0}: the {1} holds {2}, not 0 or 1",
              "ファイル {0} の{1}の値 {2} は、0 でも 1 でもありません。"},
    FaultText{FileFault::kNotEitherCode, "{0}: the {1} holds {2}, not {3} or {4}",
              "ファイル {0} の{1}の値 {2} は、{3} でも {4} でもありません。"},
    FaultText{FileFault::kUnusedDimension, "{0}: the unused dimension index {1} is not 0",
              "ファイル {0} の寸法の未使用の位置 {1} が 0 ではありません。"},
    FaultText{FileFault::kReservedNotZero, "{0}: the {1} is not 0",
              "ファイル {0} の{1}が 0 ではありません。"},
    FaultText{FileFault::kReserveNotZero, "{0}: the {1} is not all 0",
              "ファイル {0} の{1}が、すべて 0 ではありません。"},
    FaultText{FileFault::kDataAfterRecord, "{0}: the record holds data after its last field",
              "ファイル {0} の記録の最後の項目の後に、データがあります。"},
    FaultText{FileFault::kRecordCutShort, "{0}: the record is cut short ({1} of {2} bytes)",
              "ファイル {0} の記録が途中で切れています（{2} バイトのうち {1} バイト）。"},
    FaultText{FileFault::kRecordEndsInside, "{0}: the record ends inside the {1}",
              "ファイル {0} の記録が、{1}の途中で終わっています。"},
    FaultText{FileFault::kTextRunsPast,
              "{0}: the length of the {1} ({2} bytes) runs past the end of the record",
              "ファイル {0} の{1}の長さ（{2} バイト）が、記録の終わりを越えています。"},
    FaultText{FileFault::kRecordTooLong, "{0}: the record is longer than {1} bytes",
              "ファイル {0} の記録が {1} バイトより長くなっています。"},
    FaultText{FileFault::kCannotReadFile, "{0}: cannot read the file{1}",
              "ファイル {0} を読み込めません。"},
    FaultText{FileFault::kNotAFile, "{0}: is not a file", "{0} はファイルではありません。"},
    FaultText{FileFault::kCannotOpenForRead, "{0}: cannot open the file for reading",
              "ファイル {0} を開けません。"},
    FaultText{FileFault::kFileTooShort,
              "{0}: the file is too short for a record ({1} bytes; a record takes {2})",
              "ファイル {0} は短すぎて、記録が入っていません（{1} バイト、記録は {2} "
              "バイトです）。"},
    FaultText{FileFault::kNotWholeRecords,
              "{0}: the file's size ({1} bytes) is not a whole number of {2}-byte records",
              "ファイル {0} の大きさ（{1} バイト）が、{2} バイトの記録の整数倍ではありません。"},
    FaultText{FileFault::kCannotReadFirstRecord, "{0}: cannot read the file's first record",
              "ファイル {0} の最初の記録を読み込めません。"},
};

const FaultText& TextOf(FileFault fault) {
  for (const FaultText& t : kFaultTexts) {
    if (t.fault == fault) return t;
  }
  throw std::logic_error("a file fault without its texts");
}

// The template with {n} replaced by the n-th piece; a piece that is not given reads as empty.
std::string Fill(std::string_view pattern, const std::vector<FileField>& pieces,
                 std::string FileField::*language) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 2] == '}' &&
        pattern[i + 1] >= '0' && pattern[i + 1] <= '9') {
      const auto n = static_cast<std::size_t>(pattern[i + 1] - '0');
      if (n < pieces.size()) out += pieces[n].*language;
      i += 2;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

}  // namespace

ProjectError::ProjectError(FileFault fault, const std::vector<FileField>& pieces)
    : ProjectError(Texts{Fill(TextOf(fault).english, pieces, &FileField::english),
                         Fill(TextOf(fault).japanese, pieces, &FileField::japanese)}) {}

ProjectError::ProjectError(const std::string& japanese) : ProjectError(Texts{japanese, japanese}) {}

ProjectError::ProjectError(Texts texts)
    : std::runtime_error(texts.english), japanese_(std::move(texts.japanese)) {}

std::string DetailText(const std::exception& e) {
  if (const auto* project = dynamic_cast<const ProjectError*>(&e)) return project->japanese();
  return e.what();
}

}  // namespace ktv
