// mp4_check.h - is an MP4 file that ffmpeg says it finished really complete?
//
//     std::string why;
//     if (!checkMp4Complete(".qz001-4711-2.partial", why)) fail(why);   // "it has no index (moov box)"
//
// ffmpeg can exit 0 after failing to write the file's index (a full disk while it writes the trailer),
// so the capture looks at the file itself: its top-level boxes must cover the file exactly, with the
// file type, the media data and the index, and the index must hold one video and one audio track.
#pragma once

#include <string>

bool checkMp4Complete(const std::string& path, std::string& why);
