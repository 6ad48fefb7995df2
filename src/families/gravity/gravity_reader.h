#pragma once
// The inputs of the gravity wall from a project's data.
#include "families/gravity/gravity_calculation.h"
#include "project/project_data.h"

namespace ktv {

// Takes the concrete, soil, foundation and gravity shape rows and the unit system, and scales the
// allowable stresses by StressUnitFactor. A file without one of the rows is a ProjectError naming
// it, and so is a value beyond the limits of physical meaning (CheckInputLimits).
GravityInputs GravityInputsOf(const ProjectData& data);

// The same, read from an open project database.
inline GravityInputs ReadGravityInputs(const ProjectDatabase& db) {
  return GravityInputsOf(ReadProjectData(db));
}

}  // namespace ktv
