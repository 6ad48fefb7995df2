#include "project/project_data.h"

#include <algorithm>
#include <limits>

#include "app/units.h"

namespace ktv {

bool ProjectData::IsSI() const { return !unit || unit->unit == kUnitTextSI; }

ProjectData ReadProjectData(const ProjectDatabase& db, NameTable name) {
  ProjectData data;
  data.file = db.path();
  if (name == NameTable::Required) {
    data.name = db.ReadProjectName();
  } else {
    try {
      data.name = db.ReadProjectName();
    } catch (const ProjectError&) {
      data.name = ProjectNameRow{};
    }
  }
  data.unit = db.ReadUnit();
  data.rebar = db.ReadRebar();
  data.concrete = db.ReadConcrete();
  data.soil = db.ReadSoil();
  data.foundation = db.ReadFoundation();
  for (int f = 0; f < kWallFamilyCount; ++f) data.shapes[f] = db.ReadShape(f);
  return data;
}

void WriteProjectData(const ProjectData& data, ProjectDatabase& db) {
  db.BeginTransaction();
  try {
    if (data.name) db.Write(*data.name);
    if (data.unit) db.Write(*data.unit);
    if (data.rebar) db.Write(*data.rebar);
    if (data.concrete) db.Write(*data.concrete);
    if (data.soil) db.Write(*data.soil);
    if (data.foundation) db.Write(*data.foundation);
    for (int f = 0; f < kWallFamilyCount; ++f) {
      if (data.shapes[f]) db.WriteShape(f, *data.shapes[f]);
    }
    db.Commit();
  } catch (...) {
    try {
      db.Rollback();
    } catch (const ProjectError&) {
      // The first error is the one to report.
    }
    throw;
  }
}

namespace {

// Millimetres of a stored length, held within the float range (a stored value beyond it is
// refused by the input checks; the window still shows a number).
float Mm(float metres) {
  constexpr double kMax = std::numeric_limits<float>::max();
  return static_cast<float>(std::clamp(MillimetresExact(metres), -kMax, kMax));
}

}  // namespace

FamilyDimensions DimensionsOf(const ShapeRow& row) {
  FamilyDimensions m;
  for (int i = 0; i < 3; ++i) {
    m.t[i] = Mm(row.t[i]);
    m.l[i] = Mm(row.l[i]);
  }
  m.h = Mm(row.h);
  for (int i = 0; i < 5; ++i) m.d[i] = Mm(row.d[i]);
  m.b = Mm(row.b);
  m.beta = row.beta;
  return m;
}

ShapeRow ShapeRowOf(const FamilyDimensions& m) {
  ShapeRow row;
  for (int i = 0; i < 3; ++i) {
    row.t[i] = MetresOf(m.t[i]);
    row.l[i] = MetresOf(m.l[i]);
  }
  row.h = MetresOf(m.h);
  for (int i = 0; i < 5; ++i) row.d[i] = MetresOf(m.d[i]);
  row.b = MetresOf(m.b);
  row.beta = m.beta;
  return row;
}

std::array<FamilyDimensions, kWallFamilyCount> StoredDimensions(const ProjectData& data) {
  std::array<FamilyDimensions, kWallFamilyCount> all{};
  for (int f = 0; f < kWallFamilyCount; ++f) {
    all[f] = data.shapes[f] ? DimensionsOf(*data.shapes[f]) : StandardDimensions(f);
  }
  return all;
}

WallFamily StoredWallFamily(const ProjectData& data) {
  auto require = [&](int code, const char* field) {
    const std::optional<WallFamily> family = WallFamilyFromCode(code);
    if (!family) {
      throw UnknownFamilyError(FileFault::kUnknownFamily, {data.file, std::to_string(code), field});
    }
    return *family;
  };
  const std::optional<WallFamily> shape =
      data.name ? std::optional(require(data.name->shape, "tbl工事名.形状")) : std::nullopt;
  if (data.unit) return require(data.unit->kisk, "tbl単位系及び形式.Kisk");
  return shape.value_or(WallFamily::Gravity);
}

}  // namespace ktv
