#pragma once
// Temporary files of the program's copies and saves.
//
// A file is written whole under a temporary name beside its target and then renamed into place,
// so a save killed before the rename leaves the temporary file behind. Its name tells it apart:
// the target's name, ".ktv-", a random nonce, a tag and ".tmp". The tag is a keyed hash of the
// target's name and the nonce, under a key that only this installation holds (kept in its data
// folder). A later copy into the folder, or the next start for the data folder and the saved-data
// folder, removes the files whose tag it can compute. A file of the same form that the program
// did not make (by another installation, another program or the engineer) carries a tag it cannot
// compute and is left alone.
#include <QByteArray>
#include <functional>
#include <string>

namespace ktv {

// The name of the key file in the data folder.
inline constexpr const char* kTemporaryKeyFileName = "temporary-names.key";

class SaveTemporaries {
 public:
  // The key of the installation whose data folder this is, made there on first use. When the
  // folder cannot hold it, a key of this process only (see Private).
  static SaveTemporaries OfDataFolder(const std::string& data_folder);
  // A key of this process only: its temporary files are never recognised later. For copies into
  // a private folder, which is removed whole.
  static SaveTemporaries Private();

  // A new temporary name beside target, in the same folder.
  std::string NewNameFor(const std::string& target) const;
  // Whether path names one of our temporary files, or the journal, WAL or index that the engine
  // writes beside one.
  bool IsOurs(const std::string& path) const;
  // Removes our temporary files in folder (not in its subfolders). Returns how many.
  int RemoveStaleIn(const std::string& folder) const;

  // Runs just before a temporary file is renamed into place (a test stops the save there).
  std::function<void(const std::string& temporary)> before_rename;

 private:
  explicit SaveTemporaries(QByteArray key) : key_(std::move(key)) {}
  std::string Tag(const std::string& target_name, const std::string& nonce) const;
  QByteArray key_;
};

}  // namespace ktv
