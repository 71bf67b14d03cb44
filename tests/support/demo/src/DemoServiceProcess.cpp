#include "demo_fixture/DemoServiceProcess.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string_view>
#include <thread>

#include "demo_fixture/Process.h"

namespace {

constexpr std::string_view kListeningPrefix = "listening on http://127.0.0.1:";
constexpr int kStartLimitMs = 15000;

// Waits up to limitMs for the child to end; its exit status, -1 otherwise.
int waitForExit(int pid, int limitMs) {
    for (int waited = 0; waited <= limitMs; waited += 10) {
        int status = 0;
        const int rc = waitpid(pid, &status, WNOHANG);
        if (rc == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (rc < 0 && errno != EINTR) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -2;
}

}  // namespace

std::string demoServicePath() { return TRADEMARK_DEMO_SERVICE_PATH; }

DemoServiceProcess::DemoServiceProcess(const std::vector<std::string>& extraArgs) {
    std::vector<std::string> args{"--port", "0"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    int readFd = -1;
    pid_ = spawnWithOutputPipe(demoServicePath(), args, {}, readFd);
    if (pid_ < 0) {
        startError_ = "cannot start " + demoServicePath();
        return;
    }
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartLimitMs);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd fd{readFd, POLLIN, 0};
        if (poll(&fd, 1, 100) <= 0) continue;
        char buffer[256];
        const ssize_t n = read(readFd, buffer, sizeof buffer);
        if (n <= 0) break;
        line.append(buffer, static_cast<std::size_t>(n));
    }
    close(readFd);
    if (line.starts_with(kListeningPrefix)) port_ = std::atoi(line.c_str() + kListeningPrefix.size());
    if (port_ <= 0) {
        port_ = 0;
        startError_ = "the service printed \"" + line + "\"";
        stop(SIGKILL);
    }
}

DemoServiceProcess::~DemoServiceProcess() { stop(SIGTERM); }

std::string DemoServiceProcess::host() const { return "127.0.0.1:" + std::to_string(port_); }

int DemoServiceProcess::stop(int signalNumber) {
    if (pid_ < 0) return -1;
    kill(pid_, signalNumber);
    int status = waitForExit(pid_, 5000);
    if (status == -2) {
        kill(pid_, SIGKILL);
        waitForExit(pid_, 5000);
        status = -1;
    }
    pid_ = -1;
    return status;
}

std::unique_ptr<DemoServiceProcess> startDemoServiceWithData(std::string_view sampleData,
                                                             const std::filesystem::path& folder) {
    const auto dataFile = folder / "data.tsv";
    std::ofstream(dataFile, std::ios::binary) << sampleData;
    return std::make_unique<DemoServiceProcess>(std::vector<std::string>{"--data", dataFile.string()});
}
