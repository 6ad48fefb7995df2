#pragma once
// The standard leaning wall as a project file: the standard shape (T1 3000, T2 350, L1 850,
// H 7000, D1 1000, B 2400 mm, β 25°) with gravel backfill, in SI or CGS units.
#include <string>

namespace ktv {

// Writes a complete project (all nine tables) to path, replacing any file there.
void WriteStandardLeaningProject(const std::string& path, bool si);

// The committed fixture files, remade by the make_leaning_fixture tool.
inline constexpr const char* kStandardLeaningSI = "standard_leaning_si.mdb";
inline constexpr const char* kStandardLeaningCGS = "standard_leaning_cgs.mdb";

}  // namespace ktv
