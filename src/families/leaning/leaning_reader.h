#pragma once
// The inputs of the leaning wall from a project's data.
#include "families/leaning/leaning_calculation.h"
#include "project/project_data.h"

namespace ktv {

// Takes the concrete, soil, foundation and leaning shape rows and the unit system, and scales the
// allowable stresses (σck, σcac, σcat, τa) by StressUnitFactor. A file without one of the rows is
// a ProjectError naming it, and so is a value beyond the limits of physical meaning
// (CheckInputLimits).
LeaningInputs LeaningInputsOf(const ProjectData& data);

// The same, read from an open project database.
inline LeaningInputs ReadLeaningInputs(const ProjectDatabase& db) {
  return LeaningInputsOf(ReadProjectData(db));
}

}  // namespace ktv
