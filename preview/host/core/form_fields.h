#pragma once
// Request.Form and Request.QueryString hold each name once with all its values, names in
// the order they first came and matched without regard to case. Grouping goes through a
// hash of each name's case key, so it takes time linear in the number of fields (forms
// are posted by anyone; a quadratic grouping let 40,000 fields run for seconds).
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tabulon::preview::host {

template <class Text>
struct FieldValues {
    Text name;  // as first sent
    std::vector<Text> values;
};

// `pairs` decoded already; `keyOf(name)` gives equal keys exactly for names that match.
template <class Text, class KeyOf>
std::vector<FieldValues<Text>> groupFields(std::vector<std::pair<Text, Text>> pairs, KeyOf keyOf) {
    std::vector<FieldValues<Text>> out;
    std::unordered_map<Text, std::size_t> seen;
    for (auto& [name, value] : pairs) {
        const auto [at, added] = seen.emplace(keyOf(name), out.size());
        if (added) out.push_back({std::move(name), {}});
        out[at->second].values.push_back(std::move(value));
    }
    return out;
}

}  // namespace tabulon::preview::host
