// ui::Transaction: groups layer changes between begin and commit. Layer changes apply at once and
// nothing animates implicitly, so a transaction only keeps its nesting and its disable-actions flag.
#pragma once

namespace ui {

class Transaction {
public:
    // Pairs nest; a nested transaction starts with the flag of the one around it.
    static void begin();
    // Closes the innermost transaction; without one it logs and does nothing.
    static void commit();
    // Recorded on the innermost transaction (ignored outside one).
    static void setDisableActions(bool disable);
    // The innermost transaction's flag; false outside any.
    static bool disableActions();
    // How many transactions are open.
    static int depth();
};

} // namespace ui
