#include "shell/frmMain.h"

#include <QScreen>

#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "shell/FormRegistry.h"
#include "shell/Twips.h"

namespace orr {

frmMain::frmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Orrindale"));
    mMdi = new QMdiArea(this);
    mMdi->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(mMdi);
    statusBar();

    if (gConfig && gConfig->DefaultWidth > 0) {
        const double dpi = screen() ? screen()->logicalDotsPerInchX() : 96.0;
        setGeometry(gfTwipsToPixels(gConfig->DefaultLeft, dpi), gfTwipsToPixels(gConfig->DefaultTop, dpi),
                    gfTwipsToPixels(gConfig->DefaultWidth, dpi), gfTwipsToPixels(gConfig->DefaultHeight, dpi));
    } else {
        resize(1024, 720);
    }
    FormRegistry::Add(this);
}

frmMain::~frmMain() { FormRegistry::Remove(this); }

}  // namespace orr
