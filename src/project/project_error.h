#pragma once
// Failures of a project file or of the older-format record file.
//
// Every failure has a kind (FileFault) and the pieces that name it (the file first, then field
// names, values, the engine's own words). One table in project_error.cpp turns them into the
// English line that the batch command prints and logs keep, and into the Japanese text that the
// window's message box shows after "詳細：".
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace ktv {

enum class FileFault {
  // The project database.
  kEngine,             // the engine's own message: {1}
  kCannotReadTable,    // table {1}, engine message {2}
  kCannotWriteTable,   // table {1}
  kTextWhereNumber,    // field {1}, text excerpt {2}
  kBinaryWhereNumber,  // field {1}, byte count {2}
  kOutside16Bit,       // field {1}, value {2}
  kOutsideFloat,       // field {1}, value {2}
  kTextTooLong,        // field {1}, characters {2}, limit {3}
  kUnknownFamily,      // code {1}, field {2}
  kLinkLoop,           //
  kUnreachable,        // system message {1}
  kIsFolder,           //
  kIsPipe,             //
  kIsDevice,           //
  kNoSuchFile,         //
  kHalfWritten,        // file name {1}
  kLocked,             // engine message {1}
  kSchemaTooSlow,      //
  kNotADatabase,       // engine message {1}
  kCannotRead,         // engine message {1}
  kCannotOpen,         // engine message {1}
  kHoldsTrigger,       // trigger {1}
  kNotATable,          // table {1}
  kTableMissing,       // table {1}
  kFieldMissing,       // field {1}
  kCannotDeleteOld,    // system message {1}
  kCannotCopy,         // source {1}, reason {2}
  kCopyStopped,        // source {1}
  kCannotWriteFile,    // reason {1}
  kCannotReplace,      // system message {1}
  kReadCopyIsWorking,  //
  // The older-format record file. Fields {1} are named by FileField.
  kNoCp932Form,        // field {1}
  kNoCp932Conversion,  //
  kNulCharacter,       // field {1}
  kNotCp932,           // field {1}
  kNotANumber,         // field {1}
  kDateOutside,        // field {1}, value {2}
  kNotFinite,          // field {1}
  kOutsideList,        // field {1}, value {2}, first {3}, last {4}
  kSpacingTooWide,     // field {1}, value {2}
  kNamesTooLong,       // bytes {1}, bytes that always fit {2}
  kNameMismatch,       // field {1}, expected name {2}
  kNotZeroOrOne,       // field {1}, value {2}
  kNotEitherCode,      // field {1}, value {2}, codes {3} and {4}
  kUnusedDimension,    // index {1}
  kReservedNotZero,    // field {1}
  kReserveNotZero,     // field {1}
  kDataAfterRecord,    //
  kRecordCutShort,     // bytes {1} of {2}
  kRecordEndsInside,   // field {1}
  kTextRunsPast,       // field {1}, length {2}
  kRecordTooLong,      // record length {1}
  kCannotReadFile,     // reason {1}, or none
  kNotAFile,           //
  kCannotOpenForRead,  //
  kFileTooShort,       // size {1}, record length {2}
  kNotWholeRecords,    // size {1}, record length {2}
  kCannotReadFirstRecord,
};

// A piece of a message: a file name or a value reads the same in both texts, a field of the
// record file has a name in each language.
struct FileField {
  FileField(std::string both) : english(both), japanese(std::move(both)) {}
  FileField(const char* both) : FileField(std::string(both)) {}
  FileField(std::string english_name, std::string japanese_name)
      : english(std::move(english_name)), japanese(std::move(japanese_name)) {}
  std::string english;
  std::string japanese;
};

// A database or file failure. what() is the English line that names the file and the cause;
// japanese() is the text for the engineer.
class ProjectError : public std::runtime_error {
 public:
  // The pieces: the file, then the fault's own pieces in the order of FileFault's comment.
  ProjectError(FileFault fault, const std::vector<FileField>& pieces);
  // A failure already worded for the engineer in Japanese: both texts are this one.
  explicit ProjectError(const std::string& japanese);

  const std::string& japanese() const { return japanese_; }

 private:
  struct Texts {
    std::string english, japanese;
  };
  explicit ProjectError(Texts texts);
  std::string japanese_;
};

// A stored wall family code (Kisk or 形状) that names none of the three families.
class UnknownFamilyError : public ProjectError {
 public:
  using ProjectError::ProjectError;
};

// The text that follows "詳細：" in a message box: the Japanese text of a project failure, the
// message of any other failure as it stands.
std::string DetailText(const std::exception& e);

}  // namespace ktv
