// CategoryList: the distinct category names, ascending as the database sorts
// them, as last read by ListCategories or the tray menu's reading. The
// category combo boxes read it. One per store state (store/StoreSession.h).
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
CategoryListData& CategoryList();
