// The settings store: options, sort order, column widths, window rectangle and open
// command, kept in one key of the user's registry hive.
#ifndef BRINDLEWICK_SETTINGS_H
#define BRINDLEWICK_SETTINGS_H

#include <windows.h>
#include "app_state.h"

#define SETTINGS_KEY "Software\\Tallowmere\\Brindlewick"

// The block the main window is created from before the settings say otherwise.
extern const WindowParams DefaultWindowParams;

// Sort order, options, default window placement, default column widths and an
// empty open command.
void SetDefaultSettings(AppSettings* settings);
// Fills g_app.settings from the registry; what cannot be read keeps its default.
void LoadSettings();
// Writes g_app.settings with the window's rectangle and the list view's column widths.
void SaveSettings(HWND window);

#endif
