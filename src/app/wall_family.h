#pragma once
// The three wall families: the typed family, its stored code and its names.
//
// A family code (tbl単位系及び形式.Kisk, the list index of cboKeisiki, the older-format record)
// is turned into a WallFamily once where it is read, with WallFamilyFromCode; a code outside the
// list has no family. The names of the families are in wall_family.cpp, and nowhere else.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace ktv {

enum class WallFamily : int16_t { Gravity = 0, Leaning = 1, Cantilever = 2 };

inline constexpr int kWallFamilyCount = 3;
inline constexpr std::array<WallFamily, kWallFamilyCount> kWallFamilies = {
    WallFamily::Gravity, WallFamily::Leaning, WallFamily::Cantilever};

// The stored codes, which are also the list indexes of the family list.
inline constexpr int kGravity = 0;
inline constexpr int kLeaning = 1;
inline constexpr int kCantilever = 2;

constexpr int CodeOf(WallFamily family) { return static_cast<int>(family); }
std::optional<WallFamily> WallFamilyFromCode(int code);

struct WallFamilyNames {
  std::string_view list_name;    // family list and older-format record: "重力式" …
  std::string_view cover_title;  // cover page: "重力式擁壁" …
  std::string_view key;          // ASCII, for the batch command's JSON: "gravity" …
};
const WallFamilyNames& NamesOf(WallFamily family);

// The list name of a code; empty for a code outside the list.
std::string_view FamilyListName(int code);

}  // namespace ktv
