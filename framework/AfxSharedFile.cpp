#include "AfxSharedFile.h"

#include <cstring>

CSharedFile::CSharedFile(UINT allocFlags, UINT growBytes)
    : m_allocFlags(allocFlags), m_growBytes(growBytes ? growBytes : 4096)
{
}

CSharedFile::~CSharedFile()
{
    if (m_block) ::GlobalFree(m_block);
}

bool CSharedFile::GrowTo(SIZE_T needed)
{
    if (needed <= m_capacity) return true;
    SIZE_T steps = (needed + m_growBytes - 1) / m_growBytes;
    SIZE_T capacity = steps * m_growBytes;
    if (capacity < needed) return false; // overflow
    HGLOBAL block = m_block ? ::GlobalReAlloc(m_block, capacity, GMEM_MOVEABLE | (m_allocFlags & GMEM_ZEROINIT))
                            : ::GlobalAlloc(m_allocFlags, capacity);
    if (!block) return false;
    m_block = block;
    // The new tail is cleared here whatever the allocator does, so that the
    // byte after the data is always zero.
    char* bytes = static_cast<char*>(::GlobalLock(block));
    if (!bytes) return false;
    std::memset(bytes + m_capacity, 0, capacity - m_capacity);
    ::GlobalUnlock(block);
    m_capacity = capacity;
    return true;
}

bool CSharedFile::Write(const void* data, UINT length)
{
    if (length == 0) return true;
    SIZE_T end = m_length + length;
    if (end < m_length) return false;
    // One byte more than the data, for the terminating zero.
    if (!GrowTo(end + 1)) return false;
    char* bytes = static_cast<char*>(::GlobalLock(m_block));
    if (!bytes) return false;
    std::memcpy(bytes + m_length, data, length);
    ::GlobalUnlock(m_block);
    m_length = end;
    return true;
}

HGLOBAL CSharedFile::Detach()
{
    HGLOBAL block = m_block;
    if (m_length == 0 && block) {
        ::GlobalFree(block);
        block = nullptr;
    }
    m_block = nullptr;
    m_capacity = 0;
    m_length = 0;
    return block;
}
