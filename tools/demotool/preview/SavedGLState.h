#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <initializer_list>

// Puts everything the preview's own drawing relies on in force, a window of
// that size in pixels, and takes it all back after, so the show finds the
// context as it left it: attributes, client pixel store, the three matrix
// stacks and the matrix mode. The show uses only the
// first texture unit, so that is the one the preview draws with.
class SavedGLState {
public:
    SavedGLState(int32_t width, int32_t height)
    {
        glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
        for (const GLenum stack : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
            glMatrixMode(stack);
            glPushMatrix();
            glLoadIdentity();
        }
        glMatrixMode(GL_PROJECTION);
        glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
        glMatrixMode(GL_MODELVIEW);
        glViewport(0, 0, width, height);
        static constexpr GLenum kFragmentProgram = 0x8804; // GL_FRAGMENT_PROGRAM_ARB
        static constexpr GLenum kOff[] = {GL_DEPTH_TEST, GL_BLEND,          GL_ALPHA_TEST,     GL_STENCIL_TEST,
                                          GL_SCISSOR_TEST, GL_LIGHTING,     GL_FOG,            GL_CULL_FACE,
                                          GL_COLOR_MATERIAL, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_1D,
                                          kFragmentProgram};
        for (const GLenum capability : kOff)
            glDisable(capability);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glGetError(); // the fragment program switch is unknown without the extension
    }
    ~SavedGLState()
    {
        for (const GLenum stack : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
            glMatrixMode(stack);
            glPopMatrix();
        }
        glPopClientAttrib();
        glPopAttrib();
        glMatrixMode(GLenum(matrixMode));
    }

    SavedGLState(const SavedGLState&) = delete;
    SavedGLState& operator=(const SavedGLState&) = delete;

private:
    GLint matrixMode = GL_MODELVIEW;
};
