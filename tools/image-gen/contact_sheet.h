// contact_sheet.h - one RGB picture showing all of the show's images as numbered thumbnails;
// transparent parts are shown over a grey checkerboard.
#pragma once

#include <vector>

#include "tools/image-gen/images.h"

GeneratedImage makeContactSheet(const std::vector<GeneratedImage>& images);
