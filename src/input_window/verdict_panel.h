#pragma once
// The verdict panel (判定) of the wall page: every check of the wall shown, with its value, the
// comparison, its limit and ＯＫ/ＮＧ, recomputed from the window's inputs after each edit. The
// inputs go the report's way: the window's checks, then the family's reader, input checks and
// calculation on a private project in memory, so that the panel and the report cannot differ.
// Nothing is written to the working database, and no message box is shown while typing: what
// the report would refuse is shown in the panel instead of the rows.
#include <QFrame>
#include <array>
#include <optional>
#include <vector>

#include "app/checks.h"
#include "app/wall_family.h"
#include "families/family_window.h"
#include "input_window/window_inputs.h"

class QLabel;
class QTableWidget;

namespace ktv {

// The checks of the window's inputs: the window's input checks (their first message becomes the
// error), then the family's entry on the window's project data. An empty entry gives no rows and
// no error.
WallChecks LiveChecks(const WindowInputs& inputs, const FamilyChecksEntry& entry,
                      const FamilyWindow& family);

class VerdictPanel : public QFrame {
  Q_OBJECT

 public:
  explicit VerdictPanel(QWidget* parent = nullptr);

  // The checks and window rules of a family (by family code), given by the family table.
  void SetFamily(int family_code, FamilyChecksEntry entry, const FamilyWindow& window);
  // Recomputes from the inputs and shows the result.
  void Update(const WindowInputs& inputs);
  // Shows rows, or the error in their place.
  void Show(const WallChecks& checks);

  const WallChecks& Shown() const { return shown_; }
  QTableWidget* Table() const { return table_; }
  QLabel* Message() const { return message_; }
  // "総合判定 ＯＫ", "総合判定 ＮＧ（ＮＧ n 件）", or "総合判定 －" when the wall is not computed.
  QLabel* Overall() const { return overall_; }
  // The check (index into Shown().rows) a table row shows: the failed checks stand first.
  int CheckOfTableRow(int table_row) const;

 signals:
  // A double-click on the row of a check (index into Shown().rows) or on the message.
  void checkActivated(int check_index);
  void messageActivated();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::array<FamilyChecksEntry, kWallFamilyCount> entries_;
  std::array<FamilyWindow, kWallFamilyCount> windows_{};
  WallChecks shown_;
  std::vector<int> order_;  // check index of each table row
  QTableWidget* table_ = nullptr;
  QLabel* message_ = nullptr;
  QLabel* overall_ = nullptr;
};

// The text of the overall line for the checks shown.
std::string OverallVerdictText(const WallChecks& checks);

// The texts of one row as the panel shows them: section, case, item, value, sign, limit, unit,
// verdict.
std::array<std::string, 8> PanelTexts(const CheckRow& row);

}  // namespace ktv
