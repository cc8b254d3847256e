#pragma once

// The pulse of a search line: its opacity falls from opaque to clear and
// climbs back, tick by tick. The current relay page and the run page blink
// their converter and target search the same way.
class SearchBlink
{
public:
    static constexpr int kOpaque = 255;

    void restart()
    {
        m_alpha = kOpaque;
        m_rising = false;
    }

    // One tick of a timer of periodMs; returns the new opacity, 0 to 255.
    // A tick moves kSpan / periodMs: 15 at 50 ms, so the line fades out in
    // 17 ticks and back in 17.
    int step(int periodMs)
    {
        const int delta = kSpan / periodMs;
        if (m_rising) {
            m_alpha += delta;
            if (m_alpha > kOpaque) {
                m_alpha = kOpaque;
                m_rising = false;
            }
        } else {
            m_alpha -= delta;
            if (m_alpha < 0) {
                m_alpha = 0;
                m_rising = true;
            }
        }
        return m_alpha;
    }

private:
    static constexpr int kSpan = 3 * kOpaque;

    int m_alpha = kOpaque;
    bool m_rising = false;
};
