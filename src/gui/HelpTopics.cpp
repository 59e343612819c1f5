#include "gui/HelpTopics.h"

#include <array>

namespace {

constexpr const char* Start = "Getting started";
constexpr const char* Entering = "Entering data";
constexpr const char* Choosing = "Choosing a test";
constexpr const char* Groups = "Results: comparing groups";
constexpr const char* Tables = "Results: contingency tables";
constexpr const char* Fits = "Results: regression and correlation";
constexpr const char* Reading = "Reading and using results";
constexpr const char* About = "About Vextal";

constexpr std::array Pages{
    HelpPage{1, "contents.html", "Vextal Help contents", Start},
    HelpPage{509, "what-vextal-does.html", "What Vextal does", Start},
    HelpPage{496, "tutorial.html", "Tutorial", Start},
    HelpPage{13, "step-by-step.html", "Working step by step", Start},
    HelpPage{505, "commands.html", "Commands", Start},

    HelpPage{695, "data-formats.html", "Choosing a data format", Entering},
    HelpPage{528, "arranging-data.html", "Arranging data", Entering},
    HelpPage{21, "importing-data.html", "Importing data", Entering},
    HelpPage{471, "averaged-data.html", "Entering averaged data", Entering},
    HelpPage{0, "transforms.html", "Transforming and combining data", Entering},
    HelpPage{515, "column-statistics.html", "Column statistics explained", Entering},

    HelpPage{529, "selecting-columns.html", "Selecting columns to analyze", Choosing},
    HelpPage{73, "choose-one-column.html", "Choosing a test for one column", Choosing},
    HelpPage{88, "choose-two-columns.html", "Choosing a test for two columns", Choosing},
    HelpPage{134, "choose-three-columns.html", "Choosing a test for three or more columns", Choosing},
    HelpPage{161, "choose-two-by-two.html", "Choosing an analysis of a two-by-two table", Choosing},
    HelpPage{182, "choose-fit.html", "Choosing regression or correlation", Choosing},
    HelpPage{202, "standard-curve.html", "Entering unknowns for a standard curve", Choosing},
    HelpPage{463, "choose-multiple-regression.html", "Choosing multiple regression or a correlation matrix",
             Choosing},

    HelpPage{538, "one-sample-t-test.html", "One sample t test", Groups},
    HelpPage{662, "wilcoxon-signed-rank.html", "Wilcoxon signed rank test", Groups},
    HelpPage{93, "unpaired-t-test.html", "Unpaired t test", Groups},
    HelpPage{104, "paired-t-test.html", "Paired t test", Groups},
    HelpPage{114, "mann-whitney.html", "Mann-Whitney test", Groups},
    HelpPage{658, "wilcoxon-matched-pairs.html", "Wilcoxon matched pairs test", Groups},
    HelpPage{366, "one-way-anova.html", "One-way ANOVA", Groups},
    HelpPage{551, "repeated-measures-anova.html", "Repeated measures ANOVA", Groups},
    HelpPage{0, "post-tests.html", "Post tests after ANOVA", Groups},
    HelpPage{555, "kruskal-wallis.html", "Kruskal-Wallis test", Groups},
    HelpPage{567, "friedman.html", "Friedman test", Groups},

    HelpPage{557, "two-by-two.html", "Two-by-two contingency table", Tables},
    HelpPage{612, "larger-table.html", "Larger contingency table", Tables},

    HelpPage{194, "linear-regression.html", "Linear regression", Fits},
    HelpPage{186, "correlation.html", "Correlation (Pearson and Spearman)", Fits},
    HelpPage{210, "multiple-regression.html", "Multiple regression", Fits},
    HelpPage{208, "correlation-matrix.html", "Correlation matrix", Fits},

    HelpPage{0, "p-values.html", "P values and statistical significance", Reading},
    HelpPage{0, "calculation-messages.html", "When Vextal cannot calculate", Reading},
    HelpPage{0, "graph.html", "The graph", Reading},
    HelpPage{504, "whats-next.html", "What's next?", Reading},

    HelpPage{229, "technical-support.html", "Technical support", About},
    HelpPage{507, "citing-vextal.html", "How to cite Vextal", About},
    HelpPage{238, "mirevolt.html", "Corvanta Mirevolt", About},
    HelpPage{302, "pexil.html", "Corvanta Pexil", About},
};

} // namespace

std::span<const HelpPage> HelpPages() {
    return Pages;
}

const HelpPage* FindHelpTopic(int topic) {
    if (topic <= 0)
        return nullptr;
    for (const HelpPage& page : Pages)
        if (page.Topic == topic)
            return &page;
    return nullptr;
}

const HelpPage* FindHelpFile(std::string_view file) {
    for (const HelpPage& page : Pages)
        if (file == page.File)
            return &page;
    return nullptr;
}
