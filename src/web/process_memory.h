// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a process and the processes it started hold in memory, read from
// /proc (Linux). Plain C++: the browser program's renderer bound and the
// benchmarks use it.

#include <cstdint>
#include <vector>

namespace rabuscal::web {

// The processes `root` started, their children and so on; not `root` itself.
std::vector<int> descendants(int root);

// Resident and proportional set sizes in bytes; 0 for a process that is gone
// or cannot be read. The proportional size shares each page among the
// processes that map it, so sizes of a family of processes add up.
std::uint64_t residentBytes(int pid);
std::uint64_t proportionalBytes(int pid);

}  // namespace rabuscal::web
