#include "store/CategoryList.h"

thread_local CategoryListData CategoryList;
