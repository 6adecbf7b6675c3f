// textures.cpp - PNG images decoded with libpng and uploaded as one-level RGBA8 textures; batches
// decode on worker threads and upload on the GL thread in table order.
#include "render/textures.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "render/device.h"
#include "render/png_io.h"

TextureEntry textures[kTextureTableSize];

namespace {

constexpr int kMaxDecodeThreads = 8;
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
constexpr bool kHasThreads = false; // the browser build has none: it decodes on the GL thread
#else
constexpr bool kHasThreads = true;
#endif

// Shared by the decoding workers (which take the next file in table order) and the uploading thread.
struct DecodeBatch {
    const PngFile* files;
    int count;
    std::atomic<int> next;
    std::mutex mutex;
    std::condition_variable decoded;
    bool done[kTextureTableSize];
    bool ok[kTextureTableSize];
    DecodedImage images[kTextureTableSize];
    char errors[kTextureTableSize][160];
};

void decodeWorker(DecodeBatch* batch) {
    for (int i = batch->next.fetch_add(1); i < batch->count; i = batch->next.fetch_add(1)) {
        const bool ok = decodePng(batch->files[i].data, batch->files[i].size, batch->images[i],
                                  batch->errors[i], sizeof batch->errors[i]);
        {
            std::lock_guard<std::mutex> lock(batch->mutex);
            batch->ok[i] = ok;
            batch->done[i] = true;
        }
        batch->decoded.notify_all();
    }
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

bool loadTextureBatch(TextureEntry* entries, const PngFile* files, int count, const char* label) {
    static DecodeBatch batch; // about 12 KiB of bookkeeping: kept off the stack
    count = std::min(count, kTextureTableSize);
    batch.files = files;
    batch.count = count;
    batch.next = 0;
    std::fill(batch.done, batch.done + kTextureTableSize, false);
    const int cores = (int)std::max(1u, std::thread::hardware_concurrency());
    const int workers = kHasThreads ? std::min({cores, kMaxDecodeThreads, std::max(count, 1)}) : 0;
    std::thread threads[kMaxDecodeThreads];
    for (int w = 0; w < workers; ++w) threads[w] = std::thread(decodeWorker, &batch);
    if (workers == 0) decodeWorker(&batch);

    bool ok = true;
    for (int i = 0; i < count; ++i) {
        {
            std::unique_lock<std::mutex> lock(batch.mutex);
            batch.decoded.wait(lock, [i] { return batch.done[i]; });
        }
        if (ok && !batch.ok[i]) {
            setRenderError("cannot decode %s %d: %s", label, i, batch.errors[i]);
            ok = false;
        }
        if (ok)
            uploadTexture(entries[i], batch.images[i].width, batch.images[i].height, batch.images[i].rgba);
        freeDecodedImage(batch.images[i]);
    }
    for (int w = 0; w < workers; ++w) threads[w].join();
    return ok;
}
