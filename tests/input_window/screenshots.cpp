// Saves a picture of every page of the window (for looking at the layout), in the folder given as
// the first argument.
#include <QDir>
#include <QMessageBox>
#include <QPixmap>
#include <QScrollArea>
#include <QStyleFactory>
#include <QTest>
#include <cstdio>
#include <utility>
#include <vector>

#include "families/family_table.h"
#include "gtest/gtest.h"
#include "input_window/input_window.h"
#include "sketch/sketch_panel.h"
#include "window_test_support.h"

int main(int argc, char** argv) {
  using namespace ktv::testing;
  QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  QDir().mkpath(out);
  QApplication& app = App();
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QFont font(QStringLiteral("IPAPGothic"));
  font.setPointSize(10);
  app.setFont(font);
  Installation install;
  ScriptedMessages messages;
  ScriptedDialogs dialogs;
  ktv::InputWindow window(install.Values(), messages, dialogs);
  window.show();
  QTest::qWait(200);
  // The wall page of every family with its standard section.
  for (int family : {0, 1, 2}) {
    Choose(window, QStringLiteral("cboKeisiki"), family);
    window.SelectPage(1);
    QTest::qWait(100);
    QString file = QDir(out).filePath(QStringLiteral("wall_page_family%1.png").arg(family));
    window.grab().save(file);
    std::printf("%s\n", file.toLocal8Bit().constData());
  }
  // Some shapes away from the standard: a lower, sloping backfill; an L and an inverted-L wall.
  struct Shape {
    const char* name;
    int family;
    std::vector<std::pair<const char*, const char*>> boxes;
  };
  const Shape shapes[] = {
      {"leaning_h1", 1, {{"txtH(1)", "4000"}, {"txtβ", "15"}}},
      {"cantilever_h1", 2, {{"txtH(1)", "4000"}, {"txtβ", "20"}}},
      {"cantilever_l", 2, {{"txtL(0)", "0"}, {"txtT(0)", "0"}, {"txtL(1)", "600"}}},
      {"cantilever_inverted_l", 2, {{"txtL(2)", "0"}, {"txtL(0)", "2000"}}},
  };
  for (const Shape& shape : shapes) {
    Choose(window, QStringLiteral("cboKeisiki"), shape.family);
    for (const auto& [box, text] : shape.boxes) {
      Enter(window, QString::fromUtf8(box), QString::fromUtf8(text));
      QTest::qWait(20);
    }
    QString file = QDir(out).filePath(QStringLiteral("wall_page_%1.png").arg(shape.name));
    window.grab().save(file);
    std::printf("%s\n", file.toLocal8Bit().constData());
    messages.Answer({ktv::MessageAnswer::Yes});
    window.Sketch()->ResetToStandardSizes();
  }
  for (int family : {0, 2}) {
    Choose(window, QStringLiteral("cboKeisiki"), family);
    for (int page = 0; page < 4; ++page) {
      window.SelectPage(page);
      QTest::qWait(100);
      QString file =
          QDir(out).filePath(QStringLiteral("page%1_family%2.png").arg(page).arg(family));
      window.grab().save(file);
      std::printf("%s\n", file.toLocal8Bit().constData());
    }
  }
  // The smallest size the layouts allow, and the 1366 x 768 and 1600 x 1000 screens less a title
  // bar and a desktop panel.
  for (QSize size : {window.minimumSizeHint(), QSize(1366, 698), QSize(1600, 930)}) {
    window.resize(size);
    for (int page = 0; page < 4; ++page) {
      window.SelectPage(page);
      QTest::qWait(100);
      QString file = QDir(out).filePath(
          QStringLiteral("page%1_%2x%3.png").arg(page).arg(size.width()).arg(size.height()));
      window.grab().save(file);
      std::printf("%s\n", file.toLocal8Bit().constData());
      if (auto* area = window.findChild<QScrollArea*>(QStringLiteral("scrInput(%1)").arg(page))) {
        std::printf("  viewport %dx%d, page needs %dx%d\n", area->viewport()->width(),
                    area->viewport()->height(), area->widget()->minimumSizeHint().width(),
                    area->widget()->minimumSizeHint().height());
      }
    }
  }
  // A question box with Qt's Japanese buttons.
  ktv::InstallQtJapaneseTranslation(app);
  QMessageBox box(QMessageBox::Question, QString::fromUtf8(ktv::kFullTitle),
                  QStringLiteral("データを初期化します｡現在のデータを保存しますか？"),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  box.show();
  QTest::qWait(100);
  QString box_file = QDir(out).filePath(QStringLiteral("question.png"));
  box.grab().save(box_file);
  std::printf("%s\n", box_file.toLocal8Bit().constData());
  std::printf("boxes: %zu\n", messages.boxes.size());
  for (auto& t : messages.Texts()) std::printf("  %s\n", t.c_str());
  return 0;
}
