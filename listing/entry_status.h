// What happened to an entry since the previous merge.
#ifndef BRINDLEWICK_ENTRY_STATUS_H
#define BRINDLEWICK_ENTRY_STATUS_H

#include <windows.h>

enum EntryStatus {
    STATUS_DELETED = 0,
    STATUS_UNCHANGED = 1,
    STATUS_CHANGED = 2,
    STATUS_REVISITED = 3,
    STATUS_UPDATED = 4,
    STATUS_MOVED = 5,
    STATUS_FINISHED = 6,
    STATUS_ADDED = 7,
    STATUS_ADDED_HIDDEN = 8     // added while its include option was just switched on; shown as 1
};

// The list captions of codes 0 to 7.
extern const char* const StatusCaptions[8];
// Codes 0 to 7 as whole words, for files that programs read ("Revisited",
// "Changed"); unchanged is "".
extern const char* const StatusNames[8];
// The caption the list shows for a status: code 8, and any code out of range, show "".
const char* StatusCaption(LONG status);
// A status's word in a vocabulary of words for codes 0 to 7 (the list's, the
// report's, the CSV's): code 8, shown as unchanged, and any code out of range
// give "".
const char* StatusWord(const char* const words[8], LONG status);
// Whether a status says something happened: neither unchanged nor added while
// hidden (which the list shows as unchanged).
BOOL IsChangedStatus(LONG status);

#endif
