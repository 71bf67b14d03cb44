#include "cli/RowOutput.h"

#include <cstdio>

std::string escapeTsvCell(std::string_view cell) {
    std::string out;
    out.reserve(cell.size());
    for (const char c : cell) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string formatTsv(const std::vector<ResultRow>& rows) {
    std::string out;
    for (const ResultRow& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0) out += '\t';
            out += escapeTsvCell(row[i]);
        }
        out += '\n';
    }
    return out;
}

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    out.reserve(text.size() + 2);
    for (const char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                    out += escape;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
    return out;
}

std::string formatJson(const std::vector<ResultRow>& rows) {
    static constexpr const char* kKeys[] = {"number", "name", "applicant", "class"};
    if (rows.empty()) return "[]\n";
    std::string out = "[\n";
    for (std::size_t r = 0; r < rows.size(); ++r) {
        out += "  {";
        for (std::size_t i = 0; i < rows[r].size(); ++i) {
            if (i > 0) out += ", ";
            out.append(jsonString(kKeys[i])).append(": ").append(jsonString(rows[r][i]));
        }
        out += r + 1 < rows.size() ? "},\n" : "}\n";
    }
    out += "]\n";
    return out;
}
