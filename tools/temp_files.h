#pragma once
// Temporary files of the batch command that must not outlive it: removed on normal exit by their
// owners, and by RemoveOnTermination when the command is ended by SIGTERM or SIGINT.
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ktv {

class TemporaryFiles {
 public:
  // A file or a folder (removed with its content).
  void Add(const std::string& path);
  // The temporary files that QSaveFile may make beside `target` while replacing it: its name, a dot
  // and six letters or digits. Files of that form that exist already are left alone.
  void AddSaveFileOf(const std::string& target);
  // Removes every path added so far; later Adds are removed at once.
  void RemoveAll();
  // Held while a temporary file is made and added, and while an output is written through
  // QSaveFile. The removal on a signal waits for it and then holds it until the process ends, so
  // that no file is made between the removal and the end (a folder made but not yet added, or a
  // QSaveFile opened after the removal, would be left behind).
  [[nodiscard]] std::unique_lock<std::mutex> HoldRemoval() {
    return std::unique_lock<std::mutex>(making_);
  }

 private:
  std::mutex mutex_;
  std::mutex making_;
  struct SaveFileOf {
    std::string target;
    std::vector<std::string> existing;
  };
  std::vector<std::string> paths_;
  std::vector<SaveFileOf> save_files_;
  bool removed_ = false;
};

// Blocks SIGTERM and SIGINT in the calling thread, so in every thread it starts afterwards (call
// it first in main), and starts a thread that waits for them: on either signal it removes the
// files, says so on the standard error and ends the process with status 128 + the signal.
void RemoveOnTermination(std::shared_ptr<TemporaryFiles> files, const char* program_name);

}  // namespace ktv
