// Where a cached file goes in a folder tree of its sites: "host\dir\name" made
// from the entry's URL, a legal Win32 path that never leads out of the folder.
//
// The scheme ("http:") and the "//" go; the host is what follows them up to the
// next '/', '\', '?' or '#', without its "user:password@" and ":port", in lower
// case (a URL without "//", or with an empty host, goes under "_other"). The path
// runs up to '?' or '#' and is split at '/' and at '\' alike. In every part a
// percent sign and two hex digits that stand for a printable ASCII character
// become that character (others stay as they are); characters not allowed in a
// file name (<>:"/\|?* and controls) become '_'; trailing dots and blanks go, and
// a part left empty ("", ".", "..", "%2e%2e") is dropped. A part whose name
// before its first dot is a device (CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$,
// CONOUT$, CLOCK$) gets a leading '_'. The last part is the name; when there is
// none (the URL ends in '/'), it is "index" with the extension of the local
// file. A query is kept before the name's extension as '_' and its text (dots
// and blanks as '_'), or, beyond 16 characters, its first 8, '~' and a hash.
// When the whole path would not fit, the folders that do not fit are left out and
// the name is cut, with '~' and a hash of the whole URL after it, so that the
// folder, the path and a number the saver may add (" (9999)") fit in MAX_PATH,
// and the folders in what CreateDirectoryA takes.
#ifndef BRINDLEWICK_SITE_NAMES_H
#define BRINDLEWICK_SITE_NAMES_H

#include <windows.h>

// Characters the saver may add to a name made here, " (9999)" for a taken name.
const int SITE_NUMBER_ROOM = 7;

// Makes the path of `url` (whose cached file is `localFile`, or null) relative to
// a folder whose path, its closing backslash included, is `baseLength`
// characters, into `name` (MAX_PATH bytes). Gives its length, or 0 when the
// folder leaves no room.
int MakeSiteName(const char* url, const char* localFile, int baseLength, char* name);

#endif
