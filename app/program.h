#pragma once
// The program entry's parts: the command line as an argument vector, the main function and the
// window message loop.

#include <windows.h>

// Runs the message loop for the program's main window: the window becomes the process's main
// window (destroying it posts the quit request) and is brought to the foreground; messages are
// dispatched until WM_QUIT, and an exception escaping a handler is dropped. Answers the WM_QUIT
// word (0 when the window was closed); 1 at once when the window does not exist.
int orvelMessageLoop(HWND window);

// Builds the main window on the process's link, runs the loop and destroys the window; the
// arguments are not used. 1 when the window could not be made.
int orvelMain(int argc, char** argv);

// The whole entry: standard output connected, the command line split into an argument vector
// (GetCommandLineA, quotes honoured), orvelMain with it.
int orvelEntry();

// A window program has no console: when its standard output was not handed over (redirected
// to a file or pipe), it writes to the console of the process that started it, if any.
void connectStandardOutput();
