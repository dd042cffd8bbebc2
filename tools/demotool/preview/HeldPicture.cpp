#include "tools/demotool/preview/HeldPicture.h"

#include "tools/demotool/preview/SavedGLState.h"

#include <GL/gl.h>

HeldPicture::~HeldPicture()
{
    if (texture != 0)
        glDeleteTextures(1, &texture);
}

void HeldPicture::Keep(int32_t width, int32_t height)
{
    if (width < 1 || height < 1)
        return;
    SavedGLState saved(width, height);
    if (texture == 0)
        glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    // Copied into the storage already there unless the window changed size.
    if (KeptAt(width, height)) {
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
        return;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 0, 0, width, height, 0);
    keptWidth = width;
    keptHeight = height;
}

void HeldPicture::Show(int32_t width, int32_t height) const
{
    if (texture == 0 || width < 1 || height < 1)
        return;
    SavedGLState saved(width, height);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    // Copied from the window's bottom row up, as it is drawn back.
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2i(0, 0);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2i(width, 0);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2i(width, height);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2i(0, height);
    glEnd();
}
