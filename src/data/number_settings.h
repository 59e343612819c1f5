// The user's number conventions, passed explicitly to whatever reads or
// writes numbers for people (clipboard, export, typed text).
#pragma once

namespace vextal {

struct NumberSettings {
    char DecimalSeparator = '.';
    char ListSeparator = ',';
};

/// The decimal separator of the user's LC_NUMERIC locale ("." when it cannot
/// be read or is not a single character); the list separator is ";" when the
/// decimal separator is "," and "," otherwise.
NumberSettings SystemNumberSettings();

}  // namespace vextal
