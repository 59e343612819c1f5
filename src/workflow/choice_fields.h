// The analysis choices by field name, for scripted runs
// ("--set PostTestMethod=2"): every field of the record can be read and set
// from text, with its value checked against the field's range.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "workflow/analysis_choices.h"

namespace vextal {

/// The names of every settable field, in record order.
std::vector<std::string> ChoiceFieldNames();

/// Sets `field` from `value`; returns "" on success, else a message saying
/// what is wrong (unknown field, or a value that is not valid for it).
/// Flags take 1/0, T/F or true/false; flag lists (SelectedPairs, IndependentX)
/// take a string of 1/0 characters giving the first flags in order.
std::string SetChoiceField(AnalysisChoices& choices, std::string_view field, std::string_view value);

/// Parses "Field=Value" and sets it (same result as SetChoiceField).
std::string ApplyChoiceAssignment(AnalysisChoices& choices, std::string_view assignment);

}  // namespace vextal
