// Where the settings file lives and how the main window loads and stores it.
#pragma once

#include <QSize>
#include <QString>

#include "workflow/settings_file.h"

class QWidget;

/// The settings folder: the user's configuration folder (~/.config) +
/// "/Corvanta Software/Vextal/3.06".
QString settingsFolderPath();
/// settingsFolderPath() + "/vextal.ini".
QString settingsFilePath();

/// The settings at program start, read from `filePath`; a missing or
/// unreadable file gives the defaults. The decimal separator, window size
/// and recent files come from the file; the data and import folders start at
/// `programFolder` and ShowNewUserHints (set when the guide window is opened
/// during a run) starts false.
vextal::ProgramSettings loadProgramSettings(const QString& filePath, const QString& programFolder);
/// The same for the standard file and the program's own folder.
vextal::ProgramSettings loadProgramSettings();

/// Writes the settings at exit, creating the settings folder with its
/// parents when absent. Returns false when the file could not be written.
bool saveProgramSettings(const vextal::ProgramSettings& settings, const QString& filePath);
bool saveProgramSettings(const vextal::ProgramSettings& settings);

/// The main window's size at start on a screen of `screen` (see
/// vextal::StartWindowSize).
QSize startWindowSize(const vextal::ProgramSettings& settings, const QSize& screen);
/// Resizes `window` to its start size, capped at its screen's available area.
void applyStartWindowSize(QWidget* window, const vextal::ProgramSettings& settings);
/// Stores the window's size in `settings` (its normal size when maximized,
/// minimized or full screen).
void rememberWindowSize(vextal::ProgramSettings& settings, const QWidget* window);
