// The main window's mouse pointer, which doubles as its busy flag: 11 (the
// hourglass) means a long command is running. Commands of every subsystem
// read and set it; the window shows it.
#pragma once

#include <functional>

class WindowPointer {
public:
    enum Value : int { Default = 0, Arrow = 1, Hourglass = 11, Custom = 99 };

    int value() const { return m_value; }
    bool isBusy() const { return m_value == Hourglass; }
    void set(int value)
    {
        m_value = value;
        if (m_onChange)
            m_onChange(value);
    }
    // Mouse-move feedback: never replaces the hourglass.
    void hover(int value)
    {
        if (!isBusy())
            set(value);
    }
    void onChange(std::function<void(int)> show) { m_onChange = std::move(show); }

private:
    int m_value = Default;
    std::function<void(int)> m_onChange;
};
