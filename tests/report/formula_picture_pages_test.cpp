// All formula pictures as the report prints them: written into report pages with a value after
// each, exported to PDF and rasterised at 300 dpi, then compared with the stored pages. A change of
// a picture, of its size or of the way pictures reach the PDF shows here as ink that moved.
//
// After an intended change of the pictures, look at the new pages and store them:
//   KTV_STORE_PICTURE_PAGES=1 formula_picture_pages_tests
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "report/picture_source.h"
#include "report/report_render.h"
#include "report/report_writer.h"

namespace ktv {
namespace {

constexpr int kDpi = 300;

// Every picture on a line of its own, followed by a value as the report writes it; the next
// line starts below the picture.
void WriteAllPictures(ReportWriter& w) {
  w.PageSetup();
  w.BeginDocument();
  for (const std::string& key : KnownFormulaPictureKeys()) {
    const QSizeF size = w.PictureSize(key + ".bmp");
    if (w.GetY() + size.height() > kA4Height - kPageMargin - 300) w.NewPage();
    const double top = w.GetY();
    w.SetX(kPageMargin + 200);
    w.InsertFormulaPicture(key + ".bmp");
    w.Text("123.456 kN/m²");
    w.SetY(top + size.height() + 30);
  }
  w.EndDocument();
}

// The pages of a PDF in grey at kDpi, in page order.
std::vector<QImage> Rasterise(const QString& pdf, const QString& prefix) {
  QProcess p;
  p.start("pdftoppm", {"-r", QString::number(kDpi), "-gray", "-png", pdf, prefix});
  if (!p.waitForFinished(120000) || p.exitCode() != 0) return {};
  const QFileInfo info(prefix);
  std::vector<QImage> pages;
  for (const QString& f :
       QDir(info.absolutePath()).entryList({info.fileName() + "-*.png"}, QDir::Files, QDir::Name)) {
    pages.push_back(QImage(info.absolutePath() + "/" + f)
                        .convertToFormat(QImage::Format_Mono, Qt::ThresholdDither));
  }
  return pages;
}

// Where a page carries ink (darker than mid grey).
struct InkMap {
  explicit InkMap(const QImage& image) : width(image.width()), height(image.height()) {
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    ink.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
      const uchar* line = grey.constScanLine(y);
      for (int x = 0; x < width; ++x) ink[static_cast<size_t>(y) * width + x] = line[x] < 128;
    }
  }
  bool At(int x, int y) const {
    return x >= 0 && y >= 0 && x < width && y < height &&
           ink[static_cast<size_t>(y) * width + x] != 0;
  }
  int width;
  int height;
  std::vector<uint8_t> ink;
};

// Inked pixels of a without ink in b at the same place or one pixel beside it, in all and in the
// worst square of kTile pixels. The same pictures drawn another way differ only by single edge
// pixels scattered over the page; a glyph that changed or moved leaves a cluster.
constexpr int kTile = 16;
struct Unmatched {
  long total = 0;
  int worst_tile = 0;
};

Unmatched Compare(const InkMap& a, const InkMap& b) {
  Unmatched out;
  const int tiles_x = (a.width + kTile - 1) / kTile;
  std::vector<int> tiles(static_cast<size_t>(tiles_x) * ((a.height + kTile - 1) / kTile), 0);
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      if (!a.At(x, y)) continue;
      bool near = false;
      for (int dy = -1; dy <= 1 && !near; ++dy) {
        for (int dx = -1; dx <= 1 && !near; ++dx) near = b.At(x + dx, y + dy);
      }
      if (near) continue;
      ++out.total;
      int& tile = tiles[static_cast<size_t>(y / kTile) * tiles_x + x / kTile];
      out.worst_tile = std::max(out.worst_tile, ++tile);
    }
  }
  return out;
}

QString StoredPage(size_t index) {
  return QStringLiteral(KTV_PICTURE_PAGES_DIR "/page-%1.png").arg(index + 1);
}

TEST(FormulaPicturePages, PrintAsStored) {
  ASSERT_FALSE(QStandardPaths::findExecutable("pdftoppm").isEmpty())
      << "poppler-utils (scripts/install_deps.sh) is needed";
  QTemporaryDir dir;
  ReportWriter w;
  WriteAllPictures(w);
  const QString pdf = dir.filePath("pictures.pdf");
  WritePdf(w, pdf);
  const std::vector<QImage> pages = Rasterise(pdf, dir.filePath("page"));
  ASSERT_EQ(pages.size(), static_cast<size_t>(w.PageCount()));

  if (qEnvironmentVariableIsSet("KTV_STORE_PICTURE_PAGES")) {
    QDir().mkpath(KTV_PICTURE_PAGES_DIR);
    for (size_t i = 0; i < pages.size(); ++i) ASSERT_TRUE(pages[i].save(StoredPage(i)));
    GTEST_SKIP() << "stored " << pages.size() << " pages in " << KTV_PICTURE_PAGES_DIR;
  }
  for (size_t i = 0; i < pages.size(); ++i) {
    SCOPED_TRACE("page " + std::to_string(i + 1));
    const QImage stored(StoredPage(i));
    ASSERT_FALSE(stored.isNull()) << StoredPage(i).toStdString() << " is missing";
    ASSERT_EQ(stored.size(), pages[i].size());
    const InkMap now(pages[i]), before(stored);
    for (const auto& [from, to, what] : {std::tuple(&now, &before, "ink the stored page lacks"),
                                         std::tuple(&before, &now, "stored ink the page lacks")}) {
      const Unmatched u = Compare(*from, *to);
      EXPECT_LE(u.total, 60) << what;
      EXPECT_LE(u.worst_tile, 6) << what << " in one place";
    }
  }
  EXPECT_FALSE(QFileInfo::exists(StoredPage(pages.size()))) << "the stored pages are more";
}

}  // namespace
}  // namespace ktv
