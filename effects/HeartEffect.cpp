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
    hiddenCount = mesh.objectCount;
    lastIndex = mesh.objectCount - 1;

    eye = Vector3(10.0, 0.0, -10.0);
    destination = eye;
    target = Vector3(0.0, 0.0, 0.0);
    focus = target;
    up = Vector3(0.0, 1.0, 0.0);
    distance = 1.0f;
    path[0] = eye;
    // Unlike later bends, the first is neither normalised again nor halved.
    path[1] = (eye.Normalized() + destination.Normalized()) * double(distance);
    path[2] = destination;
    pathPosition = 0.0f;

    flash.assign(size_t(mesh.objectCount), 0.0f);
    fade.assign(size_t(mesh.objectCount), 0.0f);
    return 0;
}

int32_t HeartEffect::Uninit()
{
    flash.clear();
    flash.shrink_to_fit();
    fade.clear();
    fade.shrink_to_fit();
    // Nothing is revealed or ramped once the arrays are gone.
    hiddenCount = 0;
    lastIndex = -1;
    return 0;
}

int32_t HeartEffect::Update(uint32_t dt)
{
    if (params.flags[kPatternStepFlag] == kRevealStep && hiddenCount > 0)
        Reveal();
    UpdateRamps(dt);

    // w is 0 at both ends of the path, so a new path never makes the camera jump.
    const double t = pathPosition;
    const double w = 0.5 - std::fabs(t - 0.5);
    eye = (path[0] * (1.0 - t) + path[1] * w) + path[2] * t;

    const float rate = 0.002f * float(dt);
    target = target + (focus - target) * double(rate);

    pathPosition = float(pathPosition + dt * 0.001);
    if (pathPosition > 1.0f)
        Wander();
    return 0;
}

void HeartEffect::Reveal()
{
    --hiddenCount;
    const int32_t k = hiddenCount;
    MeshObject& object = mesh.objects[size_t(k)];
    object.visible = true;
    focus = Vector3(object.centre.x, object.centre.y, object.centre.z);

    // The camera backs off to keep every revealed object in view, never closer.
    const float reach = float(focus.Length() * 1.5);
    if (reach > distance)
        distance = reach;
    if (distance > kMaxDistance)
        distance = kMaxDistance;
    destination = focus.Normalized() * double(distance);
    StartPath();

    flash[size_t(k)] = 2.0f;
    fade[size_t(k)] = 0.0f;
}

void HeartEffect::UpdateRamps(uint32_t dt)
{
    for (int32_t i = hiddenCount; i <= lastIndex; ++i) {
        float& fadeValue = fade[size_t(i)];
        if (fadeValue < 1.0f)
            fadeValue = float(fadeValue + dt * 0.0005);
        else
            fadeValue = 1.0f;
        float& flashValue = flash[size_t(i)];
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
    destination = (eye + offset).Normalized() * double(distance);
    StartPath();
}

void HeartEffect::StartPath()
{
    path[0] = eye;
    path[1] = (eye.Normalized() + destination.Normalized()).Normalized() * double(distance) / 2.0;
    path[2] = destination;
    pathPosition = 0.0f;
}

void HeartEffect::Render()
{
    gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, up.x, up.y, up.z);
    glPushMatrix();
    glEnable(GL_DEPTH_TEST);
    if (pass == 0) {
        // Glow source: bright while an object flashes, untextured.
        glDisable(GL_TEXTURE_2D);
        mesh.alpha = 1.0f;
        for (size_t i = 0; i < mesh.objects.size() && i < flash.size(); ++i)
            mesh.objects[i].alpha = flash[i];
    } else {
        if (environmentMap != nullptr)
            environmentMap->Bind();
        if (renderHelper != nullptr)
            renderHelper->SetSphereMap(true);
        mesh.alpha = 1.0f;
        for (size_t i = 0; i < mesh.objects.size() && i < fade.size(); ++i)
            mesh.objects[i].alpha = fade[i];
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
