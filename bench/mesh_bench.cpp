// Loads one large generated 3D Studio file with our reader, lib3ds and assimp,
// and compares their time and peak memory.
//
// Peak memory is counted two ways: live heap bytes through a malloc wrapper
// (every allocation of every library goes through it), and the growth of the
// process's peak resident set during one load.
#include "resources/Mesh3DS.h"
#include "tests/support/ChunkWriter.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>
#include <lib3ds/file.h>
#include <lib3ds/mesh.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <time.h>

// ---- heap accounting -------------------------------------------------------

#if defined(__SANITIZE_ADDRESS__)
#define MESH_BENCH_HEAP_HOOKS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MESH_BENCH_HEAP_HOOKS 0
#endif
#endif
#ifndef MESH_BENCH_HEAP_HOOKS
#define MESH_BENCH_HEAP_HOOKS 1
#endif

namespace {
size_t g_liveBytes = 0;
size_t g_peakBytes = 0;

void Allocated(void* p)
{
    if (p == nullptr)
        return;
    g_liveBytes += malloc_usable_size(p);
    if (g_liveBytes > g_peakBytes)
        g_peakBytes = g_liveBytes;
}

void Freeing(void* p)
{
    if (p != nullptr)
        g_liveBytes -= malloc_usable_size(p);
}
} // namespace

#if MESH_BENCH_HEAP_HOOKS
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);

void* malloc(size_t size)
{
    void* p = __libc_malloc(size);
    Allocated(p);
    return p;
}

void* calloc(size_t count, size_t size)
{
    void* p = __libc_calloc(count, size);
    Allocated(p);
    return p;
}

void* realloc(void* old, size_t size)
{
    Freeing(old);
    void* p = __libc_realloc(old, size);
    Allocated(p != nullptr ? p : (size != 0 ? old : nullptr));
    return p;
}

void free(void* p)
{
    Freeing(p);
    __libc_free(p);
}

void* memalign(size_t alignment, size_t size)
{
    void* p = __libc_memalign(alignment, size);
    Allocated(p);
    return p;
}

void* aligned_alloc(size_t alignment, size_t size)
{
    return memalign(alignment, size);
}

int posix_memalign(void** out, size_t alignment, size_t size)
{
    *out = memalign(alignment, size);
    return *out != nullptr ? 0 : 12;
}
}
#endif

namespace {

// ---- the test file -----------------------------------------------------------

// 200 objects, each a bent grid of 26 x 31 vertices (1,500 triangles) with
// mapping coordinates and two material groups: 300,000 triangles, about 6 MB.
constexpr int kObjects = 200;
constexpr int kColumns = 26;
constexpr int kRows = 31;

void WriteGridObject(ChunkWriter& out, int index)
{
    char name[16];
    std::snprintf(name, sizeof name, "grid%03d", index);
    out.Begin(0x4000);
    out.String(name);
    out.Begin(0x4100);
    out.Begin(0x4110);
    out.U16(kColumns * kRows);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            out.F32(float(index % 20) * 30.0f + float(c));
            out.F32(float(index / 20) * 40.0f + float(r));
            out.F32(float((c * 7 + r * 3 + index) % 11) * 0.1f);
        }
    out.End();
    out.Begin(0x4140);
    out.U16(kColumns * kRows);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            out.F32(float(c) / (kColumns - 1));
            out.F32(float(r) / (kRows - 1));
        }
    out.End();
    const int faces = (kColumns - 1) * (kRows - 1) * 2;
    out.Begin(0x4120);
    out.U16(uint16_t(faces));
    for (int r = 0; r + 1 < kRows; ++r)
        for (int c = 0; c + 1 < kColumns; ++c) {
            const uint16_t a = uint16_t(r * kColumns + c);
            const uint16_t b = uint16_t(a + 1);
            const uint16_t d = uint16_t(a + kColumns);
            const uint16_t e = uint16_t(d + 1);
            for (uint16_t v : {a, b, e, uint16_t(7), a, e, d, uint16_t(7)})
                out.U16(v);
        }
    for (int group = 0; group < 2; ++group) {
        out.Begin(0x4130);
        out.String(group == 0 ? "stone" : "moss");
        out.U16(uint16_t(faces / 2));
        for (int f = group; f < faces; f += 2)
            out.U16(uint16_t(f));
        out.End();
    }
    out.End();
    out.End();
    out.End();
}

void WriteMaterial(ChunkWriter& out, const char* name, uint8_t r, uint8_t g, uint8_t b)
{
    out.Begin(0xAFFF);
    out.Begin(0xA000);
    out.String(name);
    out.End();
    out.Begin(0xA020);
    out.Begin(0x0011);
    out.U8(r);
    out.U8(g);
    out.U8(b);
    out.End();
    out.End();
    out.End();
}

const std::string& LargeMeshPath()
{
    static const std::string path = [] {
        ChunkWriter out;
        out.Begin(0x4D4D);
        out.Begin(0x3D3D);
        WriteMaterial(out, "stone", 120, 120, 130);
        WriteMaterial(out, "moss", 40, 140, 60);
        for (int i = 0; i < kObjects; ++i)
            WriteGridObject(out, i);
        out.End();
        out.End();
        const char* dir = std::getenv("TMPDIR");
        std::string file = std::string(dir != nullptr ? dir : "/tmp") + "/mesh_bench_large.3ds";
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(out.bytes.data()), std::streamsize(out.bytes.size()));
        return file;
    }();
    return path;
}

// ---- the three loaders -------------------------------------------------------

size_t LoadOurs(const std::string& path)
{
    Mesh3DS mesh;
    mesh.Load(path.c_str());
    size_t triangles = 0;
    for (const MeshObject& object : mesh.objects)
        triangles += size_t(object.indexCount / 3);
    return triangles;
}

size_t LoadLib3ds(const std::string& path)
{
    Lib3dsFile* file = lib3ds_file_load(path.c_str());
    size_t triangles = 0;
    if (file != nullptr) {
        for (Lib3dsMesh* mesh = file->meshes; mesh != nullptr; mesh = mesh->next)
            triangles += mesh->faces;
        lib3ds_file_free(file);
    }
    return triangles;
}

size_t LoadAssimp(const std::string& path)
{
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    size_t triangles = 0;
    if (scene != nullptr)
        for (unsigned i = 0; i < scene->mNumMeshes; ++i)
            triangles += scene->mMeshes[i]->mNumFaces;
    return triangles;
}

using Loader = size_t (*)(const std::string&);

struct Measure {
    double seconds;
    size_t peakHeap;
    long peakRssGrowthKb;
    size_t triangles;
};

long StatusKb(const char* field)
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr)
        return 0;
    char line[256];
    long value = 0;
    const size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, status) != nullptr)
        if (std::strncmp(line, field, length) == 0)
            value = std::atol(line + length);
    std::fclose(status);
    return value;
}

void ResetPeakRss()
{
    malloc_trim(0);
    if (std::FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", refs);
        std::fclose(refs);
    }
}

// CPU time of this process: the machine is shared, and wall time would count
// other processes' work.
double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

Measure MeasureOnce(Loader load, const std::string& path)
{
    ResetPeakRss();
    const long rssBefore = StatusKb("VmRSS:");
    const size_t liveBefore = g_liveBytes;
    g_peakBytes = g_liveBytes;
    const double start = CpuSeconds();
    const size_t triangles = load(path);
    const double stop = CpuSeconds();
    return {stop - start, g_peakBytes - liveBefore,
            StatusKb("VmHWM:") - rssBefore, triangles};
}

Measure MeasureBest(Loader load, const std::string& path, int runs)
{
    Measure best = MeasureOnce(load, path);
    for (int i = 1; i < runs; ++i) {
        const Measure next = MeasureOnce(load, path);
        if (next.seconds < best.seconds)
            best.seconds = next.seconds;
    }
    return best;
}

void Report(benchmark::State& state, Loader load)
{
    const std::string& path = LargeMeshPath();
    size_t triangles = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(triangles = load(path));
    const Measure memory = MeasureOnce(load, path);
    state.counters["triangles"] = double(triangles);
    state.counters["peak_heap_MB"] = double(memory.peakHeap) / 1e6;
    state.counters["peak_rss_growth_MB"] = double(memory.peakRssGrowthKb) / 1e3;
}

void BM_LoadOurs(benchmark::State& state)
{
    Report(state, LoadOurs);
}

void BM_LoadLib3ds(benchmark::State& state)
{
    Report(state, LoadLib3ds);
}

void BM_LoadAssimp(benchmark::State& state)
{
    Report(state, LoadAssimp);
}

// All three side by side, best CPU time of several loads each, with the
// ratios to ours.
void BM_CompareLoaders(benchmark::State& state)
{
    const std::string& path = LargeMeshPath();
    Measure ours{};
    Measure lib3ds{};
    Measure assimp{};
    for (auto _ : state) {
        ours = MeasureBest(LoadOurs, path, 5);
        lib3ds = MeasureBest(LoadLib3ds, path, 5);
        assimp = MeasureBest(LoadAssimp, path, 3);
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    std::fseek(file, 0, SEEK_END);
    state.counters["file_MB"] = double(std::ftell(file)) / 1e6;
    std::fclose(file);
    state.counters["triangles"] = double(ours.triangles);
    state.counters["ours_ms"] = ours.seconds * 1e3;
    state.counters["lib3ds_ms"] = lib3ds.seconds * 1e3;
    state.counters["assimp_ms"] = assimp.seconds * 1e3;
    state.counters["lib3ds_time_x"] = lib3ds.seconds / ours.seconds;
    state.counters["assimp_time_x"] = assimp.seconds / ours.seconds;
    state.counters["ours_heap_MB"] = double(ours.peakHeap) / 1e6;
    state.counters["lib3ds_heap_MB"] = double(lib3ds.peakHeap) / 1e6;
    state.counters["assimp_heap_MB"] = double(assimp.peakHeap) / 1e6;
    state.counters["lib3ds_heap_x"] = double(lib3ds.peakHeap) / double(ours.peakHeap);
    state.counters["ours_rss_MB"] = double(ours.peakRssGrowthKb) / 1e3;
    state.counters["lib3ds_rss_MB"] = double(lib3ds.peakRssGrowthKb) / 1e3;
    state.counters["assimp_rss_MB"] = double(assimp.peakRssGrowthKb) / 1e3;
}

} // namespace

BENCHMARK(BM_LoadOurs)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_LoadLib3ds)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_LoadAssimp)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_CompareLoaders)->Unit(benchmark::kMillisecond)->Iterations(1);
