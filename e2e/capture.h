// What the driver reads off the screen: pictures of windows, and which icon a window shows.
#ifndef SETUP_E2E_CAPTURE_H
#define SETUP_E2E_CAPTURE_H

#include <windows.h>

#include <string>

// Waits until a window has painted and its picture on the screen holds still, so that what is
// read from the screen is what a person sees.
void WaitDrawn(HWND hwnd);

// The window as it is on the screen, as a 24-bit BMP file.
void SaveScreen(HWND hwnd, const std::string &path);

// Which of the system's message-box icons an icon control shows: hand, question, exclamation,
// asterisk, unknown, or none.
std::string MessageBoxIconName(HWND iconControl);

// How much of the program's own small icon is seen at the left of a window's caption, from 0
// to 1.
double CaptionIconMatch(HWND window, const std::string &exe, int iconId);

#endif
