// Shared pieces of the delivery tests.
#pragma once

#include "AfxDataSource.h"
#include "AfxInit.h"
#include "support/DropTargetWindow.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>

// OLE running on the test's thread, as in the program, and a drop target
// under the mouse cursor.
class DropTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AfxOleInit());
        target.reset(new DropTargetWindow(300, 300, 400, 300));
        target->PlaceCursorInside();
    }
    void TearDown() override
    {
        target.reset();
        AfxOleTerm();
    }

    std::unique_ptr<DropTargetWindow> target;
};

struct DataSourceReleaser
{
    void operator()(COleDataSource* source) const { source->InternalRelease(); }
};
using DataSourcePtr = std::unique_ptr<COleDataSource, DataSourceReleaser>;

// A data source offering text as CF_TEXT.
DataSourcePtr TextSource(const std::string& text);
// Text of the given length, of printable bytes.
std::string SampleText(size_t length);

// Runs action on a thread of its own as soon as this thread holds the mouse
// capture (a drag's wait has begun), with the capture window. Join it.
std::thread WhenCaptured(std::function<void(HWND capture)> action);

// Runs delivery_helper.exe with arguments and returns its exit code (-1 when
// it did not start or end in time), dispatching this thread's messages meanwhile.
int RunDeliveryHelper(const std::string& arguments);
