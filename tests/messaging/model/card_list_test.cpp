// The messenger's card list container against a plain vector doing the same random insertions and
// removals: the same cards in the same order, the same positions, the same first card for each id.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "messaging/model/card_list.h"
#include "messaging/model/v_card.h"

namespace zelvan {
namespace {

TEST(CardListTest, KeepsTheOrderAndFirstCardOfEachIdOfAVector) {
    CardList<vCard> list([](const vCard& card) { return card.userid(); });
    std::vector<std::shared_ptr<vCard>> expected;
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
            EXPECT_EQ(list.toVector(), expected);
            for (size_t i = 0; i < expected.size(); i += 7) {
                EXPECT_EQ(list[i], expected[i]);
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

} // namespace
} // namespace zelvan
