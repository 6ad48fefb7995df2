#include "summary_table.h"

#include <xlsxwriter.h>

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>

#include "app/format.h"
#include "app/messages.h"
#include "report/chapter_kit.h"
#include "report/report_build.h"
#include "report/report_render.h"
#include "report/report_writer.h"

namespace ktv {
namespace {

constexpr const char* kSummaryTitle = "擁壁の設計計算　総括表";
constexpr const char* kNotDetermined = "－";

// One cell of the flat table (CSV and spreadsheet): its text as printed, and the number it reads
// as when it is one.
struct Cell {
  std::string text;
  std::optional<double> number;
  int decimals = 0;
  bool ng = false;  // an ＮＧ verdict, or a project that could not be computed
};

struct Head {
  std::string group;  // "" for the columns of the project, "転倒（常時）" for a check
  std::string title;
};

std::string GroupName(CheckKind kind, CheckCase load_case) {
  return std::string(KindName(kind)) + "（" + std::string(CaseName(load_case)) + "）";
}

std::string FileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

// The printed text as a number, with its decimals; none when the text is not a plain number.
std::optional<std::pair<double, int>> PrintedNumber(const std::string& text) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  const size_t point = text.find('.');
  const int decimals = point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
  return std::pair(value, decimals);
}

Cell TextCell(std::string text, bool ng = false) {
  Cell c;
  c.text = std::move(text);
  c.ng = ng;
  return c;
}

Cell NumberCell(const std::string& text) {
  Cell c = TextCell(text);
  if (auto n = PrintedNumber(text)) {
    c.number = n->first;
    c.decimals = n->second;
  }
  return c;
}

// The all-pass column: not determined for a wall that could not be computed or has no checks.
std::string PassText(const SummaryProject& p) {
  if (!p.error.empty() || p.checks.empty()) return kNotDetermined;
  return AllChecksPass(p) ? "ＯＫ" : "ＮＧ";
}

std::string Symbol(const CheckRow& row) {
  return row.section.empty() ? row.item : row.section + " " + row.item;
}

// The unit of a check column: one unit, or each unit with the unit system that prints it when
// the projects do not share one.
std::string UnitOfColumn(const std::vector<SummaryProject>& projects, CheckKind kind,
                         CheckCase load_case) {
  std::set<std::pair<std::string, std::string>> found;  // unit, unit system
  for (const SummaryProject& p : projects) {
    if (const CheckRow* row = GoverningRow(p.checks, kind, load_case)) {
      found.insert({row->unit, p.units});
    }
  }
  std::set<std::string> units;
  for (const auto& [unit, system] : found) units.insert(unit);
  if (units.size() == 1) return units.begin()->empty() ? "" : " [" + *units.begin() + "]";
  std::string text;
  for (const auto& [unit, system] : found) {
    if (!text.empty()) text += "・";
    text += (unit.empty() ? "－" : unit) + " (" + system + ")";
  }
  return text.empty() ? "" : " [" + text + "]";
}

std::vector<Head> Heads(const std::vector<SummaryProject>& projects) {
  std::vector<Head> heads = {{"", "No"},     {"", "ファイル"}, {"", "工事名"}, {"", "形式"},
                             {"", "単位系"}, {"", "H [m]"},    {"", "B [m]"}};
  for (CheckCase c : kSummaryCases) {
    for (CheckKind k : kSummaryKinds) {
      const std::string group = GroupName(k, c);
      const std::string unit = UnitOfColumn(projects, k, c);
      heads.push_back({group, "記号"});
      heads.push_back({group, "値" + unit});
      heads.push_back({group, "制限値" + unit});
      heads.push_back({group, "判定"});
    }
  }
  heads.push_back({"", "全照査"});
  heads.push_back({"", "備考"});
  return heads;
}

std::vector<Cell> RowCells(size_t index, const SummaryProject& p) {
  auto length = [](const std::optional<double>& v) {
    return v ? NumberCell(FormatValue(static_cast<float>(*v), "0.000")) : Cell{};
  };
  std::vector<Cell> cells = {NumberCell(std::to_string(index + 1)),
                             TextCell(FileName(p.file)),
                             TextCell(p.project_name),
                             TextCell(p.form),
                             TextCell(p.units),
                             length(p.h),
                             length(p.b)};
  for (CheckCase c : kSummaryCases) {
    for (CheckKind k : kSummaryKinds) {
      const CheckRow* row = GoverningRow(p.checks, k, c);
      if (!row) {
        cells.insert(cells.end(), 4, Cell{});
        continue;
      }
      cells.push_back(TextCell(Symbol(*row)));
      cells.push_back(NumberCell(row->value_text));
      cells.back().ng = !row->verdict.ok;
      cells.push_back(NumberCell(row->limit_text));
      cells.push_back(TextCell(std::string(VerdictWord(row->verdict)), !row->verdict.ok));
    }
  }
  const std::string pass = PassText(p);
  cells.push_back(TextCell(pass, pass != "ＯＫ"));
  cells.push_back(TextCell(p.error));
  return cells;
}

// A text a spreadsheet program would take for a formula (from an untrusted project file) is kept
// a text by a leading apostrophe.
std::string CsvField(const Cell& cell) {
  std::string text = cell.text;
  if (!cell.number && !text.empty() &&
      std::string_view("=+-@\t\r").find(text[0]) != std::string::npos) {
    text.insert(0, "'");
  }
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char ch : text) {
    if (ch == '"') quoted += '"';
    quoted += ch;
  }
  return quoted + "\"";
}

// The name the projects share for the header; "" when they differ.
std::string CommonProjectName(const std::vector<SummaryProject>& projects) {
  std::optional<std::string> name;
  for (const SummaryProject& p : projects) {
    if (!p.error.empty() && p.project_name.empty()) continue;
    if (name && *name != p.project_name) return "";
    name = p.project_name;
  }
  return name.value_or("");
}

void Check(lxw_error error, const std::string& path) {
  if (error != LXW_NO_ERROR) {
    throw std::runtime_error(path + ": cannot write the spreadsheet (" + lxw_strerror(error) + ")");
  }
}

}  // namespace

std::string_view KindName(CheckKind kind) {
  switch (kind) {
    case CheckKind::Overturning:
      return "転倒";
    case CheckKind::Sliding:
      return "滑動";
    case CheckKind::Bearing:
      return "支持力";
    case CheckKind::Stress:
      return "応力度";
  }
  return "";
}

std::string_view CaseName(CheckCase load_case) {
  return load_case == CheckCase::Normal ? "常時" : "地震時";
}

const CheckRow* GoverningRow(const std::vector<CheckRow>& rows, CheckKind kind,
                             CheckCase load_case) {
  const CheckRow* governing = nullptr;
  double worst = 0;
  for (const CheckRow& row : rows) {
    if (row.kind != kind || row.load_case != load_case) continue;
    const double u = Utilisation(row);
    if (!governing || u > worst) {
      governing = &row;
      worst = u;
    }
  }
  return governing;
}

bool AllChecksPass(const SummaryProject& project) {
  return project.error.empty() && !project.checks.empty() &&
         std::all_of(project.checks.begin(), project.checks.end(),
                     [](const CheckRow& r) { return r.verdict.ok; });
}

std::optional<SummaryFormat> SummaryFormatOf(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ext == ".csv") return SummaryFormat::Csv;
  if (ext == ".xlsx") return SummaryFormat::Xlsx;
  if (ext == ".pdf") return SummaryFormat::Pdf;
  return std::nullopt;
}

std::string SummaryCsv(const std::vector<SummaryProject>& projects) {
  std::string csv = "\xEF\xBB\xBF";
  auto line = [&](const std::vector<Cell>& cells) {
    for (size_t i = 0; i < cells.size(); ++i) {
      if (i > 0) csv += ',';
      csv += CsvField(cells[i]);
    }
    csv += "\r\n";
  };
  std::vector<Cell> head;
  for (const Head& h : Heads(projects)) head.push_back(TextCell(h.group + h.title));
  line(head);
  for (size_t i = 0; i < projects.size(); ++i) line(RowCells(i, projects[i]));
  return csv;
}

void WriteSummaryXlsx(const std::vector<SummaryProject>& projects, const std::string& path) {
  std::unique_ptr<lxw_workbook, void (*)(lxw_workbook*)> book(workbook_new(path.c_str()),
                                                              [](lxw_workbook* b) {
                                                                if (b) workbook_close(b);
                                                              });
  if (!book) throw std::runtime_error(path + ": cannot write the spreadsheet");
  lxw_worksheet* sheet = workbook_add_worksheet(book.get(), "総括表");
  if (!sheet) throw std::runtime_error(path + ": cannot write the spreadsheet");

  lxw_format* head = workbook_add_format(book.get());
  format_set_bold(head);
  format_set_text_wrap(head);
  format_set_align(head, LXW_ALIGN_CENTER);
  format_set_align(head, LXW_ALIGN_VERTICAL_CENTER);
  format_set_border(head, LXW_BORDER_THIN);
  format_set_bg_color(head, 0xDDDDDD);
  // One format per number of decimals and marking, made when first needed.
  std::map<std::pair<int, bool>, lxw_format*> formats;
  auto format = [&](int decimals, bool ng) {
    lxw_format*& f = formats[{decimals, ng}];
    if (f) return f;
    f = workbook_add_format(book.get());
    format_set_border(f, LXW_BORDER_THIN);
    if (decimals >= 0) {
      const std::string pattern = decimals == 0 ? "0" : "0." + std::string(decimals, '0');
      format_set_num_format(f, pattern.c_str());
    }
    if (ng) {
      format_set_bold(f);
      format_set_font_color(f, LXW_COLOR_RED);
      format_set_bg_color(f, 0xFFC7CE);
    }
    return f;
  };

  const std::vector<Head> heads = Heads(projects);
  const std::string path_shown = path;
  for (lxw_col_t col = 0; col < heads.size(); ++col) {
    const Head& h = heads[col];
    if (h.group.empty()) {
      Check(worksheet_merge_range(sheet, 0, col, 1, col, h.title.c_str(), head), path_shown);
    } else {
      if (col == 0 || heads[col - 1].group != h.group) {
        Check(worksheet_merge_range(sheet, 0, col, 0, col + 3, h.group.c_str(), head), path_shown);
      }
      Check(worksheet_write_string(sheet, 1, col, h.title.c_str(), head), path_shown);
    }
  }
  for (size_t i = 0; i < projects.size(); ++i) {
    const auto row = static_cast<lxw_row_t>(i + 2);
    const std::vector<Cell> cells = RowCells(i, projects[i]);
    for (lxw_col_t col = 0; col < cells.size(); ++col) {
      const Cell& c = cells[col];
      if (c.number) {
        Check(worksheet_write_number(sheet, row, col, *c.number, format(c.decimals, c.ng)),
              path_shown);
      } else if (!c.text.empty()) {
        Check(worksheet_write_string(sheet, row, col, c.text.c_str(), format(-1, c.ng)),
              path_shown);
      } else {
        Check(worksheet_write_blank(sheet, row, col, format(-1, false)), path_shown);
      }
    }
  }
  worksheet_set_row(sheet, 1, 30, nullptr);
  worksheet_set_column(sheet, 0, 0, 4, nullptr);
  worksheet_set_column(sheet, 1, 2, 22, nullptr);
  worksheet_set_column(sheet, 3, 6, 8, nullptr);
  worksheet_set_column(sheet, 7, static_cast<lxw_col_t>(heads.size() - 2), 9, nullptr);
  worksheet_set_column(sheet, static_cast<lxw_col_t>(heads.size() - 1),
                       static_cast<lxw_col_t>(heads.size() - 1), 60, nullptr);
  worksheet_freeze_panes(sheet, 2, 3);
  lxw_workbook* b = book.release();
  Check(workbook_close(b), path_shown);
}

void WriteSummaryPdf(const std::vector<SummaryProject>& projects, const std::string& path,
                     const std::optional<std::string>& author, const QDateTime& created) {
  // Body text one point smaller than the reports', so that a project's checks fit on one line
  // more often.
  ReportWriter w({10, 9, 8, 13});
  w.PageSetupLandscape();
  w.BeginDocument();
  const std::string name = CommonProjectName(projects);
  ApplyPageSetup(w, kPageSetupCover, name, kFullTitle);
  w.MarkOutline("表紙", 1, OutlineAnchor::PageTop);
  w.SetFontSize(FontSlot::Cover);
  w.SetY(5000);
  auto centred = [&](const std::string& text) {
    w.SetX((w.PageWidth() - w.TextWidth(text)) / 2);
    w.Paragraph(text);
  };
  if (name.find_first_not_of(' ') != std::string::npos) centred("工事名：" + name);
  w.Paragraph("");
  centred(kSummaryTitle);
  w.NewPage();
  ApplyPageSetup(w, kPageSetupReport, name, kFullTitle);

  size_t pass = 0, ng = 0;
  for (const SummaryProject& p : projects) {
    const std::string text = PassText(p);
    pass += text == "ＯＫ";
    ng += text == "ＮＧ";
  }
  w.SetFontSize(FontSlot::Title);
  w.MarkOutline(kSummaryTitle, 1);
  w.Paragraph(kSummaryTitle);
  w.SetFontSize(FontSlot::Body);
  w.Paragraph("");
  w.Paragraph("擁壁 " + std::to_string(projects.size()) + " 件：すべての照査がＯＫ " +
              std::to_string(pass) + " 件、ＮＧを含む " + std::to_string(ng) +
              " 件、計算できなかったもの " + std::to_string(projects.size() - pass - ng) + " 件");
  w.Paragraph("");

  // One line per load case a wall is checked for; the project's own cells on its first line.
  struct Line {
    const SummaryProject* project;
    size_t index;
    std::optional<CheckCase> load_case;  // none: a failed project
  };
  std::vector<Line> lines;
  for (size_t i = 0; i < projects.size(); ++i) {
    const SummaryProject& p = projects[i];
    if (!p.error.empty()) {
      lines.push_back({&p, i, std::nullopt});
      continue;
    }
    bool any = false;
    for (CheckCase c : kSummaryCases) {
      const bool has = std::any_of(p.checks.begin(), p.checks.end(),
                                   [&](const CheckRow& r) { return r.load_case == c; });
      if (has || (c == CheckCase::Normal && p.checks.empty())) {
        lines.push_back({&p, i, c});
        any = true;
      }
    }
    if (!any) lines.push_back({&p, i, CheckCase::Normal});
  }

  const std::vector<std::pair<const char*, double>> columns = {
      {"No", 400},    {"ファイル", 2500}, {"工事名", 1640},  {"形式", 760},
      {"H (m)", 620}, {"B (m)", 620},     {"荷重状態", 760}, {"転倒", 1650},
      {"滑動", 1300}, {"支持力", 1850},   {"応力度", 2188},  {"判定", 550}};
  constexpr int kFirstCheck = 8;  // column of 転倒
  const int cols = static_cast<int>(columns.size());
  w.SetTableBorder(kTableBorderFrame);
  w.BeginTable();
  w.SetTableCols(cols);
  w.SetTableRows(static_cast<int>(lines.size()) + 1);
  w.SetRuleAbove(2);
  for (size_t r = 1; r < lines.size(); ++r) {
    if (lines[r].index != lines[r - 1].index) w.SetRuleAbove(static_cast<int>(r) + 2);
  }
  w.SetCellAlignment(TableRange::All(), kAlignNumbersRight);
  w.SetRowHeight(1, w.GetRowHeight(1) * 1.5);
  for (int c = 0; c < cols; ++c) w.SetColumnWidth(c + 1, columns[c].second);
  w.SetHeaderRow(1);
  w.SetCellAlignment(TableRange::Row(1), kAlignCentre);
  for (int c = 0; c < cols; ++c) w.SetCellText(1, c + 1, columns[c].first);
  for (size_t r = 0; r < lines.size(); ++r) {
    const Line& line = lines[r];
    const SummaryProject& p = *line.project;
    const int row = static_cast<int>(r) + 2;
    const bool first = r == 0 || lines[r - 1].index != line.index;
    if (first) {
      w.SetCellText(row, 1, std::to_string(line.index + 1));
      w.SetCellText(row, 2, FileName(p.file));
      w.SetCellText(row, 3, p.project_name);
      w.SetCellText(row, 4, p.form);
      if (p.h) w.SetCellText(row, 5, FormatValue(static_cast<float>(*p.h), "0.000"));
      if (p.b) w.SetCellText(row, 6, FormatValue(static_cast<float>(*p.b), "0.000"));
      w.SetCellText(row, cols, PassText(p));
    }
    if (!line.load_case) {
      w.SetColumnSpan(row, kFirstCheck - 1, cols - kFirstCheck + 1);
      w.SetCellText(row, kFirstCheck - 1, "計算できません：" + p.error);
      continue;
    }
    w.SetCellText(row, kFirstCheck - 1, std::string(CaseName(*line.load_case)));
    int col = kFirstCheck;
    for (CheckKind k : kSummaryKinds) {
      if (const CheckRow* check = GoverningRow(p.checks, k, *line.load_case)) {
        std::string text = Symbol(*check) + " " + check->value_text +
                           std::string(VerdictSign(check->verdict)) + check->limit_text;
        if (!check->unit.empty()) text += " " + check->unit;
        text += "　" + std::string(VerdictWord(check->verdict));
        w.SetCellText(row, col, text);
      }
      ++col;
    }
  }
  w.EndTable();

  DocumentProperties properties;
  properties.title = kSummaryTitle + (name.empty() ? std::string() : "　" + name);
  properties.author = author.value_or("");
  properties.subject = kReportDocumentTitle;
  properties.creator = kFullTitle;
  properties.created = created;
  w.SetProperties(std::move(properties));
  w.EndDocument();
  WritePdf(w, QString::fromStdString(path));
}

}  // namespace ktv
