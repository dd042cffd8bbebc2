#include "app/ShowError.h"

#include "platform/MessageBox.h"

void ShowError(const char* text)
{
    MessageBoxA(text, "Error", MB_ICONERROR);
}
