// trademark-demo-service: serves the sample set on 127.0.0.1 until SIGINT or SIGTERM.

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>

#include "demo/DemoServer.h"
#include "demo/SampleData.h"

namespace {

constexpr int kDefaultPort = 18080;
constexpr const char* kUsage = "usage: trademark-demo-service [--port PORT] [--data FILE]";

struct Options {
    int port = kDefaultPort;
    std::string dataPath;  // empty: the bundled sample set
};

// Reads "--name value" or "--name=value"; advances index past what it used.
bool optionValue(int argc, char** argv, int& index, std::string_view name, std::string& value) {
    const std::string_view arg = argv[index];
    if (arg == name) {
        if (index + 1 >= argc) return false;
        value = argv[++index];
        return true;
    }
    if (arg.size() > name.size() && arg.substr(0, name.size()) == name && arg[name.size()] == '=') {
        value = std::string(arg.substr(name.size() + 1));
        return true;
    }
    return false;
}

bool parsePort(std::string_view text, int& port) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty() && port >= 0 && port <= 65535;
}

// 0 on success, otherwise the exit status.
int parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        std::string value;
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage << '\n';
            return -1;
        }
        if (arg.starts_with("--port") && optionValue(argc, argv, i, "--port", value)) {
            if (!parsePort(value, options.port)) {
                std::cerr << "trademark-demo-service: bad port \"" << value << "\"\n" << kUsage << '\n';
                return 2;
            }
        } else if (arg.starts_with("--data") && optionValue(argc, argv, i, "--data", value) && !value.empty()) {
            options.dataPath = value;
        } else {
            std::cerr << "trademark-demo-service: bad argument \"" << arg << "\"\n" << kUsage << '\n';
            return 2;
        }
    }
    return 0;
}

SampleSet loadEntries(const std::string& path) {
    if (path.empty()) return readSampleSet(bundledSampleText());
    std::ifstream file(path, std::ios::binary);
    if (!file) return {{}, "cannot read " + path};
    std::ostringstream content;
    content << file.rdbuf();
    SampleSet set = readSampleSet(content.str());
    if (!set.error.empty()) set.error = path + ": " + set.error;
    return set;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int status = parseOptions(argc, argv, options); status != 0) return status < 0 ? 0 : status;

    SampleSet set = loadEntries(options.dataPath);
    if (!set.error.empty()) {
        std::cerr << "trademark-demo-service: " << set.error << '\n';
        return 1;
    }

    // The signals are taken by one waiting thread, so the server threads never see them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    DemoServer server(std::move(set.entries));
    const int port = server.bind(options.port);
    if (port < 0) {
        std::cerr << "trademark-demo-service: cannot listen on 127.0.0.1:" << options.port << '\n';
        return 1;
    }
    std::printf("listening on http://127.0.0.1:%d\n", port);
    std::fflush(stdout);

    std::atomic<bool> served{false};
    std::thread signalWaiter([&] {
        int signalNumber = 0;
        sigwait(&stopSignals, &signalNumber);
        // A stop that comes before the server loop has started is lost, so repeat it.
        while (!served.load()) {
            server.stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    const bool ok = server.serve();
    served.store(true);
    // Wakes the waiter when serving ended without a signal.
    pthread_kill(signalWaiter.native_handle(), SIGTERM);
    signalWaiter.join();
    return ok ? 0 : 1;
}
