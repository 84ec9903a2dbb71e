// The dev server's advertising feature list (command 109): which ad networks the client turns on.
#include "tools/devserver/dev_rules.h"

namespace zelvan::devserver {

ReplyRule adFeaturesRule(std::vector<std::string> names) {
    return [names = std::move(names)](const fnd::Value&) {
        fnd::Value reply = fnd::Value::array({kAdFeaturesCommand});
        for (const std::string& name : names) {
            reply.asArray()->addObject(name);
        }
        return std::vector<fnd::Value>{reply};
    };
}

} // namespace zelvan::devserver
