#pragma once
// The three-stage parser that turns the result table into rows of the result
// list: stage 1 adds a row per table row and writes the number, stage 2 finds
// the name after the number, stage 3 the applicant after the name and writes the
// class. Texts are GBK. The stages run on the calling thread and drive the list
// through the toolkit; a cancelled run (the thread's current CancelToken) stops
// early and writes no global.

#include <string_view>

#include "text/Text.h"
#include "toolkit/Toolkit.h"

// "<tr>", LF, 22 spaces, TAB, "<td>([\s\S]*?)</td>": opens a table row and
// captures its first cell.
inline constexpr std::string_view rowPattern = "<tr>\n                      \t<td>([\\s\\S]*?)</td>";
// "</td>", LF, TAB, 20 spaces, "<td>([\s\S]*?)</td>": the end of a cell and the
// next one, whose content it captures. Stages 2 and 3 put their anchor before it.
inline constexpr std::string_view nextCellSuffix = "</td>\n\t                    <td>([\\s\\S]*?)</td>";

// "正则创建失败，请检查正则表达式语句是否有误！"
inline constexpr std::string_view kRegexFailedMessage =
    "\xd5\xfd\xd4\xf2\xb4\xb4\xbd\xa8\xca\xa7\xb0\xdc\xa3\xac\xc7\xeb\xbc\xec\xb2\xe9\xd5\xfd\xd4\xf2\xb1\xed\xb4\xef"
    "\xca\xbd\xd3\xef\xbe\xe4\xca\xc7\xb7\xf1\xd3\xd0\xce\xf3\xa3\xa1";
// "您输入的商标名称未有查询结果"
inline constexpr std::string_view kNoResultMessage =
    "\xc4\xfa\xca\xe4\xc8\xeb\xb5\xc4\xc9\xcc\xb1\xea\xc3\xfb\xb3\xc6\xce\xb4\xd3\xd0\xb2\xe9\xd1\xaf\xbd\xe1\xb9\xfb";
// "匹配失败，请检检查正则语句是否有误，数量：0"
inline constexpr std::string_view kMatchFailedMessage =
    "\xc6\xa5\xc5\xe4\xca\xa7\xb0\xdc\xa3\xac\xc7\xeb\xbc\xec\xbc\xec\xb2\xe9\xd5\xfd\xd4\xf2\xd3\xef\xbe\xe4\xca\xc7"
    "\xb7\xf1\xd3\xd0\xce\xf3\xa3\xac\xca\xfd\xc1\xbf\xa3\xba\x30";

// How stages 2 and 3 search the table. indexed starts each search only where its
// anchor can end before a cell boundary and gives exactly the rows of plain,
// which searches the whole table every time.
enum class TableSearch { indexed, plain };

// Stage 1 over subject (the result table, normally gResultHtml). Returns the
// number of table rows found, 0 when compile failed or none was found (then the
// busy indicator is hidden and kNoResultMessage shown).
int parseResultRows(Toolkit& toolkit, const Text& subject, TableSearch search = TableSearch::indexed);

// Stage 2 for the anchor in gRowNumber: writes column 1 of the last row for each
// match (the last match wins) and runs stage 3 for each. Returns the match count.
int fillNameCells(Toolkit& toolkit, const Text& subject);

// Stage 3 for the anchor in gRowName: writes columns 2 and 3 of the last row for
// each match. Returns the match count.
int fillApplicantCells(Toolkit& toolkit, const Text& subject);
