// The editor's undo and redo: each level keeps its own history of edits while
// the editor is open. An edit is whatever changed between two moments with no
// mouse button held, so a whole drag is one step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Steps each level keeps; older ones are forgotten.
inline constexpr size_t EditorHistoryDepth = 500;

// Forgets every history and takes LevelSet as it is now as the starting point
// (entering the editor).
void ResetEditorHistory();
// Frees the histories (leaving the editor); the history holds nothing else.
void DropEditorHistory();

// Turns the changes to LevelSet since the last call into one step of each
// level they touch; a new step forgets what could be redone on that level.
void CommitEditorChanges();

// Undoes or redoes the last step of `level`, the level in WorkingGrid
// (WriteLevelCell); false when there is nothing to undo or redo.
bool UndoLevelEdit(int32_t level);
bool RedoLevelEdit(int32_t level);

// Writes all 165 cells of `level` (the level in WorkingGrid) as one step.
void ReplaceLevelCells(int32_t level, const std::vector<int32_t>& cells);

size_t UndoStepCount(int32_t level);
size_t RedoStepCount(int32_t level);
