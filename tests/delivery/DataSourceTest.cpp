// COleDataSource as a real IDataObject, and on the real clipboard.
#include "AfxDataSource.h"
#include "AfxInit.h"
#include "support/ClipboardText.h"
#include "DeliveryChild.h"
#include "DeliveryTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

namespace {

FORMATETC TextFormat(DWORD tymed = TYMED_HGLOBAL)
{
    return FORMATETC{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, tymed};
}

std::string BlockText(HGLOBAL block)
{
    const char* bytes = static_cast<const char*>(::GlobalLock(block));
    std::string text = bytes ? std::string(bytes, strnlen(bytes, ::GlobalSize(block))) : std::string();
    ::GlobalUnlock(block);
    return text;
}

// Text written to a file of the test's folder, for the helper program.
std::string TextFile(const std::string& name, const std::string& text)
{
    std::ofstream(name, std::ios::binary) << text;
    char full[MAX_PATH];
    ::GetFullPathNameA(name.c_str(), MAX_PATH, full, nullptr);
    return full;
}

} // namespace

using DataSourceTest = OleTest;

TEST_F(DataSourceTest, GetDataHandsOutIndependentCopies)
{
    HGLOBAL cached = TextBlock("Kind regards");
    DataSourcePtr source(new COleDataSource);
    source->CacheGlobalData(CF_TEXT, cached);

    FORMATETC format = TextFormat();
    STGMEDIUM first = {};
    ASSERT_EQ(source->GetData(&format, &first), S_OK);
    EXPECT_EQ(first.tymed, DWORD(TYMED_HGLOBAL));
    EXPECT_EQ(first.pUnkForRelease, nullptr);
    EXPECT_NE(first.hGlobal, cached);
    EXPECT_EQ(BlockText(first.hGlobal), "Kind regards");
    // The receiver owns its copy: changing and freeing it leaves the cache alone.
    char* bytes = static_cast<char*>(::GlobalLock(first.hGlobal));
    bytes[0] = 'X';
    ::GlobalUnlock(first.hGlobal);
    ::ReleaseStgMedium(&first);

    STGMEDIUM second = {};
    ASSERT_EQ(source->GetData(&format, &second), S_OK);
    EXPECT_EQ(BlockText(second.hGlobal), "Kind regards");
    ::ReleaseStgMedium(&second);
}

TEST_F(DataSourceTest, AnswersOnlyForCachedFormatAndMedium)
{
    DataSourcePtr source = TextSource("abc");
    FORMATETC text = TextFormat();
    FORMATETC anyMedium = TextFormat(TYMED_HGLOBAL | TYMED_ISTREAM | TYMED_FILE);
    FORMATETC stream = TextFormat(TYMED_ISTREAM);
    FORMATETC unicode = {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    FORMATETC icon = {CF_TEXT, nullptr, DVASPECT_ICON, -1, TYMED_HGLOBAL};

    EXPECT_EQ(source->QueryGetData(&text), S_OK);
    EXPECT_EQ(source->QueryGetData(&anyMedium), S_OK);
    EXPECT_EQ(source->QueryGetData(&unicode), DV_E_FORMATETC);
    EXPECT_EQ(source->QueryGetData(&stream), DV_E_TYMED);
    EXPECT_NE(source->QueryGetData(&icon), S_OK);

    STGMEDIUM medium = {};
    EXPECT_TRUE(FAILED(source->GetData(&unicode, &medium)));
    EXPECT_TRUE(FAILED(source->GetData(&stream, &medium)));
    ASSERT_EQ(source->GetData(&anyMedium, &medium), S_OK);
    EXPECT_EQ(medium.tymed, DWORD(TYMED_HGLOBAL));
    ::ReleaseStgMedium(&medium);
}

TEST_F(DataSourceTest, GetDataHereFillsTheCallersBlockWhenLargeEnough)
{
    DataSourcePtr source = TextSource("Best wishes");
    FORMATETC format = TextFormat();

    STGMEDIUM large = {};
    large.tymed = TYMED_HGLOBAL;
    large.hGlobal = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 64);
    ASSERT_EQ(source->GetDataHere(&format, &large), S_OK);
    EXPECT_EQ(BlockText(large.hGlobal), "Best wishes");
    ::GlobalFree(large.hGlobal);

    STGMEDIUM small = {};
    small.tymed = TYMED_HGLOBAL;
    small.hGlobal = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4);
    EXPECT_EQ(source->GetDataHere(&format, &small), STG_E_MEDIUMFULL);
    ::GlobalFree(small.hGlobal);
}

TEST_F(DataSourceTest, EnumeratesTheCachedFormatsWithDefaultDescription)
{
    DataSourcePtr source = TextSource("first");
    // Caching the same format again replaces the block.
    source->CacheGlobalData(CF_TEXT, TextBlock("second"));

    IEnumFORMATETC* formats = nullptr;
    ASSERT_EQ(source->EnumFormatEtc(DATADIR_GET, &formats), S_OK);
    FORMATETC format = {};
    ULONG fetched = 0;
    ASSERT_EQ(formats->Next(1, &format, &fetched), S_OK);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(format.cfFormat, CLIPFORMAT(CF_TEXT));
    EXPECT_EQ(format.ptd, nullptr);
    EXPECT_EQ(format.dwAspect, DWORD(DVASPECT_CONTENT));
    EXPECT_EQ(format.lindex, -1);
    EXPECT_EQ(format.tymed, DWORD(TYMED_HGLOBAL));
    EXPECT_EQ(formats->Next(1, &format, nullptr), S_FALSE);

    // A clone continues from the same position; Reset starts over.
    ASSERT_EQ(formats->Reset(), S_OK);
    IEnumFORMATETC* clone = nullptr;
    ASSERT_EQ(formats->Clone(&clone), S_OK);
    FORMATETC several[3] = {};
    EXPECT_EQ(clone->Next(3, several, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 1u);
    clone->Release();
    formats->Release();

    STGMEDIUM medium = {};
    FORMATETC text = TextFormat();
    ASSERT_EQ(source->GetData(&text, &medium), S_OK);
    EXPECT_EQ(BlockText(medium.hGlobal), "second");
    ::ReleaseStgMedium(&medium);

    IEnumFORMATETC* setFormats = nullptr;
    EXPECT_TRUE(FAILED(source->EnumFormatEtc(DATADIR_SET, &setFormats)));
}

TEST_F(DataSourceTest, SetClipboardHandsTheObjectToTheClipboard)
{
    ASSERT_TRUE(PutClipboardText("before"));
    COleDataSource* source = new COleDataSource;
    source->CacheGlobalData(CF_TEXT, TextBlock("on the clipboard"));
    ASSERT_TRUE(source->SetClipboard());

    EXPECT_EQ(AfxClipboardSource, source->GetInterface());
    EXPECT_EQ(::OleIsCurrentClipboard(AfxClipboardSource), S_OK);
    ClipboardText seen = ReadClipboardText();
    EXPECT_TRUE(seen.present);
    EXPECT_EQ(seen.text, "on the clipboard");
    EXPECT_TRUE(seen.terminated);

    // Another program takes the clipboard: the object goes, and with it the
    // record of the process's clipboard source.
    ASSERT_EQ(RunDeliveryHelper("deliver \"" + TextFile("other.txt", "someone else") + "\""), 0);
    EXPECT_EQ(AfxClipboardSource, nullptr);
    EXPECT_EQ(ReadClipboardText().text, "someone else");
}

TEST_F(DataSourceTest, SetClipboardReportsAHeldClipboard)
{
    ASSERT_TRUE(PutClipboardText("kept"));
    DataSourcePtr source = TextSource("not placed");
    {
        HeldClipboard held;
        ASSERT_TRUE(held.IsHeld());
        EXPECT_FALSE(source->SetClipboard());
    }
    EXPECT_EQ(AfxClipboardSource, nullptr);
    EXPECT_EQ(ReadClipboardText().text, "kept");

    // The caller kept its reference: the object still serves its data.
    FORMATETC format = TextFormat();
    STGMEDIUM medium = {};
    ASSERT_EQ(source->GetData(&format, &medium), S_OK);
    EXPECT_EQ(BlockText(medium.hGlobal), "not placed");
    ::ReleaseStgMedium(&medium);

    // And it can still take the clipboard once it is free.
    COleDataSource* retry = source.release();
    ASSERT_TRUE(retry->SetClipboard());
    EXPECT_EQ(ReadClipboardText().text, "not placed");
}
