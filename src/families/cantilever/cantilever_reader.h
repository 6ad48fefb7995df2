#pragma once
// The inputs of the cantilever wall from a project's data.
#include "families/cantilever/cantilever_calculation.h"
#include "project/project_data.h"

namespace ktv {

// Takes the concrete, soil, foundation, reinforcement and cantilever shape rows and the unit
// system: the shape row is taken as T02 = [L2] − [T1] − [T2] and L01 = [L3], the allowable
// stresses and both moduli are multiplied by StressUnitFactor, and the arrangement-2 size indexes
// are shifted down by one (below 0: no second arrangement). design_section_aa is the window's
// check box chkhAA. A file without one of the rows is a ProjectError naming it, and so is a value
// beyond the limits of physical meaning (CheckInputLimits).
CantileverInputs CantileverInputsOf(const ProjectData& data, bool design_section_aa);

// The same, read from an open project database.
inline CantileverInputs ReadCantileverInputs(const ProjectDatabase& db, bool design_section_aa) {
  return CantileverInputsOf(ReadProjectData(db), design_section_aa);
}

}  // namespace ktv
