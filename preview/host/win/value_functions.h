#pragma once
// Host functions behind the rewritten constructs and built-ins of a Windows server that the
// engine lacks: items of returned values (X(a)(b)), error numbers as Windows gives them,
// TypeName, DatePart, DateValue, TimeValue, String, LenB and Mid.
#include "dispatch.h"

namespace tabulon::preview::host {

// X(a)(b): the element of an array, or the default member of an object, with the arguments
// after the first.
void itemOf(const Args& args, VARIANT* result);
// X(a)(b) = v, written as PutItem X(a), v, b.
void putItem(const Args& args);

// The number Windows' engine gives for an error the engine here reports in its own way
// (division by zero as 0x80020012 and the like); other numbers unchanged.
long windowsErrorNumber(long number);

std::wstring typeName(const VARIANT& v);

// Erase a of a fixed array: every element Empty again, in the page's own array.
void clearArray(const Args& args);

// a < b as Windows compares them: -1, 0, 1 or Null (see comparison_rewriter.h).
void compareValues(const Args& args, VARIANT* result);

void datePart(const Args& args, VARIANT* result);
void dateValue(const Args& args, VARIANT* result, bool timePart);
void stringOf(const Args& args, VARIANT* result);
void lenB(const Args& args, VARIANT* result);
void mid(const Args& args, VARIANT* result);

}  // namespace tabulon::preview::host
