// The settings store: options, sort order, column widths, window rectangle and open
// command, kept in one key of the user's registry hive.
#ifndef BRINDLEWICK_SETTINGS_H
#define BRINDLEWICK_SETTINGS_H

#include <windows.h>
#include "app_settings.h"

#define SETTINGS_KEY "Software\\Tallowmere\\Brindlewick"

// The block the main window is created from before the settings say otherwise.
extern const WindowParams DefaultWindowParams;

// Sort order, options, default window placement, default column widths and an
// empty open command.
void SetDefaultSettings(AppSettings* settings);
// Fills the settings from the registry; what cannot be read keeps its default.
void LoadSettings(AppSettings* settings);
// Writes the settings with the window's rectangle (in screen coordinates).
void WriteSettings(const AppSettings* settings, const RECT* window);

#endif
