// CategoryList: the distinct category names, ascending as the database sorts
// them, as last read by ListCategories or the tray menu's reading. The
// category combo boxes read it. Per thread, as the store's connection is.
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
extern thread_local CategoryListData CategoryList;
