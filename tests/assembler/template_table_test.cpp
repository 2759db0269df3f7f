// The table's shape, which the lookup relies on. Each row's bytes are held to NASM by the
// cross-check.
#include "assembler/template_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tarvix {
namespace {

TEST(TemplateTable, UniqueKeysInLetterGroupsThatTheIndexBounds) {
    std::set<std::string> keys;
    for (std::size_t i = 0; i < kTemplateCount; ++i) {
        const std::string name(kTemplateTable[i].formName);
        ASSERT_NE(name.find('_'), std::string::npos) << "row " << i;
        EXPECT_TRUE(keys.insert(name).second) << "duplicate key " << name;
    }
    EXPECT_TRUE(kTemplateTable[kTemplateCount].formName.empty());

    const LetterIndex index = buildLetterIndex();
    EXPECT_EQ(index[0], 0u);
    EXPECT_EQ(index[26], kTemplateCount);
    for (std::size_t k = 0; k < 26; ++k) {
        for (std::size_t row = index[k]; row < index[k + 1]; ++row) {
            EXPECT_EQ(kTemplateTable[row].formName.front(), static_cast<char>('a' + k));
        }
    }
    EXPECT_NE(findRow("XCHG_acu16/REG16", index[23], index[24]), nullptr);
    EXPECT_EQ(findRow("xchg_acu16/reg16", index[0], index[1]), nullptr);
}

}  // namespace
}  // namespace tarvix
