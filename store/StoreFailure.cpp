#include "store/StoreFailure.h"

#include "store/StoreSession.h"

const StoreFailure& LastStoreFailure()
{
    return CurrentStore().lastFailure;
}

void SetLastStoreFailure(StoreFailureKind kind, const std::wstring& reason)
{
    StoreFailure& failure = CurrentStore().lastFailure;
    failure.kind = kind;
    failure.reason = reason;
}

void ClearLastStoreFailure()
{
    CurrentStore().lastFailure = StoreFailure();
}
