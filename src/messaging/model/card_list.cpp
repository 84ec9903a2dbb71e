// CardList as a treap ordered by position: each node counts the nodes below it, so a position is found
// by descending and a node's position by climbing its parents; random priorities keep the tree about
// 2 log n deep whatever order the cards arrive in. Built for the messenger's card types.
#include "messaging/model/card_list.h"

#include <algorithm>
#include <optional>

#include "messaging/model/chat_group_card.h"
#include "messaging/model/chat_room_card.h"
#include "messaging/model/v_card.h"
#include "platform/foundation/verify.h"

namespace zelvan {

template <class T>
struct CardList<T>::Node {
    Card card;
    Node* left = nullptr;
    Node* right = nullptr;
    Node* parent = nullptr;
    // The nodes of this subtree, and of its left part: a walk by position reads only the nodes on
    // its path, never a child it does not enter.
    size_t size = 1;
    size_t leftSize = 0;
    uint32_t priority = 0;
    int32_t key = 0;
};

template <class T>
CardList<T>::CardList(KeyOf keyOf) : keyOf_(keyOf) {}

template <class T>
CardList<T>::~CardList() = default;

template <class T>
const typename CardList<T>::Card& CardList<T>::const_iterator::operator*() const {
    VERIFY(node_ != nullptr);
    return node_->card;
}

template <class T>
typename CardList<T>::const_iterator& CardList<T>::const_iterator::operator++() {
    VERIFY(node_ != nullptr);
    if (node_->right) {
        node_ = leftmost(node_->right);
        return *this;
    }
    const Node* from = node_;
    node_ = node_->parent;
    while (node_ && from == node_->right) {
        from = node_;
        node_ = node_->parent;
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
    return node ? node->size : 0;
}

template <class T>
void CardList<T>::setLeft(Node* node, Node* child) {
    const size_t rightSize = node->size - 1 - node->leftSize;
    node->left = child;
    node->leftSize = sizeOf(child);
    node->size = node->leftSize + 1 + rightSize;
    if (child) {
        child->parent = node;
    }
}

template <class T>
void CardList<T>::setRight(Node* node, Node* child) {
    node->right = child;
    node->size = node->leftSize + 1 + sizeOf(child);
    if (child) {
        child->parent = node;
    }
}

template <class T>
std::pair<typename CardList<T>::Node*, typename CardList<T>::Node*> CardList<T>::split(Node* tree, size_t count) {
    if (!tree) {
        return {nullptr, nullptr};
    }
    if (tree->leftSize >= count) {
        auto [first, rest] = split(tree->left, count);
        setLeft(tree, rest);
        tree->parent = nullptr;
        return {first, tree};
    }
    auto [first, rest] = split(tree->right, count - tree->leftSize - 1);
    setRight(tree, first);
    tree->parent = nullptr;
    return {tree, rest};
}

template <class T>
typename CardList<T>::Node* CardList<T>::merge(Node* left, Node* right) {
    if (!left || !right) {
        Node* only = left ? left : right;
        if (only) {
            only->parent = nullptr;
        }
        return only;
    }
    if (left->priority > right->priority) {
        setRight(left, merge(left->right, right));
        left->parent = nullptr;
        return left;
    }
    setLeft(right, merge(left, right->left));
    right->parent = nullptr;
    return right;
}

template <class T>
const typename CardList<T>::Node* CardList<T>::leftmost(const Node* node) {
    while (node && node->left) {
        node = node->left;
    }
    return node;
}

template <class T>
size_t CardList<T>::rankOf(const Node* node) {
    size_t rank = node->leftSize;
    for (const Node* at = node; at->parent; at = at->parent) {
        if (at == at->parent->right) {
            rank += at->parent->leftSize + 1;
        }
    }
    return rank;
}

template <class T>
size_t CardList<T>::size() const {
    return sizeOf(root_);
}

template <class T>
const typename CardList<T>::Card& CardList<T>::operator[](size_t index) const {
    VERIFY(index < size());
    const Node* node = root_;
    for (;;) {
        const size_t before = node->leftSize;
        if (index < before) {
            node = node->left;
        } else if (index == before) {
            return node->card;
        } else {
            index -= before + 1;
            node = node->right;
        }
    }
}

template <class T>
typename CardList<T>::const_iterator CardList<T>::begin() const {
    return const_iterator(leftmost(root_));
}

template <class T>
std::vector<typename CardList<T>::Card> CardList<T>::toVector() const {
    std::vector<Card> cards;
    cards.reserve(size());
    cards.insert(cards.end(), begin(), end());
    return cards;
}

template <class T>
void CardList<T>::insert(size_t index, Card card) {
    VERIFY(card != nullptr);
    Node* node = newNode();
    node->card = std::move(card);
    node->priority = static_cast<uint32_t>(priorities_());
    node->key = keyOf_ ? keyOf_(*node->card) : 0;
    auto [before, after] = split(root_, std::min(index, size()));
    root_ = merge(merge(before, node), after);
    if (keyOf_) {
        byKey_.emplace(node->key, node);
    }
    nodes_.emplace(node->card.get(), node);
}

template <class T>
typename CardList<T>::Node* CardList<T>::newNode() {
    if (freeNodes_.empty()) {
        // Blocks grow with the list, so a long one has its nodes in a few large runs of memory.
        const size_t count = std::min<size_t>(size_t{64} << blocks_.size(), 4096);
        blocks_.push_back(std::make_unique<Node[]>(count));
        Node* block = blocks_.back().get();
        for (size_t i = count; i > 0; --i) {
            freeNodes_.push_back(&block[i - 1]);
        }
    }
    Node* node = freeNodes_.back();
    freeNodes_.pop_back();
    *node = Node{};
    return node;
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
size_t CardList<T>::indexOf(const T& card) const {
    auto [first, last] = nodes_.equal_range(&card);
    size_t index = size();
    for (auto it = first; it != last; ++it) {
        index = std::min(index, rankOf(it->second));
    }
    return index;
}

template <class T>
size_t CardList<T>::bisect(size_t lo, size_t hi, const std::function<int(const T&)>& weigh) const {
    VERIFY(lo < hi && hi < size());
    // `top` holds every card strictly between lo and hi; `topStart` is the position of its first card.
    const Node* top = root_;
    size_t topStart = 0;
    return halveSpan(lo, hi, [&](size_t spanLo, size_t spanHi, size_t mid) {
        for (;;) {
            const size_t at = topStart + top->leftSize;
            if (spanHi <= at) {
                top = top->left;
            } else if (spanLo >= at) {
                topStart = at + 1;
                top = top->right;
            } else {
                break;
            }
        }
        const Node* node = top;
        size_t start = topStart;
        for (;;) {
            const size_t at = start + node->leftSize;
            if (mid < at) {
                node = node->left;
            } else if (mid > at) {
                start = at + 1;
                node = node->right;
            } else {
                break;
            }
        }
        return weigh(*node->card);
    });
}

template <class T>
void CardList<T>::unlink(Node* node) {
    Node* parent = node->parent;
    Node* joined = merge(node->left, node->right);
    if (joined) {
        joined->parent = parent;
    }
    bool fromLeft = parent && parent->left == node;
    if (!parent) {
        root_ = joined;
    } else if (fromLeft) {
        parent->left = joined;
    } else {
        parent->right = joined;
    }
    // Each node above lost one, in its left part when the node lay there.
    for (Node* up = parent; up; up = up->parent) {
        --up->size;
        if (fromLeft) {
            --up->leftSize;
        }
        fromLeft = up->parent && up->parent->left == up;
    }
}

template <class T>
size_t CardList<T>::remove(const T& card) {
    auto [first, last] = nodes_.equal_range(&card);
    size_t removed = 0;
    for (auto it = first; it != last; ++it) {
        Node* node = it->second;
        auto [keyed, keyedEnd] = byKey_.equal_range(node->key);
        for (; keyed != keyedEnd; ++keyed) {
            if (keyed->second == node) {
                byKey_.erase(keyed);
                break;
            }
        }
        unlink(node);
        freeNodes_.push_back(node);
        ++removed;
    }
    nodes_.erase(first, last);
    // The cards go last: `card` may be one of them.
    for (size_t i = freeNodes_.size() - removed; i < freeNodes_.size(); ++i) {
        freeNodes_[i]->card.reset();
    }
    return removed;
}

template <class T>
void CardList<T>::clear() {
    root_ = nullptr;
    byKey_.clear();
    nodes_.clear();
    freeNodes_.clear();
    blocks_.clear();
}

template <class T>
typename CardList<T>::Card CardList<T>::firstWithKey(int32_t key) const {
    if (!keyOf_) {
        return nullptr;
    }
    // Usually one node holds the id; only several need their positions compared.
    const Node* first = nullptr;
    std::optional<size_t> firstRank;
    auto [keyed, keyedEnd] = byKey_.equal_range(key);
    for (; keyed != keyedEnd; ++keyed) {
        const Node* node = keyed->second;
        if (keyOf_(*node->card) != key) {
            continue;
        }
        if (first == nullptr) {
            first = node;
            continue;
        }
        if (!firstRank) {
            firstRank = rankOf(first);
        }
        if (const size_t rank = rankOf(node); rank < *firstRank) {
            first = node;
            firstRank = rank;
        }
    }
    return first == nullptr ? nullptr : first->card;
}

template class CardList<vCard>;
template class CardList<ChatRoomCard>;
template class CardList<ChatGroupCard>;

} // namespace zelvan
