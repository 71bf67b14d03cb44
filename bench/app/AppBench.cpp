// Speed of the desktop program against the demo service: start to window shown, a
// cross-thread toolkit call, the busy animation, press to last row for 50 hits
// against the bare POST, the UI thread's longest stall during a query, and the
// resident memory after a 2,000-row query.
//
// Run under a display (xvfb-run -a bench/app/bench_app). The demo service's
// bundled sample answers "Ventriqox" in class 42 with 50 hits and "Quorvelyn" in
// class 35 with 2,000.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/ApplicationShell.h"
#include "demo_fixture/DemoServiceProcess.h"
#include "http/Fetch.h"
#include "text/CodePage.h"
#include "text/UrlCodec.h"

namespace {

const auto gProcessStart = std::chrono::steady_clock::now();

DemoServiceProcess* gService = nullptr;
ApplicationShell* gShell = nullptr;

// Runs the event loop until the condition holds, looking at it every millisecond.
void runUntil(const std::function<bool()>& condition) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (condition()) loop.quit();
    });
    check.start(1);
    if (!condition()) loop.exec();
}

// Records the longest gap between the firings of a 1 ms timer on the UI thread.
class StallMeter {
  public:
    StallMeter() {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        });
        clock_.start();
        timer_.start(1);
    }
    double longestMs() const { return static_cast<double>(longest_) / 1e6; }

  private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// Runs a worker doing the routine while the UI thread handles its calls.
void runOnWorker(const std::function<void()>& routine) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        routine();
        done = true;
    });
    runUntil([&] { return done.load(); });
    worker.join();
}

void BM_CrossThreadCall(benchmark::State& state) {
    QtToolkit& toolkit = gShell->toolkit();
    constexpr int kCalls = 1000;
    for (auto _ : state) {
        runOnWorker([&] {
            for (int i = 0; i < kCalls; ++i) benchmark::DoNotOptimize(toolkit.currentRow());
        });
    }
    state.SetItemsProcessed(state.iterations() * kCalls);
}
BENCHMARK(BM_CrossThreadCall)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BusyIndicator(benchmark::State& state) {
    QtToolkit& toolkit = gShell->toolkit();
    double longestStall = 0;
    for (auto _ : state) {
        const StallMeter meter;
        runOnWorker([&] { showBusyIndicator(toolkit); });
        longestStall = std::max(longestStall, meter.longestMs());
    }
    toolkit.setVisible(Control::busyLabel, false);
    toolkit.setVisible(Control::busyProgress, false);
    state.counters["longest_stall_ms"] = longestStall;
}
BENCHMARK(BM_BusyIndicator)->Unit(benchmark::kMillisecond)->UseRealTime();

FetchParams searchParams(const std::string& name, int classNumber) {
    FetchParams params;
    params.url = searchEndpoint(gService->host());
    params.method = "POST";
    params.body = "brand_name=" + urlEncode(name, false, true) + "&type=" + std::to_string(classNumber);
    params.noRedirect = true;
    return params;
}

void BM_BarePost50(benchmark::State& state) {
    for (auto _ : state) {
        FetchParams params = searchParams("Ventriqox", 42);
        benchmark::DoNotOptimize(fetchText(params));
    }
}
BENCHMARK(BM_BarePost50)->Unit(benchmark::kMillisecond)->UseRealTime();

// Press to last row; the event loop runs as in the program.
void pressAndWait(const char* name, int classIndex, int rows) {
    MainWindow& window = gShell->window();
    window.classCombo().setCurrentIndex(classIndex);
    window.nameEdit().setText(QString::fromUtf8(name));
    QTest::mouseClick(&window.queryButton(), Qt::LeftButton);
    runUntil([&] { return !gShell->runner().busy(); });
    if (window.resultList().model()->rowCount() != rows) {
        std::fprintf(stderr, "expected %d rows, got %d\n", rows, window.resultList().model()->rowCount());
    }
}

// Press to last row for a name of the sample set, with the UI thread's longest stall.
void measureQuery(benchmark::State& state, const char* name, int classIndex, int rows) {
    std::vector<double> stalls;
    for (auto _ : state) {
        const StallMeter meter;
        pressAndWait(name, classIndex, rows);
        stalls.push_back(meter.longestMs());
    }
    std::sort(stalls.begin(), stalls.end());
    // The longest stall of any run, and of the typical (median) run.
    state.counters["longest_stall_ms"] = stalls.back();
    state.counters["median_run_stall_ms"] = stalls[stalls.size() / 2];
    state.counters["rss_after_MiB"] = static_cast<double>(residentKilobytes()) / 1024.0;
}

void BM_PressToLastRow50(benchmark::State& state) { measureQuery(state, "Ventriqox", 41, 50); }
BENCHMARK(BM_PressToLastRow50)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Query2000Rows(benchmark::State& state) { measureQuery(state, "Quorvelyn", 34, 2000); }
BENCHMARK(BM_Query2000Rows)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    const auto applicationReady = std::chrono::steady_clock::now();

    DemoServiceProcess service;
    if (service.port() == 0) {
        std::fprintf(stderr, "demo service: %s\n", service.startError().c_str());
        return 1;
    }
    gService = &service;

    // Start to window shown, as programEntry goes: the application object, then the
    // window built and shown (the demo service started in between is left out).
    const auto shellStart = std::chrono::steady_clock::now();
    ApplicationShell shell(service.host());
    shell.window().show();
    if (!QTest::qWaitForWindowExposed(&shell.window())) return 1;
    const auto shown = std::chrono::steady_clock::now();
    const auto ms = [](auto d) { return std::chrono::duration<double, std::milli>(d).count(); };
    std::printf(
        "start_to_window_shown_ms: %.1f (process start to application object %.1f, window built and shown %.1f)\n",
        ms(applicationReady - gProcessStart) + ms(shown - shellStart), ms(applicationReady - gProcessStart),
        ms(shown - shellStart));
    std::printf("rss_at_start_MiB: %.1f\n", static_cast<double>(residentKilobytes()) / 1024.0);
    gShell = &shell;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gShell = nullptr;
    return 0;
}
