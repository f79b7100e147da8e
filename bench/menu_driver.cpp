// The tray menu benchmark's driver: starts the bare three-item tray menu, the
// plain program and Talvory as processes of their own, from a folder that
// holds them and database/phrases.mdb, and measures them from outside, taking
// turns round by round so that all three see the same machine load:
//
//   start      from CreateProcess to the program's icon being in the
//              notification area (probed with NIM_MODIFY on its window and
//              identifier, which succeeds only for an icon that exists)
//   open       from posting the tray notification (WM_TRAYNOTIFY, lParam
//              WM_LBUTTONDOWN) to the program's tray window until a visible
//              "#32768" window of that process exists; then Esc closes it
//   clipboard  for the programs that hold phrases: the first phrase of the
//              first category chosen with the keyboard, from posting Enter
//              to its text being readable from the clipboard by this process
//   memory     the working set (GetProcessMemoryInfo) after the openings; the
//              process's /proc smaps and status are copied beside the programs
//              (NAME.smaps, NAME.status) for bench/menu-run.sh to break down
//
//   menu_driver.exe FOLDER ROUNDS STARTS CHOICES [NAME=PROGRAM...]
//
// FOLDER is a Windows path; the programs, given by file name, are in FOLDER
// and start there (by default bare=bare_tray_menu.exe plain=plain_tray_menu.exe
// talvory=Talvory.exe; every program but "bare" holds phrases). Each program
// is started STARTS times and its start-up timed each time; its menu is
// opened ROUNDS times and a phrase chosen CHOICES times. Prints one RESULT
// line per program with medians in milliseconds and sizes in KiB, and a
// SAMPLES line with every sample.
#include "bench_clock.h"

#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using bench::Median;
using bench::NowMs;
using bench::PostKey;
using bench::TrayIconId;
using bench::WM_TRAYNOTIFY;

const double Timeout = 10000;

// A pause of about 0.1 ms between two looks: Sleep cannot wait less than a
// millisecond, and a busy loop would take a core from the measured process.
void Pause()
{
    using DelayFunction = LONG(WINAPI*)(BOOLEAN, LARGE_INTEGER*);
    static auto delay = reinterpret_cast<DelayFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtDelayExecution")));
    LARGE_INTEGER interval;
    interval.QuadPart = -1000; // 100 ns units, relative
    if (delay) delay(FALSE, &interval);
    else ::Sleep(0);
}

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "menu_driver: %s\n", what.c_str());
    std::fflush(stderr);
    std::exit(1);
}

DWORD ProcessOf(HWND window)
{
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    return pid;
}

// The visible menu windows of the process: how many, and the first one.
int VisibleMenus(DWORD pid, HWND* first)
{
    int count = 0;
    HWND window = nullptr;
    while ((window = ::FindWindowExA(nullptr, window, "#32768", nullptr))) {
        if (ProcessOf(window) != pid || !::IsWindowVisible(window)) continue;
        if (count++ == 0 && first) *first = window;
    }
    return count;
}

// True when window has the benchmark's icon in the notification area:
// modifying an icon that does not exist fails, and no flag changes anything.
bool HasTrayIcon(HWND window)
{
    NOTIFYICONDATAA probe = {};
    probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
    probe.hWnd = window;
    probe.uID = TrayIconId;
    return ::Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

struct WindowSearch
{
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindIconWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    if (ProcessOf(window) != search->pid || !HasTrayIcon(window)) return TRUE;
    search->found = window;
    return FALSE;
}

std::string ReadFileText(const std::string& path)
{
    std::string text;
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    ::CloseHandle(file);
    return text;
}

void WriteFileText(const std::string& path, const std::string& text)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
}

// The Unix process (Z: is the Unix root under Wine) whose command line names
// the program's path; 0 when none does.
int UnixProcessOf(const std::string& windowsPath)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = ::FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int found = 0;
    do {
        int pid = std::atoi(entry.cFileName);
        if (pid <= 0) continue;
        std::string commandLine = ReadFileText("Z:\\proc\\" + std::to_string(pid) + "\\cmdline");
        if (commandLine.find(windowsPath) != std::string::npos) found = pid;
    } while (!found && ::FindNextFileA(search, &entry));
    ::FindClose(search);
    return found;
}

HWND clipboardOwner;
const char Sentinel[] = "menu_driver sentinel";

void PutSentinelOnClipboard()
{
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, sizeof Sentinel);
    std::memcpy(::GlobalLock(block), Sentinel, sizeof Sentinel);
    ::GlobalUnlock(block);
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (::OpenClipboard(clipboardOwner)) {
            ::EmptyClipboard();
            ::SetClipboardData(CF_TEXT, block);
            ::CloseClipboard();
            return;
        }
        ::Sleep(5);
    }
    Fail("cannot open the clipboard");
}

// The clipboard's text when this process can read it; empty otherwise.
std::string ClipboardText()
{
    std::string text;
    if (!::OpenClipboard(clipboardOwner)) return text;
    HANDLE data = ::GetClipboardData(CF_TEXT);
    if (data) {
        const char* bytes = static_cast<const char*>(::GlobalLock(data));
        if (bytes) text = bytes;
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return text;
}

struct Program
{
    Program(std::string name, std::string path, bool holdsPhrases)
        : name(std::move(name)), path(std::move(path)), holdsPhrases(holdsPhrases) {}
    std::string name;
    std::string path;
    bool holdsPhrases;
    PROCESS_INFORMATION process = {};
    HWND trayWindow = nullptr;
    std::vector<double> starts, opens, choices;
};

void Start(Program& program, const std::string& folder)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + program.path + "\"";
    double begin = NowMs();
    if (!::CreateProcessA(program.path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                          &startup, &program.process))
        Fail("cannot start " + program.path);
    WindowSearch search = { program.process.dwProcessId, nullptr };
    for (;;) {
        ::EnumWindows(FindIconWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) break;
        if (NowMs() - begin > 30000 || ::WaitForSingleObject(program.process.hProcess, 0) == WAIT_OBJECT_0)
            Fail(program.name + " showed no tray icon");
        ::Sleep(1);
    }
    program.starts.push_back(NowMs() - begin);
    program.trayWindow = search.found;
    ::WaitForInputIdle(program.process.hProcess, 10000);
}

void Stop(Program& program)
{
    ::PostMessageA(program.trayWindow, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(program.process.hProcess, 10000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "menu_driver: %s did not end on WM_CLOSE; terminated\n", program.name.c_str());
        ::TerminateProcess(program.process.hProcess, 1);
        ::WaitForSingleObject(program.process.hProcess, 5000);
    }
    ::CloseHandle(program.process.hProcess);
    ::CloseHandle(program.process.hThread);
    program.process = {};
    program.trayWindow = nullptr;
}

// Posts the notification and waits for the menu window; returns the time and the window.
double OpenMenu(const Program& program, HWND* menuWindow)
{
    DWORD pid = program.process.dwProcessId;
    if (VisibleMenus(pid, nullptr)) Fail(program.name + ": a menu is already open");
    double begin = NowMs();
    ::PostMessageA(program.trayWindow, WM_TRAYNOTIFY, TrayIconId, WM_LBUTTONDOWN);
    while (!VisibleMenus(pid, menuWindow)) {
        if (NowMs() - begin > Timeout) Fail(program.name + ": no menu window");
        Pause();
    }
    return NowMs() - begin;
}

// Waits until the menu has gone and the program is back in its message loop.
void WaitUntilClosed(const Program& program)
{
    double begin = NowMs();
    while (VisibleMenus(program.process.dwProcessId, nullptr)) {
        if (NowMs() - begin > Timeout) Fail(program.name + ": the menu does not close");
        ::Sleep(1);
    }
    DWORD_PTR result;
    if (!::SendMessageTimeoutA(program.trayWindow, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result))
        Fail(program.name + " does not answer after its menu closed");
    ::Sleep(30);
}

void MeasureOpening(Program& program)
{
    HWND menuWindow = nullptr;
    program.opens.push_back(OpenMenu(program, &menuWindow));
    PostKey(menuWindow, VK_ESCAPE);
    WaitUntilClosed(program);
}

void MeasureChoice(Program& program)
{
    PutSentinelOnClipboard();
    HWND menuWindow = nullptr;
    OpenMenu(program, &menuWindow);
    PostKey(menuWindow, VK_DOWN);
    PostKey(menuWindow, VK_RIGHT);
    double begin = NowMs();
    while (VisibleMenus(program.process.dwProcessId, nullptr) < 2) {
        if (NowMs() - begin > Timeout) Fail(program.name + ": the first category's submenu does not open");
        Pause();
    }
    ::Sleep(50);
    DWORD sequence = ::GetClipboardSequenceNumber();
    begin = NowMs();
    PostKey(menuWindow, VK_RETURN);
    for (;;) {
        // The program empties the clipboard, which sends WM_DESTROYCLIPBOARD to
        // this process's window (the sentinel's owner) and waits for it: answer.
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
        if (::GetClipboardSequenceNumber() != sequence) {
            std::string text = ClipboardText();
            if (!text.empty() && text != Sentinel) break;
        }
        if (NowMs() - begin > Timeout)
            Fail(program.name + ": no text reached the clipboard (sequence " + std::to_string(sequence) + " -> " +
                 std::to_string(::GetClipboardSequenceNumber()) + ", text \"" + ClipboardText() + "\", menus " +
                 std::to_string(VisibleMenus(program.process.dwProcessId, nullptr)) + ")");
        Pause();
    }
    program.choices.push_back(NowMs() - begin);
    WaitUntilClosed(program);
    // The program goes on to drop the text under the cursor (a drag-and-drop
    // loop of its own, which answers messages meanwhile): let it end.
    ::Sleep(400);
}

std::string Samples(const std::vector<double>& samples)
{
    std::string out;
    char number[32];
    for (double s : samples) {
        std::snprintf(number, sizeof number, "%s%.3f", out.empty() ? "" : ",", s);
        out += number;
    }
    return out.empty() ? "-" : out;
}

void Report(const Program& program, const std::string& folder)
{
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    ::GetProcessMemoryInfo(program.process.hProcess, &memory, sizeof memory);
    int unixPid = UnixProcessOf(program.path);
    if (unixPid) {
        std::string proc = "Z:\\proc\\" + std::to_string(unixPid);
        WriteFileText(folder + "\\" + program.name + ".smaps", ReadFileText(proc + "\\smaps"));
        WriteFileText(folder + "\\" + program.name + ".status", ReadFileText(proc + "\\status"));
    }
    std::printf("RESULT name=%s start=%.3f open=%.3f open_min=%.3f choice=%.3f ws_kb=%lu peak_kb=%lu unix_pid=%d\n",
                program.name.c_str(), Median(program.starts), Median(program.opens),
                program.opens.empty() ? -1 : *std::min_element(program.opens.begin(), program.opens.end()),
                Median(program.choices), static_cast<unsigned long>(memory.WorkingSetSize / 1024),
                static_cast<unsigned long>(memory.PeakWorkingSetSize / 1024), unixPid);
    std::printf("SAMPLES name=%s start=%s open=%s choice=%s\n", program.name.c_str(),
                Samples(program.starts).c_str(), Samples(program.opens).c_str(), Samples(program.choices).c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: menu_driver.exe FOLDER ROUNDS STARTS CHOICES [NAME=PROGRAM...]\n");
        return 2;
    }
    std::string folder = argv[1];
    int rounds = std::atoi(argv[2]);
    int starts = std::max(1, std::atoi(argv[3]));
    int choices = std::atoi(argv[4]);

    std::vector<Program> programs;
    for (int i = 5; i < argc; ++i) {
        std::string entry = argv[i];
        size_t equals = entry.find('=');
        if (equals == std::string::npos) Fail("not NAME=PROGRAM: " + entry);
        std::string name = entry.substr(0, equals);
        programs.emplace_back(name, folder + "\\" + entry.substr(equals + 1), name != "bare");
    }
    if (programs.empty()) {
        programs.emplace_back("bare", folder + "\\bare_tray_menu.exe", false);
        programs.emplace_back("plain", folder + "\\plain_tray_menu.exe", true);
        programs.emplace_back("talvory", folder + "\\Talvory.exe", true);
    }
    const size_t count = programs.size();
    clipboardOwner = ::CreateWindowExA(0, "STATIC", "menu_driver", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       ::GetModuleHandleA(nullptr), nullptr);

    // Start-up, in turns; the last start of each program stays up.
    for (int s = 0; s < starts; ++s)
        for (size_t k = 0; k < count; ++k) {
            Program& program = programs[(k + static_cast<size_t>(s)) % count];
            Start(program, folder);
            if (s + 1 < starts) Stop(program);
        }

    // One opening and one choice each that are not counted: the first ones
    // pay for loading code and for setting up the clipboard.
    for (Program& program : programs) {
        MeasureOpening(program);
        program.opens.clear();
        if (program.holdsPhrases && choices > 0) {
            MeasureChoice(program);
            program.choices.clear();
        }
    }
    // Round by round, each program in turn, starting with another one each round.
    for (int r = 0; r < rounds; ++r)
        for (size_t k = 0; k < count; ++k) MeasureOpening(programs[(k + static_cast<size_t>(r)) % count]);
    for (int r = 0; r < choices; ++r)
        for (size_t k = 0; k < count; ++k) {
            Program& program = programs[(k + static_cast<size_t>(r)) % count];
            if (program.holdsPhrases) MeasureChoice(program);
        }

    for (Program& program : programs) Report(program, folder);
    for (Program& program : programs) Stop(program);
    return 0;
}
