#pragma once
// ADO's Filter, Find and Sort texts, read and applied to rows of values. Internal to the
// ADO core.
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "preview/ado/ado.h"

namespace tabulon::preview::ado {

// Field index for a name, or -1.
using FieldLookup = std::function<int(std::string_view)>;
// A row's value of a field.
using RowValue = std::function<Value(int)>;

class Criteria {
public:
    virtual ~Criteria() = default;
    virtual bool matches(const RowValue& row) const = 0;
};

// `field op value` joined by AND / OR, with parentheses. Throws ADO's 0x800A0BB9 when the
// text is not such criteria or names a field the recordset does not have.
std::unique_ptr<Criteria> parseCriteria(std::string_view text, const FieldLookup& lookup);

struct SortKey {
    int field = 0;
    bool descending = false;
};
std::vector<SortKey> parseSort(std::string_view text, const FieldLookup& lookup);

// -1, 0 or 1 as ADO orders two values of a field: Null first, text ignoring case.
int compareValues(const Value& a, const Value& b);

}  // namespace tabulon::preview::ado
