#pragma once

#include "core/Console.h"

#include <string>
#include <vector>

namespace pintora {

// Collects the console lines written while it lives.
class ConsoleCapture
{
public:
    ConsoleCapture()
        : m_previous(console::setSink([this](std::string_view line) { m_lines.emplace_back(line); }))
    {
    }
    // Hands each line to `sink` instead of keeping it.
    explicit ConsoleCapture(console::Sink sink)
        : m_previous(console::setSink(std::move(sink)))
    {
    }
    ~ConsoleCapture() { console::setSink(std::move(m_previous)); }
    ConsoleCapture(const ConsoleCapture &) = delete;
    ConsoleCapture &operator=(const ConsoleCapture &) = delete;

    const std::vector<std::string> &lines() const { return m_lines; }
    void clear() { m_lines.clear(); }

private:
    std::vector<std::string> m_lines;
    console::Sink m_previous;
};

} // namespace pintora
