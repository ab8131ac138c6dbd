#pragma once
// Names the cause of a runtime error the engine reported without one (Wine's engine fails
// with a bare E_FAIL or "no such member" for a variable Option Explicit does not know, a
// procedure nobody defined, a call with the wrong number of arguments, a member of something
// that is not an object), by reading the line.
#include <optional>
#include <string>
#include <string_view>

namespace tabulon::preview::host {

struct RuntimeDiagnosis {
    int number = 0;    // 500, 13 (a procedure nobody defined), 450 or 424
    std::string name;  // as the page wrote it, for "变量未定义: 'y'"
    long line = -1;    // 0-based script line of the cause when not the line given
};

// `line` is the 0-based script line the engine reported.
std::optional<RuntimeDiagnosis> diagnoseRuntimeError(std::string_view script, long line);

}  // namespace tabulon::preview::host
