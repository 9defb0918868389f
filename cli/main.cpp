#include "cli/CliApp.h"

int main(int argc, char** argv) { return orr::gfCliMain(argc, argv); }
