#pragma once
// ADODB.Connection, Recordset, Fields, Field, Command and Stream as automation objects over the portable ADO
// core (preview/ado), which answers the pages' Access SQL from the working copy.
#include <windows.h>
#include <oaidl.h>

#include <string>

namespace tabulon::preview::host {

// The working copy every Jet connection string of the site maps to (UTF-8 path).
void setWorkingCopy(std::string path);

IDispatch* makeConnection();
IDispatch* makeRecordset();
IDispatch* makeCommand();
// ADODB.Stream: files only inside `siteFolder` (a Windows path without a trailing backslash).
IDispatch* makeStream(const std::wstring& siteFolder);

}  // namespace tabulon::preview::host
