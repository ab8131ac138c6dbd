#pragma once
// The pages kept as golden copies: for each golden design (a folder of tests/golden/), the
// text of every page the generators write, by file name, as UTF-8.
#include <map>
#include <string>
#include <vector>

namespace tabulon::golden {

// "记账": the sample project as a first start creates it, its per-table and login pages.
// "组件": a design that uses every widget rule, its per-table pages.
std::vector<std::string> designs();

std::map<std::string, std::string> pagesOf(const std::string& design);

}  // namespace tabulon::golden
