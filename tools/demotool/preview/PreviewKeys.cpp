#include "tools/demotool/preview/PreviewKeys.h"

#include "app/Keyboard.h"
#include "platform/Messages.h"
#include "tools/demotool/preview/PreviewSession.h"
#include "tools/demotool/preview/TimelineStrip.h"

#include <SDL.h>

namespace {

struct Binding {
    int32_t key;
    PreviewAction action;
    bool repeats;
};

constexpr int32_t kF5 = VK_F1 + 4;

constexpr Binding kBindings[] = {
    {VK_SPACE, PreviewAction::TogglePause, false}, {VK_LEFT, PreviewAction::BackOne, true},
    {VK_RIGHT, PreviewAction::ForwardOne, true},   {VK_PRIOR, PreviewAction::BackEight, true},
    {VK_NEXT, PreviewAction::ForwardEight, true},  {VK_HOME, PreviewAction::Home, false},
    {kF5, PreviewAction::Reload, false},           {VK_TAB, PreviewAction::ToggleStrip, false},
    {'I', PreviewAction::LoopStart, false},        {'O', PreviewAction::LoopEnd, false},
    {VK_BACK, PreviewAction::ClearLoop, false},
};

} // namespace

std::optional<PreviewAction> PreviewKeys::Press(const MSG& message, const Keyboard& keyboard)
{
    const int32_t key = int32_t(message.wParam);
    if (message.message != WM_KEYDOWN || keyboard.IsDown(key))
        return std::nullopt;
    for (const Binding& binding : kBindings) {
        if (binding.key == key) {
            pressedSince[key] = true;
            return binding.action;
        }
    }
    return std::nullopt;
}

std::vector<PreviewAction> PreviewKeys::Repeats(Keyboard& keyboard)
{
    std::vector<PreviewAction> actions;
    for (const Binding& binding : kBindings) {
        if (keyboard.Pressed(binding.key) && binding.repeats && !pressedSince[binding.key])
            actions.push_back(binding.action);
        pressedSince[binding.key] = false;
    }
    return actions;
}

bool PumpPreviewMessages(PreviewSession& session, PreviewKeys& keys, const Keyboard& keyboard)
{
    bool quit = false;
    MSG message;
    while (PeekMessageA(&message)) {
        if (message.message == WM_QUIT)
            quit = true;
        if (message.message == WM_LBUTTONDOWN)
            session.ClickAt(PointParamX(message.lParam), PointParamY(message.lParam));
        if (const std::optional<PreviewAction> action = keys.Press(message, keyboard))
            session.Apply(*action);
        // T works on the slot under the mouse, which only the pointer knows.
        if (message.message == WM_KEYDOWN && message.wParam == 'T' && !keyboard.IsDown('T')) {
            int x = -1, y = -1;
            SDL_GetMouseState(&x, &y);
            session.Strip().ToggleTracksAt(x, y);
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return quit;
}
