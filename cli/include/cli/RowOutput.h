#pragma once
// The result rows as trademark-query prints them. Cells are UTF-8.

#include <array>
#include <string>
#include <string_view>
#include <vector>

// number, name, applicant, class
using ResultRow = std::array<std::string, 4>;

// A cell for a TAB-separated line: backslash, TAB, CR and LF written as \\, \t, \r, \n.
std::string escapeTsvCell(std::string_view cell);

// One line per row, the four escaped cells separated by TAB.
std::string formatTsv(const std::vector<ResultRow>& rows);

// A JSON string literal with the text escaped (quotes included). The text must
// be UTF-8; control characters become escapes.
std::string jsonString(std::string_view text);

// One JSON array of objects with the keys number, name, applicant and class, in
// row order, ended by a line break; "[]" when there is no row.
std::string formatJson(const std::vector<ResultRow>& rows);
