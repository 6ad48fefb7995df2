#pragma once
// Everything the design input window holds, as plain data: the texts of its boxes, the states of
// its lists, options and check boxes, and the per-family memory of dimensions. The window shows
// and collects this struct; loading, writing, checking and converting work on it alone.
#include <array>
#include <string>

#include "app/messages.h"
#include "app/standard_sizes.h"
#include "app/wall_family.h"
#include "families/family_window.h"
#include "sketch/sketch_common.h"  // IsNumberText and CheckBetaRange, shared with the sketches

namespace ktv {

class ProjectDatabase;
struct ProjectData;

inline constexpr int kShapePage = 1;

struct WindowInputs {
  // Page 1 (工事名・設計条件).
  std::string project_name;        // txt工事名
  std::string office_name;         // txt事務所名 (settings, not the database)
  std::string date;                // cmbData as "yyyy/MM/dd"; empty: the picker's own default
  bool print_project_name = true;  // chkPrnCNamOk (beside 工事名)
  bool print_office_name = true;   // chkPrnOfficeOk (beside 事務所名)
  bool print_date = true;          // chkPrnDateOk
  bool si = true;                  // opnUntSI selected (lblUnt "SI 単位"), else CGS

  // Page 2 (擁壁の種類・形状); lengths in mm as typed.
  WallFamily family = WallFamily::Gravity;  // cboKeisiki
  std::array<std::string, 3> t;             // txtT(0..2): T1..T3
  std::array<std::string, 3> l;             // txtL(0..2): L1..L3
  std::array<std::string, 2> h;             // txtH(0) H0, txtH(1) H1 (H1 has no database field)
  std::array<std::string, 5> d;             // txtD(0..4): D0..D4 (D3 repeats D1)
  std::string b;                            // txtB
  std::string beta;                         // txtβ, degrees
  std::string q1, q2;                       // txtq1, txtq2 (stored with the soil constants)
  std::string w0;                           // txtW0 (window only)
  bool shear_key = false;                   // chk滑り止め (window only, as are the next fields)
  std::string t5, d5, l5;                   // txtFK_T5, txtFK_D5, txtFK_L5
  bool counterfort = false;                 // chk控え壁
  std::string t6, l6, bs;                   // txtSW_T6, txtSW_L6, txtSW_Bs
  bool counterfort_to_h0_top = true;        // OptH0Top selected, else OptH1Top
  bool sync_draw = true;                    // chkSyncDraw of the sketch panel

  // Page 3 (設計条件).
  std::string kh;                           // txtkh
  int soil_class = 0;                       // cboUrKm; the internal formula is always in force
  std::string gamma, phi, c, phi_b;         // txtγ, txtφ, txtC, txtφB
  std::array<std::string, 3> nu;            // txtν1..txtν3 (stored and restored only)
  std::string ko;                           // txtko (stored and restored only)
  std::string qa_normal, qa_seismic;        // txtqa_R(0), txtqa_E(0)
  std::string slide_normal, slide_seismic;  // txtqa_R(1), txtqa_E(1)

  // Page 4 (材料・配筋).
  std::string fc, sigma_ck, sigma_cac, sigma_cat, tau_a, gamma_c, ec;  // concrete
  int bar_kind = 0;                                                    // cboStl_Kind
  int bar_grade = 0;                                                   // cboStl_Strength
  std::string es;                                                      // txtEs
  std::string sigma_sa, sigma_saT;  // txtσsa (A-A'), txtσsaT (C-C')
  std::array<std::string, 2> dt;    // txtdt(0) A-A', txtdt(1) C-C', cm
  bool design_aa = false;           // chkhAA
  std::string h_aa;                 // txthAA, mm
  std::array<int, 8> bar_size{};    // list index of cboStl_Size(0..7)
  std::array<std::string, 8> ctc;   // txtctc(0..7), mm

  // Per-family memory of dimensions, and the family whose dimensions the boxes show.
  std::array<FamilyDimensions, 3> memory;
  WallFamily shown_family = WallFamily::Gravity;

  bool operator==(const WindowInputs&) const = default;
};

// True when both hold the same project as the window shows it: every input, and every family's
// dimensions as the shape page would show them. D3 (a repeat of D1) and the sketch's drawing
// option are not part of the project.
bool SameProject(const WindowInputs& a, const WindowInputs& b);

// The inputs of an empty project before anything is loaded: zeros in the display formats, first
// list entries, SI, the gravity family, the standard dimensions.
WindowInputs EmptyWindowInputs();

// The cover choices and office name kept in the per-user settings.
struct CoverSettings {
  std::string office_name;
  bool print_project_name = true;
  bool print_office_name = true;
  bool print_date = true;
};

// Loads every page from the database (empty tables give the defaults) and the cover settings.
// The inputs that a project file does not hold (H1, W0, the shear-key and counterfort options,
// T6, L6, Bs) start from their defaults, so that nothing of the previously shown project
// stays behind. Throws ProjectError.
WindowInputs LoadWindowInputs(const ProjectData& data, const CoverSettings& cover);
// The same from a database; a damaged project-name table leaves name and date blank.
WindowInputs LoadWindowInputs(const ProjectDatabase& db, const CoverSettings& cover);

// The project the window holds, as the calculations and the database take it: every table, the
// current family's shape row from the boxes, the other two from the memory.
ProjectData ProjectDataOf(const WindowInputs& in);

// Writes ProjectDataOf(in) under the one-row convention, in one transaction. Throws ProjectError.
void WriteWindowInputs(const WindowInputs& in, ProjectDatabase& db);

CoverSettings CoverSettingsOf(const WindowInputs& in);

// Shows a family's memory in the shape boxes (T, L, H, D, B "0", β "0.00", T5, D5, L5 "0").
void ShowFamilyMemory(WindowInputs& in, WallFamily family);

// Saves the shape boxes into the memory of the family they show.
void SaveShownDimensions(WindowInputs& in);

// The family list changed (outside loading): defaults of the cantilever family, memory save and
// restore. The window applies its enabling rules and redraws.
void ChangeWallFamily(WindowInputs& in, WallFamily new_family);

// "標準図": the current family's standard dimensions into the memory and the boxes.
void ResetToStandardSizes(WindowInputs& in);

// σck, σcac, σcat from Fc. A text that is not a number shows "Fc の入力値が不正です".
void DeriveConcreteStresses(WindowInputs& in, MessageSink& sink);

// Defaults of the selected soil class into γ, φ and tanφB (γ converted in SI).
void ApplySoilClassDefaults(WindowInputs& in);

// Converts the entered values to the unit system now selected (`in.si`).
void ConvertEnteredValues(WindowInputs& in);

// The checks before Print and Preview, with the rules of the shown family (its boxes and its
// dimension check, from the family table); the first failure beeps, shows its message and gives
// false.
bool ValidateInputs(const WindowInputs& in, const FamilyWindow& family, MessageSink& sink);

// The number a box's text holds (leading-number rule) as the 32-bit value every calculation sees;
// texts beyond the float range are held at its limit rather than becoming infinite.
float BoxNumber(const std::string& text);

// The text without the blanks around it.
std::string TrimBlanks(const std::string& s);

// Display formats of the boxes, applied when a box is left.
enum class InputFormat { None, F0, F1, F2 };
std::string ApplyFormat(const std::string& text, InputFormat format);

// The proposed file name of the Save dialog for a project name: trimmed, with characters that
// cannot stand in a file name replaced by "_".
std::string ProposedFileName(const std::string& project_name);

}  // namespace ktv
