#pragma once
// The standard cantilever wall as a project file: the standard shape (T1 570, T2 400, L1 1000,
// L2 600, L3 2400, H 6300, D0 500, D1 600, D2 400, D3 600, D4 400 mm, β 0) with gravel backfill,
// SD35 bars D25@125 in the stem and the heel and D22@125 in the toe, in SI or CGS units; and a
// variant that designs section A-A′ at 3000 mm with second arrangements D13@250.
#include <string>

namespace ktv {

// Writes a complete project (all nine tables) to path, replacing any file there.
void WriteStandardCantileverProject(const std::string& path, bool si);
void WriteSectionAaCantileverProject(const std::string& path);

// The committed fixture files, remade by the make_cantilever_fixture tool.
inline constexpr const char* kStandardCantileverSI = "standard_cantilever_si.mdb";
inline constexpr const char* kStandardCantileverCGS = "standard_cantilever_cgs.mdb";
inline constexpr const char* kSectionAaCantileverSI = "standard_cantilever_aa_si.mdb";

}  // namespace ktv
