// Per-level undo and redo of the editor's edits.
#include "editor/history.h"

#include <deque>

#include "levels/level_grid.h"

namespace {

struct CellChange {
    int32_t index;  // cell of the level, 0 to 164
    int32_t before;
    int32_t after;
};

using EditStep = std::vector<CellChange>;

struct LevelHistory {
    std::deque<EditStep> undo;
    std::vector<EditStep> redo;
};

std::vector<LevelHistory> Histories;
// LevelSet as the histories last saw it.
std::vector<int32_t> Committed;

bool ValidLevel(int32_t level) {
    return level >= 0 && level < LevelCount && size_t(level) < Histories.size() &&
           LevelSet.size() == size_t(LevelSetSize);
}

void ApplyStep(int32_t level, const EditStep& step, bool forward) {
    for (const CellChange& change : step) {
        int32_t value = forward ? change.after : change.before;
        WriteLevelCell(level, change.index, value);
        Committed[size_t(level) * LevelCellCount + size_t(change.index)] = value;
    }
}

}  // namespace

void ResetEditorHistory() {
    Histories.assign(LevelCount, LevelHistory{});
    Committed = LevelSet;
}

void DropEditorHistory() {
    Histories.clear();
    Histories.shrink_to_fit();
    Committed.clear();
}

void CommitEditorChanges() {
    if (Histories.size() != size_t(LevelCount) || Committed.size() != LevelSet.size())
        return;
    for (int32_t level = 0; level < LevelCount; ++level) {
        EditStep step;
        size_t first = size_t(level) * LevelCellCount;
        for (int32_t index = 0; index < LevelCellCount; ++index) {
            if (LevelSet[first + index] != Committed[first + index]) {
                step.push_back({index, Committed[first + index], LevelSet[first + index]});
                Committed[first + index] = LevelSet[first + index];
            }
        }
        if (step.empty())
            continue;
        LevelHistory& history = Histories[level];
        history.undo.push_back(std::move(step));
        if (history.undo.size() > EditorHistoryDepth)
            history.undo.pop_front();
        history.redo.clear();
    }
}

bool UndoLevelEdit(int32_t level) {
    CommitEditorChanges();
    if (!ValidLevel(level) || Histories[level].undo.empty())
        return false;
    LevelHistory& history = Histories[level];
    ApplyStep(level, history.undo.back(), false);
    history.redo.push_back(std::move(history.undo.back()));
    history.undo.pop_back();
    return true;
}

bool RedoLevelEdit(int32_t level) {
    CommitEditorChanges();
    if (!ValidLevel(level) || Histories[level].redo.empty())
        return false;
    LevelHistory& history = Histories[level];
    ApplyStep(level, history.redo.back(), true);
    history.undo.push_back(std::move(history.redo.back()));
    history.redo.pop_back();
    return true;
}

void ReplaceLevelCells(int32_t level, const std::vector<int32_t>& cells) {
    CommitEditorChanges();
    if (!ValidLevel(level) || cells.size() != size_t(LevelCellCount))
        return;
    for (int32_t index = 0; index < LevelCellCount; ++index) {
        if (LevelSet[size_t(level) * LevelCellCount + size_t(index)] != cells[index])
            WriteLevelCell(level, index, cells[index]);
    }
    CommitEditorChanges();
}

size_t UndoStepCount(int32_t level) {
    return level >= 0 && size_t(level) < Histories.size() ? Histories[level].undo.size() : 0;
}

size_t RedoStepCount(int32_t level) {
    return level >= 0 && size_t(level) < Histories.size() ? Histories[level].redo.size() : 0;
}
