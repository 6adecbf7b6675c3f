// graph_layout.cpp - the graph's layout: each slot's depth (its column), rows ordered to keep the wires
// short, and the boxes and wires found again from it. No drawing: the graph panel and its test use it.
#include "edit/panels/graph_panel.h"

#include <cmath>
#include <cstddef>
#include <cstring>

#include "director/director_state.h"

//-----------------------------------------------------------------------------
// Layout
//-----------------------------------------------------------------------------

namespace {

static_assert(sizeof(GraphWiring) == offsetof(GraphNode, params), "a slot's operation and inputs");

bool wires(const GraphNode* nodes, int count, int32_t input) {
    return input < count && nodes[input].op != kOpEmpty;
}

// One more than the deepest input of `slot` (0 for a source); an input still being laid out further up
// the chain closes a cycle and is left out. `mark`: 0 not seen, 1 being laid out, 2 done.
int16_t depthOf(const GraphNode* nodes, int count, int32_t slot, uint8_t* mark, int16_t* column) {
    if (mark[slot] == 2) return column[slot];
    mark[slot] = 1;
    int16_t depth = 0;
    for (int i = 0; i < 8 && nodes[slot].inputs[i] >= 0; ++i) {
        const int32_t input = nodes[slot].inputs[i];
        if (!wires(nodes, count, input) || mark[input] == 1) continue;
        const int16_t d = (int16_t)(depthOf(nodes, count, input, mark, column) + 1);
        if (d > depth) depth = d;
    }
    mark[slot] = 2;
    column[slot] = depth;
    return depth;
}

// The mean row of the slots `slot` reads (byInputs) or of those that read it; below every other when
// none (a slot wired to nothing in that direction goes to its column's foot, keeping its order).
float neighbourRow(const GraphLayout& g, const GraphNode* nodes, int32_t slot, bool byInputs) {
    float sum = 0;
    int n = 0;
    if (byInputs) {
        for (int i = 0; i < 8 && nodes[slot].inputs[i] >= 0; ++i)
            if (graphWireDrawn(g, nodes[slot].inputs[i], slot)) sum += g.row[nodes[slot].inputs[i]], ++n;
    } else {
        for (int32_t reader = 0; reader < g.count; ++reader)
            for (int i = 0; i < 8 && nodes[reader].inputs[i] >= 0; ++i)
                if (nodes[reader].inputs[i] == slot && graphWireDrawn(g, slot, reader))
                    sum += g.row[reader], ++n;
    }
    return n ? sum / (float)n : (float)kSlotsPerScene;
}

// Column `c`'s rows given anew: its slots ordered by the mean row of their inputs or of their readers
// (the order they had breaks ties), so that wires run as straight as they can.
void orderColumn(GraphLayout& g, const GraphNode* nodes, int c, bool byInputs) {
    struct Place {
        int32_t slot;
        float key;
        int16_t row;
    } order[kSlotsPerScene];
    int n = 0;
    for (int32_t slot = 0; slot < g.count; ++slot)
        if (g.column[slot] == c)
            order[n++] = Place{slot, neighbourRow(g, nodes, slot, byInputs), g.row[slot]};
    for (int i = 1; i < n; ++i) { // insertion sort: stable, and the columns are short
        const Place p = order[i];
        int j = i;
        for (; j > 0 && (order[j - 1].key > p.key || (order[j - 1].key == p.key && order[j - 1].row > p.row));
             --j)
            order[j] = order[j - 1];
        order[j] = p;
    }
    for (int i = 0; i < n; ++i) g.row[order[i].slot] = (int16_t)i;
}

} // namespace

void layoutGraph(const GraphNode* nodes, int count, GraphLayout& g) {
    g.count = count < kSlotsPerScene ? count : kSlotsPerScene;
    g.columns = g.rows = 0;
    uint8_t mark[kSlotsPerScene] = {};
    int16_t inColumn[kSlotsPerScene] = {};
    for (int32_t slot = 0; slot < kSlotsPerScene; ++slot) {
        g.column[slot] = g.row[slot] = -1;
        std::memset(&g.wiring[slot], 0, sizeof g.wiring[slot]);
        if (slot < g.count) std::memcpy(&g.wiring[slot], &nodes[slot], sizeof g.wiring[slot]);
    }
    for (int32_t slot = 0; slot < g.count; ++slot)
        if (nodes[slot].op != kOpEmpty) depthOf(nodes, g.count, slot, mark, g.column);
    for (int32_t slot = 0; slot < g.count; ++slot) {
        const int c = g.column[slot];
        if (c < 0) continue;
        g.row[slot] = inColumn[c]++;
        if (c + 1 > g.columns) g.columns = c + 1;
        if (inColumn[c] > g.rows) g.rows = inColumn[c];
    }
    for (int c = 1; c < g.columns; ++c) orderColumn(g, nodes, c, true);
    for (int c = g.columns - 2; c >= 0; --c) orderColumn(g, nodes, c, false);
    for (int c = 1; c < g.columns; ++c) orderColumn(g, nodes, c, true);
}

bool graphLayoutMatches(const GraphLayout& g, const GraphNode* nodes, int count) {
    if (count != g.count) return false;
    for (int32_t slot = 0; slot < count; ++slot)
        if (std::memcmp(&g.wiring[slot], &nodes[slot], sizeof g.wiring[slot]) != 0) return false;
    return true;
}

GraphBox graphBox(const GraphLayout& g, int32_t slot) {
    const float x = g.column[slot] * kGraphColumnStep, y = g.row[slot] * kGraphRowStep;
    return GraphBox{x, y, x + kGraphBoxWidth, y + kGraphBoxHeight};
}

int32_t graphSlotAt(const GraphLayout& g, float x, float y) {
    if (x < 0 || y < 0) return -1;
    const int column = (int)(x / kGraphColumnStep), row = (int)(y / kGraphRowStep);
    if (x - column * kGraphColumnStep > kGraphBoxWidth || y - row * kGraphRowStep > kGraphBoxHeight)
        return -1;
    for (int32_t slot = 0; slot < g.count; ++slot)
        if (g.column[slot] == column && g.row[slot] == row) return slot;
    return -1;
}

bool graphWireDrawn(const GraphLayout& g, int32_t input, int32_t reader) {
    return input >= 0 && input < g.count && g.column[input] >= 0 && g.column[input] < g.column[reader];
}
