#pragma once
// The cantilever wall report (逆T形・L形・逆L形): design conditions, shape, earth pressure for the
// stability and for the stem, stability in the normal and the seismic case, and the stresses of
// the stem, toe and heel sections, with their tables, formula pictures and four figures.
#include "families/cantilever/cantilever_calculation.h"
#include "report/report_context.h"

namespace ktv {

class ReportWriter;

// Family entry: reads the inputs from the private copy of the working database named by the
// context, shows a failed earth-pressure coefficient through context.sink, computes the wall,
// writes the chapters and stores the results (CantileverJson) in context.results_json when given.
// A CalculationError or ProjectError ends the build before anything of the chapters is written.
void BuildCantileverDocument(ReportWriter& writer, const ReportContext& context);

// The structure of the project's wall as the report names it ("逆Ｔ形擁壁", "Ｌ形擁壁",
// "逆Ｌ形擁壁"); a project the entry cannot read fails here with the entry's message.
std::string CantileverStructureOf(const ProjectData& project);

// Writes the chapters of a finished calculation (the entry's second half).
void WriteCantileverChapters(ReportWriter& writer, const CantileverInputs& in,
                             const CantileverResults& r);

}  // namespace ktv
