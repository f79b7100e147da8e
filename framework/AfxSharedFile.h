// CSharedFile: a growable buffer in global memory, written sequentially and
// then handed over as an HGLOBAL (for the clipboard or a data object).
#pragma once

#include <windows.h>

class CSharedFile
{
public:
    // Blocks are allocated with allocFlags and grow in steps of growBytes.
    explicit CSharedFile(UINT allocFlags = GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, UINT growBytes = 4096);
    ~CSharedFile();
    CSharedFile(const CSharedFile&) = delete;
    CSharedFile& operator=(const CSharedFile&) = delete;

    // Appends length bytes. The block always keeps at least one zero byte
    // after the data written, so text written here is NUL-terminated.
    // False (nothing written) when the block cannot grow.
    bool Write(const void* data, UINT length);
    // The number of bytes written so far.
    SIZE_T GetLength() const { return m_length; }
    // Hands the block over to the caller, who frees it or passes it on; null
    // when nothing was written. The buffer is empty afterwards.
    HGLOBAL Detach();

private:
    bool GrowTo(SIZE_T needed);

    UINT m_allocFlags;
    UINT m_growBytes;
    HGLOBAL m_block = nullptr;
    SIZE_T m_capacity = 0;
    SIZE_T m_length = 0;
};
