#include "generator/pages/page_safety.h"

#include <algorithm>
#include <initializer_list>
#include <cctype>

#include "generator/login/login_generator.h"
#include "generator/widgets/widget_renderer.h"

namespace tabulon::generator {

namespace {

// Where `needle` first occurs in `text`, ASCII letters compared without regard to case.
// Pages are long: no folded copy of them is made.
std::size_t findIgnoringCase(std::string_view text, std::string_view needle) {
    const auto fold = [](char c) { return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); };
    if (needle.empty()) return 0;
    const char first = needle[0];
    const bool firstIsLetter = fold(first) != static_cast<unsigned char>(first) || (first >= 'a' && first <= 'z');
    for (std::size_t i = 0; i + needle.size() <= text.size(); ++i) {
        // Tags start with "<": jump from one to the next instead of folding every byte.
        if (!firstIsLetter) {
            i = text.find(first, i);
            if (i == std::string_view::npos || i + needle.size() > text.size()) return std::string_view::npos;
        } else if (fold(text[i]) != fold(first)) {
            continue;
        }
        std::size_t k = 1;
        while (k < needle.size() && fold(text[i + k]) == fold(needle[k])) ++k;
        if (k == needle.size()) return i;
    }
    return std::string_view::npos;
}

}  // namespace

namespace {

constexpr std::string_view kCodePageLine = "<%@ CODEPAGE=936 %>\r\n";

// Where the token goes: just after the start tag of the first form whose start tag begins
// with `formStart`, or npos.
std::size_t tokenPlace(std::string_view page, std::string_view formStart) {
    const std::size_t start = findIgnoringCase(page, formStart);
    if (start == std::string_view::npos) return start;
    const std::size_t end = page.find('>', start);
    return end == std::string_view::npos ? end : end + 1;
}

}  // namespace

bool addFormToken(std::string& page, std::string_view formStart) {
    const std::size_t place = tokenPlace(page, formStart);
    if (place == std::string::npos) return false;
    page.insert(place, "\r\n" + std::string(kTokenInput));
    return true;
}

std::string finishedPage(std::initializer_list<std::string_view> parts, std::optional<std::string_view> tokenForm) {
    return finishedPage(std::span<const std::string_view>(parts.begin(), parts.size()), tokenForm);
}

std::string finishedPage(std::span<const std::string_view> parts, std::optional<std::string_view> tokenForm) {
    std::size_t size = 0;
    std::string start;  // the page's first three bytes, wherever the parts cut them
    for (const auto part : parts) {
        size += part.size();
        if (start.size() < 3) start.append(part.substr(0, 3 - start.size()));
    }
    std::string out;
    out.reserve(kCodePageLine.size() + size + 2 + kTokenInput.size());
    if (start != "<%@") out += kCodePageLine;

    // The token goes in as soon as the form's start tag is complete, so that only the rest
    // of that part moves. The tag is looked for in what has been joined so far, from a
    // little before the newest part, since it may straddle two parts.
    const std::size_t pageStart = out.size();
    std::size_t searchFrom = pageStart;
    std::size_t formAt = std::string::npos;
    bool placed = !tokenForm;
    for (const auto part : parts) {
        out.append(part);
        if (placed) continue;
        if (formAt == std::string::npos) {
            const std::size_t found = findIgnoringCase(std::string_view(out).substr(searchFrom), *tokenForm);
            if (found == std::string_view::npos) {
                searchFrom = std::max(searchFrom, out.size() - std::min(out.size() - pageStart, tokenForm->size()));
                continue;
            }
            formAt = searchFrom + found;
            searchFrom = formAt;
        }
        const std::size_t tagEnd = out.find('>', searchFrom);
        if (tagEnd == std::string::npos) {
            searchFrom = out.size();
            continue;
        }
        out.insert(tagEnd + 1, "\r\n" + std::string(kTokenInput));
        placed = true;
    }
    return out;
}

std::string_view valueKind(const catalogue::Field& field) {
    if (widgetRenderer(field.widget).storesMarkup) return "html";
    const catalogue::DataTypeRow* row = catalogue::dataTypeRow(field.dataType);
    return row ? row->valueKind : "text";
}

bool isPasswordField(const catalogue::Snapshot& model, const catalogue::Table& table, const catalogue::Field& field) {
    if (field.description != "password") return false;
    const auto login = findLoginFields(model, table.projectId);
    return login && login->table == table.name && login->passwordField == field.name;
}

}  // namespace tabulon::generator
