#pragma once
// ADODB.Connection, Recordset, Fields and Field as automation objects over the portable ADO
// core (preview/ado), which answers the pages' Access SQL from the working copy.
#include <windows.h>
#include <oaidl.h>

#include <string>

namespace tabulon::preview::host {

// The working copy every Jet connection string of the site maps to (UTF-8 path).
void setWorkingCopy(std::string path);

IDispatch* makeConnection();
IDispatch* makeRecordset();

}  // namespace tabulon::preview::host
