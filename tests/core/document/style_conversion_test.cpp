// The colour commands' conversion of text styles: which entry the text
// takes and what the table gains, the same for the editor and for markup.

#include "QtPrinters.h"

#include "document/model/StyleConversion.h"

#include <gtest/gtest.h>

using namespace StyleConversion;

TEST(StyleConversion, DarkOnRedInANewDocumentLeavesTheIntermediateEntry)
{
    TRVStyle tables = TRVStyle::newDocument();
    EXPECT_EQ(applySignColour(tables, 0, SignColour::DarkOnRed), 2);
    ASSERT_EQ(tables.TextStyles.size(), 3u);
    EXPECT_EQ(tables.TextStyles[1].Color, Colour::Black);
    EXPECT_EQ(tables.TextStyles[1].BackColor, Colour::None);
    EXPECT_EQ(tables.TextStyles[2].Color, Colour::Black);
    EXPECT_EQ(tables.TextStyles[2].BackColor, Colour::Red);
    EXPECT_FALSE(tables.TextStyles[2].Standard);
    EXPECT_TRUE(tables.TextStyles[0].Standard);

    // Another word: the entries are found, nothing is added.
    EXPECT_EQ(applySignColour(tables, 0, SignColour::DarkOnRed), 2);
    EXPECT_EQ(tables.TextStyles.size(), 3u);
}

TEST(StyleConversion, BackToRedFindsStyleZeroAndKeepsRedOnRed)
{
    TRVStyle tables = TRVStyle::newDocument();
    applySignColour(tables, 0, SignColour::DarkOnRed);
    EXPECT_EQ(applySignColour(tables, 2, SignColour::RedOnDark), 0);
    ASSERT_EQ(tables.TextStyles.size(), 4u);
    EXPECT_EQ(tables.TextStyles[3].Color, Colour::Red);
    EXPECT_EQ(tables.TextStyles[3].BackColor, Colour::Red);

    EXPECT_EQ(applySignColour(tables, 0, SignColour::RedOnDark), 0) << "already red: no change, no entry";
    EXPECT_EQ(tables.TextStyles.size(), 4u);
}
