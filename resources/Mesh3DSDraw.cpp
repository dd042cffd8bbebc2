#include "resources/Mesh3DS.h"

#include "resources/Texture.h"

void Mesh3DS::Draw() const
{
    if (!visible)
        return;
    glPushMatrix();
    if (overridePolygonMode) {
        glPolygonMode(GL_FRONT, frontPolygonMode);
        glPolygonMode(GL_BACK, backPolygonMode);
    }
    glTranslatef(position[0], position[1], position[2]);
    glRotatef(rotation[0], 1.0f, 0.0f, 0.0f);
    glRotatef(rotation[1], 0.0f, 1.0f, 0.0f);
    glRotatef(rotation[2], 0.0f, 0.0f, 1.0f);
    glScalef(scale, scale, scale);
    for (const MeshObject& object : objects) {
        if (!object.visible)
            continue;
        DrawObject(object);
        if (showNormals)
            DrawNormals(object);
    }
    glPopMatrix();
}

void Mesh3DS::DrawObject(const MeshObject& object) const
{
    const float grey = object.alpha * alpha;
    glColor4f(grey, grey, grey, grey);
    // Every object has coordinates of its own after loading (the planar ones
    // when the file gave none), so the array never points at another object's.
    const bool ownCoords = object.texCoords.size() >= object.vertices.size() && !object.vertices.empty();
    if (ownCoords) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, object.texCoords.data());
    } else {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glNormalPointer(GL_FLOAT, 0, object.normals.data());
    glVertexPointer(3, GL_FLOAT, 0, object.vertices.data());

    for (const FaceGroup& group : object.groups) {
        if (textured) {
            // A group without a texture of its own is drawn untextured
            // rather than with whatever the previous group bound.
            Texture* texture = group.material >= 0 && group.material < materialCount
                                   ? materials[group.material].texture
                                   : nullptr;
            if (texture != nullptr)
                texture->Bind();
            else
                glDisable(GL_TEXTURE_2D);
        }
        glPushMatrix();
        glTranslatef(object.position[0], object.position[1], object.position[2]);
        glRotatef(object.rotation[2], 0.0f, 0.0f, 1.0f);
        glRotatef(object.rotation[1], 0.0f, 1.0f, 0.0f);
        glRotatef(object.rotation[0], 1.0f, 0.0f, 0.0f);
        const size_t held = group.indices.size();
        const GLsizei count = group.indexCount >= 0 && size_t(group.indexCount) <= held ? group.indexCount : GLsizei(held);
        glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_SHORT, group.indices.data());
        glPopMatrix();
    }
}

void Mesh3DS::DrawNormals(const MeshObject& object) const
{
    if (object.vertices.empty())
        return;
    glDisable(GL_TEXTURE_2D);
    if (lighting)
        glDisable(GL_LIGHTING);
    glColor3f(0.0f, 0.0f, 1.0f);
    glBegin(GL_LINES);
    for (size_t i = 0; i < object.vertices.size() && i < object.normals.size(); ++i) {
        const Float3& v = object.vertices[i];
        const Float3& n = object.normals[i];
        glVertex3f(v.x, v.y, v.z);
        glVertex3f(v.x + n.x, v.y + n.y, v.z + n.z);
    }
    glEnd();
    glColor3f(1.0f, 1.0f, 1.0f);
    if (lighting)
        glEnable(GL_LIGHTING);
}
