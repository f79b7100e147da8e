// Why the store's last statement failed, in words the user can act on: the
// dialogs add it to their messages when a change does not reach the database.
#pragma once

#include <string>

enum class StoreFailureKind
{
    None,
    Removed,       // the local file is no longer at its path
    ReadOnly,      // the local file, its folder or its medium cannot be written
    Locked,        // another program holds the database
    DiskFull,
    Unreachable,   // the database server cannot be reached, or did not answer in time
    NotPermitted,  // the account may read the phrases but not change them
    Unencodable,   // the text holds a character the database cannot store
    Duplicate,     // the database refused a second row with the same key
    Other,         // the driver's words
};

struct StoreFailure
{
    StoreFailureKind kind = StoreFailureKind::None;
    // One or two sentences, ending with a full stop; empty when there was no failure.
    std::wstring reason;
};

// The failure of the store's last statement (kind None after a success).
const StoreFailure& LastStoreFailure();
void SetLastStoreFailure(StoreFailureKind kind, const std::wstring& reason);
void ClearLastStoreFailure();
