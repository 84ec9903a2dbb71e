// Multi-values: labelled entries with identifiers that are never handed out twice by one value.
#include "platform/device/multi_value.h"

#include <algorithm>

#include "platform/foundation/dictionary.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"

namespace device {

std::shared_ptr<MultiValue> MultiValue::create(PropertyType kind) {
    return std::make_shared<MultiValue>(kind);
}

std::shared_ptr<MultiValue> MultiValue::restore(State state) {
    auto mv = create(state.kind);
    MultiValueIdentifier next = std::max<MultiValueIdentifier>(state.nextIdentifier, 0);
    for (const Entry& e : state.entries) {
        if (e.identifier >= next && e.identifier < INT32_MAX) {
            next = e.identifier + 1;
        }
    }
    state.nextIdentifier = next;
    mv->s_ = std::move(state);
    return mv;
}

bool MultiValue::accepts(const fnd::Value& value) const {
    if (s_.kind == PropertyType::MultiString && !value.isString()) {
        ZLOG(Warn, "MultiValue: refused a %s value for a list of strings", fnd::logPreview(value));
        return false;
    }
    if (s_.kind == PropertyType::MultiDictionary) {
        auto dict = value.asDictionary();
        bool ok = dict != nullptr;
        if (ok) {
            for (const auto& [key, v] : *dict) {
                ok = ok && key.isString() && v.isString();
            }
        }
        if (!ok) {
            ZLOG(Warn, "MultiValue: refused a %s value for a list of dictionaries", fnd::logPreview(value));
            return false;
        }
    }
    return true;
}

fnd::Value MultiValue::valueAtIndex(int index) const {
    return index >= 0 && index < count() ? s_.entries[static_cast<size_t>(index)].value.deepCopy() : fnd::Value();
}

std::string MultiValue::labelAtIndex(int index) const {
    return index >= 0 && index < count() ? s_.entries[static_cast<size_t>(index)].label : std::string();
}

MultiValueIdentifier MultiValue::identifierAtIndex(int index) const {
    return index >= 0 && index < count() ? s_.entries[static_cast<size_t>(index)].identifier
                                         : kMultiValueInvalidIdentifier;
}

int MultiValue::indexForIdentifier(MultiValueIdentifier identifier) const {
    for (int i = 0; i < count(); ++i) {
        if (s_.entries[static_cast<size_t>(i)].identifier == identifier) {
            return i;
        }
    }
    return -1;
}

MultiValueIdentifier MultiValue::addValueAndLabel(const fnd::Value& value, std::string label) {
    if (!accepts(value)) {
        return kMultiValueInvalidIdentifier;
    }
    if (s_.nextIdentifier == INT32_MAX) {
        ZLOG(Warn, "MultiValue: no identifiers left");
        return kMultiValueInvalidIdentifier;
    }
    const MultiValueIdentifier id = s_.nextIdentifier++;
    s_.entries.push_back(Entry{id, std::move(label), value.deepCopy()});
    return id;
}

bool MultiValue::replaceValueAtIndex(const fnd::Value& value, int index) {
    if (index < 0 || index >= count()) {
        ZLOG(Warn, "MultiValue: no entry at index %d", index);
        return false;
    }
    if (!accepts(value)) {
        return false;
    }
    s_.entries[static_cast<size_t>(index)].value = value.deepCopy();
    return true;
}

bool MultiValue::replaceLabelAtIndex(std::string label, int index) {
    if (index < 0 || index >= count()) {
        ZLOG(Warn, "MultiValue: no entry at index %d", index);
        return false;
    }
    s_.entries[static_cast<size_t>(index)].label = std::move(label);
    return true;
}

bool MultiValue::removeValueAndLabelAtIndex(int index) {
    if (index < 0 || index >= count()) {
        ZLOG(Warn, "MultiValue: no entry at index %d", index);
        return false;
    }
    s_.entries.erase(s_.entries.begin() + index);
    return true;
}

} // namespace device
