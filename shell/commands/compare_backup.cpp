#include "compare_backup.h"
#include "backup_load.h"
#include "merge_scan.h"

void CompareWithBackupFile(HWND window)
{
    if (LoadNewListing(window) != 0)
        return;
    ScanAndMerge(window, TRUE);
}
