// JavascriptBridgeAnimationDelegate: the script bridge's animation command handler. Its page object
// "BridgeGraphics" turns script calls into commands that build and move the vector scene of the animation
// view and ask for frames; frame and touch callbacks go back to the script through the bridge.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>

#include "ads/marlin/animation/mn_animation_view.h"
#include "ads/marlin/javascript_bridge.h"

namespace zelvan::marlin {

class IMarlinContentHost;
class MNSprite;

class JavascriptBridgeAnimationDelegate : public JavascriptCommandHandler,
                                          public MNAnimationViewDelegate,
                                          public std::enable_shared_from_this<JavascriptBridgeAnimationDelegate> {
public:
    explicit JavascriptBridgeAnimationDelegate(std::weak_ptr<IMarlinContentHost> host);

    // The handler's command table; its order is the order of the generated functions.
    static std::span<const BridgeCommand> commandTable();
    std::span<const BridgeCommand> commands() const override { return commandTable(); }
    void setBridge(JavascriptBridge* bridge) override { bridge_ = bridge; }
    // "var BridgeGraphics = ..." with one function per command.
    std::string bridgeScript() override;

    // The view the commands act on; none before the animation is initialised and after it is finalised.
    std::shared_ptr<MNAnimationView> animationView() const { return animationView_.lock(); }
    void setAnimationView(const std::shared_ptr<MNAnimationView>& view) { animationView_ = view; }

    // Sends a frame's render context or a touch callback to the script; a frame's context runs once.
    void animationViewPerformedAction(MNAnimationView& view, const fnd::Value& context) override;

    // --- Commands (the rows of the table) ---
    CommandResult initializeAnimation(const BridgeArguments& a);
    CommandResult finalizeAnimation(const BridgeArguments& a);
    CommandResult hideAnimation(const BridgeArguments& a);
    CommandResult showAnimation(const BridgeArguments& a);
    CommandResult setAnimationViewHidden(const BridgeArguments& a);
    CommandResult setAnimationViewFrameXYWidthHeight(const BridgeArguments& a);
    CommandResult loadPropertyListFromFile(const BridgeArguments& a);
    CommandResult showFrame(const BridgeArguments& a);
    CommandResult showFrameWithCallback(const BridgeArguments& a);
    CommandResult newSprite(const BridgeArguments& a);
    CommandResult newShapeFromLibraryShape(const BridgeArguments& a);
    CommandResult setSpriteTouchBeganCallbackComplex(const BridgeArguments& a);
    CommandResult setSpriteTouchMovedCallbackComplex(const BridgeArguments& a);
    CommandResult setSpriteTouchEndedCallbackComplex(const BridgeArguments& a);
    CommandResult setObjectPropertyValue(const BridgeArguments& a);
    CommandResult placeObjectInSpriteLayerTransform(const BridgeArguments& a);
    CommandResult placeObjectInSpriteLayerTransformAlpha(const BridgeArguments& a);
    CommandResult placeObjectInSpriteLayerTransformAlphaUseFill(const BridgeArguments& a);
    CommandResult placeClippingObjectInSpriteFirstLayerLastLayerTransform(const BridgeArguments& a);
    CommandResult clearLayerForObject(const BridgeArguments& a);
    CommandResult moveObjectInSpriteLayerTransform(const BridgeArguments& a);
    CommandResult moveObjectInSpriteLayerTransformAlpha(const BridgeArguments& a);

    // Applies a transform text (six comma-separated numbers a, b, c, d, tx, ty; "null" or any other
    // count leaves it) and an alpha text ("null" or -1 leaves it) to `object`.
    static void setTransformAlphaForObject(const std::optional<std::string>& transform,
                                           const std::optional<std::string>& alpha, MNCharacter& object);

private:
    // The sprite registered under `key`, without creating one; none for a shape or nothing.
    std::shared_ptr<MNSprite> spriteWithKey(const std::string& key) const;
    CommandResult setSpriteCallback(const BridgeArguments& a, int which);
    CommandResult place(const BridgeArguments& a, bool withAlpha, bool useFill);
    CommandResult move(const BridgeArguments& a, bool withAlpha);

    std::weak_ptr<IMarlinContentHost> host_;
    JavascriptBridge* bridge_ = nullptr;
    std::weak_ptr<MNAnimationView> animationView_;
};

} // namespace zelvan::marlin
