#include "window_watch.h"
#include <commctrl.h>
#include "timing.h"

namespace {

// A window that has not answered after this long is counted as not answering.
const DWORD ANSWER_TIMEOUT_MS = 30000;

struct Watch {
    HANDLE thread;
    HANDLE wake;                // set when a phase begins or the window is made
    volatile HWND window;
    volatile LONG phase;
    volatile LONG inFlight;     // set before the phase is read, cleared once the answer is kept
    double phaseStart;
    Answers seen[WATCH_PHASES];
};

Watch watch;

LONG Read(volatile LONG* value)
{
    return InterlockedCompareExchange(value, 0, 0);
}

// One WM_NULL to the window, its wait kept for the phase it was sent in; false
// when there is nothing to watch.
bool SendOne()
{
    InterlockedExchange(&watch.inFlight, 1);
    LONG phase = Read(&watch.phase);
    HWND window = watch.window;
    if (phase == WATCH_NONE || !window) {
        InterlockedExchange(&watch.inFlight, 0);
        return false;
    }
    DWORD_PTR result;
    double start = NowMs();
    LRESULT answered = SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, ANSWER_TIMEOUT_MS, &result);
    double waited = NowMs() - start;
    Answers* answers = &watch.seen[phase];
    answers->sent++;
    if (!answered && GetLastError() == ERROR_TIMEOUT)
        answers->unanswered++;
    if (waited > answers->longestMs) {
        answers->longestMs = waited;
        answers->longestAtMs = start - watch.phaseStart;
    }
    InterlockedExchange(&watch.inFlight, 0);
    return true;
}

DWORD WINAPI Watcher(void*)
{
    for (;;) {
        double start = NowMs();
        if (!SendOne()) {
            WaitForSingleObject(watch.wake, WATCH_INTERVAL_MS);
            continue;
        }
        // Every 50 ms from one send to the next; at once after a longer wait.
        double spent = NowMs() - start;
        if (spent < WATCH_INTERVAL_MS)
            Sleep((DWORD)(WATCH_INTERVAL_MS - spent));
    }
}

// The first list view paint that shows a row.
WNDPROC listProc;
HWND watchedList;
double firstRowAt;

bool PaintsARow(HWND list)
{
    LRESULT top = SendMessageA(list, LVM_GETTOPINDEX, 0, 0);
    RECT row = {LVIR_BOUNDS, 0, 0, 0}, update, both;
    return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > 0 && IsWindowVisible(list) &&
           SendMessageA(list, LVM_GETITEMRECT, (WPARAM)top, (LPARAM)&row) && GetUpdateRect(list, &update, FALSE) &&
           IntersectRect(&both, &row, &update);
}

LRESULT CALLBACK NoteFirstRow(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    bool first = message == WM_PAINT && list == watchedList && !firstRowAt && PaintsARow(list);
    LRESULT result = CallWindowProcA(listProc, list, message, wParam, lParam);
    if (first)
        firstRowAt = NowMs();
    return result;
}

}  // namespace

void StartWatching()
{
    if (watch.thread)
        return;
    watch.wake = CreateEventA(NULL, FALSE, FALSE, NULL);
    watch.thread = CreateThread(NULL, 0, Watcher, NULL, 0, NULL);
}

void WatchWindow(HWND window)
{
    watch.window = window;
    SetEvent(watch.wake);
}

void BeginPhase(WatchPhase phase)
{
    watch.seen[phase] = Answers();
    watch.phaseStart = NowMs();
    InterlockedExchange(&watch.phase, phase);
    SetEvent(watch.wake);
}

Answers EndPhase(WatchPhase phase)
{
    InterlockedExchange(&watch.phase, WATCH_NONE);
    watch.seen[phase].phaseMs = NowMs() - watch.phaseStart;
    while (Read(&watch.inFlight))
        PumpMessages(5);
    return watch.seen[phase];
}

void PumpMessages(DWORD waitMs)
{
    MsgWaitForMultipleObjects(0, NULL, FALSE, waitMs, QS_ALLINPUT);
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void WatchFirstRow(HWND listView)
{
    firstRowAt = 0;
    watchedList = listView;
    listProc = (WNDPROC)SetWindowLongPtrA(listView, GWLP_WNDPROC, (LONG_PTR)NoteFirstRow);
}

double FirstRowPaintedAt()
{
    return firstRowAt;
}
