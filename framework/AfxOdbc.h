// Owners of ODBC handles: an environment, a connection (disconnected before
// it is freed) and a statement.
#pragma once

#include "AfxHandles.h"

#include <windows.h>
#include <sql.h>

template <SQLSMALLINT Type>
struct AfxOdbcTraits
{
    using Handle = SQLHANDLE;
    static SQLHANDLE Null() { return SQL_NULL_HANDLE; }
    static void Release(SQLHANDLE handle)
    {
        if (Type == SQL_HANDLE_DBC) SQLDisconnect(handle);
        SQLFreeHandle(Type, handle);
    }
};

using COdbcEnvironment = CHandleOwner<AfxOdbcTraits<SQL_HANDLE_ENV>>;
using COdbcConnection = CHandleOwner<AfxOdbcTraits<SQL_HANDLE_DBC>>;
using COdbcStatement = CHandleOwner<AfxOdbcTraits<SQL_HANDLE_STMT>>;
