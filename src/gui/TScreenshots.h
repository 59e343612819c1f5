// Renders every step of every document file in a folder to PNG files, for
// looking at the windows without a display.
#pragma once

#include <QString>

/// Writes <outDir>/<file>_<step>_<name>.png for each enabled step of each
/// *.vxd file in `examplesDir`, and main_window.png. Returns the number of
/// images written, or -1 when the output folder cannot be made.
int renderScreenshots(const QString& examplesDir, const QString& outDir);
