#include "preview/ado/errors.h"

namespace tabulon::preview::ado::errors {
namespace {
constexpr std::int32_t hr(std::uint32_t value) { return static_cast<std::int32_t>(value); }
}  // namespace

AdoError syntax(const std::string& description) { return {hr(0x80040E14), kJet, description}; }

AdoError syntaxInExpression(std::string_view expression) {
    return syntax("Syntax error in query expression '" + std::string(expression) + "'.");
}

AdoError missingOperator(std::string_view expression) {
    return syntax("Syntax error (missing operator) in query expression '" + std::string(expression) + "'.");
}

AdoError fromClause() { return syntax("Syntax error in FROM clause."); }

AdoError invalidStatement() {
    return syntax("Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'.");
}

AdoError undefinedFunction(std::string_view name) {
    return syntax("Undefined function '" + std::string(name) + "' in expression.");
}

AdoError notSupported(const std::string& what) { return syntax("The preview does not run this SQL: " + what + "."); }

AdoError missingParameter() { return {hr(0x80040E10), kJet, "No value given for one or more required parameters."}; }

AdoError unknownTable(std::string_view name) {
    return {hr(0x80040E37), kJet,
            "The Microsoft Jet database engine cannot find the input table or query '" + std::string(name) +
                "'.  Make sure it exists and that its name is spelled correctly."};
}

AdoError typeMismatch() { return {hr(0x80040E07), kJet, "Data type mismatch in criteria expression."}; }

AdoError fieldTooSmall() {
    return {hr(0x80004005), kJet,
            "The field is too small to accept the amount of data you attempted to add.  Try inserting or pasting "
            "less data."};
}

AdoError nullInRequired(std::string_view column) {
    return {hr(0x80004005), kJet,
            "The field '" + std::string(column) +
                "' cannot contain a Null value because the Required property for "
                "this field is set to True.  Enter a value in this field."};
}

AdoError overflow() { return {hr(0x80040E57), kJet, "Overflow"}; }

AdoError fileNotFound(std::string_view path) {
    return {hr(0x80004005), kJet, "Could not find file '" + std::string(path) + "'."};
}

AdoError notWorkingCopy(std::string_view path) {
    return {hr(0x80004005), kJet, "Unrecognized database format '" + std::string(path) + "'."};
}

AdoError engine(const std::string& description) { return {hr(0x80004005), kJet, description}; }

// XACT_E_NOTRANSACTION, as Jet's provider answers a commit or rollback with none begun.
AdoError noTransaction() { return {hr(0x8004D00E), kJet, "No transaction is active."}; }

AdoError multipleStep() {
    return {hr(0x80040E21), kCursorEngine,
            "Multiple-step OLE DB operation generated errors. Check each OLE DB status value, if available. No work "
            "was done."};
}

AdoError noCurrentRecord() {
    return {hr(0x800A0BCD), kRecordset,
            "Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a "
            "current record."};
}

AdoError notUpdatable() {
    return {hr(0x800A0CB3), kRecordset,
            "Current Recordset does not support updating. This may be a limitation of the provider, or of the "
            "selected locktype."};
}

AdoError noBookmarks() {
    return {hr(0x800A0CB3), kRecordset,
            "Current Recordset does not support bookmarks. This may be a limitation of the provider or of the "
            "selected cursortype."};
}

AdoError fetchBackward() { return {hr(0x80040E24), kJet, "Rowset does not support fetching backward."}; }

AdoError objectClosed(const char* source) {
    return {hr(0x800A0E78), source, "Operation is not allowed when the object is closed."};
}

AdoError argumentOutOfRange() {
    return {hr(0x800A0BB9), kRecordset,
            "Arguments are of the wrong type, are out of acceptable range, or are in conflict with one another."};
}

AdoError itemNotFound() {
    return {hr(0x800A0CC1), kRecordset,
            "Item cannot be found in the collection corresponding to the requested name or ordinal."};
}

AdoError rowNotFoundForUpdate() {
    return {hr(0x80040E38), kCursorEngine,
            "Row cannot be located for updating. Some values may have been changed since it was last read."};
}

}  // namespace tabulon::preview::ado::errors
