#pragma once
// Hash map keyed by UString with chained buckets, laid out the way the engine's
// files depend on: the string hash (h = h*5 + c) modulo a prime bucket count,
// 193 buckets to start, growth to the next listed prime once an insertion would
// leave more entries than buckets, and new entries at the front of their chain.
// Iteration runs over buckets in ascending order, each chain front to back, so
// the order of a saved settings file or an archive directory follows from it.
#include "UString.h"

#include <cstddef>
#include <cstdint>
#include <utility>

namespace ustringhashmap {
// The smallest listed prime not below n (the last one when n is beyond it).
inline uint32_t nextPrime(uint64_t n) {
    static const uint32_t primes[] = {
        53u,        97u,        193u,       389u,       769u,       1543u,      3079u,
        6151u,      12289u,     24593u,     49157u,     98317u,     196613u,    393241u,
        786433u,    1572869u,   3145739u,   6291469u,   12582917u,  25165843u,  50331653u,
        100663319u, 201326611u, 402653189u, 805306457u, 1610612741u, 3221225473u, 4294967291u};
    for (uint32_t p : primes)
        if (p >= n) return p;
    return primes[sizeof primes / sizeof primes[0] - 1];
}
} // namespace ustringhashmap

template <class V>
class UStringHashMap {
public:
    struct Node {
        template <class... Args>
        explicit Node(const UString& k, Args&&... args) : key(k), value(std::forward<Args>(args)...) {}
        UString key;
        V value;
        Node* next = nullptr;
    };

    class iterator {
    public:
        iterator(const UStringHashMap* m, uint32_t b, Node* n) : map(m), bucket(b), node(n) {}
        Node& operator*() const { return *node; }
        Node* operator->() const { return node; }
        iterator& operator++() {
            node = node->next;
            if (!node) {
                for (++bucket; bucket < map->bucketCount && !map->buckets[bucket]; ++bucket) {}
                node = bucket < map->bucketCount ? map->buckets[bucket] : nullptr;
            }
            return *this;
        }
        bool operator==(const iterator& o) const { return node == o.node; }
        bool operator!=(const iterator& o) const { return node != o.node; }

    private:
        const UStringHashMap* map;
        uint32_t bucket;
        Node* node;
    };

    UStringHashMap() : bucketCount(ustringhashmap::nextPrime(100)) {
        buckets = new Node*[bucketCount]();
    }
    UStringHashMap(const UStringHashMap&) = delete;
    UStringHashMap& operator=(const UStringHashMap&) = delete;
    ~UStringHashMap() {
        clear();
        delete[] buckets;
    }

    size_t size() const { return count; }
    bool empty() const { return count == 0; }

    V* find(const UString& key) const {
        for (Node* n = buckets[indexOf(key)]; n; n = n->next)
            if (n->key == key) return &n->value;
        return nullptr;
    }
    bool contains(const UString& key) const { return find(key) != nullptr; }

    // The value under key; a new one built from args when there is none.
    // Returns the value and whether it was inserted.
    template <class... Args>
    std::pair<V*, bool> insert(const UString& key, Args&&... args) {
        if (V* v = find(key)) return {v, false};
        return {insertNew(key, std::forward<Args>(args)...), true};
    }

    // insert for a key the caller knows is not there: no walk through its
    // chain, which keys of one hash can make as long as the map.
    template <class... Args>
    V* insertNew(const UString& key, Args&&... args) {
        if (count + 1 > bucketCount) grow(count + 1);
        uint32_t b = indexOf(key);
        Node* n = new Node(key, std::forward<Args>(args)...);
        n->next = buckets[b];
        buckets[b] = n;
        ++count;
        return &n->value;
    }

    // The value under key, inserting a default-constructed one when missing.
    V& findOrInsert(const UString& key) { return *insert(key).first; }

    bool erase(const UString& key) {
        for (Node** link = &buckets[indexOf(key)]; *link; link = &(*link)->next) {
            if ((*link)->key == key) {
                Node* dead = *link;
                *link = dead->next;
                delete dead;
                --count;
                return true;
            }
        }
        return false;
    }

    void clear() {
        for (uint32_t b = 0; b < bucketCount; ++b) {
            while (Node* n = buckets[b]) {
                buckets[b] = n->next;
                delete n;
            }
        }
        count = 0;
    }

    iterator begin() const {
        for (uint32_t b = 0; b < bucketCount; ++b)
            if (buckets[b]) return iterator(this, b, buckets[b]);
        return end();
    }
    iterator end() const { return iterator(this, bucketCount, nullptr); }

private:
    uint32_t indexOf(const UString& key) const { return key.hash() % bucketCount; }

    // Each old chain is taken apart from its front and every node pushed onto
    // the front of its new chain, which is what fixes the order after growth.
    void grow(uint64_t hint) {
        uint32_t newCount = ustringhashmap::nextPrime(hint);
        if (newCount <= bucketCount) return;
        Node** fresh = new Node*[newCount]();
        for (uint32_t b = 0; b < bucketCount; ++b) {
            while (Node* n = buckets[b]) {
                buckets[b] = n->next;
                uint32_t nb = n->key.hash() % newCount;
                n->next = fresh[nb];
                fresh[nb] = n;
            }
        }
        delete[] buckets;
        buckets = fresh;
        bucketCount = newCount;
    }

    uint32_t bucketCount;
    Node** buckets;
    size_t count = 0;
};
