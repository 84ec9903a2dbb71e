// Int collections and the weak listener array: missing-entry answers, replacement, removal, and
// listeners dropped once their owners let them go.
#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "core/int_collections.h"
#include "core/weak_reference_array.h"
#include "platform/foundation/object.h"

namespace zelvan {
namespace {

using fnd::Value;

TEST(IntCollectionsTest, IntArrayKeepsOrderAndAnswersOutOfRangeSafely) {
    ZIntArray ids;
    EXPECT_EQ(ids.count(), 0u);
    EXPECT_EQ(ids.valueAtIndex(0), INT32_MAX);
    EXPECT_EQ(ids.removeValueAtIndex(0), INT32_MAX);

    for (int32_t v : {10, -3, 10, INT32_MIN}) {
        ids.addValue(v);
    }
    ASSERT_EQ(ids.count(), 4u);
    EXPECT_EQ(ids.valueAtIndex(1), -3);
    EXPECT_EQ(ids.valueAtIndex(3), INT32_MIN);
    EXPECT_EQ(ids.valueAtIndex(-1), INT32_MAX);
    EXPECT_EQ(ids.valueAtIndex(4), INT32_MAX);
    EXPECT_TRUE(ids.containsValue(-3));
    EXPECT_FALSE(ids.containsValue(3));

    EXPECT_EQ(ids.removeValueAtIndex(-1), INT32_MAX);
    EXPECT_EQ(ids.removeValueAtIndex(4), INT32_MAX);
    EXPECT_EQ(ids.count(), 4u);
    EXPECT_EQ(ids.removeValueAtIndex(0), 10);
    EXPECT_EQ(ids.count(), 3u);
    EXPECT_EQ(ids.valueAtIndex(0), -3);
    EXPECT_TRUE(ids.containsValue(10)); // the second 10 is still there
    EXPECT_EQ(ids.removeValueAtIndex(2), INT32_MIN);
    EXPECT_EQ(ids.count(), 2u);
}

TEST(IntCollectionsTest, IntMapReplacesAndGivesMaxForMissingKeys) {
    ZIntMap unfold;
    EXPECT_EQ(unfold.valueForKey(3), INT32_MAX);
    EXPECT_FALSE(unfold.containsKey(3));
    unfold.setIntValue(1, 1);
    unfold.setIntValue(0, 5);
    unfold.setIntValue(0, 2);
    EXPECT_EQ(unfold.count(), 3u);
    EXPECT_EQ(unfold.valueForKey(1), 1);
    EXPECT_EQ(unfold.valueForKey(5), 0);
    EXPECT_TRUE(unfold.containsKey(5));
    unfold.setIntValue(7, 5);
    EXPECT_EQ(unfold.valueForKey(5), 7);
    EXPECT_EQ(unfold.count(), 3u);
    // A stored INT32_MAX is indistinguishable by value; containsKey tells them apart.
    unfold.setIntValue(INT32_MAX, -4);
    EXPECT_EQ(unfold.valueForKey(-4), INT32_MAX);
    EXPECT_TRUE(unfold.containsKey(-4));
}

struct Button : fnd::Object {
    std::string className() const override { return "Button"; }
};

TEST(IntCollectionsTest, IntObjectMapHoldsValuesAndObjects) {
    ZIntNSObjectMap map;
    EXPECT_TRUE(map.objectForKey(1).isNull());
    EXPECT_EQ(map.intForKey(1), 0);

    std::weak_ptr<Button> watched;
    {
        auto button = std::make_shared<Button>();
        watched = button;
        map.setObject(Value(button), 4);
    }
    EXPECT_FALSE(watched.expired()); // the map retains it
    EXPECT_EQ(map.objectForKey(4).asObject<Button>(), watched.lock());
    EXPECT_EQ(map.intForKey(4), 0);

    map.setObject(Value(9), 1);
    map.setObject(Value("12 caps"), 2);
    map.setObject(Value(3.9), 3);
    EXPECT_EQ(map.intForKey(1), 9);
    EXPECT_EQ(map.intForKey(2), 12);
    EXPECT_EQ(map.intForKey(3), 3);
    EXPECT_EQ(map.objectForKey(2), Value("12 caps"));

    map.setObject(Value(5), 4); // replacing releases the button
    EXPECT_TRUE(watched.expired());
    EXPECT_EQ(map.intForKey(4), 5);

    map.removeObjectForKey(1);
    EXPECT_TRUE(map.objectForKey(1).isNull());
    EXPECT_EQ(map.intForKey(1), 0);
    map.setObject(Value(), 2); // a null value removes the key
    EXPECT_TRUE(map.objectForKey(2).isNull());
    map.removeObjectForKey(99); // harmless
}

TEST(IntCollectionsTest, IntSetHasNoDuplicates) {
    ZIntSet whitelist;
    EXPECT_FALSE(whitelist.containsValue(42));
    whitelist.addValue(42);
    whitelist.addValue(42);
    whitelist.addValue(-1);
    EXPECT_TRUE(whitelist.containsValue(42));
    whitelist.removeValue(42); // one removal undoes both adds
    EXPECT_FALSE(whitelist.containsValue(42));
    EXPECT_TRUE(whitelist.containsValue(-1));
    whitelist.removeValue(7);
    EXPECT_TRUE(whitelist.containsValue(-1));
}

struct Listener {
    int id;
};

TEST(IntCollectionsTest, WeakArrayDoesNotRetainAndDropsDeadListeners) {
    ZWeakReferenceArray<Listener> listeners;
    auto a = std::make_shared<Listener>(Listener{1});
    auto b = std::make_shared<Listener>(Listener{2});
    auto c = std::make_shared<Listener>(Listener{3});
    listeners.addObject(a);
    listeners.addObject(b);
    listeners.addObject(c);
    listeners.addObject(nullptr);
    EXPECT_EQ(listeners.count(), 3u);
    EXPECT_EQ(a.use_count(), 1); // not retained

    std::weak_ptr<Listener> bWatch = b;
    b.reset();
    EXPECT_TRUE(bWatch.expired());
    EXPECT_EQ(listeners.count(), 2u);
    EXPECT_EQ(listeners.objectAtIndex(0), a);
    EXPECT_EQ(listeners.objectAtIndex(1), c); // live objects close up
    EXPECT_EQ(listeners.objectAtIndex(2), nullptr);
    EXPECT_EQ(listeners.objectAtIndex(-1), nullptr);

    EXPECT_TRUE(listeners.containsObject(c));
    EXPECT_FALSE(listeners.containsObject(nullptr));
    listeners.addObject(a);
    EXPECT_EQ(listeners.count(), 3u);
    listeners.removeObject(a); // every entry of it
    EXPECT_FALSE(listeners.containsObject(a));
    EXPECT_EQ(listeners.count(), 1u);
    EXPECT_EQ(listeners.objectAtIndex(0)->id, 3);

    c.reset();
    EXPECT_EQ(listeners.count(), 0u);
    EXPECT_EQ(listeners.objectAtIndex(0), nullptr);
}

} // namespace
} // namespace zelvan
