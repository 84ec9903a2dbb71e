// The IM buddy's presence update, which files the buddy in its account's online list.
#include "messaging/model/im_card.h"

#include "messaging/model/im_group.h"
#include "platform/foundation/string_ops.h"
#include "platform/foundation/utf16.h"

namespace zelvan {

void imCard::setstate(int32_t state) {
    state_ = state;
    const auto account = group();
    const auto self = std::dynamic_pointer_cast<imCard>(weak_from_this().lock());
    if (!account || !self) {
        return;
    }
    fnd::Array& onlines = *account->onlines();
    const fnd::Value me(self);
    const size_t present = onlines.indexOfObjectIdenticalTo(me);
    if (state == 0) {
        if (present != fnd::kNotFound) {
            onlines.removeObjectAtIndex(present);
        }
        return;
    }
    if (present != fnd::kNotFound) {
        return;
    }
    const std::u16string key = fnd::toUtf16(fnd::uppercase(disp_));
    size_t index = 0;
    for (; index < onlines.count(); ++index) {
        const auto other = onlines.objectAtIndex(index).asObject<imCard>();
        if (other && fnd::toUtf16(fnd::uppercase(other->disp())) > key) {
            break;
        }
    }
    onlines.insertObject(me, index);
}

} // namespace zelvan
