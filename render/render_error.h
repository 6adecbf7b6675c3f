// render_error.h - the renderer's last error: what creating the device, compiling a shader or loading a
// texture could not do, one line or a compiler's log.
//
//     if (!createDevice(window, false, dev)) die(renderError());
//     setRenderError("cannot open %s", name);   // inside the renderer
#pragma once

#include "base/printf_check.h"

const char* renderError();
void setRenderError(const char* format, ...) QZ_PRINTF_CHECK(1, 2);
