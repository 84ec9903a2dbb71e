// CardList: one of the messenger's lists of cards (every contact, the friends, the address-book
// contacts, the chat rooms, the chat groups) as a sequence whose reads by position, insertions at a
// position and removals of a card all take O(log n), with an optional lookup of the first card holding
// an id. Lists of 100,000 friends whose presence keeps changing, or of 100,000 rooms, stay cheap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <random>
#include <unordered_map>
#include <vector>

namespace zelvan {

// The contact lists' halving of the span between positions lo and hi: while a position lies strictly
// inside, `weighAt(lo, hi, mid)` weighs the card at mid = (lo + hi) / 2; below zero the span goes on
// between mid and hi, above zero between lo and mid, and zero ends it at mid. Returns mid, or hi once no
// position lies inside. One rule for the plain lists and for CardList::bisect.
template <class WeighAt>
size_t halveSpan(size_t lo, size_t hi, WeighAt weighAt) {
    while (lo + 1 < hi) {
        const size_t mid = (lo + hi) / 2;
        const int order = weighAt(lo, hi, mid);
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
        bool operator==(const const_iterator& other) const { return node_ == other.node_; }

    private:
        friend class CardList;
        explicit const_iterator(const Node* node) : node_(node) {}
        const Node* node_ = nullptr;
    };

    size_t size() const;
    bool empty() const { return root_ == nullptr; }
    // The card at `index` (VERIFY: below the size).
    const Card& operator[](size_t index) const;
    const Card& front() const { return (*this)[0]; }
    const Card& back() const { return (*this)[size() - 1]; }
    const_iterator begin() const;
    const_iterator end() const { return const_iterator(); }
    std::vector<Card> toVector() const;
    // The position of the card's first occurrence, or the size when it is not listed.
    size_t indexOf(const T& card) const;
    // Halves the span between positions lo and hi (lo < hi < size) while cards lie strictly inside it:
    // `weigh` is asked about the card at mid = (lo + hi) / 2; below zero the walk goes on between mid
    // and hi, above zero between lo and mid, and zero ends it at mid. Returns where it ended: mid, or
    // hi once no card lies inside. The walk descends the tree once: the subtree holding the span
    // narrows with it, and each middle card is found below that subtree rather than from the root.
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
    static size_t sizeOf(const Node* node);
    // Puts `child` (or nothing) on that side of `node` and recounts `node` from the child alone.
    static void setLeft(Node* node, Node* child);
    static void setRight(Node* node, Node* child);
    // Splits `tree` into its first `count` nodes and the rest.
    static std::pair<Node*, Node*> split(Node* tree, size_t count);
    static Node* merge(Node* left, Node* right);
    static const Node* leftmost(const Node* node);
    // The node's position in the list.
    static size_t rankOf(const Node* node);
    void unlink(Node* node);

    KeyOf keyOf_;
    Node* root_ = nullptr;
    std::minstd_rand priorities_;
    // Every listed node by its card (a card listed twice has two).
    std::unordered_multimap<const T*, Node*> nodes_;
    // The nodes live in blocks of the list's own, reused through a free list, so that the tree lies
    // in a few runs of memory rather than scattered among the cards.
    Node* newNode();
    std::vector<std::unique_ptr<Node[]>> blocks_;
    std::vector<Node*> freeNodes_;
    // The nodes of each id, straight from the id; positions decide between the few that share one.
    std::unordered_multimap<int32_t, const Node*> byKey_;
};

} // namespace zelvan
