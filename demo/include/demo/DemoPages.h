#pragma once
// The pages of the demo service, laid out as the trademark service lays them out.
// All texts are UTF-8.

#include <string>
#include <string_view>

#include "demo/SampleData.h"

// Decodes one component of a form or query string: "+" is a space, "%XY" with
// two hexadecimal digits is that byte; any other "%" stays as it is.
std::string decodeFormComponent(std::string_view text);

// The decoded value of the first field of that name in "a=1&b=2" form text;
// empty when absent.
std::string formValue(std::string_view form, std::string_view field);

// The search result page: the hits in a table between the markers the client
// cuts at, one row per hit, in the order given. Cell texts are HTML-escaped.
std::string resultPage(std::string_view query, int classNumber, const EntryRefs& hits);

// A readable page describing the entries (all of one number and class).
std::string detailPage(const EntryRefs& entries);

// A short page for a failed request.
std::string errorPage(int status, std::string_view message);

// Escapes &, <, > and " for HTML text and attribute values.
std::string escapeHtml(std::string_view text);
