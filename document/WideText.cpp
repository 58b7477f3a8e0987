#include "document/WideText.h"

#include <algorithm>
#include <new>

namespace Plugin
{

void WideText::Reserve(std::size_t characters)
{
    if (heap != nullptr && characters <= capacity)
        return;
    if (characters >= static_cast<std::size_t>(-1) / sizeof(WideChar) / 2)
        throw std::bad_alloc();
    const std::size_t grown = std::max(characters, 2 * std::max(capacity, kLocal));
    auto* moved = static_cast<WideChar*>(ImportMemory::Allocate((grown + 1) * sizeof(WideChar)));
    std::memcpy(moved, c_str(), (length + 1) * sizeof(WideChar));
    if (heap != nullptr)
        ImportMemory::Free(heap);
    heap = moved;
    capacity = grown;
}

void WideText::AppendOnHeap(WideView text)
{
    if (text.size() > static_cast<std::size_t>(-1) / sizeof(WideChar) / 2 - length)
        throw std::bad_alloc();
    Reserve(length + text.size());
    if (!text.empty())
        std::memcpy(heap + length, text.data(), text.size() * sizeof(WideChar));
    length += text.size();
    heap[length] = 0;
}

WideChar* WideText::RoomOnHeap(std::size_t characters)
{
    local[0] = 0;
    if (characters <= kLocal)
    {
        ReleaseHeap();
        return local;
    }
    if (heap == nullptr || characters > capacity)
    {
        ReleaseHeap();
        Reserve(characters);
    }
    heap[0] = 0;
    return heap;
}

} // namespace Plugin
