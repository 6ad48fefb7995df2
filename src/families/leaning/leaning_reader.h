#pragma once
// Reads the inputs of the leaning wall from a project database.
#include "families/leaning/leaning_calculation.h"
#include "project/project_database.h"

namespace ktv {

// Reads the concrete, soil, foundation and leaning shape tables and the unit system, and scales the
// allowable stresses (σck, σcac, σcat, τa) by StressUnitFactor. A table without a row is a
// ProjectError naming it, and so is a value beyond the limits of physical meaning
// (CheckInputLimits).
LeaningInputs ReadLeaningInputs(const ProjectDatabase& db);

}  // namespace ktv
