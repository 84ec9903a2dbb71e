// The dev server's advertising feature list (command 109): which ad networks the client turns on.
#include <algorithm>
#include <cstddef>
#include <memory>

#include "tools/devserver/dev_rules.h"

namespace zelvan::devserver {

ReplyRule adFeaturesRule(std::vector<std::string> names) {
    return adFeatureListsRule({std::move(names)});
}

ReplyRule adFeatureListsRule(std::vector<std::vector<std::string>> lists) {
    // Rules run on the server thread only.
    auto answered = std::make_shared<size_t>(0);
    return [lists = std::move(lists), answered](const fnd::Value&) {
        fnd::Value reply = fnd::Value::array({kAdFeaturesCommand});
        if (!lists.empty()) {
            for (const std::string& name : lists[std::min(*answered, lists.size() - 1)]) {
                reply.asArray()->addObject(name);
            }
        }
        ++*answered;
        return std::vector<fnd::Value>{reply};
    };
}

} // namespace zelvan::devserver
