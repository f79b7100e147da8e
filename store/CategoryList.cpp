#include "store/CategoryList.h"

#include <new>

CategoryListData CategoryList = {0, nullptr};

void ResetCategoryList(int count)
{
    delete[] CategoryList.names;
    CategoryList.names = nullptr;
    CategoryList.count = 0;
    if (count < 0) return;
    CategoryList.names = new (std::nothrow) CString[static_cast<size_t>(count)];
    if (CategoryList.names) CategoryList.count = count;
}
