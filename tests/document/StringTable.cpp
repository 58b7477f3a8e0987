// The module's texts: every message and label the host shows comes from here.

#include "document/StringTable.h"
#include "tools/host/Text.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace
{

TEST(StringTable, LoadsEachTextOfTheTableExactly)
{
    const std::pair<unsigned, std::u16string> texts[] = {
        {101, u"Не удается открыть файл"},
        {102, u"Ошибка в формате файла"},
        {103, u"Настройка"},
        {104, u"Учитывать"},
        {105, u"Не учитывать"},
        {106, u"Постоянная призмы"},
    };
    for (const auto& [id, text] : texts)
        EXPECT_EQ(Plugin::WideString(Plugin::LoadText(id).View()), Host::ToWideString(text))
            << "id " << id;
}

TEST(StringTable, AnIdOutsideTheTableGivesTheEmptyText)
{
    for (unsigned id : {0u, 100u, 107u, 117u, 0xFFFFu})
        EXPECT_TRUE(Plugin::LoadText(id).empty()) << "id " << id;
}

} // namespace
