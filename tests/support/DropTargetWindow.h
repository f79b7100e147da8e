// DropTargetWindow: a visible topmost window of the test, registered as an
// OLE drop target (RegisterDragDrop) that accepts CF_TEXT and records every
// drop made on it. Needs OLE initialised on the creating thread.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

class DropTargetWindow
{
public:
    struct Drop
    {
        std::string text;        // the bytes up to the first zero
        bool terminated = false; // a zero byte lies within the block
        DWORD effectsOffered = 0;
    };

    DropTargetWindow(int x, int y, int width, int height);
    ~DropTargetWindow();
    DropTargetWindow(const DropTargetWindow&) = delete;
    DropTargetWindow& operator=(const DropTargetWindow&) = delete;

    HWND Handle() const { return m_window; }
    POINT Centre() const;
    // Moves the mouse cursor to the window's centre.
    void PlaceCursorInside() const;

    const std::vector<Drop>& Drops() const;
    int DragEnterCount() const;

private:
    class Target;
    HWND m_window = nullptr;
    Target* m_target = nullptr;
};

// Dispatches the messages waiting on this thread.
void PumpMessages();
