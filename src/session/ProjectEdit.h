#pragma once

#include <array>
#include <optional>
#include <variant>

#include "model/Records.h"

namespace velk {

// One edit of the form as it reached the project file: what the row held before and after, so an
// undo or a redo can write the same kind of statement the edit wrote.
struct EnumEdit {
    EnumVariable before;
    EnumVariable after;
};
struct VariableEdit {
    Variable before;
    Variable after;
};
struct NetTargetEdit {
    NetTarget before;
    NetTarget after;
};
// An action added (no before), deleted (no after) or modified (both), at its row in the list of
// its slot; the id is the action's own and never changes.
struct ActionEdit {
    int slot = 0;
    int row = 0;
    std::optional<KeyAction> before;
    std::optional<KeyAction> after;
};
// An action moved up or down by one: it and its neighbour changed rows. The ids stay with the rows
// (in order), the contents move, so before and after are the two rows, upper first, each with its
// row's id.
struct ActionMoveEdit {
    int slot = 0;
    int fromRow = 0;  // the moved action's row before the move
    int toRow = 0;    // and after it
    std::array<KeyAction, 2> before;
    std::array<KeyAction, 2> after;
};
struct SettingsEdit {
    int slot = 0;
    EventSettings before;
    EventSettings after;
};

using ProjectEdit =
    std::variant<EnumEdit, VariableEdit, NetTargetEdit, ActionEdit, ActionMoveEdit, SettingsEdit>;

// Visits an edit with one lambda per kind: std::visit(EditVisitor{[](const EnumEdit&) {...}, ...}, edit).
template <typename... Ts>
struct EditVisitor : Ts... {
    using Ts::operator()...;
};
template <typename... Ts>
EditVisitor(Ts...) -> EditVisitor<Ts...>;

}  // namespace velk
