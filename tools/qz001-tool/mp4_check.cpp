// mp4_check.cpp - a walk over the file's top-level boxes and through the index to each track's handler.
#include "tools/qz001-tool/mp4_check.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr uint64_t kMaxIndexBytes = 256u << 20; // far more than a whole-show capture's index

uint32_t readU32(const uint8_t* p) {
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

uint64_t readU64(const uint8_t* p) {
    return (uint64_t)readU32(p) << 32 | readU32(p + 4);
}

struct Box {
    char type[5];
    uint64_t header; // bytes before the payload
    uint64_t size;   // header and payload
};

// The box at `at` in a region of `end` bytes; false when its header or size does not fit.
bool boxAt(const uint8_t* head, uint64_t headBytes, uint64_t at, uint64_t end, Box& box) {
    if (headBytes < 8 || end - at < 8) return false;
    std::memcpy(box.type, head + 4, 4);
    box.type[4] = 0;
    box.header = 8;
    box.size = readU32(head);
    if (box.size == 1) {
        if (headBytes < 16 || end - at < 16) return false;
        box.size = readU64(head + 8);
        box.header = 16;
    } else if (box.size == 0) {
        box.size = end - at; // runs to the end of the region
    }
    return box.size >= box.header && box.size <= end - at;
}

// The payload of the first child box of `type` in `data`, or false.
bool findChild(const uint8_t* data, uint64_t size, const char* type, const uint8_t*& child,
               uint64_t& childSize) {
    uint64_t at = 0;
    Box box;
    while (at < size && boxAt(data + at, size - at, at, size, box)) {
        if (std::memcmp(box.type, type, 4) == 0) {
            child = data + at + box.header;
            childSize = box.size - box.header;
            return true;
        }
        at += box.size;
    }
    return false;
}

// Counts the video and audio tracks of the index.
bool countTracks(const std::vector<uint8_t>& moov, int& video, int& audio) {
    uint64_t at = 0;
    Box box;
    while (at < moov.size()) {
        if (!boxAt(moov.data() + at, moov.size() - at, at, moov.size(), box)) return false;
        const uint8_t *mdia = nullptr, *hdlr = nullptr;
        uint64_t mdiaSize = 0, hdlrSize = 0;
        if (std::memcmp(box.type, "trak", 4) == 0 &&
            findChild(moov.data() + at + box.header, box.size - box.header, "mdia", mdia, mdiaSize) &&
            findChild(mdia, mdiaSize, "hdlr", hdlr, hdlrSize) && hdlrSize >= 12) {
            video += std::memcmp(hdlr + 8, "vide", 4) == 0;
            audio += std::memcmp(hdlr + 8, "soun", 4) == 0;
        }
        at += box.size;
    }
    return true;
}

} // namespace

bool checkMp4Complete(const std::string& path, std::string& why) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return why = std::string("cannot read it back: ") + std::strerror(errno), false;
    std::fseek(file, 0, SEEK_END);
    const uint64_t fileSize = (uint64_t)ftello(file);
    bool ftyp = false, mdat = false, moov = false, whole = true;
    std::vector<uint8_t> index;
    uint64_t at = 0;
    while (at < fileSize) {
        uint8_t head[16];
        fseeko(file, (off_t)at, SEEK_SET);
        const size_t got = std::fread(head, 1, sizeof head, file);
        Box box;
        if (!boxAt(head, got, at, fileSize, box)) {
            whole = false;
            break;
        }
        ftyp = ftyp || std::memcmp(box.type, "ftyp", 4) == 0;
        mdat = mdat || std::memcmp(box.type, "mdat", 4) == 0;
        if (std::memcmp(box.type, "moov", 4) == 0 && !moov && box.size - box.header <= kMaxIndexBytes) {
            moov = true;
            index.resize(box.size - box.header);
            fseeko(file, (off_t)(at + box.header), SEEK_SET);
            whole = std::fread(index.data(), 1, index.size(), file) == index.size();
        }
        at += box.size;
    }
    std::fclose(file);
    int video = 0, audio = 0;
    if (fileSize == 0)
        why = "the file is empty";
    else if (!whole)
        why = "the file ends in the middle of a box (it was cut short)";
    else if (!ftyp)
        why = "it has no file type (ftyp box)";
    else if (!mdat)
        why = "it has no media data (mdat box)";
    else if (!moov)
        why = "it has no index (moov box)";
    else if (!countTracks(index, video, audio))
        why = "its index (moov box) is damaged";
    else if (video != 1 || audio != 1)
        why = "its index has " + std::to_string(video) + " video and " + std::to_string(audio) +
              " audio tracks, not one of each";
    else
        return true;
    return false;
}
