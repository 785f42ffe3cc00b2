#include "number_text.h"

void FormatGroupedNumber(DWORD value, char* text)
{
    char digits[GROUPED_NUMBER_BYTES];
    int length = wsprintfA(digits, "%lu", (unsigned long)value);
    for (int i = 0; i < length; i++) {
        *text++ = digits[i];
        int left = length - 1 - i;
        if (left > 0 && left % 3 == 0)
            *text++ = ',';
    }
    *text = '\0';
}
