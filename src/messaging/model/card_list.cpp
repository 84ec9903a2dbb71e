// CardList as a treap ordered by position: each node counts the nodes below it, so a position is found
// by descending and a node's position by climbing its parents; random priorities keep the tree about
// 2 log n deep whatever order the cards arrive in. Built for the messenger's card types.
#include "messaging/model/card_list.h"

#include <algorithm>

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
    size_t size = 1;
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
void CardList<T>::update(Node* node) {
    node->size = 1 + sizeOf(node->left) + sizeOf(node->right);
    if (node->left) {
        node->left->parent = node;
    }
    if (node->right) {
        node->right->parent = node;
    }
}

template <class T>
std::pair<typename CardList<T>::Node*, typename CardList<T>::Node*> CardList<T>::split(Node* tree, size_t count) {
    if (!tree) {
        return {nullptr, nullptr};
    }
    if (sizeOf(tree->left) >= count) {
        auto [first, rest] = split(tree->left, count);
        tree->left = rest;
        update(tree);
        tree->parent = nullptr;
        return {first, tree};
    }
    auto [first, rest] = split(tree->right, count - sizeOf(tree->left) - 1);
    tree->right = first;
    update(tree);
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
        left->right = merge(left->right, right);
        update(left);
        left->parent = nullptr;
        return left;
    }
    right->left = merge(left, right->left);
    update(right);
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
    size_t rank = sizeOf(node->left);
    for (const Node* at = node; at->parent; at = at->parent) {
        if (at == at->parent->right) {
            rank += sizeOf(at->parent->left) + 1;
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
        const size_t before = sizeOf(node->left);
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
    auto owned = std::make_unique<Node>();
    Node* node = owned.get();
    node->card = std::move(card);
    node->priority = static_cast<uint32_t>(priorities_());
    node->key = keyOf_ ? keyOf_(*node->card) : 0;
    auto [before, after] = split(root_, std::min(index, size()));
    root_ = merge(merge(before, node), after);
    if (keyOf_) {
        byKey_[node->key].insert(node);
    }
    nodes_.emplace(node->card.get(), std::move(owned));
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
        index = std::min(index, rankOf(it->second.get()));
    }
    return index;
}

template <class T>
void CardList<T>::unlink(Node* node) {
    Node* parent = node->parent;
    Node* joined = merge(node->left, node->right);
    if (joined) {
        joined->parent = parent;
    }
    if (!parent) {
        root_ = joined;
    } else if (parent->left == node) {
        parent->left = joined;
    } else {
        parent->right = joined;
    }
    for (Node* up = parent; up; up = up->parent) {
        up->size = 1 + sizeOf(up->left) + sizeOf(up->right);
    }
}

template <class T>
size_t CardList<T>::remove(const T& card) {
    auto [first, last] = nodes_.equal_range(&card);
    size_t removed = 0;
    for (auto it = first; it != last; ++it) {
        Node* node = it->second.get();
        // Out of its id's set while it still has its place, which orders the set.
        if (auto keyed = byKey_.find(node->key); keyOf_ && keyed != byKey_.end()) {
            keyed->second.erase(node);
            if (keyed->second.empty()) {
                byKey_.erase(keyed);
            }
        }
        unlink(node);
        ++removed;
    }
    nodes_.erase(first, last);
    return removed;
}

template <class T>
void CardList<T>::clear() {
    root_ = nullptr;
    byKey_.clear();
    nodes_.clear();
}

template <class T>
typename CardList<T>::Card CardList<T>::firstWithKey(int32_t key) const {
    auto keyed = byKey_.find(key);
    if (!keyOf_ || keyed == byKey_.end()) {
        return nullptr;
    }
    for (const Node* node : keyed->second) {
        if (keyOf_(*node->card) == key) {
            return node->card;
        }
    }
    return nullptr;
}

template class CardList<vCard>;
template class CardList<ChatRoomCard>;
template class CardList<ChatGroupCard>;

} // namespace zelvan
