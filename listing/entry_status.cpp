#include "entry_status.h"

const char* const StatusCaptions[8] = {
    "Deleted", "", "Chnged", "Rvst'd", "Updated", "Moved", "Finished", "Added"
};

const char* const StatusNames[8] = {
    "Deleted", "", "Changed", "Revisited", "Updated", "Moved", "Finished", "Added"
};

const char* StatusWord(const char* const words[8], LONG status)
{
    if (status < STATUS_DELETED || status > STATUS_ADDED)
        return "";
    return words[status];
}

const char* StatusCaption(LONG status)
{
    return StatusWord(StatusCaptions, status);
}

BOOL IsChangedStatus(LONG status)
{
    return status != STATUS_UNCHANGED && status != STATUS_ADDED_HIDDEN;
}
