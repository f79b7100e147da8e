#include "store/StoreFailure.h"

namespace {
thread_local StoreFailure lastFailure;
} // namespace

const StoreFailure& LastStoreFailure()
{
    return lastFailure;
}

void SetLastStoreFailure(StoreFailureKind kind, const std::wstring& reason)
{
    lastFailure.kind = kind;
    lastFailure.reason = reason;
}

void ClearLastStoreFailure()
{
    lastFailure = StoreFailure();
}
