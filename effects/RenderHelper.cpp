#include "effects/RenderHelper.h"

#include "app/ProcessObjects.h"
#include "resources/Texture.h"

#include <GL/glext.h>
#include <GL/glu.h>

RenderHelper::RenderHelper()
{
    // Without a current context these calls reach nothing; the disclaimer's
    // per-frame helper is what first puts this state in force.
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
}

RenderHelper::~RenderHelper() = default;

void RenderHelper::Clear(float r, float g, float b)
{
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void RenderHelper::BeginOrtho()
{
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, width, 0.0, height);
}

void RenderHelper::EndOrtho()
{
    glPopMatrix();
}

void RenderHelper::ApplyPerspective()
{
    gluPerspective(fieldOfView, width / height, nearPlane, farPlane);
}

void RenderHelper::EnableBlend(GLenum source, GLenum destination)
{
    glEnable(GL_BLEND);
    glBlendFunc(source, destination);
    glDisable(GL_DEPTH_TEST);
}

void RenderHelper::DisableBlend()
{
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}

void RenderHelper::SetSphereMap(bool on)
{
    if (on) {
        glEnable(GL_TEXTURE_GEN_S);
        glEnable(GL_TEXTURE_GEN_T);
    } else {
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
    }
}

void RenderHelper::SetViewport(int32_t w, int32_t h)
{
    const GLWindow* window = GetGLWindow();
    if (w <= 0)
        w = window ? window->Width() : 0;
    if (h <= 0)
        h = window ? window->Height() : 0;
    glViewport(0, 0, w, h);
}

void RenderHelper::DrawRect(ScreenRect rect, Texture* texture)
{
    texture->Bind();
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(rect.left, rect.bottom);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(rect.left, rect.top);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(rect.right, rect.top);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(rect.right, rect.bottom);
    glEnd();
}

void RenderHelper::DrawCentered(Texture* texture, float scale)
{
    const float halfWidth = float(texture->Width()) * 0.5f * scale;
    const float halfHeight = float(texture->Height()) * 0.5f * scale;
    const float centreX = width / 2.0f;
    const float centreY = height / 2.0f;
    DrawRect({centreX - halfWidth, centreY + halfHeight, centreX + halfWidth, centreY - halfHeight}, texture);
}

void RenderHelper::DrawFullScreen(Texture* texture)
{
    DrawFullScreenShifted(texture, 0.0f, 0.0f, 0.0f);
}

void RenderHelper::DrawFullScreenShifted(Texture* texture, float du, float dv, float inset)
{
    const float s0 = inset + du;
    const float t0 = inset + dv;
    const float s1 = (1.0f - inset) + du;
    const float t1 = (1.0f - inset) + dv;
    const GLint right = GLint(width);
    const GLint top = GLint(height);
    texture->Bind();
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0);
    glVertex2i(0, 0);
    glTexCoord2f(s0, t1);
    glVertex2i(0, top);
    glTexCoord2f(s1, t1);
    glVertex2i(right, top);
    glTexCoord2f(s1, t0);
    glVertex2i(right, 0);
    glEnd();
}

void RenderHelper::CopyToTexture(Texture* texture, GLenum internalFormat)
{
    // Bound even while quiet: binding enables 2D texturing, state that the
    // frames after a quiet one see.
    texture->Bind();
    if (quiet)
        return;
    const GLsizei size = texture->Width();
    glCopyTexImage2D(GL_TEXTURE_2D, 0, internalFormat, 0, 0, size, size, 0);
}

void RenderHelper::SetQuiet(bool on)
{
    quiet = on;
    if (on)
        glEnable(GL_RASTERIZER_DISCARD);
    else
        glDisable(GL_RASTERIZER_DISCARD);
}
