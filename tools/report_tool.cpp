#include "report_tool.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <charconv>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <thread>

#include "app/format.h"
#include "app/json_number.h"
#include "app/messages.h"
#include "app/safe_text.h"
#include "app/standard_sizes.h"
#include "app/units.h"
#include "families/proposal/section_proposal.h"
#include "project/older_format_record.h"
#include "project/project_database.h"
#include "report/report_build.h"
#include "report/report_render.h"
#include "report/report_writer.h"
#include "summary_table.h"

namespace ktv {
namespace {

constexpr const char* kName = "ktv-pn3-report";

struct Options {
  std::vector<std::string> projects;  // files, and folders in the form for many projects
  std::string pdf;
  std::string json;
  std::string text;
  std::optional<std::string> author;
  QDateTime date;  // invalid: the time of writing
  // What the cover prints besides the project's name and date (never the settings store, so that
  // the same project and options give the same report under every account).
  CoverOptions cover;
  bool help = false;
  // The form for many projects: -d and/or --summary.
  bool many = false;
  std::string dir;
  std::string summary;
  bool also_json = false;
  bool also_text = false;
  // The design assistant: the proposed project's file and the values it may change.
  std::string propose;
  std::vector<GridAxis> vary;
  int jobs = 0;  // projects built at once; 0: one per core
};

// NAME=LO:HI:STEP of --vary.
std::optional<GridAxis> ParseAxis(const std::string& text) {
  const size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0) return std::nullopt;
  GridAxis axis;
  axis.name = text.substr(0, eq);
  std::istringstream in(text.substr(eq + 1));
  char c1 = 0, c2 = 0;
  if (!(in >> axis.lo >> c1 >> axis.hi >> c2 >> axis.step) || c1 != ':' || c2 != ':') {
    return std::nullopt;
  }
  in >> std::ws;
  if (!in.eof() || axis.Count() <= 0) return std::nullopt;
  return axis;
}

// One line: messages never carry their own line breaks, control bytes or invalid UTF-8 (from a
// damaged file) into the output.
std::string OneLine(const std::string& text) { return OneLineText(text); }

// ISO 8601 with seconds; a time without an offset is UTC, so that the same option gives the
// same file on every machine.
QDateTime ParseDate(const std::string& text) {
  const QString s = QString::fromStdString(text);
  const QRegularExpression form(
      QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d(Z|[+-]\d\d:\d\d)?$)"));
  if (!form.match(s).hasMatch()) return {};
  QDateTime date = QDateTime::fromString(s, Qt::ISODate);
  if (date.isValid() && date.timeSpec() == Qt::LocalTime) date.setTimeSpec(Qt::UTC);
  return date;
}

// -d or --summary, not as the value of another option, asks for the form for many projects, in
// which --json and --text are switches.
bool ManyProjectsForm(const std::vector<std::string>& args) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "-d" || a == "--dir" || a == "--summary") return true;
    if (a == "-o" || a == "--output" || a == "--author" || a == "--date" || a == "--office" ||
        a == "--cover-name" || a == "--cover-office" || a == "--cover-date" || a == "-j" ||
        a == "--jobs" || a == "--" || a == "--propose" || a == "--vary") {
      ++i;
    }
  }
  return false;
}

std::optional<Options> Parse(const std::vector<std::string>& args, std::string& error) {
  Options o;
  o.many = ManyProjectsForm(args);
  auto add_project = [&](const std::string& name) {
    if (o.many || o.projects.empty()) {
      o.projects.push_back(name);
      return true;
    }
    error = "more than one project file given (several projects need -d DIR or --summary FILE)";
    return false;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    // "--" takes the next argument as a project, so that a file name may begin with "-".
    if (a == "--") {
      if (i + 1 >= args.size()) {
        error = "-- needs a project file";
        return std::nullopt;
      }
      if (!add_project(args[++i])) return std::nullopt;
      continue;
    }
    auto value = [&](std::string& target, const char* what = "a file name") {
      if (i + 1 >= args.size()) {
        error = a + " needs " + what;
        return false;
      }
      target = args[++i];
      return true;
    };
    if (a == "-h" || a == "--help") {
      o.help = true;
    } else if (a == "-o" || a == "--output") {
      if (o.many) {
        error = a + " names the report of one project; with -d each report is DIR/NAME.pdf";
        return std::nullopt;
      }
      if (!value(o.pdf)) return std::nullopt;
    } else if (a == "--json") {
      if (o.many) {
        o.also_json = true;
      } else if (!value(o.json)) {
        return std::nullopt;
      }
    } else if (a == "--text") {
      if (o.many) {
        o.also_text = true;
      } else if (!value(o.text)) {
        return std::nullopt;
      }
    } else if (a == "-d" || a == "--dir") {
      if (!value(o.dir, "a folder")) return std::nullopt;
    } else if (a == "--summary") {
      if (!value(o.summary)) return std::nullopt;
    } else if (a == "-j" || a == "--jobs") {
      std::string count;
      if (!value(count, "a number of projects")) return std::nullopt;
      int n = 0;
      const auto [end, ec] = std::from_chars(count.data(), count.data() + count.size(), n);
      if (ec != std::errc() || end != count.data() + count.size() || n < 1 || n > 1024) {
        error = a + " " + count + ": give a whole number from 1 to 1024";
        return std::nullopt;
      }
      o.jobs = n;
    } else if (a == "--author") {
      std::string author;
      if (!value(author, "a name")) return std::nullopt;
      o.author = author;
    } else if (a == "--office") {
      if (!value(o.cover.office_name, "a name")) return std::nullopt;
    } else if (a == "--cover-name" || a == "--cover-office" || a == "--cover-date") {
      std::string answer;
      if (!value(answer, "yes or no")) return std::nullopt;
      if (answer != "yes" && answer != "no") {
        error = a + " " + answer + ": give yes or no";
        return std::nullopt;
      }
      bool& print = a == "--cover-name"     ? o.cover.print_project_name
                    : a == "--cover-office" ? o.cover.print_office_name
                                            : o.cover.print_date;
      print = answer == "yes";
    } else if (a == "--propose") {
      if (!value(o.propose)) return std::nullopt;
    } else if (a == "--vary") {
      std::string text;
      if (!value(text, "NAME=LO:HI:STEP")) return std::nullopt;
      const std::optional<GridAxis> axis = ParseAxis(text);
      if (!axis) {
        error = "--vary " + text + ": give NAME=LO:HI:STEP with LO <= HI and STEP > 0";
        return std::nullopt;
      }
      o.vary.push_back(*axis);
    } else if (a == "--date") {
      std::string date;
      if (!value(date, "a date")) return std::nullopt;
      o.date = ParseDate(date);
      if (!o.date.isValid()) {
        error = "--date " + date + ": not a date YYYY-MM-DDTHH:MM:SS[+HH:MM]";
        return std::nullopt;
      }
    } else if (!a.empty() && a[0] == '-') {
      error = "unknown option " + a;
      return std::nullopt;
    } else if (!add_project(a)) {
      return std::nullopt;
    }
  }
  if (o.help) return o;
  if (o.projects.empty()) {
    error = "no project file given";
    return std::nullopt;
  }
  if (o.many) {
    if ((o.also_json || o.also_text) && o.dir.empty()) {
      error = "--json and --text write beside the reports: give -d DIR";
      return std::nullopt;
    }
    if (!o.summary.empty() && !SummaryFormatOf(o.summary)) {
      error = "--summary " + o.summary + ": the name must end in .xlsx, .csv or .pdf";
      return std::nullopt;
    }
    return o;
  }
  if (!o.vary.empty() && o.propose.empty()) {
    error = "--vary needs --propose OUT.mdb";
    return std::nullopt;
  }
  if (!o.propose.empty()) {
    if (o.many) {
      error = "--propose takes one project";
      return std::nullopt;
    }
    return o;
  }
  if (o.pdf.empty() && o.json.empty() && o.text.empty()) {
    error = "nothing to write: give -o, --json or --text";
    return std::nullopt;
  }
  return o;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (std::filesystem::equivalent(a, b, ec)) return true;
  return std::filesystem::absolute(a, ec).lexically_normal() ==
         std::filesystem::absolute(b, ec).lexically_normal();
}

// A regular file is replaced whole through QSaveFile, so that a failed write leaves any earlier
// file as it was; a symbolic link keeps pointing at the new file. Anything that is not a regular
// file (a pipe, a device) is written directly.
void WriteOutput(const std::string& path, const QByteArray& content) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  const QString name = QString::fromStdString(path);
  if (fs::exists(st) && !fs::is_regular_file(st)) {
    QFile f(name);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size() || !f.flush()) {
      throw std::runtime_error(path + ": cannot write the file (" + f.errorString().toStdString() +
                               ")");
    }
    return;
  }
  QSaveFile f(name);
  if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size() || !f.commit()) {
    throw std::runtime_error(path + ": cannot write the file (" + f.errorString().toStdString() +
                             ")");
  }
}

// "-" is the standard output.
void WriteTextFile(const std::string& path, const std::string& content, std::ostream& out) {
  if (path == "-") {
    out << content;
    out.flush();
    if (!out) throw std::runtime_error("cannot write to the standard output");
    return;
  }
  WriteOutput(path, QByteArray::fromStdString(content));
}

}  // namespace

std::string ReportToolUsage() {
  return R"(usage: ktv-pn3-report PROJECT.mdb [-o REPORT.pdf] [--json VALUES.json] [--text REPORT.txt]
       ktv-pn3-report PROJECT.mdb|FOLDER... [-d DIR [--json] [--text]] [--summary FILE]
       ktv-pn3-report PROJECT.mdb --propose OUT.mdb [--vary NAME=LO:HI:STEP ...]
       ktv-pn3-report -- -PROJECT.mdb OPTIONS   (a name that begins with "-" follows "--")

Builds the calculation report of the project's stored wall family (cover, header and chapters,
as the preview does) in the project's unit system, without a window. The project file is read
from a private copy and never changed.

  -o, --output FILE  the report as PDF (A4, PDF/A-1b, bookmarks at the chapters and sections)
  --office NAME      the office name (事務所名) of the cover (default: none)
  --cover-name yes|no    print the project name (工事名) on the cover (default: yes)
  --cover-office yes|no  print the office-name line on the cover (default: yes)
  --cover-date yes|no    print the date line on the cover (default: yes)
  --author NAME      the author of the PDF (default: the office name when the cover prints it)
  --date DATE        the creation date of the PDF, YYYY-MM-DDTHH:MM:SS (UTC unless an offset
                     +HH:MM follows; default: now); the same project and date give the same bytes
  --json FILE        every input and computed value of the calculation
  --text FILE        the text of the pages ("=== page N ===" before each page)
                     (FILE "-" of --json and --text is the standard output)
  -h, --help         this text
  -- PROJECT         the next argument is a project file (or folder), also when it begins
                     with "-": ktv-pn3-report -- -p.mdb -o r.pdf

Many projects in one call (files, and folders for the *.mdb files in them, sorted by name):
  -d, --dir DIR      each report as DIR/NAME.pdf (NAME: the project file's name); --json and
                     --text then write DIR/NAME.json and DIR/NAME.txt as well
  --summary FILE     the summary table (総括表) of all projects: .xlsx, .csv (UTF-8) or .pdf
  -j, --jobs N       build N projects at once (default: one per core; -j 1 one after another);
                     the files and the lines told are the same for every N
Design assistant (断面の提案):
  --propose OUT.mdb  the lightest section on the grid that passes every check of the report,
                     written as a copy of the project (the project itself never changes);
                     prints the changed values and the objective (concrete m3/m; for the
                     cantilever wall concrete + 10 x steel t/m)
  --vary NAME=LO:HI:STEP  a value that may change: T1..T3, L1..L3, D0..D4, B (mm), Size00..
                     Size07 (stored bar size index), ctc00..ctc07 (mm); default: the family's
                     dimensions within +-50 %, 50 mm steps (10 mm for D)
  Status 7 when no section on the grid passes; the message names the checks that fail at
  every section.

A failed project is listed with its cause and the others go on; on a terminal each project's
outcome is shown. Status 6 when any project failed.

Exit status: 0 success; 1 bad arguments; 2 missing file or not a project; 3 the report of the
stored family is not built yet; 4 the report could not be built (undefined calculation,
database or writer error); 5 an output file could not be written; 6 one or more of many
projects failed; 7 no proposed section passes.

JSON keys (lengths m, angles as named, forces per metre run; stresses in the project's units,
N/mm2 or kg/cm2; other values in the project's units):
  family "gravity"; units "SI" or "CGS"
  inputs: gamma_c sigma_ck sigma_cac sigma_cat gamma phi_deg c tan_phi_b q qa Fsa
          H T00 T01 T02 beta_deg
  earth_pressure: phi_rad beta_rad alpha_rad alpha_deg delta_rad theta_rad Ka Ka_error
          PHA PVA PHq PVq PH PV
  self_weight: parts [{part A gamma_c V x M}], sum_A sum_V_w sum_M_w (sums of the printed
          three-decimal values)
  stability: B sum_V sum_H xP yP xP_PV yP_PH Mr M d e B6 Fs q1 q2
  body_stress: sigma_c1 sigma_c2
  verdicts: overturning sliding bearing body_stress ("OK" or "NG"),
          within_middle_third tension (true or false)
  family "leaning": inputs, geometry, earth_pressure, self_weight, stability, section_aa,
          section_bb (q_toe q_heel qB S M sigma sigma_shown tau tau_shown) and verdicts
          (listed in the README)
)";
}

namespace {

struct ProjectOutputs {
  std::string pdf;
  std::string json;
  std::string text;
};

struct ProjectRun {
  int status = kExitOk;
  std::string cause;  // one line; names the user's file where the fault lies in it
  SummaryProject summary;
};

// Builds one project's report from a private copy and writes the outputs asked for. The
// calculation's messages of a report that was written go to err after message_prefix.
ProjectRun RunProject(const std::string& project, const ProjectOutputs& outputs, const Options& o,
                      std::ostream& out, std::ostream& err, const std::string& message_prefix,
                      const FamilyEntryTable& entries, TemporaryFiles* temporaries) {
  ProjectRun run;
  run.summary.file = project;
  // Messages name the user's file, never the private copy read in its place.
  std::vector<std::pair<std::string, std::string>> shown_as;
  auto fail = [&](int status, std::string message) {
    for (const auto& [path, shown] : shown_as) {
      for (size_t at = message.find(path); at != std::string::npos;
           at = message.find(path, at + shown.size())) {
        message.replace(at, path.size(), shown);
      }
    }
    run.status = status;
    run.cause = OneLine(message);
    run.summary.error = run.cause;
    run.summary.checks.clear();
    return run;
  };

  // The build reads a private copy: the project file stays untouched whatever happens.
  std::unique_lock<std::mutex> making;
  if (temporaries) making = temporaries->HoldRemoval();
  QTemporaryDir work;
  if (!work.isValid()) return fail(kExitOutput, "cannot create a temporary folder");
  if (temporaries) temporaries->Add(work.path().toStdString());
  if (making) making.unlock();
  const std::string working = (work.path() + "/Data.mdb").toStdString();
  shown_as = {{working, project}};
  WallFamily family = WallFamily::Gravity;
  ReportContext context;
  try {
    // Read-only check and copy: the user's file, its journal and its WAL stay as they are.
    CheckProjectFile(project);
    CopyProjectFile(project, working);
    context.project = ReadProjectData(ProjectDatabase::Open(working));
    run.summary.units = context.project->IsSI() ? "SI" : "CGS";
    family = StoredWallFamily(*context.project);
    if (context.project->rebar)
      context.design_section_aa = context.project->rebar->design_section_aa;
  } catch (const UnknownFamilyError& e) {
    return fail(kExitNotBuilt, e.what());
  } catch (const std::exception& e) {
    return fail(kExitProject, e.what());
  }
  const int code = CodeOf(family);
  run.summary.form = NamesOf(family).list_name;
  if (!entries[code]) {
    return fail(kExitNotBuilt, project + ": the report of the wall family " + std::to_string(code) +
                                   " (" + std::string(NamesOf(family).list_name) +
                                   ") is not built yet");
  }

  RecordingMessageSink sink;
  WallChecks checks;
  WallFacts facts;
  context.working_database_path = working;
  context.cover = o.cover;
  context.sink = &sink;
  context.checks = &checks;
  context.facts = &facts;
  ReportWriter writer;
  const ReportBuildResult result = BuildReport(writer, family, context, entries);
  run.summary.project_name = result.project_name;
  std::string messages;
  for (const auto& m : sink.shown) messages += m.text + "; ";
  if (!result.complete) return fail(kExitBuild, messages + result.error);
  if (!outputs.json.empty() && result.results_json.empty()) {
    return fail(kExitUsage, "--json: the report of the wall family " + std::to_string(code) + " (" +
                                std::string(NamesOf(family).list_name) +
                                ") gives no results as JSON");
  }
  for (const auto& m : sink.shown) err << message_prefix << OneLine(m.text) << "\n";
  run.summary.checks = std::move(checks.rows);
  if (!facts.form.empty()) run.summary.form = facts.form;
  run.summary.h = facts.h;
  run.summary.b = facts.b;

  DocumentProperties properties = writer.Properties();
  if (o.author) properties.author = *o.author;
  if (o.date.isValid()) properties.created = o.date;
  writer.SetProperties(std::move(properties));
  try {
    if (!outputs.pdf.empty()) {
      // Drawn into the private folder first: the PDF writer takes a file name.
      QFile pdf(work.path() + "/report.pdf");
      WritePdf(writer, pdf.fileName());
      if (!pdf.open(QIODevice::ReadOnly))
        throw std::runtime_error(outputs.pdf + ": cannot write the file");
      if (temporaries) making = temporaries->HoldRemoval();
      WriteOutput(outputs.pdf, pdf.readAll());
    }
    if (temporaries && !making) making = temporaries->HoldRemoval();
    if (!outputs.text.empty()) WriteTextFile(outputs.text, DocumentText(writer), out);
    if (!outputs.json.empty()) WriteTextFile(outputs.json, result.results_json, out);
  } catch (const std::exception& e) {
    return fail(kExitOutput, e.what());
  }
  return run;
}

// Checked before any build, so that a report is not built for nothing: the folder of an output
// exists and the output is not a folder. Empty when fine, else the cause.
std::string OutputPlaceFault(const std::string& output) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path parent = fs::absolute(output, ec).parent_path();
  if (!fs::is_directory(parent, ec)) {
    return output + ": the folder " + parent.string() + " does not exist";
  }
  if (fs::is_directory(output, ec)) return output + ": is a folder, not a file";
  return "";
}

// QSaveFile's temporary files of an output are removed on a signal.
void WatchOutput(const std::string& output, TemporaryFiles* temporaries) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status st = fs::status(output, ec);
  if (temporaries && (!fs::exists(st) || fs::is_regular_file(st))) {
    temporaries->AddSaveFileOf(fs::exists(st) ? fs::canonical(output, ec).string() : output);
  }
}

int RunOneProject(const Options& o, std::ostream& out, std::ostream& err,
                  const FamilyEntryTable& entries, TemporaryFiles* temporaries) {
  auto fail = [&](int status, const std::string& message) {
    err << kName << ": " << OneLine(message) << "\n";
    return status;
  };
  const std::string& project = o.projects.front();
  const std::string* outputs[] = {&o.pdf, &o.json, &o.text};
  for (const std::string* output : outputs) {
    if (output->empty() || *output == "-") continue;
    if (SameFile(*output, project)) {
      return fail(kExitUsage, *output + ": an output file must not be the project file");
    }
    // The later output would replace the earlier one in the same file.
    for (const std::string* other : outputs) {
      if (other == output) break;
      if (!other->empty() && *other != "-" && SameFile(*output, *other)) {
        return fail(kExitUsage, *output + ": names the file of another output (" + *other + ")");
      }
    }
    if (const std::string fault = OutputPlaceFault(*output); !fault.empty()) {
      return fail(kExitOutput, fault);
    }
    WatchOutput(*output, temporaries);
  }
  const ProjectRun run = RunProject(project, {o.pdf, o.json, o.text}, o, out, err,
                                    std::string(kName) + ": message: ", entries, temporaries);
  if (run.status != kExitOk) return fail(run.status, run.cause);
  return kExitOk;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The project files given: files as they stand, folders as the *.mdb files in them (not their
// subfolders), sorted by name; a file given twice is built once.
std::vector<std::string> ExpandProjects(const std::vector<std::string>& given, std::string& error) {
  namespace fs = std::filesystem;
  std::vector<std::string> projects;
  std::set<std::string> seen;
  auto add = [&](const std::string& path) {
    std::error_code ec;
    const fs::path key = fs::weakly_canonical(path, ec);
    if (seen.insert(ec ? path : key.string()).second) projects.push_back(path);
  };
  for (const std::string& g : given) {
    std::error_code ec;
    if (!fs::is_directory(g, ec)) {
      add(g);
      continue;
    }
    std::vector<fs::path> found;
    for (fs::directory_iterator it(g, ec), end; !ec && it != end; it.increment(ec)) {
      std::error_code ignore;
      if (Lower(it->path().extension().string()) == ".mdb" && !it->is_directory(ignore)) {
        found.push_back(it->path());
      }
    }
    if (ec) {
      error = g + ": the folder cannot be read (" + ec.message() + ")";
      return {};
    }
    std::sort(found.begin(), found.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
    for (const fs::path& p : found) add(p.string());
  }
  return projects;
}

// The cause of a failed project as one line that starts with the project's file.
std::string NamedCause(const std::string& project, const std::string& cause) {
  return cause.rfind(project + ": ", 0) == 0 ? cause : project + ": " + cause;
}

void WriteSummary(const std::vector<SummaryProject>& rows, const Options& o,
                  TemporaryFiles* temporaries) {
  const SummaryFormat format = *SummaryFormatOf(o.summary);
  std::unique_lock<std::mutex> making;
  if (temporaries) making = temporaries->HoldRemoval();
  if (format == SummaryFormat::Csv) {
    WriteOutput(o.summary, QByteArray::fromStdString(SummaryCsv(rows)));
    return;
  }
  // Written into a private folder first (the writers take a file name), then put in place whole.
  QTemporaryDir work;
  if (!work.isValid()) throw std::runtime_error("cannot create a temporary folder");
  if (temporaries) temporaries->Add(work.path().toStdString());
  if (making) making.unlock();
  const QString path = work.path() + (format == SummaryFormat::Xlsx ? "/s.xlsx" : "/s.pdf");
  if (format == SummaryFormat::Xlsx) {
    WriteSummaryXlsx(rows, path.toStdString());
  } else {
    WriteSummaryPdf(rows, path.toStdString(), o.author,
                    o.date.isValid() ? o.date : QDateTime::currentDateTime());
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw std::runtime_error(o.summary + ": cannot write the file");
  if (temporaries) making = temporaries->HoldRemoval();
  WriteOutput(o.summary, file.readAll());
}

int RunManyProjects(const Options& o, std::ostream& out, std::ostream& err,
                    const FamilyEntryTable& entries, TemporaryFiles* temporaries, bool progress) {
  namespace fs = std::filesystem;
  auto fail = [&](int status, const std::string& message) {
    err << kName << ": " << OneLine(message) << "\n";
    return status;
  };
  std::string error;
  const std::vector<std::string> projects = ExpandProjects(o.projects, error);
  if (!error.empty()) return fail(kExitProject, error);
  if (projects.empty()) return fail(kExitUsage, "no project files (*.mdb) in the folders given");

  // Every output is checked before the first build: none may replace a project file or another
  // output.
  std::set<std::string> project_files;
  for (const std::string& p : projects) {
    std::error_code ec;
    project_files.insert(fs::weakly_canonical(p, ec).string());
  }
  std::map<std::string, std::string> written;  // output → the project or option that writes it
  auto claim = [&](const std::string& output, const std::string& by) -> std::string {
    std::error_code ec;
    const std::string key = fs::weakly_canonical(output, ec).string();
    if (project_files.count(key)) return output + ": an output file must not be a project file";
    auto [at, fresh] = written.emplace(key, by);
    if (!fresh) return output + ": written for both " + at->second + " and " + by;
    return "";
  };
  std::vector<ProjectOutputs> outputs(projects.size());
  if (!o.dir.empty()) {
    for (size_t i = 0; i < projects.size(); ++i) {
      const std::string stem = (fs::path(o.dir) / fs::path(projects[i]).stem()).string();
      outputs[i].pdf = stem + ".pdf";
      if (o.also_json) outputs[i].json = stem + ".json";
      if (o.also_text) outputs[i].text = stem + ".txt";
      for (const std::string* output : {&outputs[i].pdf, &outputs[i].json, &outputs[i].text}) {
        if (output->empty()) continue;
        if (const std::string fault = claim(*output, projects[i]); !fault.empty()) {
          return fail(kExitUsage, fault);
        }
      }
    }
  }
  if (!o.summary.empty()) {
    if (const std::string fault = claim(o.summary, "--summary"); !fault.empty()) {
      return fail(kExitUsage, fault);
    }
  }
  if (!o.dir.empty()) {
    std::error_code ec;
    if (!fs::exists(o.dir, ec)) fs::create_directories(o.dir, ec);
    if (!fs::is_directory(o.dir, ec)) {
      return fail(kExitOutput, o.dir + ": the output folder cannot be made");
    }
    for (const ProjectOutputs& po : outputs) {
      for (const std::string* output : {&po.pdf, &po.json, &po.text}) {
        if (output->empty()) continue;
        if (fs::is_directory(*output, ec)) {
          return fail(kExitOutput, *output + ": is a folder, not a file");
        }
        WatchOutput(*output, temporaries);
      }
    }
  }
  if (!o.summary.empty()) {
    if (const std::string fault = OutputPlaceFault(o.summary); !fault.empty()) {
      return fail(kExitOutput, fault);
    }
    WatchOutput(o.summary, temporaries);
  }

  // Projects are built on several threads, each into its own outputs; what each says is kept
  // and told here in project order, so that the lines are those of one project after another.
  struct Built {
    ProjectRun run;
    std::string out, err;
  };
  std::vector<std::optional<Built>> built(projects.size());
  std::mutex built_mutex;
  std::condition_variable built_ready;
  std::atomic<size_t> next{0};
  // Builds the next project not yet taken; false when every project is taken.
  auto build_next = [&] {
    const size_t i = next++;
    if (i >= projects.size()) return false;
    std::ostringstream project_out, project_err;
    ProjectRun run;
    try {
      run =
          RunProject(projects[i], outputs[i], o, project_out, project_err,
                     std::string(kName) + ": " + projects[i] + ": message: ", entries, temporaries);
    } catch (const std::exception& e) {
      run.summary.file = projects[i];
      run.status = kExitBuild;
      run.cause = run.summary.error = OneLine(e.what());
    }
    const std::lock_guard lock(built_mutex);
    built[i] = Built{std::move(run), project_out.str(), project_err.str()};
    built_ready.notify_all();
    return true;
  };
  const size_t cores = std::max(1u, std::thread::hardware_concurrency());
  const size_t jobs = std::min(projects.size(), o.jobs > 0 ? static_cast<size_t>(o.jobs) : cores);
  std::vector<std::thread> workers;
  struct Join {
    std::vector<std::thread>& threads;
    ~Join() {
      for (std::thread& t : threads) t.join();
    }
  } join{workers};
  if (jobs > 1) {
    // The first project is built alone, so that a good one registers what every report shares
    // (the report font and the formula glyphs) before the other threads start.
    build_next();
    for (size_t w = 1; w < jobs; ++w) {
      workers.emplace_back([&] {
        while (build_next()) {
        }
      });
    }
  }

  std::vector<SummaryProject> rows;
  size_t failures = 0;
  for (size_t i = 0; i < projects.size(); ++i) {
    const std::string& project = projects[i];
    const std::string counter =
        progress ? "[" + std::to_string(i + 1) + "/" + std::to_string(projects.size()) + "] " : "";
    std::unique_lock lock(built_mutex);
    while (!built[i]) {
      // This thread builds too while it waits for the project it tells next.
      if (next < projects.size()) {
        lock.unlock();
        build_next();
        lock.lock();
      } else {
        built_ready.wait(lock);
      }
    }
    Built b = std::move(*built[i]);
    built[i].reset();
    lock.unlock();
    ProjectRun& run = b.run;
    out << b.out;
    err << b.err;
    if (run.status != kExitOk) {
      ++failures;
      err << kName << ": " << counter << OneLine(NamedCause(project, run.cause)) << "\n";
      // The table names the file in its own column.
      if (run.summary.error.rfind(project + ": ", 0) == 0) {
        run.summary.error.erase(0, project.size() + 2);
      }
    } else if (progress) {
      err << kName << ": " << counter << project << ": ok\n";
    }
    err.flush();
    rows.push_back(std::move(run.summary));
  }
  int status = failures ? kExitSomeFailed : kExitOk;
  if (!o.summary.empty()) {
    try {
      WriteSummary(rows, o, temporaries);
    } catch (const std::exception& e) {
      fail(kExitOutput, e.what());
      status = kExitOutput;
    }
  }
  if (failures) {
    err << kName << ": " << failures << " of " << projects.size() << " projects failed\n";
  } else if (progress) {
    err << kName << ": " << projects.size() << " projects done\n";
  }
  return status;
}

// A value of the proposal as printed: six significant digits, no trailing zeros.
std::string Shown(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

// The design assistant: the lightest section on the grid that passes every check, written as a
// copy of the project with the new values. The input file is only read.
int RunProposal(const Options& o, std::ostream& out, std::ostream& err) {
  auto fail = [&](int status, const std::string& message) {
    err << kName << ": " << OneLine(message) << "\n";
    return status;
  };
  const std::string& project = o.projects.front();
  if (SameFile(o.propose, project)) {
    return fail(kExitUsage, o.propose + ": the proposal must not be written over the project");
  }
  ProjectData data;
  try {
    data = ReadProjectData(ProjectDatabase::OpenReadOnly(project));
  } catch (const std::exception& e) {
    return fail(kExitProject, e.what());
  }
  Proposal proposal;
  try {
    const std::vector<GridAxis> axes = o.vary.empty() ? DefaultAxes(data) : o.vary;
    if (axes.empty()) return fail(kExitUsage, project + ": no dimension to vary (give --vary)");
    proposal = ProposeSection(data, axes);
  } catch (const std::invalid_argument& e) {
    return fail(kExitUsage, std::string("--vary: ") + e.what());
  } catch (const std::exception& e) {
    return fail(kExitProject, e.what());
  }
  out << "candidates: " << proposal.tried << "\n";
  if (!proposal.found) {
    std::string failing;
    for (const std::string& name : proposal.failing_everywhere) {
      failing += (failing.empty() ? "" : ", ") + name;
    }
    return fail(kExitNoProposal,
                project + ": no section on the grid passes every check" +
                    (failing.empty() ? std::string(" (no section could be computed)")
                                     : "; failing everywhere: " + failing + " (widen the grid)"));
  }
  const std::vector<GridAxis> axes = o.vary.empty() ? DefaultAxes(data) : o.vary;
  for (size_t a = 0; a < axes.size(); ++a) {
    const double before = *FieldValue(data, axes[a].name);
    if (before == proposal.values[a]) continue;
    out << axes[a].name << ": " << Shown(before) << " -> " << Shown(proposal.values[a]) << "\n";
  }
  auto measures = [&](const char* what, const SectionMeasure& m) {
    out << what << ": objective " << Shown(m.objective) << ", concrete " << Shown(m.concrete)
        << " m3/m";
    if (m.steel > 0) out << ", steel " << Shown(m.steel) << " t/m";
    out << (m.passes ? "" : " (NG)") << "\n";
  };
  if (proposal.present.computed) measures("present", proposal.present);
  measures("proposed", proposal.proposed);
  // The input file copied and its tables rewritten under a temporary name, then renamed into
  // place: a failure leaves no half-written proposal.
  namespace fs = std::filesystem;
  const std::string temporary = o.propose + ".ktv-propose.tmp";
  try {
    fs::copy_file(project, temporary, fs::copy_options::overwrite_existing);
    {
      ProjectDatabase db = ProjectDatabase::Open(temporary);
      WriteProjectData(proposal.project, db);
    }
    fs::rename(temporary, o.propose);
  } catch (const std::exception& e) {
    std::error_code ec;
    fs::remove(temporary, ec);
    return fail(kExitOutput, o.propose + ": " + e.what());
  }
  return kExitOk;
}

}  // namespace

int RunReportTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  const FamilyEntryTable& entries, TemporaryFiles* temporaries, bool progress) {
  std::string parse_error;
  const std::optional<Options> parsed = Parse(args, parse_error);
  if (!parsed) {
    err << kName << ": " << OneLine(parse_error + " (see " + std::string(kName) + " --help)")
        << "\n";
    return kExitUsage;
  }
  const Options& o = *parsed;
  if (o.help) {
    out << ReportToolUsage();
    return kExitOk;
  }
  if (!o.propose.empty()) return RunProposal(o, out, err);
  if (o.many) return RunManyProjects(o, out, err, entries, temporaries, progress);
  return RunOneProject(o, out, err, entries, temporaries);
}

}  // namespace ktv
