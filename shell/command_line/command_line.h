// The command line for scripts: a run without a window that writes the report,
// the CSV, JSON Lines, a body file or a backup file of the cache, optionally
// compared with an older backup file, or the history of a series of backup
// files, and exits.
#ifndef BRINDLEWICK_COMMAND_LINE_H
#define BRINDLEWICK_COMMAND_LINE_H

#include <windows.h>

// Exit codes of a run with arguments.
const int EXIT_DONE = 0;
const int EXIT_USAGE = 1;           // an unknown switch or a missing file name
const int EXIT_FILE_FAILED = 2;     // the /since file, an archive of /history or the cache unreadable, or a file
                                    // not written

// Runs the switches in `arguments` (the program's name not among them): the
// usage and what went wrong go to `errors`, "-" as a file name writes to
// `output`. The settings are read but never written, and no window is made.
// Gives the exit code.
int RunCommandLine(int count, char** arguments, HANDLE output, HANDLE errors);

#endif
