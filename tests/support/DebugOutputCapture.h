// Captures the text this process writes with OutputDebugStringA while the
// object lives (any thread), in the order written. Several captures may be
// alive at once; each receives everything.
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

private:
    friend struct DebugOutputCaptures;
    std::string m_text;
};
