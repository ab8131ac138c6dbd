#pragma once
// Every message-box text of Tabulon goes through this one interface. The window shows a
// modal box captioned "信息：", the command line prints the text, tests record it.
#include <string>
#include <string_view>
#include <vector>

namespace tabulon {

class Messages {
public:
    virtual ~Messages() = default;
    // Shows one message and returns once the user has acknowledged it.
    virtual void show(std::string_view text) = 0;
};

// Keeps every text in order; used by tests and by code that reports in batches.
class RecordedMessages final : public Messages {
public:
    void show(std::string_view text) override { texts_.emplace_back(text); }
    const std::vector<std::string>& texts() const { return texts_; }
    void clear() { texts_.clear(); }

private:
    std::vector<std::string> texts_;
};

// Drops every text; for callers that only want the side effects.
class SilentMessages final : public Messages {
public:
    void show(std::string_view) override {}
};

}  // namespace tabulon
