// The Selvo SQLite front's statement: its description.
#include "ads/selvo/sql/sql_statement.h"

#include "platform/foundation/format.h"

namespace zelvan::selvo {

std::string SqlStatement_::description() const {
    const std::string self = fnd::format("<SqlStatement_: %p>", static_cast<const void*>(this));
    return fnd::format("%@ %d hit(s) for query %@", self, static_cast<int>(useCount_), query_);
}

} // namespace zelvan::selvo
