// The script object pool: allocation order, collection that keeps exactly what the roots reach (checked
// against a reachability oracle on random graphs with cycles), marks cleared after every collection,
// wrapped platform objects released with their wrapper, marking of very deep chains, and byte strings
// that keep their objects and bytes across collections while the slots and arena they were made in are
// reused.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <vector>

#include "games/engine/object_pool.h"

namespace zelvan {
namespace {

// Everything reachable from `roots` through arrays: a plain breadth-first walk, independent of the
// pool's own marking.
std::set<ZObject*> reachable(const std::vector<ScriptValue>& roots) {
    std::set<ZObject*> seen;
    std::vector<ZObject*> queue;
    auto visit = [&](ScriptValue v) {
        ZObject* o = objectOf(v);
        if (o != nullptr && o->type != ZObject::kNull && seen.insert(o).second) {
            queue.push_back(o);
        }
    };
    for (ScriptValue root : roots) {
        visit(root);
    }
    while (!queue.empty()) {
        ZObject* o = queue.back();
        queue.pop_back();
        if (ZArray* a = arrayOf(valueOf(o))) {
            for (ScriptValue e : a->elements) {
                visit(e);
            }
        }
    }
    return seen;
}

TEST(ObjectPoolTest, CollectionKeepsExactlyWhatTheRootsReach) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::mt19937 rng(seed);
        ZObjectPool pool;
        std::vector<ZObject*> live;
        for (int round = 0; round < 3; ++round) {
            // New objects, then random edges among all live ones (self-loops and cycles included).
            int fresh = 50 + static_cast<int>(rng() % 150);
            for (int i = 0; i < fresh; ++i) {
                switch (rng() % 4) {
                case 0:
                    live.push_back(pool.newData(fnd::Bytes{static_cast<uint8_t>(i)}));
                    break;
                case 1:
                    live.push_back(pool.newNSObject(fnd::Value(i)));
                    break;
                default:
                    live.push_back(pool.newArray());
                    break;
                }
            }
            for (ZObject* o : live) {
                if (ZArray* a = arrayOf(valueOf(o))) {
                    int edges = static_cast<int>(rng() % 4);
                    for (int e = 0; e < edges; ++e) {
                        switch (rng() % 5) {
                        case 0:
                            a->elements.push_back(fromInt(static_cast<int32_t>(rng())));
                            break;
                        case 1:
                            a->elements.push_back(nullValue());
                            break;
                        default:
                            a->elements.push_back(valueOf(live[rng() % live.size()]));
                            break;
                        }
                    }
                }
            }
            std::vector<ScriptValue> roots = {nullValue(), fromInt(3)};
            for (int r = 0; r < 5; ++r) {
                roots.push_back(valueOf(live[rng() % live.size()]));
            }
            const std::set<ZObject*> expected = reachable(roots);
            std::vector<ZObject*> expectedOrder;
            for (ZObject* o : pool.objects()) {
                if (expected.contains(o)) {
                    expectedOrder.push_back(o);
                }
            }

            pool.freePool(roots);

            ASSERT_EQ(pool.objects(), expectedOrder) << "seed " << seed << " round " << round;
            for (ZObject* o : pool.objects()) {
                EXPECT_EQ(o->marked, 0) << "seed " << seed;
            }
            live = pool.objects();
        }
        EXPECT_EQ(ZNull::instance()->marked, 0);
    }
}

struct Tracked : fnd::Object {};

TEST(ObjectPoolTest, AllocationOrderCyclesAndReleasedWrappers) {
    ZObjectPool pool;
    EXPECT_GE(pool.objects().capacity(), ZObjectPool::kInitialCapacity);
    ZArray* a = pool.newArray();
    ZData* d = pool.newData();
    ZNSObject* w = pool.newNSObject();
    EXPECT_EQ(pool.objects(), (std::vector<ZObject*>{a, d, w}));
    EXPECT_TRUE(w->object.isNull());
    EXPECT_EQ(a->type, ZObject::kArray);
    EXPECT_EQ(d->type, ZObject::kData);
    EXPECT_EQ(w->type, ZObject::kNSObject);

    // A wrapper's platform object lives exactly as long as the wrapper.
    auto tracked = std::make_shared<Tracked>();
    std::weak_ptr<Tracked> watch = tracked;
    w->object = fnd::Value(std::move(tracked));

    // Two cycles: one reachable from the roots, one not.
    ZArray* kept1 = pool.newArray();
    ZArray* kept2 = pool.newArray({valueOf(kept1), valueOf(w)});
    kept1->elements.push_back(valueOf(kept2));
    ZArray* lost1 = pool.newArray();
    ZArray* lost2 = pool.newArray({valueOf(lost1)});
    lost1->elements.push_back(valueOf(lost2));
    lost1->elements.push_back(valueOf(lost1));

    const ScriptValue roots[] = {valueOf(kept1)};
    pool.freePool(roots);
    EXPECT_EQ(pool.objects(), (std::vector<ZObject*>{w, kept1, kept2}));
    EXPECT_FALSE(watch.expired());
    EXPECT_EQ(kept1->marked | kept2->marked | w->marked, 0);

    pool.freePool({});
    EXPECT_TRUE(pool.objects().empty());
    EXPECT_TRUE(watch.expired());

    // dispose frees everything at once and the pool stays usable.
    pool.newArray();
    pool.newData(fnd::Bytes{1, 2});
    pool.dispose();
    EXPECT_EQ(pool.size(), 0u);
    ZObjectPool::deleteObject(nullptr);
}

TEST(ObjectPoolTest, LiveBytesFollowAllocationGrowthAndCollection) {
    ZObjectPool pool;
    EXPECT_EQ(pool.liveBytes(), 0u);
    ZArray* big = pool.newArray(std::vector<ScriptValue>(1000, fromInt(1)));
    EXPECT_GE(pool.liveBytes(), 1000 * sizeof(ScriptValue));
    size_t afterArray = pool.liveBytes();
    pool.newData(fnd::Bytes(5000, 7));
    EXPECT_GE(pool.liveBytes(), afterArray + 5000);
    // Even empty objects count, so a flood of them reaches the limit too.
    size_t beforeEmpty = pool.liveBytes();
    pool.newArray();
    EXPECT_GT(pool.liveBytes(), beforeEmpty);

    pool.charge(ZObjectPool::kMaxLiveBytes);
    EXPECT_TRUE(pool.overLimit());

    // A collection recounts from the survivors only.
    const ScriptValue roots[] = {valueOf(big)};
    pool.freePool(roots);
    EXPECT_FALSE(pool.overLimit());
    EXPECT_EQ(pool.liveBytes(), ZObjectPool::footprint(big));
    EXPECT_LT(pool.liveBytes(), afterArray + 100);
    pool.dispose();
    EXPECT_EQ(pool.liveBytes(), 0u);
}

TEST(ObjectPoolTest, ByteStringsOutliveTheArenaTheyWereMadeIn) {
    ZObjectPool pool;
    const fnd::Bytes head{1, 2, 3};
    const fnd::Bytes tail{4, 5};
    ZData* joined = pool.newData(head, tail);
    ZData* big = pool.newData(fnd::Bytes(ZByteArena::kBlockSize, 9)); // past the arena's large-request size
    ZData* zeros = pool.newData(size_t{4});
    ZArray* keep = pool.newArray({valueOf(joined), valueOf(big), valueOf(zeros)});
    // Enough garbage to fill several blocks and slot chunks, so the next round has them to reuse.
    for (int i = 0; i < 64; ++i) {
        pool.newData(fnd::Bytes(ZByteArena::kBlockSize / 8, 7));
    }
    for (size_t i = 0; i < 2 * ZDataSlots::kSlotsPerChunk; ++i) {
        pool.newData();
    }
    EXPECT_EQ(pool.dataSlots().liveCount(), 2 * ZDataSlots::kSlotsPerChunk + 67);
    EXPECT_EQ(pool.dataSlots().chunkCount(), 3u);
    EXPECT_EQ(joined->bytes.storage(), &pool.arena());
    EXPECT_GE(pool.arena().heldBytes(), 3 * ZByteArena::kBlockSize);

    const ScriptValue roots[] = {valueOf(keep)};
    pool.freePool(roots);
    EXPECT_EQ(pool.liveBytes(), ZObjectPool::footprint(keep) + ZObjectPool::footprint(joined) +
                                    ZObjectPool::footprint(big) + ZObjectPool::footprint(zeros));
    EXPECT_GE(pool.liveBytes(), ZByteArena::kBlockSize + 9);
    EXPECT_EQ(pool.dataSlots().liveCount(), 3u);
    // The survivors' bytes moved out and read the same after the arena's blocks are written again.
    for (int i = 0; i < 64; ++i) {
        pool.newData(fnd::Bytes(ZByteArena::kBlockSize / 8, 0xee));
    }
    EXPECT_NE(joined->bytes.storage(), &pool.arena());
    EXPECT_EQ(fnd::Bytes(joined->bytes.begin(), joined->bytes.end()), (fnd::Bytes{1, 2, 3, 4, 5}));
    EXPECT_EQ(fnd::Bytes(big->bytes.begin(), big->bytes.end()), fnd::Bytes(ZByteArena::kBlockSize, 9));
    EXPECT_EQ(fnd::Bytes(zeros->bytes.begin(), zeros->bytes.end()), fnd::Bytes(4, 0));

    // A round that needs little gives back the blocks and chunks the big rounds kept.
    pool.freePool(roots);
    pool.newData(fnd::Bytes{1});
    pool.freePool(roots);
    EXPECT_LE(pool.arena().heldBytes(), ZByteArena::kBlockSize);
    EXPECT_EQ(pool.dataSlots().chunkCount(), 1u);
    EXPECT_EQ(fnd::Bytes(joined->bytes.begin(), joined->bytes.end()), (fnd::Bytes{1, 2, 3, 4, 5}));
}

TEST(ObjectPoolTest, MarksAMillionDeepChainWithoutRecursion) {
    ZObjectPool pool;
    constexpr int kDepth = 1'000'000;
    ZArray* head = pool.newArray();
    ZArray* tail = head;
    for (int i = 1; i < kDepth; ++i) {
        ZArray* next = pool.newArray();
        tail->elements.push_back(valueOf(next));
        tail = next;
    }
    tail->elements.push_back(valueOf(head)); // and closes it into one long cycle
    ZData* garbage = pool.newData();
    (void)garbage;

    const ScriptValue roots[] = {valueOf(head)};
    pool.freePool(roots);
    EXPECT_EQ(pool.size(), static_cast<size_t>(kDepth));
    EXPECT_EQ(pool.objects().front(), head);
    EXPECT_EQ(pool.objects().back(), tail);
    EXPECT_EQ(head->marked | tail->marked, 0);

    pool.freePool({});
    EXPECT_EQ(pool.size(), 0u);
}

} // namespace
} // namespace zelvan
