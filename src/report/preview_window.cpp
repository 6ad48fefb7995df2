#include "report/preview_window.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QSaveFile>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QTemporaryFile>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>
#include <exception>

#include "app/errors.h"
#include "app/format.h"
#include "app/settings.h"
#include "project/project_database.h"
#include "report/preview_print.h"
#include "report/preview_view.h"
#include "report/report_build.h"
#include "report/report_render.h"

namespace ktv {

namespace {

constexpr const char* kNoPrinter =
    "プリンタが見つからないため、印刷できません。\r\n"
    "プリンタを設定してから、もう一度印刷してください。\r\n"
    "PDFファイルにするには、「計算・表示」で計算書を表示し、「PDF保存」を押してください。";
constexpr const char* kPrintFailed = "印刷できませんでした。\r\nプリンタの状態を確かめてください。";
constexpr const char* kCannotRead = "データを読み込めません。";
constexpr const char* kCannotBuild = "計算書を作成できません。";
constexpr const char* kCannotSavePdf = "PDFファイルを保存できません。";
constexpr const char* kDetail = "\r\n\r\n詳細：";

// The normal pointer while a message box or the shown preview waits for the user, also when an
// hourglass is set further out; the outer pointer comes back afterwards.
class NormalPointer {
 public:
  NormalPointer() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
  ~NormalPointer() { QApplication::restoreOverrideCursor(); }
  NormalPointer(const NormalPointer&) = delete;
  NormalPointer& operator=(const NormalPointer&) = delete;
};

class Hourglass {
 public:
  Hourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~Hourglass() { QApplication::restoreOverrideCursor(); }
  Hourglass(const Hourglass&) = delete;
  Hourglass& operator=(const Hourglass&) = delete;
};

// The system's print dialog: printer, copies and page range (the cover is page 1).
bool ChoosePrinter(QWidget* parent, QPrinter& printer, int page_count) {
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle(QStringLiteral("印刷"));
  dialog.setMinMax(1, std::max(1, page_count));
  dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintToFile |
                    QAbstractPrintDialog::PrintShowPageSize);
  dialog.setEnabled(true);
  return dialog.exec() == QDialog::Accepted;
}

// Beep, then a box with the program title.
void Report(MessageSink& sink, MessageIcon icon, const std::string& text) {
  NormalPointer pointer;
  sink.Beep();
  sink.Show(icon, MessageButtons::Ok, kFullTitle, text);
}

std::string Native(const QString& path) { return QDir::toNativeSeparators(path).toStdString(); }

// A file name made from a project name: characters that no file name may hold become "_".
QString SafeFileName(QString name) {
  name = name.trimmed();
  for (QChar& c : name) {
    if (c.unicode() < 0x20 || QStringLiteral("\\/:*?\"<>|").contains(c)) c = QLatin1Char('_');
  }
  return name.isEmpty() ? QStringLiteral("計算書") : name;
}

// Why a file could not be written, in the words of the message box.
std::string FileErrorText(QFileDevice::FileError error) {
  switch (error) {
    case QFileDevice::PermissionsError:
      return "書き込みが許可されていません。";
    case QFileDevice::ResourceError:
      return "ディスクの空き容量が足りません。";
    case QFileDevice::OpenError:
      return "ファイルを作成できません。フォルダが存在し、書き込みが許可されているか確認してくださ"
             "い。";
    case QFileDevice::RenameError:
      return "既存のファイルを置き換えられません。";
    default:
      return "ファイルの書き込みに失敗しました。";
  }
}

// Drawn into a private temporary file first (the PDF writer takes a file name), then put in place
// whole through QSaveFile, so that a failed write leaves an existing file as it was.
void WritePdfReplacing(const ReportWriter& doc, const QString& path) {
  QTemporaryFile drawn(QDir::temp().filePath(QStringLiteral("ktv-pn3-XXXXXX.pdf")));
  if (!drawn.open())
    throw ReportError("一時ファイルを作成できません。" + FileErrorText(drawn.error()));
  drawn.close();
  try {
    WritePdf(doc, drawn.fileName());
  } catch (const ReportError&) {
    throw ReportError("PDFを作成できません。");
  }
  if (!drawn.open()) throw ReportError("PDFを作成できません。");
  const QByteArray content = drawn.readAll();
  QSaveFile out(path);
  if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size() || !out.commit()) {
    throw ReportError(FileErrorText(out.error()));
  }
}

std::optional<QString> AskPdfPath(QWidget* parent, const QString& proposed) {
  NormalPointer pointer;
  QString chosen = QFileDialog::getSaveFileName(parent, QStringLiteral("計算書をPDFで保存する"),
                                                proposed, QStringLiteral("PDF (*.pdf)"));
  if (chosen.isEmpty()) return std::nullopt;
  return chosen;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption,
                    const char* tooltip) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(QString::fromUtf8(name));
  b->setToolTip(QString::fromUtf8(tooltip));
  b->setAutoDefault(false);
  return b;
}

QLabel* ValueLabel(QWidget* parent, const char* name) {
  auto* l = new QLabel(parent);
  l->setObjectName(QString::fromUtf8(name));
  l->setFrameShape(QFrame::Panel);
  l->setFrameShadow(QFrame::Sunken);
  l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  l->setMinimumWidth(48);
  return l;
}

QLabel* Caption(QWidget* parent, const char* name, const char* text) {
  auto* l = new QLabel(QString::fromUtf8(text), parent);
  l->setObjectName(QString::fromUtf8(name));
  return l;
}

}  // namespace

ReportContext ReportContextFor(const StartupValues& startup, MessageSink* sink) {
  ReportContext context;
  context.working_database_path = startup.working_database_path.toStdString();
  context.sink = sink;
  // The cover switches as the window last stored them.
  auto settings = OpenUserSettings();
  context.cover.office_name = settings->value(kKeyOfficeName, QString()).toString().toStdString();
  context.cover.print_project_name = settings->value(kKeyPrintProjectName, 1).toBool();
  context.cover.print_office_name = settings->value(kKeyPrintOfficeName, 1).toBool();
  context.cover.print_date = settings->value(kKeyPrintDate, 1).toBool();
  return context;
}

PreviewOptions PreviewOptionsFor(const StartupValues& startup) {
  PreviewOptions options;
  options.pdf_folder = startup.folders.saved_data;
  options.font_sizes = startup.report_font_sizes;
  return options;
}

// ---------------------------------------------------------------------------------------------

PreviewWindow::PreviewWindow(bool print_directly, WallFamily wall_family, ReportContext context,
                             MessageSink& sink, PreviewOptions options, QWidget* parent)
    : QDialog(parent),
      print_directly_(print_directly),
      wall_family_(wall_family),
      context_(std::move(context)),
      sink_(sink),
      options_(std::move(options)),
      writer_(std::make_unique<ReportWriter>(options_.font_sizes)) {
  setObjectName(QStringLiteral("frmPreview"));
  setModal(true);
  setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  BuildControls();

  QSize size(1000, 780);
  if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    size = QSize(area.width() * 9 / 10, area.height() * 9 / 10).expandedTo(minimumSize());
  }
  resize(size);
  LayoutPreviewWindow();
}

PreviewWindow::~PreviewWindow() {
  // The view must not paint a document that is going away.
  if (view_ != nullptr) view_->SetDocument(nullptr);
}

int PreviewWindow::Twips(int twips) const {
  return static_cast<int>(std::lround(twips * logicalDpiX() / 1440.0));
}

void PreviewWindow::BuildControls() {
  view_ = new PreviewView(this);
  view_->move(0, 0);

  panel_ = new QFrame(this);
  panel_->setObjectName(QStringLiteral("Picture1"));
  panel_->setFrameShape(QFrame::StyledPanel);
  auto* row = new QHBoxLayout(panel_);
  row->setContentsMargins(4, 2, 4, 2);

  auto* frame1 = new QGroupBox(QStringLiteral(" 表示頁数 "), panel_);
  frame1->setObjectName(QStringLiteral("Frame1"));
  auto* modes = new QVBoxLayout(frame1);
  page_mode_[0] = new QRadioButton(QStringLiteral("1頁"), frame1);
  page_mode_[0]->setObjectName(QStringLiteral("OpnZoomMode(0)"));
  page_mode_[1] = new QRadioButton(QStringLiteral("2頁"), frame1);
  page_mode_[1]->setObjectName(QStringLiteral("OpnZoomMode(1)"));
  page_mode_[0]->setChecked(true);
  modes->addWidget(page_mode_[0]);
  modes->addWidget(page_mode_[1]);
  row->addWidget(frame1);

  auto* frame2 = new QGroupBox(QStringLiteral(" 画面操作 "), panel_);
  frame2->setObjectName(QStringLiteral("Frame2"));
  auto* view_buttons = new QGridLayout(frame2);
  zoom_in_ = Button(frame2, "cmd拡大", QStringLiteral("拡大"),
                    "プレビューを拡大します。画面上で[左ダブルクリック]することにより同様の処理が"
                    "可能です。");
  zoom_out_ = Button(frame2, "cmd縮小", QStringLiteral("縮小"),
                     "プレビューを縮小します。画面上で[右ダブルクリック]することにより同様の処理"
                     "が可能です。");
  fit_width_ = Button(frame2, "cmd基準", QStringLiteral("基準表示"),
                      "画面内にページ枠を基準にしてプレビューを表示します");
  fit_page_ = Button(frame2, "cmd全体", QStringLiteral("全体表示"),
                     "画面内にページ全体を基準にしてプレビューを表示します");
  view_buttons->addWidget(zoom_in_, 0, 0);
  view_buttons->addWidget(zoom_out_, 0, 1);
  view_buttons->addWidget(fit_width_, 1, 0);
  view_buttons->addWidget(fit_page_, 1, 1);
  row->addWidget(frame2);

  auto* pages = new QGridLayout;
  first_ = Button(panel_, "cmdMF", QString(), "プレビューするページを最初のページに変更します");
  previous_ = Button(panel_, "cmdMP", QString(),
                     "プレビューするページを、現在のページより1つ前のページに変更します。画面上で"
                     "直接、[Shift] + [右クリック]でも同様の処理ができます。");
  next_ = Button(panel_, "cmdMN", QString(),
                 "プレビューするページを、現在のページより1つ後のページに変更します。画面上で直接"
                 "、[Shift] + [左クリック]でも同様の処理ができます。");
  last_ = Button(panel_, "cmdML", QString(), "最後のページを表示します");
  first_->setIcon(style()->standardIcon(QStyle::SP_MediaSkipBackward));
  previous_->setIcon(style()->standardIcon(QStyle::SP_MediaSeekBackward));
  next_->setIcon(style()->standardIcon(QStyle::SP_MediaSeekForward));
  last_->setIcon(style()->standardIcon(QStyle::SP_MediaSkipForward));
  auto* nav = new QHBoxLayout;
  nav->setSpacing(2);
  for (QPushButton* b : {first_, previous_, next_, last_}) {
    b->setAccessibleName(b->toolTip());
    nav->addWidget(b);
  }
  pages->addLayout(nav, 0, 0, 1, 2);
  pages->addWidget(Caption(panel_, "Label50", "全ページ数"), 1, 0);
  all_pages_ = ValueLabel(panel_, "lblAP");
  pages->addWidget(all_pages_, 1, 1);
  pages->addWidget(Caption(panel_, "Label49", "現在のページ"), 2, 0);
  current_page_ = ValueLabel(panel_, "lblCP");
  pages->addWidget(current_page_, 2, 1);
  pages->addWidget(Caption(panel_, "Label1", "表紙は0頁とする"), 3, 0, 1, 2);
  pages->addWidget(Caption(panel_, "lblZoomCaption", "表示倍率"), 4, 0);
  zoom_label_ = ValueLabel(panel_, "lblZoom");
  pages->addWidget(zoom_label_, 4, 1);
  row->addLayout(pages);

  auto* commands = new QVBoxLayout;
  pdf_ = Button(panel_, "cmdPDF", QStringLiteral("PDF保存"),
                "表示している計算書をPDFファイルに保存します");
  close_ = Button(panel_, "cmdClose", QStringLiteral("閉じる（&C）"), "");
  print_ = Button(panel_, "cmdPrint", QStringLiteral("印刷"),
                  "表示している計算書を、プリンタを選んで印刷します");
  commands->addStretch();
  commands->addWidget(print_);
  commands->addWidget(pdf_);
  commands->addWidget(close_);
  row->addLayout(commands);

  chapters_ = new QTreeWidget(this);
  chapters_->setObjectName(QStringLiteral("lstChapters"));
  chapters_->setHeaderLabel(QStringLiteral("目次"));
  chapters_->setRootIsDecorated(true);
  chapters_->setToolTip(QStringLiteral("クリックした章のページを表示します"));
  connect(chapters_, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item) { GoToChapter(item->data(0, Qt::UserRole).toInt()); });
  connect(chapters_, &QTreeWidget::itemActivated, this,
          [this](QTreeWidgetItem* item) { GoToChapter(item->data(0, Qt::UserRole).toInt()); });

  status_ = new QStatusBar(this);
  status_->setObjectName(QStringLiteral("StatusBar1"));
  status_->setSizeGripEnabled(true);

  const QSize panel = panel_->sizeHint();
  setMinimumSize(panel.width() + Twips(300),
                 panel.height() + status_->sizeHint().height() + Twips(3000));

  connect(first_, &QPushButton::clicked, this, &PreviewWindow::GoFirstPage);
  connect(previous_, &QPushButton::clicked, this, &PreviewWindow::GoPreviousPage);
  connect(next_, &QPushButton::clicked, this, &PreviewWindow::GoNextPage);
  connect(last_, &QPushButton::clicked, this, &PreviewWindow::GoLastPage);
  for (int i = 0; i < 2; ++i) {
    connect(page_mode_[i], &QRadioButton::toggled, this, [this, i](bool on) {
      if (on) SelectPageMode(i);
    });
  }
  connect(zoom_in_, &QPushButton::clicked, this, &PreviewWindow::ZoomIn);
  connect(zoom_out_, &QPushButton::clicked, this, &PreviewWindow::ZoomOut);
  connect(fit_width_, &QPushButton::clicked, this, &PreviewWindow::FitPageWidth);
  connect(fit_page_, &QPushButton::clicked, this, &PreviewWindow::FitWholePage);
  connect(pdf_, &QPushButton::clicked, this, &PreviewWindow::SavePdf);
  connect(print_, &QPushButton::clicked, this, &PreviewWindow::PrintShown);
  connect(close_, &QPushButton::clicked, this, &PreviewWindow::CloseWindow);
  connect(view_, &PreviewView::previewPageChanged, this, &PreviewWindow::OnUserPageChange);
  connect(view_, &PreviewView::nextPageRequested, this, &PreviewWindow::GoNextPage);
  connect(view_, &PreviewView::previousPageRequested, this, &PreviewWindow::GoPreviousPage);
  connect(view_, &PreviewView::zoomInRequested, this, &PreviewWindow::ZoomIn);
  connect(view_, &PreviewView::zoomOutRequested, this, &PreviewWindow::ZoomOut);
}

double PreviewWindow::StoredZoom() const {
  const QVariant stored = OpenUserSettings()->value(QString::fromLatin1(kKeyPreviewZoom));
  if (!stored.isValid()) return kDefaultPreviewZoom;
  const double zoom = ReadNumber(stored.toString().toStdString());
  // A zoom of nothing cannot be shown; the view keeps any other value within its limits.
  if (!std::isfinite(zoom) || zoom <= 0) return kDefaultPreviewZoom;
  return zoom;
}

bool PreviewWindow::ConfirmPrint() {
  NormalPointer pointer;
  sink_.Beep();
  return sink_.Show(MessageIcon::Information, MessageButtons::YesNo, kConfirmPrintTitle,
                    kConfirmPrintText) != MessageAnswer::No;
}

PreviewWindow::LoadResult PreviewWindow::BuildReport() {
  if (loaded_) return *loaded_;
  loaded_ = LoadResult::Failed;

  if (auto caption = WindowCaption(kPreviewWindowKind)) setWindowTitle(*caption);
  view_->SetZoom(StoredZoom());
  if (print_directly_ && !ConfirmPrint()) return *(loaded_ = LoadResult::Cancelled);

  static const FamilyEntryTable kNone{};
  const FamilyEntryTable& entries = options_.entries ? *options_.entries : kNone;
  ReportBuildResult built;
  {
    Hourglass hourglass;
    built = ktv::BuildReport(*writer_, wall_family_, context_, entries);
  }
  if (!built.complete) {
    ShowBuildError(built.error, built.failure);
    return *loaded_;
  }
  project_name_ = built.project_name;

  if (print_directly_) {
    return *(loaded_ = PrintDocument() ? LoadResult::Printed : LoadResult::Failed);
  }

  view_->SetDocument(writer_.get());
  all_pages_->setText(QString::number(built.report_pages));
  FillChapters();
  ShowCurrentPage();
  SelectPageMode(0);
  panel_->setFrameShape(QFrame::NoFrame);
  return *(loaded_ = LoadResult::Ready);
}

void PreviewWindow::ShowBuildError(const std::string& message, const std::exception_ptr& failure) {
  if (failure) {
    try {
      std::rethrow_exception(failure);
    } catch (const CalculationError& e) {
      NormalPointer pointer;
      sink_.Inform(e.what());
      return;
    } catch (const ProjectError& e) {
      Report(sink_, MessageIcon::Warning,
             std::string(kCannotRead) + "\r\n" +
                 Native(QString::fromStdString(context_.working_database_path)) + kDetail +
                 e.japanese());
      return;
    } catch (...) {
      // Any other failure is reported with the build's message below.
    }
  }
  Report(sink_, MessageIcon::Critical, std::string(kCannotBuild) + kDetail + message);
}

void PreviewWindow::ShowPrintError(const std::exception& e, bool no_printer) {
  if (no_printer) {
    Report(sink_, MessageIcon::Warning, kNoPrinter);
  } else {
    Report(sink_, MessageIcon::Warning, std::string(kPrintFailed) + kDetail + e.what());
  }
}

bool PreviewWindow::PrintDocument() {
  try {
    if (options_.printer) {
      Hourglass hourglass;
      options_.printer->Print(*writer_);
      return true;
    }
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull() && !QPrinterInfo::availablePrinters().isEmpty()) {
      info = QPrinterInfo::availablePrinters().front();
    }
    if (info.isNull()) throw NoPrinterError("プリンタがありません。");
    QPrinter printer(info, QPrinter::HighResolution);
    const int pages = static_cast<int>(writer_->Pages().size());
    {
      NormalPointer pointer;
      const bool chosen = options_.choose_printer ? options_.choose_printer(this, printer, pages)
                                                  : ChoosePrinter(this, printer, pages);
      if (!chosen) return false;
    }
    Hourglass hourglass;
    PrintReport(*writer_, printer);
    return true;
  } catch (const NoPrinterError& e) {
    ShowPrintError(e, true);
  } catch (const std::exception& e) {
    ShowPrintError(e, false);
  }
  return false;
}

void PreviewWindow::PrintShown() {
  if (writer_->Pages().empty()) {
    sink_.Beep();
    return;
  }
  if (PrintDocument()) status_->showMessage(QStringLiteral("印刷しました。"), 8000);
}

void PreviewWindow::FillChapters() {
  chapters_->clear();
  // The last item of each level so far: an entry goes under the last one of the level above.
  std::vector<QTreeWidgetItem*> last;
  const auto& outline = writer_->Outline();
  for (int i = 0; i < static_cast<int>(outline.size()); ++i) {
    const OutlineEntry& e = outline[i];
    auto* item = new QTreeWidgetItem({QString::fromStdString(e.title)});
    item->setData(0, Qt::UserRole, i);
    const size_t depth = std::min(last.size(), static_cast<size_t>(std::max(e.level - 1, 0)));
    if (depth == 0) {
      chapters_->addTopLevelItem(item);
    } else {
      last[depth - 1]->addChild(item);
    }
    last.resize(depth);
    last.push_back(item);
  }
  chapters_->expandAll();
  chapters_->setVisible(!outline.empty());
  LayoutPreviewWindow();
}

void PreviewWindow::GoToChapter(int outline_index) {
  const auto& outline = writer_->Outline();
  if (outline_index < 0 || outline_index >= static_cast<int>(outline.size())) return;
  view_->SetPreviewPage(outline[outline_index].page + 1);
  ShowCurrentPage();
  view_->setFocus(Qt::OtherFocusReason);
}

void PreviewWindow::ShowZoom() {
  if (zoom_label_) zoom_label_->setText(QStringLiteral("%1%").arg(std::lround(view_->Zoom())));
}

void PreviewWindow::ShowCurrentPage() {
  const int page = view_->PreviewPage();
  current_page_->setText(page > 0 ? QString::number(page - 1) : QString());
}

void PreviewWindow::OnUserPageChange() { ShowCurrentPage(); }

namespace {

// Moves the view to a page; at the limit the page stays and the window beeps.
void GoTo(PreviewView& view, MessageSink& sink, int page) {
  const int old = view.PreviewPage();
  view.SetPreviewPage(page);
  if (view.PreviewPage() == old) sink.Beep();
}

}  // namespace

void PreviewWindow::GoFirstPage() {
  GoTo(*view_, sink_, 1);
  ShowCurrentPage();
}

void PreviewWindow::GoPreviousPage() {
  GoTo(*view_, sink_, view_->PreviewPage() - 1);
  ShowCurrentPage();
}

void PreviewWindow::GoNextPage() {
  GoTo(*view_, sink_, view_->PreviewPage() + 1);
  ShowCurrentPage();
}

void PreviewWindow::GoLastPage() {
  GoTo(*view_, sink_, view_->PageCount());
  ShowCurrentPage();
}

void PreviewWindow::SelectPageMode(int option) {
  if (option != 0 && option != 1) return;
  {
    const QSignalBlocker block0(page_mode_[0]);
    const QSignalBlocker block1(page_mode_[1]);
    page_mode_[option]->setChecked(true);
  }
  view_->SetZoomMode(option == 0 ? PreviewView::ZoomMode::Percentage
                                 : PreviewView::ZoomMode::TwoPages);
  for (QPushButton* b : {zoom_in_, zoom_out_, fit_width_, fit_page_}) b->setEnabled(option == 0);
  ShowZoom();
}

void PreviewWindow::Zoom(double step) {
  // Two pages are always fitted; the zoom of one page waits until that mode comes back.
  if (view_->Mode() == PreviewView::ZoomMode::TwoPages) return;
  const double old = view_->Zoom();
  view_->SetZoomMode(PreviewView::ZoomMode::Percentage);
  view_->SetZoom(old + step);
  if (std::lround(view_->Zoom()) == std::lround(old)) sink_.Beep();
  ShowZoom();
}

void PreviewWindow::ZoomIn() { Zoom(kZoomStep); }

void PreviewWindow::ZoomOut() { Zoom(-kZoomStep); }

void PreviewWindow::Fit(int mode) {
  const PreviewView::ZoomMode remembered = view_->Mode();
  if (remembered == PreviewView::ZoomMode::TwoPages) return;
  view_->SetZoomMode(static_cast<PreviewView::ZoomMode>(mode));
  view_->SetZoomMode(remembered);
  ShowZoom();
}

void PreviewWindow::FitPageWidth() { Fit(static_cast<int>(PreviewView::ZoomMode::PageWidth)); }

void PreviewWindow::FitWholePage() { Fit(static_cast<int>(PreviewView::ZoomMode::WholePage)); }

void PreviewWindow::SavePdf() {
  if (writer_->Pages().empty()) {
    sink_.Beep();
    return;
  }
  const QString folder = options_.pdf_folder.isEmpty() ? QDir::homePath() : options_.pdf_folder;
  const QString proposed =
      QDir(folder).filePath(SafeFileName(QString::fromStdString(project_name_)) + ".pdf");
  std::optional<QString> chosen = options_.choose_pdf_path
                                      ? options_.choose_pdf_path(this, proposed)
                                      : AskPdfPath(this, proposed);
  if (!chosen || chosen->trimmed().isEmpty()) return;
  QString path = *chosen;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pdf");
  if (QFileInfo(path).isRelative()) path = QDir(folder).filePath(path);
  try {
    Hourglass hourglass;
    WritePdfReplacing(*writer_, path);
  } catch (const std::exception& e) {
    Report(sink_, MessageIcon::Warning,
           std::string(kCannotSavePdf) + "\r\n" + Native(path) + kDetail + e.what());
  }
}

void PreviewWindow::CloseWindow() { close(); }

void PreviewWindow::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  LayoutPreviewWindow();
}

void PreviewWindow::LayoutPreviewWindow() {
  if (view_ == nullptr || panel_ == nullptr || status_ == nullptr) return;
  const int width = this->width();
  const int height = this->height();
  const int bar = status_->sizeHint().height();
  status_->setGeometry(0, std::max(0, height - bar), width, bar);
  const QSize panel = panel_->sizeHint();
  panel_->resize(panel);
  // A window smaller than the panel keeps the panel's top-left corner inside the window.
  const int left = std::max(0, width - panel.width() - Twips(200));
  const int top = std::max(0, height - (bar + panel.height()) - Twips(250));
  panel_->move(left, top);
  // The chapter list stands left of the pages.
  int list = 0;
  if (chapters_ && !chapters_->isHidden()) {
    list = std::min(Twips(3600), width / 4);
    chapters_->setGeometry(0, 0, list, std::max(0, top - Twips(100)));
  }
  view_->setGeometry(list, 0, std::max(0, width - Twips(100) - list),
                     std::max(0, top - Twips(100)));
  ShowZoom();
}

// ---------------------------------------------------------------------------------------------

namespace {

// The parent is disabled while the command runs and gets its former state back at the end.
class DisabledWhileRunning {
 public:
  explicit DisabledWhileRunning(QWidget* widget)
      : widget_(widget), was_enabled_(widget != nullptr && widget->isEnabled()) {
    if (widget_) widget_->setEnabled(false);
  }
  ~DisabledWhileRunning() {
    if (widget_ && was_enabled_) widget_->setEnabled(true);
  }
  DisabledWhileRunning(const DisabledWhileRunning&) = delete;
  DisabledWhileRunning& operator=(const DisabledWhileRunning&) = delete;

 private:
  QPointer<QWidget> widget_;
  bool was_enabled_;
};

}  // namespace

void RunReportCommand(QWidget* parent, bool print_directly, WallFamily wall_family,
                      const ReportContext& context, MessageSink& sink,
                      const PreviewOptions& options) {
  try {
    DisabledWhileRunning disabled(parent);
    Hourglass hourglass;
    // Owned here, but parented for placement and modality; the pointer notices if the parent
    // takes it along when it goes.
    QPointer<PreviewWindow> window =
        new PreviewWindow(print_directly, wall_family, context, sink, options, parent);
    struct Unload {
      QPointer<PreviewWindow>& w;
      ~Unload() { delete w.data(); }
    } unload{window};
    if (window->BuildReport() == PreviewWindow::LoadResult::Ready) {
      NormalPointer pointer;
      window->exec();
    }
  } catch (const std::exception& e) {
    Report(sink, MessageIcon::Critical, std::string(kCannotBuild) + kDetail + e.what());
  } catch (...) {
    Report(sink, MessageIcon::Critical, kCannotBuild);
  }
}

}  // namespace ktv
