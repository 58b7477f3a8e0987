#pragma once

// The importer's tables. A large job fills them with hundreds of thousands of short texts and
// records that all live until the file's import ends: the texts are cut from a few big blocks of
// an arena that go back in one piece, and every distinct key text is hashed and kept once, in
// `Keys`, which numbers it. A table is then an array by key number: an observation hashes its
// target's name once and finds the point record, the reflector constant and the images with it.

#include "document/ImportMemory.h"
#include "document/WideText.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <memory_resource>
#include <new>
#include <optional>
#include <vector>

namespace Plugin
{

// Texts kept until the file's import ends. A kept text is zero-terminated, so its data() may be
// handed to the host as it is. Its blocks come from the import's memory.
class TextArena
{
public:
    TextArena() : memory(ImportMemory::Resource()) {}
    TextArena(const TextArena&) = delete;
    TextArena& operator=(const TextArena&) = delete;

    WideView Keep(WideView text) { return Join(text, WideView()); }

    // first followed by second, kept.
    WideView Join(WideView first, WideView second)
    {
        const std::size_t length = first.size() + second.size();
        if (length == 0)
            return WideView(kEmpty, 0);
        if (length >= static_cast<std::size_t>(-1) / sizeof(WideChar))
            throw std::bad_alloc();
        auto* kept = static_cast<WideChar*>(
            memory.allocate((length + 1) * sizeof(WideChar), alignof(WideChar)));
        if (!first.empty())
            std::memcpy(kept, first.data(), first.size() * sizeof(WideChar));
        if (!second.empty())
            std::memcpy(kept + first.size(), second.data(), second.size() * sizeof(WideChar));
        kept[length] = 0;
        return WideView(kept, length);
    }

    // For the records' own lists, which grow in the same blocks.
    std::pmr::memory_resource* Resource() { return &memory; }

private:
    static constexpr WideChar kEmpty[1] = {0};
    std::pmr::monotonic_buffer_resource memory;
};

// The number of a key text in its `Keys`.
using Key = std::uint32_t;
constexpr Key kNoKey = ~Key{0};

// Key texts, each kept and numbered once in the order they arrive: a set of texts with an open
// addressing hash. The keys of one file only grow.
//
// A large job's keys do not fit in the processor's caches, and a lookup through the slots waits
// for memory twice. But a document names its points in one order throughout: the points of its
// extension, its coordinate points (read from the last), its observations. So a lookup first
// tries the keys numbered just after and just before the one it found last, which are usually
// in the cache already, before it goes through the slots.
class Keys
{
public:
    explicit Keys(TextArena& memory)
        : arena(memory), entries(ImportMemory::Resource()), slots(ImportMemory::Resource())
    {
    }
    Keys(const Keys&) = delete;
    Keys& operator=(const Keys&) = delete;

    // kNoKey when text is not a key.
    Key Find(WideView text) const
    {
        for (const Key near : {lastFound + 1, lastFound - 1, lastFound})
            if (near < entries.size() && entries[near].text == text)
                return Found(near);
        if (entries.empty())
            return kNoKey;
        const std::uint64_t hash = Hash(text);
        for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask)
        {
            const Key key = slots[slot];
            if (key == kNoKey)
                return kNoKey;
            if (entries[key].hash == hash && entries[key].text == text)
                return Found(key);
        }
    }

    // The key of text, numbered now when it is new.
    Key Add(WideView text)
    {
        const Key known = Find(text);
        if (known != kNoKey)
            return known;
        if (entries.size() >= kNoKey - 1)
            throw std::bad_alloc();
        if ((entries.size() + 1) * 2 > capacity)
            Grow();
        const Key key = static_cast<Key>(entries.size());
        entries.push_back(Entry{arena.Keep(text), Hash(text)});
        Place(key);
        return Found(key);
    }

    // The kept text of a key.
    WideView Text(Key key) const { return entries[key].text; }

private:
    struct Entry
    {
        WideView text;
        std::uint64_t hash;
    };

    Key Found(Key key) const
    {
        lastFound = key;
        return key;
    }

    // Mixed, so that similar texts spread over the slots.
    static std::uint64_t Hash(WideView text)
    {
        const auto hashed = static_cast<std::uint64_t>(std::hash<WideView>()(text));
        return (hashed * 0x9E3779B97F4A7C15ull) >> 16;
    }

    void Place(Key key)
    {
        std::size_t slot = entries[key].hash & mask;
        while (slots[slot] != kNoKey)
            slot = (slot + 1) & mask;
        slots[slot] = key;
    }

    void Grow()
    {
        capacity = capacity == 0 ? 16 : capacity * 2;
        mask = capacity - 1;
        slots.assign(capacity, kNoKey);
        for (Key key = 0; key < entries.size(); ++key)
            Place(key);
    }

    TextArena& arena;
    std::pmr::vector<Entry> entries; // by key
    std::pmr::vector<Key> slots;
    std::size_t capacity = 0;
    std::size_t mask = 0;
    mutable Key lastFound = 0;
};

// A table of the importer: one record per key, the first one inserted. Records stay where they
// are while the table grows, so a record found may be written after later insertions.
template <typename Record> class Table
{
public:
    explicit Table(Keys& tableKeys) : keys(tableKeys), records(ImportMemory::Resource()) {}
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    bool empty() const { return count == 0; }

    // Null when there is no record under the key.
    Record* Find(Key key)
    {
        return key < records.size() && records[key] ? &*records[key] : nullptr;
    }
    Record* Find(WideView text) { return Find(keys.Find(text)); }

    // The record under the key; record is discarded when there already is one.
    Record& Insert(Key key, Record record)
    {
        if (key >= records.size())
            records.resize(static_cast<std::size_t>(key) + 1);
        if (!records[key])
        {
            records[key].emplace(std::move(record));
            ++count;
        }
        return *records[key];
    }
    Record& Insert(WideView text, Record record)
    {
        return Insert(keys.Add(text), std::move(record));
    }

private:
    Keys& keys;
    std::pmr::deque<std::optional<Record>> records; // by key; growing keeps their places
    std::size_t count = 0;
};

using OptionalNumber = std::optional<double>;

// What the extension and the plan features know of a point.
struct PointRecord
{
    explicit PointRecord(TextArena& arena) : code(arena.Resource()), lineCodes(arena.Resource()) {}

    // The feature attributes as ComposePointCode appends them: " /name=value/name=value", in
    // order, empty without any. Written once here rather than for every code text sent (a
    // list of pairs cost 15 % of the import).
    WideView attributes;
    std::pmr::basic_string<WideChar> code; // extended by the curves through the point
    WideView lineworkCode;                 // kept, never sent
    WideView subclass;
    std::pmr::vector<WideView> lineCodes;
};

// An onboard image of an extension point or setup.
struct ImageRecord
{
    WideView name;
    WideView path; // relative to the document's folder, as found; empty when missing
    double distance = 0.0;
    double horizontalAngle = 0.0;
    double zenithAngle = 0.0;
};

struct StationEntry
{
    WideView stationName;
    WideView instrumentDetailsID;
    double instrumentHeight = 0.0;
};

// The atmospheric values of one instrument.
struct TpsCorrection
{
    OptionalNumber dryTemperature;
    OptionalNumber pressure;
    OptionalNumber atmosphericScale; // ppm / 1000
};

// The image records by point id: any number per id, in the order they were added. The table's
// order is that of the ids as UTF-16 code units, then of addition; a search by name returns the
// first record in that order, from an index kept as the records arrive instead of a walk of all
// images.
class ImageTable
{
public:
    ImageTable(Keys& ids, TextArena& arena)
        : keys(ids), names(arena), entries(ImportMemory::Resource()),
          ofKey(ImportMemory::Resource()), firstByName(ImportMemory::Resource())
    {
    }
    ImageTable(const ImageTable&) = delete;
    ImageTable& operator=(const ImageTable&) = delete;

    void Add(Key id, const ImageRecord& record)
    {
        if (entries.size() >= kNone)
            throw std::bad_alloc();
        const auto added = static_cast<std::uint32_t>(entries.size());
        entries.push_back(Entry{record, id, kNone});
        if (id >= ofKey.size())
            ofKey.resize(static_cast<std::size_t>(id) + 1, Ends{kNone, kNone});
        Ends& ends = ofKey[id];
        if (ends.first == kNone)
            ends.first = added;
        else
            entries[ends.last].next = added;
        ends.last = added;

        // A record comes before the known first of its name only when its id is smaller: among
        // equal ids the earlier record stays first.
        const Key name = names.Add(record.name);
        if (name >= firstByName.size())
            firstByName.resize(static_cast<std::size_t>(name) + 1, kNone);
        std::uint32_t& first = firstByName[name];
        if (first == kNone || keys.Text(id) < keys.Text(entries[first].id))
            first = added;
    }

    // Visits the records of an id in the order they were added.
    template <typename Visit> void ForEachOf(Key id, Visit visit) const
    {
        if (id >= ofKey.size())
            return;
        for (std::uint32_t entry = ofKey[id].first; entry != kNone; entry = entries[entry].next)
            visit(entries[entry].record);
    }

    // The first record, in the table's order, whose name equals name; null when there is none.
    ImageRecord* FindByName(WideView name)
    {
        const Key found = names.Find(name);
        return found < firstByName.size() && firstByName[found] != kNone
                   ? &entries[firstByName[found]].record
                   : nullptr;
    }

private:
    static constexpr std::uint32_t kNone = ~std::uint32_t{0};
    struct Entry
    {
        ImageRecord record;
        Key id;
        std::uint32_t next; // the next record of the same id
    };
    struct Ends
    {
        std::uint32_t first;
        std::uint32_t last;
    };

    Keys& keys;
    Keys names;
    std::pmr::deque<Entry> entries; // in the order they were added
    std::pmr::vector<Ends> ofKey;
    std::pmr::vector<std::uint32_t> firstByName;
};

} // namespace Plugin
