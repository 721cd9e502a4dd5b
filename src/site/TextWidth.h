#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Terminal columns of UTF-8 text, so names in Chinese line up with the rest.
namespace velk {

// Columns the text takes: two for East Asian wide characters, none for combining marks, one for
// the rest (and for each byte that is not UTF-8).
size_t displayWidth(std::string_view text);

// The text padded with spaces to width columns (longer text is kept whole).
std::string padded(std::string_view text, size_t width);
// The same, padded on the left.
std::string paddedLeft(std::string_view text, size_t width);

// The text cut to at most width columns, never inside a character.
std::string fitted(std::string_view text, size_t width);

}  // namespace velk
