// Saves pictures of the wall page with its verdict panel for the three standard walls (for
// looking at the panel), in the folder given as the first argument.
#include <QCheckBox>
#include <QDir>
#include <QFont>
#include <QStyleFactory>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <string>

#include "families/family_table.h"
#include "input_window/input_window.h"
#include "input_window/verdict_panel.h"
#include "window_test_support.h"

int main(int argc, char** argv) {
  using namespace ktv::testing;
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  QDir().mkpath(out);
  QApplication& app = App();
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QFont font(QStringLiteral("IPAPGothic"));
  font.setPointSize(10);
  app.setFont(font);
  struct Wall {
    const char* name;
    const char* fixture;
    bool section_aa;
    const char* qa_seismic;  // typed over the project's qaE when set, to show failed rows
  };
  const Wall walls[] = {
      {"gravity", "gravity/data/standard_gravity_si.mdb", false, nullptr},
      {"leaning", "leaning/data/standard_leaning_cgs.mdb", false, nullptr},
      {"cantilever_aa", "cantilever/data/standard_cantilever_aa_si.mdb", true, "150"},
  };
  for (const Wall& wall : walls) {
    Installation install;
    const ktv::StartupValues values = install.StartUp();
    std::filesystem::copy_file(std::string(KTV_FAMILIES_DATA_DIR) + "/" + wall.fixture,
                               install.Working(),
                               std::filesystem::copy_options::overwrite_existing);
    ScriptedMessages messages;
    ScriptedDialogs dialogs;
    ktv::InputWindow window(values, messages, dialogs);
    if (wall.section_aa) {
      window.findChild<QCheckBox*>(QStringLiteral("chkhAA"))->setChecked(true);
    }
    window.RefreshVerdicts();
    window.resize(1280, 900);
    window.show();
    if (wall.qa_seismic) {
      window.SelectPage(2);
      Enter(window, QStringLiteral("txtqa_E(0)"), QString::fromLatin1(wall.qa_seismic));
    }
    window.SelectPage(1);
    QTest::qWait(200);
    for (const auto& [suffix, widget] :
         {std::pair{"page", static_cast<QWidget*>(&window)},
          std::pair{"panel", static_cast<QWidget*>(window.Verdicts())}}) {
      const QString file =
          QDir(out).filePath(QStringLiteral("verdicts_%1_%2.png").arg(wall.name, suffix));
      widget->grab().save(file);
      std::printf("%s\n", file.toLocal8Bit().constData());
    }
  }
  return 0;
}
