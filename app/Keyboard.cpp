#include "app/Keyboard.h"

#include "platform/Clock.h"

#include <cstring>

Keyboard::Keyboard()
    : repeatDelay(300), repeatRate(100)
{
    Reset();
}

Keyboard::~Keyboard() = default;

void Keyboard::KeyDown(int32_t key)
{
    if (!InRange(key))
        return;
    // The system's own typematic repeats find the key down already and so
    // neither press it again nor move the repeat deadline.
    if (!down[key]) {
        pressed[key] = 1;
        repeatDue[key] = GetTickCount() + uint32_t(repeatDelay);
    }
    down[key] = 1;
    anyKey = 1;
}

void Keyboard::KeyUp(int32_t key)
{
    if (!InRange(key))
        return;
    if (down[key])
        released[key] = 1;
    down[key] = 0;
}

bool Keyboard::IsDown(int32_t key) const
{
    return InRange(key) && down[key] != 0;
}

bool Keyboard::IsUp(int32_t key) const
{
    return InRange(key) && down[key] == 0;
}

bool Keyboard::Pressed(int32_t key)
{
    if (!InRange(key))
        return false;
    if (pressed[key]) {
        pressed[key] = 0;
        return true;
    }
    const uint32_t now = GetTickCount();
    if (down[key] && repeatDue[key] < now) {
        repeatDue[key] = now + uint32_t(repeatRate);
        return true;
    }
    return false;
}

bool Keyboard::Released(int32_t key)
{
    if (!InRange(key))
        return false;
    const bool was = released[key] != 0;
    released[key] = 0;
    return was;
}

bool Keyboard::AnyKey()
{
    const bool was = anyKey != 0;
    anyKey = 0;
    return was;
}

void Keyboard::Reset()
{
    std::memset(down, 0, sizeof down);
    std::memset(released, 0, sizeof released);
    std::memset(pressed, 0, sizeof pressed);
    std::memset(repeatDue, 0, sizeof repeatDue);
    anyKey = 0;
}
