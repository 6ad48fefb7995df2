#include "families/leaning/leaning_report.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <numbers>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "app/errors.h"
#include "app/messages.h"
#include "app/standard_sizes.h"
#include "families/family_table.h"
#include "families/leaning/leaning_json.h"
#include "families/leaning/leaning_reader.h"
#include "golden.h"
#include "leaning_fixture.h"
#include "page_inspect.h"
#include "project/project_database.h"
#include "report/chapter_kit.h"
#include "report/report_build.h"
#include "report/report_render.h"
#include "report/report_writer.h"

namespace ktv {
namespace {

using Runs = std::vector<std::string>;
using testing_util::Overlap;
using testing_util::RunBox;

const std::string kOut = KTV_LEANING_OUTPUT_DIR;
const std::string kData = KTV_LEANING_DATA_DIR;
const std::string kGolden = KTV_LEANING_GOLDEN_DIR;

bool InBody(const TextRun& r) { return r.y >= kPageMargin && r.y < kA4Height - kPageMargin; }

Runs BodyTexts(const Page& page) {
  Runs runs;
  for (const PageItem& item : page.items) {
    if (const auto* run = std::get_if<TextRun>(&item); run && InBody(*run)) {
      runs.push_back(run->text);
    }
  }
  return runs;
}

std::vector<std::string> PictureKeys(const Page& page) {
  std::vector<std::string> keys;
  for (const PageItem& item : page.items) {
    if (const auto* p = std::get_if<PictureItem>(&item)) keys.push_back(p->key);
  }
  return keys;
}

std::string Copy(const std::string& fixture, const std::string& name) {
  const std::string path = kOut + "/" + name;
  std::filesystem::copy_file(kData + "/" + fixture, path,
                             std::filesystem::copy_options::overwrite_existing);
  return path;
}

ReportContext Context(const std::string& db, MessageSink* sink = nullptr) {
  ReportContext ctx;
  ctx.working_database_path = db;
  ctx.sink = sink;
  return ctx;
}

ReportBuildResult Build(ReportWriter& w, const std::string& db, MessageSink* sink = nullptr) {
  return BuildReport(w, WallFamily::Leaning, Context(db, sink), ProgramFamilies().ReportEntries());
}

LeaningInputs StandardInputs() {
  return ReadLeaningInputs(ProjectDatabase::Open(Copy(kStandardLeaningSI, "inputs.mdb")));
}

// ---- the standard wall, both unit systems ----------------------------------------------------

TEST(StandardLeaningReport, SixPagesWithTheExactTextsPicturesAndResults) {
  const std::vector<std::vector<std::string>> pictures = {
      {"1_4_18"},
      {"1_4_23", "1_3_9", "1_4_1", "1_4_2", "1_4_3", "1_4_4", "1_4_5", "1_4_6"},
      {"1_3_3", "1_3_4", "1_3_5", "1_3_6", "1_3_7"},
      {"1_4_5", "1_4_6"},
      {"1_4_7", "1_4_8", "1_4_9", "1_4_20", "1_4_10", "1_4_11", "1_4_12"},
      {"1_4_13", "1_4_21", "1_4_14", "1_4_22", "1_4_15", "1_4_16", "1_4_17"}};
  for (const char* units : {"SI", "CGS"}) {
    SCOPED_TRACE(units);
    const bool si = std::string(units) == "SI";
    const std::string db =
        Copy(si ? kStandardLeaningSI : kStandardLeaningCGS, std::string("std_") + units + ".mdb");
    ReportWriter w;
    const ReportBuildResult r = Build(w, db);
    ASSERT_TRUE(r.complete) << r.error;
    ASSERT_EQ(w.Pages().size(), 7u);  // the cover and six report pages
    std::string text;
    for (size_t p = 1; p < w.Pages().size(); ++p) text += PageText(w.Pages()[p]);
    testing_util::ExpectMatchesGolden(kGolden + "/standard_leaning_" + units + ".txt", text);
    // Every numbered heading is a bookmark.
    std::vector<std::string> marked;
    for (const OutlineEntry& e : w.Outline()) marked.push_back(e.title);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      if (OutlineLevel(line) == 0) continue;
      EXPECT_NE(std::find(marked.begin(), marked.end(), line), marked.end()) << line;
    }
    for (size_t p = 0; p < pictures.size(); ++p) {
      EXPECT_EQ(PictureKeys(w.Pages()[p + 1]), pictures[p]) << "page " << p + 1;
    }
    // The results come from the run that wrote the chapters.
    const LeaningInputs in = ReadLeaningInputs(ProjectDatabase::Open(db));
    EXPECT_EQ(r.results_json, LeaningJson(in, ComputeLeaning(in)));
  }
}

TEST(StandardLeaningReport, JsonCarriesThePrintedValuesUnderTheirKeys) {
  ReportWriter w;
  const ReportBuildResult r = Build(w, Copy(kStandardLeaningSI, "json.mdb"));
  ASSERT_TRUE(r.complete) << r.error;
  const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(r.results_json)).object();
  ASSERT_FALSE(o.isEmpty()) << r.results_json;
  EXPECT_EQ(o["family"].toString(), "leaning");
  EXPECT_EQ(o["units"].toString(), "SI");
  struct Case {
    const char* group;
    const char* key;
    double printed;  // as the report prints it (three decimals unless stated)
  };
  const Case cases[] = {
      {"earth_pressure", "Ka", 0.201},     {"earth_pressure", "PHA", 96.107},
      {"self_weight", "sum_V_w", 186.300}, {"stability", "d", 0.837},
      {"stability", "Fs", 1.085},          {"stability", "q1", 7.644},
      {"stability", "q2", 158.278},        {"section_aa", "x_A", 0.280},
      {"section_aa", "sigma2", 0.189},     {"section_bb", "q_toe", 158.278},
      {"section_bb", "q_heel", 7.644},     {"section_bb", "sigma_shown", 0.255},
      {"inputs", "tau_a", 0.23},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.group) + "." + c.key);
    const QJsonValue v = o[c.group].toObject()[c.key];
    ASSERT_TRUE(v.isDouble());
    EXPECT_NEAR(v.toDouble(), c.printed, 0.0005);
  }
  const QJsonObject verdicts = o["verdicts"].toObject();
  EXPECT_EQ(verdicts["sliding"].toString(), "NG");
  EXPECT_EQ(verdicts["bearing"].toString(), "OK");
  EXPECT_EQ(verdicts["section_bb_sigma"].toString(), "NG");  // the toe's own reaction
  EXPECT_EQ(verdicts["section_aa_within_middle_third"].toBool(true), false);
}

// ---- verdict lines and sentences --------------------------------------------------------------

Runs ChapterRuns(const LeaningInputs& in, const LeaningCalculation& calc) {
  ReportWriter w;
  w.PageSetup();
  w.BeginDocument();
  WriteLeaningChapters(w, in, calc, StandardDimensions(kLeaning));
  w.EndDocument();
  Runs all;
  for (const Page& p : w.Pages()) {
    const Runs r = BodyTexts(p);
    all.insert(all.end(), r.begin(), r.end());
  }
  return all;
}

bool Has(const Runs& runs, const std::string& text) {
  return std::find(runs.begin(), runs.end(), text) != runs.end();
}

TEST(LeaningVerdictLines, SignsWordsAndSentencesFollowEachCheck) {
  const LeaningInputs in = StandardInputs();
  const LeaningCalculation base = ComputeLeaning(in);
  struct Case {
    const char* name;
    std::function<void(LeaningCalculation&, bool)> set;
    Runs ok_runs, ng_runs;
  };
  const Case cases[] = {
      {"overturning",
       [](LeaningCalculation& c, bool ok) { c.stability.overturning.ok = ok; },
       {"0.400 ＞ e → 0.363 m　　ＯＫ"},
       {"0.400 ≦ e → 0.363 m　　ＮＧ"}},
      {"sliding",
       [](LeaningCalculation& c, bool ok) { c.stability.sliding.ok = ok; },
       {"1.085＞1.5　　ＯＫ"},
       {"1.085≦1.5　　ＮＧ"}},
      {"bearing",
       [](LeaningCalculation& c, bool ok) {
         c.stability.bearing_q1.ok = c.stability.bearing_q2.ok = ok;
       },
       {"7.644 kN/m2 ,　158.278 kN/m2＜ qa = 300 kN/m2　　ＯＫ"},
       {"7.644 kN/m2 ,　158.278 kN/m2≧ qa = 300 kN/m2　　ＮＧ"}},
      {"middle third of the body",
       [](LeaningCalculation& c, bool ok) { c.wall.within_middle_third = ok; },
       {"0.258m＞",
        "すなわち、作用荷重の合力はたて壁の中央１/３以内にあるので、引っ張り応力は生じない。"},
       {"0.258m≦",
        "すなわち、作用荷重の合力はたて壁の中央１/３以内にないので、引っ張り応力は生じる。"}},
      {"body bending",
       [](LeaningCalculation& c, bool ok) { c.wall.sigma_check.ok = ok; },
       {"＜ σcac = 4.500 N/mm2     ＯＫ"},
       {"≧ σcac = 4.500 N/mm2     ＮＧ"}},
      {"body shear",
       [](LeaningCalculation& c, bool ok) { c.wall.tau_check.ok = ok; },
       {" ＜ τa ＝ 0.23 N/mm2     ＯＫ"},
       {" ≧ τa ＝ 0.23 N/mm2     ＮＧ"}},
      {"slab bending",
       [](LeaningCalculation& c, bool ok) { c.slab.sigma_check.ok = ok; },
       // The line names the limit the check uses, the smaller σcat.
       {"±0.25 N/mm2 ＜ σcat = 0.23 N/mm2      ＯＫ"},
       {"±0.25 N/mm2 ≧ σcat = 0.23 N/mm2      ＮＧ"}},
      {"slab shear",
       [](LeaningCalculation& c, bool ok) { c.slab.tau_check.ok = ok; },
       {"0.092 N/mm2 ＜ τa = 0.23 N/mm2      ＯＫ"},
       {"0.092 N/mm2 ≧ τa = 0.23 N/mm2      ＮＧ"}},
  };
  for (const Case& c : cases) {
    for (bool ok : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (ok ? " OK" : " NG"));
      LeaningCalculation calc = base;
      c.set(calc, ok);
      const Runs runs = ChapterRuns(in, calc);
      for (const auto& t : ok ? c.ok_runs : c.ng_runs) EXPECT_TRUE(Has(runs, t)) << t;
      for (const auto& t : ok ? c.ng_runs : c.ok_runs) EXPECT_FALSE(Has(runs, t)) << t;
    }
  }
}

TEST(LeaningVerdictLines, SignedValuesAndSoilNames) {
  struct Case {
    const char* name;
    std::function<void(LeaningInputs&)> change;
    Runs expected;
  };
  const Case cases[] = {
      // A light backfill on a vertical back face over a wide base: the resultant lies behind the
      // centre; e is printed with its sign and compared by its magnitude, x_A likewise.
      {"resultant behind the centre",
       [](LeaningInputs& in) { in.q = 0, in.gamma = 1, in.b = 4.2f; },
       {"-0.666m", "0.700 ＞ e → 0.666 m　　ＯＫ", "-0.512m", "0.558m＞", " → 0.512m",
        "　　　許容支持力度：　れき質土"}},
      {"sandy soil", [](LeaningInputs& in) { in.soil_kind = 1; }, {"　　　許容支持力度：　砂質土"}},
      {"silt and clay",
       [](LeaningInputs& in) { in.soil_kind = 2; },
       {"　　　許容支持力度：　シルト・粘土"}},
      {"unknown soil code",
       [](LeaningInputs& in) { in.soil_kind = 7; },
       {"　　　許容支持力度：　"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LeaningInputs in = StandardInputs();
    c.change(in);
    const Runs runs = ChapterRuns(in, ComputeLeaning(in));
    for (const auto& t : c.expected) EXPECT_TRUE(Has(runs, t)) << t;
  }
}

// ---- figures ----------------------------------------------------------------------------------

// The labels of one figure drawn alone on a page, and every point it draws.
struct Drawn {
  std::vector<TextRun> labels;
  std::vector<QPointF> points;
};

Drawn Draw(const std::function<void(ReportWriter&)>& figure) {
  ReportWriter w;
  w.PageSetup();
  w.BeginDocument();
  const size_t before = w.Pages().size();
  figure(w);
  w.EndDocument();
  EXPECT_EQ(w.Pages().size(), before + 1);
  Drawn d;
  for (const PageItem& item : w.Pages().back().items) {
    if (const auto* run = std::get_if<TextRun>(&item)) {
      if (!InBody(*run) || run->text.empty()) continue;
      d.labels.push_back(*run);
      for (const QPointF& c : RunBox(*run).corners) d.points.push_back(c);
    } else if (const auto* line = std::get_if<LineItem>(&item)) {
      d.points.push_back(line->from);
      d.points.push_back(line->to);
    } else if (const auto* poly = std::get_if<PolygonItem>(&item)) {
      d.points.insert(d.points.end(), poly->points.begin(), poly->points.end());
    }
  }
  return d;
}

LeaningInputs Wall(float h, float d1, float l1, float t1, float t2, float b, float beta) {
  LeaningInputs in = StandardInputs();
  in.h = h, in.d1 = d1, in.l1 = l1, in.t1 = t1, in.t2 = t2, in.b = b, in.beta = beta;
  return in;
}

FamilyDimensions Millimetres(const LeaningInputs& in) {
  FamilyDimensions d;
  d.h = in.h * 1000, d.d[1] = in.d1 * 1000, d.l[0] = in.l1 * 1000;
  d.t[0] = in.t1 * 1000, d.t[1] = in.t2 * 1000, d.b = in.b * 1000, d.beta = in.beta;
  return d;
}

TEST(LeaningFigures, StayInTheirAreaWithoutOverlappingLabels) {
  struct Case {
    const char* name;
    LeaningInputs in;
  };
  const Case cases[] = {
      {"standard", StandardInputs()},
      {"vertical back face, level backfill", Wall(5.0f, 0.8f, 0.6f, 1.5f, 0.5f, 2.6f, 0)},
      {"foot of the back face behind its top", Wall(4.0f, 0.6f, 0.5f, 1.0f, 0.4f, 2.4f, 10)},
      {"no crest width", Wall(6.0f, 1.0f, 0.8f, 2.5f, 0, 2.2f, 20)},
      {"low and wide", Wall(2.5f, 0.8f, 1.5f, 0.8f, 0.5f, 4.5f, 15)},
  };
  const double x = kPageMargin + 1200, y = 3000;
  const double areas[] = {4900, 5500, 6750};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const LeaningCalculation calc = ComputeLeaning(c.in);
    const FamilyDimensions dims = Millimetres(c.in);
    const std::function<void(ReportWriter&)> figures[] = {
        [&](ReportWriter& w) { DrawLeaningShapeFigure(w, x, y, areas[0], c.in, calc, dims); },
        [&](ReportWriter& w) {
          DrawLeaningEarthPressureFigure(w, x, y, areas[1], c.in, calc, dims);
        },
        [&](ReportWriter& w) { DrawLeaningReactionFigure(w, x + 300, y, areas[2], c.in, calc); }};
    for (int f = 0; f < 3; ++f) {
      SCOPED_TRACE("figure " + std::to_string(f + 1));
      const Drawn d = Draw(figures[f]);
      ASSERT_FALSE(d.labels.empty());
      for (const QPointF& pt : d.points) {
        EXPECT_GE(pt.x(), kPageMargin);
        EXPECT_LE(pt.x(), kA4Width - kPageMargin);
        // The backfill text rises along the surface above the area; the chapters have only
        // short lines or the left part of a picture there.
        EXPECT_GE(pt.y(), y - 1000);
        EXPECT_LE(pt.y(), y + areas[f]);
      }
      for (size_t i = 0; i < d.labels.size(); ++i) {
        for (size_t j = i + 1; j < d.labels.size(); ++j) {
          EXPECT_FALSE(Overlap(RunBox(d.labels[i]), RunBox(d.labels[j])))
              << d.labels[i].text << " / " << d.labels[j].text;
        }
      }
    }
  }
}

// ---- failures ---------------------------------------------------------------------------------

TEST(LeaningReportFailures, EndTheBuildWithAMessageAndNoPages) {
  struct Case {
    const char* name;
    std::function<void(ShapeRow&)> change;
    const char* cause;
    bool ka_message;
  };
  const Case cases[] = {
      {"backfill steeper than φ", [](ShapeRow& s) { s.beta = 40; },
       "水平力の合計ΣHが0です（主働土圧係数Ka=0）。", true},
      {"B equal to L1", [](ShapeRow& s) { s.b = s.l[0]; }, "底版幅BがL1以下です", false},
      {"no base slab", [](ShapeRow& s) { s.d[1] = 0; }, "底版の厚さD1が0以下です。", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Copy(kStandardLeaningSI, "failure.mdb");
    {
      ProjectDatabase db = ProjectDatabase::Open(path);
      ShapeRow s = *db.ReadShape(kLeaning);
      c.change(s);
      db.WriteShape(kLeaning, s);
    }
    RecordingMessageSink sink;
    ReportWriter w;
    const ReportBuildResult r = Build(w, path, &sink);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.error.rfind("もたれ式擁壁の計算ができません：", 0), 0u) << r.error;
    EXPECT_NE(r.error.find(c.cause), std::string::npos) << r.error;
    EXPECT_TRUE(w.Pages().empty());
    ASSERT_EQ(sink.shown.size(), c.ka_message ? 1u : 0u);
    if (c.ka_message) {
      EXPECT_EQ(sink.shown[0].text, "クーロン土圧係数Kaの計算中にエラーが発生しました");
    }
  }
}

TEST(LeaningReportFailures, AValueBeyondItsLimitsIsRefusedByTheReader) {
  const std::string path = Copy(kStandardLeaningSI, "limits.mdb");
  {
    ProjectDatabase db = ProjectDatabase::Open(path);
    ShapeRow s = *db.ReadShape(kLeaning);
    s.h = 5000;  // metres
    db.WriteShape(kLeaning, s);
  }
  ReportWriter w;
  const ReportBuildResult r = Build(w, path);
  EXPECT_FALSE(r.complete);
  EXPECT_NE(r.error.find("tbl形状サイズ_もたれ式.H"), std::string::npos) << r.error;
  EXPECT_TRUE(w.Pages().empty());
}

}  // namespace
}  // namespace ktv
