#include "store/CategoryList.h"

#include "store/StoreSession.h"

CategoryListData& CategoryList()
{
    return CurrentStore().categories;
}
