// render_error.cpp - one buffer for the renderer's last error.
#include "render/render_error.h"

#include <cstdarg>
#include <cstdio>

static char errorText[16384];

const char* renderError() {
    return errorText;
}

void setRenderError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(errorText, sizeof errorText, format, args);
    va_end(args);
}
