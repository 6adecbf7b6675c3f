// Tests of the XM writer: note names, pattern packing, file layout, sample delta coding, validation.
#include "xm.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

uint32_t le16(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8;
}
uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return le16(b, at) | le16(b, at + 2) << 16;
}

// Independent reading of packed pattern data, as a player does it.
std::vector<XmCell> unpack(const std::vector<uint8_t>& data, int rows, int channels) {
    std::vector<XmCell> cells;
    size_t i = 0;
    while (int(cells.size()) < rows * channels && i < data.size()) {
        XmCell c{};
        uint8_t first = data[i++];
        if (first & 0x80) {
            if (first & 1) c.note = data[i++];
            if (first & 2) c.instrument = data[i++];
            if (first & 4) c.volume = data[i++];
            if (first & 8) c.effect = data[i++];
            if (first & 16) c.param = data[i++];
        } else {
            c = XmCell{first, data[i], data[i + 1], data[i + 2], data[i + 3]};
            i += 4;
        }
        cells.push_back(c);
    }
    EXPECT_EQ(i, data.size()) << "packed data longer than its cells";
    return cells;
}

bool sameCell(const XmCell& a, const XmCell& b) {
    return a.note == b.note && a.instrument == b.instrument && a.volume == b.volume && a.effect == b.effect &&
           a.param == b.param;
}

XmModule smallModule() {
    XmModule m{};
    m.name = "test";
    m.tracker = "unit";
    m.channels = 2;
    m.speed = 6;
    m.tempo = 125;
    XmPattern& p = xmAddPattern(m, 4);
    xmCell(p, 2, 0, 0) = XmCell{xmNote("A-4"), 1, xmVolume(40), 0, 0};
    xmCell(p, 2, 3, 1) = XmCell{xmKeyOff, 0, 0, 0, 0};
    m.orders = {0};
    XmInstrument ins{};
    ins.name = "saw";
    ins.volumeEnvelope.count = 2;
    ins.volumeEnvelope.points[0] = {0, 64};
    ins.volumeEnvelope.points[1] = {10, 32};
    ins.volumeEnvelope.sustain = 1;
    ins.fadeout = 0x100;
    ins.sample.data = {0, 1000, -1000, 32767, -32768, 5};
    ins.sample.loop = xmLoopForward;
    ins.sample.loopStart = 2;
    ins.sample.loopLength = 4;
    ins.sample.volume = 64;
    ins.sample.finetune = -3;
    ins.sample.panning = 128;
    ins.sample.relativeNote = 24;
    m.instruments.push_back(ins);
    return m;
}

} // namespace

TEST(XmWriter, NoteNames) {
    EXPECT_EQ(xmNote("C-0"), 1);
    EXPECT_EQ(xmNote("C-4"), 49);
    EXPECT_EQ(xmNote("A-4"), 58);
    EXPECT_EQ(xmNote("G#3"), 45);
    EXPECT_EQ(xmNote("B-7"), 96);
    EXPECT_EQ(xmNote("H-4"), 0);
    EXPECT_EQ(xmNote("C-8"), 0);
    EXPECT_EQ(xmNote("C4"), 0);
    EXPECT_EQ(xmNote(nullptr), 0);
    EXPECT_EQ(xmVolume(64), 0x50);
    EXPECT_EQ(xmVolume(80), 0x50);
    EXPECT_EQ(xmVolume(-3), 0x10);
}

TEST(XmWriter, PacksEachCellInItsShortestForm) {
    XmModule m{};
    m.channels = 6;
    XmPattern& p = xmAddPattern(m, 1);
    xmCell(p, 6, 0, 1) = XmCell{49, 2, 0x30, 0xF, 0x7D};           // everything: five plain bytes
    xmCell(p, 6, 0, 2) = XmCell{97, 0, 0, 0, 0};                   // key off only
    xmCell(p, 6, 0, 3) = XmCell{0, 0, 0, 0, 0x37};                 // arpeggio: effect 0 with a parameter
    xmCell(p, 6, 0, 4) = XmCell{0, 0, 0x50, 0x8, 0x80};            // volume and effect, no note
    xmCell(p, 6, 0, 5) = XmCell{58, 3, 0, 0x1, 0};                 // effect without parameter
    std::vector<uint8_t> expected = {0x80,                         // empty
                                     49,   2,    0x30, 0xF,  0x7D, //
                                     0x81, 97,                     //
                                     0x90, 0x37,                   //
                                     0x9C, 0x50, 0x8,  0x80,       //
                                     0x8B, 58,   3,    0x1};
    EXPECT_EQ(xmPackPattern(p, 6), expected);
}

TEST(XmWriter, PackedPatternsReadBackCellForCell) {
    XmModule m{};
    m.channels = 8;
    XmPattern& p = xmAddPattern(m, 64);
    uint32_t x = 12345;
    for (XmCell& c : p.cells) {
        auto next = [&x] { return x = x * 1103515245u + 12345u, (x >> 16) & 0xFF; };
        c.note = (next() & 1) ? uint8_t(1 + next() % 97) : 0;
        c.instrument = (next() & 1) ? uint8_t(1 + next() % 20) : 0;
        c.volume = (next() & 1) ? uint8_t(0x10 + next() % 0x41) : 0;
        c.effect = (next() & 3) == 0 ? uint8_t(next() % 0x20) : 0;
        c.param = (next() & 3) == 0 ? uint8_t(next()) : 0;
    }
    std::vector<XmCell> back = unpack(xmPackPattern(p, 8), 64, 8);
    ASSERT_EQ(back.size(), p.cells.size());
    for (size_t i = 0; i < back.size(); ++i) EXPECT_TRUE(sameCell(back[i], p.cells[i])) << "cell " << i;
}

TEST(XmWriter, FileLayout) {
    XmModule m = smallModule();
    ASSERT_EQ(xmValidate(m), "");
    std::vector<uint8_t> b = xmWriteModule(m);

    EXPECT_EQ(std::memcmp(b.data(), "Extended Module: test", 21), 0);
    EXPECT_EQ(b[37], 0x1A);
    EXPECT_EQ(std::memcmp(b.data() + 38, "unit", 4), 0);
    EXPECT_EQ(le16(b, 58), 0x0104u);
    EXPECT_EQ(le32(b, 60), 276u);
    EXPECT_EQ(le16(b, 64), 1u);   // song length
    EXPECT_EQ(le16(b, 66), 0u);   // restart position
    EXPECT_EQ(le16(b, 68), 2u);   // channels
    EXPECT_EQ(le16(b, 70), 1u);   // patterns
    EXPECT_EQ(le16(b, 72), 1u);   // instruments
    EXPECT_EQ(le16(b, 74), 1u);   // linear frequencies
    EXPECT_EQ(le16(b, 76), 6u);   // speed
    EXPECT_EQ(le16(b, 78), 125u); // tempo

    size_t at = 60 + 276;
    EXPECT_EQ(le32(b, at), 9u);
    EXPECT_EQ(b[at + 4], 0);
    EXPECT_EQ(le16(b, at + 5), 4u);
    size_t packedSize = le16(b, at + 7);
    std::vector<uint8_t> packed(b.begin() + long(at + 9), b.begin() + long(at + 9 + packedSize));
    std::vector<XmCell> cells = unpack(packed, 4, 2);
    ASSERT_EQ(cells.size(), 8u);
    EXPECT_TRUE(sameCell(cells[0], XmCell{58, 1, 0x38, 0, 0}));
    EXPECT_TRUE(sameCell(cells[7], XmCell{97, 0, 0, 0, 0}));

    at += 9 + packedSize;
    EXPECT_EQ(le32(b, at), 263u);
    EXPECT_EQ(std::memcmp(b.data() + at + 4, "saw", 3), 0);
    EXPECT_EQ(le16(b, at + 27), 1u);  // samples
    EXPECT_EQ(le32(b, at + 29), 40u); // sample header size
    EXPECT_EQ(le16(b, at + 129), 0u); // envelope point 0: tick 0, value 64
    EXPECT_EQ(le16(b, at + 131), 64u);
    EXPECT_EQ(le16(b, at + 133), 10u);
    EXPECT_EQ(b[at + 225], 2);            // volume points
    EXPECT_EQ(b[at + 227], 1);            // sustain point
    EXPECT_EQ(b[at + 233], 3);            // envelope on, with sustain
    EXPECT_EQ(le16(b, at + 239), 0x100u); // fadeout

    size_t s = at + 263;
    EXPECT_EQ(le32(b, s), 12u); // length in bytes
    EXPECT_EQ(le32(b, s + 4), 4u);
    EXPECT_EQ(le32(b, s + 8), 8u);
    EXPECT_EQ(b[s + 12], 64);
    EXPECT_EQ(int8_t(b[s + 13]), -3);
    EXPECT_EQ(b[s + 14], 0x11); // forward loop, 16-bit
    EXPECT_EQ(int8_t(b[s + 16]), 24);

    size_t data = s + 40;
    ASSERT_EQ(b.size(), data + 12);
    int16_t value = 0;
    for (size_t i = 0; i < 6; ++i) {
        value = int16_t(uint16_t(value) + uint16_t(le16(b, data + 2 * i)));
        EXPECT_EQ(value, m.instruments[0].sample.data[i]) << "sample frame " << i;
    }
}

TEST(XmWriter, ValidationNamesTheFault) {
    XmModule m = smallModule();
    m.channels = 3;
    EXPECT_NE(xmValidate(m).find("channel count"), std::string::npos);

    m = smallModule();
    m.orders = {1};
    EXPECT_NE(xmValidate(m).find("missing pattern"), std::string::npos);

    m = smallModule();
    m.patterns[0].rows = 257;
    EXPECT_NE(xmValidate(m).find("rows"), std::string::npos);

    m = smallModule();
    xmCell(m.patterns[0], 2, 1, 1).instrument = 2;
    EXPECT_NE(xmValidate(m).find("missing instrument"), std::string::npos);

    m = smallModule();
    m.instruments[0].volumeEnvelope.points[1].tick = 0;
    EXPECT_NE(xmValidate(m).find("saw"), std::string::npos);

    m = smallModule();
    m.instruments[0].sample.loopLength = 5;
    EXPECT_NE(xmValidate(m).find("loop"), std::string::npos);

    m = smallModule();
    m.tempo = 300;
    EXPECT_NE(xmValidate(m).find("tempo"), std::string::npos);
}
