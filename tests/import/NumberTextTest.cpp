// Numbers in notes: exactly what the classic locale's "%.12g" writes.

#include "import/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace
{

std::string Narrow(const Plugin::WideString& text)
{
    return std::string(text.begin(), text.end());
}

TEST(NumberText, WritesWhatPrintfWritesForEveryKindOfValue)
{
    const double values[] = {0.0,
                             -0.0,
                             1.0,
                             -1.0,
                             360.0,
                             123.456789012345,
                             1.0 / 3.0,
                             -2.5,
                             999999999999.0,
                             -999999999999.0,
                             1e12,
                             -1e12,
                             1e12 + 1,
                             123456789012.0,
                             1234567890123.0,
                             0.0001,
                             0.00001,
                             1e300,
                             4503599627370496.5,
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::nan("")};
    for (const double value : values)
    {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.12g", value);
        Plugin::WideText text(Plugin::WideView(WIDE_TEXT("x=")));
        Plugin::AppendGeneral12(text, value);
        EXPECT_EQ(Narrow(Plugin::WideString(text.View())), std::string("x=") + expected)
            << expected;
    }
}

} // namespace
