#pragma once

#include <stdexcept>
#include <string>

namespace tabulon::jet {

// Every failure of the Jet writer: a bad statement, name, value or file.
// The message is Chinese and names the table/column and the broken rule.
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace tabulon::jet
