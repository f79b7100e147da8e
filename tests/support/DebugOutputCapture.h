// Captures the text this process writes with OutputDebugStringA while the
// object lives, in the order written. One capture at a time.
#pragma once

#include <string>

class DebugOutputCapture {
public:
    DebugOutputCapture();
    ~DebugOutputCapture();
    DebugOutputCapture(const DebugOutputCapture&) = delete;
    DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

    std::string Text() const;
    void Clear();
};
