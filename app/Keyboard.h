#pragma once

#include <cstdint>

// Key state from the window's key messages, by virtual-key code 0..255. Keys
// outside that range change nothing and every query is false for them.
class Keyboard {
public:
    Keyboard();
    virtual ~Keyboard();

    void KeyDown(int32_t key);
    void KeyUp(int32_t key);
    bool IsDown(int32_t key) const;
    bool IsUp(int32_t key) const;
    // Once per fresh press, then once per auto-repeat while held.
    bool Pressed(int32_t key);
    bool Released(int32_t key);
    bool AnyKey();
    void Reset();

private:
    static bool InRange(int32_t key) { return key >= 0 && key <= 255; }

    uint8_t down[256];
    uint8_t released[256];
    uint8_t pressed[256];
    uint8_t anyKey;
    uint32_t repeatDue[256];
    int32_t repeatDelay;
    int32_t repeatRate;
};
