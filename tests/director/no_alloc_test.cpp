// no_alloc_test.cpp - an evaluation of a scene, 1024-instance draws included, performs no heap
// allocation. Every operator new and malloc of this test program goes through the counters below.
#include <cstdlib>
#include <new>

#include "data/scene_data.h"
#include "director/music_levels.h"
#include "tests/director/graph_fixture.h"

extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* p, size_t size);
extern "C" void __libc_free(void* p);

static bool counting = false;
static int allocations = 0;

extern "C" void* malloc(size_t size) {
    if (counting) ++allocations;
    return __libc_malloc(size);
}
extern "C" void* calloc(size_t count, size_t size) {
    if (counting) ++allocations;
    return __libc_calloc(count, size);
}
extern "C" void* realloc(void* p, size_t size) {
    if (counting) ++allocations;
    return __libc_realloc(p, size);
}
extern "C" void free(void* p) {
    __libc_free(p);
}

void* operator new(size_t size) {
    if (counting) ++allocations;
    void* p = __libc_malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    return p;
}
void* operator new[](size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    __libc_free(p);
}
void operator delete[](void* p) noexcept {
    __libc_free(p);
}
void operator delete(void* p, size_t) noexcept {
    __libc_free(p);
}
void operator delete[](void* p, size_t) noexcept {
    __libc_free(p);
}

static bool zeroSpectrum(void*, float* out, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) out[i] = 0.5f;
    return true;
}

TEST(NoAllocation, EvaluationAllocatesNothing) {
    TestGraph g;
    allocDirectorTables();
    convertSceneData(sceneTable, embeddedTracks);
    g.tracks[0] = embeddedTracks[0];
    setSpectrumSource(SpectrumSource{zeroSpectrum, nullptr});
    // A graph touching every kind of operation: lattice, random, clock, tracks (summed too),
    // spectrum, rotations, sprites, lines, 1024-instance draws into both lists, a sub-scene.
    g.slot(0, kOpGrid, {}, {32, 32, 1, 1, 1}, 1024);
    g.slot(1, kOpRandom, {}, {0.5f, -1, 1}, 1024);
    g.slot(2, kOpFrameTime, {}, {1}, 1);
    g.slot(3, kOpTrackSample, {2}, {0, 1, 0, 1}, 1);
    g.slot(4, kOpSpectrumScaled, {}, {512, 0, 2}, 16);
    g.slot(5, kOpRotateByInput, {0, 1}, {}, 1024);
    g.slot(6, kOpRotateFixed, {5}, {0.1f, 0.2f, 0.3f}, 1024);
    g.slot(7, kOpDrawMesh, {6, 1, 1, 4, 3}, {20, 1024, 17, 18, 15, 0}, 1);
    g.slot(8, kOpDrawMesh, {0, 1, 1}, {20, 1024, 17, 18, 25, 1}, 1);
    g.slot(9, kOpSprite, {4, 4, 4}, {3, 8, 1}, 1);
    g.slot(10, kOpLineStrip, {4}, {}, 1);
    g.slot(11, kOpCamera, {3, 0}, {}, 1);
    g.slot(12, kOpSubScene, {}, {1}, 1);
    g.slot(13, kOpTransition, {2}, {2}, 1);
    localFrame = 30;
    g.frame(); // warm up: any lazy initialisation happens here
    endFrameOutputs(frameSettings, &lineList);

    allocations = 0;
    counting = true;
    for (int f = 31; f < 40; ++f) {
        localFrame = f;
        g.frame();
        endFrameOutputs(frameSettings, &lineList);
    }
    counting = false;
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(drawListOpaque.count, 1024u + 64u); // scene 1 joined through subScene
    EXPECT_EQ(drawListBlended.count, 1024u);
    setSpectrumSource(SpectrumSource{});
    localFrame = 0;

    // The counters do see an allocation (so the check above can fail).
    counting = true;
    void* p = std::malloc(16);
    counting = false;
    std::free(p);
    EXPECT_EQ(allocations, 1);
}
