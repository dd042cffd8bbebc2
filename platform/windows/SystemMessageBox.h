#pragma once

// Windows' own message box, for its icons: SDL's boxes have no question mark
// and would show a warning sign instead. Kept apart from platform/MessageBox.h,
// whose names windows.h takes as macros.

// `style` in MessageBox.h's flags, which are Windows' own values. Returns the
// button pressed, or 0 when no box could be shown.
int ShowSystemMessageBox(const char* text, const char* caption, unsigned style);

// What shows the box, replaceable so that a test sees what Windows is asked
// for. Null puts MessageBoxW back.
using WideMessageBoxFunction = int (*)(const wchar_t* text, const wchar_t* caption, unsigned style);
void SetWideMessageBoxFunction(WideMessageBoxFunction function);
