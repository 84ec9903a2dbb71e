// The view tree: hook order on add, move and removal, window hooks reaching whole subtrees,
// reordering calls, refusal of cycles, viewWithTag, and the responder chain up to the application.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/view.h"
#include "platform/ui/window.h"

namespace ui {
namespace {

std::vector<std::string>* gLog = nullptr;

class HookView : public View {
public:
    explicit HookView(std::string name) : name_(std::move(name)) {}
    void willMoveToSuperview(View* s) override { note("willMoveToSuperview", s); }
    void didMoveToSuperview() override { note("didMoveToSuperview", superview().get()); }
    void willMoveToWindow(Window* w) override { note("willMoveToWindow", w); }
    void didMoveToWindow() override { note("didMoveToWindow", window().get()); }
    void didAddSubview(View* v) override { note("didAddSubview", v); }

private:
    void note(const std::string& hook, const View* arg) {
        std::string who = "null";
        if (auto* h = dynamic_cast<const HookView*>(arg)) {
            who = h->name_;
        } else if (arg) {
            who = arg->className();
        }
        gLog->push_back(name_ + "." + hook + "(" + who + ")");
    }
    std::string name_;
};

std::vector<const View*> order(const View& v) {
    std::vector<const View*> out;
    for (const auto& s : v.subviews()) {
        out.push_back(s.get());
    }
    return out;
}

TEST(ViewHierarchyTest, HooksRunInOrderAndReachTheSubtree) {
    std::vector<std::string> log;
    gLog = &log;
    auto window = View::create<Window>(gfx::Rect(0, 0, 320, 480));
    auto parent = View::create<HookView>(gfx::Rect(0, 0, 100, 100), "parent");
    auto child = View::create<HookView>(gfx::Rect(0, 0, 10, 10), "child");
    parent->addSubview(child);
    EXPECT_EQ(log, (std::vector<std::string>{"child.willMoveToSuperview(parent)", "child.didMoveToSuperview(parent)",
                                             "parent.didAddSubview(child)"}));

    log.clear();
    window->addSubview(parent);
    EXPECT_EQ(log, (std::vector<std::string>{"parent.willMoveToSuperview(Window)", "parent.willMoveToWindow(Window)",
                                             "child.willMoveToWindow(Window)", "parent.didMoveToWindow(Window)",
                                             "child.didMoveToWindow(Window)", "parent.didMoveToSuperview(Window)"}));
    EXPECT_EQ(child->window(), window);

    // Moving a view between superviews of the same window: no window hooks.
    auto other = View::create<HookView>(gfx::Rect(0, 0, 50, 50), "other");
    window->addSubview(other);
    log.clear();
    other->addSubview(child);
    EXPECT_EQ(log, (std::vector<std::string>{"child.willMoveToSuperview(other)", "child.didMoveToSuperview(other)",
                                             "other.didAddSubview(child)"}));
    EXPECT_TRUE(parent->subviews().empty());

    log.clear();
    other->removeFromSuperview();
    EXPECT_EQ(log, (std::vector<std::string>{"other.willMoveToSuperview(null)", "other.willMoveToWindow(null)",
                                             "child.willMoveToWindow(null)", "other.didMoveToWindow(null)",
                                             "child.didMoveToWindow(null)", "other.didMoveToSuperview(null)"}));
    EXPECT_EQ(child->window(), nullptr);
    EXPECT_EQ(child->superview(), other);
    gLog = nullptr;
}

TEST(ViewHierarchyTest, OrderingCallsAndCycles) {
    auto root = View::create(gfx::Rect(0, 0, 100, 100));
    auto a = View::create(gfx::Rect());
    auto b = View::create(gfx::Rect());
    auto c = View::create(gfx::Rect());
    root->addSubview(a);
    root->addSubview(b);
    root->insertSubviewAtIndex(c, 0);
    EXPECT_EQ(order(*root), (std::vector<const View*>{c.get(), a.get(), b.get()}));
    root->bringSubviewToFront(c.get());
    EXPECT_EQ(order(*root), (std::vector<const View*>{a.get(), b.get(), c.get()}));
    root->sendSubviewToBack(b.get());
    EXPECT_EQ(order(*root), (std::vector<const View*>{b.get(), a.get(), c.get()}));
    root->insertSubviewAboveSubview(b, a.get());
    EXPECT_EQ(order(*root), (std::vector<const View*>{a.get(), b.get(), c.get()}));
    root->insertSubviewBelowSubview(c, a.get());
    EXPECT_EQ(order(*root), (std::vector<const View*>{c.get(), a.get(), b.get()}));
    root->insertSubviewAtIndex(a, 99);
    EXPECT_EQ(order(*root), (std::vector<const View*>{c.get(), b.get(), a.get()}));

    // A view never becomes its own ancestor.
    a->addSubview(root);
    EXPECT_EQ(root->superview(), nullptr);
    a->addSubview(a);
    EXPECT_TRUE(a->subviews().empty());
    EXPECT_TRUE(a->isDescendantOfView(root.get()));
    EXPECT_TRUE(a->isDescendantOfView(a.get()));
    EXPECT_FALSE(root->isDescendantOfView(a.get()));

    // A removed view stays alive for whoever holds it; the superview lets go.
    std::weak_ptr<View> weak = b;
    b.reset();
    EXPECT_FALSE(weak.expired());
    weak.lock()->removeFromSuperview();
    EXPECT_TRUE(weak.expired());
}

TEST(ViewHierarchyTest, TagsAndResponderChain) {
    auto window = View::create<Window>(gfx::Rect(0, 0, 320, 480));
    auto a = View::create(gfx::Rect());
    auto b = View::create(gfx::Rect());
    auto c = View::create(gfx::Rect());
    a->setTag(5);
    b->setTag(7);
    c->setTag(7);
    window->addSubview(a);
    a->addSubview(b);
    window->addSubview(c);
    EXPECT_EQ(window->viewWithTag(7), b); // depth-first
    EXPECT_EQ(a->viewWithTag(5), a);      // self included
    EXPECT_EQ(a->viewWithTag(9), nullptr);

    EXPECT_EQ(b->nextResponder(), a.get());
    EXPECT_EQ(a->nextResponder(), window.get());
    EXPECT_EQ(window->nextResponder(), &Application::shared());
    auto controller = std::make_shared<View>(); // any responder can stand in for a controller
    a->setViewController(controller);
    EXPECT_EQ(a->nextResponder(), controller.get());
}

} // namespace
} // namespace ui
