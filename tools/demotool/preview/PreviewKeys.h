#pragma once

#include <cstdint>
#include <optional>
#include <vector>

class Keyboard;
class PreviewSession;
struct MSG;

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
    LoopStart,   // I: the loop starts at the playhead ("in")
    LoopEnd,     // O: and ends there ("out")
    ClearLoop,   // Backspace: no loop
};

// Turns key presses into actions: every press as its key message comes, so
// that quick presses within one frame all count, and the keyboard's
// auto-repeat of a held seek key once per look. Pausing, going home and
// reloading happen once per press, since repeating them would only undo or
// redo the same thing.
class PreviewKeys {
public:
    // The action of a key message, before the keyboard sees it: only a
    // fresh press has one, since the keyboard ignores the system's own
    // repeats of a key it has down.
    std::optional<PreviewAction> Press(const MSG& message, const Keyboard& keyboard);
    // The auto-repeats of held seek keys since the last call.
    std::vector<PreviewAction> Repeats(Keyboard& keyboard);

private:
    // Pressed since the last look: the keyboard's "pressed" flag is that
    // press, already counted, and no repeat.
    bool pressedSince[256] = {};
};

// The main loop's pump: presses and left clicks go to the session in the
// order they came. True once the window is to close.
bool PumpPreviewMessages(PreviewSession& session, PreviewKeys& keys, const Keyboard& keyboard);
