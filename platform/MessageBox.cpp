#include "platform/MessageBox.h"
#ifdef _WIN32
#include "platform/windows/SystemMessageBox.h"
#endif

#include <SDL.h>

#include <cstdio>

namespace {

int DefaultAnswer(unsigned style)
{
    if (style & MB_YESNO)
        return (style & MB_DEFBUTTON2) ? IDNO : IDYES;
    return IDOK;
}

#ifndef _WIN32
Uint32 IconFlags(unsigned style)
{
    if (style & MB_ICONERROR)
        return SDL_MESSAGEBOX_ERROR;
    if (style & MB_ICONQUESTION)
        return SDL_MESSAGEBOX_WARNING;
    return SDL_MESSAGEBOX_INFORMATION;
}

// The button pressed, or 0 or less when no box could be shown.
int ShowSdlBox(const char* text, const char* caption, unsigned style)
{
    const bool yesNo = (style & MB_YESNO) != 0;
    const bool noIsDefault = (style & MB_DEFBUTTON2) != 0;

    SDL_MessageBoxButtonData buttons[2];
    int count = 0;
    if (yesNo) {
        buttons[count++] = {noIsDefault ? 0u : Uint32(SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT), IDYES, "Yes"};
        buttons[count++] = {noIsDefault ? Uint32(SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT) : 0u, IDNO, "No"};
        buttons[noIsDefault ? 1 : 0].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    } else {
        buttons[count++] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                            IDOK, "OK"};
    }
    const SDL_MessageBoxData data{IconFlags(style), nullptr, caption, text, count, buttons, nullptr};
    int answer = 0;
    return SDL_ShowMessageBox(&data, &answer) == 0 ? answer : 0;
}
#endif

// Windows' own box where there is one (SDL's has no question icon), SDL's
// elsewhere. Neither shows on the offscreen and dummy drivers, and then the
// default button is the answer.
class SystemMessageBoxes final : public MessageBoxSink {
public:
    int Show(const char* text, const char* caption, unsigned style) override
    {
        std::fprintf(stderr, "%s: %s\n", caption, text);
        std::fflush(stderr);
        if (!CanShowBoxes())
            return DefaultAnswer(style);
#ifdef _WIN32
        const int answer = ShowSystemMessageBox(text, caption, style);
#else
        const int answer = ShowSdlBox(text, caption, style);
#endif
        return answer > 0 ? answer : DefaultAnswer(style);
    }

private:
    static bool CanShowBoxes()
    {
        // Without a display, trying would only stall in the toolkit.
        const char* driver = SDL_getenv("SDL_VIDEODRIVER");
        if (driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0))
            return false;
#ifdef _WIN32
        return true;
#else
        return SDL_getenv("DISPLAY") != nullptr || SDL_getenv("WAYLAND_DISPLAY") != nullptr;
#endif
    }
};

SystemMessageBoxes g_systemBoxes;
MessageBoxSink* g_sink = &g_systemBoxes;

} // namespace

void SetMessageBoxSink(MessageBoxSink* sink)
{
    g_sink = sink ? sink : &g_systemBoxes;
}

int MessageBoxA(const char* text, const char* caption, unsigned style)
{
    return g_sink->Show(text, caption, style);
}
