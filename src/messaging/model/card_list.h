// CardList: one of the messenger's lists of cards (every contact, the friends, the address-book
// contacts, the chat rooms, the chat groups) as a sequence whose reads by position, insertions at a
// position and removals of a card all take O(log n), with an optional lookup of the first card holding
// an id. Lists of 100,000 friends whose presence keeps changing, or of 100,000 rooms, stay cheap: the
// cards sit in runs of up to 64 under a shallow tree of counts, so a walk by position reads three or
// four small nodes and a bisection ends inside one run. The contact lists' sorted insertion
// (contact_lists.cpp) halves a CardList's span with the same halveSpan as a plain list's and reads the live
// cards, since a list need not be sorted, so a presence change puts its card where it would go in a plain
// list; vCard keeps what that comparison reads in its first members (v_card.h). The tree: card_list.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zelvan {

// The contact lists' halving of the span between positions lo and hi: while a position lies strictly
// inside, `weighAt(mid)` weighs the card at mid = (lo + hi) / 2; below zero the span goes on between mid
// and hi, above zero between lo and mid, and zero ends it at mid. Returns mid, or hi once no position lies
// inside. One rule for the plain lists and for CardList::bisect.
template <class WeighAt>
size_t halveSpan(size_t lo, size_t hi, WeighAt weighAt) {
    while (lo + 1 < hi) {
        const size_t mid = (lo + hi) / 2;
        const int order = weighAt(mid);
        if (order < 0) {
            lo = mid;
        } else if (order == 0) {
            return mid;
        } else {
            hi = mid;
        }
    }
    return hi;
}

// Built for vCard, ChatRoomCard and ChatGroupCard (card_list.cpp).
template <class T>
class CardList {
public:
    using Card = std::shared_ptr<T>;
    using value_type = Card;
    // The id a list is looked up by; read once, when the card is inserted.
    using KeyOf = int32_t (*)(const T&);

    // Without `keyOf`, firstWithKey finds nothing.
    explicit CardList(KeyOf keyOf = nullptr);
    ~CardList();
    CardList(const CardList&) = delete;
    CardList& operator=(const CardList&) = delete;
    // The list becomes `cards`, in that order.
    CardList& operator=(std::initializer_list<Card> cards);

private:
    struct Node;
    struct Leaf;
    struct Inner;

public:
    // Walks the cards in list order.
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Card;
        using difference_type = std::ptrdiff_t;
        using pointer = const Card*;
        using reference = const Card&;

        const_iterator() = default;
        reference operator*() const;
        pointer operator->() const { return &**this; }
        const_iterator& operator++();
        const_iterator operator++(int);
        bool operator==(const const_iterator& other) const { return leaf_ == other.leaf_ && at_ == other.at_; }

    private:
        friend class CardList;
        const_iterator(const Leaf* leaf, uint32_t at) : leaf_(leaf), at_(at) {}
        const Leaf* leaf_ = nullptr;
        uint32_t at_ = 0;
    };

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // The card at `index` (VERIFY: below the size).
    const Card& operator[](size_t index) const;
    const Card& front() const { return (*this)[0]; }
    const Card& back() const { return (*this)[size() - 1]; }
    const_iterator begin() const;
    const_iterator end() const { return {}; }
    std::vector<Card> toVector() const;
    // The position of the card's first occurrence, or the size when it is not listed.
    size_t indexOf(const T& card) const;
    // Halves the span between positions lo and hi (lo < hi < size) while cards lie strictly inside it:
    // `weigh` is asked about the card at mid = (lo + hi) / 2; below zero the walk goes on between mid
    // and hi, above zero between lo and mid, and zero ends it at mid. Returns where it ended: mid, or
    // hi once no card lies inside. Once the span lies inside one run of cards, the middle cards are
    // read straight from it.
    size_t bisect(size_t lo, size_t hi, const std::function<int(const T&)>& weigh) const;

    // Inserts `card` before position `index` (at the end when `index` is the size or more).
    void insert(size_t index, Card card);
    void push_back(Card card) { insert(size(), std::move(card)); }
    // Removes the last card (with any other occurrence of it).
    void pop_back() { remove(*back()); }
    // Removes every occurrence of the card; returns how many there were.
    size_t remove(const T& card);
    template <class Pred>
    void removeIf(Pred pred) {
        for (const Card& card : toVector()) {
            if (pred(card)) {
                remove(*card);
            }
        }
    }
    void clear();

    // The first card in list order whose id was `key` when it was inserted and still is, or null. A
    // card whose id changes is removed and inserted again by its owner.
    Card firstWithKey(int32_t key) const;

private:
    // Where each listed card sits, and the id it had when it went in.
    struct Place {
        Leaf* leaf;
        int32_t key;
    };

    // The run holding position `pos` (below the size) and the position of its first card.
    std::pair<const Leaf*, size_t> locate(size_t pos) const;
    // The position of the run's first card.
    static size_t startOf(const Node* node);
    static uint32_t slotOf(const Node* child);
    static size_t sizeOf(const Node* node);
    // Adds `delta` to the counts of every node above `node`.
    static void adjustSizes(Node* node, std::ptrdiff_t delta);
    // Hangs `right` just after `left`, under a new root when `left` is the root; a full parent splits.
    void addSibling(Node* left, Node* right);
    // Merges an underfull node with a neighbour that has room, and shrinks the root to its only child.
    void rebalance(Node* node);
    // Moves the cards from `first` on from `from` to the end of `to` and relinks their places.
    void moveCards(Leaf& from, uint32_t first, Leaf& to);
    // Shares the cards or children of two neighbours evenly, keeping their order.
    void balanceLeaves(Leaf& left, Leaf& right);
    static void balanceInners(Inner& left, Inner& right);
    // Copies `n` children from position `first` of `from` to position `at` of `to` (counts unchanged).
    static void moveChildren(Inner& from, uint32_t first, uint32_t n, Inner& to, uint32_t at);
    // Moves one place of `card` from one run to another.
    void relink(const T* card, const Leaf& from, Leaf& to);
    void removeAt(Leaf& leaf, uint32_t at, std::vector<Card>& removed);
    static uint32_t offsetOf(const Leaf& leaf, const T* card);
    static void destroy(Node* node);

    KeyOf keyOf_;
    Node* root_ = nullptr;
    size_t size_ = 0;
    // Every listed card's run (a card listed twice has two places).
    std::unordered_multimap<const T*, Place> places_;
    // The cards of each id, straight from the id; positions decide between the few that share one.
    std::unordered_multimap<int32_t, const T*> byKey_;
};

} // namespace zelvan
