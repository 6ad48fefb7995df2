// Draws every formula picture at its natural size into PNG sheets, each followed by a value in the
// 9-pt report font placed as the report places it (right of the picture, centred on its middle),
// with a second formula line written one text line lower as the report does, so that size,
// alignment and overlaps can be judged by eye.
//
//   formula_contact_sheet <output prefix> [pixels per 15 twips, default 2] [rows per sheet]
//                         [comma-separated keys, default all]
//
// writes <prefix>_1.png, <prefix>_2.png, ...
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <string>
#include <vector>

#include "report/formula_pictures.h"

namespace {

constexpr double kPageWidth = 9906;  // twips inside the report margins
constexpr double kLeft = 900;        // pictures start here; the key stands left of it

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <output prefix> [scale] [rows per sheet]\n", argv[0]);
    return 2;
  }
  const std::string prefix = argv[1];
  const double scale = argc > 2 ? std::stod(argv[2]) : 2.0;
  const int rows_per_sheet = argc > 3 ? std::stoi(argv[3]) : 22;

  QFont body("IPAPMincho");
  body.setPixelSize(180);  // 9 pt in twips
  QFont small("IPAPGothic");
  small.setPixelSize(120);
  const QFontMetricsF fm(body);
  const double text_height = 234;  // the report's line height and TextHeight: 1.3 em

  std::vector<std::string> keys = ktv::FormulaPictureKeys();
  if (argc > 4) {
    keys.clear();
    std::string list = argv[4];
    for (size_t pos = 0; pos <= list.size();) {
      size_t comma = list.find(',', pos);
      if (comma == std::string::npos) comma = list.size();
      keys.push_back(list.substr(pos, comma - pos));
      pos = comma + 1;
    }
  }
  int sheet = 0;
  for (size_t start = 0; start < keys.size(); start += rows_per_sheet) {
    const size_t end = std::min(keys.size(), start + rows_per_sheet);
    double height = 200;
    for (size_t i = start; i < end; ++i) {
      height +=
          std::max(ktv::FormulaPictureSize(keys[i]).height(), text_height) + text_height + 260;
    }
    QImage image(int(kPageWidth / 15 * scale), int(height / 15 * scale), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(scale / 15, scale / 15);
    double y = 200;
    for (size_t i = start; i < end; ++i) {
      const std::string& key = keys[i];
      const QSizeF size = ktv::FormulaPictureSize(key);
      p.setFont(small);
      p.setPen(Qt::darkGray);
      p.drawText(QPointF(40, y + size.height() / 2 + 40),
                 QString::fromStdString(key) +
                     QStringLiteral(" %1x%2").arg(size.width() / 15).arg(size.height() / 15));
      // The picture's box, to see its padding.
      p.setPen(QPen(QColor(255, 190, 190), 0));
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRectF(QPointF(kLeft, y), size));
      ktv::DrawFormulaPicture(p, key, QRectF(QPointF(kLeft, y), size));
      const double baseline = (text_height - fm.height()) / 2 + fm.ascent();  // glyphs centred
      if (const auto bar = ktv::FormulaPictureFractionBar(key)) {
        // The two numbers the report writes in one text line each, on and under the bar.
        p.setFont(body);
        p.setPen(Qt::blue);
        const QString num = "12.345", den = "6.789";
        const QRectF b = bar->translated(kLeft, y);
        p.drawText(QPointF(b.center().x() - fm.horizontalAdvance(num) / 2,
                           b.top() - text_height + baseline),
                   num);
        p.drawText(QPointF(b.center().x() - fm.horizontalAdvance(den) / 2, b.bottom() + baseline),
                   den);
      }
      // The value as the report writes it: top of the text at (y1 + y2 - TextHeight) / 2.
      p.setFont(body);
      p.setPen(Qt::blue);
      const double text_top = (2 * y + size.height() - text_height) / 2;
      const double lift = (key == "1_3_9" || key == "1_3_10") ? 240 : 0;
      p.drawText(QPointF(kLeft + size.width(), text_top - lift + baseline),
                 QStringLiteral("0.297 kN/m　φ＝30°"));
      // The next report line, as after the value's CR LF.
      p.setPen(Qt::darkGreen);
      p.drawText(QPointF(kLeft, text_top - lift + text_height + baseline),
                 QStringLiteral("次の行　φ＝30°、β＝0.00°、α＝-26.57°"));
      y += std::max(size.height(), text_height) + text_height + 260;
    }
    p.end();
    const std::string name = prefix + "_" + std::to_string(++sheet) + ".png";
    if (!image.save(QString::fromStdString(name))) {
      std::fprintf(stderr, "cannot write %s\n", name.c_str());
      return 1;
    }
    std::printf("%s\n", name.c_str());
  }
  return 0;
}
