// epoxy/gl.h for the browser build: WebGL2 is OpenGL ES 3.0, whose functions emscripten links
// directly, so the renderer's loader becomes the ES 3.0 headers and three queries answered from the
// context (always ES there).
#pragma once

#include <GLES3/gl3.h>
#include <cstring>

inline int epoxy_gl_version() {
    // "OpenGL ES 3.0 (WebGL 2.0 ...)": major and minor after "OpenGL ES ".
    const char* version = (const char*)glGetString(GL_VERSION);
    const char* digits = version ? std::strstr(version, "OpenGL ES ") : nullptr;
    if (!digits) return 0;
    digits += 10;
    return (digits[0] - '0') * 10 + (digits[2] - '0');
}

inline bool epoxy_is_desktop_gl() {
    return false;
}

inline bool epoxy_has_gl_extension(const char* name) {
    GLint count = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint i = 0; i < count; ++i) {
        const char* extension = (const char*)glGetStringi(GL_EXTENSIONS, (GLuint)i);
        if (extension && std::strcmp(extension, name) == 0) return true;
    }
    return false;
}
