#pragma once

#include <string>

// What both fuzzers set up once, before their first input: a real GL context in a window
// titled name (not "OKV": the program tests find the program's window by that title), a
// scratch data directory whose "models/" folder takes each input's file, no fuzzer's death
// report in the loader's child processes, and standard output, where the loader's console lines
// go, sent nowhere. Returns that folder, with the trailing separator, as the scene assembly
// passes it. argv is the fuzzer's own, of which freeglut gets only the program's name. Ends the
// process when no GL context can be had.
std::string startFuzzTarget(const char* name, char** argv);
