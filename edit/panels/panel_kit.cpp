// panel_kit.cpp - names as the panels show them.
#include "edit/panels/panel_kit.h"

#include <cstdio>
#include <cstring>

#include "data/scene_build.h"

const char* shortName(const char* name, const char* prefix) {
    if (!name) return "?";
    const size_t n = std::strlen(prefix);
    return std::strncmp(name, prefix, n) == 0 && name[n] ? name + n : name;
}

const char* opName(int32_t op) {
    return shortName(enumName(kNodeOpNames, op), "kOp");
}

void slotLabel(const SceneSet& scenes, int scene, int32_t slot, char* out, size_t size) {
    if (slot < 0) {
        std::snprintf(out, size, "-");
        return;
    }
    const EnumNames& names = *scenes.names[scene].slots;
    int32_t named = slot;
    while (named > 0 && !enumName(names, named)) --named;
    if (named == slot || !enumName(names, named))
        std::snprintf(out, size, "%s", shortName(enumName(names, slot), "k"));
    else
        std::snprintf(out, size, "%s+%d", shortName(enumName(names, named), "k"), slot - named);
}
