// CategoryList: the distinct category names, ascending as the database sorts
// them, as last read by ListCategories. The category combo boxes and the tray
// menu read it; only ListCategories writes it.
#pragma once

#include "AfxString.h"

#include <vector>

struct CategoryListData
{
    std::vector<CString> names;
    // The last reading failed (the list is as it was before it): readers
    // that can wait for the database read it again.
    bool stale = true;
};
extern CategoryListData CategoryList;
