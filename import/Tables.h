#pragma once

// The memory of one file's tables. A large job fills them with hundreds of thousands of short
// texts and records; they all live until the file's import ends, so they are cut from a few big
// blocks that go back in one piece, instead of one heap allocation (and one release) each.

#include "document/WideText.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <memory_resource>
#include <new>
#include <type_traits>
#include <utility>

namespace Plugin
{

// A text kept in an arena, zero-terminated. Copies share the characters, which live as long as
// the arena.
class KeptText
{
public:
    KeptText() = default;
    const WideChar* c_str() const { return characters; }
    std::size_t size() const { return length; }
    bool empty() const { return length == 0; }
    WideView View() const { return WideView(characters, length); }
    operator WideView() const { return View(); }

private:
    friend class TextArena;
    KeptText(const WideChar* kept, std::size_t count) : characters(kept), length(count) {}

    static constexpr WideChar kEmpty[1] = {0};
    const WideChar* characters = kEmpty;
    std::size_t length = 0;
};

class TextArena
{
public:
    TextArena() = default;
    TextArena(const TextArena&) = delete;
    TextArena& operator=(const TextArena&) = delete;

    // Room for count objects of a type that needs no destructor.
    template <typename T> T* Allocate(std::size_t count)
    {
        static_assert(std::is_trivially_destructible_v<T>, "arena objects are never destroyed");
        if (count > static_cast<std::size_t>(-1) / sizeof(T))
            throw std::bad_alloc();
        return static_cast<T*>(memory.allocate(count * sizeof(T), alignof(T)));
    }

    KeptText Keep(WideView text)
    {
        if (text.empty())
            return KeptText();
        WideChar* kept = Allocate<WideChar>(text.size() + 1);
        std::memcpy(kept, text.data(), text.size() * sizeof(WideChar));
        kept[text.size()] = 0;
        return KeptText(kept, text.size());
    }

private:
    std::pmr::monotonic_buffer_resource memory;
};

// A text in an arena that grows at its end, its room doubling: appending stays linear however
// often it is extended.
class GrowingText
{
public:
    WideView View() const { return WideView(characters, length); }
    operator WideView() const { return View(); }
    bool empty() const { return length == 0; }

    void Append(TextArena& arena, WideView text)
    {
        if (text.empty())
            return;
        if (text.size() > capacity - length)
        {
            std::size_t wanted = capacity * 2;
            if (wanted < length + text.size())
                wanted = length + text.size();
            WideChar* grown = arena.Allocate<WideChar>(wanted);
            if (length != 0)
                std::memcpy(grown, characters, length * sizeof(WideChar));
            characters = grown;
            capacity = wanted;
        }
        std::memcpy(characters + length, text.data(), text.size() * sizeof(WideChar));
        length += text.size();
    }

private:
    WideChar* characters = nullptr;
    std::size_t length = 0;
    std::size_t capacity = 0;
};

// A list in an arena for values that need no destructor, its room doubling as it grows.
template <typename T> class ArenaList
{
public:
    const T* begin() const { return items; }
    const T* end() const { return items + count; }
    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
    const T& operator[](std::size_t index) const { return items[index]; }
    const T& front() const { return items[0]; }

    void push_back(TextArena& arena, const T& item)
    {
        if (count == capacity)
        {
            const std::size_t wanted = capacity == 0 ? 2 : capacity * 2;
            T* grown = arena.Allocate<T>(wanted);
            for (std::size_t i = 0; i < count; ++i)
                new (grown + i) T(items[i]);
            items = grown;
            capacity = wanted;
        }
        new (items + count) T(item);
        ++count;
    }

private:
    T* items = nullptr;
    std::size_t count = 0;
    std::size_t capacity = 0;
};

// A table in an arena: keys to values, each key once. Keys are views of texts kept in the same
// arena. The table's order is never observed.
//
// A large job's tables do not fit in the processor's caches, and a lookup through the slots
// waits for memory twice. But a document names its points in one order throughout: the points
// of its extension, its coordinate points (read from the last), its observations. So a lookup
// first tries the neighbours, in order of addition, of the record it found last, which are
// usually in the cache already, before it goes through the slots.
template <typename Key, typename Value> class Table
{
public:
    explicit Table(TextArena& memory) : arena(memory) {}
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }

    // Null when key is not in the table.
    Value* Find(const Key& key) const
    {
        if (count == 0)
            return nullptr;
        const std::size_t hash = Hash(key);
        if (lastFound != nullptr)
            for (Entry* neighbour : {lastFound->added, lastFound->previous, lastFound})
                if (neighbour != nullptr && neighbour->hash == hash && neighbour->key == key)
                    return Found(neighbour);
        for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask)
        {
            Entry* entry = slots[slot];
            if (entry == nullptr)
                return nullptr;
            if (entry->hash == hash && entry->key == key)
                return Found(entry);
        }
    }

    // Adds a key that is not in the table yet; the key's text must live as long as the arena.
    Value& Insert(const Key& key, const Value& value)
    {
        if ((count + 1) * 2 > capacity)
            Grow();
        Entry* entry = arena.Allocate<Entry>(1);
        new (entry) Entry{key, Hash(key), lastAdded, nullptr, value};
        if (lastAdded != nullptr)
            lastAdded->added = entry;
        lastAdded = entry;
        Place(entry);
        ++count;
        return *Found(entry);
    }

private:
    struct Entry
    {
        Key key;
        std::size_t hash;
        Entry* previous; // added just before this one
        Entry* added;    // added just after this one
        Value value;
    };

    Value* Found(Entry* entry) const
    {
        lastFound = entry;
        return &entry->value;
    }

    static std::size_t Hash(const Key& key)
    {
        // Mixed, so that similar texts spread over the slots.
        const std::uint64_t hashed = static_cast<std::uint64_t>(std::hash<Key>()(key));
        return static_cast<std::size_t>((hashed * 0x9E3779B97F4A7C15ull) >> 16);
    }

    void Place(Entry* entry)
    {
        std::size_t slot = entry->hash & mask;
        while (slots[slot] != nullptr)
            slot = (slot + 1) & mask;
        slots[slot] = entry;
    }

    void Grow()
    {
        const std::size_t wanted = capacity == 0 ? 16 : capacity * 2;
        std::unique_ptr<Entry*[]> old = std::move(slots);
        const std::size_t oldCapacity = capacity;
        slots.reset(new Entry*[wanted]());
        capacity = wanted;
        mask = wanted - 1;
        for (std::size_t i = 0; i < oldCapacity; ++i)
            if (old[i] != nullptr)
                Place(old[i]);
    }

    TextArena& arena;
    std::unique_ptr<Entry*[]> slots;
    std::size_t capacity = 0;
    std::size_t mask = 0;
    std::size_t count = 0;
    Entry* lastAdded = nullptr;
    mutable Entry* lastFound = nullptr;
};

} // namespace Plugin
