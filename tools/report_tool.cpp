#include "report_tool.h"

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
#include "families/gravity/gravity_reader.h"
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
  bool help = false;
};

// One line: messages never carry their own line breaks, control bytes or invalid UTF-8 (from a
// damaged file) into the output.
std::string OneLine(const std::string& text) { return OneLineText(text); }

std::optional<Options> Parse(const std::vector<std::string>& args, std::string& error) {
  Options o;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& target) {
      if (i + 1 >= args.size()) {
        error = a + " needs a file name";
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

// Writes a regular file under a temporary name beside it and renames it into place, so that a
// failed write leaves any earlier file as it was; a symbolic link keeps pointing at the new file.
// Anything that is not a regular file (a pipe, a device) is written directly.
template <typename WriteFn>
void WriteOutput(const std::string& path, WriteFn write) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  if (fs::exists(st) && !fs::is_regular_file(st)) {
    write(path);
    return;
  }
  const std::string target = fs::exists(st) ? fs::canonical(path, ec).string() : path;
  const std::string tmp = target + ".tmp";
  try {
    write(tmp);
  } catch (...) {
    std::error_code ignore;
    fs::remove(tmp, ignore);
    throw;
  }
  fs::rename(tmp, target, ec);
  if (ec) {
    std::error_code ignore;
    fs::remove(tmp, ignore);
    throw std::runtime_error(path + ": cannot write the file (" + ec.message() + ")");
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
  WriteOutput(path, [&](const std::string& tmp) {
    std::ofstream f(tmp, std::ios::binary);
    f << content;
    f.close();
    if (!f) throw std::runtime_error(path + ": cannot write the file");
  });
}

class JsonObject {
 public:
  JsonObject& Add(const char* key, float v) { return Raw(key, JsonNumber(v, key)); }
  JsonObject& Add(const char* key, bool v) { return Raw(key, v ? "true" : "false"); }
  JsonObject& Add(const char* key, const char* v) { return Raw(key, std::string("\"") + v + "\""); }
  JsonObject& Verdict(const char* key, bool ok) { return Add(key, ok ? "OK" : "NG"); }
  JsonObject& Raw(const char* key, const std::string& json) {
    s_ += (s_.empty() ? "" : ", ") + std::string("\"") + key + "\": " + json;
    return *this;
  }
  std::string Str() const { return "{" + s_ + "}"; }

 private:
  std::string s_;
};

}  // namespace

std::string ReportToolUsage() {
  return R"(usage: ktv-pn3-report PROJECT.mdb [-o REPORT.pdf] [--json VALUES.json] [--text REPORT.txt]

Builds the calculation report of the project's stored wall family (cover, header and chapters,
as the preview does) in the project's unit system, without a window. The project file is read
from a private copy and never changed.

  -o, --output FILE  the report as PDF (A4)
  --json FILE        every input and computed value of the calculation (gravity wall)
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
)";
}

std::string GravityJson(const GravityInputs& in, const GravityCalculation& calc) {
  const float factor = StressUnitFactor(in.is_si);
  auto shown = [&](float stress) {
    return static_cast<float>(static_cast<double>(stress) / factor);
  };
  const GravityEarthPressure& p = calc.earth;
  const SelfWeightTable& w = calc.results.self_weight;
  const ResultantAndChecks& r = calc.results.checks;
  const BodyStress& s = calc.results.body;

  JsonObject inputs;
  inputs.Add("gamma_c", in.gamma_c)
      .Add("sigma_ck", shown(in.sigma_ck))
      .Add("sigma_cac", shown(in.sigma_cac))
      .Add("sigma_cat", shown(in.sigma_cat))
      .Add("gamma", in.gamma)
      .Add("phi_deg", in.phi)
      .Add("c", in.c)
      .Add("tan_phi_b", in.tan_phi_b)
      .Add("q", in.q)
      .Add("qa", in.qa)
      .Add("Fsa", in.fsa)
      .Add("H", in.h)
      .Add("T00", in.t00)
      .Add("T01", in.t01)
      .Add("T02", in.t02)
      .Add("beta_deg", in.beta);
  JsonObject earth;
  earth.Add("phi_rad", p.phi_r)
      .Add("beta_rad", p.beta_r)
      .Add("alpha_rad", p.alpha)
      .Add("alpha_deg", RadToDeg(p.alpha))
      .Add("delta_rad", p.delta)
      .Add("theta_rad", p.theta)
      .Add("Ka", p.ka)
      .Add("Ka_error", p.ka_failed)
      .Add("PHA", p.pha)
      .Add("PVA", p.pva)
      .Add("PHq", p.phq)
      .Add("PVq", p.pvq)
      .Add("PH", p.ph)
      .Add("PV", p.pv);
  std::string parts = "[";
  for (int i = 0; i < w.count; ++i) {
    const SelfWeightRow& row = w.rows[i];
    JsonObject part;
    part.Add("part", row.name)
        .Add("A", row.a)
        .Add("gamma_c", row.gamma_c)
        .Add("V", row.v)
        .Add("x", row.x)
        .Add("M", row.m);
    parts += (i ? ", " : "") + part.Str();
  }
  parts += "]";
  JsonObject weight;
  weight.Raw("parts", parts).Add("sum_A", w.sum_a).Add("sum_V_w", w.sum_v).Add("sum_M_w", w.sum_m);
  JsonObject stability;
  stability.Add("B", r.b)
      .Add("sum_V", r.sum_v)
      .Add("sum_H", r.sum_h)
      .Add("xP", r.xp)
      .Add("yP", r.yp)
      .Add("xP_PV", r.m_pv)
      .Add("yP_PH", r.m_ph)
      .Add("Mr", r.mr)
      .Add("M", r.m)
      .Add("d", r.d)
      .Add("e", r.e)
      .Add("B6", r.b6)
      .Add("Fs", r.fs)
      .Add("q1", r.q1)
      .Add("q2", r.q2);
  JsonObject body;
  body.Add("sigma_c1", shown(s.sigma_c1)).Add("sigma_c2", shown(s.sigma_c2));
  JsonObject verdicts;
  verdicts.Verdict("overturning", r.overturning_ok)
      .Verdict("sliding", r.sliding_ok)
      .Verdict("bearing", r.bearing_ok)
      .Verdict("body_stress", s.ok)
      .Add("within_middle_third", r.within_middle_third)
      .Add("tension", s.tension);
  JsonObject all;
  all.Add("family", "gravity")
      .Add("units", in.is_si ? "SI" : "CGS")
      .Raw("inputs", inputs.Str())
      .Raw("earth_pressure", earth.Str())
      .Raw("self_weight", weight.Str())
      .Raw("stability", stability.Str())
      .Raw("body_stress", body.Str())
      .Raw("verdicts", verdicts.Str());
  return all.Str() + "\n";
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
      temporaries->Add((fs::exists(st) ? fs::canonical(*output, ec).string() : *output) + ".tmp");
    }
  }

  // The build reads a private copy: the project file stays untouched whatever happens.
  QTemporaryDir work;
  if (!work.isValid()) return fail(kExitOutput, "cannot create a temporary folder");
  if (temporaries) temporaries->Add(work.path().toStdString());
  const std::string working = (work.path() + "/Data.mdb").toStdString();
  shown_as = {{working, o.project}, {(work.path() + "/Data3.mdb").toStdString(), o.project}};
  int family = kGravity;
  try {
    // Read-only check and copy: the user's file, its journal and its WAL stay as they are.
    CheckProjectFile(o.project);
    CopyProjectFile(o.project, working);
    family = StoredWallFamily(ProjectDatabase::Open(working));
  } catch (const UnknownFamilyError& e) {
    return fail(kExitNotBuilt, e.what());
  } catch (const std::exception& e) {
    return fail(kExitProject, e.what());
  }
  if (family < 0 || family >= kWallFamilyCount) {
    return fail(kExitNotBuilt,
                o.project + ": the stored wall family " + std::to_string(family) + " is unknown");
  }
  if (!entries[family]) {
    return fail(kExitNotBuilt,
                o.project + ": the report of the wall family " + std::to_string(family) + " (" +
                    std::string(OlderFormatFamilyName(family)) + ") is not built yet");
  }
  if (!o.json.empty() && family != kGravity) {
    return fail(kExitUsage, "--json is available for the gravity wall (重力式) only");
  }

  RecordingMessageSink sink;
  ReportContext context;
  context.working_database_path = working;
  context.read_copy_database_path = (work.path() + "/Data3.mdb").toStdString();
  context.sink = &sink;
  ReportWriter writer;
  const ReportBuildResult result = BuildReport(writer, family, context, entries);
  std::string messages;
  for (const auto& m : sink.shown) messages += m.text + "; ";
  if (!result.complete) return fail(kExitBuild, messages + result.error);
  // Every output is made before any is written, so that a refused value writes nothing.
  std::string json;
  try {
    if (!o.json.empty()) {
      const GravityInputs in = ReadGravityInputs(ProjectDatabase::Open(working));
      json = GravityJson(in, ComputeGravity(in));
    }
  } catch (const std::exception& e) {
    return fail(kExitBuild, e.what());
  }
  for (const auto& m : sink.shown) err << kName << ": message: " << OneLine(m.text) << "\n";

  try {
    if (!o.pdf.empty()) {
      WriteOutput(o.pdf,
                  [&](const std::string& tmp) { WritePdf(writer, QString::fromStdString(tmp)); });
    }
    if (!o.text.empty()) WriteTextFile(o.text, DocumentText(writer), out);
    if (!o.json.empty()) WriteTextFile(o.json, json, out);
  } catch (const std::exception& e) {
    return fail(kExitOutput, e.what());
  }
  return kExitOk;
}

}  // namespace ktv
