// The store's side of CategoryList (declared in store/PhraseStore.h): the
// names array is replaced whole by ListCategories.
#pragma once

#include "store/PhraseStore.h"

// Replaces the names with count empty names; an empty list when the array
// cannot be allocated.
void ResetCategoryList(int count);
