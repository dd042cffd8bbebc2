// What WebGL under emscripten's fixed-function emulation lacks, done here in
// the layer (see WebGL.h for the calls that are routed through it).
#include "platform/web/WebLayer.h"

#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr GLenum kClamp = 0x2900; // GL_CLAMP, which WebGL does not know

struct ArrayPointer {
    GLint size = 0;
    GLsizei stride = 0;
    const void* pointer = nullptr;

    const float* At(GLuint index, GLint defaultSize) const
    {
        const GLsizei step = stride ? stride : GLsizei(sizeof(float)) * (size ? size : defaultSize);
        return reinterpret_cast<const float*>(static_cast<const uint8_t*>(pointer) + size_t(index) * size_t(step));
    }
};

struct LayerState {
    bool genS = false;
    bool genT = false;
    GLint modeS = GL_EYE_LINEAR;
    GLint modeT = GL_EYE_LINEAR;
    GLenum frontMode = GL_FILL;
    // Float arrays only; pointer is null for any other type.
    ArrayPointer vertices;
    ArrayPointer normals;
    ArrayPointer texCoords;
    bool vertexArray = false;
    bool normalArray = false;
    bool texCoordArray = false;
    std::vector<float> sphereCoords;
    std::vector<float> interleaved;
    std::vector<GLushort> lineIndices;
};

LayerState g_state;

bool SphereMapOn()
{
    return g_state.genS && g_state.genT && g_state.modeS == GL_SPHERE_MAP && g_state.modeT == GL_SPHERE_MAP &&
           g_state.normalArray && g_state.normals.pointer;
}

// The inverse of a column-major 4x4 matrix by cofactors; false when singular.
bool Invert(const float m[16], float out[16])
{
    float inv[16];
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] +
             m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] -
             m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] +
             m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] -
              m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] -
             m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] +
             m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] -
             m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] +
              m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
             m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] -
             m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] +
              m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] -
              m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] -
             m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
             m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
              m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
              m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
    const float det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    if (det == 0.0f)
        return false;
    for (int i = 0; i < 16; ++i)
        out[i] = inv[i] / det;
    return true;
}

// The texture coordinates fixed-function sphere mapping gives each vertex:
// the eye-space view vector (the modelview's product, w left aside) reflected
// about the eye-space normal. The normal goes through the inverse transpose
// of the whole modelview, not of its upper 3x3: the show puts its perspective
// in the modelview, where the two differ. It is not renormalised, as without
// GL_NORMALIZE.
void ComputeSphereCoords(GLuint vertexCount)
{
    float m[16], inv[16] = {};
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    Invert(m, inv);
    g_state.sphereCoords.resize(size_t(vertexCount) * 2);
    for (GLuint v = 0; v < vertexCount; ++v) {
        const float* p = g_state.vertices.At(v, 3);
        const float* n = g_state.normals.At(v, 3);
        float u[3];
        for (int r = 0; r < 3; ++r)
            u[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r];
        const float length = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
        if (length > 0.0f)
            for (float& x : u)
                x /= length;
        // Row r of the inverse transpose is column r of the inverse.
        float en[3];
        for (int r = 0; r < 3; ++r)
            en[r] = inv[r * 4] * n[0] + inv[r * 4 + 1] * n[1] + inv[r * 4 + 2] * n[2];
        const float dot = en[0] * u[0] + en[1] * u[1] + en[2] * u[2];
        const float rx = u[0] - 2.0f * en[0] * dot, ry = u[1] - 2.0f * en[1] * dot, rz = u[2] - 2.0f * en[2] * dot;
        const float mm = 2.0f * std::sqrt(rx * rx + ry * ry + (rz + 1.0f) * (rz + 1.0f));
        g_state.sphereCoords[v * 2] = mm > 0.0f ? rx / mm + 0.5f : 0.5f;
        g_state.sphereCoords[v * 2 + 1] = mm > 0.0f ? ry / mm + 0.5f : 0.5f;
    }
}

void SetClientState(GLenum array, bool on)
{
    if (array == GL_VERTEX_ARRAY)
        g_state.vertexArray = on;
    else if (array == GL_NORMAL_ARRAY)
        g_state.normalArray = on;
    else if (array == GL_TEXTURE_COORD_ARRAY)
        g_state.texCoordArray = on;
}

// The format WebGL 1 takes as internal format: the data's own.
GLenum InternalFormatFor(GLenum format)
{
    return format;
}

int ChannelsOf(GLenum format)
{
    switch (format) {
    case GL_ALPHA:
    case GL_LUMINANCE: return 1;
    case GL_LUMINANCE_ALPHA: return 2;
    case GL_RGB: return 3;
    case GL_RGBA: return 4;
    default: return 0;
    }
}

bool PowerOfTwo(GLsizei side)
{
    return side > 0 && (side & (side - 1)) == 0;
}

// GLU's scaling, to the same bytes: in 16 bits (each byte times 257), each
// output pixel the mean of the source area it covers (at least one source
// pixel wide, wrapping round at the edges), partly covered pixels by their
// share; exact halves as the mean of four.
void Scale(int channels, GLsizei wIn, GLsizei hIn, const uint8_t* in, GLsizei wOut, GLsizei hOut, uint8_t* out)
{
    const auto wide = [&](int x, int y, int k) {
        return float(in[(size_t(y) * size_t(wIn) + size_t(x)) * size_t(channels) + size_t(k)]) * 257.0f;
    };
    const float convX = float(wIn) / float(wOut), convY = float(hIn) / float(hOut);
    const bool halves = wIn == wOut * 2 && hIn == hOut * 2;
    float totals[4];
    for (GLsizei y = 0; y < hOut; ++y) {
        const float centreY = convY * (float(y) + 0.5f);
        const float halfY = hIn > hOut ? convY / 2 : 0.5f;
        const float lowY = centreY - halfY, highY = centreY + halfY;
        for (GLsizei x = 0; x < wOut; ++x) {
            uint8_t* to = out + (size_t(y) * size_t(wOut) + size_t(x)) * size_t(channels);
            if (halves) {
                for (int k = 0; k < channels; ++k) {
                    const int x0 = int(x) * 2, y0 = int(y) * 2;
                    const float sum =
                        wide(x0, y0, k) + wide(x0 + 1, y0, k) + wide(x0, y0 + 1, k) + wide(x0 + 1, y0 + 1, k);
                    to[k] = uint8_t((uint32_t(sum) + 2) / 4 >> 8);
                }
                continue;
            }
            const float centreX = convX * (float(x) + 0.5f);
            const float halfX = wIn > wOut ? convX / 2 : 0.5f;
            const float lowX = centreX - halfX, highX = centreX + halfX;
            std::fill(totals, totals + 4, 0.0f);
            float area = 0.0f;
            for (float sy = lowY; sy < highY; sy = std::floor(sy) + 1.0f) {
                const int row = (int(std::floor(sy)) + int(hIn)) % int(hIn);
                const float wy = std::min(highY, std::floor(sy) + 1.0f) - sy;
                for (float sx = lowX; sx < highX; sx = std::floor(sx) + 1.0f) {
                    const int column = (int(std::floor(sx)) + int(wIn)) % int(wIn);
                    const float share = wy * (std::min(highX, std::floor(sx) + 1.0f) - sx);
                    area += share;
                    for (int k = 0; k < channels; ++k)
                        totals[k] += wide(column, row, k) * share;
                }
            }
            for (int k = 0; k < channels; ++k)
                to[k] = uint8_t(uint32_t((totals[k] + 0.5f) / area) >> 8);
        }
    }
}

// One mipmap level from the one above: each pixel the mean of the four it
// covers, rounded, or of two (in a single row or column), not rounded, as
// GLU halves.
void Halve(int channels, GLsizei w, GLsizei h, const uint8_t* in, std::vector<uint8_t>& out)
{
    const GLsizei nw = std::max(w / 2, 1), nh = std::max(h / 2, 1);
    out.resize(size_t(nw) * size_t(nh) * size_t(channels));
    for (GLsizei y = 0; y < nh; ++y)
        for (GLsizei x = 0; x < nw; ++x)
            for (int k = 0; k < channels; ++k) {
                int sum = 0, count = 0;
                for (GLsizei dy = 0; dy < (h > 1 ? 2 : 1); ++dy)
                    for (GLsizei dx = 0; dx < (w > 1 ? 2 : 1); ++dx) {
                        const size_t sx = size_t(x * (w > 1 ? 2 : 1) + dx), sy = size_t(y * (h > 1 ? 2 : 1) + dy);
                        sum += in[(sy * size_t(w) + sx) * size_t(channels) + size_t(k)];
                        ++count;
                    }
                out[(size_t(y) * size_t(nw) + size_t(x)) * size_t(channels) + size_t(k)] =
                    uint8_t((sum + (count == 4 ? 2 : 0)) / count);
            }
}

} // namespace

extern "C" {

void webEnable(GLenum cap)
{
    if (cap == GL_TEXTURE_GEN_S)
        g_state.genS = true;
    else if (cap == GL_TEXTURE_GEN_T)
        g_state.genT = true;
    else if (cap != GL_TEXTURE_GEN_R && cap != GL_TEXTURE_GEN_Q)
        glEnable(cap);
}

void webDisable(GLenum cap)
{
    if (cap == GL_TEXTURE_GEN_S)
        g_state.genS = false;
    else if (cap == GL_TEXTURE_GEN_T)
        g_state.genT = false;
    else if (cap != GL_TEXTURE_GEN_R && cap != GL_TEXTURE_GEN_Q)
        glDisable(cap);
}

GLboolean webIsEnabled(GLenum cap)
{
    if (cap == GL_TEXTURE_GEN_S)
        return g_state.genS;
    if (cap == GL_TEXTURE_GEN_T)
        return g_state.genT;
    return glIsEnabled(cap);
}

void webTexGeni(GLenum coord, GLenum pname, GLint param)
{
    if (pname != GL_TEXTURE_GEN_MODE)
        return;
    if (coord == GL_S)
        g_state.modeS = param;
    else if (coord == GL_T)
        g_state.modeT = param;
}

void webPolygonMode(GLenum face, GLenum mode)
{
    if (face == GL_FRONT || face == GL_FRONT_AND_BACK)
        g_state.frontMode = mode;
}

void webVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    g_state.vertices = {size, stride, type == GL_FLOAT ? pointer : nullptr};
    glVertexPointer(size, type, stride, pointer);
}

void webNormalPointer(GLenum type, GLsizei stride, const void* pointer)
{
    g_state.normals = {3, stride, type == GL_FLOAT ? pointer : nullptr};
    glNormalPointer(type, stride, pointer);
}

void webTexCoordPointer(GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    g_state.texCoords = {size, stride, type == GL_FLOAT ? pointer : nullptr};
    glTexCoordPointer(size, type, stride, pointer);
}

void webEnableClientState(GLenum array)
{
    SetClientState(array, true);
    glEnableClientState(array);
}

void webDisableClientState(GLenum array)
{
    SetClientState(array, false);
    glDisableClientState(array);
}

// Indexed draws from client arrays, which is how the show draws its mesh.
// The emulation copies separate arrays into one only as far as the index
// count reaches, not as far as the indices do: the arrays are interleaved
// here, which it takes whole. Sphere-map coordinates are computed into them;
// a wireframe is drawn as each triangle's three edges.
void webDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices)
{
    if (type != GL_UNSIGNED_SHORT || count <= 0 || !indices || !g_state.vertexArray || !g_state.vertices.pointer) {
        glDrawElements(mode, count, type, indices);
        return;
    }
    const auto* index = static_cast<const GLushort*>(indices);
    const GLuint vertexCount = GLuint(*std::max_element(index, index + count)) + 1;
    const bool sphere = SphereMapOn();
    const bool normals = g_state.normalArray && g_state.normals.pointer;
    const bool texCoords = sphere || (g_state.texCoordArray && g_state.texCoords.pointer);
    if (sphere)
        ComputeSphereCoords(vertexCount);

    const GLint positionSize = std::clamp(g_state.vertices.size, 2, 4);
    const GLint texCoordSize = sphere ? 2 : std::clamp(g_state.texCoords.size, 1, 4);
    const size_t stride = size_t(positionSize) + (normals ? 3 : 0) + (texCoords ? size_t(texCoordSize) : 0);
    std::vector<float>& data = g_state.interleaved;
    data.resize(size_t(vertexCount) * stride);
    for (GLuint v = 0; v < vertexCount; ++v) {
        float* to = &data[v * stride];
        to = std::copy_n(g_state.vertices.At(v, 3), positionSize, to);
        if (normals)
            to = std::copy_n(g_state.normals.At(v, 3), 3, to);
        if (texCoords)
            std::copy_n(sphere ? &g_state.sphereCoords[v * 2] : g_state.texCoords.At(v, 2), texCoordSize, to);
    }
    const GLsizei bytes = GLsizei(stride * sizeof(float));
    glVertexPointer(positionSize, GL_FLOAT, bytes, data.data());
    if (normals)
        glNormalPointer(GL_FLOAT, bytes, data.data() + positionSize);
    if (texCoords)
        glTexCoordPointer(texCoordSize, GL_FLOAT, bytes, data.data() + positionSize + (normals ? 3 : 0));
    if (sphere)
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);

    if (mode == GL_TRIANGLES && g_state.frontMode == GL_LINE) {
        std::vector<GLushort>& lines = g_state.lineIndices;
        lines.clear();
        for (GLsizei t = 0; t + 2 < count; t += 3)
            lines.insert(lines.end(), {index[t], index[t + 1], index[t + 1], index[t + 2], index[t + 2], index[t]});
        glDrawElements(GL_LINES, GLsizei(lines.size()), GL_UNSIGNED_SHORT, lines.data());
    } else {
        glDrawElements(mode, count, type, indices);
    }

    const ArrayPointer& position = g_state.vertices;
    glVertexPointer(position.size, GL_FLOAT, position.stride, position.pointer);
    if (normals)
        glNormalPointer(GL_FLOAT, g_state.normals.stride, g_state.normals.pointer);
    if (texCoords && g_state.texCoords.pointer)
        glTexCoordPointer(g_state.texCoords.size, GL_FLOAT, g_state.texCoords.stride, g_state.texCoords.pointer);
    if (sphere && !g_state.texCoordArray)
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void webTexImage2D(GLenum target, GLint level, GLint, GLsizei width, GLsizei height, GLint border, GLenum format,
                   GLenum type, const void* pixels)
{
    glTexImage2D(target, level, GLint(InternalFormatFor(format)), width, height, border, format, type, pixels);
}

void webCopyTexImage2D(GLenum target, GLint level, GLenum internalFormat, GLint x, GLint y, GLsizei width,
                       GLsizei height, GLint border)
{
    // Channel counts and sized formats become the unsized format of as many
    // channels; the frame buffer has all four.
    GLenum format = GL_RGBA;
    if (internalFormat == 1 || internalFormat == GL_ALPHA || internalFormat == GL_ALPHA8)
        format = GL_ALPHA;
    else if (internalFormat == 3 || internalFormat == GL_RGB || internalFormat == GL_RGB8)
        format = GL_RGB;
    else if (internalFormat == GL_LUMINANCE || internalFormat == GL_LUMINANCE8)
        format = GL_LUMINANCE;
    glCopyTexImage2D(target, level, format, x, y, width, height, border);
}

void webTexParameteri(GLenum target, GLenum pname, GLint param)
{
    if ((pname == GL_TEXTURE_WRAP_S || pname == GL_TEXTURE_WRAP_T) && GLenum(param) == kClamp)
        param = GL_CLAMP_TO_EDGE;
    glTexParameteri(target, pname, param);
}

// Only the alignments exist in WebGL 1; the show sets the others to their
// defaults, which is what WebGL always uses.
void webPixelStorei(GLenum pname, GLint param)
{
    if (pname == GL_UNPACK_ALIGNMENT || pname == GL_PACK_ALIGNMENT)
        glPixelStorei(pname, param);
}

// WebGL reads the buffer being drawn, which is the back buffer.
void webReadBuffer(GLenum) {}

GLint webScaleImage(GLenum format, GLsizei wIn, GLsizei hIn, GLenum typeIn, const void* dataIn, GLsizei wOut,
                    GLsizei hOut, GLenum typeOut, GLvoid* dataOut)
{
    const int channels = ChannelsOf(format);
    if (channels == 0 || typeIn != GL_UNSIGNED_BYTE || typeOut != GL_UNSIGNED_BYTE)
        return GLU_INVALID_ENUM;
    if (wIn <= 0 || hIn <= 0 || wOut <= 0 || hOut <= 0 || !dataIn || !dataOut)
        return GLU_INVALID_VALUE;
    Scale(channels, wIn, hIn, static_cast<const uint8_t*>(dataIn), wOut, hOut, static_cast<uint8_t*>(dataOut));
    return 0;
}

GLint webBuild2DMipmaps(GLenum target, GLint, GLsizei width, GLsizei height, GLenum format, GLenum type,
                        const void* data)
{
    const int channels = ChannelsOf(format);
    if (channels == 0 || type != GL_UNSIGNED_BYTE)
        return GLU_INVALID_ENUM;
    if (width <= 0 || height <= 0 || !data)
        return GLU_INVALID_VALUE;
    std::vector<uint8_t> level(static_cast<const uint8_t*>(data),
                               static_cast<const uint8_t*>(data) + size_t(width) * size_t(height) * size_t(channels));
    // WebGL 1 mipmaps only power-of-two sides: the largest power of two not
    // above each side.
    if (!PowerOfTwo(width) || !PowerOfTwo(height)) {
        GLsizei w = 1, h = 1;
        while (w * 2 <= width)
            w *= 2;
        while (h * 2 <= height)
            h *= 2;
        std::vector<uint8_t> scaled(size_t(w) * size_t(h) * size_t(channels));
        Scale(channels, width, height, level.data(), w, h, scaled.data());
        level.swap(scaled);
        width = w;
        height = h;
    }
    GLint previousAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    std::vector<uint8_t> next;
    for (GLint n = 0;; ++n) {
        glTexImage2D(target, n, GLint(format), width, height, 0, format, GL_UNSIGNED_BYTE, level.data());
        if (width == 1 && height == 1)
            break;
        Halve(channels, width, height, level.data(), next);
        level.swap(next);
        width = std::max(width / 2, 1);
        height = std::max(height / 2, 1);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
    return 0;
}

// The emulation's GLU replaces the current matrix (and takes gluLookAt's
// arguments in the wrong order); GLU multiplies it.
void webPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    const double radians = fovy / 2 * M_PI / 180;
    const double depth = zFar - zNear, sine = std::sin(radians);
    if (depth == 0 || sine == 0 || aspect == 0)
        return;
    const double cotangent = std::cos(radians) / sine;
    const GLfloat m[16] = {GLfloat(cotangent / aspect), 0, 0, 0, 0, GLfloat(cotangent), 0, 0,
                           0, 0, GLfloat(-(zFar + zNear) / depth), -1, 0, 0, GLfloat(-2 * zNear * zFar / depth), 0};
    glMultMatrixf(m);
}

void webLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY, GLdouble centreZ,
               GLdouble upX, GLdouble upY, GLdouble upZ)
{
    const auto normalise = [](float v[3]) {
        const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (length != 0.0f)
            for (int i = 0; i < 3; ++i)
                v[i] /= length;
    };
    const auto cross = [](const float a[3], const float b[3], float out[3]) {
        out[0] = a[1] * b[2] - a[2] * b[1];
        out[1] = a[2] * b[0] - a[0] * b[2];
        out[2] = a[0] * b[1] - a[1] * b[0];
    };
    float forward[3] = {float(centreX - eyeX), float(centreY - eyeY), float(centreZ - eyeZ)};
    const float up[3] = {float(upX), float(upY), float(upZ)};
    float side[3], newUp[3];
    normalise(forward);
    cross(forward, up, side);
    normalise(side);
    cross(side, forward, newUp);
    const GLfloat m[16] = {side[0], newUp[0], -forward[0], 0, side[1], newUp[1], -forward[1], 0,
                           side[2], newUp[2], -forward[2], 0, 0, 0, 0, 1};
    glMultMatrixf(m);
    glTranslatef(GLfloat(-eyeX), GLfloat(-eyeY), GLfloat(-eyeZ));
}

const GLubyte* webErrorString(GLenum error)
{
    const char* text = "unknown error";
    switch (error) {
    case GL_NO_ERROR: text = "no error"; break;
    case GL_INVALID_ENUM: text = "invalid enumerant"; break;
    case GL_INVALID_VALUE: text = "invalid value"; break;
    case GL_INVALID_OPERATION: text = "invalid operation"; break;
    case GL_OUT_OF_MEMORY: text = "out of memory"; break;
    case GLU_INVALID_ENUM: text = "invalid enumerant"; break;
    case GLU_INVALID_VALUE: text = "invalid value"; break;
    case GLU_OUT_OF_MEMORY: text = "out of memory"; break;
    default: break;
    }
    return reinterpret_cast<const GLubyte*>(text);
}

} // extern "C"
