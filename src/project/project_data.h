#pragma once
// A project's inputs as one plain value: the rows of the nine tables, typed. It has two sources,
// a project database (ReadProjectData) and the input window (ProjectDataOf in the window), and
// one writer (WriteProjectData). The family readers are pure functions of it, so the verdict
// panel computes from the window's value without any database, and every table is read once.
#include <array>
#include <optional>
#include <string>

#include "app/standard_sizes.h"
#include "app/wall_family.h"
#include "project/project_database.h"

namespace ktv {

struct ProjectData {
  // Where the values come from, for messages: the project file, or empty for the window (whose
  // messages name its boxes instead of tables and fields).
  std::string file;

  std::optional<ProjectNameRow> name;
  std::optional<UnitRow> unit;
  std::optional<RebarRow> rebar;
  std::optional<ConcreteRow> concrete;
  std::optional<SoilRow> soil;
  std::optional<FoundationRow> foundation;
  std::array<std::optional<ShapeRow>, kWallFamilyCount> shapes;

  bool FromWindow() const { return file.empty(); }
  // True when the stored unit text is "SI 単位" or the unit table is empty.
  bool IsSI() const;

  bool operator==(const ProjectData&) const = default;
};

// How a damaged project-name table is taken: the window tolerates it (blank name and date), the
// report refuses it (a cover that lost the project name must not pass for a complete one).
enum class NameTable { Required, Tolerated };

// Reads every table once. Throws ProjectError as the table readers do.
ProjectData ReadProjectData(const ProjectDatabase& db, NameTable name = NameTable::Required);

// Writes every table under the one-row convention, in one transaction; a table the value has no
// row for is left as it is. Throws ProjectError.
void WriteProjectData(const ProjectData& data, ProjectDatabase& db);

// The stored wall family: Kisk of the unit table; the project table's 形状 when the unit table is
// empty; the gravity wall for an empty project. Throws UnknownFamilyError, naming the field and
// the value, when Kisk or 形状 is not 0, 1 or 2.
WallFamily StoredWallFamily(const ProjectData& data);

// A stored shape in the window's millimetres (the family's memory), and back: the one place where
// the dimensions change between millimetres and metres. The reserved HH and HL stay unset.
FamilyDimensions DimensionsOf(const ShapeRow& row);
ShapeRow ShapeRowOf(const FamilyDimensions& dimensions);

// Every family's dimensions in millimetres: the stored shape, or the standard sizes of a family
// without one (the window's memory as a project file holds it; the file keeps no shear key).
std::array<FamilyDimensions, kWallFamilyCount> StoredDimensions(const ProjectData& data);

// A table's row that a family needs: a file without it is refused with a ProjectError naming the
// file and the table (the window always has every row).
template <typename Row>
const Row& RequireRow(const std::optional<Row>& row, const ProjectData& data, const char* table) {
  if (!row) {
    throw ProjectError("プロジェクトファイル " + data.file + " の表 " + table +
                       " にデータがありません。");
  }
  return *row;
}

}  // namespace ktv
