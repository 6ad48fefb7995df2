// Saves pictures of the wall page with its verdict panel for the three standard walls at the
// 1600 x 1000 and 1366 x 768 screens (less a title bar and a desktop panel), the preview with its
// chapter list, the print dialog and the close question (for looking at them), in the folder
// given as the first argument.
#include <QCheckBox>
#include <QDir>
#include <QFont>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <string>

#include "families/family_table.h"
#include "input_window/input_window.h"
#include "input_window/ui_services.h"
#include "input_window/verdict_panel.h"
#include "report/preview_window.h"
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
    window.show();
    if (wall.qa_seismic) {
      window.SelectPage(2);
      Enter(window, QStringLiteral("txtqa_E(0)"), QString::fromLatin1(wall.qa_seismic));
    }
    window.SelectPage(1);
    for (QSize size : {QSize(1600, 930), QSize(1366, 698)}) {
      window.resize(size);
      QTest::qWait(200);
      for (const auto& [suffix, widget] :
           {std::pair{"page", static_cast<QWidget*>(&window)},
            std::pair{"panel", static_cast<QWidget*>(window.Verdicts())}}) {
        const QString file = QDir(out).filePath(
            QStringLiteral("verdicts_%1_%2_%3.png").arg(wall.name, suffix).arg(size.width()));
        widget->grab().save(file);
        std::printf("%s\n", file.toLocal8Bit().constData());
      }
    }
    if (std::string(wall.name) != "gravity") continue;
    // The preview with its chapter list.
    ktv::PreviewOptions options = ktv::PreviewOptionsFor(values);
    options.entries = &ktv::ProgramFamilies().ReportEntries();
    ktv::PreviewWindow preview(false, ktv::WallFamily::Gravity,
                               ktv::ReportContextFor(values, &messages), messages, options);
    preview.BuildReport();
    preview.resize(1280, 900);
    preview.show();
    QTest::qWait(200);
    preview.GoToChapter(3);
    QTest::qWait(100);
    const QString file = QDir(out).filePath(QStringLiteral("preview_chapters.png"));
    preview.grab().save(file);
    std::printf("%s\n", file.toLocal8Bit().constData());
    // The print dialog and the close question, as the program shows them.
    ktv::InstallQtJapaneseTranslation(app);
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, &preview);
    dialog.setMinMax(1, static_cast<int>(preview.Document().Pages().size()));
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintToFile);
    dialog.show();
    QTest::qWait(200);
    const QString print_file = QDir(out).filePath(QStringLiteral("print_dialog.png"));
    dialog.grab().save(print_file);
    std::printf("%s\n", print_file.toLocal8Bit().constData());
    dialog.hide();
    ktv::QtMessageSink sink(&window);
    QTimer::singleShot(300, [&] {
      if (QWidget* box = QApplication::activeModalWidget()) {
        const QString box_file = QDir(out).filePath(QStringLiteral("close_question.png"));
        box->grab().save(box_file);
        std::printf("%s\n", box_file.toLocal8Bit().constData());
        if (auto* m = qobject_cast<QMessageBox*>(box)) m->reject();
      }
    });
    sink.Show(ktv::MessageIcon::Question, ktv::MessageButtons::SaveDiscardCancel, ktv::kFullTitle,
              "変更された内容が保存されていません。保存しますか？");
  }
  return 0;
}
