// The phrase store's benchmark: the store's own operations, through ODBC and
// the driver adapter, on the bench database at database/phrases.mdb under
// the Unix working directory (bench/run.sh prepares it). Run under Wine.
//
//   store_bench.exe [REPEATS]
//
// Prints one line per measurement: name, fastest and median microseconds.
// The first operation (which connects) is not timed.
#include "bench_clock.h"
#include "bench_common.h"

#include "AfxControls.h"
#include "store/PhraseStore.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

double NowMicroseconds()
{
    return bench::NowMs() * 1000.0;
}

void Measure(const char* name, int repeats, const std::function<void()>& before, const std::function<void()>& timed,
             const std::function<void()>& after, int callsPerSample = 1)
{
    std::vector<double> samples;
    timed(); // warm-up
    if (after) after();
    for (int r = 0; r < repeats; ++r) {
        if (before) before();
        double start = NowMicroseconds();
        for (int k = 0; k < callsPerSample; ++k) timed();
        samples.push_back((NowMicroseconds() - start) / callsPerSample);
        if (after) after();
    }
    std::sort(samples.begin(), samples.end());
    std::printf(BENCH_RESULT_FORMAT, name, samples.front(), samples[samples.size() / 2]);
    std::fflush(stdout);
}

volatile size_t sink;

} // namespace

int main(int argc, char** argv)
{
    int repeats = argc > 1 ? std::atoi(argv[1]) : 30;

    // The operations that take their values from combo boxes get real ones.
    HWND window = CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPED, 0, 0, 200, 100, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    CComboBox categoryCombo, phraseCombo;
    categoryCombo.m_hWnd = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 100, window,
                                           nullptr, nullptr, nullptr);
    phraseCombo.m_hWnd = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 100, window,
                                         nullptr, nullptr, nullptr);
    categoryCombo.InsertString(-1, "Category 00");
    categoryCombo.SetCurSel(0);
    phraseCombo.InsertString(-1, "Phrase 00-01");
    phraseCombo.SetCurSel(0);

    if (CountPhrases() != BENCH_CATEGORIES * BENCH_ROWS_PER_CATEGORY) {
        std::fprintf(stderr, "database/phrases.mdb does not hold the bench table (%d rows)\n", CountPhrases());
        return 1;
    }
    Measure("ListCategories", repeats, nullptr, [] { ListCategories(); }, nullptr);
    Measure("Menu: ForEachMenuRow", repeats, nullptr, [] {
        sink += static_cast<size_t>(ForEachMenuRow([](size_t category, const char* code, PhraseId phraseId) {
            sink += category + std::strlen(code) + static_cast<size_t>(phraseId);
        }));
    }, nullptr);
    // Each statement writes its return code to the debugger output; under
    // Wine that costs as much as a small query. Measured alone for the record.
    Measure("(OutputDebugStringA alone)", repeats, nullptr, [] { OutputDebugStringA("SQL_SUCCESS\n"); }, nullptr);
    int nextId = 1;
    Measure("ReadPhrase (per call)", repeats, nullptr, [&nextId] {
        sink += static_cast<size_t>(ReadPhrase(nextId).text.GetLength());
        nextId = nextId % 4096 + 1;
    }, nullptr, 64);

    auto addPhrase = [&categoryCombo] {
        AddPhrase(categoryCombo, "Bench code", "Thank you for your message. I'll reply as soon as I can.");
    };
    auto deletePhrase = [] { DeletePhrase("Category 00", "Bench code"); };
    auto insertPhrase = [] { InsertPhrase("Bench category"); };
    auto deleteCategory = [] { DeleteCategoryRows("Bench category"); };
    int toggle = 0;
    Measure("AddPhrase", repeats, nullptr, addPhrase, deletePhrase);
    Measure("UpdateContent", repeats, nullptr, [&toggle] {
        CString text;
        text.Format("Updated text %d", toggle++);
        ReplaceContent(2, text);
    }, nullptr);
    Measure("DeletePhrase", repeats, addPhrase, deletePhrase, nullptr);
    Measure("InsertPhrase", repeats, nullptr, insertPhrase, deleteCategory);
    Measure("DeleteCategoryRows", repeats, insertPhrase, deleteCategory, nullptr);

    DestroyWindow(window);
    return CountPhrases() == BENCH_CATEGORIES * BENCH_ROWS_PER_CATEGORY ? 0 : 1;
}
