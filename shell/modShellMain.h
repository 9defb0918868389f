#pragma once
// The desktop program's entry: splash, configuration, settings, definitions
// and the main frame.
#include "shell/AppPaths.h"

class QWidget;

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

// Closes every window, pFrame (with its document windows) first; stops
// when a document window refuses to close.
void gfUnloadAllForms(QWidget* pFrame);

}  // namespace orr
