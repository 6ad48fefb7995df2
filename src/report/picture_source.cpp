#include "report/picture_source.h"

#include <QPainter>

#include "report/formula_pictures.h"
#include "report/report_writer.h"

namespace ktv {

bool IsFormulaPictureKey(std::string_view key) { return HasFormulaPicture(key); }

QSizeF FormulaPictureNaturalSize(std::string_view key) {
  if (!IsFormulaPictureKey(key)) {
    throw ReportError("Unknown formula picture \"" + std::string(key) + "\"");
  }
  try {
    return FormulaPictureSize(key);
  } catch (const std::exception& e) {
    throw ReportError(e.what());
  }
}

void PaintFormulaPicture(QPainter& painter, std::string_view key, const QRectF& target) {
  if (HasFormulaPicture(key)) DrawFormulaPicture(painter, key, target);
}

std::vector<std::string> KnownFormulaPictureKeys() { return FormulaPictureKeys(); }

}  // namespace ktv
