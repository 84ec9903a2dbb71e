// LFU cache: eviction by fewest uses, then by oldest last use; replacement, removal, zero capacity.
#include <gtest/gtest.h>

#include "core/lfu_cache.h"

namespace zelvan {
namespace {

using fnd::Value;

TEST(LFUCacheTest, EvictsFewestUsesThenOldestLastUse) {
    ZLFUCache heads(3);
    heads.put(Value("a"), 1);
    heads.put(Value("b"), 2);
    heads.put(Value("c"), 3);
    EXPECT_EQ(heads.find(1), Value("a")); // 1: two uses
    EXPECT_EQ(heads.find(1), Value("a")); // 1: three uses
    EXPECT_EQ(heads.find(3), Value("c")); // 3: two uses, 2 keeps one

    heads.put(Value("d"), 4); // 2 has the fewest uses
    EXPECT_EQ(heads.count(), 3u);
    EXPECT_TRUE(heads.find(2).isNull());

    // After this find 3 and 4 both have two uses, and 3's last use is the older.
    EXPECT_EQ(heads.find(4), Value("d"));
    heads.put(Value("e"), 5);
    EXPECT_TRUE(heads.find(3).isNull());

    // Among entries with one use each, the oldest goes first: 5 (inserted) before 6.
    ZLFUCache ties(2);
    ties.put(Value(50), 5);
    ties.put(Value(60), 6);
    ties.put(Value(70), 7);
    EXPECT_TRUE(ties.find(5).isNull());
    EXPECT_EQ(ties.find(6), Value(60));
    EXPECT_EQ(ties.find(7), Value(70));
    // A hit refreshes the age as well as the count: 6 and 7 have two uses, 7 was used last.
    ties.put(Value(80), 8);
    EXPECT_TRUE(ties.find(6).isNull());
    EXPECT_EQ(ties.find(7), Value(70));
    EXPECT_EQ(ties.find(8), Value(80));
}

TEST(LFUCacheTest, ReplaceRemoveAndEdgeCapacities) {
    ZLFUCache cache(2);
    cache.put(Value("old"), 1);
    cache.put(Value("new"), 1); // replacement counts a use and does not evict
    cache.put(Value("x"), 2);
    EXPECT_EQ(cache.count(), 2u);
    cache.put(Value("y"), 3); // 2 (one use) goes, 1 (two uses) stays
    EXPECT_EQ(cache.find(1), Value("new"));
    EXPECT_TRUE(cache.find(2).isNull());

    cache.remove(1);
    cache.remove(42); // harmless
    EXPECT_EQ(cache.count(), 1u);
    EXPECT_TRUE(cache.find(1).isNull());
    cache.put(Value(), 3); // a null value removes
    EXPECT_EQ(cache.count(), 0u);

    cache.put(Value("p"), 7);
    cache.put(Value("q"), 8);
    cache.removeAllObjects();
    EXPECT_EQ(cache.count(), 0u);
    EXPECT_TRUE(cache.find(7).isNull());
    cache.put(Value("r"), 9); // usable after clearing
    EXPECT_EQ(cache.find(9), Value("r"));

    for (int capacity : {0, -5}) {
        ZLFUCache none(capacity);
        none.put(Value("z"), 1);
        EXPECT_EQ(none.count(), 0u);
        EXPECT_TRUE(none.find(1).isNull());
    }

    ZLFUCache one(1);
    one.put(Value(1), 1);
    one.find(1);
    one.find(1);
    one.put(Value(2), 2); // a full cache of one always makes room for the new key
    EXPECT_TRUE(one.find(1).isNull());
    EXPECT_EQ(one.find(2), Value(2));
}

} // namespace
} // namespace zelvan
