#pragma once
// Application-wide values fixed once at start-up.
#include <QString>
#include <array>
#include <optional>

namespace ktv {

struct Folders {
  QString program;     // prefix + "PRG"
  QString data;        // prefix + "DAT"
  QString saved_data;  // prefix + "保存データ"
};

struct StartupValues {
  Folders folders;
  QString working_database_path;    // DAT/Data.mdb
  QString scratch_database_path;    // DAT/Data2.mdb
  QString read_copy_database_path;  // DAT/Data3.mdb
  QString message_title;
  std::array<int, 4> report_font_sizes{10, 9, 9, 13};  // Title, Heading, Body, Cover
  bool import_mode = false;
};

// The folders named by a working directory: the prefix before the first "PRG" (found without
// regard to case; the directory keeps its own spelling, since Linux paths are case-sensitive).
// Nothing when the directory has no "PRG" or the PRG folder it names does not exist.
std::optional<Folders> FoldersFromWorkingDirectory(const QString& working_dir);

// Folder of the program inside the user's documents, holding its saved-data folder.
inline constexpr const char* kProgramFolderName = "KTV-PN3";

// The per-user fallback: PRG and DAT inside the application data folder, 保存データ inside the
// program's folder in the user's documents.
Folders PerUserFolders();

// Derives the folders from the working directory (falling back to the per-user folders) and
// creates DAT and 保存データ when missing. False when a folder cannot be created.
bool LocateFolders(const QString& working_dir, Folders& out);

// Start-up steps 2 to 6: title, folders, database paths, import mode and font sizes.
// Nothing when the folders cannot be created.
std::optional<StartupValues> PrepareStartupValues(const QString& working_dir);

// Window-kind codes of SetWindowCaption.
inline constexpr int kInputWindowKind = 3001;
inline constexpr int kPreviewWindowKind = 4001;
// Caption for a window kind; nothing for an unknown code (the caption stays unchanged).
std::optional<QString> WindowCaption(int kind);

// Name of the older-format record file whose presence switches on import mode.
inline constexpr const char* kOlderFormatFileName = "RWdata02.dat";

}  // namespace ktv
