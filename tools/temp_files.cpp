#include "temp_files.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

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

}  // namespace

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
    files->RemoveAll();
    std::fprintf(stderr, "%s: stopped by signal %d; temporary files removed\n", program_name,
                 signal);
    std::fflush(stderr);
    _exit(128 + signal);
  }).detach();
}

}  // namespace ktv
