#pragma once
// The standard gravity wall as a project file: the standard shape (T1 230, T2 700, T3 690,
// H 2300 mm, β 29.05°) with gravel backfill, in SI or CGS units.
#include <string>

namespace ktv {

// Writes a complete project (all nine tables) to path, replacing any file there.
void WriteStandardGravityProject(const std::string& path, bool si);

// The committed fixture files, remade by the make_gravity_fixture tool.
inline constexpr const char* kStandardGravitySI = "standard_gravity_si.mdb";
inline constexpr const char* kStandardGravityCGS = "standard_gravity_cgs.mdb";

}  // namespace ktv
