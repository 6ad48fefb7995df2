#include "app/catalogue.h"

#include <array>

#include "app/format.h"

namespace ktv {
namespace {
constexpr std::array<std::string_view, 2> kTypeNames = {"丸鋼", "異形"};
constexpr std::array<std::string_view, 2> kRoundGrades = {"SR24", "SR30"};
constexpr std::array<std::string_view, 4> kDeformedGrades = {"SD24", "SD30", "SD35", "SD40"};
constexpr std::array<BarSize, 12> kRoundSizes = {{
    {"R4", 0.13f, 1.26f},
    {"R6", 0.28f, 1.88f},
    {"R8", 0.5f, 2.51f},
    {"R9", 0.64f, 2.83f},
    {"R12", 1.13f, 3.77f},
    {"R13", 1.33f, 4.08f},
    {"R16", 2.01f, 5.03f},
    {"R19", 2.84f, 5.97f},
    {"R22", 3.8f, 6.91f},
    {"R25", 4.91f, 7.85f},
    {"R28", 6.16f, 8.8f},
    {"R32", 8.04f, 10.05f},
}};
constexpr std::array<BarSize, 14> kDeformedSizes = {{
    {"D6", 0.32f, 2.0f},
    {"D8", 0.5f, 2.5f},
    {"D10", 0.71f, 3.0f},
    {"D13", 1.27f, 4.0f},
    {"D16", 1.98f, 5.0f},
    {"D19", 2.85f, 6.0f},
    {"D22", 3.88f, 7.0f},
    {"D25", 5.07f, 8.0f},
    {"D29", 6.41f, 9.0f},
    {"D32", 7.92f, 10.0f},
    {"D35", 9.58f, 11.0f},
    {"D38", 11.4f, 12.0f},
    {"D41", 13.4f, 13.0f},
    {"D51", 20.3f, 16.0f},
}};
}  // namespace

std::string_view BarTypeName(int type) {
  return type >= 0 && type < kBarTypeCount ? kTypeNames[type] : std::string_view{};
}

std::span<const std::string_view> BarGrades(int type) {
  if (type == 0) return kRoundGrades;
  if (type == 1) return kDeformedGrades;
  return {};
}

std::span<const BarSize> BarSizes(int type) {
  if (type == 0) return kRoundSizes;
  if (type == 1) return kDeformedSizes;
  return {};
}

const BarSize* FindBarSize(int type, int size_index) {
  auto sizes = BarSizes(type);
  if (size_index < 0 || size_index >= static_cast<int>(sizes.size())) return nullptr;
  return &sizes[size_index];
}

std::string_view BarGradeName(int type, int grade_index) {
  auto grades = BarGrades(type);
  if (grade_index < 0 || grade_index >= static_cast<int>(grades.size())) return {};
  return grades[grade_index];
}

std::vector<std::string> SizeListEntries(int type, int position) {
  std::vector<std::string> out;
  if (position % 2 == 1) out.emplace_back(kNoSecondArrangement);
  for (const auto& s : BarSizes(type)) out.emplace_back(s.name);
  return out;
}

std::optional<int> CatalogueSizeIndex(int type, int position, int list_index) {
  int index = position % 2 == 1 ? list_index - 1 : list_index;
  if (FindBarSize(type, index) == nullptr) return std::nullopt;
  return index;
}

BarPropertyLabels ShowBarProperties(int type, int position, int list_index) {
  bool odd = position % 2 == 1;
  int list_size = static_cast<int>(BarSizes(type).size()) + (odd ? 1 : 0);
  if (list_index < 0 || list_index >= list_size) return {"", "", false, false};
  if (odd && list_index == 0) return {"  -", "  -", false, true};
  const BarSize* s = FindBarSize(type, odd ? list_index - 1 : list_index);
  return {ShortestForm(s->area), ShortestForm(s->perimeter), true, true};
}

}  // namespace ktv
