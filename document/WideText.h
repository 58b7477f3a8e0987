#pragma once

// A converted text of the document on its way to the host. A document holds millions of short
// texts, and most live only for one host call: they stay in the object itself, and only a text
// longer than its inline room takes heap memory, from the import's memory.

#include "document/ImportMemory.h"
#include "plugin/HostInterfaces.h"

#include <cstddef>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

namespace Plugin
{

using WideView = std::basic_string_view<WideChar>;

// Blocks of the import's memory for a standard container (the plain heap outside an import).
// Without state, so that the container is as small and quick as with the standard allocator.
template <typename T> struct ImportAllocator
{
    using value_type = T;
    ImportAllocator() = default;
    template <typename U> ImportAllocator(const ImportAllocator<U>&) noexcept {}
    T* allocate(std::size_t count)
    {
        if (count > static_cast<std::size_t>(-1) / sizeof(T))
            throw std::bad_alloc();
        return static_cast<T*>(ImportMemory::Allocate(count * sizeof(T)));
    }
    void deallocate(T* block, std::size_t) noexcept { ImportMemory::Free(block); }
    template <typename U> bool operator==(const ImportAllocator<U>&) const noexcept { return true; }
    template <typename U> bool operator!=(const ImportAllocator<U>&) const noexcept
    {
        return false;
    }
};

class WideText
{
public:
    // The characters a text can have without heap memory.
    static constexpr std::size_t kInline = 95;

    WideText() { local[0] = 0; }
    explicit WideText(WideView text) : WideText() { Append(text); }

    // Always zero-terminated.
    const WideChar* c_str() const { return onHeap ? heap.c_str() : local; }
    std::size_t size() const { return length; }
    bool empty() const { return length == 0; }
    WideView View() const { return WideView(c_str(), length); }
    operator WideView() const { return View(); }

    void Append(WideView text)
    {
        if (onHeap || text.size() > kLocal - length)
            return AppendOnHeap(text);
        if (!text.empty())
            std::memcpy(local + length, text.data(), text.size() * sizeof(WideChar));
        length += text.size();
        local[length] = 0;
    }
    void Append(WideChar c)
    {
        if (onHeap || length == kLocal)
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
        if (count >= length)
            return;
        length = count;
        if (onHeap)
            heap.resize(count);
        else
            local[count] = 0;
    }

    // Room for capacity characters, to be written by the caller and then ended by Resize with
    // the number written. Earlier contents are not kept.
    WideChar* Room(std::size_t capacity)
    {
        length = 0;
        if (capacity <= kLocal)
        {
            onHeap = false;
            heap.clear();
            return local;
        }
        onHeap = true;
        heap.assign(capacity, WideChar(0));
        return heap.data();
    }
    void Resize(std::size_t count)
    {
        length = count;
        if (onHeap)
            heap.resize(count);
        else
            local[count] = 0;
    }

private:
    static constexpr std::size_t kLocal = kInline;

    // Beyond the inline room: the text moves to the heap and stays there.
    void AppendOnHeap(WideView text);

    std::size_t length = 0;
    bool onHeap = false;
    WideChar local[kLocal + 1];
    std::basic_string<WideChar, std::char_traits<WideChar>, ImportAllocator<WideChar>> heap;
};

} // namespace Plugin
