#pragma once
// The leaning wall report: the title and the chapters design conditions, shape, earth pressure,
// stability and the stresses of the wall body (section A-A) and of the toe slab (section B-B),
// with their tables, formula pictures and three figures.
#include "app/standard_sizes.h"
#include "families/leaning/leaning_calculation.h"
#include "report/report_context.h"

namespace ktv {

class ReportWriter;

// Family entry: opens the working database of the context, reads and computes the leaning wall,
// writes the chapters into the writer and stores the results (LeaningJson) in
// context.results_json when given. A failed earth-pressure coefficient is shown through
// context.sink first. A CalculationError or ProjectError ends the build before anything of the
// chapters is written.
void BuildLeaningDocument(ReportWriter& writer, const ReportContext& context);

// Writes the chapters of a finished calculation (the entry's second half). dims are the window's
// dimensions of the leaning wall (millimetres), printed on the dimension lines of figures 1, 2.
void WriteLeaningChapters(ReportWriter& writer, const LeaningInputs& in,
                          const LeaningCalculation& calc, const FamilyDimensions& dims);

// The figures; (x, y) is the top-left corner of the figure area, height its height in twips.
// Figure 1: the dimensioned section with the backfill and the slopes of both faces.
void DrawLeaningShapeFigure(ReportWriter& writer, double x, double y, double height,
                            const LeaningInputs& in, const LeaningCalculation& calc,
                            const FamilyDimensions& dims);
// Figure 2: figure 1 with the parts W1, W2, W3 and the earth-pressure resultant at its point.
void DrawLeaningEarthPressureFigure(ReportWriter& writer, double x, double y, double height,
                                    const LeaningInputs& in, const LeaningCalculation& calc,
                                    const FamilyDimensions& dims);
// Figure 3: the section over its ground-reaction diagram (toe and heel reactions of section B-B)
// with the sections A-A and B-B, the point C and the symbols d, B/2, e and xa. Everything stays
// inside the area; throws CalculationError when the reactions give no depth scale.
void DrawLeaningReactionFigure(ReportWriter& writer, double x, double y, double height,
                               const LeaningInputs& in, const LeaningCalculation& calc);

}  // namespace ktv
