#pragma once
// The failures pages see, with the HRESULTs, sources and texts that Jet and ADO give.
#include <string>
#include <string_view>

#include "preview/ado/ado.h"

namespace tabulon::preview::ado::errors {

inline constexpr const char* kJet = "Microsoft JET Database Engine";
inline constexpr const char* kRecordset = "ADODB.Recordset";
inline constexpr const char* kConnection = "ADODB.Connection";
inline constexpr const char* kCursorEngine = "Microsoft Cursor Engine";

// SQL the engine cannot run.
AdoError syntax(const std::string& description);
AdoError syntaxInExpression(std::string_view expression);
AdoError missingOperator(std::string_view expression);
AdoError fromClause();
AdoError invalidStatement();
AdoError undefinedFunction(std::string_view name);
AdoError notSupported(const std::string& what);
// A name the query uses that no table has: Jet takes it for a parameter.
AdoError missingParameter();
AdoError unknownTable(std::string_view name);
AdoError typeMismatch();
// A value a column cannot take, written through SQL.
AdoError fieldTooSmall();
AdoError nullInRequired(std::string_view column);
AdoError overflow();
AdoError fileNotFound(std::string_view path);
AdoError notWorkingCopy(std::string_view path);
AdoError engine(const std::string& description);
AdoError noTransaction();

// Recordset misuse.
AdoError multipleStep();
AdoError noCurrentRecord();
AdoError notUpdatable();
AdoError noBookmarks();
AdoError fetchBackward();
AdoError objectClosed(const char* source);
AdoError argumentOutOfRange();
AdoError itemNotFound();
AdoError rowNotFoundForUpdate();

}  // namespace tabulon::preview::ado::errors
