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
  // Removes every path added so far; later Adds are removed at once.
  void RemoveAll();

 private:
  std::mutex mutex_;
  std::vector<std::string> paths_;
  bool removed_ = false;
};

// Blocks SIGTERM and SIGINT in the calling thread, so in every thread it starts afterwards (call
// it first in main), and starts a thread that waits for them: on either signal it removes the
// files, says so on the standard error and ends the process with status 128 + the signal.
void RemoveOnTermination(std::shared_ptr<TemporaryFiles> files, const char* program_name);

}  // namespace ktv
