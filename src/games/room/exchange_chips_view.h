// ExchangeChipsView: the panel on which the player chooses how many of the service's currency units
// to turn into game chips (100 chips a unit), with a slider and plus and minus buttons, and confirms
// or cancels the choice to its delegate.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/view.h"

namespace ui {
class Button;
class Label;
class Slider;
} // namespace ui

namespace zelvan {

// Hears the player's answer on the panel.
class ExchangeChipsViewDelegate {
public:
    virtual ~ExchangeChipsViewDelegate() = default;
    // The player confirmed `zelvans` units (0 to the units held).
    virtual void exchangeZelvan(int32_t zelvans) = 0;
    virtual void cancelExchange() = 0;
};

class ExchangeChipsView : public ui::View {
public:
    static constexpr double kWidth = 275;
    static constexpr double kHeight = 165;
    // The units held are clamped to 0 ... kMaxZelvan.
    static constexpr int32_t kMaxZelvan = 9999;
    static constexpr int32_t kChipsPerZelvan = 100;

    // A panel for a player holding `zelvans` units (initWithZelvan), at the origin.
    static std::shared_ptr<ExchangeChipsView> initWithZelvan(int32_t zelvans);

    std::string className() const override { return "ExchangeChipsView"; }

    // Held weakly: a delegate that has gone hears nothing.
    std::shared_ptr<ExchangeChipsViewDelegate> exchangeChipsViewDelegate() const { return delegate_.lock(); }
    void setExchangeChipsViewDelegate(std::weak_ptr<ExchangeChipsViewDelegate> delegate) {
        delegate_ = std::move(delegate);
    }

    // The units label shows exzelvan, the chips label exzelvan x 100.
    void updateLabels();
    // The slider moved: with units held, exzelvan = ceiling(value / 100 x maxzelvan).
    void sliderAction();
    // One unit more or less, within 0 ... maxzelvan; the slider follows.
    void addZelvan();
    void decreaseZelvan();
    void resetSlider();
    // The choice (exzelvan) to the delegate.
    void submitExchange();
    void cancel();

    int32_t exzelvan() const { return exzelvan_; }
    int32_t maxzelvan() const { return maxzelvan_; }
    const std::shared_ptr<ui::Label>& zelvanLabel() const { return zelvanLabel_; }
    const std::shared_ptr<ui::Label>& chipsLabel() const { return chipsLabel_; }
    const std::shared_ptr<ui::Button>& confirmButton() const { return confirm_; }
    const std::shared_ptr<ui::Button>& cancelButton() const { return cancel_; }
    const std::shared_ptr<ui::Button>& addButton() const { return add_; }
    const std::shared_ptr<ui::Button>& decreaseButton() const { return decrease_; }
    const std::shared_ptr<ui::Slider>& slider() const { return slider_; }

private:
    void build(int32_t zelvans);
    // An image button from the localised resource key at (x, y), calling `action` on touch-up inside.
    std::shared_ptr<ui::Button> imageButton(const char* key, double x, double y, void (ExchangeChipsView::*action)());
    // The slider at exzelvan / maxzelvan x 100 (only with units held).
    void followWithSlider();

    std::weak_ptr<ExchangeChipsViewDelegate> delegate_;
    std::shared_ptr<ui::Label> zelvanLabel_;
    std::shared_ptr<ui::Label> chipsLabel_;
    std::shared_ptr<ui::Button> confirm_;
    std::shared_ptr<ui::Button> cancel_;
    std::shared_ptr<ui::Button> add_;
    std::shared_ptr<ui::Button> decrease_;
    std::shared_ptr<ui::Slider> slider_;
    int32_t exzelvan_ = 0;
    int32_t maxzelvan_ = 0;
};

} // namespace zelvan
