#pragma once
// The window's inputs in the older-format record RWdata02.dat, and back.
#include "input_window/input_window.h"
#include "input_window/window_inputs.h"
#include "project/older_format_record.h"

namespace ktv {

// The record of the window's inputs: every number read from its box with the leading-number rule.
OlderFormatRecord ToOlderFormatRecord(const WindowInputs& in);

// Fills every page from a record. The current family's memory takes the record's dimensions; σck,
// which the record does not hold, is taken as Fc, as deriving the concrete stresses would.
void ApplyOlderFormatRecord(const OlderFormatRecord& record, WindowInputs& in);

// The Save export and the import of a record file, for InputWindowHooks.
void UseOlderFormatRecordFile(InputWindowHooks& hooks);

}  // namespace ktv
