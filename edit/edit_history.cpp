// edit_history.cpp - the undo list: a fixed table, the oldest step dropped when it is full.
#include "edit/edit_history.h"

#include <cstring>

void pushEdit(EditHistory& h, const SlotEdit& step) {
    h.count = h.done; // a new edit ends what could be redone
    if (h.count == kEditHistoryCapacity) {
        std::memmove(h.steps, h.steps + 1, sizeof(SlotEdit) * (kEditHistoryCapacity - 1));
        --h.count;
    }
    h.steps[h.count++] = step;
    h.done = h.count;
}

SlotEdit* undoStep(EditHistory& h) {
    return h.done > 0 ? &h.steps[--h.done] : nullptr;
}

SlotEdit* redoStep(EditHistory& h) {
    return h.done < h.count ? &h.steps[h.done++] : nullptr;
}

void cancelStep(EditHistory& h, bool wasUndo) {
    h.done += wasUndo ? 1 : -1;
}
