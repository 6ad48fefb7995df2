#include "input_window/pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace ktv {
namespace {

constexpr int kIconSize = 32;

QPixmap Blank(int w, int h) {
  QPixmap pm(w, h);
  pm.fill(Qt::transparent);
  return pm;
}

// A sheet of paper with a folded corner.
void Sheet(QPainter& p, QRectF r) {
  QPolygonF page;
  qreal fold = r.width() * 0.3;
  page << r.topLeft() << QPointF(r.right() - fold, r.top()) << QPointF(r.right(), r.top() + fold)
       << r.bottomRight() << r.bottomLeft();
  p.setPen(QPen(QColor(60, 60, 60), 1.2));
  p.setBrush(Qt::white);
  p.drawPolygon(page);
  QPolygonF corner;
  corner << QPointF(r.right() - fold, r.top()) << QPointF(r.right() - fold, r.top() + fold)
         << QPointF(r.right(), r.top() + fold);
  p.setBrush(QColor(220, 220, 220));
  p.drawPolygon(corner);
}

void Lines(QPainter& p, QRectF r, int count) {
  p.setPen(QPen(QColor(120, 140, 170), 1.2));
  for (int i = 0; i < count; ++i) {
    qreal y = r.top() + r.height() * (0.42 + 0.14 * i);
    p.drawLine(QPointF(r.left() + r.width() * 0.18, y), QPointF(r.right() - r.width() * 0.18, y));
  }
}

QPixmap NewIcon() {
  QPixmap pm = Blank(kIconSize, kIconSize);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  Sheet(p, QRectF(7, 3, 18, 26));
  // A small star: a fresh page.
  p.setPen(QPen(QColor(230, 160, 0), 2));
  QPointF c(24, 8);
  for (int i = 0; i < 4; ++i) {
    p.drawLine(c, c + QPointF(i % 2 ? 0 : (i ? -4 : 4), i % 2 ? (i == 1 ? 4 : -4) : 0));
  }
  return pm;
}

QPixmap OpenIcon() {
  QPixmap pm = Blank(kIconSize, kIconSize);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(140, 100, 20), 1.2));
  p.setBrush(QColor(240, 200, 90));
  QPolygonF back;
  back << QPointF(3, 8) << QPointF(12, 8) << QPointF(14, 11) << QPointF(27, 11) << QPointF(27, 26)
       << QPointF(3, 26);
  p.drawPolygon(back);
  p.setBrush(QColor(250, 220, 130));
  QPolygonF front;
  front << QPointF(3, 26) << QPointF(8, 15) << QPointF(30, 15) << QPointF(26, 26);
  p.drawPolygon(front);
  return pm;
}

QPixmap SaveIcon() {
  QPixmap pm = Blank(kIconSize, kIconSize);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(30, 50, 100), 1.2));
  p.setBrush(QColor(70, 110, 190));
  p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(9, 5, 14, 9));
  p.setBrush(QColor(200, 200, 200));
  p.drawRect(QRectF(9, 18, 14, 10));
  p.setBrush(QColor(30, 50, 100));
  p.drawRect(QRectF(18, 20, 3, 6));
  return pm;
}

QPixmap PrintIcon() {
  QPixmap pm = Blank(kIconSize, kIconSize);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(60, 60, 60), 1.2));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(9, 3, 14, 10));
  p.setBrush(QColor(150, 150, 160));
  p.drawRoundedRect(QRectF(3, 12, 26, 11), 2, 2);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(8, 19, 16, 10));
  Lines(p, QRectF(8, 17, 16, 12), 2);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(60, 200, 60));
  p.drawEllipse(QPointF(25, 15.5), 1.3, 1.3);
  return pm;
}

QPixmap PreviewIcon() {
  QPixmap pm = Blank(kIconSize, kIconSize);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  Sheet(p, QRectF(4, 2, 18, 25));
  Lines(p, QRectF(4, 2, 18, 25), 3);
  p.setPen(QPen(QColor(40, 40, 40), 2.2));
  p.setBrush(QColor(200, 230, 255, 200));
  p.drawEllipse(QPointF(19, 18), 6, 6);
  p.setPen(QPen(QColor(40, 40, 40), 3.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(23.5, 22.5), QPointF(29, 28));
  return pm;
}

}  // namespace

QIcon ToolbarIcon(const QString& key) {
  if (key == QLatin1String("New")) return QIcon(NewIcon());
  if (key == QLatin1String("Open")) return QIcon(OpenIcon());
  if (key == QLatin1String("Save")) return QIcon(SaveIcon());
  if (key == QLatin1String("Print")) return QIcon(PrintIcon());
  if (key == QLatin1String("Preview")) return QIcon(PreviewIcon());
  return {};
}

QPixmap CantileverSectionPicture(int width, int height) {
  QPixmap pm(width, height);
  pm.fill(Qt::white);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  // The section in units of a 100 x 100 box.
  auto x = [&](qreal u) { return width * (0.08 + 0.84 * u / 100.0); };
  auto y = [&](qreal v) { return height * (0.06 + 0.80 * v / 100.0); };
  const qreal toe_end = 0, stem_front = 34, stem_back_top = 46, stem_back = 52, heel_end = 100;
  const qreal crest = 0, slab_top = 72, toe_top = 80, bottom = 100;
  QPolygonF section;
  section << QPointF(x(toe_end), y(bottom)) << QPointF(x(toe_end), y(toe_top))
          << QPointF(x(stem_front), y(slab_top)) << QPointF(x(stem_front), y(crest))
          << QPointF(x(stem_back_top), y(crest)) << QPointF(x(stem_back), y(slab_top))
          << QPointF(x(heel_end), y(toe_top)) << QPointF(x(heel_end), y(bottom));
  p.setPen(QPen(Qt::black, 1.5));
  p.setBrush(QColor(225, 225, 225));
  p.drawPolygon(section);

  // Ground lines: the backfill at the crest behind the wall, the front ground over the toe.
  p.setPen(QPen(QColor(0, 0, 200), 1.2));
  p.drawLine(QPointF(x(stem_back_top), y(crest)), QPointF(x(heel_end + 4), y(crest)));
  p.drawLine(QPointF(x(toe_end - 6), y(toe_top - 14)), QPointF(x(stem_front), y(toe_top - 14)));

  QPen cut(QColor(200, 0, 0), 1.3, Qt::DashLine);
  QFont f = p.font();
  f.setPixelSize(qMax(9, height / 16));
  f.setBold(true);
  p.setFont(f);
  auto label = [&](QPointF at, const QString& text) {
    p.setPen(QColor(200, 0, 0));
    p.drawText(at, text);
  };
  // A-A': across the stem partway down; B-B': across the stem at the top of the base slab.
  const qreal aa = 36;
  auto stem_back_at = [&](qreal v) {
    return stem_back_top + (stem_back - stem_back_top) * (v - crest) / (slab_top - crest);
  };
  p.setPen(cut);
  p.drawLine(QPointF(x(stem_front - 6), y(aa)), QPointF(x(stem_back_at(aa) + 6), y(aa)));
  p.drawLine(QPointF(x(stem_front - 6), y(slab_top)), QPointF(x(stem_back + 6), y(slab_top)));
  label(QPointF(x(stem_back_at(aa) + 8), y(aa) + f.pixelSize() / 3), QStringLiteral("A-A'"));
  label(QPointF(x(stem_back + 8), y(slab_top) - 3), QStringLiteral("B-B'"));
  // C-C' and D-D': through the toe and heel slabs at the faces of the stem.
  p.setPen(cut);
  p.drawLine(QPointF(x(stem_front), y(slab_top - 6)), QPointF(x(stem_front), y(bottom + 6)));
  p.drawLine(QPointF(x(stem_back), y(slab_top - 6)), QPointF(x(stem_back), y(bottom + 6)));
  label(QPointF(x(stem_front) - f.pixelSize() * 2.6, y(bottom + 6) + f.pixelSize()),
        QStringLiteral("C-C'"));
  label(QPointF(x(stem_back) + 2, y(bottom + 6) + f.pixelSize()), QStringLiteral("D-D'"));

  // The height h of section A-A' below the crest.
  p.setPen(QPen(QColor(90, 90, 90), 1));
  qreal hx = x(stem_front - 12);
  p.drawLine(QPointF(hx, y(crest)), QPointF(hx, y(aa)));
  p.drawLine(QPointF(hx - 3, y(crest)), QPointF(x(stem_front), y(crest)));
  f.setBold(false);
  p.setFont(f);
  p.drawText(QPointF(hx - f.pixelSize() * 1.1, y(aa / 2) + f.pixelSize() / 3), QStringLiteral("h"));
  return pm;
}

}  // namespace ktv
