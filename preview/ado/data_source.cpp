#include <string>

#include "preview/ado/ado.h"
#include "preview/ado/catalog.h"

namespace tabulon::preview::ado {
namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

std::string dataSourceOf(std::string_view connectionString) {
    // key=value pairs separated by ';'; a value may be quoted and then hold ';'.
    std::size_t at = 0;
    while (at < connectionString.size()) {
        std::size_t equals = connectionString.find('=', at);
        if (equals == std::string_view::npos) break;
        const std::string key = foldName(trimmed(connectionString.substr(at, equals - at)));
        std::size_t valueStart = equals + 1;
        while (valueStart < connectionString.size() && connectionString[valueStart] == ' ') ++valueStart;
        std::string value;
        std::size_t end;
        if (valueStart < connectionString.size() &&
            (connectionString[valueStart] == '"' || connectionString[valueStart] == '\'')) {
            const char quote = connectionString[valueStart];
            std::size_t close = connectionString.find(quote, valueStart + 1);
            if (close == std::string_view::npos) close = connectionString.size();
            value = std::string(connectionString.substr(valueStart + 1, close - valueStart - 1));
            end = connectionString.find(';', close);
        } else {
            end = connectionString.find(';', valueStart);
            value = std::string(trimmed(connectionString.substr(
                valueStart, (end == std::string_view::npos ? connectionString.size() : end) - valueStart)));
        }
        if ((key == "data source" || key == "dbq") && !value.empty()) return value;
        if (end == std::string_view::npos) break;
        at = end + 1;
    }
    return "";
}

}  // namespace tabulon::preview::ado
