#include "document/WideText.h"

namespace Plugin
{

void WideText::AppendOnHeap(WideView text)
{
    if (!onHeap)
    {
        heap.assign(local, length);
        onHeap = true;
    }
    heap.append(text.data(), text.size());
    length = heap.size();
}

} // namespace Plugin
