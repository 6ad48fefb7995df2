#include "report_tool.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QString>
#include <QTemporaryDir>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "app/format.h"
#include "app/json_number.h"
#include "app/messages.h"
#include "app/safe_text.h"
#include "app/standard_sizes.h"
#include "app/units.h"
#include "project/older_format_record.h"
#include "project/project_database.h"
#include "report/report_build.h"
#include "report/report_render.h"
#include "report/report_writer.h"

namespace ktv {
namespace {

constexpr const char* kName = "ktv-pn3-report";

struct Options {
  std::string project;
  std::string pdf;
  std::string json;
  std::string text;
  std::optional<std::string> author;
  QDateTime date;  // invalid: the time of writing
  bool help = false;
};

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

std::optional<Options> Parse(const std::vector<std::string>& args, std::string& error) {
  Options o;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
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
      if (!value(o.pdf)) return std::nullopt;
    } else if (a == "--json") {
      if (!value(o.json)) return std::nullopt;
    } else if (a == "--text") {
      if (!value(o.text)) return std::nullopt;
    } else if (a == "--author") {
      std::string author;
      if (!value(author, "a name")) return std::nullopt;
      o.author = author;
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
    } else if (o.project.empty()) {
      o.project = a;
    } else {
      error = "more than one project file given";
      return std::nullopt;
    }
  }
  if (o.help) return o;
  if (o.project.empty()) {
    error = "no project file given";
    return std::nullopt;
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

// The window's per-family memory as a project file holds it: each stored shape in millimetres,
// the standard dimensions of a family without a stored shape. (The file keeps no shear key.)
std::array<FamilyDimensions, kWallFamilyCount> StoredDimensions(const ProjectDatabase& db) {
  std::array<FamilyDimensions, kWallFamilyCount> all{};
  for (int f = 0; f < kWallFamilyCount; ++f) {
    FamilyDimensions& m = all[f];
    m = StandardDimensions(f);
    const std::optional<ShapeRow> row = db.ReadShape(f);
    if (!row) continue;
    m = FamilyDimensions{};
    auto mm = [](float metres) { return StoreFloat(static_cast<double>(metres) * 1000.0); };
    for (int i = 0; i < 3; ++i) {
      m.t[i] = mm(row->t[i]);
      m.l[i] = mm(row->l[i]);
    }
    m.h = mm(row->h);
    for (int i = 0; i < 5; ++i) m.d[i] = mm(row->d[i]);
    m.b = mm(row->b);
    m.beta = row->beta;
  }
  return all;
}

}  // namespace

std::string ReportToolUsage() {
  return R"(usage: ktv-pn3-report PROJECT.mdb [-o REPORT.pdf] [--json VALUES.json] [--text REPORT.txt]

Builds the calculation report of the project's stored wall family (cover, header and chapters,
as the preview does) in the project's unit system, without a window. The project file is read
from a private copy and never changed.

  -o, --output FILE  the report as PDF (A4, PDF/A-1b, bookmarks at the chapters and sections)
  --author NAME      the author of the PDF (default: the office name when the cover prints it)
  --date DATE        the creation date of the PDF, YYYY-MM-DDTHH:MM:SS (UTC unless an offset
                     +HH:MM follows; default: now); the same project and date give the same bytes
  --json FILE        every input and computed value of the calculation
  --text FILE        the text of the pages ("=== page N ===" before each page)
                     (FILE "-" of --json and --text is the standard output)
  -h, --help         this text

Exit status: 0 success; 1 bad arguments; 2 missing file or not a project; 3 the report of the
stored family is not built yet; 4 the report could not be built (undefined calculation,
database or writer error); 5 an output file could not be written.

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

int RunReportTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  const FamilyEntryTable& entries, TemporaryFiles* temporaries) {
  // Messages name the user's file, never the private copy read in its place.
  std::vector<std::pair<std::string, std::string>> shown_as;
  auto fail = [&](int status, std::string message) {
    for (const auto& [path, shown] : shown_as) {
      for (size_t at = message.find(path); at != std::string::npos;
           at = message.find(path, at + shown.size())) {
        message.replace(at, path.size(), shown);
      }
    }
    err << kName << ": " << OneLine(message) << "\n";
    return status;
  };
  std::string parse_error;
  const std::optional<Options> parsed = Parse(args, parse_error);
  if (!parsed) {
    return fail(kExitUsage, parse_error + " (see " + std::string(kName) + " --help)");
  }
  const Options& o = *parsed;
  if (o.help) {
    out << ReportToolUsage();
    return kExitOk;
  }
  const std::string* outputs[] = {&o.pdf, &o.json, &o.text};
  for (const std::string* output : outputs) {
    if (output->empty() || *output == "-") continue;
    if (SameFile(*output, o.project)) {
      return fail(kExitUsage, *output + ": an output file must not be the project file");
    }
    // The later output would replace the earlier one in the same file.
    for (const std::string* other : outputs) {
      if (other == output) break;
      if (!other->empty() && *other != "-" && SameFile(*output, *other)) {
        return fail(kExitUsage, *output + ": names the file of another output (" + *other + ")");
      }
    }
    // Checked before the build, so that a report is not built for nothing.
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path parent = fs::absolute(*output, ec).parent_path();
    if (!fs::is_directory(parent, ec)) {
      return fail(kExitOutput, *output + ": the folder " + parent.string() + " does not exist");
    }
    if (fs::is_directory(*output, ec)) {
      return fail(kExitOutput, *output + ": is a folder, not a file");
    }
    const fs::file_status st = fs::status(*output, ec);
    if (temporaries && (!fs::exists(st) || fs::is_regular_file(st))) {
      temporaries->AddSaveFileOf(fs::exists(st) ? fs::canonical(*output, ec).string() : *output);
    }
  }

  // The build reads a private copy: the project file stays untouched whatever happens.
  QTemporaryDir work;
  if (!work.isValid()) return fail(kExitOutput, "cannot create a temporary folder");
  if (temporaries) temporaries->Add(work.path().toStdString());
  const std::string working = (work.path() + "/Data.mdb").toStdString();
  shown_as = {{working, o.project}, {(work.path() + "/Data3.mdb").toStdString(), o.project}};
  WallFamily family = WallFamily::Gravity;
  ReportContext context;
  try {
    // Read-only check and copy: the user's file, its journal and its WAL stay as they are.
    CheckProjectFile(o.project);
    CopyProjectFile(o.project, working);
    const ProjectDatabase db = ProjectDatabase::Open(working);
    family = StoredWallFamily(db);
    context.dimensions = StoredDimensions(db);
    if (auto rebar = db.ReadRebar()) context.design_section_aa = rebar->design_section_aa;
  } catch (const UnknownFamilyError& e) {
    return fail(kExitNotBuilt, e.what());
  } catch (const std::exception& e) {
    return fail(kExitProject, e.what());
  }
  const int code = CodeOf(family);
  if (!entries[code]) {
    return fail(kExitNotBuilt, o.project + ": the report of the wall family " +
                                   std::to_string(code) + " (" +
                                   std::string(NamesOf(family).list_name) + ") is not built yet");
  }

  RecordingMessageSink sink;
  context.working_database_path = working;
  context.read_copy_database_path = (work.path() + "/Data3.mdb").toStdString();
  context.sink = &sink;
  ReportWriter writer;
  const ReportBuildResult result = BuildReport(writer, family, context, entries);
  std::string messages;
  for (const auto& m : sink.shown) messages += m.text + "; ";
  if (!result.complete) return fail(kExitBuild, messages + result.error);
  if (!o.json.empty() && result.results_json.empty()) {
    return fail(kExitUsage, "--json: the report of the wall family " + std::to_string(code) + " (" +
                                std::string(NamesOf(family).list_name) +
                                ") gives no results as JSON");
  }
  for (const auto& m : sink.shown) err << kName << ": message: " << OneLine(m.text) << "\n";

  DocumentProperties properties = writer.Properties();
  if (o.author) properties.author = *o.author;
  if (o.date.isValid()) properties.created = o.date;
  writer.SetProperties(std::move(properties));
  try {
    if (!o.pdf.empty()) {
      // Drawn into the private folder first: the PDF writer takes a file name.
      QFile pdf(work.path() + "/report.pdf");
      WritePdf(writer, pdf.fileName());
      if (!pdf.open(QIODevice::ReadOnly))
        throw std::runtime_error(o.pdf + ": cannot write the file");
      WriteOutput(o.pdf, pdf.readAll());
    }
    if (!o.text.empty()) WriteTextFile(o.text, DocumentText(writer), out);
    if (!o.json.empty()) WriteTextFile(o.json, result.results_json, out);
  } catch (const std::exception& e) {
    return fail(kExitOutput, e.what());
  }
  return kExitOk;
}

}  // namespace ktv
