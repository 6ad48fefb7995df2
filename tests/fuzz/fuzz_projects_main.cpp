// ktv-fuzz-projects: the long mutation run of the batch command over many project files, each
// run as its own process with a time bound. See tools/fuzz-projects.
#include <signal.h>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "project_fuzz.h"

namespace {

using namespace ktv::fuzz;

int Usage() {
  std::fprintf(stderr,
               "usage: ktv-fuzz-projects --tool KTV-PN3-REPORT --data FIXTURE-DIR --seed S "
               "--count N [--first I] [--bound SECONDS] [--work DIR] [--no-pdf]\n");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::string tool, data, work = "fuzz-work";
  uint64_t seed = 0, first = 0, count = 0;
  long bound = 30;
  bool pdf = true;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (a == "--tool")
      tool = next();
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
      pdf = false;
    else
      return Usage();
  }
  if (tool.empty() || data.empty() || count == 0 || bound <= 0) return Usage();
  std::filesystem::create_directories(work);
  const std::string runtime = std::filesystem::absolute(work + "/runtime").string();
  std::filesystem::create_directories(runtime);
  std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);

  const Runner subprocess = [&](const std::vector<std::string>& args, const std::string& tmpdir,
                                std::chrono::seconds limit) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TMPDIR", QString::fromStdString(tmpdir));
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime));
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

  const auto start = std::chrono::steady_clock::now();
  long failures = 0, cases = 0;
  for (const FuzzFamily& family : Families(data)) {
    std::map<int, long> statuses;
    for (uint64_t i = first; i < first + count; ++i) {
      // Each case has its own seed, so that one case can be run again alone with --first.
      const uint64_t case_seed = seed * 1000003ULL + i;
      const CaseReport r =
          RunCase(family, case_seed, work + "/case", subprocess, std::chrono::seconds(bound), pdf);
      ++cases;
      ++statuses[r.status];
      if (!r.problems.empty()) {
        ++failures;
        std::printf("FAIL %s --seed %llu --first %llu: %s\n", family.name.c_str(),
                    static_cast<unsigned long long>(seed), static_cast<unsigned long long>(i),
                    r.mutation.c_str());
        for (const auto& p : r.problems) std::printf("  %s\n", p.c_str());
        std::fflush(stdout);
      }
    }
    std::printf("%s: %llu cases;", family.name.c_str(), static_cast<unsigned long long>(count));
    for (const auto& [status, n] : statuses) std::printf(" status %d: %ld;", status, n);
    std::printf("\n");
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("seed %llu: %ld cases, %ld failing, %.0f s\n", static_cast<unsigned long long>(seed),
              cases, failures, seconds);
  std::filesystem::remove_all(work + "/case");
  return failures == 0 ? 0 : 2;
}
