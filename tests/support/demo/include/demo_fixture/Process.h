#pragma once
// Child processes for end-to-end tests: run a program to its end with its output
// captured, temporary folders, and a loopback port nobody listens on.

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

struct ProcessResult {
    int exitCode = -1;  // the exit status, or -1 when the program did not exit normally
    std::string out;    // everything written to standard output
    std::string err;    // everything written to standard error
    bool timedOut = false;
};

// Runs program with args (argv[1..]) and the test's environment with the given
// variables set (an empty value removes one). A program still running after the
// time limit is killed and reported as timedOut.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& environment = {},
                         std::chrono::milliseconds limit = std::chrono::seconds(60));

// Starts program with its standard output on a pipe and the given environment
// changes; standard error goes to the test's. Returns the process id (or -1) and
// the read end of the pipe through readFd.
int spawnWithOutputPipe(const std::string& program, const std::vector<std::string>& args,
                        const std::map<std::string, std::string>& environment, int& readFd);

// A fresh folder, removed with its content when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};
