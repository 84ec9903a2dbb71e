// The script bridge's animation command handler: the generated "BridgeGraphics" object, the scene commands
// on the animation view, and the frame and touch callbacks back to the script.
#include "ads/marlin/javascript_bridge_animation_delegate.h"

#include <cctype>
#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

#include "ads/marlin/animation/mn_character.h"
#include "ads/marlin/animation/mn_shape.h"
#include "ads/marlin/marlin_content_host.h"
#include "ads/marlin/mn_log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/scalar.h"

namespace zelvan::marlin {
namespace {

using Delegate = JavascriptBridgeAnimationDelegate;

#define MN_GRAPHICS(selector, function, arguments, method)                                                             \
    BridgeCommand {                                                                                                    \
        selector, function, arguments, "BridgeGraphics",                                                               \
            [](JavascriptCommandHandler& h, const BridgeArguments& a) { return static_cast<Delegate&>(h).method(a); }  \
    }

// The commands in the order of the generated functions.
const BridgeCommand kCommands[] = {
    MN_GRAPHICS("bridge_initializeAnimation", "initializeAnimation", "", initializeAnimation),
    MN_GRAPHICS("bridge_finalizeAnimation", "finalizeAnimation", "", finalizeAnimation),
    MN_GRAPHICS("bridge_hideAnimation", "hideAnimation", "", hideAnimation),
    MN_GRAPHICS("bridge_showAnimation", "showAnimation", "", showAnimation),
    MN_GRAPHICS("bridge_setAnimationViewHidden:", "setAnimationViewHidden", "q", setAnimationViewHidden),
    MN_GRAPHICS("bridge_setAnimationViewFrameX:y:width:height:", "setAnimationViewFrameXYWidthHeight", "qqqq",
                setAnimationViewFrameXYWidthHeight),
    MN_GRAPHICS("bridge_loadPropertyListFromFile:", "loadPropertyListFromFile", "q", loadPropertyListFromFile),
    MN_GRAPHICS("bridge_showFrame", "showFrame", "", showFrame),
    MN_GRAPHICS("bridge_showFrameWithCallback:", "showFrameWithCallback", "q", showFrameWithCallback),
    MN_GRAPHICS("bridge_newSprite:", "newSprite", "q", newSprite),
    MN_GRAPHICS("bridge_newShape:fromLibraryShape:", "newShapeFromLibraryShape", "qq", newShapeFromLibraryShape),
    MN_GRAPHICS("bridge_setSprite:touchBeganCallback:complex:", "setSpriteTouchBeganCallbackComplex", "qqq",
                setSpriteTouchBeganCallbackComplex),
    MN_GRAPHICS("bridge_setSprite:touchMovedCallback:complex:", "setSpriteTouchMovedCallbackComplex", "qqq",
                setSpriteTouchMovedCallbackComplex),
    MN_GRAPHICS("bridge_setSprite:touchEndedCallback:complex:", "setSpriteTouchEndedCallbackComplex", "qqq",
                setSpriteTouchEndedCallbackComplex),
    MN_GRAPHICS("bridge_setObject:property:value:", "setObjectPropertyValue", "qqq", setObjectPropertyValue),
    MN_GRAPHICS("bridge_placeObject:inSprite:layer:transform:", "placeObjectInSpriteLayerTransform", "qqqq",
                placeObjectInSpriteLayerTransform),
    MN_GRAPHICS("bridge_placeObject:inSprite:layer:transform:alpha:", "placeObjectInSpriteLayerTransformAlpha", "qqqqq",
                placeObjectInSpriteLayerTransformAlpha),
    MN_GRAPHICS(
        "bridge_placeObject:inSprite:layer:transform:alpha:useFill:", "placeObjectInSpriteLayerTransformAlphaUseFill",
        "qqqqqq", placeObjectInSpriteLayerTransformAlphaUseFill),
    MN_GRAPHICS("bridge_placeClippingObject:inSprite:firstLayer:lastLayer:transform:",
                "placeClippingObjectInSpriteFirstLayerLastLayerTransform", "qqqqq",
                placeClippingObjectInSpriteFirstLayerLastLayerTransform),
    MN_GRAPHICS("bridge_clearLayer:forObject:", "clearLayerForObject", "qq", clearLayerForObject),
    MN_GRAPHICS("bridge_moveObjectInSprite:layer:transform:", "moveObjectInSpriteLayerTransform", "qqq",
                moveObjectInSpriteLayerTransform),
    MN_GRAPHICS("bridge_moveObjectInSprite:layer:transform:alpha:", "moveObjectInSpriteLayerTransformAlpha", "qqqq",
                moveObjectInSpriteLayerTransformAlpha),
};

constexpr std::string_view kPrefix = "bridge_";

std::string text(const BridgeArguments& a, size_t index) {
    return index < a.size() ? a[index].stringValue() : std::string();
}

// A layer or depth number as the scene takes it: the int value, a negative one as its unsigned form.
unsigned layerValue(const std::string& value) {
    return static_cast<unsigned>(fnd::intValue(value));
}

// The characters' properties a script may set by name, with the string value read as their type.
struct CharacterProperty {
    std::string_view key;
    bool (*set)(MNCharacter& character, const std::string& value);
};

const CharacterProperty kCharacterProperties[] = {
    {"name",
     [](MNCharacter& c, const std::string& v) {
         c.setName(v);
         return true;
     }},
    {"opacity",
     [](MNCharacter& c, const std::string& v) {
         c.setOpacity(fnd::floatValue(v));
         return true;
     }},
    {"clipDepth",
     [](MNCharacter& c, const std::string& v) {
         c.setClipDepth(layerValue(v));
         return true;
     }},
    {"usePathChecking",
     [](MNCharacter& c, const std::string& v) {
         auto* sprite = dynamic_cast<MNSprite*>(&c);
         if (sprite == nullptr) {
             return false; // shapes have no such property
         }
         sprite->setUsePathChecking(fnd::boolValue(v));
         return true;
     }},
};

CommandResult unknownKey(std::string_view key) {
    return CommandResult::fail("this class is not key value coding-compliant for the key " + fnd::logPreview(key));
}

// One generated function of "BridgeGraphics" for the method `name`.
std::string functionFor(std::string_view name) {
    if (name.find(':') == std::string_view::npos) {
        return "\tself." + std::string(name.substr(kPrefix.size())) + " = function()\n\t{\n\t\tsendCommand(\"" +
               std::string(name) + ";\");\n\t}\n\n";
    }
    std::vector<std::string_view> parts;
    std::string_view rest = name;
    while (!rest.empty()) {
        const size_t colon = rest.find(':');
        parts.push_back(rest.substr(0, colon));
        rest.remove_prefix(colon == std::string_view::npos ? rest.size() : colon + 1);
    }
    std::string function;
    std::string parameters;
    std::string command = "\"";
    for (size_t i = 0; i < parts.size(); ++i) {
        std::string_view part = parts[i];
        std::string argument;
        if (i == 0) {
            std::string bare(part.substr(kPrefix.size()));
            argument = "a_" + bare;
            function = bare;
            command += std::string(part) + ":\\\"\" + " + argument + " + \"\\\"";
        } else {
            argument = "a_" + std::string(part);
            std::string upper(part);
            if (!upper.empty()) {
                upper[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(upper[0])));
            }
            function += upper;
            parameters += ", ";
            command += " " + std::string(part) + ":\\\"\" + " + argument + " + \"\\\"";
        }
        parameters += argument;
    }
    command += ";\"";
    return "\tself." + function + " = function(" + parameters + ")\n\t{\n\t\tsendCommand(" + command + ");\n\t}\n\n";
}

} // namespace

JavascriptBridgeAnimationDelegate::JavascriptBridgeAnimationDelegate(std::weak_ptr<IMarlinContentHost> host)
    : host_(std::move(host)) {}

std::span<const BridgeCommand> JavascriptBridgeAnimationDelegate::commandTable() {
    return kCommands;
}

std::string JavascriptBridgeAnimationDelegate::bridgeScript() {
    std::string script = "var BridgeGraphics = function()\n{\n\tvar self = {};\n";
    for (const BridgeCommand& command : kCommands) {
        if (command.selector.substr(0, kPrefix.size()) == kPrefix) {
            script += functionFor(command.selector);
        }
    }
    return script + "\treturn self;\n}();";
}

void JavascriptBridgeAnimationDelegate::animationViewPerformedAction(MNAnimationView& view, const fnd::Value& context) {
    if (context.isNull()) {
        return;
    }
    if (bridge_ != nullptr) {
        bridge_->sendJavascriptCommand(context.stringValue());
    }
    if (context == view.renderContext()) {
        view.setRenderContext(fnd::Value());
    }
}

void JavascriptBridgeAnimationDelegate::setTransformAlphaForObject(const std::optional<std::string>& transform,
                                                                   const std::optional<std::string>& alpha,
                                                                   MNCharacter& object) {
    bool moved = false;
    if (transform && *transform != "null") {
        std::vector<std::string_view> parts;
        std::string_view rest = *transform;
        for (;;) {
            const size_t comma = rest.find(',');
            parts.push_back(rest.substr(0, comma));
            if (comma == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(comma + 1);
        }
        if (parts.size() == 6) {
            double v[6];
            for (size_t i = 0; i < 6; ++i) {
                v[i] = fnd::floatValue(parts[i]);
            }
            object.setTransform(gfx::AffineTransform{v[0], v[1], v[2], v[3], v[4], v[5]});
            moved = true;
        }
    }
    if (alpha && *alpha != "null") {
        const float value = fnd::floatValue(*alpha);
        if (value != -1.0F) {
            object.setOpacity(value);
        }
    }
    // The supersprites' bounds follow the character's new frame.
    if (auto sprite = object.supersprite(); moved && sprite != nullptr) {
        sprite->setNeedsUpdatedBounds();
    }
}

std::shared_ptr<MNSprite> JavascriptBridgeAnimationDelegate::spriteWithKey(const std::string& key) const {
    auto view = animationView();
    if (view == nullptr) {
        return nullptr;
    }
    return std::dynamic_pointer_cast<MNSprite>(view->spriteInstanceWithKey(key, false));
}

CommandResult Delegate::initializeAnimation(const BridgeArguments& /*a*/) {
    MNLog("JavascriptBridgeAnimationDelegate: initializing the animation view");
    auto host = host_.lock();
    if (host == nullptr) {
        return CommandResult::ok();
    }
    host->prepareAnimationView(true);
    auto view = host->animationView();
    animationView_ = view;
    if (view != nullptr) {
        view->renderScene();
        view->setDelegate(shared_from_this());
    }
    return CommandResult::ok();
}

CommandResult Delegate::finalizeAnimation(const BridgeArguments& /*a*/) {
    MNLog("JavascriptBridgeAnimationDelegate: finalizing the animation view");
    animationView_.reset();
    return CommandResult::ok();
}

CommandResult Delegate::hideAnimation(const BridgeArguments& /*a*/) {
    if (auto view = animationView()) {
        view->setHidden(true);
    }
    return CommandResult::ok();
}

CommandResult Delegate::showAnimation(const BridgeArguments& /*a*/) {
    if (auto view = animationView()) {
        view->setHidden(false);
    }
    return CommandResult::ok();
}

CommandResult Delegate::setAnimationViewHidden(const BridgeArguments& a) {
    if (auto view = animationView()) {
        view->setHidden(fnd::boolValue(text(a, 0)));
    }
    return CommandResult::ok();
}

CommandResult Delegate::setAnimationViewFrameXYWidthHeight(const BridgeArguments& a) {
    if (auto view = animationView()) {
        view->setFrame(gfx::Rect(fnd::floatValue(text(a, 0)), fnd::floatValue(text(a, 1)), fnd::floatValue(text(a, 2)),
                                 fnd::floatValue(text(a, 3))));
    }
    return CommandResult::ok();
}

// Returns at once: a library over HTTP replaces the view's when it comes, on the main loop; the script's
// later commands meanwhile work on the library there was.
CommandResult Delegate::loadPropertyListFromFile(const BridgeArguments& a) {
    if (auto view = animationView()) {
        view->loadPropertiesFromFile(text(a, 0));
    }
    return CommandResult::ok();
}

CommandResult Delegate::showFrame(const BridgeArguments& /*a*/) {
    if (auto view = animationView()) {
        view->renderScene();
    }
    return CommandResult::ok();
}

CommandResult Delegate::showFrameWithCallback(const BridgeArguments& a) {
    if (auto view = animationView()) {
        view->setRenderContext(fnd::Value(text(a, 0)));
        view->renderScene();
    }
    return CommandResult::ok();
}

CommandResult Delegate::newSprite(const BridgeArguments& a) {
    if (auto view = animationView()) {
        view->spriteInstanceWithKey(text(a, 0), true);
    }
    return CommandResult::ok();
}

CommandResult Delegate::newShapeFromLibraryShape(const BridgeArguments& a) {
    if (auto view = animationView()) {
        view->shapeInstanceWithKey(text(a, 0), text(a, 1), true);
    }
    return CommandResult::ok();
}

CommandResult Delegate::setSpriteCallback(const BridgeArguments& a, int which) {
    auto sprite = spriteWithKey(text(a, 0));
    if (sprite == nullptr) {
        return CommandResult::ok();
    }
    std::string callback = text(a, 1);
    switch (which) {
    case 0:
        sprite->setTouchBeganCallback(std::move(callback));
        break;
    case 1:
        sprite->setTouchMovedCallback(std::move(callback));
        break;
    default:
        sprite->setTouchEndedCallback(std::move(callback));
        break;
    }
    sprite->setUsePathChecking(fnd::boolValue(text(a, 2)));
    return CommandResult::ok();
}

CommandResult Delegate::setSpriteTouchBeganCallbackComplex(const BridgeArguments& a) {
    return setSpriteCallback(a, 0);
}

CommandResult Delegate::setSpriteTouchMovedCallbackComplex(const BridgeArguments& a) {
    return setSpriteCallback(a, 1);
}

CommandResult Delegate::setSpriteTouchEndedCallbackComplex(const BridgeArguments& a) {
    return setSpriteCallback(a, 2);
}

CommandResult Delegate::setObjectPropertyValue(const BridgeArguments& a) {
    auto view = animationView();
    auto object = view != nullptr ? view->characterInstanceWithKey(text(a, 0)) : nullptr;
    if (object == nullptr) {
        return CommandResult::ok();
    }
    const std::string key = text(a, 1);
    for (const CharacterProperty& property : kCharacterProperties) {
        if (property.key == key) {
            return property.set(*object, text(a, 2)) ? CommandResult::ok() : unknownKey(key);
        }
    }
    return unknownKey(key);
}

CommandResult Delegate::place(const BridgeArguments& a, bool withAlpha, bool useFill) {
    auto view = animationView();
    auto object = view != nullptr ? view->characterInstanceWithKey(text(a, 0)) : nullptr;
    auto sprite = spriteWithKey(text(a, 1));
    if (object == nullptr || sprite == nullptr) {
        return CommandResult::ok();
    }
    const unsigned layer = layerValue(text(a, 2));
    const std::string transform = text(a, 3);
    if (!withAlpha) {
        setTransformAlphaForObject(transform, std::nullopt, *object);
        object->setOpacity(1.0F);
        sprite->placeObj(object, layer);
        return CommandResult::ok();
    }
    if (useFill) {
        object = view->shapeInstanceWithKeyFromEntryOverrideFill(text(a, 0), object->libraryKey(), text(a, 5));
        if (object == nullptr) {
            return CommandResult::ok();
        }
    }
    sprite->placeObj(object, layer);
    setTransformAlphaForObject(transform, text(a, 4), *object);
    return CommandResult::ok();
}

CommandResult Delegate::placeObjectInSpriteLayerTransform(const BridgeArguments& a) {
    return place(a, false, false);
}

CommandResult Delegate::placeObjectInSpriteLayerTransformAlpha(const BridgeArguments& a) {
    return place(a, true, false);
}

CommandResult Delegate::placeObjectInSpriteLayerTransformAlphaUseFill(const BridgeArguments& a) {
    return place(a, true, true);
}

CommandResult Delegate::placeClippingObjectInSpriteFirstLayerLastLayerTransform(const BridgeArguments& a) {
    auto sprite = spriteWithKey(text(a, 1));
    if (sprite == nullptr) {
        return CommandResult::ok();
    }
    auto object = animationView()->characterInstanceWithKey(text(a, 0));
    if (object == nullptr) {
        return CommandResult::ok();
    }
    const int first = fnd::intValue(text(a, 2));
    const int last = fnd::intValue(text(a, 3));
    sprite->placeClippingObj(object, static_cast<unsigned>(first),
                             static_cast<unsigned>(static_cast<int64_t>(last) - first));
    setTransformAlphaForObject(text(a, 4), std::nullopt, *object);
    object->setOpacity(1.0F);
    return CommandResult::ok();
}

CommandResult Delegate::clearLayerForObject(const BridgeArguments& a) {
    if (auto sprite = spriteWithKey(text(a, 1))) {
        sprite->removeObjectAtLayer(layerValue(text(a, 0)));
    }
    return CommandResult::ok();
}

CommandResult Delegate::move(const BridgeArguments& a, bool withAlpha) {
    auto sprite = spriteWithKey(text(a, 0));
    auto object = sprite != nullptr ? sprite->objectAtLayer(layerValue(text(a, 1))) : nullptr;
    if (object != nullptr) {
        setTransformAlphaForObject(text(a, 2), withAlpha ? std::optional<std::string>(text(a, 3)) : std::nullopt,
                                   *object);
    }
    return CommandResult::ok();
}

CommandResult Delegate::moveObjectInSpriteLayerTransform(const BridgeArguments& a) {
    return move(a, false);
}

CommandResult Delegate::moveObjectInSpriteLayerTransformAlpha(const BridgeArguments& a) {
    return move(a, true);
}

} // namespace zelvan::marlin
