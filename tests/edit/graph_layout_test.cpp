// graph_layout_test.cpp - the graph panel's layout on every scene the show starts with, against depths
// found another way (relaxed until nothing changes), and on a made graph with a cycle and inputs that
// name no slot.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>

#include "director/director_state.h"
#include "edit/panels/graph_panel.h"
#include "show/show.h"

namespace {

GraphLayout layout; // large: kept apart

bool used(const GraphNode* nodes, int count, int32_t slot) {
    return slot >= 0 && slot < count && nodes[slot].op != kOpEmpty;
}

// One more than the deepest input, relaxed over every slot until no depth changes (acyclic data).
void relaxedDepths(const GraphNode* nodes, int count, int* depth) {
    for (int k = 0; k < count; ++k) depth[k] = used(nodes, count, k) ? 0 : -1;
    for (bool changed = true; changed;) {
        changed = false;
        for (int k = 0; k < count; ++k)
            for (int i = 0; depth[k] >= 0 && i < 8 && nodes[k].inputs[i] >= 0; ++i)
                if (used(nodes, count, nodes[k].inputs[i]) && depth[nodes[k].inputs[i]] + 1 > depth[k])
                    depth[k] = depth[nodes[k].inputs[i]] + 1, changed = true;
    }
}

// Every laid-out box apart from every other, each found again at its middle; every wire drawn runs from
// its source's right edge leftwards of its reader's left edge. Returns the wires drawn.
int checkBoxesAndWires(const GraphLayout& g) {
    int wires = 0;
    for (int32_t a = 0; a < g.count; ++a) {
        if (g.column[a] < 0) continue;
        const GraphBox box = graphBox(g, a);
        EXPECT_EQ(graphSlotAt(g, (box.x0 + box.x1) / 2, (box.y0 + box.y1) / 2), a);
        EXPECT_EQ(graphSlotAt(g, box.x1 + kGraphColumnGap / 2, box.y0), -1) << "between the columns";
        for (int32_t b = a + 1; b < g.count; ++b) {
            if (g.column[b] < 0) continue;
            const GraphBox other = graphBox(g, b);
            EXPECT_TRUE(box.x1 <= other.x0 || other.x1 <= box.x0 || box.y1 <= other.y0 || other.y1 <= box.y0)
                << "slots " << a << " and " << b << " overlap";
        }
        for (int i = 0; i < 8 && g.wiring[a].inputs[i] >= 0; ++i) {
            const int32_t input = g.wiring[a].inputs[i];
            if (!graphWireDrawn(g, input, a)) continue;
            ++wires;
            EXPECT_LT(graphBox(g, input).x1, box.x0) << "the wire from " << input << " to " << a;
        }
    }
    return wires;
}

} // namespace

TEST(GraphLayout, EveryScenesSlotsLieByDepthApartWithWiresLeftToRight) {
    showInit();
    showStartDirector();
    for (int scene = 0; scene < kSceneCount; ++scene) {
        SCOPED_TRACE(scene);
        const GraphNode* nodes = nodeBlocks[scene];
        layoutGraph(nodes, kSlotsPerScene, layout);
        int depth[kSlotsPerScene], deepest = -1, wires = 0;
        relaxedDepths(nodes, kSlotsPerScene, depth);
        for (int32_t k = 0; k < kSlotsPerScene; ++k) {
            EXPECT_EQ(layout.column[k], depth[k]) << "slot " << k;
            deepest = depth[k] > deepest ? depth[k] : deepest;
            for (int i = 0; used(nodes, kSlotsPerScene, k) && i < 8 && nodes[k].inputs[i] >= 0; ++i)
                wires += used(nodes, kSlotsPerScene, nodes[k].inputs[i]);
        }
        EXPECT_EQ(layout.columns, deepest + 1);
        EXPECT_GT(layout.columns, 1);
        EXPECT_EQ(checkBoxesAndWires(layout), wires) << "every input that reads a slot is a wire";
        // Laid out again only when the wiring changes: a parameter is not wiring, an input is.
        EXPECT_TRUE(graphLayoutMatches(layout, nodes, kSlotsPerScene));
        static GraphNode changed[kSlotsPerScene];
        std::memcpy(changed, nodes, sizeof changed);
        changed[3].params[0] += 1;
        EXPECT_TRUE(graphLayoutMatches(layout, changed, kSlotsPerScene));
        changed[3].inputs[0] = changed[3].inputs[0] == 0 ? 1 : 0;
        EXPECT_FALSE(graphLayoutMatches(layout, changed, kSlotsPerScene));
    }
}

TEST(GraphLayout, ACycleAndInputsNamingNoSlotAreLeftOut) {
    GraphNode nodes[7] = {};
    auto set = [&](int slot, std::initializer_list<int32_t> inputs) {
        nodes[slot].op = kOpAdd;
        for (int i = 0; i < 8; ++i) nodes[slot].inputs[i] = -1;
        int i = 0;
        for (int32_t input : inputs) nodes[slot].inputs[i++] = input;
    };
    set(0, {});
    set(1, {2}); // 1 and 2 read each other
    set(2, {1, 0});
    set(3, {5, 200}); // an empty slot and one past the nodes given
    set(4, {3, 0, 0});
    set(6, {4, 1});
    layoutGraph(nodes, 7, layout);
    EXPECT_EQ(layout.column[5], -1);
    EXPECT_EQ(layout.column[3], 0);
    EXPECT_EQ(layout.column[4], 1);
    EXPECT_NE(graphWireDrawn(layout, 2, 1), graphWireDrawn(layout, 1, 2)) << "one wire of the cycle";
    EXPECT_FALSE(graphWireDrawn(layout, 5, 3));
    EXPECT_FALSE(graphWireDrawn(layout, 200, 3));
    EXPECT_EQ(checkBoxesAndWires(layout), 7);
    EXPECT_GT(layout.column[6], layout.column[1]);
    EXPECT_GT(layout.column[6], layout.column[4]);
}
