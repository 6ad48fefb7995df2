#pragma once
// Limits of physical meaning for the inputs. A value beyond them describes no wall (a dimension
// over 1,000 m, a unit weight over 1,000 or below 0, an angle outside its quadrant) and would only
// carry the calculation into overflow; a family refuses it when it reads its inputs.
#include "project/project_data.h"
#include "project/project_database.h"

namespace ktv {

// Checks the fields that the wall family reads: its own shape table, concrete and soil, and the
// reinforcement of the leaning and cantilever walls. Throws ProjectError naming the value and the
// range, and where it lies: the file, table and field of a project file, or the box as the window
// labels it (dimensions then in millimetres, as typed).
void CheckInputLimits(const ProjectData& data, int family);
void CheckInputLimits(const ProjectDatabase& db, int family);

}  // namespace ktv
