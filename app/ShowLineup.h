#pragma once

#include "effects/GlowBeginEffect.h"
#include "effects/GlowComposeEffect.h"
#include "effects/HeartEffect.h"
#include "effects/LogoEffect.h"
#include "effects/PerspectiveEffect.h"
#include "effects/PictureEffect.h"

#include <cstdint>

class DemoDriver;

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
