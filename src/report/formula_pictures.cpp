#include "report/formula_pictures.h"

#include <QByteArray>
#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <QTransform>
#include <map>
#include <mutex>

// The pictures live in a static library; registering the resource explicitly keeps the linker from
// dropping it from executables that use the library.
static void InitFormulaPictureResources() {
  static std::once_flag once;
  std::call_once(once, [] { Q_INIT_RESOURCE(formula_pictures); });
}

namespace ktv {
namespace {

constexpr double kTwipsPerPixel = 15.0;
const char kBarId[] = "fraction-bar";

struct Range {
  const char* prefix;
  int first;
  int last;
};

std::vector<std::string> BuildKeys() {
  static const Range kRanges[] = {
      {"1_3_", 1, 16},  {"1_4_", 1, 18},  {"1_4_", 20, 23}, {"1_6_", 1, 8},
      {"1_6_", 10, 33}, {"1_6_", 40, 67}, {"1_6_", 70, 88}, {"1_6_", 90, 96},
  };
  std::vector<std::string> keys;
  for (const Range& r : kRanges) {
    for (int i = r.first; i <= r.last; ++i) {
      keys.push_back(r.prefix + std::to_string(i));
      if (keys.back() == "1_6_96") keys.push_back("1_6_96_2");
    }
  }
  for (int i = 97; i <= 101; ++i) keys.push_back("1_6_" + std::to_string(i));
  return keys;
}

const std::vector<std::string>& Keys() {
  static const std::vector<std::string> keys = BuildKeys();
  return keys;
}

struct Picture {
  QByteArray svg;
  QSizeF size;                // twips
  std::optional<QRectF> bar;  // twips from the top-left corner
};

[[noreturn]] void ThrowUnknown(std::string_view key) {
  throw FormulaPictureError("数式画像 \"" + std::string(key) + "\" はありません");
}

Picture Load(const std::string& key) {
  InitFormulaPictureResources();
  QFile file(QStringLiteral(":/formula_pictures/%1.svg").arg(QString::fromStdString(key)));
  if (!file.open(QIODevice::ReadOnly)) {
    throw FormulaPictureError("数式画像 \"" + key + "\" を読み込めません");
  }
  Picture picture;
  picture.svg = file.readAll();
  QSvgRenderer renderer(picture.svg);
  const QSize px = renderer.defaultSize();
  const QRectF box = renderer.viewBoxF();
  if (!renderer.isValid() || px.isEmpty() || box.isEmpty()) {
    throw FormulaPictureError("数式画像 \"" + key + "\" が壊れています");
  }
  picture.size = QSizeF(px.width() * kTwipsPerPixel, px.height() * kTwipsPerPixel);
  if (renderer.elementExists(kBarId)) {
    const QRectF bar =
        renderer.transformForElement(kBarId).mapRect(renderer.boundsOnElement(kBarId));
    const double sx = picture.size.width() / box.width();
    const double sy = picture.size.height() / box.height();
    picture.bar = QRectF((bar.x() - box.x()) * sx, (bar.y() - box.y()) * sy, bar.width() * sx,
                         bar.height() * sy);
  }
  return picture;
}

// Loaded on first use and kept: the size is asked for far more often than a picture is drawn.
const Picture& Find(std::string_view key) {
  static std::mutex mutex;
  static std::map<std::string, Picture, std::less<>> cache;
  if (!HasFormulaPicture(key)) ThrowUnknown(key);
  std::lock_guard lock(mutex);
  auto it = cache.find(key);
  if (it == cache.end()) {
    std::string name(key);
    it = cache.emplace(name, Load(name)).first;
  }
  return it->second;
}

}  // namespace

bool HasFormulaPicture(std::string_view key) {
  for (const std::string& k : Keys()) {
    if (k == key) return true;
  }
  return false;
}

QSizeF FormulaPictureSize(std::string_view key) { return Find(key).size; }

void DrawFormulaPicture(QPainter& p, std::string_view key, const QRectF& target) {
  const Picture& picture = Find(key);
  QSvgRenderer renderer(picture.svg);
  p.save();
  renderer.render(&p, target);
  p.restore();
}

std::optional<QRectF> FormulaPictureFractionBar(std::string_view key) { return Find(key).bar; }

std::vector<std::string> FormulaPictureKeys() { return Keys(); }

}  // namespace ktv
