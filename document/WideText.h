#pragma once

// A converted text of the document on its way to the host. A document holds millions of short
// texts, and most live only for one host call: they stay in the object itself, and only a text
// longer than its inline room takes heap memory, from the import's memory.

#include "document/ImportMemory.h"
#include "plugin/HostInterfaces.h"

#include <cstddef>
#include <cstring>
#include <string_view>

namespace Plugin
{

using WideView = std::basic_string_view<WideChar>;

class WideText
{
public:
    // The characters a text can have without heap memory.
    static constexpr std::size_t kInline = 95;

    WideText() { local[0] = 0; }
    explicit WideText(WideView text) : WideText() { Append(text); }
    WideText(const WideText& other) : WideText() { Append(other.View()); }
    WideText(WideText&& other) noexcept : WideText() { Take(other); }
    WideText& operator=(const WideText& other)
    {
        if (this != &other)
        {
            Resize(0);
            Append(other.View());
        }
        return *this;
    }
    WideText& operator=(WideText&& other) noexcept
    {
        if (this != &other)
        {
            ReleaseHeap();
            Take(other);
        }
        return *this;
    }
    ~WideText()
    {
        if (heap != nullptr)
            ImportMemory::Free(heap);
    }

    // Always zero-terminated.
    const WideChar* c_str() const { return heap != nullptr ? heap : local; }
    std::size_t size() const { return length; }
    bool empty() const { return length == 0; }
    WideView View() const { return WideView(c_str(), length); }
    operator WideView() const { return View(); }

    void Append(WideView text)
    {
        if (heap != nullptr || text.size() > kLocal - length)
            return AppendOnHeap(text);
        if (!text.empty())
            std::memcpy(local + length, text.data(), text.size() * sizeof(WideChar));
        length += text.size();
        local[length] = 0;
    }
    void Append(WideChar c)
    {
        if (heap != nullptr || length == kLocal)
            return AppendOnHeap(WideView(&c, 1));
        local[length] = c;
        local[++length] = 0;
    }
    WideText& operator+=(WideView text)
    {
        Append(text);
        return *this;
    }
    WideText& operator+=(WideChar c)
    {
        Append(c);
        return *this;
    }

    // Keeps the first count characters.
    void Truncate(std::size_t count)
    {
        if (count < length)
            Resize(count);
    }

    // Room for capacity characters, to be written by the caller and then ended by Resize with
    // the number written. Earlier contents are not kept.
    WideChar* Room(std::size_t characters)
    {
        length = 0;
        if (characters > kLocal || heap != nullptr)
            return RoomOnHeap(characters);
        local[0] = 0;
        return local;
    }
    // Ends the text after count characters, at most the room there is.
    void Resize(std::size_t count)
    {
        length = count;
        (heap != nullptr ? heap : local)[count] = 0;
    }

private:
    static constexpr std::size_t kLocal = kInline;

    // Beyond the inline room: the text moves to the heap and stays there.
    void AppendOnHeap(WideView text);
    // Room where the text is on the heap or will be.
    WideChar* RoomOnHeap(std::size_t characters);
    void ReleaseHeap() noexcept
    {
        if (heap != nullptr)
            ImportMemory::Free(heap);
        heap = nullptr;
        capacity = 0;
    }
    // Heap room for at least characters and the terminator, the text kept.
    void Reserve(std::size_t characters);
    // Takes other's characters, leaving it empty.
    void Take(WideText& other) noexcept
    {
        length = other.length;
        if (other.heap != nullptr)
        {
            heap = other.heap;
            capacity = other.capacity;
            other.heap = nullptr;
            other.capacity = 0;
        }
        else
        {
            std::memcpy(local, other.local, (length + 1) * sizeof(WideChar));
        }
        other.length = 0;
        other.local[0] = 0;
    }

    std::size_t length = 0;
    WideChar* heap = nullptr; // from the import's memory; null while the text is inline
    std::size_t capacity = 0; // characters heap holds, the terminator not counted
    WideChar local[kLocal + 1];
};

} // namespace Plugin
