// IdList: a list of cards in the order they joined it (the chat rooms, the chat groups) that finds the
// first card holding an id without walking the list, so a list of 100,000 rooms is filled and looked up
// in linear time overall.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <unordered_map>
#include <vector>

namespace zelvan {

// `IdOf` reads a card's id. A card's id is set before it joins the list and stays while it is listed.
template <class Card, int32_t (Card::*IdOf)() const>
class IdList {
public:
    using Ptr = std::shared_ptr<Card>;
    using const_iterator = typename std::vector<Ptr>::const_iterator;

    IdList() = default;
    IdList& operator=(std::initializer_list<Ptr> cards) {
        cards_ = cards;
        stale_ = true;
        return *this;
    }

    size_t size() const { return cards_.size(); }
    bool empty() const { return cards_.empty(); }
    const Ptr& operator[](size_t index) const { return cards_[index]; }
    const Ptr& front() const { return cards_.front(); }
    const Ptr& back() const { return cards_.back(); }
    const_iterator begin() const { return cards_.begin(); }
    const_iterator end() const { return cards_.end(); }

    void push_back(Ptr card) {
        cards_.push_back(std::move(card));
        if (!stale_) {
            firstAt_.try_emplace(idOf(*cards_.back()), cards_.size() - 1);
        }
    }
    void pop_back() {
        cards_.pop_back();
        stale_ = true;
    }
    // Removes every occurrence of the card.
    void remove(const Ptr& card) {
        std::erase(cards_, card);
        stale_ = true;
    }
    template <class Pred>
    void removeIf(Pred pred) {
        std::erase_if(cards_, pred);
        stale_ = true;
    }
    void clear() {
        cards_.clear();
        firstAt_.clear();
        stale_ = false;
    }

    // The first card holding `id`, or null.
    Ptr find(int32_t id) const {
        if (stale_) {
            rebuild();
        }
        auto found = firstAt_.find(id);
        if (found != firstAt_.end() && idOf(*cards_[found->second]) != id) {
            // A card's id changed while it was listed: read the list again.
            rebuild();
            found = firstAt_.find(id);
        }
        return found == firstAt_.end() ? nullptr : cards_[found->second];
    }

private:
    static int32_t idOf(const Card& card) { return (card.*IdOf)(); }

    void rebuild() const {
        firstAt_.clear();
        for (size_t i = 0; i < cards_.size(); ++i) {
            firstAt_.try_emplace(idOf(*cards_[i]), i);
        }
        stale_ = false;
    }

    std::vector<Ptr> cards_;
    // Where the first card of each id stands; rebuilt on the first lookup after a removal.
    mutable std::unordered_map<int32_t, size_t> firstAt_;
    mutable bool stale_ = false;
};

} // namespace zelvan
