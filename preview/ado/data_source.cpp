#include <string>

#include "preview/ado/ado.h"
#include "preview/ado/catalog.h"
#include "preview/ado/jet_values.h"

namespace tabulon::preview::ado {
std::string dataSourceOf(std::string_view connectionString) {
    // key=value pairs separated by ';'; a value may be quoted and then hold ';'.
    std::size_t at = 0;
    while (at < connectionString.size()) {
        std::size_t equals = connectionString.find('=', at);
        if (equals == std::string_view::npos) break;
        const std::string key = foldName(trimBlanks(connectionString.substr(at, equals - at)));
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
            value = std::string(trimBlanks(connectionString.substr(
                valueStart, (end == std::string_view::npos ? connectionString.size() : end) - valueStart)));
        }
        if ((key == "data source" || key == "dbq") && !value.empty()) return value;
        if (end == std::string_view::npos) break;
        at = end + 1;
    }
    return "";
}

}  // namespace tabulon::preview::ado
