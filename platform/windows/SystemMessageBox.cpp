#include "platform/windows/SystemMessageBox.h"

#include <windows.h>

#include <string>

namespace {

int ShowWithoutOwner(const wchar_t* text, const wchar_t* caption, unsigned style)
{
    return MessageBoxW(nullptr, text, caption, style);
}

WideMessageBoxFunction g_show = ShowWithoutOwner;

// Bytes that are not UTF-8 become U+FFFD: the box still shows the rest.
std::wstring WideText(const char* text)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(length > 0 ? size_t(length) : 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
    wide.pop_back();
    return wide;
}

} // namespace

int ShowSystemMessageBox(const char* text, const char* caption, unsigned style)
{
    return g_show(WideText(text).c_str(), WideText(caption).c_str(), style);
}

void SetWideMessageBoxFunction(WideMessageBoxFunction function)
{
    g_show = function ? function : ShowWithoutOwner;
}
