// xm.cpp - XM module writer: header, packed patterns, instruments and delta-coded samples.
#include "xm.h"

#include <cstring>

// ---------------------------------------------------------------------------------------------
// Little-endian output
// ---------------------------------------------------------------------------------------------

namespace {

struct Out {
    std::vector<uint8_t> bytes;
    void u8(uint32_t v) { bytes.push_back(uint8_t(v)); }
    void u16(uint32_t v) { u8(v & 0xFF), u8((v >> 8) & 0xFF); }
    void u32(uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); }
    void text(const std::string& s, size_t width) {
        for (size_t i = 0; i < width; ++i) u8(i < s.size() ? uint8_t(s[i]) : 0);
    }
    void zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
};

const uint32_t songHeaderSize = 276; // from the header-size field to the end of the order table
const uint32_t patternHeaderSize = 9;
const uint32_t instrumentHeaderSize = 263;
const uint32_t sampleHeaderSize = 40;

void writeEnvelopePoints(Out& out, const XmEnvelope& env) {
    for (int i = 0; i < 12; ++i) {
        out.u16(i < env.count ? env.points[i].tick : 0);
        out.u16(i < env.count ? env.points[i].value : 0);
    }
}

void writeInstrument(Out& out, const XmInstrument& ins) {
    const XmSample& s = ins.sample;
    const XmEnvelope& env = ins.volumeEnvelope;
    out.u32(instrumentHeaderSize);
    out.text(ins.name, 22);
    out.u8(0);  // type
    out.u16(1); // one sample
    out.u32(sampleHeaderSize);
    out.zeros(96); // every note plays sample 0
    writeEnvelopePoints(out, env);
    writeEnvelopePoints(out, XmEnvelope{}); // no panning envelope
    out.u8(uint32_t(env.count));
    out.u8(0);
    out.u8(env.sustain >= 0 ? uint32_t(env.sustain) : 0);
    out.u8(0), out.u8(0);            // volume loop start, end
    out.u8(0), out.u8(0), out.u8(0); // panning sustain, loop start, loop end
    out.u8(env.count > 0 ? (1u | (env.sustain >= 0 ? 2u : 0u)) : 0u);
    out.u8(0); // panning envelope off
    out.u8(ins.vibratoType), out.u8(ins.vibratoSweep), out.u8(ins.vibratoDepth), out.u8(ins.vibratoRate);
    out.u16(ins.fadeout);
    out.zeros(22); // reserved

    out.u32(uint32_t(s.data.size() * 2));
    out.u32(s.loop == xmLoopNone ? 0 : s.loopStart * 2);
    out.u32(s.loop == xmLoopNone ? 0 : s.loopLength * 2);
    out.u8(s.volume);
    out.u8(uint8_t(s.finetune));
    out.u8(uint32_t(s.loop) | 0x10u); // 16-bit
    out.u8(s.panning);
    out.u8(uint8_t(s.relativeNote));
    out.u8(0); // plain delta coding
    out.text(ins.name, 22);

    int16_t previous = 0;
    for (int16_t v : s.data) {
        out.u16(uint16_t(int16_t(uint16_t(v) - uint16_t(previous))));
        previous = v;
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Public functions
// ---------------------------------------------------------------------------------------------

uint8_t xmNote(const char* name) {
    static const char letters[] = "C-C#D-D#E-F-F#G-G#A-A#B-";
    if (!name || std::strlen(name) != 3 || name[2] < '0' || name[2] > '7') return 0;
    for (int semitone = 0; semitone < 12; ++semitone)
        if (letters[semitone * 2] == name[0] && letters[semitone * 2 + 1] == name[1])
            return uint8_t(1 + (name[2] - '0') * 12 + semitone);
    return 0;
}

XmPattern& xmAddPattern(XmModule& module, int rows) {
    module.patterns.push_back(XmPattern{rows, std::vector<XmCell>(size_t(rows) * size_t(module.channels))});
    return module.patterns.back();
}

std::vector<uint8_t> xmPackPattern(const XmPattern& pattern, int channels) {
    std::vector<uint8_t> packed;
    for (int row = 0; row < pattern.rows; ++row) {
        for (int ch = 0; ch < channels; ++ch) {
            const XmCell& c = pattern.cells[size_t(row) * size_t(channels) + size_t(ch)];
            uint8_t mask = uint8_t((c.note ? 1 : 0) | (c.instrument ? 2 : 0) | (c.volume ? 4 : 0) |
                                   (c.effect ? 8 : 0) | (c.param ? 16 : 0));
            if (mask == 31) {
                packed.insert(packed.end(), {c.note, c.instrument, c.volume, c.effect, c.param});
                continue;
            }
            packed.push_back(uint8_t(0x80 | mask));
            if (c.note) packed.push_back(c.note);
            if (c.instrument) packed.push_back(c.instrument);
            if (c.volume) packed.push_back(c.volume);
            if (c.effect) packed.push_back(c.effect);
            if (c.param) packed.push_back(c.param);
        }
    }
    return packed;
}

std::string xmValidate(const XmModule& m) {
    if (m.channels < 2 || m.channels > 32 || m.channels % 2)
        return "channel count " + std::to_string(m.channels) + " is not an even number in 2..32";
    if (m.orders.empty() || m.orders.size() > 256) return "the order list must hold 1..256 entries";
    if (m.patterns.empty() || m.patterns.size() > 256) return "the module must hold 1..256 patterns";
    if (m.instruments.size() > 128) return "more than 128 instruments";
    if (m.speed < 1 || m.speed > 31 || m.tempo < 32 || m.tempo > 255)
        return "initial speed or tempo out of range";
    for (size_t i = 0; i < m.orders.size(); ++i)
        if (m.orders[i] >= m.patterns.size())
            return "order " + std::to_string(i) + " names a missing pattern";
    for (size_t i = 0; i < m.patterns.size(); ++i) {
        const XmPattern& p = m.patterns[i];
        std::string where = "pattern " + std::to_string(i);
        if (p.rows < 1 || p.rows > 256) return where + " has " + std::to_string(p.rows) + " rows (1..256)";
        if (p.cells.size() != size_t(p.rows) * size_t(m.channels)) return where + " has the wrong cell count";
        if (xmPackPattern(p, m.channels).size() > 0xFFFF) return where + " packs to more than 65535 bytes";
        for (const XmCell& c : p.cells) {
            if (c.note > xmKeyOff) return where + " holds a note value above 97";
            if (c.instrument > m.instruments.size()) return where + " names a missing instrument";
        }
    }
    for (size_t i = 0; i < m.instruments.size(); ++i) {
        const XmInstrument& ins = m.instruments[i];
        std::string where = "instrument " + std::to_string(i + 1) + " (" + ins.name + ")";
        const XmEnvelope& e = ins.volumeEnvelope;
        if (e.count == 1 || e.count > 12) return where + ": an envelope needs 0 or 2..12 points";
        for (int k = 1; k < e.count; ++k)
            if (e.points[k].tick <= e.points[k - 1].tick) return where + ": envelope ticks must increase";
        for (int k = 0; k < e.count; ++k)
            if (e.points[k].value > 64) return where + ": envelope value above 64";
        if (e.sustain >= e.count) return where + ": sustain point beyond the envelope";
        const XmSample& s = ins.sample;
        if (s.data.empty() || s.data.size() > 0x7FFFFFFF / 2) return where + ": empty or oversized sample";
        if (s.loop != xmLoopNone &&
            (s.loopLength == 0 || uint64_t(s.loopStart) + s.loopLength > s.data.size()))
            return where + ": loop outside the sample";
        if (s.volume > 64 || ins.fadeout > 0xFFF) return where + ": volume or fadeout out of range";
    }
    return {};
}

std::vector<uint8_t> xmWriteModule(const XmModule& m) {
    Out out;
    out.text("Extended Module: ", 17);
    out.text(m.name, 20);
    out.u8(0x1A);
    out.text(m.tracker, 20);
    out.u16(0x0104);
    out.u32(songHeaderSize);
    out.u16(uint32_t(m.orders.size()));
    out.u16(0); // restart position
    out.u16(uint32_t(m.channels));
    out.u16(uint32_t(m.patterns.size()));
    out.u16(uint32_t(m.instruments.size()));
    out.u16(1); // linear frequency table
    out.u16(uint32_t(m.speed));
    out.u16(uint32_t(m.tempo));
    for (size_t i = 0; i < 256; ++i) out.u8(i < m.orders.size() ? m.orders[i] : 0);

    for (const XmPattern& p : m.patterns) {
        std::vector<uint8_t> packed = xmPackPattern(p, m.channels);
        out.u32(patternHeaderSize);
        out.u8(0); // packing type
        out.u16(uint32_t(p.rows));
        out.u16(uint32_t(packed.size()));
        out.bytes.insert(out.bytes.end(), packed.begin(), packed.end());
    }
    for (const XmInstrument& ins : m.instruments) writeInstrument(out, ins);
    return out.bytes;
}
