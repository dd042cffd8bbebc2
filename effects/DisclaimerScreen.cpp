#include "effects/DisclaimerScreen.h"

#include "app/ProcessObjects.h"
#include "effects/RenderHelper.h"
#include "platform/Clock.h"
#include "resources/Texture.h"

DisclaimerScreen::DisclaimerScreen() = default;

DisclaimerScreen::~DisclaimerScreen() = default;

void DisclaimerScreen::Load(const char* path)
{
    picture = std::make_unique<ImageTexture>();
    // The screen runs whether or not the picture could be read; the loader
    // has said why on standard error.
    picture->Load(path, GL_CLAMP);
}

void DisclaimerScreen::Draw(float brightness)
{
    // A fresh helper each frame also puts the default GL state in force.
    RenderHelper helper;
    glPushMatrix();
    helper.Clear(0.0f, 0.0f, 0.0f);
    helper.BeginOrtho();
    helper.EnableBlend(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor3f(brightness, brightness, brightness);
    if (picture)
        helper.DrawCentered(picture.get(), scale);
    helper.EndOrtho();
    glPopMatrix();
}

void DisclaimerScreen::FadeIn()
{
    // 32-bit steps of 0.01 give 101 frames from 0 to just under 1.
    for (float brightness = 0.0f; brightness <= 1.0f; brightness += 0.01f)
        PresentFrame(brightness);
}

void DisclaimerScreen::FadeOut()
{
    for (float brightness = 1.0f; brightness > 0.0f; brightness -= 0.01f)
        PresentFrame(brightness);
}

void DisclaimerScreen::Progress()
{
    scale += 0.005f;
    Draw(1.0f);
    Present();
}

void DisclaimerScreen::PresentFrame(float brightness)
{
    Draw(brightness);
    Present();
    Sleep(1);
}

void DisclaimerScreen::Present()
{
    if (GLWindow* window = GetGLWindow())
        window->Swap();
}
