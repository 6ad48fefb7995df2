#pragma once
// The report font (IPA P明朝), sized so that one pixel is one twip.
#include <QFont>
#include <QString>

namespace ktv {

// Family name of the report font; loaded from the installed file when the font database does
// not know it by name.
QString ReportFontFamily();
// The font of a point size with its pixel size in twips (9 pt = 180).
QFont ReportFont(double points);
// Line height of the paragraphs and TextHeight of one line: 1.3 em.
inline double ReportLineHeight(double points) { return points * 20.0 * 1.3; }

}  // namespace ktv
