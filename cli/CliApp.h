#pragma once
// orrindale-cli: the engines in batch, without windows.
#include <cstdio>

namespace orr {

// Exit status: 0 success, 1 failure (reason on stderr), 2 usage error.
int gfCliMain(int argc, char** argv);

}  // namespace orr
