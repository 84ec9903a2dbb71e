// IMListCell: the base of every row of the messenger's home list. It holds the list controller weakly
// as an IMListHost, through which the rows count what they show and run their buttons' actions.
#pragma once

#include <memory>
#include <utility>

#include "messaging/model/im_list_host.h"
#include "platform/ui/table_view_cell.h"

namespace zelvan {

class IMListCell : public ui::TableViewCell {
public:
    using ui::TableViewCell::TableViewCell;

    // Set by the list's cell maker; a row whose host has gone counts nothing and its buttons do nothing.
    void setListHost(std::weak_ptr<IMListHost> host) { host_ = std::move(host); }
    std::shared_ptr<IMListHost> listHost() const { return host_.lock(); }

protected:
    // The owner token for button actions: they are skipped once this row has gone.
    std::weak_ptr<const void> actionOwner() { return std::weak_ptr<const void>(weak_from_this()); }

private:
    std::weak_ptr<IMListHost> host_;
};

} // namespace zelvan
