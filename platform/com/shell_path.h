// Path helpers of the shell, for narrow (UTF-8) paths with '/' between their elements.
#pragma once

extern "C" {
// The extension of the path's last element: a pointer to its last dot, or to the path's
// terminating zero when that element has no extension. As for the shell, a blank after the
// last dot means there is none ("notes.v2 draft"), and dots in folder names never count
// ("build.d/Makefile" has none). A null path gives null.
char* PathFindExtensionA(const char* pszPath);
}
