// The GL 1.x functions that the player, the GLU archive it links and the
// package's tests call directly (extensions are fetched where they are used).
// Each line: GL_FUNCTION(result, name, (parameters), (arguments)). A call
// missing here fails the package build's link, naming the function.
GL_FUNCTION(void, glBegin, (GLenum mode), (mode))
GL_FUNCTION(void, glBindTexture, (GLenum target, GLuint texture), (target, texture))
GL_FUNCTION(void, glBlendFunc, (GLenum source, GLenum destination), (source, destination))
GL_FUNCTION(void, glClear, (GLbitfield mask), (mask))
GL_FUNCTION(void, glClearColor, (GLclampf r, GLclampf g, GLclampf b, GLclampf a), (r, g, b, a))
GL_FUNCTION(void, glClearDepth, (GLclampd depth), (depth))
GL_FUNCTION(void, glColor3f, (GLfloat r, GLfloat g, GLfloat b), (r, g, b))
GL_FUNCTION(void, glColor4f, (GLfloat r, GLfloat g, GLfloat b, GLfloat a), (r, g, b, a))
GL_FUNCTION(void, glCopyTexImage2D,
            (GLenum target, GLint level, GLenum format, GLint x, GLint y, GLsizei w, GLsizei h, GLint border),
            (target, level, format, x, y, w, h, border))
GL_FUNCTION(void, glDeleteTextures, (GLsizei n, const GLuint* textures), (n, textures))
GL_FUNCTION(void, glDepthFunc, (GLenum func), (func))
GL_FUNCTION(void, glDisable, (GLenum cap), (cap))
GL_FUNCTION(void, glDisableClientState, (GLenum cap), (cap))
GL_FUNCTION(void, glDrawElements, (GLenum mode, GLsizei count, GLenum type, const GLvoid* indices),
            (mode, count, type, indices))
GL_FUNCTION(void, glEnable, (GLenum cap), (cap))
GL_FUNCTION(void, glEnableClientState, (GLenum cap), (cap))
GL_FUNCTION(void, glEnd, (void), ())
GL_FUNCTION(void, glFlush, (void), ())
GL_FUNCTION(void, glGenTextures, (GLsizei n, GLuint* textures), (n, textures))
GL_FUNCTION(GLenum, glGetError, (void), ())
GL_FUNCTION(void, glGetIntegerv, (GLenum name, GLint* values), (name, values))
GL_FUNCTION(const GLubyte*, glGetString, (GLenum name), (name))
GL_FUNCTION(void, glGetTexLevelParameteriv, (GLenum target, GLint level, GLenum name, GLint* values),
            (target, level, name, values))
GL_FUNCTION(void, glHint, (GLenum target, GLenum mode), (target, mode))
GL_FUNCTION(GLboolean, glIsEnabled, (GLenum cap), (cap))
GL_FUNCTION(void, glLoadIdentity, (void), ())
GL_FUNCTION(void, glMatrixMode, (GLenum mode), (mode))
GL_FUNCTION(void, glMultMatrixd, (const GLdouble* m), (m))
GL_FUNCTION(void, glMultMatrixf, (const GLfloat* m), (m))
GL_FUNCTION(void, glNormalPointer, (GLenum type, GLsizei stride, const GLvoid* pointer), (type, stride, pointer))
GL_FUNCTION(void, glOrtho, (GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f),
            (l, r, b, t, n, f))
GL_FUNCTION(void, glPixelStorei, (GLenum name, GLint value), (name, value))
GL_FUNCTION(void, glPolygonMode, (GLenum face, GLenum mode), (face, mode))
GL_FUNCTION(void, glPopAttrib, (void), ())
GL_FUNCTION(void, glPopMatrix, (void), ())
GL_FUNCTION(void, glPushAttrib, (GLbitfield mask), (mask))
GL_FUNCTION(void, glPushMatrix, (void), ())
GL_FUNCTION(void, glReadBuffer, (GLenum mode), (mode))
GL_FUNCTION(void, glReadPixels, (GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type, GLvoid* pixels),
            (x, y, w, h, format, type, pixels))
GL_FUNCTION(void, glRotatef, (GLfloat angle, GLfloat x, GLfloat y, GLfloat z), (angle, x, y, z))
GL_FUNCTION(void, glScissor, (GLint x, GLint y, GLsizei w, GLsizei h), (x, y, w, h))
GL_FUNCTION(void, glScalef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))
GL_FUNCTION(void, glShadeModel, (GLenum mode), (mode))
GL_FUNCTION(void, glTexCoord2f, (GLfloat s, GLfloat t), (s, t))
GL_FUNCTION(void, glTexCoordPointer, (GLint size, GLenum type, GLsizei stride, const GLvoid* pointer),
            (size, type, stride, pointer))
GL_FUNCTION(void, glTexGeni, (GLenum coord, GLenum name, GLint value), (coord, name, value))
GL_FUNCTION(void, glTexImage1D,
            (GLenum target, GLint level, GLint internal, GLsizei w, GLint border, GLenum format, GLenum type,
             const GLvoid* pixels),
            (target, level, internal, w, border, format, type, pixels))
GL_FUNCTION(void, glTexImage2D,
            (GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h, GLint border, GLenum format,
             GLenum type, const GLvoid* pixels),
            (target, level, internal, w, h, border, format, type, pixels))
// GLU's 3D mipmaps, never built here, still name it.
GL_FUNCTION(void, glTexImage3D,
            (GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h, GLsizei d, GLint border,
             GLenum format, GLenum type, const GLvoid* pixels),
            (target, level, internal, w, h, d, border, format, type, pixels))
GL_FUNCTION(void, glTexParameteri, (GLenum target, GLenum name, GLint value), (target, name, value))
GL_FUNCTION(void, glTexSubImage2D,
            (GLenum target, GLint level, GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type,
             const GLvoid* pixels),
            (target, level, x, y, w, h, format, type, pixels))
GL_FUNCTION(void, glTranslated, (GLdouble x, GLdouble y, GLdouble z), (x, y, z))
GL_FUNCTION(void, glTranslatef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))
GL_FUNCTION(void, glVertex2f, (GLfloat x, GLfloat y), (x, y))
GL_FUNCTION(void, glVertex2i, (GLint x, GLint y), (x, y))
GL_FUNCTION(void, glVertex3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))
GL_FUNCTION(void, glVertexPointer, (GLint size, GLenum type, GLsizei stride, const GLvoid* pointer),
            (size, type, stride, pointer))
GL_FUNCTION(void, glViewport, (GLint x, GLint y, GLsizei w, GLsizei h), (x, y, w, h))
