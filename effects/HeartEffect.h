#pragma once

#include "demo/Effect.h"
#include "effects/Vector3.h"
#include "resources/Mesh3DS.h"

#include <cstdint>
#include <string>
#include <vector>

class Texture;

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
    int32_t HiddenCount() const { return hiddenCount; }
    float Distance() const { return distance; }
    const Vector3& Eye() const { return eye; }
    const Vector3& Target() const { return target; }
    const Vector3& Focus() const { return focus; }
    const Vector3& Destination() const { return destination; }
    float PathPosition() const { return pathPosition; }
    float Flash(int32_t object) const { return flash[object]; }
    float Fade(int32_t object) const { return fade[object]; }

private:
    void Reveal();
    void UpdateRamps(uint32_t dt);
    void Wander();
    void StartPath();

    std::string meshFile;
    Mesh3DS mesh;
    Texture* environmentMap = nullptr;
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
