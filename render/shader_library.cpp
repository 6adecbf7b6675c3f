// shader_library.cpp - joins the embedded GLSL, compiles one shader per entry point and links the pairs
// in use into programs.
#include "render/shader_library.h"

#include <cstdio>
#include <cstring>

#include "base/arena.h"
#include "render/block_layout.h"
#include "render/gl_dialect.h"

namespace {

// A name table read from an entry list: its names in order, then a null.
template <int N> struct EntryNames { const char* names[N + 1]; };

template <int N> constexpr EntryNames<N> entryNamesOf(const EnumNames& list) {
    EntryNames<N> table = {};
    for (int k = 0; k < N; ++k) table.names[k] = enumName(list, k);
    return table;
}

constexpr EnumNames kVertexEntries = readEnumNames(shader_entry::VertexShaderIdText);
constexpr EnumNames kPixelEntries = readEnumNames(shader_entry::PixelShaderIdText);
static_assert(kVertexEntries.ok && kVertexEntries.last == kVertexShaderCount - 1);
static_assert(kPixelEntries.ok && kPixelEntries.last == kPixelShaderCount - 1);
// Not const: through a constant table the compiler reads the names in the lists' text itself and
// misjudges where they end (false warnings on every strcmp and %s).
EntryNames<kVertexShaderCount> vertexNames = entryNamesOf<kVertexShaderCount>(kVertexEntries);
EntryNames<kPixelShaderCount> pixelNames = entryNamesOf<kPixelShaderCount>(kPixelEntries);

// The screen-space shaders sit at the same place in both lists.
static_assert((int)shader_entry::A_1_create_velocity_and_depthPS == kVelocityShader &&
              (int)shader_entry::A_3_postprocessPS == kCompositeShader &&
              (int)shader_entry::A_4_fxaaPS == kFxaaShader &&
              (int)shader_entry::A_5_bloomHighlightPS == kBloomHighlightShader &&
              (int)shader_entry::A_6_gauss1PS == kGaussHorizontalShader &&
              (int)shader_entry::A_7_gauss2PS == kGaussVerticalShader &&
              (int)shader_entry::A_8_spritePS == kSpriteShader);

} // namespace

const char* const* const vertexShaderNames = vertexNames.names;
const char* const* const pixelShaderNames = pixelNames.names;

VertexShaderEntry vertexShaders[kShaderTableSize];
PixelShaderEntry pixelShaders[kShaderTableSize];
PixelShaderEntry compositeShaders[kCompositeVariantCount];

namespace {

// Program table: one slot per vertex shader and pixel shader or composite variant.
constexpr int kPixelColumnCount = kShaderTableSize + kCompositeVariantCount;
LinkedProgram linkedPrograms[kShaderTableSize][kPixelColumnCount];
uint32_t lateLinks;
bool startUpLinked; // linkShaderPrograms has run: later links are late

struct BindingPoint {
    const char* name;
    GLuint binding;
};

// Constant blocks at their register numbers b0..b6 (common.glsl names the two second uses apart).
constexpr BindingPoint kBlockBindings[] = {
    {"PerFrameData", 0},    {"PerObjectData", 1}, {"PostEffectData", 2}, {"GaussFilterData", 3},
    {"PostEffectData4", 4}, {"OneTimeData", 5},   {"OneTimeData6", 6},
};

// Samplers at their texture units t0..t7.
constexpr BindingPoint kSamplerBindings[] = {
    {"colorMap", kColorMapUnit},       {"velocityAndDepthMap", kVelocityDepthUnit},
    {"bloomMap", kBloomMapUnit},       {"postEffectRT", kPostEffectUnit},
    {"backBufferRT", kBackBufferUnit}, {"dofBokhRT", kDofBokehUnit},
    {"sprite", kSpriteUnit},           {"colorTex", kColorTexUnit},
};
static_assert(sizeof kSamplerBindings / sizeof kSamplerBindings[0] == kTextureUnitCount);

// The sprite's pixel entry reads the sprite vertex's outputs; every other entry the common ones.
bool isSpritePixelEntry(const char* name) {
    return std::strcmp(name, pixelShaderNames[kSpriteShader]) == 0;
}

// "#define QZ_EFFECT_DEPTH_OF_FIELD 1\n" and so on for every post effect, then QZ_EFFECTS_ALL.
struct EffectDefines {
    char text[768];
    bool ok; // it fits
};

constexpr void appendText(EffectDefines& d, int& used, const char* s, bool upper = false) {
    for (; *s && used < (int)sizeof d.text - 1; ++s)
        d.text[used++] = upper && *s >= 'a' && *s <= 'z' ? (char)(*s - 'a' + 'A') : *s;
}

constexpr void appendNumber(EffectDefines& d, int& used, int n) {
    char digits[12] = {};
    int count = 0;
    do digits[count++] = (char)('0' + n % 10);
    while ((n /= 10) > 0);
    while (count > 0 && used < (int)sizeof d.text - 1) d.text[used++] = digits[--count];
}

constexpr EffectDefines effectDefinesOf() {
    EffectDefines d = {};
    int used = 0;
    for (int k = 0; k < kPostEffectCount; ++k) {
        appendText(d, used, "#define QZ_EFFECT_");
        appendText(d, used, kPostEffects[k].name, true);
        appendText(d, used, " ");
        appendNumber(d, used, 1 << k);
        appendText(d, used, "\n");
    }
    appendText(d, used, "#define QZ_EFFECTS_ALL ");
    appendNumber(d, used, kCompositeVariantCount - 1);
    appendText(d, used, "\n");
    d.ok = used < (int)sizeof d.text - 1;
    return d;
}

static_assert(effectDefinesOf().ok, "the post effects' #defines fit");
EffectDefines effectDefines = effectDefinesOf(); // not const: see vertexNames

// Compiles one stage with `defines` (lines of #define, may be empty) before the source; returns 0 and
// sets the render error with the log on failure.
GLuint compileStage(const RenderDevice& dev, GLenum stage, const char* name, const char* defines,
                    const char* source, uint32_t length) {
    const bool vertex = stage == GL_VERTEX_SHADER;
    char prefix[1536];
    std::snprintf(prefix, sizeof prefix, "%s#define %s 1\n#define QZ_ENTRY %s\n%s%s%s#line 1\n",
                  glslPrelude(dev.api), vertex ? "QZ_VERTEX_STAGE" : "QZ_PIXEL_STAGE", name,
                  !vertex && isSpritePixelEntry(name) ? "#define QZ_PIXEL_INPUT spritePixelInput()\n"
                                                      : "#define QZ_PIXEL_INPUT pixelInput()\n",
                  effectDefines.text, defines);
    const char* parts[2] = {prefix, source};
    const GLint lengths[2] = {(GLint)std::strlen(prefix), (GLint)length};

    GLuint shader = glCreateShader(stage);
    glShaderSource(shader, 2, parts, lengths);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok) return shader;
    char log[8192] = "";
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    glDeleteShader(shader);
    setRenderError("shader %s failed to compile:\n%s", name, log);
    return 0;
}

const char* pixelEntryName(int index) {
    if (index >= kShaderTableSize) return pixelShaderNames[kCompositeShader];
    return index >= 0 && index < kPixelShaderCount ? pixelShaderNames[index] : "(outside the table)";
}

const char* vertexEntryName(int index) {
    return index >= 0 && index < kVertexShaderCount ? vertexShaderNames[index] : "(outside the table)";
}

LinkedProgram linkPair(RenderDevice& dev, const VertexShaderEntry& vs, const PixelShaderEntry& ps) {
    GLuint program = glCreateProgram();
    glAttachShader(program, vs.shader);
    glAttachShader(program, ps.shader);
    glLinkProgram(program);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[8192] = "";
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        glDeleteProgram(program);
        setRenderError("shaders %s and %s failed to link:\n%s", vertexEntryName(vs.index),
                       pixelEntryName(ps.index), log);
        return LinkedProgram{0, -1};
    }
    setBindingPoints(dev, program);
    return LinkedProgram{program, glGetUniformLocation(program, "spriteAlphaToCoverage")};
}

bool inTable(const VertexShaderEntry& vs, const PixelShaderEntry& ps) {
    return vs.index >= 0 && vs.index < kShaderTableSize && ps.index >= 0 && ps.index < kPixelColumnCount;
}

bool linkIntoTable(RenderDevice& dev, const VertexShaderEntry& vs, const PixelShaderEntry& ps) {
    if (!vs.shader || !ps.shader || !inTable(vs, ps)) return true; // nothing a draw could use
    LinkedProgram& slot = linkedPrograms[vs.index][ps.index];
    if (!slot.program) slot = linkPair(dev, vs, ps);
    return slot.program != 0;
}

} // namespace

void setBindingPoints(RenderDevice& dev, GLuint program) {
    for (const BindingPoint& b : kBlockBindings) {
        const GLuint block = glGetUniformBlockIndex(program, b.name);
        if (block != GL_INVALID_INDEX) glUniformBlockBinding(program, block, b.binding);
    }
    glUseProgram(program);
    dev.boundProgram = program;
    for (const BindingPoint& b : kSamplerBindings) {
        const GLint location = glGetUniformLocation(program, b.name);
        if (location >= 0) glUniform1i(location, (GLint)b.binding);
    }
}

VertexShaderEntry compileVertexShader(RenderDevice& dev, const char* name, const char* source,
                                      uint32_t length) {
    return VertexShaderEntry{compileStage(dev, GL_VERTEX_SHADER, name, "", source, length), -1};
}

PixelShaderEntry compilePixelShader(RenderDevice& dev, const char* name, const char* source,
                                    uint32_t length) {
    return PixelShaderEntry{compileStage(dev, GL_FRAGMENT_SHADER, name, "", source, length), -1};
}

bool compileCompositeVariants(RenderDevice& dev, const char* source, uint32_t length) {
    const char* name = pixelShaderNames[kCompositeShader];
    for (int effects = 0; effects < kCompositeVariantCount; ++effects) {
        char defines[64];
        std::snprintf(defines, sizeof defines, "#define QZ_COMPOSITE_EFFECTS %d\n", effects);
        compositeShaders[effects] = PixelShaderEntry{
            compileStage(dev, GL_FRAGMENT_SHADER, name, defines, source, length), kShaderTableSize + effects};
        if (!compositeShaders[effects].shader) return false;
    }
    return true;
}

const PixelShaderEntry& compositeShaderFor(const FrameSettings& settings) {
    return compositeShaders[compositeEffectsOf(settings)];
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
        vertexShaders[k].index = k;
        if (!vertexShaders[k].shader) {
            if (failedEntry) *failedEntry = vertexShaderNames[k];
            return false;
        }
    }
    for (int k = 0; pixelShaderNames[k]; ++k) {
        pixelShaders[k] = compilePixelShader(dev, pixelShaderNames[k], source, length);
        pixelShaders[k].index = k;
        if (!pixelShaders[k].shader) {
            if (failedEntry) *failedEntry = pixelShaderNames[k];
            return false;
        }
    }
    if (!compileCompositeVariants(dev, source, length)) {
        if (failedEntry) *failedEntry = pixelShaderNames[kCompositeShader];
        return false;
    }
    return true;
}

//-----------------------------------------------------------------------------
// Live reload
//-----------------------------------------------------------------------------

namespace {

// Everything a reload replaces, kept so that a failed reload can put it back.
struct ShaderTables {
    VertexShaderEntry vertex[kShaderTableSize];
    PixelShaderEntry pixel[kShaderTableSize];
    PixelShaderEntry composite[kCompositeVariantCount];
    LinkedProgram programs[kShaderTableSize][kPixelColumnCount];
};

ShaderTables saved;
char reloadSource[kShaderReloadCapacity];
char reloadError[16384];

void saveTables(ShaderTables& t) {
    std::memcpy(t.vertex, vertexShaders, sizeof t.vertex);
    std::memcpy(t.pixel, pixelShaders, sizeof t.pixel);
    std::memcpy(t.composite, compositeShaders, sizeof t.composite);
    std::memcpy(t.programs, linkedPrograms, sizeof t.programs);
}

void restoreTables(const ShaderTables& t) {
    std::memcpy(vertexShaders, t.vertex, sizeof t.vertex);
    std::memcpy(pixelShaders, t.pixel, sizeof t.pixel);
    std::memcpy(compositeShaders, t.composite, sizeof t.composite);
    std::memcpy(linkedPrograms, t.programs, sizeof t.programs);
}

// Deletes every shader and program of `t` (glDelete* ignores the zeros of empty slots).
void deleteTables(const ShaderTables& t) {
    for (const LinkedProgram(&row)[kPixelColumnCount] : t.programs)
        for (const LinkedProgram& p : row) glDeleteProgram(p.program);
    for (const VertexShaderEntry& e : t.vertex) glDeleteShader(e.shader);
    for (const PixelShaderEntry& e : t.pixel) glDeleteShader(e.shader);
    for (const PixelShaderEntry& e : t.composite) glDeleteShader(e.shader);
}

// Each file's lines are numbered from its own multiple of kFileLineSpan: some compilers report an
// error inside an expression with the source number of the first file, never with the wrong line, so
// the line alone says which file it lies in.
constexpr int kFileLineSpan = 100000;

// Joins the files, each after "#line F*kFileLineSpan+1 F" (F: its place in `files`). False when they
// do not fit.
bool joinFiles(const ShaderFileText* files, int fileCount, uint32_t& length) {
    length = 0;
    for (int f = 0; f < fileCount; ++f) {
        char line[48];
        const int n = std::snprintf(line, sizeof line, "#line %d %d\n", f * kFileLineSpan + 1, f);
        if (length + (uint32_t)n + files[f].length + 2 > kShaderReloadCapacity) return false;
        std::memcpy(reloadSource + length, line, (size_t)n);
        std::memcpy(reloadSource + length + n, files[f].text, files[f].length);
        length += (uint32_t)n + files[f].length;
        if (files[f].length && files[f].text[files[f].length - 1] != '\n') reloadSource[length++] = '\n';
    }
    reloadSource[length] = 0;
    return true;
}

// The function whose definition holds line `line` of `file` (its header or its body), from the
// braces at the outermost level; false when the line lies outside every function.
bool functionAtLine(const ShaderFileText& file, int line, char* name, size_t size) {
    int depth = 0;
    bool inside = false;
    const char* p = file.text;
    const char* end = file.text + file.length;
    for (int at = 1; p < end && at <= line; ++at) {
        const char* lineEnd = (const char*)std::memchr(p, '\n', (size_t)(end - p));
        if (!lineEnd) lineEnd = end;
        char header[128];
        int used = 0;
        const bool opens = depth == 0 &&
                           std::sscanf(p, "%*[A-Za-z0-9_] %127[A-Za-z0-9_] %n", header, &used) == 1 &&
                           used > 0 && p + used < lineEnd && p[used] == '(';
        if (opens) std::snprintf(name, size, "%s", header);
        inside = inside || opens;
        bool closes = false;
        for (const char* c = p; c < lineEnd && !(c[0] == '/' && c + 1 < lineEnd && c[1] == '/'); ++c) {
            depth += *c == '{' ? 1 : *c == '}' ? -1 : 0;
            closes = closes || *c == '}' || (opens && *c == ';');
        }
        if (at == line) return inside;
        if (depth <= 0 && closes) inside = false, depth = 0;
        p = lineEnd + 1;
    }
    return false;
}

// The render error with each "N:LINE" or "N(LINE)" at a line's start turned into "file.glsl:LINE" (the
// file from the line's span), headed by where the first error lies: every entry compiles every file,
// so the first entry compiled meets any error first, and its name would say nothing.
void nameFilesInError(const ShaderFileText* files, int fileCount) {
    const char* in = renderError();
    size_t out = 0;
    char entry[128];
    int used = 0, firstFile = -1, firstLine = 0;
    const bool compileLog =
        std::sscanf(in, "shader %127s failed to compile:%n", entry, &used) == 1 && used > 0;
    if (compileLog) in += used;
    bool lineStart = true;
    while (*in && out + 64 < sizeof reloadError) {
        int source = -1, line = 0;
        used = 0;
        if (lineStart && (std::sscanf(in, "%d:%d%n", &source, &line, &used) == 2 ||
                          std::sscanf(in, "%d(%d)%n", &source, &line, &used) == 2)) {
            const int file = line / kFileLineSpan;
            if (file >= 0 && file < fileCount) {
                if (firstFile < 0) firstFile = file, firstLine = line % kFileLineSpan;
                out += (size_t)std::snprintf(reloadError + out, sizeof reloadError - out, "%s:%d",
                                             files[file].name, line % kFileLineSpan);
                in += used;
                lineStart = false;
                continue;
            }
        }
        lineStart = *in == '\n' || (lineStart && (*in == ' ' || *in == '\t'));
        reloadError[out++] = *in++;
    }
    reloadError[out] = 0;
    char function[128];
    if (!compileLog)
        setRenderError("%s", reloadError);
    else if (firstFile < 0)
        setRenderError("the saved shaders do not compile (the driver named no line; every entry "
                       "compiles every file):%s",
                       reloadError);
    else if (functionAtLine(files[firstFile], firstLine, function, sizeof function))
        setRenderError("the saved shaders do not compile (the first error lies in %s, %s:%d):%s", function,
                       files[firstFile].name, firstLine, reloadError);
    else
        setRenderError("the saved shaders do not compile (the first error lies outside any function, "
                       "%s:%d):%s",
                       files[firstFile].name, firstLine, reloadError);
}

// Every entry the renderer draws with must be defined by some file: a renamed one is named as such.
bool everyEntryDefined() {
    const char* const* lists[2] = {vertexShaderNames, pixelShaderNames};
    for (const char* const* names : lists)
        for (int k = 0; names[k]; ++k) {
            char call[96];
            std::snprintf(call, sizeof call, "%s(", names[k]);
            if (std::strstr(reloadSource, call)) continue;
            setRenderError("no shader file defines the entry %s any more (renamed or removed?): the "
                           "renderer draws with it",
                           names[k]);
            return false;
        }
    return true;
}

// Every linked program's constant blocks as the renderer uploads them.
bool blocksAsUploaded() {
    char error[256];
    for (const auto& row : linkedPrograms)
        for (const LinkedProgram& p : row)
            if (p.program && !checkBlockLayouts(p.program, error, sizeof error)) {
                setRenderError("the saved shaders change a constant block: %s", error);
                return false;
            }
    return true;
}

// Compiles every entry of the joined source into the tables, then links every pair `linked` holds.
bool compileAndLink(RenderDevice& dev, uint32_t length, const ShaderTables& linked) {
    for (int k = 0; vertexShaderNames[k]; ++k) {
        vertexShaders[k] = compileVertexShader(dev, vertexShaderNames[k], reloadSource, length);
        vertexShaders[k].index = k;
        if (!vertexShaders[k].shader) return false;
    }
    for (int k = 0; pixelShaderNames[k]; ++k) {
        pixelShaders[k] = compilePixelShader(dev, pixelShaderNames[k], reloadSource, length);
        pixelShaders[k].index = k;
        if (!pixelShaders[k].shader) return false;
    }
    if (!compileCompositeVariants(dev, reloadSource, length)) return false;
    for (int v = 0; v < kShaderTableSize; ++v)
        for (int p = 0; p < kPixelColumnCount; ++p) {
            if (!linked.programs[v][p].program) continue;
            const PixelShaderEntry& ps =
                p < kShaderTableSize ? pixelShaders[p] : compositeShaders[p - kShaderTableSize];
            if (!linkIntoTable(dev, vertexShaders[v], ps)) return false;
        }
    return true;
}

} // namespace

bool reloadShaderLibrary(RenderDevice& dev, const ShaderFileText* files, int fileCount) {
    uint32_t length = 0;
    if (!joinFiles(files, fileCount, length)) {
        setRenderError("the shader files are larger than the %u bytes a reload can take",
                       kShaderReloadCapacity);
        return false;
    }
    saveTables(saved);
    std::memset(vertexShaders, 0, sizeof vertexShaders);
    std::memset(pixelShaders, 0, sizeof pixelShaders);
    std::memset(compositeShaders, 0, sizeof compositeShaders);
    std::memset(linkedPrograms, 0, sizeof linkedPrograms);
    const bool defined = everyEntryDefined();
    const bool ok = defined && compileAndLink(dev, length, saved) && blocksAsUploaded();
    static ShaderTables made;
    saveTables(made);
    deleteTables(ok ? saved : made);
    if (!ok) {
        restoreTables(saved);
        if (defined) nameFilesInError(files, fileCount);
    }
    glUseProgram(0);
    dev.boundProgram = 0;
    dev.boundAlphaToCoverage = -1;
    return ok;
}

bool linkShaderPrograms(RenderDevice& dev, const DrawShaderPair* pairs, uint32_t count) {
    bool ok = true;
    for (int k = kVelocityShader; k <= kSpriteShader; ++k)
        ok = ok && linkIntoTable(dev, vertexShaders[k], pixelShaders[k]);
    for (int effects = 0; effects < kCompositeVariantCount; ++effects)
        ok = ok && linkIntoTable(dev, vertexShaders[kCompositeShader], compositeShaders[effects]);
    for (uint32_t i = 0; i < count && ok; ++i) {
        const DrawShaderPair p = pairs[i];
        if (p.vertexShader < 0 || p.vertexShader >= kShaderTableSize || p.pixelShader < 0 ||
            p.pixelShader >= kShaderTableSize)
            continue;
        ok = linkIntoTable(dev, vertexShaders[p.vertexShader], pixelShaders[p.pixelShader]);
    }
    startUpLinked = true;
    return ok;
}

LinkedProgram programFor(RenderDevice& dev, const VertexShaderEntry& vs, const PixelShaderEntry& ps) {
    // An entry compiled outside the tables (a test's) has no slot, so no program: nothing draws it.
    if (!vs.shader || !ps.shader || !inTable(vs, ps)) return LinkedProgram{0, -1};
    LinkedProgram& slot = linkedPrograms[vs.index][ps.index];
    if (!slot.program) {
        if (startUpLinked) ++lateLinks;
        slot = linkPair(dev, vs, ps);
    }
    return slot;
}

uint32_t lateLinkCount() {
    return lateLinks;
}

void bindShaders(RenderDevice& dev, const VertexShaderEntry& vs, const PixelShaderEntry& ps) {
    const LinkedProgram program = programFor(dev, vs, ps);
    if (dev.boundProgram != program.program) {
        glUseProgram(program.program);
        dev.boundProgram = program.program;
    }
    dev.boundAlphaToCoverage = program.alphaToCoverage;
}

void setSpriteAlphaToCoverage(RenderDevice& dev, bool on) {
    if (dev.boundAlphaToCoverage >= 0) glUniform1i(dev.boundAlphaToCoverage, on ? 1 : 0);
}
