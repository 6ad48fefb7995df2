#pragma once
// The one seam between the report document and the formula pictures.
#include <QRectF>
#include <QSizeF>
#include <string>
#include <string_view>
#include <vector>

class QPainter;

namespace ktv {

bool IsFormulaPictureKey(std::string_view key);
// Natural size in twips; throws ReportError naming the key when it is unknown.
QSizeF FormulaPictureNaturalSize(std::string_view key);
void PaintFormulaPicture(QPainter& painter, std::string_view key, const QRectF& target);
// The keys the report knows, in list order.
std::vector<std::string> KnownFormulaPictureKeys();

}  // namespace ktv
