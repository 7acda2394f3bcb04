// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/process_memory.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace rabuscal::web {

namespace {

std::string readAll(const std::string& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The parent's id: the second field after the command name, which may itself
// hold blanks and parentheses, so the last ")" ends it.
int parentOf(const std::string& stat) {
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream rest(stat.substr(close + 1));
    std::string state;
    int parent = -1;
    rest >> state >> parent;
    return parent;
}

// "Name:   1234 kB" in a /proc status-like text.
std::uint64_t kilobytesField(const std::string& text, const std::string& name) {
    const std::size_t at = text.find("\n" + name + ":");
    const std::size_t start =
        at == std::string::npos ? (text.rfind(name + ":", 0) == 0 ? 0 : std::string::npos) : at + 1;
    if (start == std::string::npos) return 0;
    return std::strtoull(text.c_str() + start + name.size() + 1, nullptr, 10) * 1024;
}

}  // namespace

std::vector<int> descendants(int root) {
    std::multimap<int, int> children;
    if (DIR* proc = ::opendir("/proc")) {
        while (const dirent* entry = ::readdir(proc)) {
            char* end = nullptr;
            const long pid = std::strtol(entry->d_name, &end, 10);
            if (*end != '\0' || pid <= 0) continue;
            const int parent = parentOf(readAll("/proc/" + std::string(entry->d_name) + "/stat"));
            if (parent > 0) children.emplace(parent, static_cast<int>(pid));
        }
        ::closedir(proc);
    }
    std::vector<int> found;
    std::vector<int> pending{root};
    while (!pending.empty()) {
        const int parent = pending.back();
        pending.pop_back();
        const auto [first, last] = children.equal_range(parent);
        for (auto it = first; it != last; ++it) {
            found.push_back(it->second);
            pending.push_back(it->second);
        }
    }
    return found;
}

std::uint64_t residentBytes(int pid) {
    return kilobytesField(readAll("/proc/" + std::to_string(pid) + "/status"), "VmRSS");
}

std::uint64_t proportionalBytes(int pid) {
    return kilobytesField(readAll("/proc/" + std::to_string(pid) + "/smaps_rollup"), "Pss");
}

}  // namespace rabuscal::web
