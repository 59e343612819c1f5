// The computed values of each analysis as JSON, under stable snake_case
// names (documented in the README), unrounded.
#pragma once

#include "report/json_value.h"

namespace vextal {

struct LinearRegressionAnalysis;
struct CorrelationResult;
struct SpearmanResult;
struct TwoByTwoResult;
struct ContingencyResult;
struct MultipleRegressionResult;
struct ColumnTestOutcome;

void AddRegressionValues(JsonValue& values, const LinearRegressionAnalysis& analysis);
void AddCorrelationValues(JsonValue& values, const CorrelationResult& result);
void AddSpearmanValues(JsonValue& values, const SpearmanResult& result);
void AddTwoByTwoValues(JsonValue& values, const TwoByTwoResult& result);
void AddContingencyValues(JsonValue& values, const ContingencyResult& result);
void AddMultipleRegressionValues(JsonValue& values, const MultipleRegressionResult& result);

void AddColumnTestValues(JsonValue& values, const ColumnTestOutcome& outcome);

/// [lower, upper] as a JSON array.
JsonValue Interval(long double lower, long double upper);

}  // namespace vextal
