// shader_library.cpp - joins the embedded GLSL and compiles one separable program per entry point.
#include "render/shader_library.h"

#include <cstdio>
#include <cstring>

#include "base/arena.h"

const char* const vertexShaderNames[kVertexShaderCount + 1] = {
    "A_0_debuglineVS", // 0
    "A_1_create_velocity_and_depthVS",
    "A_3_postprocessVS",
    "A_4_fxaaVS",
    "A_5_bloomHighlightVS",
    "A_6_gauss1VS", // 5
    "A_7_gauss2VS",
    "A_8_spriteVS",
    "A_backcubeVS",
    "baseAmbientVS",
    "baseCookVS", // 10
    "crashVS",
    "juliaVS",
    "neuronVS",
    "spikeVS",
    "testModelVS", // 15
    "testVS",
    "texTestVS",
    "x_cam_VS",
    nullptr,
};

const char* const pixelShaderNames[kPixelShaderCount + 1] = {
    "A_0_debuglinePS", // 0
    "A_1_create_velocity_and_depthPS",
    "A_3_postprocessPS",
    "A_4_fxaaPS",
    "A_5_bloomHighlightPS",
    "A_6_gauss1PS", // 5
    "A_7_gauss2PS",
    "A_8_spritePS",
    "A_backcubePS",
    "baseAmbientPS",
    "baseCookPS", // 10
    "crashPS",
    "hogePS",
    "juliaPS",
    "neuronPS",
    "spikePS", // 15
    "testModelPS",
    "testPS",
    "texTestPS",
    "x_cam_lookat_PS",
    "x_cam_pos_PS", // 20
    nullptr,
};

VertexShaderEntry vertexShaders[kShaderTableSize];
PixelShaderEntry pixelShaders[kShaderTableSize];
PixelShaderEntry compositeShaders[kCompositeVariantCount];

namespace {

// Compiles and links one stage with `defines` (lines of #define, may be empty) before the source;
// returns 0 and sets the render error with the log on failure.
GLuint compileStage(GLenum stage, const char* name, const char* defines, const char* source,
                    uint32_t length) {
    const bool vertex = stage == GL_VERTEX_SHADER;
    char prefix[320];
    std::snprintf(prefix, sizeof prefix,
                  "#version 450 core\n#define %s 1\n#define QZ_ENTRY %s\n%s%s#line 1\n",
                  vertex ? "QZ_VERTEX_STAGE" : "QZ_PIXEL_STAGE", name,
                  std::strcmp(name, "A_8_spritePS") == 0 ? "#define QZ_PIXEL_INPUT spritePixelInput()\n"
                                                         : "#define QZ_PIXEL_INPUT pixelInput()\n",
                  defines);
    const char* parts[2] = {prefix, source};
    const GLint lengths[2] = {(GLint)std::strlen(prefix), (GLint)length};

    GLuint shader = glCreateShader(stage);
    glShaderSource(shader, 2, parts, lengths);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    char log[8192] = "";
    if (!ok) {
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        glDeleteShader(shader);
        setRenderError("shader %s failed to compile:\n%s", name, log);
        return 0;
    }
    GLuint program = glCreateProgram();
    glProgramParameteri(program, GL_PROGRAM_SEPARABLE, GL_TRUE);
    glAttachShader(program, shader);
    glLinkProgram(program);
    glDetachShader(program, shader);
    glDeleteShader(shader);
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        glDeleteProgram(program);
        setRenderError("shader %s failed to link:\n%s", name, log);
        return 0;
    }
    return program;
}

} // namespace

VertexShaderEntry compileVertexShader(RenderDevice& dev, const char* name, const char* source,
                                      uint32_t length) {
    VertexShaderEntry entry = {};
    entry.program = compileStage(GL_VERTEX_SHADER, name, "", source, length);
    entry.layout = entry.program ? dev.meshLayout : 0;
    return entry;
}

PixelShaderEntry compilePixelShader(const char* name, const char* source, uint32_t length) {
    return PixelShaderEntry{compileStage(GL_FRAGMENT_SHADER, name, "", source, length)};
}

bool compileCompositeVariants(const char* source, uint32_t length) {
    const char* name = pixelShaderNames[kCompositeShader];
    for (int effects = 0; effects < kCompositeVariantCount; ++effects) {
        char defines[64];
        std::snprintf(defines, sizeof defines, "#define QZ_COMPOSITE_EFFECTS %d\n", effects);
        compositeShaders[effects] =
            PixelShaderEntry{compileStage(GL_FRAGMENT_SHADER, name, defines, source, length)};
        if (!compositeShaders[effects].program) return false;
    }
    return true;
}

const PixelShaderEntry& compositeShaderFor(bool dof, bool blur, bool bloom) {
    return compositeShaders[(dof ? kCompositeDof : 0) | (blur ? kCompositeBlur : 0) |
                            (bloom ? kCompositeBloom : 0)];
}

bool compileShaderLibrary(RenderDevice& dev, const char** failedEntry) {
    // The source: declarations then bodies in one zero-terminated buffer of the work arena.
    const uint32_t declLength = (uint32_t)std::strlen(shaderDeclarations);
    const uint32_t bodyLength = (uint32_t)std::strlen(shaderBodies);
    const uint32_t length = declLength + bodyLength;
    char* source = (char*)arenaReserve(length + 2);
    std::memcpy(source, shaderDeclarations, declLength);
    std::memcpy(source + declLength, shaderBodies, bodyLength);

    for (int k = 0; vertexShaderNames[k]; ++k) {
        vertexShaders[k] = compileVertexShader(dev, vertexShaderNames[k], source, length);
        if (!vertexShaders[k].program) {
            if (failedEntry) *failedEntry = vertexShaderNames[k];
            return false;
        }
    }
    for (int k = 0; pixelShaderNames[k]; ++k) {
        pixelShaders[k] = compilePixelShader(pixelShaderNames[k], source, length);
        if (!pixelShaders[k].program) {
            if (failedEntry) *failedEntry = pixelShaderNames[k];
            return false;
        }
    }
    if (!compileCompositeVariants(source, length)) {
        if (failedEntry) *failedEntry = pixelShaderNames[kCompositeShader];
        return false;
    }
    return true;
}

void bindShaders(RenderDevice& dev, const VertexShaderEntry& vs, const PixelShaderEntry& ps) {
    if (dev.boundVertexProgram != vs.program) {
        glUseProgramStages(dev.pipeline, GL_VERTEX_SHADER_BIT, vs.program);
        dev.boundVertexProgram = vs.program;
    }
    if (dev.boundPixelProgram != ps.program) {
        glUseProgramStages(dev.pipeline, GL_FRAGMENT_SHADER_BIT, ps.program);
        dev.boundPixelProgram = ps.program;
    }
    glBindVertexArray(vs.layout ? vs.layout : dev.emptyLayout);
}
