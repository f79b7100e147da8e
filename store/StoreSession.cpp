#include "store/StoreSession.h"

namespace {

StoreState processStore;
// A plain pointer: a thread's state is owned by its session, never by the
// thread's exit.
thread_local StoreState* threadStore = nullptr;

} // namespace

StoreState& CurrentStore()
{
    return threadStore ? *threadStore : processStore;
}

StoreSession::StoreSession() : m_previous(threadStore)
{
    threadStore = &m_state;
}

StoreSession::~StoreSession()
{
    threadStore = m_previous;
}
