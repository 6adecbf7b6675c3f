// gl_dialect.cpp - context attributes, support check and GLSL prelude of each OpenGL dialect.
#include "render/gl_dialect.h"

#include <SDL.h>
#include <cstring>
#include <epoxy/gl.h>

#include "render/render_error.h"

const char* glApiName(GlApi api) {
    return api == kGlEs ? "es" : "core";
}

bool parseGlApi(const char* text, GlApi& api) {
    if (std::strcmp(text, "core") == 0) {
        api = kGlCore;
        return true;
    }
    if (std::strcmp(text, "es") == 0) {
        api = kGlEs;
        return true;
    }
    return false;
}

const char* glApiTitle(GlApi api) {
    return api == kGlEs ? "OpenGL ES 3.0" : "OpenGL 3.3 core";
}

void requestGlAttributes(GlApi api) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, api == kGlEs ? 0 : 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK,
                        api == kGlEs ? SDL_GL_CONTEXT_PROFILE_ES : SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

bool checkGlSupport(GlApi api) {
    const int version = epoxy_gl_version();
    const bool desktop = epoxy_is_desktop_gl();
    const char* renderer = (const char*)glGetString(GL_RENDERER);
    if (desktop != (api == kGlCore) || version < (desktop ? 33 : 30)) {
        setRenderError(
            "OpenGL 3.3 or OpenGL ES 3.0 is required; asked for %s, the driver offers %s %d.%d (%s)",
            glApiTitle(api), desktop ? "OpenGL" : "OpenGL ES", version / 10, version % 10,
            renderer ? renderer : "no renderer");
        return false;
    }
    // ES renders to RGBA16F only with one of these (every WebGL2 browser has the first).
    if (!desktop && !epoxy_has_gl_extension("GL_EXT_color_buffer_float") &&
        !epoxy_has_gl_extension("GL_EXT_color_buffer_half_float")) {
        setRenderError("OpenGL ES %d.%d here (%s) cannot render to half-float targets: it has neither "
                       "EXT_color_buffer_float nor EXT_color_buffer_half_float",
                       version / 10, version % 10, renderer ? renderer : "no renderer");
        return false;
    }
    return true;
}

const char* glslPrelude(GlApi api) {
    if (api == kGlEs)
        return "#version 300 es\n"
               "precision highp float;\n"
               "precision highp int;\n"
               "precision highp sampler2D;\n";
    return "#version 330 core\n";
}
