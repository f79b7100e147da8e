#include "AfxSharedFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// The block's bytes, and whether the byte right after the data is zero.
struct BlockView
{
    SIZE_T size = 0;
    std::string bytes;
};

BlockView View(HGLOBAL block)
{
    BlockView view;
    view.size = ::GlobalSize(block);
    const char* bytes = static_cast<const char*>(::GlobalLock(block));
    if (bytes) {
        view.bytes.assign(bytes, view.size);
        ::GlobalUnlock(block);
    }
    return view;
}

} // namespace

TEST(SharedFileTest, NothingWrittenDetachesNoBlock)
{
    CSharedFile empty;
    EXPECT_EQ(empty.Detach(), nullptr);

    CSharedFile zeroLength;
    EXPECT_TRUE(zeroLength.Write("abc", 0));
    EXPECT_EQ(zeroLength.Detach(), nullptr);
}

// The block grows in whole steps of 4096 bytes and always keeps a zero byte
// after the data, also when the data fills a step exactly.
class SharedFileSizeTest : public ::testing::TestWithParam<std::pair<size_t, SIZE_T>>
{
};

TEST_P(SharedFileSizeTest, BlockIsOneStepMultipleAndTerminated)
{
    size_t length = GetParam().first;
    SIZE_T expectedSize = GetParam().second;
    std::string text(length, 'x');
    for (size_t i = 0; i < length; ++i) text[i] = static_cast<char>('a' + i % 26);

    CSharedFile file;
    ASSERT_TRUE(file.Write(text.data(), static_cast<UINT>(text.size())));
    EXPECT_EQ(file.GetLength(), length);
    HGLOBAL block = file.Detach();
    ASSERT_NE(block, nullptr);
    BlockView view = View(block);
    EXPECT_EQ(view.size, expectedSize);
    ASSERT_GT(view.bytes.size(), length);
    EXPECT_EQ(view.bytes.substr(0, length), text);
    EXPECT_EQ(view.bytes[length], '\0');
    EXPECT_EQ(std::strlen(view.bytes.c_str()), length);
    ::GlobalFree(block);
}

INSTANTIATE_TEST_SUITE_P(Lengths, SharedFileSizeTest,
                         ::testing::Values(std::make_pair(size_t(1), SIZE_T(4096)),
                                           std::make_pair(size_t(1023), SIZE_T(4096)),
                                           std::make_pair(size_t(4095), SIZE_T(4096)),
                                           std::make_pair(size_t(4096), SIZE_T(8192)),
                                           std::make_pair(size_t(65536), SIZE_T(69632))));

TEST(SharedFileTest, WritesAppendAcrossGrowthAndStayTerminated)
{
    CSharedFile file;
    std::string expected;
    // Pieces that cross the step boundary at 4096 in the middle of a write.
    for (int piece = 0; piece < 5; ++piece) {
        std::string chunk(1000, static_cast<char>('A' + piece));
        ASSERT_TRUE(file.Write(chunk.data(), static_cast<UINT>(chunk.size())));
        expected += chunk;
    }
    HGLOBAL block = file.Detach();
    ASSERT_NE(block, nullptr);
    BlockView view = View(block);
    EXPECT_EQ(view.size, SIZE_T(8192));
    EXPECT_EQ(std::string(view.bytes.c_str()), expected);
    // Everything after the data is zero, not left-over memory.
    EXPECT_EQ(view.bytes.find_first_not_of('\0', expected.size()), std::string::npos);
    ::GlobalFree(block);

    // After Detach the buffer starts afresh.
    EXPECT_EQ(file.Detach(), nullptr);
    ASSERT_TRUE(file.Write("next", 4));
    block = file.Detach();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::string(View(block).bytes.c_str()), "next");
    ::GlobalFree(block);
}

TEST(SharedFileTest, BlockIsMovableAndShareable)
{
    CSharedFile file;
    ASSERT_TRUE(file.Write("text", 4));
    HGLOBAL block = file.Detach();
    ASSERT_NE(block, nullptr);
    // A movable block is a handle, not the address of its bytes.
    void* bytes = ::GlobalLock(block);
    EXPECT_NE(bytes, static_cast<void*>(block));
    ::GlobalUnlock(block);
    EXPECT_NE(::GlobalFlags(block) & GMEM_DDESHARE, 0u);
    ::GlobalFree(block);
}
