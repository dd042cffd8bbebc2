#pragma once

// Included before everything else in the browser build (and only there).
// WebGL with emscripten's fixed-function emulation lacks a few things the
// effects rely on: sphere-map texture coordinates, wireframe polygons,
// internal formats given as channel counts, GL_CLAMP, pixel-store row length
// and skips, glReadBuffer, GLU's image calls, and GLU's matrices (which it
// loads instead of multiplying). The calls are renamed here,
// declarations in the GL headers included, so that the layer in WebGL.cpp
// stands in for them while the effects' code stays as the desktop builds it.
// WebGL.cpp itself is built with DEMO_WEB_LAYER and reaches the real calls.
#ifndef DEMO_WEB_LAYER
#define glEnable webEnable
#define glDisable webDisable
#define glIsEnabled webIsEnabled
#define glTexGeni webTexGeni
#define glPolygonMode webPolygonMode
#define glVertexPointer webVertexPointer
#define glNormalPointer webNormalPointer
#define glTexCoordPointer webTexCoordPointer
#define glEnableClientState webEnableClientState
#define glDisableClientState webDisableClientState
#define glDrawElements webDrawElements
#define glTexImage2D webTexImage2D
#define glCopyTexImage2D webCopyTexImage2D
#define glTexParameteri webTexParameteri
#define glPixelStorei webPixelStorei
#define glReadBuffer webReadBuffer
#define gluBuild2DMipmaps webBuild2DMipmaps
#define gluScaleImage webScaleImage
#define gluErrorString webErrorString
#define gluPerspective webPerspective
#define gluLookAt webLookAt
#endif
