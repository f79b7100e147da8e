#include "store/CategoryList.h"

CategoryListData CategoryList;
