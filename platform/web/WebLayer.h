#pragma once

#include <GL/gl.h>

// The browser layer's stand-ins for the GL and GLU calls WebGL lacks; the
// browser build reaches them under the calls' own names (WebGL.h). They
// take the same arguments as the calls they replace.
extern "C" {
void webEnable(GLenum cap);
void webDisable(GLenum cap);
GLboolean webIsEnabled(GLenum cap);
// Sphere-map generation, computed on the CPU for triangles drawn from client
// arrays with glDrawElements.
void webTexGeni(GLenum coord, GLenum pname, GLint param);
// GL_LINE draws each triangle's edges; GL_POINT draws filled.
void webPolygonMode(GLenum face, GLenum mode);
void webVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer);
void webNormalPointer(GLenum type, GLsizei stride, const void* pointer);
void webTexCoordPointer(GLint size, GLenum type, GLsizei stride, const void* pointer);
void webEnableClientState(GLenum array);
void webDisableClientState(GLenum array);
void webDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices);
// Internal formats become the data's format; GL_CLAMP becomes
// GL_CLAMP_TO_EDGE; pixel-store values other than the alignments are dropped.
void webTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                   GLenum format, GLenum type, const void* pixels);
void webCopyTexImage2D(GLenum target, GLint level, GLenum internalFormat, GLint x, GLint y, GLsizei width,
                       GLsizei height, GLint border);
void webTexParameteri(GLenum target, GLenum pname, GLint param);
void webPixelStorei(GLenum pname, GLint param);
void webReadBuffer(GLenum mode);
// GLU's, for unsigned bytes of 1 to 4 channels; GLU's error codes.
GLint webScaleImage(GLenum format, GLsizei wIn, GLsizei hIn, GLenum typeIn, const void* dataIn, GLsizei wOut,
                    GLsizei hOut, GLenum typeOut, GLvoid* dataOut);
GLint webBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height, GLenum format,
                        GLenum type, const void* data);
const GLubyte* webErrorString(GLenum error);
// GLU's matrices, multiplied into the current one.
void webPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar);
void webLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY, GLdouble centreZ,
               GLdouble upX, GLdouble upY, GLdouble upZ);
}
