// Accuracy on the NIST statistical reference data sets (tests/stats/nist-strd,
// public-domain NIST data with their certified values) and invariance of the
// ANOVA and regression results under shifts and scaling of the data.
//
// Accuracy is the log relative error, LRE = -log10(|computed - certified| /
// |certified|), capped at 15 (absolute error where the certified value is 0).
// The certified values are read from the data files at test time; the
// number tokens are converted with strtold, so no digit passes through double.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "data/data_document.h"
#include "data/data_table.h"
#include "stats/anova_family.h"
#include "stats/column_stats.h"
#include "stats/least_squares.h"
#include "stats/linear_regression.h"
#include "stats/multiple_regression.h"
#include "stats/one_way_anova.h"
#include "stats/repeated_measures_anova.h"

using namespace vextal;

namespace {

// ---------------------------------------------------------------- data files

// Just enough JSON for the data files: numbers keep their text.
struct Json {
    enum class Kind { Null, Bool, Number, String, Array, Object } Type = Kind::Null;
    std::string Text; // number or string
    std::vector<Json> Items;
    std::vector<std::pair<std::string, Json>> Members;

    const Json& operator[](const std::string& key) const {
        for (const auto& [name, value] : Members)
            if (name == key)
                return value;
        throw std::runtime_error("no member " + key);
    }
    long double Number() const {
        if (Type != Kind::Number)
            throw std::runtime_error("not a number: " + Text);
        return std::strtold(Text.c_str(), nullptr);
    }
    std::vector<long double> Numbers() const {
        std::vector<long double> values;
        for (const Json& item : Items)
            values.push_back(item.Number());
        return values;
    }
};

class JsonParser {
public:
    explicit JsonParser(std::string text) : text_(std::move(text)) {}

    Json Parse() {
        Json value = Value();
        Skip();
        if (at_ != text_.size())
            Fail("trailing text");
        return value;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw std::runtime_error("JSON: " + what + " at " + std::to_string(at_));
    }
    void Skip() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_])))
            ++at_;
    }
    char Peek() {
        Skip();
        if (at_ >= text_.size())
            Fail("unexpected end");
        return text_[at_];
    }
    void Expect(char c) {
        if (Peek() != c)
            Fail(std::string("expected ") + c);
        ++at_;
    }
    std::string String() {
        Expect('"');
        std::string out;
        while (at_ < text_.size() && text_[at_] != '"') {
            if (text_[at_] == '\\') {
                ++at_;
                if (at_ >= text_.size())
                    Fail("bad escape");
                if (text_[at_] == 'u') { // not needed for the values; keep a stand-in
                    at_ += 4;
                    out += '?';
                } else {
                    out += text_[at_];
                }
            } else {
                out += text_[at_];
            }
            ++at_;
        }
        Expect('"');
        return out;
    }
    Json Value() {
        Json value;
        const char c = Peek();
        if (c == '{') {
            value.Type = Json::Kind::Object;
            ++at_;
            if (Peek() == '}') {
                ++at_;
                return value;
            }
            for (;;) {
                std::string key = String();
                Expect(':');
                value.Members.emplace_back(std::move(key), Value());
                if (Peek() == '}') {
                    ++at_;
                    return value;
                }
                Expect(',');
            }
        }
        if (c == '[') {
            value.Type = Json::Kind::Array;
            ++at_;
            if (Peek() == ']') {
                ++at_;
                return value;
            }
            for (;;) {
                value.Items.push_back(Value());
                if (Peek() == ']') {
                    ++at_;
                    return value;
                }
                Expect(',');
            }
        }
        if (c == '"') {
            value.Type = Json::Kind::String;
            value.Text = String();
            return value;
        }
        const std::size_t start = at_;
        while (at_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[at_])) ||
                                      text_[at_] == '-' || text_[at_] == '+' || text_[at_] == '.'))
            ++at_;
        value.Text = text_.substr(start, at_ - start);
        if (value.Text == "true" || value.Text == "false")
            value.Type = Json::Kind::Bool;
        else if (value.Text == "null")
            value.Type = Json::Kind::Null;
        else if (!value.Text.empty())
            value.Type = Json::Kind::Number;
        else
            Fail("bad value");
        return value;
    }

    std::string text_;
    std::size_t at_ = 0;
};

Json LoadSet(const std::string& name) {
    const std::string path = std::string(VEXTAL_TEST_DATA_DIR) + "/stats/nist-strd/" + name + ".json";
    std::ifstream in(path);
    if (!in)
        throw std::runtime_error("cannot open " + path);
    std::stringstream text;
    text << in.rdbuf();
    return JsonParser(text.str()).Parse();
}

long double LRE(long double computed, long double certified) {
    if (std::isnan(computed))
        return 0;
    const long double error = std::fabs(computed - certified);
    if (error == 0)
        return 15;
    const long double relative = certified == 0 ? error : error / std::fabs(certified);
    return std::clamp(-std::log10(relative), 0.0L, 15.0L);
}

// Expects LRE >= floor and prints the measured value, so a run of this file
// is the accuracy table.
void ExpectLRE(const std::string& set, const std::string& what, long double computed, long double certified,
               double floor) {
    const double lre = static_cast<double>(LRE(computed, certified));
    std::printf("LRE %-9s %-16s %5.1f  (floor %4.1f)\n", set.c_str(), what.c_str(), lre, floor);
    EXPECT_GE(lre, floor) << set << " " << what << ": computed " << static_cast<double>(computed)
                          << ", certified " << static_cast<double>(certified);
}

DataDocument ColumnsDocument(const std::vector<std::vector<long double>>& columns, DataFormat format) {
    DataDocument document = NewDocument();
    document.State.Format = format;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        document.Table.ColumnInfo[c].Title = std::string(1, static_cast<char>('A' + c));
        for (std::size_t row = 0; row < columns[c].size(); ++row)
            SetValue(document.Table, static_cast<int>(row), static_cast<int>(c), columns[c][row]);
    }
    return document;
}

// ------------------------------------------------------------ certified sets

class Univariate : public testing::TestWithParam<const char*> {};

TEST_P(Univariate, MeanAndSDReachThirteenDigits) {
    const Json set = LoadSet(GetParam());
    DataDocument document = ColumnsDocument({set["data"].Numbers()}, DataFormat::RawData);
    ComputeColumnStats(document.Table);
    const ColumnInfo& info = document.Table.ColumnInfo[0];
    const Json& certified = set["certified"];
    ASSERT_EQ(info.N, static_cast<int>(certified["n"].Number()));
    ExpectLRE(GetParam(), "mean", info.Mean, certified["mean"].Number(), 13);
    ExpectLRE(GetParam(), "sd", info.SD, certified["sd"].Number(), 13);
}

INSTANTIATE_TEST_SUITE_P(Nist, Univariate,
                         testing::Values("Lew", "Lottery", "Mavro", "Michelso", "NumAcc1"));

class ThroughOrigin : public testing::TestWithParam<const char*> {};

TEST_P(ThroughOrigin, ForcedLineReachesTenDigits) {
    const Json set = LoadSet(GetParam());
    DataDocument document =
        ColumnsDocument({set["x"]["x"].Numbers(), set["y"].Numbers()}, DataFormat::XYData);
    RegressionOptions options;
    options.ForceThroughPoint = true;
    const LinearRegressionAnalysis a = AnalyseLinearRegression(document.Table, options);
    ASSERT_EQ(a.Code, 0);
    const Json& certified = set["certified"];
    const Json& slope = certified["coefficients"].Items.at(0);
    ExpectLRE(GetParam(), "slope", a.Parameters.Slope, slope["estimate"].Number(), 10);
    ExpectLRE(GetParam(), "slope SE", a.Parameters.SlopeSE, slope["sd"].Number(), 10);
    ExpectLRE(GetParam(), "residual SD", a.SyX, certified["residual_sd"].Number(), 10);
    ExpectLRE(GetParam(), "R2", a.RSquared, certified["r_squared"].Number(), 10);
}

INSTANTIATE_TEST_SUITE_P(Nist, ThroughOrigin, testing::Values("NoInt1", "NoInt2"));

struct PolynomialCase {
    const char* Name;
    double Floor;
};

class Polynomial : public testing::TestWithParam<PolynomialCase> {};

// y on x, x², ..., x^degree with an intercept.
TEST_P(Polynomial, EveryEstimateMeetsItsFloor) {
    const PolynomialCase& c = GetParam();
    const Json set = LoadSet(c.Name);
    const int degree = static_cast<int>(set["model"]["degree"].Number());
    const std::vector<long double> x = set["x"]["x"].Numbers();
    std::vector<std::vector<long double>> columns(degree + 1);
    for (long double value : x) {
        long double power = 1;
        for (int j = 0; j < degree; ++j)
            columns[j].push_back(power *= value);
    }
    columns[degree] = set["y"].Numbers();
    DataDocument document = ColumnsDocument(columns, DataFormat::MultRegData);
    AnalysisChoices& choices = document.State.Choices;
    choices.MultipleRegression = true;
    choices.DependentY = degree;
    choices.IndependentX.fill(false);
    for (int j = 0; j < degree; ++j)
        choices.IndependentX[j] = true;

    const MultipleRegressionResult result = ComputeMultipleRegression(document.Table, choices);
    ASSERT_EQ(result.Message, MultipleRegressionMessage::None) << MultipleRegressionMessageText(result.Message);
    const Json& certified = set["certified"];
    const std::vector<Json>& coefficients = certified["coefficients"].Items;
    ASSERT_EQ(result.Terms.size(), coefficients.size());
    for (std::size_t j = 0; j < coefficients.size(); ++j) {
        std::string name = std::to_string(j);  // (prefixing a literal trips a false -Wrestrict in GCC 12)
        name.insert(name.begin(), 'B');
        ExpectLRE(c.Name, name, result.Terms[j].Coefficient, coefficients[j]["estimate"].Number(), c.Floor);
        ExpectLRE(c.Name, name + " SE", result.Terms[j].SE, coefficients[j]["sd"].Number(), c.Floor);
    }
    ExpectLRE(c.Name, "residual SD", result.SDResidual, certified["residual_sd"].Number(), c.Floor);
    ExpectLRE(c.Name, "R2", result.RSquared, certified["r_squared"].Number(), c.Floor);
}

INSTANTIATE_TEST_SUITE_P(Nist, Polynomial,
                         testing::Values(PolynomialCase{"Pontius", 10}, PolynomialCase{"Wampler1", 8},
                                         PolynomialCase{"Wampler2", 8}, PolynomialCase{"Wampler3", 8},
                                         PolynomialCase{"Wampler4", 8}, PolynomialCase{"Wampler5", 8},
                                         PolynomialCase{"Filip", 6}),
                         [](const testing::TestParamInfo<PolynomialCase>& info) { return info.param.Name; });

// ------------------------------------------------------------------ invariance

// Three groups (or, read across, five subjects under three treatments) whose
// values are multiples of 1/8, so that every shifted and scaled copy below is
// stored exactly. Exact sums (rational arithmetic): one-way between 223/30,
// within 71/32; repeated measures treatment 223/30, individual 223/480,
// residual 421/240.
const std::vector<std::vector<long double>> Groups = {{1.5L, 2.25L, 1.875L, 2.5L, 1.125L},
                                                      {2.75L, 3.125L, 2.5L, 3.5L, 2.875L},
                                                      {1.25L, 1.0L, 1.625L, 0.875L, 1.5L}};

std::vector<std::vector<long double>> Transformed(const std::vector<std::vector<long double>>& columns,
                                                  long double shift, long double scale) {
    std::vector<std::vector<long double>> out = columns;
    for (auto& column : out)
        for (long double& v : column)
            v = (v + shift) * scale;
    return out;
}

DataDocument RawGroups(const std::vector<std::vector<long double>>& columns) {
    DataDocument document = ColumnsDocument(columns, DataFormat::RawData);
    ComputeColumnStats(document.Table);
    return document;
}

void ExpectRelative(long double expected, long double actual, long double tolerance, const std::string& what) {
    EXPECT_LE(std::fabs(actual - expected), tolerance * std::fabs(expected))
        << what << ": expected " << static_cast<double>(expected) << ", got " << static_cast<double>(actual);
}

struct Transform {
    long double Shift, Scale;
};
const Transform Transforms[] = {{1e9L, 1}, {1e12L, 1}, {0, 1e6L}, {1e9L, 1e6L}};

TEST(Invariance, OneWayAnovaIgnoresOffsetAndScale) {
    const OneWayAnovaSumsResult base = OneWayAnovaSums(RawGroups(Groups).Table);
    ASSERT_EQ(base.Code, 0);
    ExpectRelative(223.0L / 30, base.SSBetween, 1e-17L, "SS between");
    ExpectRelative(71.0L / 32, base.SSWithin, 1e-17L, "SS within");
    for (const Transform& t : Transforms) {
        const std::string what = "shift " + std::to_string(static_cast<double>(t.Shift)) + " scale " +
                                 std::to_string(static_cast<double>(t.Scale));
        const OneWayAnovaSumsResult r = OneWayAnovaSums(RawGroups(Transformed(Groups, t.Shift, t.Scale)).Table);
        ASSERT_EQ(r.Code, 0) << what;
        const long double squared = t.Scale * t.Scale;
        ExpectRelative(base.SSBetween, r.SSBetween / squared, 1e-9L, what + " SS between");
        ExpectRelative(base.SSWithin, r.SSWithin / squared, 1e-9L, what + " SS within");
        ExpectRelative(base.SSTotal, r.SSTotal / squared, 1e-9L, what + " SS total");
        ExpectRelative(base.F, r.F, 1e-9L, what + " F");
        ExpectRelative(base.P, r.P, 1e-9L, what + " P");
        ExpectRelative(base.SSBetween / base.SSTotal, r.SSBetween / r.SSTotal, 1e-9L, what + " R2");
    }
}

TEST(Invariance, TypedSummariesKeepTheirMeans) {
    // Means and SDs typed in: the sums come from them alone.
    DataDocument document = NewDocument();
    document.State.Format = DataFormat::MeanSDN;
    const long double means[] = {1e12L + 0.5L, 1e12L + 1.5L, 1e12L + 1.0L};
    for (int c = 0; c < 3; ++c) {
        ColumnInfo& info = document.Table.ColumnInfo[c];
        info.Title = std::string(1, static_cast<char>('A' + c));
        info.N = 4;
        info.Mean = means[c];
        info.SD = 0.5L;
        document.Table.SummaryEntered[c] = true;
    }
    document.Table.LastColumn = 2;
    const OneWayAnovaSumsResult r = OneWayAnovaSums(document.Table);
    ASSERT_EQ(r.Code, 0);
    ExpectRelative(2.0L, r.SSBetween, 1e-15L, "SS between"); // 4 * (0.25 + 0.25 + 0)
    ExpectRelative(2.25L, r.SSWithin, 1e-15L, "SS within");  // 3 * 3 * 0.25
}

TEST(Invariance, RepeatedMeasuresIgnoresOffsetAndScale) {
    const RepeatedMeasuresSumsResult base = RepeatedMeasuresSums(RawGroups(Groups).Table);
    ASSERT_EQ(base.Code, 0);
    ExpectRelative(223.0L / 30, base.SSTreatment, 1e-17L, "SS treatment");
    ExpectRelative(223.0L / 480, base.SSIndividual, 1e-17L, "SS individual");
    ExpectRelative(421.0L / 240, base.SSResidual, 1e-17L, "SS residual");
    for (const Transform& t : Transforms) {
        const std::string what = "shift " + std::to_string(static_cast<double>(t.Shift));
        const RepeatedMeasuresSumsResult r =
            RepeatedMeasuresSums(RawGroups(Transformed(Groups, t.Shift, t.Scale)).Table);
        ASSERT_EQ(r.Code, 0) << what;
        const long double squared = t.Scale * t.Scale;
        ExpectRelative(base.SSTreatment, r.SSTreatment / squared, 1e-9L, what + " SS treatment");
        ExpectRelative(base.SSIndividual, r.SSIndividual / squared, 1e-9L, what + " SS individual");
        ExpectRelative(base.SSResidual, r.SSResidual / squared, 1e-9L, what + " SS residual");
        ExpectRelative(base.F, r.F, 1e-9L, what + " F");
        ExpectRelative(base.P, r.P, 1e-9L, what + " P");
        ExpectRelative(base.MatchingF, r.MatchingF, 1e-9L, what + " matching F");
    }
}

TEST(Invariance, RepeatedMeasuresResidualSurvivesALargeIndividualEffect) {
    // Subjects 10^8 apart: the residual is tiny beside the total.
    std::vector<std::vector<long double>> columns = Groups;
    for (auto& column : columns)
        for (std::size_t i = 0; i < column.size(); ++i)
            column[i] += 1e8L * static_cast<long double>(i);
    const RepeatedMeasuresSumsResult r = RepeatedMeasuresSums(RawGroups(columns).Table);
    ASSERT_EQ(r.Code, 0);
    ExpectRelative(421.0L / 240, r.SSResidual, 1e-12L, "SS residual");
    ExpectRelative(223.0L / 30, r.SSTreatment, 1e-12L, "SS treatment");
}

// A quadratic in X with scatter: shifting X changes the coefficients but not
// the fit; scaling X scales the slope terms.
TEST(Invariance, RegressionIgnoresOffsetAndScaleOfX) {
    const std::vector<long double> x = {1, 2, 3, 4, 5, 6, 7, 8};
    const std::vector<long double> y = {2.5L, 3.75L, 7.125L, 9.5L, 14.25L, 18.5L, 25.125L, 31.0L};
    auto fit = [&](long double shift, long double scale) {
        std::vector<long double> column;
        for (long double v : x)
            column.push_back((v + shift) * scale);
        DataDocument document = ColumnsDocument({column, y}, DataFormat::MultRegData);
        AnalysisChoices& choices = document.State.Choices;
        choices.DependentY = 1;
        choices.IndependentX.fill(false);
        choices.IndependentX[0] = true;
        return ComputeMultipleRegression(document.Table, choices);
    };
    const MultipleRegressionResult base = fit(0, 1);
    ASSERT_EQ(base.Message, MultipleRegressionMessage::None);
    for (const Transform& t : Transforms) {
        const std::string what = "shift " + std::to_string(static_cast<double>(t.Shift));
        const MultipleRegressionResult r = fit(t.Shift, t.Scale);
        ASSERT_EQ(r.Message, MultipleRegressionMessage::None) << what;
        ExpectRelative(base.RSquared, r.RSquared, 1e-9L, what + " R2");
        ExpectRelative(base.F, r.F, 1e-9L, what + " F");
        ExpectRelative(base.P, r.P, 1e-9L, what + " P");
        ExpectRelative(base.Terms[1].Coefficient, r.Terms[1].Coefficient * t.Scale, 1e-9L, what + " slope");
        ExpectRelative(base.Terms[1].SE, r.Terms[1].SE * t.Scale, 1e-9L, what + " slope SE");
        ExpectRelative(base.SDResidual, r.SDResidual, 1e-9L, what + " residual SD");
    }
}

TEST(Invariance, LinearRegressionIgnoresOffsetAndScaleOfX) {
    std::vector<long double> x = {1, 2, 3, 4, 5, 6, 7, 8};
    const std::vector<long double> y = {2.5L, 3.75L, 7.125L, 9.5L, 14.25L, 18.5L, 25.125L, 31.0L};
    auto analyse = [&](long double shift, long double scale) {
        std::vector<long double> column;
        for (long double v : x)
            column.push_back((v + shift) * scale);
        DataDocument document = ColumnsDocument({column, y}, DataFormat::XYData);
        return AnalyseLinearRegression(document.Table, RegressionOptions{});
    };
    const LinearRegressionAnalysis base = analyse(0, 1);
    ASSERT_EQ(base.Code, 0);
    for (const Transform& t : Transforms) {
        const std::string what = "shift " + std::to_string(static_cast<double>(t.Shift));
        const LinearRegressionAnalysis r = analyse(t.Shift, t.Scale);
        ASSERT_EQ(r.Code, 0) << what;
        ExpectRelative(base.RSquared, r.RSquared, 1e-9L, what + " R2");
        ExpectRelative(base.F, r.F, 1e-9L, what + " F");
        ExpectRelative(base.P, r.P, 1e-9L, what + " P");
        ExpectRelative(base.Parameters.Slope, r.Parameters.Slope * t.Scale, 1e-9L, what + " slope");
    }
}

TEST(Fit, IdenticalOrConstantColumnsAreStillRefused) {
    const std::vector<long double> a = {1e12L + 1, 1e12L + 2, 1e12L + 4, 1e12L + 7, 1e12L + 8};
    std::vector<long double> twice;
    for (long double v : a)
        twice.push_back(2 * v + 3);
    const std::vector<long double> y = {1, 3, 2, 5, 4};
    LeastSquaresFit fit;
    EXPECT_FALSE(FitLeastSquares({a, a}, y, fit));
    EXPECT_FALSE(FitLeastSquares({a, twice}, y, fit));
    EXPECT_FALSE(FitLeastSquares({a, {5, 5, 5, 5, 5}}, y, fit));
    EXPECT_TRUE(FitLeastSquares({a}, y, fit));
}

} // namespace
