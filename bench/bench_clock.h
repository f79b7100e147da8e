// Time and key presses for the Windows benchmark programs (bench/*.cpp).
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace bench {

// The tray icon's identifier and callback message, as Talvory registers them;
// the bare and plain programs register the same, so one driver opens all three.
const UINT WM_TRAYNOTIFY = 0x80C8;
const UINT TrayIconId = 2005;

// Milliseconds from the performance counter.
inline double NowMs()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The middle sample (the mean of the two middle ones for an even count);
// -1 for no samples.
inline double Median(std::vector<double> samples)
{
    if (samples.empty()) return -1;
    std::sort(samples.begin(), samples.end());
    size_t n = samples.size();
    return n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

// A key pressed and released, posted to a menu window as the keyboard would.
inline void PostKey(HWND window, UINT key)
{
    ::PostMessageA(window, WM_KEYDOWN, key, 1);
    ::PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

} // namespace bench
