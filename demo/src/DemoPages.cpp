#include "demo/DemoPages.h"

namespace {

// Row and cell openings exactly as the service indents them; the client's row
// pattern relies on these bytes.
constexpr std::string_view kRowOpening = "<tr>\n                      \t<td>";
constexpr std::string_view kNextCellOpening = "</td>\n\t                    <td>";
constexpr std::string_view kRowClosing = "</td>\n</tr>\n";

constexpr std::string_view kPageHead = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>";
constexpr std::string_view kPageBodyStart = "</title>\n</head>\n<body>\n";
constexpr std::string_view kPageEnd = "</body>\n</html>\n";

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string page(std::string_view title, std::string_view body) {
    std::string out;
    out.reserve(kPageHead.size() + title.size() + kPageBodyStart.size() + body.size() + kPageEnd.size());
    out.append(kPageHead).append(title).append(kPageBodyStart).append(body).append(kPageEnd);
    return out;
}

void appendRow(std::string& out, const TrademarkEntry& entry) {
    out.append(kRowOpening).append(escapeHtml(entry.number));
    for (const std::string* cell : {&entry.name, &entry.applicant, &entry.date, &entry.status}) {
        out.append(kNextCellOpening).append(escapeHtml(*cell));
    }
    out.append(kRowClosing);
}

}  // namespace

std::string decodeFormComponent(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && hexDigitValue(text[i + 1]) >= 0 &&
                   hexDigitValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigitValue(text[i + 1]) * 16 + hexDigitValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

std::string formValue(std::string_view form, std::string_view field) {
    while (!form.empty()) {
        const std::size_t amp = form.find('&');
        const std::string_view pair = form.substr(0, amp);
        form.remove_prefix(amp == std::string_view::npos ? form.size() : amp + 1);
        const std::size_t eq = pair.find('=');
        if (decodeFormComponent(pair.substr(0, eq)) == field)
            return eq == std::string_view::npos ? std::string() : decodeFormComponent(pair.substr(eq + 1));
    }
    return {};
}

std::string escapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string resultPage(std::string_view query, int classNumber, const EntryRefs& hits) {
    std::string body = "<div class=\"query\">类别：" + std::to_string(classNumber) + "　商标名称：" +
                       escapeHtml(query) + "　共 " + std::to_string(hits.size()) + " 条</div>\n" +
                       "<table class=\"no_border\">\n<tr>\n<th>商标号</th><th>商标名称</th><th>申请人</th>"
                       "<th>申请日期</th><th>状态</th>\n</tr>\n";
    body.reserve(body.size() + hits.size() * 256);
    for (const TrademarkEntry& entry : hits) appendRow(body, entry);
    body += "</table>\n<div class=\"holder\"></div>\n";
    return page("商标查询结果", body);
}

std::string detailPage(const EntryRefs& entries) {
    std::string body;
    for (const TrademarkEntry& entry : entries) {
        body += "<h1>" + escapeHtml(entry.name) + "</h1>\n<table class=\"detail\">\n";
        const std::pair<std::string_view, std::string> rows[] = {
            {"商标号", escapeHtml(entry.number)},        {"商标名称", escapeHtml(entry.name)},
            {"类别", std::to_string(entry.classNumber)}, {"申请人", escapeHtml(entry.applicant)},
            {"申请日期", escapeHtml(entry.date)},        {"状态", escapeHtml(entry.status)}};
        for (const auto& [label, value] : rows) {
            body.append("<tr><th>").append(label).append("</th><td>").append(value).append("</td></tr>\n");
        }
        body += "</table>\n";
    }
    return page("商标详细信息", body);
}

std::string errorPage(int status, std::string_view message) {
    const std::string code = std::to_string(status);
    return page(code, "<h1>" + code + "</h1>\n<p>" + escapeHtml(message) + "</p>\n");
}
