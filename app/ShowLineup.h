#pragma once

#include "demo/DemoDriver.h"
#include "effects/GlowBeginEffect.h"
#include "effects/GlowComposeEffect.h"
#include "effects/HeartEffect.h"
#include "effects/LogoEffect.h"
#include "effects/PerspectiveEffect.h"
#include "effects/PictureEffect.h"

#include <cstdint>

class TimelineHost;

// The show's six effects. They are constructed in this order and destroyed in
// reverse; their position in the driver's list is the script's scene number.
struct ShowLineup {
    GlowBeginEffect glowBegin;     // 0: viewport and clear of each pass
    PerspectiveEffect perspective; // 1: the 3D projection
    LogoEffect logo;               // 2: the violet logo behind everything
    HeartEffect heart;             // 3: the heart mesh
    PictureEffect picture;         // 4: pictures, noise, corner logo
    GlowComposeEffect glowCompose; // 5: capture and composition

    // Adds the six effects in order and sets the two passes per frame.
    void AddTo(DemoDriver& driver);

    // What the effect at a script scene number is, for tools that show the
    // script ("heart"); null for a number the lineup does not fill.
    static const char* SlotName(int32_t slot);
};

// The show as the player, the offline renderer and the preview build it: the
// driver, on the timeline host given (the player's own without one), with
// the lineup in its places. The effects point into the driver's pictures, so
// they go first. Large (the timeline holds its tables inside): tools keep it
// on the heap.
class DemoShow {
public:
    DemoShow();
    explicit DemoShow(TimelineHost& host);
    ~DemoShow() { Stop(); }
    DemoShow(const DemoShow&) = delete;
    DemoShow& operator=(const DemoShow&) = delete;

    // The driver's Init: script, pictures, effects; 0 when all started.
    int32_t Start();
    // The driver's Uninit, once, when Start started the effects.
    void Stop();

    DemoDriver driver;
    ShowLineup lineup;

private:
    bool started = false;
};
