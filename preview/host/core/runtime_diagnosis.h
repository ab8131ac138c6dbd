#pragma once
// Names the cause of a runtime error the engine reported without one (Wine's engine fails
// with a bare E_FAIL for a variable Option Explicit does not know, a call with the wrong
// number of arguments, a member of something that is not an object), by reading the line.
#include <optional>
#include <string>
#include <string_view>

namespace tabulon::preview::host {

struct RuntimeDiagnosis {
    int number = 0;    // 500, 450 or 424
    std::string name;  // as the page wrote it, for "变量未定义: 'y'"
};

// `line` is the 0-based script line the engine reported.
std::optional<RuntimeDiagnosis> diagnoseRuntimeError(std::string_view script, long line);

}  // namespace tabulon::preview::host
