#pragma once
// The desktop program's entry: splash, configuration, settings, definitions
// and the main frame.
#include "shell/AppPaths.h"

namespace orr {

class frmMain;
class frmSplash;

struct StartResult {
    bool bStarted = false;
    frmMain* pMain = nullptr;      // null after a failed start
    frmSplash* pSplash = nullptr;  // closes itself three seconds later
};

// The start-up sequence on a running QApplication, with gSettings and the
// user-interaction service installed. Creates gConfig.
StartResult Main(const AppPaths& paths);

// Builds the application objects, runs Main and the event loop.
int gfRunMain(int argc, char** argv);

// Closes every window, the frame (with its document windows) first; stops
// when a document window refuses to close.
void gfUnloadAllForms();

}  // namespace orr
