// edit_files.h - the edit tests' file helpers: whole files read and written, a scratch copy of the
// source tree's data/ (the scene files, tracks.cpp and their headers) for edits to write into, and the
// scene module built from such a copy as the project builds it.
//
//     const fs::path root = scratchData("undo");       // /tmp/qz001-undo-<pid>/data/...
//     std::string text = readAll(root / "data" / "tracks.cpp");
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "data/scene_data.h"

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

#ifdef QZ_CXX_COMPILER
// The scene module from a scratch copy's data/ (its headers first), as the project's build makes it.
inline bool buildModule(const fs::path& root, const fs::path& module) {
    std::string command =
        std::string(QZ_CXX_COMPILER) +
        " -std=c++20 -O0 -fPIC -shared -ffp-contract=off -DQZ_SCENE_COUNT=" + std::to_string(kSceneCount) +
        " -I" + root.string() + " -I" + QZ_SOURCE_DIR;
    for (const char* file : {"scene_module.cpp", "scenes.cpp", "tracks.cpp"})
        command += " " + (root / "data" / file).string();
    for (const auto& entry : fs::directory_iterator(root / "data")) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("scene_", 0) == 0 && name[6] >= '0' && name[6] <= '9')
            command += " " + entry.path().string();
    }
    command += " -o " + module.string();
    return std::system(command.c_str()) == 0;
}
#endif

} // namespace edit_files
