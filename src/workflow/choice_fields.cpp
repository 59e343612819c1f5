#include "workflow/choice_fields.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <span>

#include "data/cell_format.h"
#include "data/number_settings.h"

namespace vextal {

namespace {

using Setter = std::function<std::string(AnalysisChoices&, std::string_view)>;

bool ParseInteger(std::string_view text, long long& value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size() && !text.empty();
}

bool ParseFlag(std::string_view text, bool& flag) {
    if (text == "1" || text == "T" || text == "t" || text == "true") return flag = true, true;
    if (text == "0" || text == "F" || text == "f" || text == "false") return flag = false, true;
    return false;
}

std::string Range(long long low, long long high) {
    return "a whole number from " + std::to_string(low) + " to " + std::to_string(high);
}

template <typename T>
Setter IntegerField(T AnalysisChoices::*member, long long low, long long high) {
    return [member, low, high](AnalysisChoices& c, std::string_view text) -> std::string {
        long long value = 0;
        if (!ParseInteger(text, value) || value < low || value > high) return "expects " + Range(low, high);
        c.*member = static_cast<T>(value);
        return {};
    };
}

Setter FlagField(bool AnalysisChoices::*member) {
    return [member](AnalysisChoices& c, std::string_view text) -> std::string {
        bool flag = false;
        if (!ParseFlag(text, flag)) return "expects 1 or 0 (T or F)";
        c.*member = flag;
        return {};
    };
}

Setter RealField(long double AnalysisChoices::*member) {
    return [member](AnalysisChoices& c, std::string_view text) -> std::string {
        long double value = 0;
        NumberSettings dot;
        if (text.empty() || !ParseNumber(text, dot, value) || !std::isfinite(value)) return "expects a number";
        c.*member = value;
        return {};
    };
}

template <std::size_t N>
Setter FlagListField(std::array<bool, N> AnalysisChoices::*member) {
    return [member](AnalysisChoices& c, std::string_view text) -> std::string {
        if (text.empty() || text.size() > N)
            return "expects a string of 1 to " + std::to_string(N) + " characters 1 or 0";
        std::array<bool, N> flags = c.*member;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '0' && text[i] != '1') return "expects only the characters 1 and 0";
            flags[i] = text[i] == '1';
        }
        c.*member = flags;
        return {};
    };
}

// A column letter; "*" stands for the residuals of a multiple regression.
Setter LetterField(std::string AnalysisChoices::*member) {
    return [member](AnalysisChoices& c, std::string_view text) -> std::string {
        if (text.size() != 1 || ((text[0] < 'A' || text[0] > 'Z') && text[0] != '*'))
            return "expects a column letter A to Z, or * for the residuals";
        c.*member = std::string(text);
        return {};
    };
}

const std::vector<std::pair<std::string, Setter>>& Fields() {
    using C = AnalysisChoices;
    static const std::vector<std::pair<std::string, Setter>> fields = {
        {"ColumnCountClass", IntegerField(&C::ColumnCountClass, 0, 3)},
        {"OneColNonParametric", IntegerField(&C::OneColNonParametric, 0, 1)},
        {"HypotheticalValue", RealField(&C::HypotheticalValue)},
        {"OneColTwoSided", IntegerField(&C::OneColTwoSided, 0, 1)},
        {"OneColColumn", IntegerField(&C::OneColColumn, -1, 25)},
        {"HypotheticalChoice", IntegerField(&C::HypotheticalChoice, 0, 3)},
        {"TwoColNonParametric", IntegerField(&C::TwoColNonParametric, 0, 1)},
        {"TwoColUnpaired", IntegerField(&C::TwoColUnpaired, 0, 1)},
        {"TwoColTwoSided", IntegerField(&C::TwoColTwoSided, 0, 1)},
        {"TwoColFirstColumn", IntegerField(&C::TwoColFirstColumn, 0, 25)},
        {"TwoColSecondColumn", IntegerField(&C::TwoColSecondColumn, 0, 25)},
        {"TwoColEqualSD", FlagField(&C::TwoColEqualSD)},
        {"MultiColOrdinary", IntegerField(&C::MultiColOrdinary, 0, 1)},
        {"MultiColNonParametric", IntegerField(&C::MultiColNonParametric, 0, 1)},
        {"PostTestCondition", IntegerField(&C::PostTestCondition, 0, 2)},
        {"PostTestPairs", IntegerField(&C::PostTestPairs, 0, 2)},
        {"ControlColumn", IntegerField(&C::ControlColumn, 0, 25)},
        {"PostTestMethod", IntegerField(&C::PostTestMethod, 0, 4)},
        {"SelectedPairs", FlagListField(&C::SelectedPairs)},
        {"AllColumns", FlagField(&C::AllColumns)},
        {"FitRegression", FlagField(&C::FitRegression)},
        {"RunsTest", FlagField(&C::RunsTest)},
        {"ForceThroughPoint", FlagField(&C::ForceThroughPoint)},
        {"ForceX", RealField(&C::ForceX)},
        {"ForceY", RealField(&C::ForceY)},
        {"CorrelationKind", IntegerField(&C::CorrelationKind, 0, 2)},
        {"InterpolateUnknowns", FlagField(&C::InterpolateUnknowns)},
        {"UseChiSquare", IntegerField(&C::UseChiSquare, 0, 1)},
        {"YatesCorrection", FlagField(&C::YatesCorrection)},
        {"TwoByTwoTwoSided", FlagField(&C::TwoByTwoTwoSided)},
        {"RelativeRisk", FlagField(&C::RelativeRisk)},
        {"ProportionDifference", FlagField(&C::ProportionDifference)},
        {"OddsRatio", FlagField(&C::OddsRatio)},
        {"Sensitivity", FlagField(&C::Sensitivity)},
        {"MultipleRegression", FlagField(&C::MultipleRegression)},
        {"DependentY", IntegerField(&C::DependentY, 0, 25)},
        {"GraphAnalyzedOnly", FlagField(&C::GraphAnalyzedOnly)},
        {"IndependentX", FlagListField(&C::IndependentX)},
        {"MRGraphX", LetterField(&C::MRGraphX)},
        {"MRGraphY", LetterField(&C::MRGraphY)},
    };
    return fields;
}

}  // namespace

std::vector<std::string> ChoiceFieldNames() {
    std::vector<std::string> names;
    for (const auto& field : Fields()) names.push_back(field.first);
    return names;
}

std::string SetChoiceField(AnalysisChoices& choices, std::string_view field, std::string_view value) {
    for (const auto& [name, setter] : Fields())
        if (name == field) {
            const std::string problem = setter(choices, value);
            return problem.empty() ? problem : std::string(field) + " " + problem + ", not '" + std::string(value) + "'";
        }
    return "unknown choice '" + std::string(field) + "'";
}

std::string ApplyChoiceAssignment(AnalysisChoices& choices, std::string_view assignment) {
    const auto equals = assignment.find('=');
    if (equals == std::string_view::npos) return "expected Field=Value, not '" + std::string(assignment) + "'";
    return SetChoiceField(choices, assignment.substr(0, equals), assignment.substr(equals + 1));
}

}  // namespace vextal
