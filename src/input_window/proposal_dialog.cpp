#include "input_window/proposal_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <exception>
#include <map>
#include <tuple>

#include "input_window/verdict_panel.h"

namespace ktv {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

enum Column { kName, kTick, kLo, kHi, kStep, kPresent, kColumns };

// How a grid value reads: lengths in mm, bar positions by catalogue number.
QString Caption(const std::string& name) {
  if (name.rfind("Size", 0) == 0) return QStringLiteral("鉄筋径 %1").arg(Q(name.substr(4)));
  if (name.rfind("ctc", 0) == 0) return QStringLiteral("ピッチ %1 (mm)").arg(Q(name.substr(3)));
  return QStringLiteral("%1 (mm)").arg(Q(name));
}

QString Number(double v) { return QString::number(v, 'g', 10); }

std::optional<double> ReadNumber(const QString& text) {
  bool ok = false;
  const double v = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return v;
}

QString RowText(const CheckRow& row) {
  const auto t = PanelTexts(row);
  return QStringLiteral("%1 %2 %3 %4 %5").arg(Q(t[3]), Q(t[4]), Q(t[5]), Q(t[6]), Q(t[7]));
}

QString RowName(const CheckRow& row) {
  const auto t = PanelTexts(row);
  return Q(t[0].empty() ? t[1] + " " + t[2] : t[0] + " " + t[1] + " " + t[2]);
}

}  // namespace

ProposalDialog::ProposalDialog(ProposalDialogSetup setup, QWidget* parent)
    : QDialog(parent), setup_(std::move(setup)) {
  setObjectName(QStringLiteral("frm断面の提案"));
  setWindowTitle(QStringLiteral("断面の提案"));
  auto* v = new QVBoxLayout(this);

  v->addWidget(new QLabel(
      QStringLiteral("変更してよい寸法にチェックを付け、下限・上限・刻みを指定してください。"
                     "H・土質・荷重・許容値は変わりません。")));
  grid_ = new QTableWidget(0, kColumns);
  grid_->setObjectName(QStringLiteral("grdGrid"));
  grid_->setHorizontalHeaderLabels({QStringLiteral("項目"), QStringLiteral("変更"),
                                    QStringLiteral("下限"), QStringLiteral("上限"),
                                    QStringLiteral("刻み"), QStringLiteral("現在値")});
  grid_->verticalHeader()->hide();
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  grid_->horizontalHeader()->setStretchLastSection(true);
  grid_->verticalHeader()->setDefaultSectionSize(24);
  for (const GridAxis& a : setup_.ticked) AddAxisRow(a, true);
  for (const GridAxis& a : setup_.offered) AddAxisRow(a, false);
  grid_->setMaximumHeight((std::min(10, grid_->rowCount()) + 1) * 24 + 8);
  v->addWidget(grid_);

  if (setup_.steel) {
    auto* w = new QHBoxLayout;
    w->addWidget(new QLabel(QStringLiteral("重み　コンクリート 1 m³ =")));
    concrete_weight_ = new QLineEdit(QStringLiteral("1"));
    concrete_weight_->setObjectName(QStringLiteral("txtWeightConcrete"));
    concrete_weight_->setMaximumWidth(80);
    w->addWidget(concrete_weight_);
    w->addWidget(new QLabel(QStringLiteral("鉄筋 1 t =")));
    steel_weight_ = new QLineEdit(QStringLiteral("10"));
    steel_weight_->setObjectName(QStringLiteral("txtWeightSteel"));
    steel_weight_->setMaximumWidth(80);
    w->addWidget(steel_weight_);
    w->addStretch();
    v->addLayout(w);
  }

  auto* run = new QHBoxLayout;
  start_ = new QPushButton(QStringLiteral("探索開始"));
  start_->setObjectName(QStringLiteral("cmdStart"));
  cancel_ = new QPushButton(QStringLiteral("中止"));
  cancel_->setObjectName(QStringLiteral("cmdCancel"));
  cancel_->setEnabled(false);
  run->addWidget(start_);
  run->addWidget(cancel_);
  run->addStretch();
  v->addLayout(run);
  status_ = new QLabel;
  status_->setObjectName(QStringLiteral("lblStatus"));
  status_->setWordWrap(true);
  v->addWidget(status_);

  comparison_ = new QTableWidget(0, 3);
  comparison_->setObjectName(QStringLiteral("grdComparison"));
  comparison_->setHorizontalHeaderLabels(
      {QStringLiteral("項目"), QStringLiteral("現在の断面"), QStringLiteral("提案")});
  comparison_->verticalHeader()->hide();
  comparison_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  comparison_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  comparison_->horizontalHeader()->setStretchLastSection(true);
  comparison_->verticalHeader()->setDefaultSectionSize(24);
  comparison_->setMinimumHeight(260);
  v->addWidget(comparison_, 1);

  auto* end = new QHBoxLayout;
  end->addStretch();
  apply_ = new QPushButton(QStringLiteral("適用"));
  apply_->setObjectName(QStringLiteral("cmdApply"));
  apply_->setEnabled(false);
  close_ = new QPushButton(QStringLiteral("閉じる"));
  close_->setObjectName(QStringLiteral("cmdClose"));
  end->addWidget(apply_);
  end->addWidget(close_);
  v->addLayout(end);

  poll_ = new QTimer(this);
  poll_->setInterval(100);
  connect(poll_, &QTimer::timeout, this, &ProposalDialog::Poll);
  connect(start_, &QPushButton::clicked, this, &ProposalDialog::Start);
  connect(cancel_, &QPushButton::clicked, this, &ProposalDialog::Cancel);
  connect(apply_, &QPushButton::clicked, this, &QDialog::accept);
  connect(close_, &QPushButton::clicked, this, &QDialog::reject);
  resize(720, 640);
}

ProposalDialog::~ProposalDialog() {
  cancel_flag_ = true;
  if (worker_.joinable()) worker_.join();
}

void ProposalDialog::AddAxisRow(const GridAxis& axis, bool ticked) {
  const int r = grid_->rowCount();
  grid_->insertRow(r);
  auto* name = new QTableWidgetItem(Caption(axis.name));
  name->setData(Qt::UserRole, Q(axis.name));
  name->setFlags(Qt::ItemIsEnabled);
  grid_->setItem(r, kName, name);
  auto* tick = new QTableWidgetItem;
  tick->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
  tick->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
  grid_->setItem(r, kTick, tick);
  grid_->setItem(r, kLo, new QTableWidgetItem(Number(axis.lo)));
  grid_->setItem(r, kHi, new QTableWidgetItem(Number(axis.hi)));
  grid_->setItem(r, kStep, new QTableWidgetItem(Number(axis.step)));
  const std::optional<double> present = FieldValue(setup_.present, axis.name);
  auto* now = new QTableWidgetItem(present ? Number(*present) : QString());
  now->setFlags(Qt::ItemIsEnabled);
  grid_->setItem(r, kPresent, now);
}

std::optional<std::vector<GridAxis>> ProposalDialog::TickedAxes(QString& message) const {
  std::vector<GridAxis> axes;
  for (int r = 0; r < grid_->rowCount(); ++r) {
    if (grid_->item(r, kTick)->checkState() != Qt::Checked) continue;
    const std::optional<double> lo = ReadNumber(grid_->item(r, kLo)->text());
    const std::optional<double> hi = ReadNumber(grid_->item(r, kHi)->text());
    const std::optional<double> step = ReadNumber(grid_->item(r, kStep)->text());
    if (!lo || !hi || !step || !(*step > 0) || *hi < *lo) {
      message = QStringLiteral("%1: 下限 ≤ 上限、刻み > 0 の数値を入力してください。")
                    .arg(grid_->item(r, kName)->text());
      return std::nullopt;
    }
    axes.push_back(
        {grid_->item(r, kName)->data(Qt::UserRole).toString().toStdString(), *lo, *hi, *step});
  }
  if (axes.empty()) {
    message = QStringLiteral("変更してよい寸法にチェックを付けてください。");
    return std::nullopt;
  }
  return axes;
}

void ProposalDialog::Start() {
  if (Running()) return;
  QString message;
  std::optional<std::vector<GridAxis>> axes = TickedAxes(message);
  ProposalOptions options;
  if (axes && setup_.steel) {
    const std::optional<double> c = ReadNumber(concrete_weight_->text());
    const std::optional<double> s = ReadNumber(steel_weight_->text());
    if (!c || !s || *c < 0 || *s < 0) {
      message = QStringLiteral("重みには 0 以上の数値を入力してください。");
      axes.reset();
    } else {
      options.weights = {*c, *s};
    }
  }
  if (!axes) {
    status_->setText(message);
    return;
  }
  searched_ = *axes;
  result_.reset();
  comparison_->setRowCount(0);
  cancel_flag_ = false;
  done_ = false;
  tried_ = 0;
  total_ = 0;
  best_so_far_.reset();
  error_.clear();
  options.cancel = &cancel_flag_;
  options.progress = [this](int64_t tried, int64_t total) {
    tried_ = tried;
    total_ = total;
  };
  options.improved = [this](double objective) {
    std::lock_guard lock(best_mutex_);
    best_so_far_ = objective;
  };
  SetRunning(true);
  status_->setText(QStringLiteral("探索中…"));
  worker_ = std::thread([this, options, axes = *axes] {
    try {
      outcome_ = ProposeSection(setup_.present, axes, options);
    } catch (const std::exception& e) {
      error_ = e.what();
    }
    done_ = true;
  });
  poll_->start();
}

void ProposalDialog::Cancel() { cancel_flag_ = true; }

void ProposalDialog::SetRunning(bool running) {
  start_->setEnabled(!running);
  cancel_->setEnabled(running);
  grid_->setEnabled(!running);
  apply_->setEnabled(false);
}

void ProposalDialog::Poll() {
  if (done_) {
    Finish();
    return;
  }
  QString best = QStringLiteral("なし");
  {
    std::lock_guard lock(best_mutex_);
    if (best_so_far_) best = QString::number(*best_so_far_, 'f', 4);
  }
  status_->setText(QStringLiteral("探索中… 試した候補 %1 / %2　最良の目的関数 %3")
                       .arg(tried_.load())
                       .arg(total_.load())
                       .arg(best));
}

void ProposalDialog::Finish() {
  poll_->stop();
  worker_.join();
  SetRunning(false);
  if (!error_.empty()) {
    status_->setText(Q(error_));
    return;
  }
  result_ = outcome_;
  if (result_->found) {
    ShowProposal();
  } else {
    ShowNothingPasses();
  }
}

void ProposalDialog::ShowNothingPasses() {
  const Proposal& p = *result_;
  QString text = QStringLiteral("試した候補 %1 / %2 の中に、すべての照査を満たす断面はありません。")
                     .arg(p.tried)
                     .arg(p.total);
  if (p.cancelled) text += QStringLiteral("（中止しました）");
  if (!p.failing_everywhere.empty()) {
    QStringList names;
    for (const std::string& n : p.failing_everywhere) names << Q(n);
    text += QStringLiteral("\nどの候補でもＮＧの照査: %1").arg(names.join(QStringLiteral("、")));
  }
  text += QStringLiteral("\n寸法の範囲（下限・上限）を広げるか、変更する寸法を増やしてください。");
  status_->setText(text);
}

void ProposalDialog::ShowProposal() {
  const Proposal& p = *result_;
  status_->setText(QStringLiteral("試した候補 %1 / %2　提案の目的関数 %3（現在 %4）%5")
                       .arg(p.tried)
                       .arg(p.total)
                       .arg(p.proposed.objective, 0, 'f', 4)
                       .arg(p.present.objective, 0, 'f', 4)
                       .arg(p.cancelled ? QStringLiteral("（中止: それまでの最良）") : QString()));
  auto add = [this](const QString& name, const QString& before, const QString& after) {
    const int r = comparison_->rowCount();
    comparison_->insertRow(r);
    comparison_->setItem(r, 0, new QTableWidgetItem(name));
    comparison_->setItem(r, 1, new QTableWidgetItem(before));
    comparison_->setItem(r, 2, new QTableWidgetItem(after));
  };
  for (size_t a = 0; a < searched_.size(); ++a) {
    const double before = FieldValue(setup_.present, searched_[a].name).value_or(0);
    const double after = p.values[a];
    if (before == after) continue;
    add(Caption(searched_[a].name), Number(before),
        QStringLiteral("%1 → %2").arg(Number(before), Number(after)));
  }
  add(QStringLiteral("コンクリート (m³/m)"), QString::number(p.present.concrete, 'f', 3),
      QString::number(p.proposed.concrete, 'f', 3));
  if (setup_.steel) {
    add(QStringLiteral("鉄筋 (t/m)"), QString::number(p.present.steel, 'f', 4),
        QString::number(p.proposed.steel, 'f', 4));
  }
  if (setup_.checks) {
    const WallChecks before = setup_.checks(setup_.present, setup_.design_aa);
    const WallChecks after = setup_.checks(p.project, setup_.design_aa);
    // Rows are paired by section, case and kind (the n-th of each): an item's symbol may change
    // with its sign, and a section the proposal adds or drops stands alone.
    using Key = std::tuple<std::string, int, int, int>;
    std::map<Key, const CheckRow*> old_rows;
    std::map<std::tuple<std::string, int, int>, int> seen;
    auto key = [&seen](const CheckRow& r) {
      const std::tuple<std::string, int, int> group{r.section, static_cast<int>(r.load_case),
                                                    static_cast<int>(r.kind)};
      const int n = seen[group]++;
      return Key{r.section, static_cast<int>(r.load_case), static_cast<int>(r.kind), n};
    };
    for (const CheckRow& r : before.rows) old_rows[key(r)] = &r;
    seen.clear();
    for (const CheckRow& r : after.rows) {
      const auto it = old_rows.find(key(r));
      add(RowName(r), it == old_rows.end() ? QString() : RowText(*it->second), RowText(r));
    }
    if (!before.error.empty()) add(QStringLiteral("現在の断面"), Q(before.error), QString());
  }
  apply_->setEnabled(true);
}

}  // namespace ktv
