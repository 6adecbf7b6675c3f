// output_target_parts.h - what the two halves of the output checks share (output_target_posix.cpp and
// output_target_windows.cpp): the temporaries' and locks' names and the message helpers. Only the
// output target's own files include it.
#pragma once

#include <string>

namespace output_target_parts {

inline constexpr const char* kTempPrefix = ".qz001-";      // ".qz001-<pid>-<n>.partial"
inline constexpr const char* kTempSuffix = ".partial";     //
inline constexpr const char* kLockPrefix = ".qz001-lock-"; // + 16 hex digits of the output name's hash

std::string folderOfPath(const std::string& path);
std::string nameOfPath(const std::string& path);
// "cannot write PATH: WHY"; a path too long to read in a message is shown by its two ends.
std::string cannotWrite(const std::string& path, const std::string& why);
int processId();

} // namespace output_target_parts
