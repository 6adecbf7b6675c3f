// png_plain.cpp - plain 8-bit RGB and RGBA PNGs decoded with libdeflate and our own unfiltering.
#include "render/png_plain.h"

#include <cstdlib>
#include <cstring>
#include <libdeflate.h>

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr uint32_t kMaxSide = 1u << 14; // larger sides go to libpng; every size below fits 32 bits
constexpr uint8_t kColorRgb = 2, kColorRgba = 6;

uint32_t readBig32(const uint8_t* p) {
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

struct Chunk {
    uint32_t length;
    const uint8_t* type; // 4 bytes, then `length` data bytes
};

struct PlainFile {
    uint32_t width, height, channels;
    const uint8_t* idat; // the first IDAT's data
    uint32_t idatChunks;
    size_t idatBytes;
};

// The chunk at `at`, if it lies whole in the file and its CRC is right.
bool readChunk(const uint8_t* data, uint32_t size, uint32_t at, Chunk& chunk) {
    if (size - at < 12) return false;
    chunk.length = readBig32(data + at);
    if (chunk.length > size - at - 12) return false;
    chunk.type = data + at + 4;
    const uint32_t crc = readBig32(chunk.type + 4 + chunk.length);
    return libdeflate_crc32(0, chunk.type, (size_t)chunk.length + 4) == crc;
}

bool readHeader(const Chunk& c, PlainFile& f) {
    if (c.length != 13 || std::memcmp(c.type, "IHDR", 4) != 0) return false;
    const uint8_t* h = c.type + 4;
    f.width = readBig32(h);
    f.height = readBig32(h + 4);
    const uint8_t depth = h[8], color = h[9], compression = h[10], filter = h[11], interlace = h[12];
    if (f.width == 0 || f.height == 0 || f.width > kMaxSide || f.height > kMaxSide) return false;
    if (depth != 8 || (color != kColorRgb && color != kColorRgba)) return false;
    if (compression != 0 || filter != 0 || interlace != 0) return false;
    f.channels = color == kColorRgba ? 4 : 3;
    return true;
}

// The header, then IDAT chunks, then IEND; any other chunk declines the file.
bool scanFile(const uint8_t* data, uint32_t size, PlainFile& f) {
    if (size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0) return false;
    uint32_t at = sizeof kSignature;
    Chunk c;
    if (!readChunk(data, size, at, c) || !readHeader(c, f)) return false;
    at += 12 + c.length;
    f.idat = nullptr;
    f.idatChunks = 0;
    f.idatBytes = 0;
    for (;;) {
        if (!readChunk(data, size, at, c)) return false;
        if (std::memcmp(c.type, "IEND", 4) == 0) return c.length == 0 && f.idatChunks > 0;
        if (std::memcmp(c.type, "IDAT", 4) != 0) return false;
        if (!f.idat) f.idat = c.type + 4;
        ++f.idatChunks;
        f.idatBytes += c.length;
        at += 12 + c.length;
    }
}

// The image data of every IDAT chunk in one piece: the first chunk's own bytes when there is one.
const uint8_t* joinIdats(const PlainFile& f, uint8_t*& joined) {
    joined = nullptr;
    if (f.idatChunks == 1) return f.idat;
    joined = (uint8_t*)std::malloc(f.idatBytes);
    if (!joined) return nullptr;
    size_t filled = 0;
    const uint8_t* chunk = f.idat - 8; // its length field
    for (uint32_t k = 0; k < f.idatChunks; ++k) {
        const uint32_t length = readBig32(chunk);
        std::memcpy(joined + filled, chunk + 8, length);
        filled += length;
        chunk += 12 + length;
    }
    return joined;
}

uint8_t paeth(int a, int b, int c) {
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    return (uint8_t)(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// Undoes one row's filter in place; `prev` is the row above, already unfiltered (zeros for the first).
bool unfilterRow(uint8_t filter, uint8_t* row, const uint8_t* prev, size_t bytes, size_t bpp) {
    switch (filter) {
    case 0:
        return true;
    case 1:
        for (size_t i = bpp; i < bytes; ++i) row[i] = (uint8_t)(row[i] + row[i - bpp]);
        return true;
    case 2:
        for (size_t i = 0; i < bytes; ++i) row[i] = (uint8_t)(row[i] + prev[i]);
        return true;
    case 3:
        for (size_t i = 0; i < bpp; ++i) row[i] = (uint8_t)(row[i] + (prev[i] >> 1));
        for (size_t i = bpp; i < bytes; ++i) row[i] = (uint8_t)(row[i] + ((row[i - bpp] + prev[i]) >> 1));
        return true;
    case 4:
        for (size_t i = 0; i < bpp; ++i) row[i] = (uint8_t)(row[i] + prev[i]);
        for (size_t i = bpp; i < bytes; ++i)
            row[i] = (uint8_t)(row[i] + paeth(row[i - bpp], prev[i], prev[i - bpp]));
        return true;
    }
    return false;
}

void storeRow(const uint8_t* row, uint32_t width, uint32_t channels, uint8_t* out) {
    if (channels == 4) {
        std::memcpy(out, row, (size_t)width * 4);
        return;
    }
    for (uint32_t x = 0; x < width; ++x, row += 3, out += 4) {
        out[0] = row[0];
        out[1] = row[1];
        out[2] = row[2];
        out[3] = 255;
    }
}

// The filtered rows lie at the end of the buffer; row y goes to the buffer's start, in RGBA, only after
// rows 0..y have been read: the writes never reach a row still to be read (see plainPngCapacity).
bool unfilterImage(const PlainFile& f, const uint8_t* filtered, uint8_t* rgba) {
    const size_t bytes = (size_t)f.width * f.channels;
    uint8_t* rows = (uint8_t*)std::calloc(2, bytes); // the row being unfiltered and the one above
    if (!rows) return false;
    uint8_t* row = rows;
    uint8_t* prev = rows + bytes;
    bool ok = true;
    for (uint32_t y = 0; y < f.height && ok; ++y) {
        const uint8_t* line = filtered + (size_t)y * (bytes + 1);
        std::memcpy(row, line + 1, bytes);
        ok = unfilterRow(line[0], row, prev, bytes, f.channels);
        storeRow(row, f.width, f.channels, rgba + (size_t)y * f.width * 4);
        uint8_t* swap = prev;
        prev = row;
        row = swap;
    }
    std::free(rows);
    return ok;
}

} // namespace

size_t plainPngCapacity(uint32_t width, uint32_t height) {
    return ((size_t)width * 4 + 1) * height;
}

bool decodePlainPng(const uint8_t* data, uint32_t size, uint8_t* rgba, size_t capacity) {
    PlainFile f;
    if (!data || !scanFile(data, size, f)) return false;
    const size_t filteredBytes = ((size_t)f.width * f.channels + 1) * f.height;
    if (capacity < (size_t)f.width * f.height * 4 || capacity < filteredBytes) return false;
    uint8_t* joined = nullptr;
    const uint8_t* stream = joinIdats(f, joined);
    libdeflate_decompressor* inflater = stream ? libdeflate_alloc_decompressor() : nullptr;
    uint8_t* filtered = rgba + capacity - filteredBytes;
    size_t inflated = 0;
    const bool whole = inflater &&
                       libdeflate_zlib_decompress(inflater, stream, f.idatBytes, filtered, filteredBytes,
                                                  &inflated) == LIBDEFLATE_SUCCESS &&
                       inflated == filteredBytes;
    libdeflate_free_decompressor(inflater);
    std::free(joined);
    return whole && unfilterImage(f, filtered, rgba);
}
