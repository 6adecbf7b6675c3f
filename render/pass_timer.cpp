// pass_timer.cpp - GL_TIMESTAMP queries in a ring of frames; a frame's results are read when the ring
// comes round to it again, if the GPU has finished it by then (else that frame is skipped).
#include "render/pass_timer.h"

#include <cstring>

#ifdef __EMSCRIPTEN__
// WebGL2 gives a page no timestamps (and the browser build has no edit mode to show them).
bool startGpuPassTimer(const RenderDevice&, GpuPassTimer& timer) {
    timer = GpuPassTimer{};
    return false;
}
void stopGpuPassTimer(GpuPassTimer&) {}
void beginTimedFrame(GpuPassTimer&) {}
void markTimedPass(GpuPassTimer&, FramePass) {}
void endTimedFrame(GpuPassTimer&) {}
#else

namespace {

void queryCounter(const GpuPassTimer& t, GLuint query) {
    if (t.es)
        glQueryCounterEXT(query, GL_TIMESTAMP_EXT);
    else
        glQueryCounter(query, GL_TIMESTAMP);
}

bool resultReady(const GpuPassTimer& t, GLuint query) {
    GLuint ready = 0;
    if (t.es)
        glGetQueryObjectuivEXT(query, GL_QUERY_RESULT_AVAILABLE_EXT, &ready);
    else
        glGetQueryObjectuiv(query, GL_QUERY_RESULT_AVAILABLE, &ready);
    return ready != 0;
}

uint64_t result(const GpuPassTimer& t, GLuint query) {
    GLuint64 value = 0;
    if (t.es)
        glGetQueryObjectui64vEXT(query, GL_QUERY_RESULT_EXT, &value);
    else
        glGetQueryObjectui64v(query, GL_QUERY_RESULT, &value);
    return value;
}

// Books the frame at ring entry `f` on its passes, when all of its timestamps are there.
void readFrame(GpuPassTimer& t, int f) {
    const int marks = t.marks[f];
    t.marks[f] = 0;
    if (marks < 2 || !resultReady(t, t.queries[f][marks - 1])) return;
    GLint disjoint = 0; // the GPU's clock jumped (power state): the frame's numbers mean nothing
    if (t.es) glGetIntegerv(GL_GPU_DISJOINT_EXT, &disjoint);
    if (disjoint) return;
    double ms[kFramePassCount] = {};
    uint64_t before = result(t, t.queries[f][0]);
    for (int i = 1; i < marks; ++i) {
        const uint64_t now = result(t, t.queries[f][i]);
        ms[t.passes[f][i]] += (double)(now - before) / 1e6;
        before = now;
    }
    std::memcpy(t.milliseconds, ms, sizeof ms);
    ++t.framesRead;
}

} // namespace

bool startGpuPassTimer(const RenderDevice& dev, GpuPassTimer& timer) {
    timer = GpuPassTimer{};
    timer.es = dev.api == kGlEs;
    const bool available = timer.es
                               ? epoxy_has_gl_extension("GL_EXT_disjoint_timer_query")
                               : epoxy_has_gl_extension("GL_ARB_timer_query") || epoxy_gl_version() >= 33;
    if (!available) return false;
    for (auto& frame : timer.queries) {
        if (timer.es)
            glGenQueriesEXT(kPassTimerMarks, frame);
        else
            glGenQueries(kPassTimerMarks, frame);
    }
    return true;
}

void stopGpuPassTimer(GpuPassTimer& timer) {
    for (auto& frame : timer.queries) {
        if (timer.es)
            glDeleteQueriesEXT(kPassTimerMarks, frame);
        else
            glDeleteQueries(kPassTimerMarks, frame);
    }
    timer = GpuPassTimer{};
}

void beginTimedFrame(GpuPassTimer& timer) {
    const int f = timer.frame;
    if (timer.marks[f] > 0) readFrame(timer, f); // the oldest frame of the ring
    queryCounter(timer, timer.queries[f][0]);
    timer.passes[f][0] = kSetupPass;
    timer.marks[f] = 1;
}

void markTimedPass(GpuPassTimer& timer, FramePass pass) {
    const int f = timer.frame;
    if (timer.marks[f] == 0 || timer.marks[f] >= kPassTimerMarks) return;
    queryCounter(timer, timer.queries[f][timer.marks[f]]);
    timer.passes[f][timer.marks[f]++] = pass;
}

void endTimedFrame(GpuPassTimer& timer) {
    timer.frame = (timer.frame + 1) % kPassTimerFrames;
}

#endif // __EMSCRIPTEN__
