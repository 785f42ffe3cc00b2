// A small PNG encoder for screenshots: 24-bit colour, stored (uncompressed) deflate.
#ifndef BRINDLEWICK_PNG_WRITER_H
#define BRINDLEWICK_PNG_WRITER_H

#include <windows.h>

// Writes `pixels`, top-down rows of 32-bit BGRx as a DIB section holds them.
bool WritePng(const char* path, int width, int height, const BYTE* pixels);

#endif
