#pragma once

#include <cstdio>

// What the benchmarks read about their own process, and the console they keep for their
// figures while the program's own lines go elsewhere. Linux and Windows each answer in their
// own terms.

// CPU time of all the process's threads, the software rasteriser's included, in milliseconds.
double processCpuMilliseconds();

// The most memory the process has held resident so far, in megabytes.
double peakResidentMegabytes();

// Seconds from the process's start, as the system recorded it, to now.
double secondsSinceProcessStart();

// A stream to where standard output goes now, which stays there when standard output is then
// sent elsewhere (freopen), line by line.
FILE* keepConsole();

// The file name that swallows whatever is written to it.
extern const char* const nullDevice;
