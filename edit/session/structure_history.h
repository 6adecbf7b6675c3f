// structure_history.h - a scene's structural change as one step of the edit session: written through
// writeFileChange (all files or none), recorded with the scene's slots before and after and the lines
// it changed, its shape taken by the running tables and the panels' names (the session's copies, until
// the reload brings the rebuilt module's own), and carried out in reverse or again by its lines' text.
// structure_edit.h plans the changes; undo.cpp and the rebuild check call the rest.
//
//     currentShape(session, scenes, 7, before);
//     commitStructure(session, scenes, 7, file, fileIndex, plan, after, forward, "added kOrb");
//     stepStructure(session, scenes, step, true);                  // Ctrl+Z on a structural step
#pragma once

#include <cstddef>
#include <cstdint>

#include "edit/session/edit_session.h"

// The scene's slots as the session plays them.
void currentShape(const EditSession& e, const SceneSet& scenes, int scene, SceneShape& out);

// The scene's file in the session (the file of its first slot written in a scene file), read on first
// use; null with the reason.
SourceFile* sceneFile(EditSession& e, const SceneSet& scenes, int scene, int& index, char* error,
                      size_t size);

// Writes the plan into `file` and records it as one step of the undo list; the running tables take
// `after`, the slots renumbered by `forward` (before -> after). `said` begins the message.
bool commitStructure(EditSession& e, SceneSet& scenes, int scene, SourceFile& file, int fileIndex,
                     const StructurePlan& plan, const SceneShape& after, const int16_t* forward,
                     const char* said);

// A structural step of the undo list carried out in reverse or again (undo.cpp calls it).
bool stepStructure(EditSession& e, SceneSet& scenes, const SlotEdit& step, bool undo);

// After a rebuild: the scenes changed in structure compared whole with the rebuilt ones. Returns how
// many slots differ, the first named in `first`.
int checkRebuiltStructure(EditSession& e, const SceneSet& rebuilt, char* first, size_t size);
