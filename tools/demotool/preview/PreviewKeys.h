#pragma once

#include <cstdint>
#include <vector>

class Keyboard;

// What the author asks of the preview from the keyboard.
enum class PreviewAction : uint8_t {
    TogglePause, // Space
    BackOne,     // Left: one position back
    ForwardOne,  // Right
    BackEight,   // Page Up
    ForwardEight, // Page Down
    Home,        // the script's start time
    Reload,      // F5
    ToggleStrip, // Tab: the script's lanes along the bottom
};

// Turns the keyboard's presses into actions, once per call. Seeks repeat
// while their key is held; pausing, going home and reloading happen once per
// press, since repeating them would only undo or redo the same thing.
class PreviewKeys {
public:
    std::vector<PreviewAction> Take(Keyboard& keyboard);

private:
    bool wasDown[256] = {};
};
