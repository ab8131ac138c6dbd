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

// The line that reports a fault of the program itself (an exception no user input should
// cause), so that it is never taken for a problem of the design or the disk.
inline std::string defectText(const std::string& what) { return "程序缺陷（不是设计或文件的问题，请报告）：" + what; }

}  // namespace tabulon
