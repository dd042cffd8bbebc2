#pragma once

#include "demo/ProgressListener.h"

#include <memory>

class ImageTexture;

// The picture shown while the show prepares itself: fades in, grows a little
// with every script line read, fades out before the music starts.
class DisclaimerScreen : public ProgressListener {
public:
    DisclaimerScreen();
    virtual ~DisclaimerScreen();

    void Load(const char* path);
    // One frame at the given brightness; does not present it.
    void Draw(float brightness);
    void FadeIn();
    void FadeOut();
    void Progress() override;

    float Scale() const { return scale; }

private:
    // Draw, present, then the 1 ms pause that paces a fade.
    void PresentFrame(float brightness);
    void Present();

    std::unique_ptr<ImageTexture> picture;
    float scale = 0.25f;
};
