#include "report/formula_pictures.h"

#include <QByteArray>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QPainter>
#include <QRawFont>
#include <QString>
#include <QStringList>
#include <charconv>
#include <cmath>
#include <map>
#include <mutex>
#include <system_error>

// The pictures live in a static library; registering the resource explicitly keeps the linker from
// dropping it from executables that use the library.
static void InitFormulaPictureResources() {
  static std::once_flag once;
  std::call_once(once, [] { Q_INIT_RESOURCE(formula_pictures); });
}

namespace ktv {
namespace {

// The font holds each glyph the formulas use as the character U+E000 + n; one em of a formula
// is 180 twips (12 px at 96 dpi, the 9-pt report font).
constexpr char16_t kFirstGlyphChar = 0xE000;
constexpr int kEmTwips = 180;

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
  // The triangular ground reaction, added after the original series.
  for (const char* k :
       {"1_3_17", "1_3_18", "1_4_24", "1_4_25", "1_6_34", "1_6_35", "1_6_36", "1_6_37"}) {
    keys.push_back(k);
  }
  return keys;
}

const std::vector<std::string>& Keys() {
  static const std::vector<std::string> keys = BuildKeys();
  return keys;
}

// Glyphs of one size (or one transformation) of a picture, drawn in one go: their positions are
// in the coordinates of `transform`, which takes them to twips from the picture's corner.
struct GlyphGroup {
  QTransform transform;
  std::vector<int> glyphs;  // n of U+E000 + n
  QList<QPointF> positions;
};

struct Picture {
  QSizeF size;  // twips
  std::vector<GlyphGroup> groups;
  std::vector<QRectF> rules;  // twips from the top-left corner
  std::optional<QRectF> bar;
};

[[noreturn]] void ThrowUnknown(std::string_view key) {
  throw FormulaPictureError("数式画像 \"" + std::string(key) + "\" はありません");
}

[[noreturn]] void ThrowBroken(int line) {
  throw FormulaPictureError("数式画像の一覧 pictures.txt の " + std::to_string(line) +
                            " 行目が読めません");
}

QByteArray ReadResource(const char* name) {
  InitFormulaPictureResources();
  QFile file(QStringLiteral(":/formula_pictures/") + QLatin1String(name));
  if (!file.open(QIODevice::ReadOnly)) {
    throw FormulaPictureError(std::string("数式画像 ") + name + " を読み込めません");
  }
  return file.readAll();
}

// The fields from `first` on as numbers.
std::vector<double> Numbers(const QList<QByteArray>& fields, qsizetype first, int line) {
  std::vector<double> out;
  for (qsizetype i = first; i < fields.size(); ++i) {
    double v = 0;
    const QByteArray& f = fields[i];
    const auto [end, error] = std::from_chars(f.data(), f.data() + f.size(), v);
    if (error != std::errc() || end != f.data() + f.size() || !std::isfinite(v)) ThrowBroken(line);
    out.push_back(v);
  }
  return out;
}

// Adds a glyph to the group of its transformation, made when the transformation first occurs.
void AddGlyph(Picture& picture, int glyph, QPointF origin, const QTransform& linear, int line) {
  if (!linear.isInvertible()) ThrowBroken(line);
  for (GlyphGroup& g : picture.groups) {
    if (g.transform.m11() == linear.m11() && g.transform.m12() == linear.m12() &&
        g.transform.m21() == linear.m21() && g.transform.m22() == linear.m22()) {
      g.glyphs.push_back(glyph);
      g.positions.push_back(linear.inverted().map(origin));
      return;
    }
  }
  picture.groups.push_back({linear, {glyph}, {linear.inverted().map(origin)}});
}

// Reads pictures.txt: "picture KEY W H", then its "glyph", "rule" and "bar" lines.
std::map<std::string, Picture, std::less<>> ParsePictures(const QByteArray& text) {
  std::map<std::string, Picture, std::less<>> pictures;
  Picture* current = nullptr;
  int line_number = 0;
  for (const QByteArray& raw : text.split('\n')) {
    ++line_number;
    const QByteArray line = raw.trimmed();
    if (line.isEmpty() || line.startsWith('#') || line.startsWith("tex ")) continue;
    const QList<QByteArray> fields = line.simplified().split(' ');
    const QByteArray& kind = fields[0];
    if (kind == "picture") {
      if (fields.size() != 4) ThrowBroken(line_number);
      const std::vector<double> wh = Numbers(fields, 2, line_number);
      const std::string key = fields[1].toStdString();
      if (!(wh[0] > 0 && wh[1] > 0) || pictures.count(key) != 0) ThrowBroken(line_number);
      current = &pictures[key];
      current->size = QSizeF(wh[0], wh[1]);
      continue;
    }
    if (current == nullptr) ThrowBroken(line_number);
    if (kind == "glyph" && (fields.size() == 5 || fields.size() == 8)) {
      const std::vector<double> v = Numbers(fields, 2, line_number);
      bool whole = false;
      const int glyph = fields[1].toInt(&whole);
      if (!whole || glyph < 0 || glyph > 0x1000) ThrowBroken(line_number);
      const QTransform linear = v.size() == 3 ? QTransform::fromScale(v[2], v[2])
                                              : QTransform(v[2], v[4], v[3], v[5], 0, 0);
      AddGlyph(*current, glyph, QPointF(v[0], v[1]), linear, line_number);
    } else if ((kind == "rule" || kind == "bar") && fields.size() == 5) {
      const std::vector<double> r = Numbers(fields, 1, line_number);
      if (r[2] < 0 || r[3] < 0) ThrowBroken(line_number);
      (kind == "rule" ? current->rules.emplace_back() : current->bar.emplace()) =
          QRectF(r[0], r[1], r[2], r[3]);
    } else {
      ThrowBroken(line_number);
    }
  }
  return pictures;
}

// Read once, on first use; read-only afterwards.
const std::map<std::string, Picture, std::less<>>& Pictures() {
  static const auto pictures = ParsePictures(ReadResource("pictures.txt"));
  return pictures;
}

const Picture& Find(std::string_view key) {
  if (!HasFormulaPicture(key)) ThrowUnknown(key);
  const auto& pictures = Pictures();
  auto it = pictures.find(key);
  if (it == pictures.end()) {
    throw FormulaPictureError("数式画像 \"" + std::string(key) + "\" が一覧にありません");
  }
  return it->second;
}

// The glyph font, registered once with the application's fonts. Text set in a registered font
// goes into a PDF as an embedded font subset: a few bytes per glyph instead of its outline.
// Returns the font's family; the glyph of U+E000 + n is glyph n + 1 of the font (0 is .notdef).
QString GlyphFontFamily() {
  static const QString family = [] {
    const int id = QFontDatabase::addApplicationFontFromData(ReadResource("formula_glyphs.ttf"));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (id < 0 || families.isEmpty()) {
      throw FormulaPictureError("数式画像のフォントを登録できません");
    }
    return families.front();
  }();
  return family;
}

QRawFont GlyphFont() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    throw FormulaPictureError("数式画像を描くには QGuiApplication が必要です");
  }
  QFont font(GlyphFontFamily());
  font.setPixelSize(kEmTwips);
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setStyleStrategy(QFont::StyleStrategy(QFont::NoFontMerging | QFont::PreferOutline));
  QRawFont raw = QRawFont::fromFont(font);
  if (!raw.isValid() || raw.familyName() != font.family()) {
    throw FormulaPictureError("数式画像のフォントが見つかりません");
  }
  return raw;
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
  const QRawFont font = GlyphFont();
  p.save();
  p.translate(target.topLeft());
  p.scale(target.width() / picture.size.width(), target.height() / picture.size.height());
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  for (const QRectF& rule : picture.rules) p.drawRect(rule);
  p.setPen(Qt::black);  // glyph runs are drawn with the pen
  for (const GlyphGroup& group : picture.groups) {
    QList<quint32> indexes;
    indexes.reserve(static_cast<qsizetype>(group.glyphs.size()));
    for (int n : group.glyphs) indexes.push_back(static_cast<quint32>(n + 1));
    QGlyphRun run;
    run.setRawFont(font);
    run.setGlyphIndexes(indexes);
    run.setPositions(group.positions);
    p.save();
    p.setTransform(group.transform, true);
    p.drawGlyphRun(QPointF(0, 0), run);
    p.restore();
  }
  p.restore();
}

std::optional<QRectF> FormulaPictureFractionBar(std::string_view key) { return Find(key).bar; }

std::vector<std::string> FormulaPictureKeys() { return Keys(); }

}  // namespace ktv
