// The messenger's card list container against a plain vector doing the same random insertions and
// removals: the same cards in the same order, the same positions, the same first card for each id, the
// same bisections.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "messaging/model/card_list.h"
#include "messaging/model/v_card.h"

namespace zelvan {
namespace {

using Cards = std::vector<std::shared_ptr<vCard>>;

// The list holds the vector's cards in its order, reads them by position, and bisects it the same way.
void expectSameAs(const CardList<vCard>& list, const Cards& expected, size_t stride) {
    ASSERT_EQ(list.toVector(), expected);
    for (size_t i = 0; i < expected.size(); i += stride) {
        EXPECT_EQ(list[i], expected[i]);
    }
    if (expected.size() >= 2) {
        for (int32_t pivot : {0, 17, 33, 49}) {
            auto weigh = [pivot](const vCard& card) { return card.userid() < pivot ? -1 : (card.userid() > pivot); };
            const size_t plain = halveSpan(0, expected.size() - 1, [&](size_t mid) { return weigh(*expected[mid]); });
            EXPECT_EQ(list.bisect(0, expected.size() - 1, weigh), plain) << "pivot " << pivot;
        }
    }
}

TEST(CardListTest, KeepsTheOrderAndFirstCardOfEachIdOfAVector) {
    CardList<vCard> list([](const vCard& card) { return card.userid(); });
    Cards expected;
    std::mt19937 rng(7);
    for (int step = 0; step < 3000; ++step) {
        const unsigned choice = rng() % 10;
        if (choice < 6 || expected.empty()) {
            // Ids repeat, so several cards share one; now and then a card already listed goes in again.
            auto card = choice == 0 && !expected.empty() ? expected[rng() % expected.size()] : vCard::create();
            if (card.use_count() == 1) {
                card->setUserid(static_cast<int32_t>(rng() % 50));
            }
            const size_t at = rng() % (expected.size() + 2); // past the end appends
            list.insert(at, card);
            expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(std::min(at, expected.size())), card);
        } else {
            const auto card = expected[rng() % expected.size()];
            EXPECT_EQ(list.remove(*card), static_cast<size_t>(std::count(expected.begin(), expected.end(), card)));
            std::erase(expected, card);
        }
        ASSERT_EQ(list.size(), expected.size());
        if (step % 100 == 0) {
            expectSameAs(list, expected, 7);
            for (size_t i = 0; i < expected.size(); i += 7) {
                const auto first = std::find(expected.begin(), expected.end(), expected[i]) - expected.begin();
                EXPECT_EQ(list.indexOf(*expected[i]), static_cast<size_t>(first));
            }
            for (int32_t id = 0; id < 50; ++id) {
                auto first =
                    std::find_if(expected.begin(), expected.end(), [&](const auto& c) { return c->userid() == id; });
                EXPECT_EQ(list.firstWithKey(id), first == expected.end() ? nullptr : *first) << "id " << id;
            }
        }
    }
    EXPECT_EQ(list.front(), expected.front());
    EXPECT_EQ(list.back(), expected.back());

    // A card whose id changed while listed is not found under either id until it is inserted again.
    auto moved = list.front();
    const int32_t old = moved->userid();
    moved->setUserid(1000);
    EXPECT_NE(list.firstWithKey(old), moved);
    EXPECT_EQ(list.firstWithKey(1000), nullptr);
    list.remove(*moved);
    list.push_back(moved);
    EXPECT_EQ(list.firstWithKey(1000), moved);
    EXPECT_EQ(list.back(), moved);

    EXPECT_EQ(list.indexOf(*vCard::create()), list.size());
    list.pop_back();
    EXPECT_NE(list.back(), moved);

    list.clear();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.begin(), list.end());
    EXPECT_EQ(list.firstWithKey(1000), nullptr);
    EXPECT_EQ(CardList<vCard>().firstWithKey(0), nullptr); // a list without ids finds nothing
}

TEST(CardListTest, GrowsAndShrinksThroughManyRunsInOrder) {
    // Enough cards for three levels of runs: appended, which leaves the runs half full; then more crowded
    // into a few places, so that the runs there fill up; then the first thousand taken out in order and
    // the last 1,700 from the end, so that runs empty beside full neighbours on either side; then the
    // rest in random order.
    CardList<vCard> list;
    Cards expected;
    std::mt19937 rng(11);
    auto insert = [&](size_t at) {
        auto card = vCard::create();
        card->setUserid(static_cast<int32_t>(rng() % 50));
        list.insert(at, card);
        expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(at), card);
    };
    auto crowd = [&](size_t from, size_t to, int cards) {
        for (int i = 0; i < cards; ++i) {
            insert(from + rng() % (to - from));
        }
    };
    for (size_t i = 0; i < 6000; ++i) {
        insert(i);
    }
    crowd(33, 60, 20);
    crowd(1100, 1900, 1300);
    crowd(4450, 5300, 1300);
    crowd(expected.size() - 75, expected.size() - 55, 20);
    expectSameAs(list, expected, 13);
    Cards order = expected;
    std::reverse(order.end() - 1700, order.end());
    std::rotate(order.begin() + 1000, order.end() - 1700, order.end());
    std::shuffle(order.begin() + 2700, order.end(), rng);
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(list.remove(*order[i]), 1U);
        std::erase(expected, order[i]);
        if (i % 500 == 499 || expected.size() < 3) {
            expectSameAs(list, expected, 13);
        }
    }
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.begin(), list.end());
}

} // namespace
} // namespace zelvan
