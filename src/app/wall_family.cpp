#include "app/wall_family.h"

namespace ktv {
namespace {

constexpr std::array<WallFamilyNames, kWallFamilyCount> kNames = {{
    {"重力式", "重力式擁壁", "gravity"},
    {"もたれ式", "もたれ式擁壁", "leaning"},
    // One report serves the three shapes; its entry names the shape of each wall.
    {"逆T形、L形、逆L形", "逆Ｔ形擁壁", "cantilever"},
}};

}  // namespace

std::optional<WallFamily> WallFamilyFromCode(int code) {
  if (code < 0 || code >= kWallFamilyCount) return std::nullopt;
  return static_cast<WallFamily>(code);
}

const WallFamilyNames& NamesOf(WallFamily family) { return kNames[CodeOf(family)]; }

std::string_view FamilyListName(int code) {
  const auto family = WallFamilyFromCode(code);
  return family ? NamesOf(*family).list_name : std::string_view{};
}

}  // namespace ktv
