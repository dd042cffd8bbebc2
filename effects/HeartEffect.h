#pragma once

#include "demo/Effect.h"
#include "effects/Vector3.h"
#include "resources/Mesh3DS.h"

#include <cstdint>
#include <string>
#include <vector>

class Texture;

// What the heart carries from one frame to the next.
struct HeartState {
    int32_t hiddenCount = 0;
    int32_t lastIndex = -1;
    Vector3 destination;
    Vector3 eye;
    Vector3 focus;
    Vector3 target;
    Vector3 up;
    // Start, bend and end of the current camera path.
    Vector3 path[3];
    float distance = 1.0f;
    std::vector<float> flash;
    std::vector<float> fade;
    float pathPosition = 0.0f;
};

// The 3D centrepiece: a mesh whose objects appear one by one, from the last
// down, on "*" pattern steps. A new object flashes in the glow source pass and
// fades in, sphere-mapped, in the main pass; a look-at camera glides on bent
// paths toward each new object and then wanders on its sphere.
class HeartEffect : public Effect {
public:
    explicit HeartEffect(const char* meshFile = "data/3ds/cordel.3ds");
    virtual ~HeartEffect();

    int32_t Init() override;
    int32_t Uninit() override;
    void Render() override;
    int32_t Update(uint32_t dt) override;

    // Read access for tools and tests.
    const Mesh3DS& Mesh() const { return mesh; }
    int32_t HiddenCount() const { return state.hiddenCount; }
    float Distance() const { return state.distance; }
    const Vector3& Eye() const { return state.eye; }
    const Vector3& Target() const { return state.target; }
    const Vector3& Focus() const { return state.focus; }
    const Vector3& Destination() const { return state.destination; }
    float PathPosition() const { return state.pathPosition; }
    float Flash(int32_t object) const { return state.flash[object]; }
    float Fade(int32_t object) const { return state.fade[object]; }

    // Checkpoints. The mesh's objects show as the state says: those from
    // the hidden count on.
    const HeartState& State() const { return state; }
    void RestoreState(const HeartState& saved);

private:
    void Reveal();
    void UpdateRamps(uint32_t dt);
    void Wander();
    void StartPath();

    std::string meshFile;
    Mesh3DS mesh;
    Texture* environmentMap = nullptr;
    HeartState state;
};
