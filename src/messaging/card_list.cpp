// CardList as a treap ordered by position: each node counts the nodes below it, so a position is found
// by descending and a node's position by climbing its parents; random priorities keep the tree about
// 2 log n deep whatever order the cards arrive in.
#include "messaging/card_list.h"

#include <algorithm>

#include "platform/foundation/verify.h"

namespace zelvan {

struct CardList::Node {
    Card card;
    Node* left = nullptr;
    Node* right = nullptr;
    Node* parent = nullptr;
    size_t size = 1;
    uint32_t priority = 0;
    int32_t key = 0;
};

CardList::CardList(KeyOf keyOf) : keyOf_(keyOf) {}

CardList::~CardList() = default;

const CardList::Card& CardList::const_iterator::operator*() const {
    VERIFY(node_ != nullptr);
    return node_->card;
}

CardList::const_iterator& CardList::const_iterator::operator++() {
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

CardList::const_iterator CardList::const_iterator::operator++(int) {
    const_iterator before = *this;
    ++*this;
    return before;
}

size_t CardList::sizeOf(const Node* node) {
    return node ? node->size : 0;
}

void CardList::update(Node* node) {
    node->size = 1 + sizeOf(node->left) + sizeOf(node->right);
    if (node->left) {
        node->left->parent = node;
    }
    if (node->right) {
        node->right->parent = node;
    }
}

std::pair<CardList::Node*, CardList::Node*> CardList::split(Node* tree, size_t count) {
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

CardList::Node* CardList::merge(Node* left, Node* right) {
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

const CardList::Node* CardList::leftmost(const Node* node) {
    while (node && node->left) {
        node = node->left;
    }
    return node;
}

size_t CardList::rankOf(const Node* node) {
    size_t rank = sizeOf(node->left);
    for (const Node* at = node; at->parent; at = at->parent) {
        if (at == at->parent->right) {
            rank += sizeOf(at->parent->left) + 1;
        }
    }
    return rank;
}

size_t CardList::size() const {
    return sizeOf(root_);
}

const CardList::Card& CardList::operator[](size_t index) const {
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

CardList::const_iterator CardList::begin() const {
    return const_iterator(leftmost(root_));
}

std::vector<CardList::Card> CardList::toVector() const {
    std::vector<Card> cards;
    cards.reserve(size());
    cards.insert(cards.end(), begin(), end());
    return cards;
}

void CardList::insert(size_t index, Card card) {
    VERIFY(card != nullptr);
    auto owned = std::make_unique<Node>();
    Node* node = owned.get();
    node->card = std::move(card);
    node->priority = static_cast<uint32_t>(priorities_());
    node->key = keyOf_ ? keyOf_(*node->card) : 0;
    auto [before, after] = split(root_, std::min(index, size()));
    root_ = merge(merge(before, node), after);
    if (keyOf_) {
        byKey_[node->key].push_back(node);
    }
    nodes_.emplace(node->card.get(), std::move(owned));
}

void CardList::unlink(Node* node) {
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

size_t CardList::remove(const vCard& card) {
    auto [first, last] = nodes_.equal_range(&card);
    size_t removed = 0;
    for (auto it = first; it != last; ++it) {
        Node* node = it->second.get();
        if (auto keyed = byKey_.find(node->key); keyOf_ && keyed != byKey_.end()) {
            std::erase(keyed->second, node);
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

void CardList::clear() {
    root_ = nullptr;
    byKey_.clear();
    nodes_.clear();
}

CardList::Card CardList::firstWithKey(int32_t key) const {
    auto keyed = byKey_.find(key);
    if (!keyOf_ || keyed == byKey_.end()) {
        return nullptr;
    }
    const Node* first = nullptr;
    size_t firstRank = 0;
    for (const Node* node : keyed->second) {
        if (keyOf_(*node->card) != key) {
            continue;
        }
        const size_t rank = keyed->second.size() == 1 ? 0 : rankOf(node);
        if (!first || rank < firstRank) {
            first = node;
            firstRank = rank;
        }
    }
    return first ? first->card : nullptr;
}

} // namespace zelvan
