// Collation keys made without asking the system for each text. LCMapStringA costs
// microseconds a call; for a text of ordinary characters the key is their primary
// weights one after another, a fixed tail, and for each hyphen or apostrophe an
// entry of its position and weight. A table learned from the system once gives
// those keys byte for byte.
#ifndef BRINDLEWICK_PLAIN_SORT_KEYS_H
#define BRINDLEWICK_PLAIN_SORT_KEYS_H

#include <windows.h>

// The flags of every key: the order of lstrcmpiA when compared byte for byte.
const DWORD SORT_KEY_FLAGS = LCMAP_SORTKEY | NORM_IGNORECASE;

// Learns the table for the user's locale unless it is known already; call before
// a run of the two below.
void PreparePlainKeys();
// Length of the key of `text` (its terminating 0 included) when the table can make
// it, else 0: then only LCMapStringA can.
DWORD PlainKeyLength(const char* text);
// Writes the key of a text that PlainKeyLength accepted; `key` has room for it.
void WritePlainKey(const char* text, BYTE* key);
// After a made key differed from the system's, no key is made from the table again.
void DisablePlainKeys();
// Whether the table's key for `text` is the system's own, byte for byte.
BOOL PlainKeyMatchesSystem(const char* text);

// A shorter form of the same key for sorting: a byte per character with primary
// weight, its weight's rank among the table's (1 to 254, in weight order), then an
// entry of four bytes for each hyphen or apostrophe as in the key. Compared byte
// for byte and ranks before entries, with the shorter run of ranks first, these
// order texts as their keys do. Gives the length and, through `ranks`, how many of
// its bytes are ranks; 0 when the table cannot make the key of `text`. `out` may
// be null to measure only.
DWORD ShortPlainKey(const char* text, BYTE* out, DWORD* ranks);

#endif
