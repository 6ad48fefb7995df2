// ktv-fuzz-projects: the long mutation run of the batch command over many project files. Each case
// runs as its own process with a time bound, or (--in-process) in this process, many times faster,
// with the same checks; a crash then ends the run, and the case that was running is named in the
// file "current" of the work folder. See tools/fuzz-projects.
#include <signal.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "project_fuzz.h"

namespace {

using namespace ktv::fuzz;

int Usage() {
  std::fprintf(
      stderr,
      "usage: ktv-fuzz-projects (--tool KTV-PN3-REPORT | --in-process) --data FIXTURES-DIR "
      "--seed S --count N [--first I] [--bound SECONDS] [--work DIR] [--no-pdf | --pdf-every K]\n");
  return 1;
}

// Ends the process when a case of the in-process mode runs past its bound, naming the case: a
// hang cannot be stopped from inside.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds bound) : bound_(bound), thread_([this] { Watch(); }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  void Start(const std::string& which) {
    std::lock_guard lock(mutex_);
    which_ = which;
    deadline_ = std::chrono::steady_clock::now() + bound_;
    running_ = true;
    changed_.notify_all();
  }
  void Stop() {
    std::lock_guard lock(mutex_);
    running_ = false;
  }

 private:
  void Watch() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
      if (running_ && std::chrono::steady_clock::now() >= deadline_) {
        std::printf("FAIL %s: no end within %lld s\n", which_.c_str(),
                    static_cast<long long>(bound_.count()));
        std::fflush(stdout);
        _exit(2);
      }
      if (running_)
        changed_.wait_until(lock, deadline_);
      else
        changed_.wait(lock);
    }
  }
  const std::chrono::seconds bound_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string which_;
  std::chrono::steady_clock::time_point deadline_;
  bool running_ = false, stop_ = false;
  std::thread thread_;
};

}  // namespace

int main(int argc, char** argv) {
  std::string tool, data, work = "fuzz-work";
  uint64_t seed = 0, first = 0, count = 0;
  long bound = 30, pdf_every = 1;
  bool in_process = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (a == "--tool")
      tool = next();
    else if (a == "--in-process")
      in_process = true;
    else if (a == "--data")
      data = next();
    else if (a == "--work")
      work = next();
    else if (a == "--seed")
      seed = std::strtoull(next().c_str(), nullptr, 10);
    else if (a == "--first")
      first = std::strtoull(next().c_str(), nullptr, 10);
    else if (a == "--count")
      count = std::strtoull(next().c_str(), nullptr, 10);
    else if (a == "--bound")
      bound = std::strtol(next().c_str(), nullptr, 10);
    else if (a == "--no-pdf")
      pdf_every = 0;
    else if (a == "--pdf-every")
      pdf_every = std::strtol(next().c_str(), nullptr, 10);
    else
      return Usage();
  }
  if (tool.empty() == !in_process || data.empty() || count == 0 || bound <= 0 || pdf_every < 0)
    return Usage();
  // The in-process reports need fonts but no screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  std::filesystem::create_directories(work);
  const std::string runtime = std::filesystem::absolute(work + "/runtime").string();
  std::filesystem::create_directories(runtime);
  std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
  qputenv("XDG_RUNTIME_DIR", runtime.c_str());
  QGuiApplication app(argc, argv);

  const Runner subprocess = [&](const std::vector<std::string>& args, const std::string& tmpdir,
                                std::chrono::seconds limit) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TMPDIR", QString::fromStdString(tmpdir));
    QProcess p;
    p.setProcessEnvironment(env);
    QStringList list;
    for (const auto& a : args) list << QString::fromStdString(a);
    p.start(QString::fromStdString(tool), list);
    RunOutcome r;
    if (!p.waitForFinished(static_cast<int>(limit.count() * 1000))) {
      p.kill();
      p.waitForFinished();
      r.finished = false;
    }
    r.status = p.exitStatus() == QProcess::CrashExit ? 128 + SIGABRT : p.exitCode();
    if (p.exitStatus() == QProcess::CrashExit) r.err = "crashed";
    r.err += p.readAllStandardError().toStdString();
    return r;
  };

  const std::vector<FuzzFamily> families = Families(data);
  std::vector<std::map<int, long>> statuses(families.size());
  std::vector<long> family_cases(families.size());
  Watchdog watchdog{std::chrono::seconds(bound)};
  const auto start = std::chrono::steady_clock::now();
  auto seconds = [&] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  long failures = 0, cases = 0;
  for (uint64_t i = first; i < first + count; ++i) {
    // The families take turns, so that a run stopped early has tried them all. Each case has its
    // own seed, so that one case can be run again alone with --first.
    const size_t f = i % families.size();
    const FuzzFamily& family = families[f];
    const uint64_t case_seed = seed * 1000003ULL + i;
    char which[200];
    std::snprintf(which, sizeof which, "%s --seed %llu --first %llu", family.name.c_str(),
                  static_cast<unsigned long long>(seed), static_cast<unsigned long long>(i));
    if (in_process) {
      std::ofstream(work + "/current", std::ios::trunc) << which << "\n";
      watchdog.Start(which);
    }
    const CaseReport r =
        RunCase(family, case_seed, work + "/case", in_process ? InProcess : subprocess,
                std::chrono::seconds(bound), pdf_every > 0 && i % pdf_every == 0);
    watchdog.Stop();
    ++cases;
    ++family_cases[f];
    ++statuses[f][r.status];
    if (!r.problems.empty()) {
      ++failures;
      std::printf("FAIL %s: %s\n", which, r.mutation.c_str());
      for (const auto& p : r.problems) std::printf("  %s\n", p.c_str());
      std::fflush(stdout);
    }
    if (cases % 1000 == 0) {
      std::printf("... %ld cases, %ld failing, %.0f s\n", cases, failures, seconds());
      std::fflush(stdout);
    }
  }
  for (size_t f = 0; f < families.size(); ++f) {
    std::printf("%s: %ld cases;", families[f].name.c_str(), family_cases[f]);
    for (const auto& [status, n] : statuses[f]) std::printf(" status %d: %ld;", status, n);
    std::printf("\n");
  }
  std::printf("seed %llu: %ld cases (%s), %ld failing, %.0f s\n",
              static_cast<unsigned long long>(seed), cases,
              in_process ? "in-process" : "a process each", failures, seconds());
  std::filesystem::remove_all(work + "/case");
  std::filesystem::remove(work + "/current");
  return failures == 0 ? 0 : 2;
}
