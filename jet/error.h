#pragma once

#include <string>

#include "base/error.h"

namespace tabulon::jet {

// Every failure of the Jet writer: a bad statement, name, value or file.
// The message is Chinese and names the table/column and the broken rule; like
// every failure the user must hear about, it is a tabulon::Error.
class Error : public tabulon::Error {
public:
    explicit Error(const std::string& message) : tabulon::Error(message) {}
};

}  // namespace tabulon::jet
