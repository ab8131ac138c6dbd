#pragma once
// Names the cause of a compile error the engine reported without one (Wine's engine gives
// only "compilation error" and a line): unclosed or stray blocks, unterminated strings, two
// values with no operator between them. The numbers are VBScript's (1014 "Expected 'End'").
#include <optional>
#include <string_view>

namespace tabulon::preview::host {

struct CompileDiagnosis {
    int number = 0;  // VBScript error number, e.g. 1014
    long line = -1;  // 0-based script line it is reported at; -1 when the engine's line is better
};

std::optional<CompileDiagnosis> diagnoseCompileError(std::string_view script);

}  // namespace tabulon::preview::host
