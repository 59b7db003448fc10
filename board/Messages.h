#pragma once
// The one way the user is told anything: what went wrong with a sound, a
// file, a setting or the system. Texts wait here until the board is back in
// its own message loop, where whatever gathered is shown in one message
// box: a box never opens in the middle of a change, and never while another
// is up.
#include <string>
#include <vector>

namespace board {

class Messages {
public:
    void Tell(const std::string& text) {
        if (!text.empty()) m_texts.push_back(text);
    }
    bool empty() const { return m_texts.empty(); }
    // Told so far and not yet taken.
    const std::vector<std::string>& pending() const { return m_texts; }
    // Everything told, as one text in the order told (a text told twice
    // once); empty when nothing was.
    std::string TakeAll() {
        std::string all;
        std::vector<std::string> shown;
        for (std::string& text : m_texts) {
            bool repeated = false;
            for (const std::string& s : shown) repeated = repeated || s == text;
            if (repeated) continue;
            all += (all.empty() ? "" : "\n\n") + text;
            shown.push_back(std::move(text));
        }
        m_texts.clear();
        return all;
    }

private:
    std::vector<std::string> m_texts;
};

}  // namespace board
