// The find window's benchmark (bench/find-run.sh), on the database at
// database/phrases.mdb under the working directory. Run under Wine.
//
//   find_bench.exe inproc [ROUNDS]
//       In this process, with Talvory's own code: reading the library
//       (ForEachPhrase, then LoadPhrases with the index built), and each
//       keystroke of a few typed queries by the approaches measured: the
//       search over the library in memory as the window does it (case folded
//       while reading, among the previous keystroke's matches when typing
//       on), the same over the whole library at every keystroke, the same
//       over a lower-case copy of the library, one
//       SQL query per keystroke through the store's connection, and the
//       window's list refilled and painted: the virtual list box (the find
//       window itself) against a list box holding one string per row.
//   find_bench.exe driver FOLDER [ROUNDS]
//       From outside: starts FOLDER\Talvory.exe, presses Ctrl+Alt+F and
//       times until the "Find phrase" window is visible; a keystroke sent to
//       its text box until the list is refilled; Talvory's working set
//       before the first opening and while the window is open.
//
// Prints key=value lines, times in milliseconds (medians; "max" the
// slowest keystroke of all), memory in KiB.
#include "AfxApp.h"
#include "AfxInit.h"
#include "delivery/KeyChord.h"
#include "dialogs/FindPhraseDlg.h"
#include "res/resource.h"
#include "store/OdbcConnection.h"
#include "store/PhraseStore.h"
#include "store/StoredText.h"

#include "bench_clock.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

using bench::Median;
using bench::NowMs;

// Typed one character at a time: a common word and a word of every phrase
// (long lists), a rarer pair of words, and a word no phrase has (the whole
// library read with no early match).
const char* const TypedQueries[] = {"thank you", "message 4711", "spring kind", "zebra"};

std::vector<std::string> Keystrokes()
{
    std::vector<std::string> all;
    for (const char* query : TypedQueries)
        for (size_t length = 1; query[length - 1]; ++length) all.emplace_back(query, length);
    return all;
}

double WorkingSetKiB(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(process, &counters, sizeof counters);
    return static_cast<double>(counters.WorkingSetSize) / 1024.0;
}

// Times each keystroke of every query by run (after prepare, untimed);
// prints the median and slowest.
void TimeKeystrokes(const char* name, int rounds, const std::function<void(const std::string&)>& run,
                    const std::function<void()>& prepare = [] {})
{
    std::vector<double> samples;
    for (int round = 0; round < rounds; ++round) {
        for (const std::string& query : Keystrokes()) {
            prepare();
            double start = NowMs();
            run(query);
            samples.push_back(NowMs() - start);
        }
    }
    std::printf("%s=%.2f %s_max=%.2f\n", name, Median(samples), name,
                *std::max_element(samples.begin(), samples.end()));
}

// The same matching rules over a lower-case copy of the library.
struct FoldedCopy
{
    std::vector<std::string> entries; // category, code, text, each ending in a zero
    size_t codeAt(size_t i) const { return entries[i].find('\0') + 1; }

    void Find(const std::string& query, std::vector<uint32_t>& found) const
    {
        std::string folded(query);
        for (char& c : folded) c = static_cast<char>(FoldCase(static_cast<unsigned char>(c)));
        std::vector<std::string> words;
        for (size_t at = 0, end; at < folded.size(); at = end + 1) {
            end = folded.find(' ', at);
            if (end == std::string::npos) end = folded.size();
            if (end > at) words.push_back(folded.substr(at, end - at));
        }
        std::vector<uint32_t> contains, rest;
        found.clear();
        for (uint32_t i = 0; i < entries.size(); ++i) {
            const std::string& entry = entries[i];
            bool all = true;
            for (const std::string& word : words) all = all && entry.find(word) != std::string::npos;
            if (!all) continue;
            size_t code = codeAt(i), codeEnd = entry.find('\0', code);
            size_t at = entry.find(folded, code);
            if (at == code) found.push_back(i);
            else if (at < codeEnd) contains.push_back(i);
            else rest.push_back(i);
        }
        found.insert(found.end(), contains.begin(), contains.end());
        found.insert(found.end(), rest.begin(), rest.end());
    }
};

// One query per keystroke through the store's connection: the matching
// phrases' keys and list texts, in list order. (SQLite's LIKE folds ASCII
// letters only: it would not even meet the matching rules.)
size_t QueryPerKeystroke(const std::string& query)
{
    static ColumnBuffer id, category, code, text;
    std::string words, whole = query;
    for (size_t at = 0, end; at < query.size(); at = end + 1) {
        end = query.find(' ', at);
        if (end == std::string::npos) end = query.size();
        if (end == at) continue;
        CString word = SqlLiteral(query.substr(at, end - at));
        CString condition;
        condition.Format(" AND (category LIKE '%%%s%%' OR code LIKE '%%%s%%' OR REPLACE(content, X'AC60', '''') LIKE "
                         "'%%%s%%')", word.GetString(), word.GetString(), word.GetString());
        words += condition.str();
    }
    CString literal = SqlLiteral(whole), sql;
    sql.Format("SELECT PhraseID, category, code, SUBSTR(content, 1, 200) FROM phrase WHERE code <> ''%s ORDER BY "
               "CASE WHEN code LIKE '%s%%' THEN 0 WHEN code LIKE '%%%s%%' THEN 1 ELSE 2 END, category, code",
               words.c_str(), literal.GetString(), literal.GetString());
    Statement statement;
    size_t rows = 0;
    if (!statement.Execute(sql)) return 0;
    statement.Bind(1, id);
    statement.Bind(2, category);
    statement.Bind(3, code);
    statement.Bind(4, text);
    while (statement.Fetch()) ++rows;
    return rows;
}

int InProcess(int rounds)
{
    const double before = WorkingSetKiB(::GetCurrentProcess());
    std::vector<double> reads, loads;
    size_t phrases = 0, kept = 0;
    for (int round = 0; round < rounds; ++round) {
        double start = NowMs();
        int count = ForEachPhrase([](const char*, const char*, const char*, PhraseId) {});
        reads.push_back(NowMs() - start);
        start = NowMs();
        CPhraseSearch search;
        LoadPhrases(search);
        loads.push_back(NowMs() - start);
        phrases = static_cast<size_t>(count);
        kept = search.MemoryUsed();
    }
    std::printf("phrases=%zu read=%.2f load=%.2f index_kib=%.0f\n", phrases, Median(reads), Median(loads),
                static_cast<double>(kept) / 1024.0);

    CPhraseSearch search;
    LoadPhrases(search);
    const double loaded = WorkingSetKiB(::GetCurrentProcess());
    std::printf("workingset_before_kib=%.0f workingset_loaded_kib=%.0f\n", before, loaded);
    std::vector<uint32_t> found;
    TimeKeystrokes("search", rounds, [&](const std::string& query) { search.Find(query, found); });
    // Each keystroke over the whole library (the empty query before it matches everything).
    TimeKeystrokes("search_whole", rounds, [&](const std::string& query) { search.Find(query, found); },
                   [&] { search.Find("", found); });

    FoldedCopy copy;
    size_t copyBytes = 0;
    for (uint32_t i = 0; i < search.Size(); ++i) {
        std::string entry = std::string(search.Category(i)) + '\0' + search.Code(i) + '\0' + search.Text(i) + '\0';
        for (char& c : entry) c = static_cast<char>(FoldCase(static_cast<unsigned char>(c)));
        copyBytes += entry.capacity() + sizeof entry;
        copy.entries.push_back(std::move(entry));
    }
    std::printf("folded_copy_kib=%.0f\n", static_cast<double>(copyBytes) / 1024.0);
    TimeKeystrokes("search_folded_copy", rounds, [&](const std::string& query) { copy.Find(query, found); });
    copy = FoldedCopy();

    TimeKeystrokes("sql_per_keystroke", 1, [](const std::string& query) { QueryPerKeystroke(query); });

    // The window itself: text set as typing does, the list refilled and painted.
    CFindPhraseDlg dialog(search);
    dialog.Create(IDD_FIND_PHRASE);
    dialog.ShowWindow(SW_SHOWNA);
    HWND edit = ::GetDlgItem(dialog, IDC_FIND_TEXT), list = ::GetDlgItem(dialog, IDC_FIND_LIST);
    TimeKeystrokes("virtual_list", rounds, [&](const std::string& query) {
        ::SetWindowTextA(edit, query.c_str());
        ::UpdateWindow(list);
    });
    if (std::getenv("FIND_BENCH_DETAIL")) {
        // The steps of a keystroke one by one, as the window takes them.
        std::vector<double> steps[5];
        for (int round = 0; round < rounds; ++round) {
            for (const std::string& query : Keystrokes()) {
                double t0 = NowMs();
                search.Find(query, found);
                double t1 = NowMs();
                ::SendMessageA(list, LB_SETCOUNT, found.size(), 0);
                double t2 = NowMs();
                ::SendMessageA(list, LB_SETCURSEL, found.empty() ? static_cast<WPARAM>(-1) : 0, 0);
                double t3 = NowMs();
                ::InvalidateRect(list, nullptr, TRUE);
                ::UpdateWindow(list);
                double t4 = NowMs();
                ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(query.c_str()));
                ::UpdateWindow(edit);
                double t5 = NowMs();
                const double times[] = {t1 - t0, t2 - t1, t3 - t2, t4 - t3, t5 - t4};
                for (int k = 0; k < 5; ++k) steps[k].push_back(times[k]);
            }
        }
        const char* names[] = {"find", "setcount", "setcursel", "paint", "edit_settext"};
        for (int k = 0; k < 5; ++k)
            std::printf("step_%s=%.2f step_%s_max=%.2f\n", names[k], Median(steps[k]), names[k],
                        *std::max_element(steps[k].begin(), steps[k].end()));
    }
    RECT place;
    ::GetWindowRect(list, &place);
    HWND plain = ::CreateWindowExA(0, "LISTBOX", "", WS_POPUP | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS,
                                   place.left, place.top, place.right - place.left, place.bottom - place.top, nullptr,
                                   nullptr, nullptr, nullptr);
    auto fillPlain = [&](const std::string& query) {
        search.Find(query, found);
        ::SendMessageA(plain, WM_SETREDRAW, FALSE, 0);
        ::SendMessageA(plain, LB_RESETCONTENT, 0, 0);
        ::SendMessageA(plain, LB_INITSTORAGE, found.size(), found.size() * 64);
        for (uint32_t phrase : found) {
            std::string row = std::string(search.Category(phrase)) + "  " + search.Code(phrase) + "  " +
                              OneLine(search.Text(phrase), 60);
            ::SendMessageA(plain, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
        }
        ::SendMessageA(plain, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(plain, nullptr, TRUE);
        ::UpdateWindow(plain);
    };
    TimeKeystrokes("string_list", 1, fillPlain);
    ::DestroyWindow(plain);
    return 0;
}

HWND FindWindowOf(DWORD process)
{
    for (HWND window = nullptr; (window = ::FindWindowExA(nullptr, window, "#32770", "Find phrase"));) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == process && ::IsWindowVisible(window)) return window;
    }
    return nullptr;
}

int Driver(const std::string& folder, int rounds)
{
    std::string executable = folder + "\\Talvory.exe", line = "\"" + executable + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION talvory = {};
    if (!::CreateProcessA(executable.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                          &talvory)) {
        std::fprintf(stderr, "cannot start %s\n", executable.c_str());
        return 1;
    }
    ::WaitForInputIdle(talvory.hProcess, 30000);
    ::Sleep(1000); // start-up's reading and the tray icon settled
    const double idle = WorkingSetKiB(talvory.hProcess);
    std::vector<double> opens, keys, open;
    for (int round = 0; round < rounds; ++round) {
        double start = NowMs();
        PressKeyChord({VK_CONTROL, VK_MENU, 'F'});
        HWND window = nullptr;
        while (!(window = FindWindowOf(talvory.dwProcessId)) && NowMs() - start < 30000) ::Sleep(0);
        if (!window) {
            std::fprintf(stderr, "no find window\n");
            break;
        }
        opens.push_back(NowMs() - start);
        ::Sleep(200);
        open.push_back(WorkingSetKiB(talvory.hProcess));
        // A keystroke: sent, it returns once the text box and the list have taken it.
        HWND edit = ::GetDlgItem(window, IDC_FIND_TEXT);
        for (char c : std::string("message 4711")) {
            double typed = NowMs();
            ::SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
            keys.push_back(NowMs() - typed);
        }
        ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        while (FindWindowOf(talvory.dwProcessId)) ::Sleep(1);
        ::Sleep(300);
    }
    const double after = WorkingSetKiB(talvory.hProcess);
    std::printf("open=%.1f keystroke=%.2f keystroke_max=%.2f\n", Median(opens), Median(keys),
                keys.empty() ? -1.0 : *std::max_element(keys.begin(), keys.end()));
    std::printf("talvory_idle_kib=%.0f talvory_open_kib=%.0f talvory_after_kib=%.0f\n", idle, Median(open), after);
    ::TerminateProcess(talvory.hProcess, 0);
    ::CloseHandle(talvory.hProcess);
    ::CloseHandle(talvory.hThread);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "inproc") {
        CWinApp application;
        StoreTaskScope task;
        return InProcess(argc > 2 ? std::atoi(argv[2]) : 5);
    }
    if (mode == "driver" && argc > 2) return Driver(argv[2], argc > 3 ? std::atoi(argv[3]) : 9);
    std::fprintf(stderr, "usage: find_bench.exe inproc [ROUNDS] | driver FOLDER [ROUNDS]\n");
    return 2;
}
