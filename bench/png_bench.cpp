// Decoding a 1024 by 1024 RGBA picture, and loading it from a file into a
// texture with its full mipmap chain, on the offscreen GL context.
#include "app/GLWindow.h"
#include "resources/PngDecoder.h"
#include "resources/PngLoader.h"

#include <GL/gl.h>
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// Smooth gradients with some grain: compresses about as well as artwork.
std::vector<uint8_t> EncodeTestPicture(uint32_t width, uint32_t height)
{
    std::vector<uint8_t> rgba(size_t(width) * height * 4);
    uint32_t seed = 12345;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            uint8_t* texel = &rgba[(size_t(y) * width + x) * 4];
            texel[0] = uint8_t(x * 255 / width + (seed >> 28));
            texel[1] = uint8_t(y * 255 / height);
            texel[2] = uint8_t((x + y) / 8);
            texel[3] = uint8_t(255 - ((seed >> 24) & 15));
        }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
    std::vector<uint8_t> file(size);
    png_image_write_to_memory(&image, file.data(), &size, 0, rgba.data(), 0, nullptr);
    file.resize(size);
    return file;
}

std::string WriteTestPicture(uint32_t width, uint32_t height)
{
    const std::vector<uint8_t> bytes = EncodeTestPicture(width, height);
    const std::string path = (std::filesystem::temp_directory_path()
                              / ("png-bench-" + std::to_string(width) + "x" + std::to_string(height) + ".png"))
                                 .string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return path;
}

void DecodeRgba(benchmark::State& state)
{
    const std::vector<uint8_t> file = EncodeTestPicture(1024, 1024);
    PngDecodeOptions options;
    options.bottomRowFirst = true;
    for (auto _ : state) {
        PngImage image;
        std::string error;
        if (!DecodePng(file.data(), file.size(), options, image, error))
            state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(image.pixels.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 1024 * 1024 * 4);
    state.counters["file_KiB"] = double(file.size()) / 1024.0;
}
BENCHMARK(DecodeRgba)->Unit(benchmark::kMillisecond);

void LoadIntoTexture(benchmark::State& state)
{
    const uint32_t width = uint32_t(state.range(0)), height = uint32_t(state.range(1));
    SDL_setenv("SDL_VIDEODRIVER", "offscreen", 1);
    GLWindow window;
    window.AllowMultisample(false);
    if (!window.Create({"bench", 64, 64, 32, false})) {
        state.SkipWithError("no offscreen GL context");
        return;
    }
    const std::string path = WriteTestPicture(width, height);
    pngSetStandardOrientation(1);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    for (auto _ : state) {
        pngInfo info{};
        if (!pngLoad(path.c_str(), PNG_BUILDMIPMAPS, PNG_ALPHA, &info))
            state.SkipWithError(pngLastError());
        glFinish();
    }
    std::filesystem::remove(path);
    window.Destroy();
}
// A power-of-two picture, then one GLU must first scale.
BENCHMARK(LoadIntoTexture)->Args({1024, 1024})->Args({1000, 750})->Unit(benchmark::kMillisecond);

} // namespace
