// Shared pieces of the delivery tests.
#pragma once

#include "AfxDataSource.h"
#include "AfxInit.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>

// A test with OLE running on its thread, as in the program.
class OleTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(AfxOleInit()); }
    void TearDown() override { AfxOleTerm(); }
};

struct DataSourceReleaser
{
    void operator()(COleDataSource* source) const { source->InternalRelease(); }
};
using DataSourcePtr = std::unique_ptr<COleDataSource, DataSourceReleaser>;

// A global memory block holding text and its terminating zero.
HGLOBAL TextBlock(const std::string& text);
// A data source offering text as CF_TEXT.
DataSourcePtr TextSource(const std::string& text);
// Text of the given length, of printable bytes.
std::string SampleText(size_t length);

// Runs action on a thread of its own as soon as the creating thread holds
// the mouse capture (a drag's wait has begun), with the capture window.
class DuringDragWait
{
public:
    explicit DuringDragWait(std::function<void(HWND capture)> action);
    ~DuringDragWait();
    DuringDragWait(const DuringDragWait&) = delete;
    DuringDragWait& operator=(const DuringDragWait&) = delete;

    // Waits for the thread; the capture window it saw (null when none came).
    HWND Finish();

private:
    std::thread m_thread;
    HWND m_captureSeen = nullptr;
};
