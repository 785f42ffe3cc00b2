// The system's key of a text is its primary weights, a tail (the key of the empty
// text without its final 0), then an entry for every character without primary
// weight (hyphen, apostrophe), and a final 0. Such an entry is two bytes of 0xFFFF
// less the number of weighted characters before it, high byte first, and the
// character's two bytes of weight. A printable character takes part when its own
// key has that form and every pair of such characters gets the key this model
// gives; an accented or expanding letter, a control character, any byte above 0x7E
// and any character of a contraction (the "ch" of some locales) never does. The
// table is learned once per user locale, with about nine thousand short calls.
#include <string.h>
#include <string>
#include "plain_sort_keys.h"

namespace {

enum CharKind { OTHER, WEIGHTED, SPECIAL };

const int FIRST = 0x20;
const int LAST = 0x7E;
const DWORD TAIL_ROOM = 16;
// Positions are counted in 16 bits.
const DWORD LONGEST_TEXT = 0xF000;

struct KeyTable {
    LCID locale;                // the user locale the table was learned for; 0: none yet
    BOOL disabled;
    BOOL ranked;                // every weight sorts above the tail, so ranks can stand for them
    BYTE kind[256];
    BYTE weight[256][2];
    BYTE rank[256];             // of a weighted character's weight, 1 and up
    BYTE tail[TAIL_ROOM];       // the key of the empty text, its final 0 included
    DWORD tailLength;
};

KeyTable table;

int SystemKey(const char* text, BYTE* key, int room)
{
    return LCMapStringA(LOCALE_USER_DEFAULT, SORT_KEY_FLAGS, text, -1, (LPSTR)key, room);
}

// The model's key; gives its length, or 0 when a character is not in the table.
DWORD ModelKey(const char* text, BYTE* key)
{
    DWORD weighted = 0, special = 0;
    const BYTE* p = (const BYTE*)text;
    for (; *p; p++) {
        BYTE kind = table.kind[*p];
        if (kind == OTHER)
            return 0;
        if (kind == WEIGHTED)
            weighted++;
        else
            special++;
    }
    if (weighted + special > LONGEST_TEXT)
        return 0;
    DWORD length = 2 * weighted + table.tailLength + 4 * special;
    if (!key)
        return length;

    BYTE* out = key;
    for (p = (const BYTE*)text; *p; p++) {
        if (table.kind[*p] == WEIGHTED) {
            *out++ = table.weight[*p][0];
            *out++ = table.weight[*p][1];
        }
    }
    memcpy(out, table.tail, table.tailLength - 1);
    out += table.tailLength - 1;
    DWORD position = 0;
    for (p = (const BYTE*)text; *p; p++) {
        if (table.kind[*p] == WEIGHTED) {
            position++;
            continue;
        }
        DWORD mark = 0xFFFF - position;
        *out++ = (BYTE)(mark >> 8);
        *out++ = (BYTE)mark;
        *out++ = table.weight[*p][0];
        *out++ = table.weight[*p][1];
    }
    *out = 0;
    return length;
}

// Whether the model gives the system's key for `text`.
BOOL ModelAgrees(const std::string& text)
{
    BYTE model[1024], system[1024];
    DWORD length = ModelKey(text.c_str(), NULL);
    if (length == 0 || length > sizeof model)
        return FALSE;
    ModelKey(text.c_str(), model);
    return SystemKey(text.c_str(), system, sizeof system) == (int)length && memcmp(model, system, length) == 0;
}

// The kind and weight of one character, from its own key.
void LearnCharacter(int c)
{
    char text[2] = {(char)c, 0};
    BYTE key[64];
    int length = SystemKey(text, key, sizeof key);
    DWORD tail = table.tailLength;
    if (length == (int)(2 + tail) && memcmp(key + 2, table.tail, tail) == 0) {
        table.kind[c] = WEIGHTED;
        memcpy(table.weight[c], key, 2);
    } else if (length == (int)(tail + 4) && memcmp(key, table.tail, tail - 1) == 0 && key[tail - 1] == 0xFF &&
               key[tail] == 0xFF && key[tail + 3] == 0) {
        table.kind[c] = SPECIAL;
        memcpy(table.weight[c], key + tail + 1, 2);
    }
}

// Whether no character before `c` has its weight: distinct weights are counted once.
BOOL FirstWithWeight(int c)
{
    for (int d = FIRST; d < c; d++)
        if (table.kind[d] == WEIGHTED && memcmp(table.weight[d], table.weight[c], 2) == 0)
            return FALSE;
    return TRUE;
}

// Texts that count positions past a special character, past several in a row and
// beyond 255.
BOOL SpecialsAgree()
{
    std::string samples[] = {"a--b", "-a-", "ab-c'd", "a-b-c", "--a", "''x'"};
    for (const std::string& sample : samples)
        if (!ModelAgrees(sample))
            return FALSE;
    std::string longText(300, 'a');
    longText[100] = '-';
    longText[299] = '\'';
    return ModelAgrees(longText);
}

// Numbers the distinct weights in their order; a run of ranks ends below every rank
// as a run of weights ends with the tail below every weight.
void RankWeights()
{
    table.ranked = TRUE;
    for (int c = FIRST; c <= LAST; c++) {
        if (table.kind[c] != WEIGHTED)
            continue;
        if (memcmp(table.weight[c], table.tail, 2) <= 0)
            table.ranked = FALSE;
        int below = 1;
        for (int d = FIRST; d <= LAST; d++)
            below += table.kind[d] == WEIGHTED && memcmp(table.weight[d], table.weight[c], 2) < 0 &&
                     FirstWithWeight(d);
        table.rank[c] = (BYTE)below;
    }
}

void Learn()
{
    ZeroMemory(table.kind, sizeof table.kind);
    table.locale = GetUserDefaultLCID();
    int tail = SystemKey("", table.tail, TAIL_ROOM);
    table.tailLength = tail > 0 ? (DWORD)tail : 0;
    if (table.tailLength == 0)
        return;
    for (int c = FIRST; c <= LAST; c++)
        LearnCharacter(c);

    // A character that does not keep its weight next to every other leaves the table.
    for (int c = FIRST; c <= LAST; c++) {
        for (int d = FIRST; d <= LAST && table.kind[c] != OTHER; d++) {
            char pair[3] = {(char)c, (char)d, 0};
            if (table.kind[d] != OTHER && !ModelAgrees(pair))
                table.kind[c] = table.kind[d] = OTHER;
        }
    }
    if (!SpecialsAgree())
        for (int c = FIRST; c <= LAST; c++)
            if (table.kind[c] == SPECIAL)
                table.kind[c] = OTHER;
    RankWeights();
}

}  // namespace

void PreparePlainKeys()
{
    if (!table.disabled && table.locale != GetUserDefaultLCID())
        Learn();
}

DWORD PlainKeyLength(const char* text)
{
    if (table.disabled || table.tailLength == 0)
        return 0;
    return ModelKey(text, NULL);
}

void WritePlainKey(const char* text, BYTE* key)
{
    ModelKey(text, key);
}

void DisablePlainKeys()
{
    table.disabled = TRUE;
}

BOOL PlainKeyMatchesSystem(const char* text)
{
    return !table.disabled && table.tailLength > 0 && ModelAgrees(text);
}

DWORD ShortPlainKey(const char* text, BYTE* out, DWORD* ranks)
{
    if (table.disabled || table.tailLength == 0 || !table.ranked)
        return 0;
    DWORD weighted = 0, special = 0;
    for (const BYTE* p = (const BYTE*)text; *p; p++) {
        BYTE kind = table.kind[*p];
        if (kind == OTHER)
            return 0;
        if (kind == WEIGHTED)
            weighted++;
        else
            special++;
    }
    if (weighted + special > LONGEST_TEXT)
        return 0;
    *ranks = weighted;
    if (out) {
        BYTE* entries = out + weighted;
        DWORD position = 0;
        for (const BYTE* p = (const BYTE*)text; *p; p++) {
            if (table.kind[*p] == WEIGHTED) {
                out[position++] = table.rank[*p];
                continue;
            }
            DWORD mark = 0xFFFF - position;
            *entries++ = (BYTE)(mark >> 8);
            *entries++ = (BYTE)mark;
            *entries++ = table.weight[*p][0];
            *entries++ = table.weight[*p][1];
        }
    }
    return weighted + 4 * special;
}
