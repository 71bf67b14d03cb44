#include "query/ResultParser.h"

#include <memory>
#include <string>

#include "Globals.h"
#include "regex/RegexMatcher.h"
#include "regex/RegexSubject.h"
#include "text/Cancel.h"

static_assert(rowPattern.size() == 47);
static_assert(nextCellSuffix.size() == 46);

namespace {

// Every stage compiles with letter case ignored, multiline off, global on and
// the quote marker on.
constexpr bool kCaseSensitive = false;
constexpr bool kMultiline = false;
constexpr bool kGlobal = true;
constexpr bool kQuoteMarker = true;

// The cell boundary every anchored pattern has right after its anchor: the
// literal start of nextCellSuffix, up to its group.
std::u16string cellBoundary() {
    const std::string_view literal = nextCellSuffix.substr(0, nextCellSuffix.find('('));
    return std::u16string(literal.begin(), literal.end());
}

struct ParseRun {
    Toolkit& toolkit;
    // The table converted once for all stages, indexed at the cell boundaries
    // unless the plain search was asked for.
    std::shared_ptr<const RegexSubject> subject;
};

ParseRun makeRun(Toolkit& toolkit, const Text& subject, TableSearch search) {
    return {toolkit, std::make_shared<const RegexSubject>(
                         subject, search == TableSearch::indexed ? cellBoundary() : std::u16string())};
}

bool runCancelled() {
    const CancelToken* run = CancelToken::current();
    return run && run->cancelled();
}

// Compiles an anchored pattern; on failure or no match shows the stage's message
// and returns false.
bool compileAnchored(RegexMatcher& matcher, const ParseRun& run, const Text& anchor) {
    if (!matcher.compile(concatText(anchor, nextCellSuffix), run.subject, kCaseSensitive, kMultiline, kGlobal,
                         kQuoteMarker)) {
        run.toolkit.showMessage(Text(kRegexFailedMessage));
        return false;
    }
    if (matcher.matchCount() == 0) {
        run.toolkit.showMessage(Text(kMatchFailedMessage));
        return false;
    }
    return true;
}

int fillApplicantCellsFor(const ParseRun& run, const Text& rowName) {
    RegexMatcher matcher;
    if (!compileAnchored(matcher, run, rowName)) return 0;
    Toolkit& toolkit = run.toolkit;
    const int count = matcher.matchCount();
    for (int i = 1; i <= count && !runCancelled(); ++i) {
        // A temporary row after the last real one takes the focus while the
        // applicant goes into the real one.
        const int n = toolkit.appendRow();
        toolkit.setCurrentRow(n);
        toolkit.setCell(n - 1, 2, matcher.subMatchText(i, 1));
        toolkit.deleteRow(n);
        toolkit.setCell(n - 1, 3, loadGlobal(Global::classNumber));
    }
    return count;
}

int fillNameCellsFor(const ParseRun& run, const Text& rowNumber) {
    RegexMatcher matcher;
    if (!compileAnchored(matcher, run, rowNumber)) return 0;
    Toolkit& toolkit = run.toolkit;
    const int count = matcher.matchCount();
    for (int i = 1; i <= count && !runCancelled(); ++i) {
        // Appending and deleting at once finds the index of the last row.
        const int n = toolkit.appendRow();
        toolkit.deleteRow(n);
        toolkit.setCell(n - 1, 1, matcher.subMatchText(i, 1));
        const Text name = matcher.subMatchText(i, 1);
        storeGlobal(Global::rowName, name);
        fillApplicantCellsFor(run, name);
    }
    return count;
}

}  // namespace

int parseResultRows(Toolkit& toolkit, const Text& subject, TableSearch search) {
    const ParseRun run = makeRun(toolkit, subject, search);
    RegexMatcher matcher;
    if (!matcher.compile(rowPattern, run.subject, kCaseSensitive, kMultiline, kGlobal, kQuoteMarker)) {
        toolkit.showMessage(Text(kRegexFailedMessage));
        return 0;
    }
    const int count = matcher.matchCount();
    if (count == 0) {
        toolkit.setVisible(Control::busyProgress, false);
        toolkit.setVisible(Control::busyLabel, false);
        toolkit.showMessage(Text(kNoResultMessage));
        return 0;
    }
    for (int i = 1; i <= count && !runCancelled(); ++i) {
        const int row = toolkit.appendRow();
        toolkit.setCurrentRow(row);
        toolkit.setCell(row, 0, matcher.subMatchText(i, 1));
        const Text number = matcher.subMatchText(i, 1);
        storeGlobal(Global::rowNumber, number);
        fillNameCellsFor(run, number);
    }
    return count;
}

int fillNameCells(Toolkit& toolkit, const Text& subject) {
    return fillNameCellsFor(makeRun(toolkit, subject, TableSearch::indexed), loadGlobal(Global::rowNumber));
}

int fillApplicantCells(Toolkit& toolkit, const Text& subject) {
    return fillApplicantCellsFor(makeRun(toolkit, subject, TableSearch::indexed), loadGlobal(Global::rowName));
}
