// Converted texts: the same text whether it fits in the object or not.

#include "document/WideText.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

using Plugin::WideChar;
using Plugin::WideString;
using Plugin::WideText;
using Plugin::WideView;

WideString Text(std::size_t length, WideChar first)
{
    WideString text;
    for (std::size_t i = 0; i < length; ++i)
        text += static_cast<WideChar>(first + i % 26);
    return text;
}

// Every operation on a text that crosses the inline room gives what a string would.
TEST(WideText, GrowsPastItsInlineRoomLikeAString)
{
    const std::size_t room = WideText::kInline;
    const std::size_t lengths[] = {0, 1, room - 1, room, room + 1, 3 * room};
    for (const std::size_t first : lengths)
        for (const std::size_t second : lengths)
        {
            const WideString a = Text(first, 'a');
            const WideString b = Text(second, 'A');
            WideText text(a);
            text.Append(b);
            text += WideChar('!');
            const WideString expected = a + b + WideChar('!');
            ASSERT_EQ(WideString(text.View()), expected) << first << " + " << second;
            EXPECT_EQ(text.c_str()[text.size()], WideChar(0)) << first << " + " << second;

            const WideText copy = text;
            EXPECT_EQ(WideString(copy.c_str()), expected) << "copy of " << first << "+" << second;

            text.Truncate(first);
            EXPECT_EQ(WideString(text.c_str()), a) << first << " + " << second;
            text.Truncate(expected.size()); // longer than the text: nothing changes
            EXPECT_EQ(WideString(text.View()), a) << first << " + " << second;
        }
}

TEST(WideText, RoomForManyCharactersEndsWhereTheWriterStopped)
{
    const std::size_t room = WideText::kInline;
    const std::pair<std::size_t, std::size_t> cases[] = {
        {0, 0}, {room, room}, {room + 1, room + 1}, {4 * room, 3}, {4 * room, 0}, {10, 4}};
    for (const auto& [capacity, written] : cases)
    {
        WideText text(WideView(Text(2 * room, 'x')));
        WideChar* out = text.Room(capacity);
        const WideString expected = Text(written, 'k');
        for (std::size_t i = 0; i < written; ++i)
            out[i] = expected[i];
        text.Resize(written);
        EXPECT_EQ(WideString(text.c_str()), expected) << capacity << ", " << written;
        EXPECT_EQ(text.size(), written) << capacity << ", " << written;
        text.Append(WideView(Text(room, 'q')));
        EXPECT_EQ(WideString(text.View()), expected + Text(room, 'q'))
            << capacity << ", " << written;
    }
}

} // namespace
