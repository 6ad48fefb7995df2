#include "families/cantilever/cantilever_report.h"

#include <gtest/gtest.h>

#include <QPointF>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/messages.h"
#include "cantilever_fixture.h"
#include "earth_pressure/earth_pressure.h"
#include "families/cantilever/cantilever_json.h"
#include "families/cantilever/cantilever_reader.h"
#include "families/family_table.h"
#include "golden.h"
#include "page_inspect.h"
#include "project/project_database.h"
#include "report/chapter_kit.h"
#include "report/report_build.h"
#include "report/report_render.h"
#include "report/report_writer.h"

namespace ktv {
namespace {

const std::string kOut = KTV_CANTILEVER_OUTPUT_DIR;
const std::string kData = KTV_CANTILEVER_DATA_DIR;
const std::string kGolden = KTV_CANTILEVER_GOLDEN_DIR;

std::string Copy(const std::string& fixture, const std::string& name) {
  const std::string path = kOut + "/" + name;
  std::filesystem::copy_file(kData + "/" + fixture, path,
                             std::filesystem::copy_options::overwrite_existing);
  return path;
}

// The preview build with the program's family entries; chkhAA as the window would hand it.
ReportBuildResult Build(ReportWriter& w, const std::string& db, bool design_aa,
                        MessageSink* sink = nullptr) {
  ReportContext ctx;
  ctx.working_database_path = db;
  ctx.design_section_aa = design_aa;
  ctx.sink = sink;
  return BuildReport(w, WallFamily::Cantilever, ctx, ProgramFamilies().ReportEntries());
}

std::string ReportText(const ReportWriter& w) {
  std::string text;
  for (size_t p = 1; p < w.Pages().size(); ++p) text += PageText(w.Pages()[p]);
  return text;
}

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Table rows of a part: lines that start with its name and a number (the figures show names
// alone).
int CountRows(const std::string& text, const std::string& part) {
  int n = 0;
  const std::string start = "\n" + part + " ";
  for (size_t at = text.find(start); at != std::string::npos; at = text.find(start, at + 1)) {
    const size_t digit = at + start.size();
    if (digit < text.size() && text[digit] >= '0' && text[digit] <= '9') ++n;
  }
  return n;
}

// A copy of the standard SI wall with its shape row changed.
std::string Variant(const std::string& name, const std::function<void(ShapeRow&)>& change) {
  const std::string path = Copy(kStandardCantileverSI, name);
  ProjectDatabase db = ProjectDatabase::Open(path);
  ShapeRow row = *db.ReadShape(kCantilever);
  change(row);
  db.WriteShape(kCantilever, row);
  return path;
}

struct StandardCase {
  const char* name;
  const char* fixture;
  bool design_aa;
  int report_pages;
};

void PrintTo(const StandardCase& c, std::ostream* os) { *os << c.name; }

class StandardCantileverReport : public testing::TestWithParam<StandardCase> {};

TEST_P(StandardCantileverReport, PagesAreTheGoldenTextsAndTheJsonComesFromTheSameRun) {
  const StandardCase& c = GetParam();
  const std::string db = Copy(c.fixture, std::string("standard_") + c.name + ".mdb");
  ReportWriter w;
  const ReportBuildResult r = Build(w, db, c.design_aa);
  ASSERT_TRUE(r.complete) << r.error;
  EXPECT_EQ(r.report_pages, c.report_pages);
  testing_util::ExpectMatchesGolden(kGolden + "/standard_cantilever_" + c.name + ".txt",
                                    ReportText(w));
  // Every numbered heading is a bookmark.
  std::vector<std::string> marked;
  for (const OutlineEntry& e : w.Outline()) marked.push_back(e.title);
  std::istringstream lines(ReportText(w));
  for (std::string line; std::getline(lines, line);) {
    if (OutlineLevel(line) == 0) continue;
    EXPECT_NE(std::find(marked.begin(), marked.end(), line), marked.end()) << line;
  }
  const CantileverInputs in = ReadCantileverInputs(ProjectDatabase::Open(db), c.design_aa);
  EXPECT_EQ(r.results_json, CantileverJson(in, ComputeCantilever(in)));
  EXPECT_FALSE(std::filesystem::exists(db + ".read"));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, StandardCantileverReport,
                         testing::Values(StandardCase{"SI", kStandardCantileverSI, false, 11},
                                         StandardCase{"CGS", kStandardCantileverCGS, false, 11},
                                         StandardCase{"AA", kSectionAaCantileverSI, true, 13}),
                         [](const auto& info) { return std::string(info.param.name); });

// The shapes share one report: the slab checks and the part rows follow what exists, each slab
// case has its heading and its sections numbered from (ⅰ), the slab heading is a bookmark, and the
// cover, the title line and the PDF title name the structure the wall is.
TEST(CantileverShapes, SlabChecksPartRowsAndNameFollowTheShape) {
  struct Case {
    const char* name;
    std::function<void(ShapeRow&)> change;
    bool toe, heel, w12;
    const char* structure;
  };
  const std::vector<Case> cases = {
      {"inverted_t_beta", [](ShapeRow& s) { s.beta = 10; }, true, true, true, "逆Ｔ形擁壁"},
      {"l_wall", [](ShapeRow& s) { s.l[0] = 0; }, false, true, false, "Ｌ形擁壁"},
      {"inverted_l_wall", [](ShapeRow& s) { s.l[2] = 0; }, true, false, false, "逆Ｌ形擁壁"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ReportWriter w;
    const ReportBuildResult r = Build(w, Variant(std::string(c.name) + ".mdb", c.change), false);
    ASSERT_TRUE(r.complete) << r.error;
    const std::string text = ReportText(w);
    const std::string structure = c.structure;
    EXPECT_EQ(Count(text, structure + "の設計計算"), 1);
    EXPECT_EQ(Count(text, "逆Ｔ形擁壁"), structure == "逆Ｔ形擁壁" ? 1 : 0);
    EXPECT_NE(PageText(w.Pages()[0]).find("\n" + structure + "\n"), std::string::npos);
    EXPECT_EQ(w.Properties().title.substr(0, structure.size()), structure);
    EXPECT_EQ(Count(text, "（ⅰ）断面　Ｃ－Ｃ´"), c.toe ? 2 : 0);
    EXPECT_EQ(Count(text, "（ⅰ）断面　Ｄ－Ｄ´"), c.heel && !c.toe ? 2 : 0);
    EXPECT_EQ(Count(text, "（ⅱ）断面　Ｄ－Ｄ´"), c.heel && c.toe ? 2 : 0);
    EXPECT_EQ(CountRows(text, "W1"), c.toe ? 2 : 0);   // the part table and the toe table
    EXPECT_EQ(CountRows(text, "W12"), c.w12 ? 2 : 0);  // the part table and the heel table
    // Loads, overturning, sliding, bearing, stem and slabs.
    EXPECT_EQ(Count(text, "（ａ）常時"), 6);
    EXPECT_EQ(Count(text, "（ｂ）地震時"), 6);
    std::vector<std::string> marked;
    for (const OutlineEntry& e : w.Outline()) {
      if (e.level >= 2) marked.push_back(e.title);
    }
    const auto has = [&](const std::string& title) {
      return std::find(marked.begin(), marked.end(), title) != marked.end();
    };
    EXPECT_TRUE(has("（２）底版の応力度"));
    // The stem and slab cases are bookmarks under their section, each with its checked
    // cross-sections under it.
    std::vector<std::pair<int, std::string>> deep;
    for (const OutlineEntry& e : w.Outline()) {
      if (e.level >= 3) deep.emplace_back(e.level, e.title);
    }
    const std::vector<std::string> slabs = {c.toe ? "断面　Ｃ－Ｃ´" : "",
                                            c.heel ? "断面　Ｄ－Ｄ´" : ""};
    std::vector<std::pair<int, std::string>> want;
    for (int k = 0; k < 2; ++k) {  // the stem's cases
      want.emplace_back(3, k == 0 ? "（ａ）常時" : "（ｂ）地震時");
      want.emplace_back(4, "h = 5.7 m の場合（ＢーＢ´）");
    }
    for (int k = 0; k < 2; ++k) {  // the slabs' cases, sections numbered from (ⅰ)
      want.emplace_back(3, k == 0 ? "（ａ）常時" : "（ｂ）地震時");
      int number = 0;
      for (const std::string& section : slabs) {
        if (!section.empty()) want.emplace_back(4, (++number == 1 ? "（ⅰ）" : "（ⅱ）") + section);
      }
    }
    EXPECT_EQ(deep, want);
  }
}

// ---- figures ------------------------------------------------------------------------------------

using testing_util::Box;
using testing_util::Crosses;
using testing_util::Overlap;
using testing_util::RunBox;
using testing_util::Shrunk;

// One figure as laid out on its page, in drawing order: from the text `after` (or the top of the
// page) to the next chapter text (a line starting "（" or "３"), or the end of the page.
struct FigureLayout {
  struct Label {
    std::string text;
    Box box;
    bool white_ground;
    size_t order;
  };
  struct Line {
    QPointF a, b;
    double width;
    size_t order;
  };
  std::vector<Label> labels;  // texts and label pictures
  std::vector<Line> lines;
  std::vector<QPointF> points;    // every drawn point, circles by their extremes
  std::vector<double> arc_radii;  // of the arcs
  std::vector<QPointF> arrow_tips;
  std::vector<QPointF> dots;  // centres of the circles: the ends of dimension spans
  double top = kPageMargin, bottom = kA4Height - kPageMargin;  // of the text around it
};

bool InBody(const TextRun& r) { return r.y >= kPageMargin && r.y < kA4Height - kPageMargin; }

FigureLayout FigureOn(const Page& page, const std::string& after) {
  FigureLayout f;
  bool in = after.empty(), ended = false, white = false;
  const auto box_points = [&](const Box& b) {
    f.points.insert(f.points.end(), b.corners.begin(), b.corners.end());
  };
  for (size_t i = 0; i < page.items.size() && !ended; ++i) {
    const PageItem& item = page.items[i];
    const bool white_before = white;
    white = false;
    if (const auto* run = std::get_if<TextRun>(&item)) {
      if (!InBody(*run) || run->text.empty()) continue;
      if (!in) {
        if (run->text == after) in = true, f.top = run->y + run->height;
        continue;
      }
      if (run->text.starts_with("（") || run->text.starts_with("３")) {
        f.bottom = run->y;
        ended = true;
        continue;
      }
      f.labels.push_back({run->text, RunBox(*run), white_before, i});
      box_points(f.labels.back().box);
    } else if (!in) {
      continue;
    } else if (const auto* pic = std::get_if<PictureItem>(&item)) {
      const QRectF& r = pic->box;
      f.labels.push_back({"[" + pic->key + "]",
                          Box{{r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()}},
                          white_before, i});
      box_points(f.labels.back().box);
    } else if (const auto* rect = std::get_if<RectItem>(&item)) {
      white = rect->brush.style == BrushStyle::Solid && rect->brush.color == kColorWhite;
      f.points.push_back(rect->rect.topLeft());
      f.points.push_back(rect->rect.bottomRight());
    } else if (const auto* line = std::get_if<LineItem>(&item)) {
      if (std::max(line->from.y(), line->to.y()) < kPageMargin) continue;  // the header's rule
      f.lines.push_back({line->from, line->to, line->pen.width, i});
      f.points.push_back(line->from);
      f.points.push_back(line->to);
    } else if (const auto* arc = std::get_if<ArcItem>(&item)) {
      f.arc_radii.push_back(arc->radius);
      for (int k = 0; k <= 8; ++k) {
        const double t = arc->start + (arc->end - arc->start) * k / 8;
        f.points.push_back(arc->centre + arc->radius * QPointF(std::cos(t), -std::sin(t)));
      }
    } else if (const auto* poly = std::get_if<PolygonItem>(&item)) {
      f.arrow_tips.push_back(poly->points.front());
      f.points.insert(f.points.end(), poly->points.begin(), poly->points.end());
    } else if (const auto* circle = std::get_if<CircleItem>(&item)) {
      f.dots.push_back(circle->centre);
      f.points.push_back(circle->centre + QPointF(circle->radius, circle->radius));
      f.points.push_back(circle->centre - QPointF(circle->radius, circle->radius));
    }
  }
  EXPECT_TRUE(in) << "no " << after;
  return f;
}

// Nothing of a figure outside its place between the texts and the page margins, no two labels
// overlapping, and no line over a label: drawn after it, or at all when it has no white ground.
void ExpectReadable(const FigureLayout& f) {
  ASSERT_FALSE(f.labels.empty());
  for (const QPointF& pt : f.points) {
    EXPECT_GE(pt.x(), kPageMargin);
    EXPECT_LE(pt.x(), kA4Width - kPageMargin);
    EXPECT_GE(pt.y(), f.top) << pt.x();
    EXPECT_LE(pt.y(), f.bottom);
  }
  for (size_t i = 0; i < f.labels.size(); ++i) {
    const FigureLayout::Label& a = f.labels[i];
    for (size_t j = i + 1; j < f.labels.size(); ++j) {
      EXPECT_FALSE(Overlap(a.box, f.labels[j].box)) << a.text << " / " << f.labels[j].text;
    }
    for (const FigureLayout::Line& l : f.lines) {
      if (a.white_ground && l.order < a.order) continue;
      EXPECT_FALSE(Crosses(Shrunk(a.box, 20), l.a, l.b))
          << a.text << " under the line (" << l.a.x() << ", " << l.a.y() << ") - (" << l.b.x()
          << ", " << l.b.y() << ")";
    }
  }
}

// The millimetres of a dimension label ("1,000"), or nothing for any other text.
std::optional<double> DimensionValue(const std::string& text) {
  std::string digits;
  for (char ch : text) {
    if (ch == ',') continue;
    if (ch < '0' || ch > '9') return std::nullopt;
    digits += ch;
  }
  if (digits.empty()) return std::nullopt;
  return std::stod(digits);
}

// Every dimension label stands beside its own span: between two dots on one vertical or
// horizontal line, as far apart as its value at the figure's scale, and near that line.
void ExpectLabelsBesideTheirSpans(const FigureLayout& f, double twips_per_metre) {
  for (const FigureLayout::Label& label : f.labels) {
    const std::optional<double> mm = DimensionValue(label.text);
    if (!mm) continue;
    const QPointF c = (label.box.corners[0] + label.box.corners[2]) / 2;
    const double span = *mm / 1000 * twips_per_metre;
    bool found = false;
    for (size_t i = 0; i < f.dots.size() && !found; ++i) {
      for (size_t j = 0; j < f.dots.size() && !found; ++j) {
        const QPointF a = f.dots[i], b = f.dots[j];
        if (i == j) continue;
        const bool vertical = std::fabs(a.x() - b.x()) < 1 && a.y() < b.y();
        const bool horizontal = std::fabs(a.y() - b.y()) < 1 && a.x() < b.x();
        if (!vertical && !horizontal) continue;
        const double length = vertical ? b.y() - a.y() : b.x() - a.x();
        if (std::fabs(length - span) > 3) continue;
        // A span shorter than its label holds the label's middle only where the neighbours
        // leave room: the label then still covers part of it.
        const double lo = vertical ? a.y() : a.x(), hi = vertical ? b.y() : b.x();
        const double along = vertical ? c.y() : c.x();
        const double extent = vertical ? label.box.corners[2].y() - label.box.corners[0].y()
                                       : label.box.corners[2].x() - label.box.corners[0].x();
        const double reach = span < std::fabs(extent) ? std::fabs(extent) / 2 : 0;
        const double across = vertical ? std::fabs(c.x() - a.x()) : std::fabs(c.y() - a.y());
        found = along >= lo - reach && along <= hi + reach && across <= 750;
      }
    }
    EXPECT_TRUE(found) << "\"" << label.text << "\" at (" << c.x() << ", " << c.y()
                       << ") is beside no span of its length" <<
        [&] {
          std::string near;
          for (const QPointF& d : f.dots) {
            if (std::fabs(d.x() - c.x()) < 800 && std::fabs(d.y() - c.y()) < 800)
              near += " (" + std::to_string(d.x()) + "," + std::to_string(d.y()) + ")";
          }
          return near;
        }();
  }
}

double DistanceToSegment(QPointF p, QPointF a, QPointF b) {
  const QPointF e = b - a;
  const double t = std::clamp(QPointF::dotProduct(p - a, e) / QPointF::dotProduct(e, e), 0.0, 1.0);
  const QPointF d = p - (a + t * e);
  return std::hypot(d.x(), d.y());
}

std::optional<size_t> PageWith(const ReportWriter& w, const std::string& text) {
  for (size_t p = 0; p < w.Pages().size(); ++p) {
    for (const TextRun& r : testing_util::ItemsOf<TextRun>(w.Pages()[p])) {
      if (r.text == text) return p;
    }
  }
  return std::nullopt;
}

TEST(CantileverFigures, LabelsStayClearOfEachOtherAndOfTheLinesOnEveryShape) {
  struct Case {
    const char* name;
    std::function<void(ShapeRow&)> change;
    bool design_aa = false;
  };
  const std::vector<Case> cases = {
      {"standard", [](ShapeRow&) {}},
      {"A-A′ designed", [](ShapeRow&) {}, true},
      {"L wall", [](ShapeRow& s) { s.l[0] = 0; }},
      {"inverted-L wall", [](ShapeRow& s) { s.l[2] = 0; }},
      {"backfill at 10°", [](ShapeRow& s) { s.beta = 10; }},
      // Slabs, haunches and soil of a few centimetres, a back face leaning back.
      {"thin slabs and small dimensions",
       [](ShapeRow& s) {
         s.d = {0.15f, 0.3f, 0.2f, 0.25f, 0.2f};
         s.l = {0.5f, 1.3f, 1.2f};
       }},
      {"tall with a steep backfill",
       [](ShapeRow& s) {
         s.h = 10;
         s.l = {1.5f, 1.2f, 4.0f};
         s.beta = 15;
       }},
      {"low and wide",
       [](ShapeRow& s) {
         s.h = 2.5f;
         s.l = {2.0f, 0.6f, 5.0f};
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string db = c.design_aa ? Copy(kSectionAaCantileverSI, "figures.mdb")
                                       : Variant("figures.mdb", c.change);
    ReportWriter w;
    const ReportBuildResult r = Build(w, db, c.design_aa);
    ASSERT_TRUE(r.complete) << r.error;
    const std::vector<std::pair<const char*, const char*>> figures = {
        {"２　形状寸法", "２　形状寸法"},
        {"（１）　自重および合力の作用位置", "（１）　自重および合力の作用位置"},
        {"（１）たて壁の応力度", "（１）たて壁の応力度"},
        {"Pve", "（２）底版の応力度"}};
    for (const auto& [page_text, after] : figures) {
      SCOPED_TRACE(page_text);
      const std::optional<size_t> page = PageWith(w, page_text);
      if (!page && std::string(page_text) == "Pve") continue;  // no heel: no Pve triangle
      ASSERT_TRUE(page);
      const FigureLayout f = FigureOn(w.Pages()[*page], after);
      ExpectReadable(f);
      if (std::string(page_text) == "２　形状寸法") {
        const CantileverShape& sh = ReadCantileverInputs(ProjectDatabase::Open(db), false).shape;
        const double b = static_cast<double>(sh.l00) + sh.t00 + sh.t01 + sh.t02 + sh.l01;
        ExpectLabelsBesideTheirSpans(f, 6500 / std::max(sh.h + 2.0, b + 2));
        // The α arc (and the β arc) large enough to be seen at a few degrees.
        ASSERT_FALSE(f.arc_radii.empty());
        for (double radius : f.arc_radii) EXPECT_GE(radius, 700);
      }
      if (std::string(page_text) == "（１）たて壁の応力度") {
        // The resultants act on the back face: both arrows end on it, and the diagrams start
        // at its top corner.
        std::vector<FigureLayout::Line> stem;
        for (const auto& l : f.lines) {
          if (l.width >= 30) stem.push_back(l);
        }
        ASSERT_EQ(stem.size(), 3u);  // front face, crest, back face
        const FigureLayout::Line& back = stem[2];
        ASSERT_EQ(f.arrow_tips.size(), 2u);
        for (const QPointF& tip : f.arrow_tips) {
          EXPECT_LT(DistanceToSegment(tip, back.a, back.b), 1.0);
        }
        EXPECT_TRUE(std::any_of(f.lines.begin(), f.lines.end(), [&](const auto& l) {
          return l.width == 0 && l.a == back.a && l.b.y() == back.a.y() && l.b.x() > back.a.x();
        }));
      }
    }
  }
}

// Undefined cases end the build with the calculation's message and leave no pages.
TEST(CantileverUndefined, EndsWithTheCalculationsMessage) {
  const std::vector<std::pair<const char*, std::function<void(ShapeRow&)>>> cases = {
      {"no_stem", [](ShapeRow& s) { s.h = s.d[1]; }},
      {"no_base",
       [](ShapeRow& s) {
         s.l = {0, 0, 0}, s.t = {0, 0, 0};
       }},
  };
  for (const auto& [name, change] : cases) {
    SCOPED_TRACE(name);
    ReportWriter w;
    const ReportBuildResult r = Build(w, Variant(std::string(name) + ".mdb", change), false);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.error.rfind("逆T形擁壁の計算ができません：", 0), 0u) << r.error;
    EXPECT_TRUE(w.Pages().empty());
  }
}

}  // namespace
}  // namespace ktv
