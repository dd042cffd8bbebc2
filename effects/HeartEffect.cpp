#include "effects/HeartEffect.h"

#include "effects/RenderHelper.h"
#include "platform/CrtRandom.h"
#include "resources/ImageRegistry.h"
#include "resources/Texture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

namespace {

constexpr uint8_t kRevealStep = '*';
constexpr float kMaxDistance = 12.0f;

} // namespace

HeartEffect::HeartEffect(const char* meshPath) : meshFile(meshPath)
{
}

HeartEffect::~HeartEffect() = default;

int32_t HeartEffect::Init()
{
    environmentMap = imageRegistry != nullptr ? imageRegistry->Find("envmap") : nullptr;
    if (environmentMap == nullptr)
        return 1;
    // The show needs its mesh whole; a damaged one still plays what it holds.
    mesh.Load(meshFile.c_str());
    mesh.overridePolygonMode = false;
    for (MeshObject& object : mesh.objects)
        object.visible = false;
    state.hiddenCount = mesh.objectCount;
    state.lastIndex = mesh.objectCount - 1;

    state.eye = Vector3(10.0, 0.0, -10.0);
    state.destination = state.eye;
    state.target = Vector3(0.0, 0.0, 0.0);
    state.focus = state.target;
    state.up = Vector3(0.0, 1.0, 0.0);
    state.distance = 1.0f;
    state.path[0] = state.eye;
    // Unlike later bends, the first is neither normalised again nor halved.
    state.path[1] = (state.eye.Normalized() + state.destination.Normalized()) * double(state.distance);
    state.path[2] = state.destination;
    state.pathPosition = 0.0f;

    state.flash.assign(size_t(mesh.objectCount), 0.0f);
    state.fade.assign(size_t(mesh.objectCount), 0.0f);
    return 0;
}

int32_t HeartEffect::Uninit()
{
    state.flash.clear();
    state.flash.shrink_to_fit();
    state.fade.clear();
    state.fade.shrink_to_fit();
    // Nothing is revealed or ramped once the arrays are gone.
    state.hiddenCount = 0;
    state.lastIndex = -1;
    return 0;
}

int32_t HeartEffect::Update(uint32_t dt)
{
    if (params.flags[kPatternStepFlag] == kRevealStep && state.hiddenCount > 0)
        Reveal();
    UpdateRamps(dt);

    // w is 0 at both ends of the path, so a new path never makes the camera jump.
    const double t = state.pathPosition;
    const double w = 0.5 - std::fabs(t - 0.5);
    state.eye = (state.path[0] * (1.0 - t) + state.path[1] * w) + state.path[2] * t;

    const float rate = 0.002f * float(dt);
    state.target = state.target + (state.focus - state.target) * double(rate);

    state.pathPosition = float(state.pathPosition + dt * 0.001);
    if (state.pathPosition > 1.0f)
        Wander();
    return 0;
}

void HeartEffect::Reveal()
{
    --state.hiddenCount;
    const int32_t k = state.hiddenCount;
    MeshObject& object = mesh.objects[size_t(k)];
    object.visible = true;
    state.focus = Vector3(object.centre.x, object.centre.y, object.centre.z);

    // The camera backs off to keep every revealed object in view, never closer.
    const float reach = float(state.focus.Length() * 1.5);
    if (reach > state.distance)
        state.distance = reach;
    if (state.distance > kMaxDistance)
        state.distance = kMaxDistance;
    state.destination = state.focus.Normalized() * double(state.distance);
    StartPath();

    state.flash[size_t(k)] = 2.0f;
    state.fade[size_t(k)] = 0.0f;
}

void HeartEffect::UpdateRamps(uint32_t dt)
{
    for (int32_t i = state.hiddenCount; i <= state.lastIndex; ++i) {
        float& fadeValue = state.fade[size_t(i)];
        if (fadeValue < 1.0f)
            fadeValue = float(fadeValue + dt * 0.0005);
        else
            fadeValue = 1.0f;
        float& flashValue = state.flash[size_t(i)];
        if (flashValue > 0.25f)
            flashValue = float(flashValue - dt * 0.001);
        else
            flashValue = 0.25f;
    }
}

void HeartEffect::Wander()
{
    // Three draws from the shared sequence, in the order z, y, x.
    const int z = CrtRand() % 11 - 5;
    const int y = CrtRand() % 11 - 5;
    const int x = CrtRand() % 11 - 5;
    const Vector3 offset(x, y, z);
    state.destination = (state.eye + offset).Normalized() * double(state.distance);
    StartPath();
}

void HeartEffect::StartPath()
{
    state.path[0] = state.eye;
    state.path[1] =
        (state.eye.Normalized() + state.destination.Normalized()).Normalized() * double(state.distance) / 2.0;
    state.path[2] = state.destination;
    state.pathPosition = 0.0f;
}

void HeartEffect::Render()
{
    const HeartState& s = state;
    gluLookAt(s.eye.x, s.eye.y, s.eye.z, s.target.x, s.target.y, s.target.z, s.up.x, s.up.y, s.up.z);
    glPushMatrix();
    glEnable(GL_DEPTH_TEST);
    if (pass == 0) {
        // Glow source: bright while an object flashes, untextured.
        glDisable(GL_TEXTURE_2D);
        mesh.alpha = 1.0f;
        for (size_t i = 0; i < mesh.objects.size() && i < state.flash.size(); ++i)
            mesh.objects[i].alpha = state.flash[i];
    } else {
        if (environmentMap != nullptr)
            environmentMap->Bind();
        if (renderHelper != nullptr)
            renderHelper->SetSphereMap(true);
        mesh.alpha = 1.0f;
        for (size_t i = 0; i < mesh.objects.size() && i < state.fade.size(); ++i)
            mesh.objects[i].alpha = state.fade[i];
    }
    if (renderHelper != nullptr)
        renderHelper->DisableBlend();

    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    mesh.Draw();
    // The wireframe takes each object's grey from the draw itself, untextured.
    glDisable(GL_TEXTURE_2D);
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    mesh.Draw();
    glPopMatrix();
}

void HeartEffect::RestoreState(const HeartState& saved)
{
    state = saved;
    for (int32_t i = 0; i < mesh.objectCount; ++i)
        mesh.objects[size_t(i)].visible = i >= state.hiddenCount;
}
