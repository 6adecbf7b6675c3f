// edit_files.h - the edit tests' file helpers: whole files read and written, and a scratch copy of the
// source tree's data/ (the scene files, tracks.cpp and their headers) for edits to write into.
//
//     const fs::path root = scratchData("undo");       // /tmp/qz001-undo-<pid>/data/...
//     std::string text = readAll(root / "data" / "tracks.cpp");
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace edit_files {

namespace fs = std::filesystem;

inline std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeAll(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline fs::path scratchData(const char* name) {
    const fs::path root =
        fs::temp_directory_path() / (std::string("qz001-") + name + "-" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "data");
    for (const auto& entry : fs::directory_iterator(fs::path(QZ_SOURCE_DIR) / "data")) {
        const auto ext = entry.path().extension();
        if (ext == ".cpp" || ext == ".h")
            fs::copy_file(entry.path(), root / "data" / entry.path().filename());
    }
    return root;
}

} // namespace edit_files
