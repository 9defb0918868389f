#include "shell/modShellMain.h"

int main(int argc, char** argv) { return orr::gfRunMain(argc, argv); }
