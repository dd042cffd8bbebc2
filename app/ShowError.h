#pragma once

// The one way to tell the user about a failure: a modal box captioned "Error"
// with the error icon, also written to standard error.
void ShowError(const char* text);
