#include "report/formula_pictures.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ktv {
namespace {

constexpr double kLineHeight = 234;  // one 9-pt report line, twips

// The pictures a report Part names, as the report writes them; independent of the library's list.
std::vector<std::string> ExpectedKeys() {
  std::vector<std::string> keys;
  auto add = [&keys](const char* prefix, int first, int last) {
    for (int i = first; i <= last; ++i) keys.push_back(prefix + std::to_string(i));
  };
  add("1_3_", 1, 16);
  add("1_4_", 1, 18);
  add("1_4_", 20, 23);
  add("1_6_", 1, 8);
  add("1_6_", 10, 33);
  add("1_6_", 40, 67);
  add("1_6_", 70, 88);
  add("1_6_", 90, 96);
  keys.push_back("1_6_96_2");
  add("1_6_", 97, 101);
  add("1_3_", 17, 18);
  add("1_4_", 24, 25);
  add("1_6_", 34, 37);
  return keys;
}

TEST(FormulaPictureKeys, AreTheReportsPicturesInListOrder) {
  const std::vector<std::string> keys = FormulaPictureKeys();
  EXPECT_EQ(keys.size(), 138u);
  EXPECT_EQ(keys, ExpectedKeys());
  EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()).size(), keys.size());
  for (const std::string& key : keys) EXPECT_TRUE(HasFormulaPicture(key)) << key;
}

TEST(FormulaPictureKeys, ResourcesHoldExactlyOnePicturePerKey) {
  FormulaPictureSize("1_3_1");  // registers the resources
  const QStringList files = QDir(":/formula_pictures").entryList(QDir::Files, QDir::Name);
  EXPECT_EQ(files, QStringList({"formula_glyphs.ttf", "pictures.txt"}));
  QFile list(":/formula_pictures/pictures.txt");
  ASSERT_TRUE(list.open(QIODevice::ReadOnly));
  std::multiset<std::string> found;
  for (const QByteArray& line : list.readAll().split('\n')) {
    if (line.startsWith("picture ")) found.insert(line.split(' ').value(1).toStdString());
  }
  const std::vector<std::string> keys = FormulaPictureKeys();
  EXPECT_EQ(found, std::multiset<std::string>(keys.begin(), keys.end()));
}

TEST(FormulaPictureKeys, EveryRuleHasAnArea) {
  // A rule of no width or height is a strut of the typesetting; a painter draws it as a hairline.
  FormulaPictureSize("1_3_1");
  QFile list(":/formula_pictures/pictures.txt");
  ASSERT_TRUE(list.open(QIODevice::ReadOnly));
  for (const QByteArray& line : list.readAll().split('\n')) {
    if (!line.startsWith("rule ")) continue;
    const QList<QByteArray> f = line.split(' ');
    ASSERT_EQ(f.size(), 5) << line.toStdString();
    EXPECT_GT(f[3].toDouble(), 0) << line.toStdString();
    EXPECT_GT(f[4].toDouble(), 0) << line.toStdString();
  }
}

TEST(FormulaPictureKeys, UnknownKeysAreErrorsNamingTheKey) {
  // Gaps of the list, neighbours past its ends, a file name instead of a key, stray blanks.
  for (const char* key :
       {"1_4_19", "1_6_9", "1_6_38", "1_6_39", "1_6_68", "1_6_69", "1_6_89", "1_3_0", "1_3_19",
        "1_6_102", "1_6_97_2", "1_3_9.bmp", " 1_3_9", "", "1_5_1"}) {
    SCOPED_TRACE(key);
    EXPECT_FALSE(HasFormulaPicture(key));
    try {
      FormulaPictureSize(key);
      ADD_FAILURE() << "no error for the size";
    } catch (const FormulaPictureError& e) {
      EXPECT_NE(std::string(e.what()).find("\"" + std::string(key) + "\""), std::string::npos)
          << e.what();
    }
    QImage image(20, 20, QImage::Format_RGB32);
    QPainter p(&image);
    EXPECT_THROW(DrawFormulaPicture(p, key, QRectF(0, 0, 20, 20)), FormulaPictureError);
    EXPECT_THROW(FormulaPictureFractionBar(key), FormulaPictureError);
  }
}

bool IsDisplayFormula(const std::string& key) { return key == "1_3_9" || key == "1_3_10"; }

// Pictures the leaning report draws raised by this many twips to continue a line of text.
struct Raised {
  const char* key;
  double raise;
};
constexpr Raised kRaised[] = {{"1_4_11", 50}, {"1_4_18", 75}, {"1_4_20", 100},
                              {"1_4_21", 50}, {"1_4_22", 50}, {"1_4_23", 200}};
bool IsRaised(const std::string& key) {
  return std::any_of(std::begin(kRaised), std::end(kRaised),
                     [&key](const Raised& r) { return key == r.key; });
}
bool HasBar(const std::string& key) {
  return key == "1_6_70" || key == "1_6_75" || key == "1_6_78" || key == "1_6_83";
}

TEST(FormulaPictureSize, IsAboutOneReportLineInWholePixels) {
  for (const std::string& key : FormulaPictureKeys()) {
    SCOPED_TRACE(key);
    const QSizeF size = FormulaPictureSize(key);
    EXPECT_EQ(std::fmod(size.width(), 15.0), 0.0);
    EXPECT_EQ(std::fmod(size.height(), 15.0), 0.0);
    EXPECT_GE(size.width(), 120.0);
    EXPECT_LE(size.width(), 7500.0);  // leaves room for the value within the 9906-twip line
    if (IsDisplayFormula(key)) {
      EXPECT_GE(size.height(), 600.0);
      EXPECT_LE(size.height(), 1200.0);
    } else if (IsRaised(key)) {
      continue;  // see below
    } else if (HasBar(key)) {
      EXPECT_GE(size.height(), 2 * kLineHeight + 15);
      EXPECT_LE(size.height(), 600.0);
    } else {
      // One line; text-style fractions and radicals a little more.
      EXPECT_GE(size.height(), 220.0);
      EXPECT_LE(size.height(), 360.0);
    }
  }
}

// Renders a picture at `scale` pixels per pixel of its natural size, on white.
QImage Render(const std::string& key, int scale) {
  const QSizeF size = FormulaPictureSize(key);
  QImage image(int(size.width() / 15) * scale, int(size.height() / 15) * scale,
               QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  DrawFormulaPicture(p, key, QRectF(0, 0, image.width(), image.height()));
  return image;
}

bool Ink(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

TEST(DrawFormulaPicture, EveryPictureHasBlackInkInsideItsBox) {
  for (const std::string& key : FormulaPictureKeys()) {
    SCOPED_TRACE(key);
    const QImage image = Render(key, 1);
    int ink = 0, coloured = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        if (Ink(image, x, y)) ++ink;
        if (c.red() != c.green() || c.green() != c.blue()) ++coloured;
      }
    }
    EXPECT_GT(ink, 8);
    EXPECT_EQ(coloured, 0);
  }
}

TEST(DrawFormulaPicture, DrawsOnlyIntoTheTargetAndRestoresThePainter) {
  QImage image(600, 200, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setPen(QPen(Qt::red, 3));
  p.setBrush(Qt::green);
  p.translate(7, 3);
  const QTransform before = p.transform();
  const QRectF target(100, 50, 333, 66);  // 1_3_9 at its natural size in pixels
  DrawFormulaPicture(p, "1_3_9", target);
  EXPECT_EQ(p.pen().color(), QColor(Qt::red));
  EXPECT_EQ(p.pen().width(), 3);
  EXPECT_EQ(p.brush().color(), QColor(Qt::green));
  EXPECT_EQ(p.transform(), before);
  p.end();
  const QRect inside = target.translated(7, 3).toAlignedRect();
  int ink_inside = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) == qRgb(255, 255, 255)) continue;
      if (inside.contains(x, y)) {
        ++ink_inside;
      } else {
        ADD_FAILURE() << "ink outside the target at " << x << "," << y;
        return;
      }
    }
  }
  EXPECT_GT(ink_inside, 500);
}

// Vertical middle, in pixels of the rendered image, of the last glyph ("=" for most pictures):
// the ink rows of the rightmost columns that carry ink.
double MiddleOfLastGlyph(const QImage& image, int glyph_width) {
  int right = -1;
  for (int x = image.width() - 1; x >= 0 && right < 0; --x) {
    for (int y = 0; y < image.height(); ++y) {
      if (Ink(image, x, y)) {
        right = x;
        break;
      }
    }
  }
  int top = image.height(), bottom = -1;
  for (int x = std::max(0, right - glyph_width); x <= right; ++x) {
    for (int y = 0; y < image.height(); ++y) {
      if (Ink(image, x, y)) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
  }
  return (top + bottom + 1) / 2.0;
}

TEST(DrawFormulaPicture, EqualsSignStandsOnTheMiddleLine) {
  // A value written after the picture is centred on its middle; the "=" must be there too. The
  // Coulomb coefficients have theirs 240 twips (16 px) higher.
  struct Case {
    const char* key;
    double lift_px;
  };
  const Case cases[] = {{"1_3_1", 0},  {"1_3_3", 0},  {"1_3_7", 0},  {"1_4_10", 0},
                        {"1_4_15", 0}, {"1_6_10", 0}, {"1_6_45", 0}, {"1_6_63", 0},
                        {"1_6_70", 0}, {"1_6_92", 0}, {"1_3_9", 16}, {"1_3_10", 16}};
  constexpr int kScale = 4;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    const QImage image = Render(c.key, kScale);
    const double middle = image.height() / 2.0 - c.lift_px * kScale;
    EXPECT_NEAR(MiddleOfLastGlyph(image, 6 * kScale), middle, 1.0 * kScale);
  }
}

TEST(FormulaPictureSize, RaisedPicturesReachOneLineAboveAndBelowTheirRaise) {
  // Drawn at (line top - K), the formula's middle must fall on the middle of the text line,
  // K + 117 twips below the picture's top, and so must the text written after it.
  constexpr int kScale = 4;
  for (const Raised& r : kRaised) {
    SCOPED_TRACE(r.key);
    const QSizeF size = FormulaPictureSize(r.key);
    EXPECT_NEAR(size.height() / 2, r.raise + kLineHeight / 2, 7.5);
    const QImage image = Render(r.key, kScale);
    int top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (Ink(image, x, y)) {
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
      }
    }
    const double ink_middle_twips = (top + bottom + 1) / 2.0 / kScale * 15;
    EXPECT_NEAR(ink_middle_twips, r.raise + kLineHeight / 2, 45.0);
  }
}

TEST(FormulaPictureFractionBar, SlabPicturesHaveRoomForANumberAboveAndBelowTheBar) {
  for (const std::string& key : FormulaPictureKeys()) {
    SCOPED_TRACE(key);
    const std::optional<QRectF> bar = FormulaPictureFractionBar(key);
    if (!HasBar(key)) {
      EXPECT_FALSE(bar.has_value());
      continue;
    }
    ASSERT_TRUE(bar.has_value());
    const QSizeF size = FormulaPictureSize(key);
    EXPECT_GE(bar->width(), 700.0);  // "123.456" in the 9-pt font
    EXPECT_GT(bar->height(), 0.0);
    EXPECT_LT(bar->height(), 30.0);
    EXPECT_GE(bar->top(), kLineHeight);
    EXPECT_GE(size.height() - bar->bottom(), kLineHeight);
    EXPECT_GT(bar->left(), size.width() / 2);
    EXPECT_LT(bar->right(), size.width() - 150);  // the "=" follows the bar
    // The bar is drawn where it is reported.
    constexpr int kScale = 4;
    const QImage image = Render(key, kScale);
    const double k = kScale / 15.0;
    const int y = int(bar->center().y() * k);
    for (double x = bar->left() + 30; x < bar->right() - 30; x += 60) {
      EXPECT_TRUE(Ink(image, int(x * k), y)) << "no bar at x=" << x;
    }
    EXPECT_FALSE(Ink(image, int(bar->center().x() * k), int((bar->top() - 60) * k)));
    EXPECT_FALSE(Ink(image, int(bar->center().x() * k), int((bar->bottom() + 60) * k)));
  }
}

}  // namespace
}  // namespace ktv
