// The passes that keep Wine's engine away from what it crashes on or gets wrong, the
// diagnosis of compile errors it names no cause for, and the leading locale of a page.
#include "builtin_rewriter.h"
#include "comparison_rewriter.h"
#include "compile_diagnosis.h"
#include "construct_rewriter.h"
#include "leading_locale.h"
#include "runtime_diagnosis.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tabulon::preview::host;

namespace {

std::string rewrite(const std::string& script) {
    std::string out = rewriteConstructs(script, "H");
    // every pass keeps the line structure, or error lines would point elsewhere
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), std::count(script.begin(), script.end(), '\n')) << out;
    return out;
}

}  // namespace

TEST(ConstructRewriting, AnUnsizedDynamicArrayIsDeclaredPlainSoReDimDoesNotCrashTheEngine) {
    EXPECT_EQ(rewrite("Dim a()\r\nReDim a(2)"), "Dim a   : a = Array()\r\nReDim a(2)");
    EXPECT_EQ(rewrite("Dim a(), b, c(3)\r\nReDim Preserve a(1)"),
              "Dim a  , b, c(3) : a = Array()\r\nReDim Preserve a(1)");
    EXPECT_EQ(rewrite("Class C\r\nPrivate a()\r\nEnd Class").substr(0, 22), "Class C\r\nPrivate a  \r\n");
    EXPECT_EQ(rewrite("x = \"Dim a()\" ' Dim b()"), "x = \"Dim a()\" ' Dim b()") << "strings and comments stay";
}

TEST(ConstructRewriting, ClassBodiesGetOneDeclarationPerNameAndAMethodNamingTheClass) {
    EXPECT_EQ(rewrite("Class Pair\r\nPrivate a, b\r\nEnd Class"),
              "Class Pair\r\nPrivate a : Private b\r\nPublic Function TabulonClassName() : TabulonClassName = \"Pair\" "
              ": End Function : End Class");
    // outside a class a list is valid as it is
    EXPECT_EQ(rewrite("Dim a, b"), "Dim a, b");
    std::string method = rewrite("Class C\r\nPublic Function F(a, b)\r\nEnd Function\r\nEnd Class");
    EXPECT_NE(method.find("Public Function F(a, b)"), std::string::npos) << "arguments are not declarations";
}

TEST(ConstructRewriting, AnItemOfAReturnedValueGoesThroughTheHost) {
    EXPECT_EQ(rewrite("x = Session(\"a\")(1)"), "x = H.Item(Session(\"a\"), 1)");
    EXPECT_EQ(rewrite("Response.Cookies(\"c\")(\"k\") = \"v\""), "H.PutItem Response.Cookies(\"c\"), ( \"v\"), \"k\"");
    EXPECT_EQ(rewrite("If ok Then Response.Cookies(\"c\")(\"k\") = v & w Else y = 1"),
              "If ok Then H.PutItem Response.Cookies(\"c\"), ( v & w), \"k\" Else y = 1");
    // nested ones, one level a pass
    EXPECT_EQ(rewrite("x = d(a(1)(2))(3)"), "x = H.Item(d(H.Item(a(1), 2)), 3)");
    // a call with a space before its bracket, a member of With, a string: unchanged
    for (std::string same : {"Response.Write (a) (b)", "x = .Cookies(\"a\")(\"b\")", "x = \"f(1)(2)\"", "x = f(1)"})
        EXPECT_EQ(rewrite(same), same);
}

TEST(ConstructRewriting, ErrNumbersAndTextsAreReadThroughTheHostButStillAssignable) {
    EXPECT_EQ(rewrite("n = Err.Number"), "n = H.ErrNumber(Err.Number)");
    EXPECT_EQ(rewrite("d = Err.Description"), "d = H.ErrDescription(Err.Number, Err.Description)");
    EXPECT_EQ(rewrite("Err.Number = 5"), "Err.Number = 5");
    EXPECT_EQ(rewrite("x = o.Err.Number"), "x = o.Err.Number");
}

TEST(ConstructRewriting, ReDimOfAnUndeclaredNameDeclaresItInItsOwnScope) {
    EXPECT_EQ(rewrite("ReDim fresh(3)"), "Dim fresh : ReDim fresh(3)");
    EXPECT_EQ(rewrite("Function Make()\r\nReDim local(4)\r\nReDim local(5)\r\nEnd Function"),
              "Function Make() : Dim local\r\nReDim local(4)\r\nReDim local(5)\r\nEnd Function");
    // declared elsewhere (a global declared later, an argument, a local): nothing added
    EXPECT_EQ(rewrite("Sub S()\r\nReDim g(1)\r\nEnd Sub\r\nDim g"), "Sub S()\r\nReDim g(1)\r\nEnd Sub\r\nDim g");
    EXPECT_EQ(rewrite("Sub S(p)\r\nReDim p(1)\r\nEnd Sub"), "Sub S(p)\r\nReDim p(1)\r\nEnd Sub");
    EXPECT_EQ(rewrite("Dim a\r\nReDim a(1)"), "Dim a\r\nReDim a(1)");
}

TEST(ConstructRewriting, OptionExplicitAfterDirectivesAndWhiteSpaceStillComesFirst) {
    EXPECT_EQ(rewrite("Response.WriteBlock 0\r\n Option Explicit\r\nDim x"),
              "Option Explicit : Response.WriteBlock 0\r\n                \r\nDim x");
    // after real code it is left for the engine to refuse, as IIS does
    EXPECT_EQ(rewrite("x = 1\r\nOption Explicit"), "x = 1\r\nOption Explicit");
}

TEST(ConstructRewriting, EraseEmptiesAFixedArrayInPlaceAndADynamicOneByReDim) {
    EXPECT_EQ(rewrite("Dim a(3)\r\nErase a"), "Dim a(3)\r\nH.ClearArray a");
    EXPECT_EQ(rewrite("Dim b\r\nReDim b(3)\r\nErase b"), "Dim b\r\nReDim b(3)\r\nReDim b(-1)");
}

TEST(BuiltinRewriting, ReplacementsApplyInsideClassBodiesExceptForTheClassesOwnMembers) {
    std::set<std::string> names = {"join", "round"};
    std::string script = "Class T\r\nFunction J() : J = Join(a, \"-\") & Round(2.5) : End Function\r\nEnd Class";
    EXPECT_EQ(rewriteBuiltins(script, names, "H"),
              "Class T\r\nFunction J() : J = H.Join(a, \"-\") & H.Round(2.5) : End Function\r\nEnd Class");
    std::string own =
        "Class T\r\nPublic Round\r\nFunction Join(a, b)\r\nJoin = Round\r\nEnd Function\r\nEnd Class\r\n"
        "x = Join(1, 2)";
    EXPECT_EQ(rewriteBuiltins(own, names, "H"),
              "Class T\r\nPublic Round\r\nFunction Join(a, b)\r\nJoin = Round\r\nEnd Function\r\nEnd Class\r\n"
              "x = H.Join(1, 2)")
        << "a member of one class does not hide the built-in outside it";
}

TEST(CompileDiagnosis, NamesTheCauseAndWhereWhenTheEngineDoesNot) {
    auto cause = [](const std::string& code) {
        std::optional<CompileDiagnosis> d = diagnoseCompileError(code);
        return d ? std::make_pair(d->number, d->line) : std::make_pair(0, -2L);
    };
    EXPECT_EQ(cause("Dim x\r\nIf x Then\r\nx = 1\r\n").first, 1014);  // Expected 'End'
    EXPECT_EQ(cause("For i = 1 To 3\r\nx = i\r\n").first, 1020);      // Expected 'Next'
    EXPECT_EQ(cause("Do\r\nx = 1\r\n").first, 1019);                  // Expected 'Loop'
    EXPECT_EQ(cause("x = 1\r\ny = \"abc\r\n"), std::make_pair(1033, 1L));
    EXPECT_EQ(cause("x = 1\r\nx = 1 2\r\n"), std::make_pair(1025, 1L));
    EXPECT_EQ(cause("x = 1\r\nLoop\r\n"), std::make_pair(1038, 1L));
    EXPECT_EQ(cause("If a Then\r\nNext\r\nEnd If").first, 1055);
    // sound code: one-line Ifs, Select, nested blocks, Exit, strings with keywords
    EXPECT_EQ(cause("If a Then b = 1 Else b = 2\r\nSelect Case a\r\nCase 1 To 5\r\nEnd Select\r\n"
                    "Function F()\r\nFor i = 1 To 2 Step 1\r\nIf i Then Exit Function\r\nNext\r\nEnd Function\r\n"
                    "x = \"End If\" & \"Loop\""),
              std::make_pair(0, -2L));
}

TEST(LeadingLocale, ALocaleSetBeforeAnythingElseIsFound) {
    EXPECT_EQ(leadingLocale("Response.WriteBlock 0\r\nSession.LCID = 1033\r\nx = Now")->lcid, 1033);
    EXPECT_EQ(leadingLocale("Option Explicit\r\nDim old : old = SetLocale(1031)")->lcid, 1031);
    EXPECT_EQ(leadingLocale("Function F()\r\nx = 1\r\nEnd Function\r\nSetLocale 2057")->lcid, 2057);
    EXPECT_EQ(leadingLocale("Response.LCID = 1033")->lcid, 1033);
    EXPECT_EQ(leadingLocale("SetLocale \"en-us\"")->name, "en-us");
    // after other code, or not a literal: the page changes it as it runs
    EXPECT_FALSE(leadingLocale("x = Now\r\nSession.LCID = 1033"));
    EXPECT_FALSE(leadingLocale("Session.LCID = lcid"));
    EXPECT_FALSE(leadingLocale("Session.LCID = 1033 + 1"));
}

TEST(RuntimeDiagnosis, ReadsTheFailingLineForTheCauseWindowsNames) {
    auto cause = [](const std::string& code, long line) {
        std::optional<RuntimeDiagnosis> d = diagnoseRuntimeError(code, line);
        return d ? std::to_string(d->number) + ":" + d->name : std::string("none");
    };
    std::string page =
        "Option Explicit\r\nDim x, list(3)\r\nFunction F(a, b)\r\nF = a\r\nEnd Function\r\n"
        "x = Yy + 1\r\nx = F(1)\r\nF 1, 2, 3\r\nx.Go\r\nx = F(1, 2) & vbCrLf & Len(\"Yy\")\r\n";
    EXPECT_EQ(cause(page, 5), "500:Yy");
    EXPECT_EQ(cause(page, 6), "450:F");
    EXPECT_EQ(cause(page, 7), "450:F");
    EXPECT_EQ(cause(page, 8), "424:x");
    EXPECT_EQ(cause(page, 9), "none") << "declared names, built-ins, constants and strings are no cause";
    // without Option Explicit an unknown name is just a new variable
    EXPECT_EQ(cause("x = Yy + 1", 0), "none");
}

TEST(RuntimeDiagnosis, AnUndefinedProcedureIsATypeMismatchNamingIt) {
    std::optional<RuntimeDiagnosis> d = diagnoseRuntimeError("x = 1\r\nNowhere 1\r\n", 1);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->number, 13);
    EXPECT_EQ(d->name, "Nowhere");
    EXPECT_FALSE(diagnoseRuntimeError("x = y + 1", 0)) << "a new variable, not a call";
}

TEST(RuntimeDiagnosis, AnUnknownNameInsideACalledProcedureIsNamedWhereItStands) {
    std::string page =
        " Option Explicit\r\nDim r\r\nFunction F()\r\n  F = missing + 1\r\nEnd Function\r\nr = F()\r\n"
        "undeclared = 2\r\n";
    std::optional<RuntimeDiagnosis> d = diagnoseRuntimeError(page, 5);  // the engine names the call
    ASSERT_TRUE(d);
    EXPECT_EQ(d->number, 500);
    EXPECT_EQ(d->name, "missing");
    EXPECT_EQ(d->line, 3);
    d = diagnoseRuntimeError(page, 6);
    ASSERT_TRUE(d) << "under Option Explicit assigning an undeclared name is the error";
    EXPECT_EQ(d->name, "undeclared");
}

TEST(ConstructRewriting, ClassArrayFieldsAreSizedWhenTheObjectIsMade) {
    std::string made = rewrite("Class Q\r\nPrivate items(1), n\r\nEnd Class");
    EXPECT_EQ(
        made.substr(0, made.find("Public Function")),
        "Class Q\r\nPrivate items    : Private n\r\nPrivate Sub Class_Initialize() : ReDim items(1) : End Sub : ");
    std::string own =
        rewrite("Class Q\r\nPublic m(2, 3)\r\nPrivate Sub Class_Initialize()\r\nx = 1\r\nEnd Sub\r\nEnd Class");
    EXPECT_NE(own.find("Private Sub Class_Initialize() : ReDim m(2, 3)\r\n"), std::string::npos) << own;
    EXPECT_EQ(own.find("Private Sub Class_Initialize() : ReDim m(2, 3) : End Sub"), std::string::npos)
        << "the class's own Class_Initialize sizes it; no second one";
}

TEST(ConstructRewriting, ExecuteAndEvalInAProcedureGetItsVariablesByReference) {
    EXPECT_EQ(
        rewrite("Function F(a)\r\nDim x\r\nExecute \"x = x + a\"\r\nF = Eval(\"x * 2\") & Eval(s)\r\nEnd Function"),
        "Function F(a)\r\nDim x\r\nH.ExecuteLocal (\"x = x + a\"), \"a,x\", a, x\r\n"
        "F = H.EvalLocal((\"x * 2\"), \"a,x\", a, x) & H.EvalLocal((s), \"a,x\", a, x)\r\nEnd Function");
    EXPECT_EQ(rewrite("Execute \"y = 1\""), "Execute \"y = 1\"") << "at the page's level nothing is hidden";
    EXPECT_EQ(bindLocals("x = x + a.x : Dim a : Set o = x", {"a", "x"}, "H.Local"),
              "H.Local(\"x\") = H.Local(\"x\") + H.Local(\"a\").x : Dim a : Set o = H.Local(\"x\")");
}

TEST(ComparisonRewriting, RelationsGoThroughTheHost) {
    auto compare = [](const std::string& code) { return rewriteComparisons(code, "H"); };
    EXPECT_EQ(compare("If a < b Then"), "If H.Compare(a , b) < 0 Then");
    EXPECT_EQ(compare("If x >= 5 And y <> -1 Then"), "If H.Compare(x , 5, True) >= 0 And y <> -1 Then");
    EXPECT_EQ(compare("Do While Len(s) >= n : Loop Until Not a > b"),
              "Do While H.Compare(Len(s) , n) >= 0 : Loop Until Not H.Compare(a , b) > 0");
    EXPECT_EQ(compare("flag = (i Mod 2 <= -1)"), "flag = (H.Compare(i Mod 2 , -1, True) <= 0)");
    EXPECT_EQ(compare("Response.Write(a <= \"x\")"), "Response.Write(H.Compare(a , \"x\") <= 0)");
    // equality, assignments, Case Is, two comparisons side by side: as written
    for (std::string same : {"x = 5", "If x = 5 Then", "If a Then x = 5 Else y = 6", "For i = 1 To 10", "Case Is < 5",
                             "If a < b = c Then", "Const n = 3", "x = \"a < b\""})
        EXPECT_EQ(compare(same), same);
}
