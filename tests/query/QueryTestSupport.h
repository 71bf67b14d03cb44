#pragma once
// Shared by the query tests: page fixtures, GBK literals and expected rows.

#include <string>
#include <string_view>
#include <vector>

#include "text/Text.h"
#include "toolkit_fixture/RecordingToolkit.h"

// GBK bytes of a UTF-8 literal.
Text gbk(std::string_view utf8);

// A page from tests/data, as the service sends it (UTF-8); empty when missing.
std::string readFixture(std::string_view name);

// A row of four cells given in UTF-8.
RecordingToolkit::Row gbkRow(std::string_view number, std::string_view name, std::string_view applicant,
                             std::string_view classNumber);

// A result table in the service's layout: one row per entry of four cells (GBK).
Text tableOf(const std::vector<std::vector<Text>>& rows);
