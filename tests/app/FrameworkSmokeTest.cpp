#include "AfxString.h"

#include <gtest/gtest.h>

TEST(CStringTest, FormatsLongText)
{
    CString s;
    s.Format("%s%d", "Shortcut ", 6);
    EXPECT_EQ(s, "Shortcut 6");
}
