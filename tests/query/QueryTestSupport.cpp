#include "QueryTestSupport.h"

#include <fstream>
#include <sstream>

#include "text/CodePage.h"

Text gbk(std::string_view utf8) { return utf8ToGbk(utf8); }

std::string readFixture(std::string_view name) {
    std::ifstream file(std::string(QUERY_FIXTURES_DIR) + "/" + std::string(name), std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

RecordingToolkit::Row gbkRow(std::string_view number, std::string_view name, std::string_view applicant,
                             std::string_view classNumber) {
    return {gbk(number), gbk(name), gbk(applicant), gbk(classNumber)};
}

Text tableOf(const std::vector<std::vector<Text>>& rows) {
    Text table;
    for (const auto& cells : rows) {
        table += "<tr>\n                      \t<td>";
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (c > 0) table += "</td>\n\t                    <td>";
            table += cells[c];
        }
        table += "</td>\n</tr>\n";
    }
    return table;
}
