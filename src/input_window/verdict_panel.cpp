#include "input_window/verdict_panel.h"

#include <QBrush>
#include <QColor>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "project/project_data.h"
#include "report/chapter_kit.h"

namespace ktv {
namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

// The columns: the comparison sign stands between the value and its limit.
enum Column { kSection, kCase, kItem, kValue, kSign, kLimit, kUnit, kVerdict, kColumns };

const QColor kFailedGround(255, 214, 214);
const QColor kFailedText(192, 0, 0);

// A sign without the blanks around it, for a narrow column.
std::string Trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

}  // namespace

std::array<std::string, 8> PanelTexts(const CheckRow& row) {
  return {row.section,
          row.load_case == CheckCase::Seismic ? "地震時" : "常時",
          row.item,
          row.value_text,
          Trimmed(VerdictSign(row.verdict)),
          row.limit_text,
          row.unit,
          std::string(VerdictWord(row.verdict))};
}

WallChecks LiveChecks(const WindowInputs& inputs, const FamilyChecksEntry& entry,
                      const FamilyWindow& family) {
  // As Print and Preview do: D3 repeats D1, and the shown family's memory is what its boxes hold.
  WindowInputs in = inputs;
  in.d[3] = in.d[1];
  SaveShownDimensions(in);
  RecordingMessageSink sink;
  if (!ValidateInputs(in, family, sink)) {
    WallChecks refused;
    refused.error = sink.shown.empty() ? std::string() : sink.shown.front().text;
    return refused;
  }
  if (!entry) return {};
  return ChecksOrMessage([&] { return entry(ProjectDataOf(in), in.design_aa); });
}

std::string OverallVerdictText(const WallChecks& checks) {
  if (!checks.error.empty() || checks.rows.empty()) return "総合判定 －";
  int failed = 0;
  for (const CheckRow& row : checks.rows) failed += row.verdict.ok ? 0 : 1;
  if (failed == 0) return "総合判定 ＯＫ";
  // The count in full-width digits, as the verdict words are.
  static const char* const kDigits[] = {"０", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
  std::string count;
  for (char c : std::to_string(failed)) count += kDigits[c - '0'];
  return "総合判定 ＮＧ（ＮＧ " + count + " 件）";
}

VerdictPanel::VerdictPanel(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("fraVerdicts"));
  setFrameShape(QFrame::StyledPanel);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(2);
  auto* title = new QLabel(QStringLiteral("判定"));
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  auto* head = new QHBoxLayout;
  head->addWidget(title);
  head->addSpacing(12);
  overall_ = new QLabel(QStringLiteral("総合判定 －"));
  overall_->setObjectName(QStringLiteral("lblOverallVerdict"));
  QFont large = bold;
  large.setPointSizeF(large.pointSizeF() * 1.15);
  overall_->setFont(large);
  head->addWidget(overall_);
  head->addStretch(1);
  layout->addLayout(head);

  table_ = new QTableWidget(0, kColumns);
  table_->setObjectName(QStringLiteral("tblVerdicts"));
  table_->setHorizontalHeaderLabels({QStringLiteral("断面"), QStringLiteral("ケース"),
                                     QStringLiteral("項目"), QStringLiteral("値"), QString(),
                                     QStringLiteral("許容値"), QStringLiteral("単位"),
                                     QStringLiteral("判定")});
  table_->verticalHeader()->hide();
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionMode(QAbstractItemView::NoSelection);
  table_->setFocusPolicy(Qt::NoFocus);
  table_->setAlternatingRowColors(false);
  table_->setWordWrap(false);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setStretchLastSection(false);
  layout->addWidget(table_, 1);
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
    const int check = CheckOfTableRow(row);
    if (check >= 0) emit checkActivated(check);
  });

  message_ = new QLabel;
  message_->setObjectName(QStringLiteral("lblVerdictMessage"));
  message_->setWordWrap(true);
  message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  message_->setStyleSheet(QStringLiteral("color: #c00000;"));
  message_->setToolTip(QStringLiteral("ダブルクリックで該当する入力欄へ移動します"));
  message_->installEventFilter(this);
  message_->hide();
  layout->addWidget(message_, 1);
}

bool VerdictPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == message_ && event->type() == QEvent::MouseButtonDblClick) {
    emit messageActivated();
    return true;
  }
  return QFrame::eventFilter(watched, event);
}

int VerdictPanel::CheckOfTableRow(int table_row) const {
  if (table_row < 0 || table_row >= static_cast<int>(order_.size())) return -1;
  return order_[table_row];
}

void VerdictPanel::SetFamily(int family_code, FamilyChecksEntry entry, const FamilyWindow& window) {
  if (family_code >= 0 && family_code < kWallFamilyCount) {
    entries_[family_code] = std::move(entry);
    windows_[family_code] = window;
  }
}

void VerdictPanel::Update(const WindowInputs& inputs) {
  const int code = CodeOf(inputs.family);
  Show(ChecksOrMessage([&] { return LiveChecks(inputs, entries_[code], windows_[code]); }));
}

void VerdictPanel::Show(const WallChecks& checks) {
  shown_ = checks;
  const bool failed = !checks.error.empty();
  message_->setText(Q(checks.error));
  message_->setVisible(failed);
  table_->setVisible(!failed);
  table_->setUpdatesEnabled(false);
  const std::string overall = OverallVerdictText(checks);
  overall_->setText(Q(overall));
  const bool any_failed = overall.find("ＮＧ") != std::string::npos;
  overall_->setStyleSheet(any_failed ? QStringLiteral("color: #c00000;") : QString());
  // The failed checks first, so that they are seen without scrolling; otherwise the report's
  // order.
  order_.clear();
  if (!failed) {
    for (int pass = 0; pass < 2; ++pass) {
      for (int i = 0; i < static_cast<int>(checks.rows.size()); ++i) {
        if (checks.rows[i].verdict.ok == (pass == 1)) order_.push_back(i);
      }
    }
  }
  table_->setRowCount(static_cast<int>(order_.size()));
  for (int r = 0; r < table_->rowCount(); ++r) {
    const CheckRow& row = checks.rows[order_[r]];
    const std::array<std::string, 8> texts = PanelTexts(row);
    for (int c = 0; c < kColumns; ++c) {
      QTableWidgetItem* item = table_->item(r, c);
      if (!item) {
        item = new QTableWidgetItem;
        table_->setItem(r, c, item);
      }
      item->setText(Q(texts[c]));
      const bool number = c == kValue || c == kLimit;
      item->setTextAlignment(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignHCenter));
      item->setBackground(row.verdict.ok ? QBrush() : QBrush(kFailedGround));
      item->setForeground(!row.verdict.ok && (c == kVerdict || c == kSign) ? QBrush(kFailedText)
                                                                           : QBrush());
    }
  }
  table_->setUpdatesEnabled(true);
}

}  // namespace ktv
