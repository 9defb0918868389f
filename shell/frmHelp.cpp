#include "shell/frmHelp.h"

#include <QFileInfo>
#include <QUrl>
#include <QVBoxLayout>

#include "shell/FormRegistry.h"

namespace orr {

frmHelp::frmHelp(const QString& sIndexFile, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Orrindale Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    txtHelp = new QTextBrowser(this);
    txtHelp->setObjectName(QStringLiteral("txtHelp"));
    txtHelp->setOpenExternalLinks(true);
    txtHelp->setSearchPaths({QFileInfo(sIndexFile).absolutePath()});
    txtHelp->setSource(QUrl::fromLocalFile(sIndexFile));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(txtHelp);
    resize(720, 560);
    FormRegistry::Add(this);
}

frmHelp::~frmHelp() { FormRegistry::Remove(this); }

}  // namespace orr
