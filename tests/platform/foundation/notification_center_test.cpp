// Notification delivery as observers see it: order, names and sender filters, every way of
// removing an observer (also in the middle of a post), weakly held owners, delivery on the posting
// thread, and Observable values with their tokens.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/notification_center.h"
#include "platform/foundation/object.h"
#include "platform/foundation/observable.h"

namespace fnd {
namespace {

struct Owner {
    std::string name;
};

struct Card : Object {
    std::string className() const override { return "Card"; }
};

TEST(NotificationCenterTest, DeliversInRegistrationOrderWithNameObjectAndUserInfo) {
    NotificationCenter center;
    auto a = std::make_shared<Owner>(Owner{"a"});
    auto b = std::make_shared<Owner>(Owner{"b"});
    std::vector<std::string> heard;
    auto record = [&](const std::string& who) {
        return [&heard, who](const Notification& n) {
            heard.push_back(who + ":" + n.name + ":" + n.object.stringValue() + ":" +
                            n.userInfo.asDictionary()->objectForKey("score").stringValue());
        };
    };
    center.addObserver(b, "ORV Thumb Image Recieved", Value(), record("b1"));
    center.addObserver(a, "ORV Thumb Image Recieved", Value(), record("a"));
    center.addObserver(b, "8", Value(), record("other"));
    center.addObserver(b, "ORV Thumb Image Recieved", Value(), record("b2"));

    center.postNotificationName("ORV Thumb Image Recieved", "sender", Value::dictionary({{"score", 12}}));
    EXPECT_EQ(heard,
              (std::vector<std::string>{"b1:ORV Thumb Image Recieved:sender:12", "a:ORV Thumb Image Recieved:sender:12",
                                        "b2:ORV Thumb Image Recieved:sender:12"}));
    heard.clear();
    center.postNotificationName("nobody listens");
    EXPECT_TRUE(heard.empty());
}

TEST(NotificationCenterTest, SenderFiltersByIdentityForObjectsAndByEqualityForStrings) {
    NotificationCenter center;
    auto owner = std::make_shared<Owner>();
    auto card = std::make_shared<Card>();
    auto otherCard = std::make_shared<Card>();
    auto list = Value::array({1, 2});
    std::vector<std::string> heard;
    center.addObserver(owner, "n", Value(card), [&](const Notification&) { heard.push_back("card"); });
    center.addObserver(owner, "n", Value("room"), [&](const Notification&) { heard.push_back("room"); });
    center.addObserver(owner, "n", list, [&](const Notification&) { heard.push_back("list"); });
    center.addObserver(owner, "n", Value(), [&](const Notification&) { heard.push_back("any"); });

    center.postNotificationName("n", Value(card));
    center.postNotificationName("n", Value(otherCard));
    center.postNotificationName("n", Value(std::string("ro") + "om"));
    center.postNotificationName("n", Value::array({1, 2})); // equal, but another array
    center.postNotificationName("n", list);
    center.postNotificationName("n");
    EXPECT_EQ(heard, (std::vector<std::string>{"card", "any", "any", "room", "any", "any", "list", "any", "any"}));

    // A sender is not kept alive by its observers; once it dies they are dropped with their handlers.
    auto captured = std::make_shared<int>(0);
    std::weak_ptr<int> capturedWatch = captured;
    center.addObserver(owner, "n", Value(otherCard), [captured](const Notification&) {});
    captured.reset();
    std::weak_ptr<Card> cardWatch = otherCard;
    otherCard.reset();
    EXPECT_TRUE(cardWatch.expired());
    center.postNotificationName("n", "x");
    EXPECT_TRUE(capturedWatch.expired());
}

TEST(NotificationCenterTest, RemovesByIdByOwnerByNameAndSenderAndByToken) {
    NotificationCenter center;
    auto a = std::make_shared<Owner>();
    auto b = std::make_shared<Owner>();
    std::vector<std::string> heard;
    auto note = [&](std::string what) { return [&heard, what](const Notification&) { heard.push_back(what); }; };
    ObserverId first = center.addObserver(a, "n", Value(), note("a-any"));
    center.addObserver(a, "n", Value("s"), note("a-s"));
    center.addObserver(a, "n", Value("t"), note("a-t"));
    center.addObserver(a, "m", Value(), note("a-m"));
    center.addObserver(b, "n", Value("s"), note("b-s"));
    ObserverToken token = center.addObserver("n", Value(), note("token"));

    center.removeObserver(first);
    center.removeObserver(a, "n", Value("s"));
    center.postNotificationName("n", "s");
    center.postNotificationName("n", "t");
    EXPECT_EQ(heard, (std::vector<std::string>{"b-s", "token", "a-t", "token"}));

    heard.clear();
    center.removeObserver(a, "n", Value()); // every sender of that name
    center.postNotificationName("n", "t");
    center.postNotificationName("m");
    EXPECT_EQ(heard, (std::vector<std::string>{"token", "a-m"}));

    heard.clear();
    center.removeObserver(a);
    token.reset();
    center.postNotificationName("n", "s");
    center.postNotificationName("m");
    EXPECT_EQ(heard, (std::vector<std::string>{"b-s"}));

    // A token that outlives its center does nothing when it goes.
    auto shortLived = std::make_unique<NotificationCenter>();
    ObserverToken late = shortLived->addObserver("n", Value(), note("late"));
    shortLived.reset();
    late.reset();
    EXPECT_FALSE(late);
}

TEST(NotificationCenterTest, ChangesDuringAPostApplyFromTheNextObserverOrPost) {
    NotificationCenter center;
    auto owner = std::make_shared<Owner>();
    std::vector<std::string> heard;
    ObserverId second = 0;
    ObserverId third = 0;
    center.addObserver(owner, "n", Value(), [&](const Notification&) {
        heard.push_back("first");
        center.removeObserver(third);
        center.addObserver(owner, "n", Value(), [&](const Notification&) { heard.push_back("added"); });
    });
    second = center.addObserver(owner, "n", Value(), [&](const Notification&) {
        heard.push_back("second");
        center.removeObserver(second); // removing itself while running is safe
    });
    third = center.addObserver(owner, "n", Value(), [&](const Notification&) { heard.push_back("third"); });

    center.postNotificationName("n");
    EXPECT_EQ(heard, (std::vector<std::string>{"first", "second"}));
    heard.clear();
    center.postNotificationName("n");
    EXPECT_EQ(heard, (std::vector<std::string>{"first", "added"}));
}

TEST(NotificationCenterTest, DeadOwnersAreSkippedAndTheirHandlersReleased) {
    NotificationCenter center;
    auto living = std::make_shared<Owner>();
    auto dying = std::make_shared<Owner>();
    auto captured = std::make_shared<int>(0);
    std::weak_ptr<int> capturedWatch = captured;
    int livingCalls = 0;
    int dyingCalls = 0;
    center.addObserver(dying, "n", Value(), [&dyingCalls, captured](const Notification&) { ++dyingCalls; });
    center.addObserver(living, "n", Value(), [&](const Notification&) { ++livingCalls; });
    captured.reset();

    center.postNotificationName("n");
    dying.reset();
    center.postNotificationName("n");
    EXPECT_EQ(dyingCalls, 1);
    EXPECT_EQ(livingCalls, 2);
    EXPECT_TRUE(capturedWatch.expired());

    // An owner may remove itself from its destructor through weak_from_this().
    struct SelfRemoving : std::enable_shared_from_this<SelfRemoving> {
        explicit SelfRemoving(NotificationCenter& c) : center(c) {}
        ~SelfRemoving() { center.removeObserver(weak_from_this()); }
        NotificationCenter& center;
    };
    auto self = std::make_shared<SelfRemoving>(center);
    auto selfCaptured = std::make_shared<int>(0);
    std::weak_ptr<int> selfCapturedWatch = selfCaptured;
    int selfCalls = 0;
    center.addObserver(self, "n", Value(), [&selfCalls, selfCaptured](const Notification&) { ++selfCalls; });
    selfCaptured.reset();
    self.reset();
    EXPECT_TRUE(selfCapturedWatch.expired()); // removed by the destructor, before any post
    center.postNotificationName("n");
    EXPECT_EQ(selfCalls, 0);
    EXPECT_EQ(livingCalls, 3);
}

TEST(NotificationCenterTest, ObserveCallsTheTargetWhileItAndTheTokenLive) {
    int refreshes = 0;
    std::vector<std::string> senders;
    struct Screen {
        void refresh() { ++*refreshes; }
        void read(const Notification& n) { senders->push_back(*n.object.asString()); }
        int* refreshes;
        std::vector<std::string>* senders;
    };
    NotificationCenter center;
    auto screen = std::make_shared<Screen>(Screen{&refreshes, &senders});
    auto refreshToken = center.observe("n", screen, &Screen::refresh);
    auto readToken = center.observe("n", screen, &Screen::read, Value("a"));
    center.postNotificationName("n", Value("a"));
    center.postNotificationName("n", Value("b"));
    EXPECT_EQ(refreshes, 2);
    EXPECT_EQ(senders, std::vector<std::string>{"a"});

    refreshToken.reset();
    center.postNotificationName("n", Value("a"));
    EXPECT_EQ(refreshes, 2);
    EXPECT_EQ(senders.size(), 2u);

    // A gone target is never called, though its token still holds the observation.
    screen.reset();
    center.postNotificationName("n", Value("a"));
    EXPECT_TRUE(readToken);
    EXPECT_EQ(senders.size(), 2u);
}

TEST(NotificationCenterTest, DeliversOnThePostingThread) {
    auto& center = NotificationCenter::defaultCenter();
    auto owner = std::make_shared<Owner>();
    std::thread::id deliveredOn;
    center.addObserver(owner, "threaded", Value(), [&](const Notification& n) {
        deliveredOn = std::this_thread::get_id();
        EXPECT_EQ(n.object.stringValue(), "from worker");
    });
    std::thread::id workerId;
    std::thread worker([&] {
        workerId = std::this_thread::get_id();
        center.postNotificationName("threaded", "from worker");
    });
    worker.join();
    EXPECT_EQ(deliveredOn, workerId);
    EXPECT_NE(deliveredOn, std::this_thread::get_id());
    center.removeObserver(owner);
}

TEST(ObservableTest, SetNotifiesUntilTheTokenGoes) {
    Observable<int> phase(1);
    EXPECT_EQ(phase.get(), 1);
    std::vector<std::string> heard;
    ObserverToken first = phase.addObserver([&](const int& v) { heard.push_back("first " + std::to_string(v)); });
    ObserverToken later;
    ObserverToken second = phase.addObserver([&](const int& v) {
        heard.push_back("second " + std::to_string(v));
        if (!later) {
            later = phase.addObserver([&](const int& w) { heard.push_back("later " + std::to_string(w)); });
        }
    });

    phase.set(2);
    EXPECT_EQ(phase.get(), 2);
    phase.set(2); // every set notifies
    first.reset();
    phase.set(3);
    EXPECT_EQ(heard, (std::vector<std::string>{"first 2", "second 2", "first 2", "second 2", "later 2", "second 3",
                                               "later 3"}));

    // Notified on the setting thread; a token outliving its Observable is harmless.
    std::thread::id heardOn;
    auto value = std::make_unique<Observable<std::string>>();
    ObserverToken token = value->addObserver([&](const std::string&) { heardOn = std::this_thread::get_id(); });
    std::thread worker([&] { value->set("done"); });
    auto workerId = worker.get_id();
    worker.join();
    EXPECT_EQ(heardOn, workerId);
    EXPECT_EQ(value->get(), "done");
    value.reset();
    token.reset();
    EXPECT_FALSE(token);
}

} // namespace
} // namespace fnd
