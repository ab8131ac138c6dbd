#pragma once
// Keeps constructs that Wine's VBScript engine crashes on, rejects or gets wrong away from it,
// by rewriting them into code that means the same on a Windows server:
// - "Dim a()" (a dynamic array not yet sized) becomes "Dim a : a = Array()": ReDim after the
//   former ends the whole process under Wine (in a class body, where no statement may stand,
//   "Private a()" becomes "Private a");
// - "Public a, b" / "Private a, b" / "Dim a, b" in a class body become one declaration each,
//   and array fields ("Private items(10)") are sized by ReDim in Class_Initialize;
// - "ReDim x(n)" of a name never declared gets the "Dim x" it implies;
// - "X(a)(b)" (an item of what a call returns, such as Session("list")(1) or
//   Response.Cookies("c")("k") = v) goes through the host object's Item / PutItem;
// - Err.Number and Err.Description go through the host object, which gives the numbers and
//   texts of a Windows server for errors the engine reports in its own way;
// - "Erase a" (a statement the engine lacks): a fixed array is emptied in place by the host,
//   a dynamic one becomes ReDim a(-1) (no elements; UBound gives -1 where Windows raises 9);
// - Execute and Eval in a procedure get the procedure's variables by reference
//   (host.ExecuteLocal code, "a,b", a, b), so the code they run sees them;
// - every class gets a hidden method naming it, so that TypeName can tell;
// - "Option Explicit" after directives and white space still comes first.
// Line structure is kept, so error lines stay right.
#include <string>
#include <string_view>
#include <vector>

namespace tabulon::preview::host {

// The name of the hidden method each class gets; TypeName asks an object for it.
constexpr std::string_view classNameMethod = "TabulonClassName";

std::string rewriteConstructs(std::string_view script, std::string_view hostObject);

// The code of ExecuteLocal/EvalLocal with each of `names` (a procedure's variables, lower
// case) read and written through `accessor("name")`.
std::string bindLocals(std::string_view code, const std::vector<std::string>& names, std::string_view accessor);

}  // namespace tabulon::preview::host
