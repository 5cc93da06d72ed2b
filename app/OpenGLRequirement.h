#pragma once

// The demo draws nothing without an OpenGL 3.2 core context. Where a display has none, freeglut
// would end the program in words of its own, and on X Xlib's protocol error dump ends it even
// before freeglut can: neither names what is missing or what to try. From watchContextCreation
// to endContextWatch, around the window's creation and the check of the loaded entry points,
// the program ends instead with one line on standard error that does, and status 1; on Windows
// the same text also comes in a message box, since a double-clicked program's console closes
// as it ends.

// Before glutCreateWindow, after glutInit: a window or context that freeglut cannot make ends
// the program with the line. freeglut's warnings are held back until the context has passed
// the check: the fallback to a context of an older version that it warns of ends in the line.
// programName is argv[0], as glutInit was given it.
void watchContextCreation(const char* programName);

// Once the context has passed the check: writes the held warnings as freeglut would have, and
// hands its errors and warnings, and Xlib's errors, back to their own handling.
void endContextWatch();

// Writes the line, naming what the current context says of itself, or what a context of any
// version says where none is current, and ends the program with status 1.
[[noreturn]] void endWithoutOpenGL32();
