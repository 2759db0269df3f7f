// The editor's commands with their ids and default keys, in one table.
#pragma once

#include <QKeyCombination>

#include "editor/ui/x86_text_view.h"

namespace tarvix {

struct ViewCommand {
    int id;
    QKeyCombination key;
    // A cursor movement when `action` is null, otherwise the slot to run.
    Movement movement;
    bool extend;
    void (CX86TextView::*action)();

    void run(CX86TextView& view) const;
};

// The command bound to a key, if any. Keypad and Backtab variants count as the plain key.
const ViewCommand* commandForKey(QKeyCombination key);
const ViewCommand* commandForId(int id);

}  // namespace tarvix
