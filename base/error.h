#pragma once
#include <stdexcept>
#include <string>

namespace tabulon {

// A failure the user must hear about: its text is complete and ready for a message box,
// naming the element and the rule it breaks ("项目 记账 / 表 流水帐 / 字段 收支: …").
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace tabulon
