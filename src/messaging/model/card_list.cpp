// CardList as a counted B+ tree: leaves hold runs of up to 64 cards in list order, inner nodes hold up to
// 64 children and how many cards each child holds. A position is found by descending through the counts; a
// run's position by climbing its parents. Full nodes split in two, and a node that falls below a quarter
// merges with a neighbour that has room, or shares evenly with one that has not, so every node but the
// root stays at least a quarter full and the tree about log64(n) deep. Beside the tree, a hash map from
// each card to its run (places_) finds a card's position and its removal without a walk, and one from
// each id to its cards (byKey_) answers firstWithKey. Built for the messenger's card types.
#include "messaging/model/card_list.h"

#include <algorithm>
#include <array>
#include <optional>

#include "messaging/model/chat_group_card.h"
#include "messaging/model/chat_room_card.h"
#include "messaging/model/v_card.h"
#include "platform/foundation/verify.h"

namespace zelvan {

namespace {

// Cards in a run and children of an inner node, at most; a node with fewer than a quarter merges.
constexpr uint32_t kFanout = 64;
constexpr uint32_t kMinFill = kFanout / 4;

} // namespace

template <class T>
struct CardList<T>::Node {
    explicit Node(bool leaf) : isLeaf(leaf) {}
    Inner* parent = nullptr;
    // Cards (a leaf) or children (an inner node).
    uint32_t count = 0;
    const bool isLeaf;
};

template <class T>
struct CardList<T>::Leaf : Node {
    Leaf() : Node(true) {}
    Leaf* next = nullptr;
    std::array<Card, kFanout> cards;
};

template <class T>
struct CardList<T>::Inner : Node {
    Inner() : Node(false) {}
    // How many cards lie under each child.
    std::array<size_t, kFanout> sizes{};
    std::array<Node*, kFanout> children{};
};

template <class T>
CardList<T>::CardList(KeyOf keyOf) : keyOf_(keyOf) {}

template <class T>
CardList<T>::~CardList() {
    destroy(root_);
}

template <class T>
void CardList<T>::destroy(Node* node) {
    if (node == nullptr) {
        return;
    }
    if (node->isLeaf) {
        delete static_cast<Leaf*>(node);
        return;
    }
    auto* inner = static_cast<Inner*>(node);
    for (uint32_t i = 0; i < inner->count; ++i) {
        destroy(inner->children[i]);
    }
    delete inner;
}

template <class T>
const typename CardList<T>::Card& CardList<T>::const_iterator::operator*() const {
    VERIFY(leaf_ != nullptr);
    return leaf_->cards[at_];
}

template <class T>
typename CardList<T>::const_iterator& CardList<T>::const_iterator::operator++() {
    VERIFY(leaf_ != nullptr);
    if (++at_ == leaf_->count) {
        leaf_ = leaf_->next;
        at_ = 0;
    }
    return *this;
}

template <class T>
typename CardList<T>::const_iterator CardList<T>::const_iterator::operator++(int) {
    const_iterator before = *this;
    ++*this;
    return before;
}

template <class T>
size_t CardList<T>::sizeOf(const Node* node) {
    if (node->isLeaf) {
        return node->count;
    }
    const auto* inner = static_cast<const Inner*>(node);
    size_t total = 0;
    for (uint32_t i = 0; i < inner->count; ++i) {
        total += inner->sizes[i];
    }
    return total;
}

template <class T>
uint32_t CardList<T>::slotOf(const Node* child) {
    const Inner* parent = child->parent;
    const auto* at = std::find(parent->children.begin(), parent->children.begin() + parent->count, child);
    return static_cast<uint32_t>(at - parent->children.begin());
}

template <class T>
void CardList<T>::adjustSizes(Node* node, std::ptrdiff_t delta) {
    for (; node->parent != nullptr; node = node->parent) {
        node->parent->sizes[slotOf(node)] += static_cast<size_t>(delta);
    }
}

template <class T>
size_t CardList<T>::startOf(const Node* node) {
    size_t start = 0;
    for (; node->parent != nullptr; node = node->parent) {
        const Inner* parent = node->parent;
        for (uint32_t i = 0, slot = slotOf(node); i < slot; ++i) {
            start += parent->sizes[i];
        }
    }
    return start;
}

template <class T>
std::pair<const typename CardList<T>::Leaf*, size_t> CardList<T>::locate(size_t pos) const {
    const Node* node = root_;
    size_t start = 0;
    while (!node->isLeaf) {
        const auto* inner = static_cast<const Inner*>(node);
        uint32_t i = 0;
        while (pos >= start + inner->sizes[i]) {
            start += inner->sizes[i];
            ++i;
        }
        node = inner->children[i];
    }
    return {static_cast<const Leaf*>(node), start};
}

template <class T>
const typename CardList<T>::Card& CardList<T>::operator[](size_t index) const {
    VERIFY(index < size());
    auto [leaf, start] = locate(index);
    return leaf->cards[index - start];
}

template <class T>
typename CardList<T>::const_iterator CardList<T>::begin() const {
    if (root_ == nullptr) {
        return end();
    }
    const Node* node = root_;
    while (!node->isLeaf) {
        node = static_cast<const Inner*>(node)->children[0];
    }
    return {static_cast<const Leaf*>(node), 0};
}

template <class T>
std::vector<typename CardList<T>::Card> CardList<T>::toVector() const {
    std::vector<Card> cards;
    cards.reserve(size());
    cards.insert(cards.end(), begin(), end());
    return cards;
}

template <class T>
void CardList<T>::addSibling(Node* left, Node* right) {
    Inner* parent = left->parent;
    if (parent == nullptr) {
        auto* root = new Inner;
        root->children[0] = left;
        root->children[1] = right;
        root->sizes[0] = sizeOf(left);
        root->sizes[1] = sizeOf(right);
        root->count = 2;
        left->parent = right->parent = root;
        root_ = root;
        return;
    }
    uint32_t at = slotOf(left) + 1;
    if (parent->count == kFanout) {
        // The upper half of the parent's children goes to a new sibling of the parent.
        auto* upper = new Inner;
        constexpr uint32_t kHalf = kFanout / 2;
        moveChildren(*parent, kHalf, kFanout - kHalf, *upper, 0);
        upper->count = kFanout - kHalf;
        parent->count = kHalf;
        addSibling(parent, upper);
        if (at > kHalf) {
            parent = upper;
            at -= kHalf;
        }
    }
    for (uint32_t i = parent->count; i > at; --i) {
        parent->children[i] = parent->children[i - 1];
        parent->sizes[i] = parent->sizes[i - 1];
    }
    parent->children[at] = right;
    right->parent = parent;
    ++parent->count;
    // The cards under `left` are now split between it and `right`; the total above is unchanged.
    parent->sizes[at] = sizeOf(right);
    parent->sizes[at - 1] = sizeOf(left);
}

template <class T>
void CardList<T>::moveCards(Leaf& from, uint32_t first, Leaf& to) {
    for (uint32_t i = first; i < from.count; ++i) {
        relink(from.cards[i].get(), from, to);
        to.cards[to.count++] = std::move(from.cards[i]);
    }
    from.count = first;
}

template <class T>
void CardList<T>::insert(size_t index, Card card) {
    VERIFY(card != nullptr);
    index = std::min(index, size());
    Leaf* leaf = nullptr;
    uint32_t at = 0;
    if (root_ == nullptr) {
        leaf = new Leaf;
        root_ = leaf;
    } else {
        auto [found, start] = locate(index == size() ? index - 1 : index);
        leaf = const_cast<Leaf*>(found); // the list's own node, found through its const walk
        at = static_cast<uint32_t>(index - start);
    }
    if (leaf->count == kFanout) {
        auto* upper = new Leaf;
        moveCards(*leaf, kFanout / 2, *upper);
        upper->next = leaf->next;
        leaf->next = upper;
        addSibling(leaf, upper);
        if (at > kFanout / 2) {
            leaf = upper;
            at -= kFanout / 2;
        }
    }
    std::move_backward(leaf->cards.begin() + at, leaf->cards.begin() + leaf->count,
                       leaf->cards.begin() + leaf->count + 1);
    const int32_t key = keyOf_ ? keyOf_(*card) : 0;
    const T* raw = card.get();
    leaf->cards[at] = std::move(card);
    ++leaf->count;
    ++size_;
    adjustSizes(leaf, 1);
    places_.emplace(raw, Place{leaf, key});
    if (keyOf_) {
        byKey_.emplace(key, raw);
    }
}

template <class T>
CardList<T>& CardList<T>::operator=(std::initializer_list<Card> cards) {
    clear();
    for (const Card& card : cards) {
        push_back(card);
    }
    return *this;
}

template <class T>
uint32_t CardList<T>::offsetOf(const Leaf& leaf, const T* card) {
    uint32_t at = 0;
    while (leaf.cards[at].get() != card) {
        ++at;
    }
    return at;
}

template <class T>
size_t CardList<T>::indexOf(const T& card) const {
    auto [place, placeEnd] = places_.equal_range(&card);
    size_t index = size();
    for (; place != placeEnd; ++place) {
        const Leaf& leaf = *place->second.leaf;
        index = std::min(index, startOf(&leaf) + offsetOf(leaf, &card));
    }
    return index;
}

template <class T>
size_t CardList<T>::bisect(size_t lo, size_t hi, const std::function<int(const T&)>& weigh) const {
    VERIFY(lo < hi && hi < size());
    // The run the last card was read from, and the position of its first card: once the span lies inside
    // one run, its cards are read straight from it.
    const Leaf* leaf = nullptr;
    size_t start = 0;
    auto cardAt = [&](size_t pos) -> const T* {
        if (leaf == nullptr || pos < start || pos - start >= leaf->count) {
            std::tie(leaf, start) = locate(pos);
        }
        return leaf->cards[pos - start].get();
    };
    return halveSpan(lo, hi, [&](size_t mid) { return weigh(*cardAt(mid)); });
}

template <class T>
void CardList<T>::rebalance(Node* node) {
    if (node == root_) {
        if (node->count == 0) {
            destroy(node);
            root_ = nullptr;
        } else if (!node->isLeaf && node->count == 1) {
            auto* inner = static_cast<Inner*>(node);
            root_ = inner->children[0];
            root_->parent = nullptr;
            inner->count = 0;
            destroy(inner);
            rebalance(root_);
        }
        return;
    }
    if (node->count >= kMinFill) {
        return;
    }
    // Every node but the root holds at least kMinFill, so the parent has another child.
    Inner* parent = node->parent;
    const uint32_t slot = slotOf(node);
    const uint32_t leftSlot = slot + 1 < parent->count ? slot : slot - 1;
    Node* left = parent->children[leftSlot];
    Node* right = parent->children[leftSlot + 1];
    if (left->count + right->count > kFanout) {
        // Too many for one node: the two share them, each keeping at least half of a node.
        if (left->isLeaf) {
            balanceLeaves(*static_cast<Leaf*>(left), *static_cast<Leaf*>(right));
        } else {
            balanceInners(*static_cast<Inner*>(left), *static_cast<Inner*>(right));
        }
        parent->sizes[leftSlot] = sizeOf(left);
        parent->sizes[leftSlot + 1] = sizeOf(right);
        return;
    }
    if (left->isLeaf) {
        auto* from = static_cast<Leaf*>(right);
        auto* to = static_cast<Leaf*>(left);
        moveCards(*from, 0, *to);
        to->next = from->next;
    } else {
        auto* from = static_cast<Inner*>(right);
        auto* to = static_cast<Inner*>(left);
        moveChildren(*from, 0, from->count, *to, to->count);
        to->count += from->count;
        from->count = 0;
    }
    parent->sizes[leftSlot] += parent->sizes[leftSlot + 1];
    for (uint32_t i = leftSlot + 1; i + 1 < parent->count; ++i) {
        parent->children[i] = parent->children[i + 1];
        parent->sizes[i] = parent->sizes[i + 1];
    }
    --parent->count;
    destroy(right);
    rebalance(parent);
}

template <class T>
void CardList<T>::balanceLeaves(Leaf& left, Leaf& right) {
    const uint32_t want = (left.count + right.count) / 2;
    if (left.count > want) {
        const uint32_t moved = left.count - want;
        std::move_backward(right.cards.begin(), right.cards.begin() + right.count,
                           right.cards.begin() + right.count + moved);
        for (uint32_t i = 0; i < moved; ++i) {
            relink(left.cards[want + i].get(), left, right);
            right.cards[i] = std::move(left.cards[want + i]);
        }
        left.count = want;
        right.count += moved;
    } else {
        const uint32_t moved = want - left.count;
        for (uint32_t i = 0; i < moved; ++i) {
            relink(right.cards[i].get(), right, left);
            left.cards[left.count++] = std::move(right.cards[i]);
        }
        std::move(right.cards.begin() + moved, right.cards.begin() + right.count, right.cards.begin());
        right.count -= moved;
    }
}

template <class T>
void CardList<T>::balanceInners(Inner& left, Inner& right) {
    const uint32_t want = (left.count + right.count) / 2;
    if (left.count > want) {
        const uint32_t moved = left.count - want;
        moveChildren(right, 0, right.count, right, moved);
        moveChildren(left, want, moved, right, 0);
        left.count = want;
        right.count += moved;
    } else {
        const uint32_t moved = want - left.count;
        moveChildren(right, 0, moved, left, left.count);
        left.count += moved;
        moveChildren(right, moved, right.count - moved, right, 0);
        right.count -= moved;
    }
}

template <class T>
void CardList<T>::moveChildren(Inner& from, uint32_t first, uint32_t n, Inner& to, uint32_t at) {
    // Through a copy, since `from` and `to` may be one node with overlapping ranges.
    std::array<Node*, kFanout> children;
    std::array<size_t, kFanout> sizes;
    std::copy_n(from.children.begin() + first, n, children.begin());
    std::copy_n(from.sizes.begin() + first, n, sizes.begin());
    for (uint32_t i = 0; i < n; ++i) {
        to.children[at + i] = children[i];
        to.sizes[at + i] = sizes[i];
        children[i]->parent = &to;
    }
}

template <class T>
void CardList<T>::relink(const T* card, const Leaf& from, Leaf& to) {
    auto [place, placeEnd] = places_.equal_range(card);
    for (; place != placeEnd; ++place) {
        if (place->second.leaf == &from) {
            place->second.leaf = &to;
            return;
        }
    }
}

template <class T>
void CardList<T>::removeAt(Leaf& leaf, uint32_t at, std::vector<Card>& removed) {
    removed.push_back(std::move(leaf.cards[at]));
    std::move(leaf.cards.begin() + at + 1, leaf.cards.begin() + leaf.count, leaf.cards.begin() + at);
    --leaf.count;
    --size_;
    adjustSizes(&leaf, -1);
    rebalance(&leaf);
}

template <class T>
size_t CardList<T>::remove(const T& card) {
    // The cards go last: `card` may be one of them.
    std::vector<Card> removed;
    for (auto place = places_.find(&card); place != places_.end(); place = places_.find(&card)) {
        Leaf* leaf = place->second.leaf;
        const int32_t key = place->second.key;
        places_.erase(place);
        auto [keyed, keyedEnd] = byKey_.equal_range(key);
        for (; keyed != keyedEnd; ++keyed) {
            if (keyed->second == &card) {
                byKey_.erase(keyed);
                break;
            }
        }
        removeAt(*leaf, offsetOf(*leaf, &card), removed);
    }
    return removed.size();
}

template <class T>
void CardList<T>::clear() {
    destroy(root_);
    root_ = nullptr;
    size_ = 0;
    byKey_.clear();
    places_.clear();
}

template <class T>
typename CardList<T>::Card CardList<T>::firstWithKey(int32_t key) const {
    if (!keyOf_) {
        return nullptr;
    }
    // Usually one card holds the id; only several need their positions compared.
    const T* first = nullptr;
    std::optional<size_t> firstIndex;
    auto [keyed, keyedEnd] = byKey_.equal_range(key);
    for (; keyed != keyedEnd; ++keyed) {
        const T* card = keyed->second;
        if (card == first || keyOf_(*card) != key) {
            continue;
        }
        if (first == nullptr) {
            first = card;
            continue;
        }
        if (!firstIndex) {
            firstIndex = indexOf(*first);
        }
        if (const size_t index = indexOf(*card); index < *firstIndex) {
            first = card;
            firstIndex = index;
        }
    }
    if (first == nullptr) {
        return nullptr;
    }
    // A listed card is owned through a shared pointer, which it knows.
    return std::const_pointer_cast<T>(std::static_pointer_cast<const T>(first->shared_from_this()));
}

template class CardList<vCard>;
template class CardList<ChatRoomCard>;
template class CardList<ChatGroupCard>;

} // namespace zelvan
