// edit_history.cpp - the undo list: a fixed table, the oldest step dropped when it is full.
#include "edit/session/edit_history.h"

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

void dropSteps(EditHistory& h, int first, int last) {
    if (first < 0 || last < first || last >= h.count) return;
    const int gone = last - first + 1;
    std::memmove(h.steps + first, h.steps + last + 1, sizeof(SlotEdit) * (h.count - last - 1));
    h.count -= gone;
    h.done = h.done > last ? h.done - gone : h.done > first ? first : h.done;
}

int groupStart(const EditHistory& h, int at) {
    while (at > 0 && h.steps[at].joined) --at;
    return at;
}

int groupEnd(const EditHistory& h, int at) {
    while (at + 1 < h.count && h.steps[at + 1].joined) ++at;
    return at;
}
