#include "query/QueryRun.h"

#include <condition_variable>
#include <mutex>
#include <utility>

#include "Globals.h"
#include "http/Fetch.h"
#include "query/ResultParser.h"
#include "text/Cancel.h"
#include "text/TextBetween.h"
#include "text/UrlCodec.h"

namespace {

constexpr std::string_view kSearchPath = "/query/index.php?m=&c=base_query&a=base_query";
constexpr std::string_view kDetailPath = "/query/index.php?m=&c=base_query&a=brand_detail&num=";

bool runCancelled() {
    const CancelToken* run = CancelToken::current();
    return run && run->cancelled();
}

}  // namespace

struct QueryRunner::State {
    State(Toolkit& toolkitIn, Text hostIn) : toolkit(toolkitIn), host(std::move(hostIn)) {}

    Toolkit& toolkit;
    const Text host;

    // The token of the latest run; replaced and cancelled under globalsMutex().
    std::shared_ptr<CancelToken> currentRun;

    // Runs in progress (workers and synchronous runs); the last thing a run does
    // is to count itself out and signal.
    std::mutex runsMutex;
    std::condition_variable runsIdle;
    int runs = 0;

    // Cancels the latest run, if any, and makes token (may be null) the latest.
    void supersede(std::shared_ptr<CancelToken> token) {
        const std::lock_guard lock(globalsMutex());
        if (currentRun) currentRun->cancel();
        currentRun = std::move(token);
    }

    void beginRun() {
        const std::lock_guard lock(runsMutex);
        ++runs;
    }

    void endRun(const std::shared_ptr<CancelToken>& token) {
        {
            const std::lock_guard lock(globalsMutex());
            if (currentRun == token) currentRun.reset();
        }
        const std::lock_guard lock(runsMutex);
        --runs;
        runsIdle.notify_all();
    }

    // The detail URL of the current row (an empty number when there is none) and
    // the class of the latest query.
    Text currentDetailUrl() {
        const Text number = toolkit.cellText(toolkit.currentRow(), 0);
        return detailUrl(host, number, gClassNumberValue());
    }

    // runQuery's steps, on the calling thread, with token current.
    void run(const CancelToken& token) {
        const CancelScope scope(token);
        if (token.cancelled()) return;
        const Text name = toolkit.nameText();
        const Text encoded = urlEncode(name, false, true);
        const Text classNumber = numberToText(toolkit.selectedClassIndex() + 1);
        storeGlobal(Global::classNumber, classNumber);
        showBusyIndicator(toolkit);
        if (token.cancelled()) return;

        FetchParams params;
        params.url = searchEndpoint(host);
        params.method = "POST";
        params.body = concatText("brand_name=", encoded, "&type=", classNumber);
        params.noRedirect = true;
        const Text reply = fetchText(params, &token);
        if (token.cancelled()) return;

        const Text decoded = urlDecode(reply, true);
        const Text table = textBetween(decoded, kTableLeftMarker, kTableRightMarker);
        storeGlobal(Global::resultHtml, table);
        if (token.cancelled()) return;
        parseResultRows(toolkit, table);
    }
};

void showBusyIndicator(Toolkit& toolkit) {
    toolkit.setVisible(Control::busyLabel, true);
    toolkit.setVisible(Control::busyProgress, true);
    for (int i = 1; i <= kBusyLoopBound && !runCancelled(); ++i) {
        const int position = toolkit.progressPosition();
        toolkit.setProgressPosition(position + i);
        if (toolkit.progressPosition() != kBusyLoopBound) toolkit.setProgressPosition(0);
    }
}

Text searchEndpoint(const Text& host) { return concatText("http://", host, kSearchPath); }

Text detailUrl(const Text& host, const Text& number, const Text& classNumber) {
    return concatText(concatText("http://", host, kDetailPath), number, "&type=", classNumber);
}

QueryRunner::QueryRunner(Toolkit& toolkit, Text host) : state_(std::make_shared<State>(toolkit, std::move(host))) {}

QueryRunner::~QueryRunner() { shutdown(); }

void QueryRunner::onQueryButtonClicked() {
    State& state = *state_;
    // A press supersedes the running query before the list is emptied, so none
    // of its rows can reach the emptied list.
    state.supersede(nullptr);
    state.toolkit.clearRows();
    if (state.toolkit.selectedClassIndex() == -1) {
        state.toolkit.showMessage(Text(kNoClassMessage));
        return;
    }
    auto token = std::make_shared<CancelToken>();
    state.supersede(token);
    state.beginRun();
    // The worker keeps the state alive; shutdown() waits for it all the same.
    auto queryWorker = [state = state_, token] {
        state->run(*token);
        state->endRun(token);
    };
    try {
        state.toolkit.startWorker(std::move(queryWorker));
    } catch (...) {
        // No thread could be started: the run never began.
        state.endRun(token);
    }
}

void QueryRunner::onResultFocusChanged() {
    state_->toolkit.setVisible(Control::busyProgress, false);
    state_->toolkit.setVisible(Control::busyLabel, false);
}

void QueryRunner::onResultClicked() { state_->toolkit.navigateBrowser(state_->currentDetailUrl()); }

void QueryRunner::onResultRightButtonUp(int /*x*/, int /*y*/, int /*modifiers*/) {
    state_->toolkit.openUrlExternally(state_->currentDetailUrl());
}

void QueryRunner::runQuery() {
    auto token = std::make_shared<CancelToken>();
    state_->supersede(token);
    state_->beginRun();
    state_->run(*token);
    state_->endRun(token);
}

void QueryRunner::shutdown() {
    state_->supersede(nullptr);
    std::unique_lock lock(state_->runsMutex);
    state_->runsIdle.wait(lock, [this] { return state_->runs == 0; });
}

bool QueryRunner::busy() const {
    const std::lock_guard lock(state_->runsMutex);
    return state_->runs > 0;
}
