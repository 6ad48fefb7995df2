#pragma once
// Reads the inputs of the cantilever wall from a private snapshot of the project.
#include <string>

#include "families/cantilever/cantilever_calculation.h"
#include "project/project_database.h"

namespace ktv {

// Reads the concrete, soil, foundation, reinforcement and cantilever shape tables and the unit
// system of an open project without changing it: the shape row is taken as T02 = [L2] − [T1] −
// [T2] and L01 = [L3], the allowable stresses and both moduli are multiplied by
// StressUnitFactor, and the arrangement-2 size indexes are shifted down by one (below 0: no
// second arrangement). design_section_aa is the window's check box chkhAA. A table without a
// row is a ProjectError naming it.
CantileverInputs ReadCantileverInputs(const ProjectDatabase& db, bool design_section_aa);

// The same from a copy of the working database made at copy_path (Data3.mdb) for this read
// alone; the copy is removed afterwards, also when reading fails, and the working database is
// never opened for writing. A copy path naming the working database itself is a ProjectError.
CantileverInputs ReadCantileverInputsFromCopy(const std::string& working_path,
                                              const std::string& copy_path, bool design_section_aa);

}  // namespace ktv
