#include "preview/ado/sql_functions.h"

#include <sqlite3.h>

#include <cmath>
#include <cstring>
#include <string>

#include "preview/ado/errors.h"
#include "preview/ado/jet_values.h"
#include "preview/ado/like_pattern.h"
#include "preview/ado/sql_translate.h"
#include "preview/ado/working_copy_schema.h"

namespace tabulon::preview::ado::sql {
namespace {

constexpr const char* kStorePrefix = "tabulon-store:";
constexpr const char* kPatternError = "tabulon-pattern";
std::string textArgument(sqlite3_value* value) {
    const unsigned char* text = sqlite3_value_text(value);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_value_bytes(value)))
                : std::string();
}

Value valueOf(sqlite3_value* argument) {
    Value value;
    switch (sqlite3_value_type(argument)) {
    case SQLITE_NULL: value.kind = Value::Kind::Null; break;
    case SQLITE_INTEGER:
        value.kind = Value::Kind::Long;
        value.integer = sqlite3_value_int64(argument);
        if (value.integer < INT32_MIN || value.integer > INT32_MAX) {
            value.kind = Value::Kind::Double;
            value.number = static_cast<double>(value.integer);
        }
        break;
    case SQLITE_FLOAT:
        value.kind = Value::Kind::Double;
        value.number = sqlite3_value_double(argument);
        break;
    default:
        value.kind = Value::Kind::Text;
        value.text = textArgument(argument);
        break;
    }
    return value;
}

// tabulon_store(value, jet type, size, precision, scale, required, column name)
void store(sqlite3_context* context, int, sqlite3_value** arguments) {
    ColumnSchema column;
    column.type = schema::typeFromName(textArgument(arguments[1])).value_or(JetType::Text);
    column.size = sqlite3_value_int(arguments[2]);
    column.precision = sqlite3_value_int(arguments[3]);
    column.scale = sqlite3_value_int(arguments[4]);
    column.required = sqlite3_value_int(arguments[5]) != 0;
    column.name = textArgument(arguments[6]);
    StoredValue stored;
    const StoreFailure failure = toStored(column, valueOf(arguments[0]), stored);
    if (failure != StoreFailure::None) {
        const std::string message = kStorePrefix + std::to_string(static_cast<int>(failure)) + ":" + column.name;
        sqlite3_result_error(context, message.c_str(), -1);
        return;
    }
    switch (stored.kind) {
    case StoredValue::Kind::Null: sqlite3_result_null(context); break;
    case StoredValue::Kind::Integer: sqlite3_result_int64(context, stored.integer); break;
    case StoredValue::Kind::Real: sqlite3_result_double(context, stored.real); break;
    case StoredValue::Kind::Text:
        sqlite3_result_text(context, stored.text.c_str(), static_cast<int>(stored.text.size()), SQLITE_TRANSIENT);
        break;
    }
}

// tabulon_text(value, kind): kind 1 a Single, 2 a date; Null is "".
void text(sqlite3_context* context, int, sqlite3_value** arguments) {
    std::string result;
    const int kind = sqlite3_value_int(arguments[1]);
    switch (sqlite3_value_type(arguments[0])) {
    case SQLITE_NULL: break;
    case SQLITE_INTEGER:
        result = kind == 2 ? formatDate(static_cast<double>(sqlite3_value_int64(arguments[0])))
                           : std::to_string(sqlite3_value_int64(arguments[0]));
        break;
    case SQLITE_FLOAT: {
        const double number = sqlite3_value_double(arguments[0]);
        result = kind == 2 ? formatDate(number) : formatNumber(number, kind == 1);
        break;
    }
    default: result = textArgument(arguments[0]); break;
    }
    sqlite3_result_text(context, result.c_str(), static_cast<int>(result.size()), SQLITE_TRANSIENT);
}

// tabulon_like(value, pattern): Jet's LIKE for patterns SQLite's cannot express.
void like(sqlite3_context* context, int, sqlite3_value** arguments) {
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL || sqlite3_value_type(arguments[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    auto pattern = LikePattern::parse(textArgument(arguments[1]));
    if (!pattern) {
        sqlite3_result_error(context, kPatternError, -1);
        return;
    }
    sqlite3_result_int(context, pattern->matches(textArgument(arguments[0])) ? 1 : 0);
}

}  // namespace

void registerFunctions(sqlite3* db) {
    sqlite3_create_function(db, kStoreFunction, 7, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, store, nullptr,
                            nullptr);
    sqlite3_create_function(db, kLikeFunction, 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, like, nullptr, nullptr);
    sqlite3_create_function(db, kTextFunction, 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, text, nullptr, nullptr);
    registerVbaFunctions(db);
}

std::optional<AdoError> jetErrorFrom(const char* message) {
    if (message && std::strcmp(message, kPatternError) == 0) return errors::syntax("Invalid pattern string.");
    if (message && std::strncmp(message, kJetErrorPrefix, std::strlen(kJetErrorPrefix)) == 0) {
        const char* code = message + std::strlen(kJetErrorPrefix);
        const std::uint32_t hresult = static_cast<std::uint32_t>(std::strtoul(code, nullptr, 16));
        const char* colon = std::strchr(code, ':');
        return AdoError(static_cast<std::int32_t>(hresult), errors::kJet, colon ? colon + 1 : "");
    }
    if (!message || std::strncmp(message, kStorePrefix, std::strlen(kStorePrefix)) != 0) return std::nullopt;
    const char* code = message + std::strlen(kStorePrefix);
    const char* colon = std::strchr(code, ':');
    const std::string column = colon ? colon + 1 : "";
    switch (static_cast<StoreFailure>(std::atoi(code))) {
    case StoreFailure::Overflow: return errors::overflow();
    case StoreFailure::TooLong: return errors::fieldTooSmall();
    case StoreFailure::NullRequired: return errors::nullInRequired(column);
    default: return errors::typeMismatch();
    }
}

}  // namespace tabulon::preview::ado::sql
