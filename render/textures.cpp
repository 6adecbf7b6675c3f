// textures.cpp - PNG images decoded (png_io.h) and uploaded as one-level RGBA8 textures. A batch
// decodes on worker threads into a few reused buffers; the GL thread uploads each image when a draw
// first asks for it, one a frame otherwise, or all in table order for loadTextureBatch.
#include "render/textures.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "render/device.h"
#include "render/png_io.h"
#include "render/png_plain.h"

TextureEntry textures[kTextureTableSize];

namespace {

constexpr int kMaxDecodeThreads = 4;
constexpr int kMaxSlots = 16;         // decoded images waiting for their upload: one per worker and one more
                                      // for any image, the rest only for wanted ones (see slotLimit)
constexpr int kOwnBuffer = kMaxSlots; // the GL thread's buffer, for an image decoded on demand
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
constexpr bool kHasThreads = false; // the browser build has none: it decodes on the GL thread
#else
constexpr bool kHasThreads = true;
#endif

enum class Stage : uint8_t {
    none,      // not in the batch
    waiting,   // not decoded yet, nobody at it
    decoding,  // a worker or the GL thread is at it
    decoded,   // in its slot's buffer, waiting for the upload
    uploading, // the GL thread is at it
    done,      // the texture is made
    failed,    // did not decode
};

// One batch in flight: shared by the workers (which take the next waiting image in table order when a
// slot is free) and the GL thread (which uploads, and decodes an image itself when a draw needs it
// before a worker got to it).
struct Loader {
    TextureEntry* entries;
    const PngFile* files;
    int count;
    const char* label;
    std::mutex mutex;
    std::condition_variable changed;
    Stage stage[kTextureTableSize];
    int8_t slotOf[kTextureTableSize];
    bool reported[kTextureTableSize]; // a failure told on stderr
    bool wanted[kTextureTableSize];   // a frame about to be drawn samples it: decoded before the others
    char errors[kTextureTableSize][160];
    uint32_t width[kTextureTableSize];
    uint32_t height[kTextureTableSize];
    uint8_t* buffers[kMaxSlots + 1];
    bool slotBusy[kMaxSlots];
    int slots;       // the slots any image may take; the ones above are for wanted images only
    size_t capacity; // bytes of each buffer: the batch's largest image
    int left;        // images neither done nor failed
    bool stopping;   // the process is ending: workers take no more images
    int workers;
    std::thread threads[kMaxDecodeThreads];
    bool holding;    // the workers take wanted images only (a prestarted batch, until a frame is shown)
    bool prestarted; // started before its step (prestartTextureLoads), which keeps it
    bool prestartOk;
    char prestartError[sizeof errors[0] + 64];
};

// Never destroyed: a process may end while workers still wait in it.
Loader& loader() {
    static Loader* l = new Loader();
    return *l;
}

// The first waiting image in table order, the wanted ones before the rest.
int nextWaiting(const Loader& l) {
    int first = -1;
    for (int i = 0; i < l.count; ++i) {
        if (l.stage[i] != Stage::waiting) continue;
        if (l.wanted[i]) return i;
        if (first < 0) first = i;
    }
    return first;
}

// A wanted image may take any free slot, so that the images of the first frame can all be decoded
// before the GL thread is ready to upload them; the others keep to one slot per worker and one more.
int slotLimit(const Loader& l, int image) {
    return image >= 0 && l.wanted[image] ? kMaxSlots : l.slots;
}

// What a worker takes next: the first waiting image, or while the batch holds, the first wanted one.
int nextForWorker(const Loader& l) {
    const int i = nextWaiting(l);
    return i >= 0 && l.holding && !l.wanted[i] ? -1 : i;
}

int freeSlot(const Loader& l, int image) {
    for (int s = 0; s < slotLimit(l, image); ++s)
        if (!l.slotBusy[s]) return s;
    return -1;
}

uint8_t* bufferOf(Loader& l, int buffer) {
    if (!l.buffers[buffer]) l.buffers[buffer] = (uint8_t*)std::malloc(l.capacity);
    return l.buffers[buffer];
}

bool decodeInto(Loader& l, int i, uint8_t* pixels) {
    if (!pixels) {
        std::snprintf(l.errors[i], sizeof l.errors[i], "out of memory for a %ux%u image", l.width[i],
                      l.height[i]);
        return false;
    }
    return decodePngInto(l.files[i].data, l.files[i].size, pixels, l.capacity, l.errors[i],
                         sizeof l.errors[i]);
}

// A buffer goes as soon as no image is left for it to hold, so the batch's end costs no memory; a slot
// only wanted images take goes at once.
void freeBufferIfUnneeded(Loader& l, int buffer) {
    const bool wantedOnly = buffer >= l.slots && buffer < kMaxSlots;
    if (!wantedOnly && nextWaiting(l) >= 0) return;
    std::free(l.buffers[buffer]);
    l.buffers[buffer] = nullptr;
}

void decodeWorker(Loader* l) {
    std::unique_lock<std::mutex> lock(l->mutex);
    for (;;) {
        l->changed.wait(lock, [l] {
            const int next = nextForWorker(*l);
            return l->stopping || nextWaiting(*l) < 0 || (next >= 0 && freeSlot(*l, next) >= 0);
        });
        const int i = nextForWorker(*l);
        if (i < 0 || l->stopping) return;
        const int slot = freeSlot(*l, i);
        l->stage[i] = Stage::decoding;
        l->slotOf[i] = (int8_t)slot;
        l->slotBusy[slot] = true;
        uint8_t* pixels = bufferOf(*l, slot);
        lock.unlock();
        const bool ok = decodeInto(*l, i, pixels);
        lock.lock();
        if (ok) {
            l->stage[i] = Stage::decoded;
        } else {
            l->stage[i] = Stage::failed;
            l->slotBusy[slot] = false;
            freeBufferIfUnneeded(*l, slot);
            --l->left;
        }
        l->changed.notify_all();
    }
}

// The GL thread's part: uploads image i from `pixels` (the lock is let go meanwhile).
void upload(Loader& l, int i, const uint8_t* pixels, std::unique_lock<std::mutex>& lock) {
    l.stage[i] = Stage::uploading;
    lock.unlock();
    uploadTexture(l.entries[i], l.width[i], l.height[i], pixels);
    lock.lock();
    l.stage[i] = Stage::done;
    --l.left;
}

void uploadFromSlot(Loader& l, int i, std::unique_lock<std::mutex>& lock) {
    const int slot = l.slotOf[i];
    upload(l, i, l.buffers[slot], lock);
    l.slotBusy[slot] = false;
    freeBufferIfUnneeded(l, slot);
    l.changed.notify_all();
}

// Makes image i's texture, whatever stage it is in; returns when it is done or failed.
// Decodes waiting image i on the GL thread and uploads it.
void decodeHere(Loader& l, int i, std::unique_lock<std::mutex>& lock) {
    l.stage[i] = Stage::decoding;
    uint8_t* pixels = bufferOf(l, kOwnBuffer);
    lock.unlock();
    const bool ok = decodeInto(l, i, pixels);
    lock.lock();
    if (ok) {
        upload(l, i, pixels, lock);
    } else {
        l.stage[i] = Stage::failed;
        --l.left;
    }
    freeBufferIfUnneeded(l, kOwnBuffer);
    l.changed.notify_all();
}

int nextWantedWaiting(const Loader& l) {
    const int i = nextWaiting(l);
    return i >= 0 && l.wanted[i] ? i : -1;
}

void complete(Loader& l, int i, std::unique_lock<std::mutex>& lock) {
    for (;;) {
        switch (l.stage[i]) {
        case Stage::none:
        case Stage::done:
        case Stage::failed:
            return;
        case Stage::decoded:
            uploadFromSlot(l, i, lock);
            break;
        case Stage::waiting:
            decodeHere(l, i, lock);
            break;
        case Stage::decoding: {
            // While a worker decodes it, another image the frame wants is better than waiting.
            const int other = nextWantedWaiting(l);
            if (other >= 0)
                decodeHere(l, other, lock);
            else
                l.changed.wait(lock);
            break;
        }
        case Stage::uploading:
            l.changed.wait(lock);
            break;
        }
    }
}

// Once every image is done or failed: the workers have nothing left and end; the buffers go.
void retireIfDone(Loader& l, std::unique_lock<std::mutex>& lock) {
    if (l.count == 0 || l.left > 0) return;
    lock.unlock();
    for (int w = 0; w < l.workers; ++w)
        if (l.threads[w].joinable()) l.threads[w].join();
    lock.lock();
    for (uint8_t*& buffer : l.buffers) {
        std::free(buffer);
        buffer = nullptr;
    }
    l.workers = 0;
    l.count = 0;
}

// A process that ends by exit (not _Exit) waits for the decodes under way, so that no worker runs
// while the libraries are torn down.
void stopWorkersAtExit() {
    Loader& l = loader();
    {
        std::lock_guard<std::mutex> lock(l.mutex);
        l.stopping = true;
    }
    l.changed.notify_all();
    for (int w = 0; w < l.workers; ++w)
        if (l.threads[w].joinable()) l.threads[w].join();
}

void reportFailure(Loader& l, int i) {
    if (l.stage[i] != Stage::failed || l.reported[i]) return;
    l.reported[i] = true;
    std::fprintf(stderr, "qz001: cannot decode %s %d: %s; it is drawn without its texture\n", l.label, i,
                 l.errors[i]);
}

} // namespace

void uploadTexture(TextureEntry& entry, uint32_t width, uint32_t height, const uint8_t* rgba) {
    entry = TextureEntry{};
    glGenTextures(1, &entry.texture);
    bindTextureForEdit(entry.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, (GLsizei)width, (GLsizei)height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 rgba);
    entry.view = entry.texture;
    entry.width = width;
    entry.height = height;
}

namespace {

// startTextureLoads itself; `hold`: the workers take only wanted images until uploadDecodedTextures.
bool startBatch(TextureEntry* entries, const PngFile* files, int count, const char* label, bool hold) {
    Loader& l = loader();
    finishTextureLoads();
    std::unique_lock<std::mutex> lock(l.mutex);
    l.holding = hold;
    count = std::clamp(count, 0, kTextureTableSize);
    // The headers first: every entry knows its size before any texture exists, and a file that is not
    // a PNG at all stops start-up here.
    int readable = count;
    char headerError[160] = "";
    size_t capacity = 0;
    for (int i = 0; i < count && readable == count; ++i) {
        uint32_t w = 0, h = 0;
        if (!readPngSize(files[i].data, files[i].size, w, h, headerError, sizeof headerError)) {
            readable = i;
            break;
        }
        entries[i] = TextureEntry{0, 0, h, w};
        l.width[i] = w;
        l.height[i] = h;
        l.stage[i] = Stage::waiting;
        l.reported[i] = false;
        l.wanted[i] = false;
        capacity = std::max(capacity, plainPngCapacity(w, h));
    }
    std::fill(l.stage + readable, l.stage + kTextureTableSize, Stage::none);
    l.entries = entries;
    l.files = files;
    l.count = readable;
    l.label = label;
    l.left = readable;
    l.capacity = capacity;
    std::fill(l.slotBusy, l.slotBusy + kMaxSlots, false);
    const int cores = (int)std::max(1u, std::thread::hardware_concurrency());
    // One core stays with the GL thread, which decodes too when a draw cannot wait.
    l.workers = kHasThreads && readable > 0 ? std::clamp(cores - 1, 1, kMaxDecodeThreads) : 0;
    l.slots = l.workers + 1;
    static const bool stopsAtExit = std::atexit(stopWorkersAtExit) == 0;
    (void)stopsAtExit;
    for (int w = 0; w < l.workers; ++w) l.threads[w] = std::thread(decodeWorker, &l);
    retireIfDone(l, lock);
    if (readable == count) return true;
    setRenderError("cannot decode %s %d: %s", label, readable, headerError);
    return false;
}

} // namespace

bool startTextureLoads(TextureEntry* entries, const PngFile* files, int count, const char* label) {
    Loader& l = loader();
    const bool keep = l.prestarted && l.entries == entries && l.files == files;
    l.prestarted = false;
    if (!keep) return startBatch(entries, files, count, label, false);
    if (!l.prestartOk) setRenderError("%s", l.prestartError);
    return l.prestartOk;
}

void prestartTextureLoads(TextureEntry* entries, const PngFile* files, int count, const char* label) {
    Loader& l = loader();
    l.prestarted = false;
    l.prestartOk = startBatch(entries, files, count, label, true);
    if (!l.prestartOk) std::snprintf(l.prestartError, sizeof l.prestartError, "%s", renderError());
    l.prestarted = true;
}

const TextureEntry& readyTexture(int index) {
    Loader& l = loader();
    static const TextureEntry none = {};
    if (index < 0 || index >= kTextureTableSize) return none;
    if (l.entries == textures && index < l.count) {
        std::unique_lock<std::mutex> lock(l.mutex);
        if (l.stage[index] != Stage::done) {
            complete(l, index, lock);
            reportFailure(l, index);
        }
        retireIfDone(l, lock);
    }
    return textures[index];
}

void wantTextures(const bool wanted[kTextureTableSize]) {
    Loader& l = loader();
    if (l.count == 0 || l.entries != textures) return;
    std::lock_guard<std::mutex> lock(l.mutex);
    bool any = false;
    for (int i = 0; i < l.count; ++i) {
        any = any || (wanted[i] && !l.wanted[i] && l.stage[i] == Stage::waiting);
        l.wanted[i] = l.wanted[i] || wanted[i];
    }
    if (any) l.changed.notify_all();
}

void uploadWantedTextures() {
    Loader& l = loader();
    std::unique_lock<std::mutex> lock(l.mutex);
    for (int i = 0; i < l.count; ++i)
        if (l.stage[i] == Stage::decoded && l.wanted[i]) uploadFromSlot(l, i, lock);
}

void uploadDecodedTextures(int count) {
    Loader& l = loader();
    if (l.count == 0) return;
    std::unique_lock<std::mutex> lock(l.mutex);
    if (l.holding) {
        l.holding = false;
        l.changed.notify_all();
    }
    for (int i = 0; i < l.count && count > 0; ++i) {
        if (l.stage[i] == Stage::decoded) {
            uploadFromSlot(l, i, lock);
            --count;
        }
        reportFailure(l, i);
    }
    if (count > 0 && l.workers == 0) {
        const int i = nextWaiting(l);
        if (i >= 0) complete(l, i, lock);
    }
    retireIfDone(l, lock);
}

bool finishTextureLoads() {
    Loader& l = loader();
    std::unique_lock<std::mutex> lock(l.mutex);
    const int count = l.count;
    int firstFailed = -1;
    for (int i = 0; i < count; ++i) {
        complete(l, i, lock);
        if (l.stage[i] == Stage::failed && firstFailed < 0) firstFailed = i;
    }
    if (firstFailed >= 0)
        setRenderError("cannot decode %s %d: %s", l.label, firstFailed, l.errors[firstFailed]);
    retireIfDone(l, lock);
    return firstFailed < 0;
}

int texturesLoading() {
    Loader& l = loader();
    std::lock_guard<std::mutex> lock(l.mutex);
    return l.left;
}

bool loadTextureBatch(TextureEntry* entries, const PngFile* files, int count, const char* label) {
    const bool headers = startTextureLoads(entries, files, count, label);
    if (!headers) {
        char error[1024];
        std::snprintf(error, sizeof error, "%s", renderError());
        finishTextureLoads();
        setRenderError("%s", error);
        return false;
    }
    return finishTextureLoads();
}
