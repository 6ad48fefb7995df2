#include "temp_files.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>

namespace ktv {
namespace {

void RemovePath(const std::string& path) {
  std::error_code ignore;
  std::filesystem::remove_all(path, ignore);
}

// QSaveFile's temporary files beside `target`: the name, a dot and six letters or digits.
std::vector<std::string> SaveFileTemporaries(const std::string& target) {
  namespace fs = std::filesystem;
  std::vector<std::string> found;
  const fs::path t(target);
  const std::string prefix = t.filename().string() + ".";
  std::error_code ec;
  fs::path folder = t.parent_path();
  if (folder.empty()) folder = ".";
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
    if (std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                    [](unsigned char c) { return std::isalnum(c) != 0; })) {
      found.push_back(it->path().string());
    }
  }
  return found;
}

}  // namespace

void TemporaryFiles::AddSaveFileOf(const std::string& target) {
  std::lock_guard lock(mutex_);
  if (removed_) return;
  save_files_.push_back({target, SaveFileTemporaries(target)});
}

void TemporaryFiles::Add(const std::string& path) {
  std::lock_guard lock(mutex_);
  if (removed_) {
    RemovePath(path);
    return;
  }
  paths_.push_back(path);
}

void TemporaryFiles::RemoveAll() {
  std::lock_guard lock(mutex_);
  removed_ = true;
  for (const std::string& path : paths_) RemovePath(path);
  paths_.clear();
  for (const SaveFileOf& s : save_files_) {
    for (const std::string& path : SaveFileTemporaries(s.target)) {
      if (std::find(s.existing.begin(), s.existing.end(), path) == s.existing.end()) {
        std::error_code ignore;
        std::filesystem::remove(path, ignore);
      }
    }
  }
  save_files_.clear();
}

void RemoveOnTermination(std::shared_ptr<TemporaryFiles> files, const char* program_name) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  // The signals are taken by sigwait in an ordinary thread, so the removal may use any function;
  // the thread holds the list of files itself, so it outlives main's own reference.
  std::thread([files = std::move(files), set, program_name] {
    int signal = 0;
    if (sigwait(&set, &signal) != 0) return;
    const std::unique_lock<std::mutex> hold = files->HoldRemoval();
    files->RemoveAll();
    std::fprintf(stderr, "%s: stopped by signal %d; temporary files removed\n", program_name,
                 signal);
    std::fflush(stderr);
    _exit(128 + signal);
  }).detach();
}

}  // namespace ktv
