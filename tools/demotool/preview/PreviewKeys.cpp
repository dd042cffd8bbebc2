#include "tools/demotool/preview/PreviewKeys.h"

#include "app/Keyboard.h"
#include "platform/Messages.h"

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
};

} // namespace

std::vector<PreviewAction> PreviewKeys::Take(Keyboard& keyboard)
{
    std::vector<PreviewAction> actions;
    for (const Binding& binding : kBindings) {
        // A press while the key was already down last time is an auto-repeat;
        // one that came and went between two calls still counts.
        const bool pressed = keyboard.Pressed(binding.key);
        if (pressed && (binding.repeats || !wasDown[binding.key]))
            actions.push_back(binding.action);
        wasDown[binding.key] = keyboard.IsDown(binding.key);
    }
    return actions;
}
