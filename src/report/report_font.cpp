#include "report/report_font.h"

#include <QFontDatabase>
#include <QStringList>
#include <cmath>

namespace ktv {

namespace {
constexpr const char* kFamily = "IPAPMincho";
constexpr const char* kFontFile = "/usr/share/fonts/opentype/ipafont-mincho/ipamp.ttf";
}  // namespace

QString ReportFontFamily() {
  static const QString family = [] {
    const QString wanted = QString::fromLatin1(kFamily);
    if (QFontDatabase::families().contains(wanted)) return wanted;
    int id = QFontDatabase::addApplicationFont(QString::fromLatin1(kFontFile));
    if (id >= 0) {
      QStringList loaded = QFontDatabase::applicationFontFamilies(id);
      if (!loaded.isEmpty()) return loaded.front();
    }
    return wanted;  // the font system substitutes the nearest font
  }();
  return family;
}

QFont ReportFont(double points) {
  QFont font(ReportFontFamily());
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * 20.0))));
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferOutline | QFont::PreferAntialias));
  return font;
}

}  // namespace ktv
