// The tray icon and its menu as the user meets them: the icon as the shell
// is told of it, the menu opened by a press on the icon, built from the
// database and driven with the keyboard; a chosen phrase reaches the
// clipboard and the window under the cursor (by the framework's drag), and
// the Toolbox's commands open their dialogs over the hidden main window.
#include "support/AppTest.h"

#include "AfxDataSource.h"
#include "app/TrayMenu.h"
#include "delivery/PhraseDelivery.h"
#include "preview/MenuPreviewManager.h"
#include "res/resource.h"

#include <shellapi.h>

#include <thread>

namespace {

// The menu as the user reads it: item texts, submenus in brackets.
std::string Describe(HMENU menu) {
    std::string out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[256] = {};
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        HMENU submenu = GetSubMenu(menu, i);
        out += std::string(i ? " | " : "") + (text[0] ? text : "---") + (submenu ? " [" + Describe(submenu) + "]" : "");
    }
    return out;
}

// Which of the five animation frames an icon shows (1 to 5; 0: none of them), by its pixels.
int FrameOf(HICON icon) {
    auto pixels = [](HICON shown) {
        ICONINFO info = {};
        GetIconInfo(shown, &info);
        std::string bits(32 * 32 * 4, '\0');
        bits.resize(static_cast<size_t>(GetBitmapBits(info.hbmColor, static_cast<LONG>(bits.size()), &bits[0])));
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        return bits;
    };
    const UINT frames[] = {IDI_FRAME_1, IDI_FRAME_2, IDI_FRAME_3, IDI_FRAME_4, IDI_FRAME_5};
    for (int i = 0; i < 5; ++i)
        if (pixels(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(frames[i]))) == pixels(icon)) return i + 1;
    return 0;
}

}  // namespace

TEST_F(AppTest, TrayMenuListsPhrasesByCategoryAndDeliversTheChosenOne) {
    std::string page;  // fills the clipboard's 4,096-byte step exactly
    while (page.size() < 4096) page += "Page " + std::to_string(page.size()) + ".\r\n";
    page.resize(4096);
    db.Insert("Letters", "", "");
    db.Insert("Letters", "b", page);
    db.Insert("Letters", "a", "Don\xAC`t \xAC alone, ` alone, it\xAC`s \xAC\xAC``");
    db.Insert("letters", "c", "the same category, written in small letters");
    db.Insert("Empty", "", "");
    for (int id : {9999, 10001, 30000}) db.Insert("Big", "n" + std::to_string(id), "phrase " + std::to_string(id), id);
    db.Execute("INSERT INTO phrase VALUES (2147483648, 'Big', 'o', 'phrase 2^31'), (-7, 'Big', 'p', 'phrase -7')");
    StartProgram();
    std::string picture;
    OpenTrayMenu([&](UiDriver& ui, HWND menu) {
        picture = Describe(reinterpret_cast<HMENU>(SendMessageA(menu, 0x01E1 /* MN_GETHMENU */, 0, 0)));
        ui.PressMenuKeys(menu, "X");
    }, WM_LBUTTONDOWN);
    EXPECT_EQ(picture, "Big [n10001 | n30000 | n9999 | o | p] | Empty | Letters [a | b | c] | --- | "
                       "Toolbox [Add Category | Delete Category | Add phrase | Edit phrase | About us | Exit]");

    // Down to the category, Right into its submenu, Down to the phrase; "" delivers nothing.
    const std::pair<std::string, std::string> choices[] = {
        {"DDDRE", "Don't \xAC alone, ` alone, it's \xAC'`"}, {"DDDRDE", page}, {"DRDDE", "phrase 9999"},
        {"DRDDDE", "phrase 2^31"}, {"DRDDDDE", "phrase -7"}, {"DRE", "phrase 10001"}, {"DRDE", "phrase 30000"},
        {"DDE", ""} /* a category without phrases is a plain item */};
    for (const auto& [keys, text] : choices) {
        target->dropped.clear();
        OpenTrayMenu([&](UiDriver& ui, HWND menu) { ui.PressMenuKeys(menu, keys); });
        EXPECT_EQ(ClipboardText(), text.empty() ? "phrase 30000" : text) << "the clipboard keeps the last phrase";
        EXPECT_TRUE(target->dropped == (text.empty() ? Strings{} : Strings{text})) << keys << ": " << text.substr(0, 20);
    }
}

// Every phrase gets an item while the menu's 16-bit identifiers last; a
// category that they do not reach says how many of its phrases are not shown.
TEST_F(AppTest, ALargeLibraryFillsTheMenusIdentifiersAndSaysWhatDoesNotFit) {
    db.Execute("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 69999) INSERT INTO phrase "
               "SELECT 100000 + i, printf('Cat %d', i / 7000), printf('p%05d', i), printf('phrase %d', i) FROM n");
    StartProgram();
    Strings ends;  // each category's item count and last item
    OpenTrayMenu([&](UiDriver& ui, HWND menu) {
        HMENU top = reinterpret_cast<HMENU>(SendMessageA(menu, 0x01E1 /* MN_GETHMENU */, 0, 0));
        for (int category = 0; category < 10; ++category) {
            HMENU phrases = GetSubMenu(top, category);
            int last = GetMenuItemCount(phrases) - 1;
            char text[64] = {};
            GetMenuStringA(phrases, static_cast<UINT>(last), text, sizeof text, MF_BYPOSITION);
            bool grayed = (GetMenuState(phrases, static_cast<UINT>(last), MF_BYPOSITION) & MF_GRAYED) != 0;
            ends.push_back(std::to_string(last + 1) + " " + text + (grayed ? " (grayed)" : ""));
        }
        ui.PressMenuKeys(menu, "DDDDDDDDRUUE");  // the last phrase of Cat 7 that has an item
    });
    EXPECT_EQ(ends, (Strings{"7000 p06999", "7000 p13999", "7000 p20999", "7000 p27999", "7000 p34999", "7000 p41999", "7000 p48999",
                             "6505 496 more phrases not shown (grayed)", "1 7000 more phrases not shown (grayed)",
                             "1 7000 more phrases not shown (grayed)"}));
    EXPECT_EQ(target->dropped, Strings{"phrase 55503"});
}

TEST_F(AppTest, TrayIconAnimatesAndTheToolboxOpensItsDialogsUntilExitRemovesTheIcon) {
    StartProgram();
    // Added once as icon 2005 of the tray window (which tools address), with the tip "Talvory".
    ASSERT_EQ(iconCalls.size(), 1u);
    const TrayIconRecord& icon = iconCalls[0].second;
    EXPECT_EQ(std::make_tuple(iconCalls[0].first, icon.uFlags, std::string(icon.szTip), icon.uID, icon.hWnd, icon.uCallbackMessage),
              std::make_tuple(DWORD(NIM_ADD), UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP), std::string("Talvory"), 2005u, TrayWindowHandle, WM_TRAYNOTIFY));
    // The notification area itself knows icon 2005 of the tray window: a
    // change without flags succeeds only for an icon it holds.
    NOTIFYICONDATAA known = {};
    known.cbSize = NOTIFYICONDATAA_V1_SIZE;
    known.hWnd = TrayWindowHandle;
    known.uID = TrayIconId;
    EXPECT_TRUE(shellNotifyIcon(NIM_MODIFY, &known)) << "the shell does not know the icon";
    // Each tick of the animation shows the next of the five frames.
    for (int tick = 0; tick < 6; ++tick) AnimateTrayIcon(nullptr, 0, 0, 0);
    std::vector<int> frames;
    for (const auto& call : iconCalls) frames.push_back(FrameOf(call.second.hIcon));
    EXPECT_EQ(frames, (std::vector<int>{1, 1, 2, 3, 4, 5, 1}));
    // Lost by the notification area (a shell that restarted), it comes back at the next tick.
    shellNotifyIcon(NIM_DELETE, &TrayIconData);
    AnimateTrayIcon(nullptr, 0, 0, 0);
    EXPECT_EQ(iconCalls.back().first, DWORD(NIM_ADD));

    // Up wraps to "Toolbox", Right opens it at its first item; Down to the item.
    const char* dialogs[] = {"Add Category", "Delete Category", "Add New Phrase", "Talvory", "About Morvane", nullptr};
    for (size_t item = 0; item < 6; ++item) {
        OpenTrayMenu([&](UiDriver& ui, HWND menu) {
            ui.PressMenuKeys(menu, "UR" + std::string(item, 'D') + "E");
            if (!dialogs[item]) return;  // Exit
            HWND dialog = ui.WaitForWindow(dialogs[item]);
            if (GetWindow(dialog, GW_OWNER) != mainWindow.m_hWnd || IsWindowEnabled(mainWindow.m_hWnd))
                ui.Fail("the dialog is not modal over the main window");
            ui.PressButton(dialog, IDCANCEL);
        });
    }
    EXPECT_EQ(QuitFlag, 1);
    EXPECT_EQ(iconCalls.back().first, DWORD(NIM_DELETE));
    EXPECT_EQ(iconCalls.back().second.uID, 2005u);
    AnimateTrayIcon(nullptr, 0, 0, 0);  // a tick before the program has ended
    EXPECT_NE(iconCalls.back().first, DWORD(NIM_ADD)) << "the icon stays removed";
}

// The drag that drops a chosen phrase (framework/AfxDataSource.h): it starts
// once the cursor leaves a small square around its start, or when the cursor
// has rested for the platform's drag delay; the button not held cancels it.
TEST(Drag, StartsOffItsSquareOrAfterTheDelayAndTheOtherButtonCancels) {
    ASSERT_TRUE(AfxOleInit());
    DropTarget target;  // under the cursor
    DWORD start = GetTickCount();
    DropPhraseAtCursor("text");
    EXPECT_GE(GetTickCount() - start, 150u) << "dropped before the drag delay of 200 ms without profile values";
    CComPtr<COleDropSource> patient(new COleDropSource);
    patient->m_dragDelay = 10000;
    std::thread mouse([] {  // within the square (2 pixels each way), then out of it
        Sleep(100);
        SetCursorPos(501, 449);
        Sleep(500);
        SetCursorPos(497, 450);
    });
    CComPtr<COleDataSource> source(new COleDataSource);
    source->CacheGlobalData(CF_TEXT, GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, 1));
    start = GetTickCount();
    source->DoDragDrop(DROPEFFECT_MOVE, patient.Get());
    DWORD waited = GetTickCount() - start;
    mouse.join();
    EXPECT_TRUE(waited >= 550 && waited < 5000) << waited << " ms";
    EXPECT_EQ(target.dropped, (Strings{"text", ""}));

    // Begun with the left button held (on the target), left drops and right cancels.
    INPUT press[2] = {};
    press[0].type = press[1].type = INPUT_MOUSE;
    press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &press[0], sizeof(INPUT));
    EXPECT_TRUE(PumpUntil([] { return GetKeyState(VK_LBUTTON) < 0; }, 5000));
    CComPtr<COleDropSource> leftDrag(new COleDropSource);
    leftDrag->m_dragDelay = 0;
    leftDrag->OnBeginDrag(target.Window());
    SendInput(1, &press[1], sizeof(INPUT));
    PumpUntil([] { return GetKeyState(VK_LBUTTON) >= 0; }, 5000);
    EXPECT_EQ(leftDrag->QueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
    EXPECT_EQ(leftDrag->QueryContinueDrag(FALSE, MK_LBUTTON | MK_RBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(leftDrag->QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
    AfxOleTerm();
}

namespace {

// The GDI objects of this process. Wine's GetGuiResources reports none, so
// there they are counted in the process's GDI handle table (Wine's layout,
// 24-byte entries, kept in the 64-bit process block; a 32-bit program reaches
// that through its 64-bit thread block), leaving out the device contexts Wine
// caches for windows, each with its region and bitmap.
const BYTE* GdiHandleTable() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"  // GCC 12 misreads the segment-relative read of the thread block
    const BYTE* teb = reinterpret_cast<const BYTE*>(NtCurrentTeb());
#pragma GCC diagnostic pop
#ifdef _WIN64
    return *reinterpret_cast<const BYTE* const*>(*reinterpret_cast<const BYTE* const*>(teb + 0x60) + 0xF8);
#else
    ULONG teb64 = *reinterpret_cast<const ULONG*>(teb + 0xF70);
    return teb64 ? reinterpret_cast<const BYTE*>(*reinterpret_cast<const ULONG64*>(*reinterpret_cast<const ULONG64*>(teb64 + 0x60) + 0xF8))
                 : *reinterpret_cast<const BYTE* const*>(*reinterpret_cast<const BYTE* const*>(teb + 0x30) + 0x94);
#endif
}

int GdiObjects() {
    DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported) return static_cast<int>(reported);
    const BYTE* table = GdiHandleTable();
    int count[256] = {};
    for (int i = 0; table && i < 0x10000; ++i) ++count[table[i * 24 + 14]];  // by the entry's type
    int objects = -count[0] - 2 * count[1] - count[4];  // not free entries; not a DC with its bitmap, nor regions
    for (int n : count) objects += n;
    return objects;
}

// The bytes in use on every heap of the process.
size_t HeapBytes() {
    HANDLE heaps[64];
    size_t bytes = 0;
    for (DWORD h = 0, n = GetProcessHeaps(64, heaps); h < n && h < 64; ++h) {
        PROCESS_HEAP_ENTRY entry = {};
        HeapLock(heaps[h]);
        while (HeapWalk(heaps[h], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) bytes += entry.cbData;
        HeapUnlock(heaps[h]);
    }
    return bytes;
}

}  // namespace

// The menu, a delivery and every dialog, many times over: the process keeps
// no GDI object (icons, bitmaps, brushes, fonts) and no memory of theirs.
TEST_F(AppTest, MenusDeliveriesAndDialogsLeaveNothingBehind) {
    db.Insert("Letters", "sign", std::string(8000, 'x'));
    StartProgram();
    // The preview shows at once, every round alike, however slowly the keys come.
    MenuPreviewManager.showDelay = 0;
    // Each Toolbox command's dialog, opened as the menu's choice opens it.
    const std::pair<UINT, const char*> dialogs[] = {{ID_TOOLBOX_ADD_CATEGORY, "Add Category"}, {ID_TOOLBOX_DELETE_CATEGORY, "Delete Category"},
        {ID_TOOLBOX_ADD_PHRASE, "Add New Phrase"}, {ID_TOOLBOX_EDIT_PHRASE, "Talvory"}, {ID_TOOLBOX_ABOUT, "About Morvane"}};
    size_t drops = 0;
    auto round = [&] {
        OpenTrayMenu([](UiDriver& ui, HWND menu) { ui.PressMenuKeys(menu, "DRE"); });
        drops += target->dropped.size();
        Strings().swap(target->dropped);  // the test's own copy of the text goes
        for (const auto& [command, caption] : dialogs)
            Run([command = command] { DispatchTrayCommand(command); }, caption,
                [](UiDriver& ui, HWND dialog) { ui.PressButton(dialog, IDCANCEL); });
    };
    round();  // what the first uses make once and keep
    round();
    // A leak grows with every round: twelve rounds leave twelve objects or
    // more. Wine's window manager side now and then keeps copies of a
    // dialog's icons (two icons, four bitmaps) on its own schedule: up to
    // seven objects more were seen without a leak.
    int objects = GdiObjects();
    size_t bytes = HeapBytes();
    for (int i = 0; i < 12; ++i) round();
    EXPECT_LE(GdiObjects(), objects + 8) << "GDI objects more after twelve rounds";
    EXPECT_LT(static_cast<double>(HeapBytes()) - static_cast<double>(bytes), 20000.0) << "heap bytes more after twelve rounds";
    EXPECT_EQ(drops, 14u);
    MenuPreviewManager.showDelay = 1000;
}
