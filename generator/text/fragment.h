#pragma once
// Fixed fragments of generated pages are written as string literals that look like the
// output, line by line, with $name$ placeholders. Filling never escapes, re-indents or
// converts line ends: the fragments carry their exact CR LF and TAB characters.
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace tabulon::generator {

using Substitution = std::pair<std::string_view, std::string_view>;

// Replaces every $name$ of `fragment` by its value; "$$" stands for one "$". A placeholder
// without a value, or a value that no placeholder uses, throws std::logic_error: both are
// defects of the generator, never of the user's design.
std::string fill(std::string_view fragment, std::initializer_list<Substitution> values);

// fill(), appended to `out`: pages are built by appending, without a string per fragment.
void fillInto(std::string& out, std::string_view fragment, std::initializer_list<Substitution> values);

// The parts one after another, in one allocation: whole pages are joined this way.
std::string concat(std::span<const std::string_view> parts);

// Replaces the first occurrence of `from` in `text`, searching from the first character
// (case-sensitive). Returns whether a replacement was made.
bool replaceFirst(std::string& text, std::string_view from, std::string_view to);

// Replaces up to `count` occurrences, left to right; returns how many were replaced.
std::size_t replaceLeading(std::string& text, std::string_view from, std::string_view to, std::size_t count);

// The number a VBScript-style Val() reads at the start of a text: "26" -> 26,
// " 3.5x" -> 3.5, "" -> 0, "abc" -> 0.
double leadingNumber(std::string_view text);

}  // namespace tabulon::generator
