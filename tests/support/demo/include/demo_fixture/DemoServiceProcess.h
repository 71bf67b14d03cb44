#pragma once
// The demo service as a child process on an ephemeral loopback port.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Path of the trademark-demo-service program of this build.
std::string demoServicePath();

class DemoServiceProcess {
  public:
    // Starts the service with "--port 0" and the extra arguments (e.g. "--data",
    // a file) and waits until it prints where it listens. port() is 0 when it did
    // not start; startError() then says why.
    explicit DemoServiceProcess(const std::vector<std::string>& extraArgs = {});
    ~DemoServiceProcess();  // stops the service if still running
    DemoServiceProcess(const DemoServiceProcess&) = delete;
    DemoServiceProcess& operator=(const DemoServiceProcess&) = delete;

    int port() const { return port_; }
    // "127.0.0.1:PORT"
    std::string host() const;
    const std::string& startError() const { return startError_; }

    // Sends the signal and waits for the process; returns its exit status, or
    // -1 when it did not exit normally within a few seconds (it is then killed).
    int stop(int signalNumber);

  private:
    int pid_ = -1;
    int port_ = 0;
    std::string startError_;
};

// Writes sampleData (the sample-set format) to folder/data.tsv and starts the
// service on it.
std::unique_ptr<DemoServiceProcess> startDemoServiceWithData(std::string_view sampleData,
                                                             const std::filesystem::path& folder);
