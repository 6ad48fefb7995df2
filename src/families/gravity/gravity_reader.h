#pragma once
// Reads the inputs of the gravity wall from a project database.
#include "families/gravity/gravity_calculation.h"
#include "project/project_database.h"

namespace ktv {

// Reads the concrete, soil, foundation and gravity shape tables and the unit system, and scales the
// allowable stresses by StressUnitFactor. A table without a row is a ProjectError naming it.
GravityInputs ReadGravityInputs(const ProjectDatabase& db);

}  // namespace ktv
