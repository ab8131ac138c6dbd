#pragma once
#include <iostream>

#include "base/messages.h"

namespace tabulon::cli {

// Prints each message on its own line(s); the CR LF inside a message becomes the
// terminal's line end.
class PrintedMessages final : public Messages {
public:
    explicit PrintedMessages(std::ostream& out = std::cout) : out_(out) {}
    void show(std::string_view text) override {
        std::string line;
        line.reserve(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
            line += text[i];
        }
        out_ << line << '\n' << std::flush;
    }

private:
    std::ostream& out_;
};

}  // namespace tabulon::cli
