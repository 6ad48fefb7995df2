#pragma once
// The built-in reinforcing-bar catalogue. Projects store list indexes into it, so the order of
// every list below is part of the saved-file format.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ktv {

struct BarSize {
  std::string_view name;
  float area;       // nominal sectional area A, cm2
  float perimeter;  // nominal perimeter Ψ, cm
};

inline constexpr int kBarTypeCount = 2;  // 0 = 丸鋼, 1 = 異形
inline constexpr int kBarPositionCount = 8;

std::string_view BarTypeName(int type);  // "丸鋼", "異形"; empty when out of range
std::span<const std::string_view> BarGrades(int type);  // empty span when out of range
std::span<const BarSize> BarSizes(int type);            // empty span when out of range
const BarSize* FindBarSize(int type, int size_index);   // nullptr when out of range
std::string_view BarGradeName(int type, int grade_index);

// The list entry that means "no second arrangement" in the odd-position lists.
inline constexpr std::string_view kNoSecondArrangement = "  -  ";

// Entries of the size list at a bar position: odd positions start with "  -  ".
std::vector<std::string> SizeListEntries(int type, int position);

// Catalogue size index of list index c at a position: c for even positions, c - 1 for odd ones;
// nothing for the "  -  " entry or an index outside the list.
std::optional<int> CatalogueSizeIndex(int type, int position, int list_index);

struct BarPropertyLabels {
  std::string area;       // text of lblStl_A(i)
  std::string perimeter;  // text of lblStl_Ψ(i)
  bool spacing_enabled;   // state of txtctc(i)
  bool valid;             // false when the list index does not exist: labels are left alone
};
BarPropertyLabels ShowBarProperties(int type, int position, int list_index);

}  // namespace ktv
