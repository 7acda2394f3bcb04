// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Starts a server executable on a free port and stops it again, for the
// benchmarks. The server must print "listening on port N" as its first line.
// With `cpu` set, the server runs on that processor alone.

#include <dirent.h>
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace rabuscal::bench {

class ServerProcess {
  public:
    explicit ServerProcess(std::vector<std::string> command, int cpu = -1) {
        int out[2];
        if (::pipe(out) != 0) std::abort();
        pid_ = ::fork();
        if (pid_ == 0) {
            if (cpu >= 0) {
                cpu_set_t only;
                CPU_ZERO(&only);
                CPU_SET(cpu, &only);
                ::sched_setaffinity(0, sizeof only, &only);
            }
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            std::vector<char*> argv;
            for (auto& a : command) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            std::perror("exec");
            std::_Exit(127);
        }
        ::close(out[1]);
        output_ = ::fdopen(out[0], "r");
        char line[256] = {};
        if (!std::fgets(line, sizeof line, output_)) {
            std::fprintf(stderr, "%s did not start\n", command[0].c_str());
            std::exit(1);
        }
        const std::string text(line);
        port_ = static_cast<unsigned short>(std::atoi(text.substr(text.rfind(' ') + 1).c_str()));
        // Drain the server's log so that it never blocks on a full pipe.
        drainer_ = ::fork();
        if (drainer_ == 0) {
            char buffer[4096];
            while (std::fread(buffer, 1, sizeof buffer, output_) > 0) {
            }
            std::_Exit(0);
        }
    }
    ~ServerProcess() { stop(); }

    // Stops the server with `signal`; returns the CPU seconds (user + system) it used.
    double stop(int signal = SIGTERM) {
        if (pid_ > 0) {
            ::kill(pid_, signal);
            rusage usage{};
            ::wait4(pid_, nullptr, 0, &usage);
            cpuSeconds_ =
                static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
            ::waitpid(drainer_, nullptr, 0);
            std::fclose(output_);
            pid_ = -1;
        }
        return cpuSeconds_;
    }
    unsigned short port() const { return port_; }

    // Descriptors the server holds open.
    long openFiles() const {
        const std::string path = "/proc/" + std::to_string(pid_) + "/fd";
        DIR* dir = ::opendir(path.c_str());
        long count = 0;
        while (dir && ::readdir(dir)) ++count;
        if (dir) ::closedir(dir);
        return count - 2;  // "." and ".."
    }
    // A figure of /proc/PID/status in kB, such as "VmRSS:".
    long statusKb(const char* field) const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
        return 0;
    }

  private:
    pid_t pid_ = -1;
    pid_t drainer_ = -1;
    FILE* output_ = nullptr;
    unsigned short port_ = 0;
    double cpuSeconds_ = 0;
};

}  // namespace rabuscal::bench
