// Whether the main window answers while its long work runs, as another program
// sees it: a thread of its own sends the window WM_NULL every 50 ms and keeps the
// longest wait for an answer in each phase of a round. And the moment the list
// view first paints a row.
#ifndef BRINDLEWICK_BENCH_WINDOW_WATCH_H
#define BRINDLEWICK_BENCH_WINDOW_WATCH_H

#include <windows.h>

const DWORD WATCH_INTERVAL_MS = 50;

enum WatchPhase { WATCH_NONE, WATCH_STARTUP, WATCH_RESCAN, WATCH_SAVE_BACKUP, WATCH_PHASES };

// What the watcher saw in one phase.
struct Answers {
    double longestMs = 0;   // the longest wait from sending WM_NULL to its answer
    double longestAtMs = 0; // when that message was sent, from the phase's beginning
    double phaseMs = 0;     // from the phase's beginning to its end
    int sent = 0;
    int unanswered = 0;     // no answer within the send's time-out (the wait counts as the longest)
};

// Starts the watching thread once; it sends nothing outside a phase.
void StartWatching();
// The window the messages go to, as soon as it is made; null when it is gone.
void WatchWindow(HWND window);
// A phase starts: its answers are counted from now on.
void BeginPhase(WatchPhase phase);
// The phase ends: pumps this thread's messages until the message under way, if
// any, is answered, and gives what the phase saw.
Answers EndPhase(WatchPhase phase);

// Pumps this thread's messages, as the message loop would, after waiting at most
// `waitMs` for one to arrive.
void PumpMessages(DWORD waitMs);

// From now on (and forgetting an earlier list view's) notes when the list view
// first paints while it holds a row and the region it paints covers its top row.
void WatchFirstRow(HWND listView);
// The moment (NowMs) that first paint ended; 0 while it has not happened.
double FirstRowPaintedAt();

#endif
