// main.cpp - qz-image-gen: draws the show's 31 images into a folder as 00.png .. 30.png.
//
//     qz-image-gen data/images                        all images
//     qz-image-gen data/images --sheet docs/images.png  and the contact sheet
//
// The output is deterministic: the same program always writes the same bytes. Files are written
// under a temporary name and renamed into place. Exit status 0 on success, 1 on any failure.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/atomic_file.h"
#include "tools/image-gen/contact_sheet.h"
#include "tools/image-gen/png_write.h"

static int usage() {
    std::fprintf(stderr, "usage: qz-image-gen OUTDIR [--sheet FILE.png]\n");
    return 1;
}

static bool save(const GeneratedImage& img, const std::string& path) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!encodePng(img, bytes, error) || !writeBytesAtomically(path, bytes, error)) {
        std::fprintf(stderr, "qz-image-gen: %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    std::printf("  %s  %dx%d  %zu bytes\n", path.c_str(), img.width, img.height, bytes.size());
    return true;
}

int main(int argc, char** argv) {
    std::string outDir, sheet;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--sheet") == 0 && i + 1 < argc)
            sheet = argv[++i];
        else if (argv[i][0] == '-' || !outDir.empty())
            return usage();
        else
            outDir = argv[i];
    }
    if (outDir.empty()) return usage();

    std::vector<GeneratedImage> images;
    for (int i = 0; i < kImageCount; i++) {
        images.push_back(generateImage(i));
        char name[16];
        std::snprintf(name, sizeof name, "/%02d.png", i);
        std::printf("[%2d/%d]", i + 1, kImageCount);
        if (!save(images.back(), outDir + name)) return 1;
    }
    if (!sheet.empty()) {
        std::printf("[sheet]");
        if (!save(makeContactSheet(images), sheet)) return 1;
    }
    return 0;
}
