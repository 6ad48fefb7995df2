#pragma once
// 断面の提案: the dialog of the design assistant. The engineer chooses which dimensions (and, for
// the cantilever wall, which bars and spacings) may change and over which grid; the search runs
// on a worker thread while the dialog shows its progress, then the proposal stands beside the
// present section. The dialog never touches the window: "適用" accepts it, and the window takes
// the proposal from Result().
#include <QDialog>
#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/checks.h"
#include "families/proposal/section_proposal.h"
#include "project/project_data.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTimer;

namespace ktv {

struct ProposalDialogSetup {
  ProjectData present;            // the window's project as it stands
  std::vector<GridAxis> ticked;   // may change, ticked at first
  std::vector<GridAxis> offered;  // listed, not ticked at first (bars and spacings)
  bool steel = false;             // the objective counts steel (cantilever wall)
  FamilyChecksEntry checks;       // the family's check rows, for the comparison
  bool design_aa = false;
};

class ProposalDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ProposalDialog(ProposalDialogSetup setup, QWidget* parent = nullptr);
  ~ProposalDialog() override;

  // Starts the search with the grid of the table (the message says what is wrong with it when
  // it cannot start). Cancel stops it; the best so far is then the result.
  void Start();
  void Cancel();
  bool Running() const { return worker_.joinable(); }
  // The finished search's proposal; nothing before a search has ended.
  const std::optional<Proposal>& Result() const { return result_; }

  QTableWidget* Grid() const { return grid_; }
  QTableWidget* Comparison() const { return comparison_; }
  QLabel* Status() const { return status_; }
  QPushButton* ApplyButton() const { return apply_; }
  QPushButton* CloseButton() const { return close_; }

 private:
  void AddAxisRow(const GridAxis& axis, bool ticked);
  // The ticked rows of the table; a message when a row cannot be read.
  std::optional<std::vector<GridAxis>> TickedAxes(QString& message) const;
  void Poll();
  void Finish();
  void ShowProposal();
  void ShowNothingPasses();
  void SetRunning(bool running);

  ProposalDialogSetup setup_;
  QTableWidget* grid_ = nullptr;
  QLineEdit* concrete_weight_ = nullptr;
  QLineEdit* steel_weight_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QLabel* status_ = nullptr;
  QTableWidget* comparison_ = nullptr;
  QPushButton* apply_ = nullptr;
  QPushButton* close_ = nullptr;
  QTimer* poll_ = nullptr;

  // Shared with the worker thread.
  std::thread worker_;
  std::atomic<bool> cancel_flag_{false};
  std::atomic<bool> done_{false};
  std::atomic<int64_t> tried_{0}, total_{0};
  std::mutex best_mutex_;
  std::optional<double> best_so_far_;
  Proposal outcome_;
  std::string error_;

  std::vector<GridAxis> searched_;
  std::optional<Proposal> result_;
};

}  // namespace ktv
