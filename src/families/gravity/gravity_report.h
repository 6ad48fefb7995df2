#pragma once
// The gravity wall report: the title and five chapters (design conditions, shape, earth
// pressure, stability, body stress) with their tables, formula pictures and two figures.
#include "families/gravity/gravity_calculation.h"
#include "report/report_context.h"

namespace ktv {

class ReportWriter;

// Family entry: opens the working database of the context, reads and computes the gravity wall,
// writes the chapters into the writer and stores the results (GravityJson) in
// context.results_json when given. A CalculationError or ProjectError ends the build before
// anything of the chapters is written.
void BuildGravityDocument(ReportWriter& writer, const ReportContext& context);

// Writes the chapters of a finished calculation (the entry's second half).
void WriteGravityChapters(ReportWriter& writer, const GravityInputs& in,
                          const GravityCalculation& calc);

// The two figures: x, y is the top-left corner of the drawing area, size its width and height
// in twips, q the surcharge of the label. The shape comes from the inputs (H, T00..T02, β).
void DrawGravityShapeFigure(ReportWriter& writer, double x, double y, double size, float q,
                            const GravityInputs& in);
void DrawGravityPressureFigure(ReportWriter& writer, double x, double y, double size, float q,
                               const GravityInputs& in);

}  // namespace ktv
