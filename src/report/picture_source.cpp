#include "report/picture_source.h"

#include <QPainter>
#include <QString>
#include <algorithm>

#include "report/report_writer.h"

#ifdef KTV_HAVE_FORMULA_PICTURES
#include "report/formula_pictures.h"
#endif

namespace ktv {

namespace {

#ifndef KTV_HAVE_FORMULA_PICTURES
void AddRange(std::vector<std::string>& keys, const char* prefix, int from, int to) {
  for (int i = from; i <= to; ++i) keys.push_back(std::string(prefix) + std::to_string(i));
}

// The 130 keys of the report's formula pictures, in list order.
const std::vector<std::string>& KeyList() {
  static const std::vector<std::string> keys = [] {
    std::vector<std::string> k;
    AddRange(k, "1_3_", 1, 16);
    AddRange(k, "1_4_", 1, 18);
    AddRange(k, "1_4_", 20, 23);
    AddRange(k, "1_6_", 1, 8);
    AddRange(k, "1_6_", 10, 33);
    AddRange(k, "1_6_", 40, 67);
    AddRange(k, "1_6_", 70, 88);
    AddRange(k, "1_6_", 90, 96);
    k.push_back("1_6_96_2");
    AddRange(k, "1_6_", 97, 101);
    return k;
  }();
  return keys;
}
#endif

[[noreturn]] void UnknownKey(std::string_view key) {
  throw ReportError("Unknown formula picture \"" + std::string(key) + "\"");
}

}  // namespace

bool IsFormulaPictureKey(std::string_view key) {
#ifdef KTV_HAVE_FORMULA_PICTURES
  return HasFormulaPicture(key);
#else
  const auto& keys = KeyList();
  return std::find(keys.begin(), keys.end(), key) != keys.end();
#endif
}

QSizeF FormulaPictureNaturalSize(std::string_view key) {
  if (!IsFormulaPictureKey(key)) UnknownKey(key);
#ifdef KTV_HAVE_FORMULA_PICTURES
  try {
    return FormulaPictureSize(key);
  } catch (const std::exception& e) {
    throw ReportError(e.what());
  }
#else
  // Without the picture library every picture is a one-line box naming its key.
  return QSizeF(1800, 330);
#endif
}

void PaintFormulaPicture(QPainter& painter, std::string_view key, const QRectF& target) {
#ifdef KTV_HAVE_FORMULA_PICTURES
  if (HasFormulaPicture(key)) DrawFormulaPicture(painter, key, target);
#else
  painter.save();
  painter.setPen(QPen(Qt::black, 0));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(target);
  painter.drawText(target, Qt::AlignCenter, QString::fromUtf8(key.data(), key.size()) + " =");
  painter.restore();
#endif
}

std::vector<std::string> KnownFormulaPictureKeys() {
#ifdef KTV_HAVE_FORMULA_PICTURES
  return FormulaPictureKeys();
#else
  return KeyList();
#endif
}

}  // namespace ktv
