#include "shell/frmProgress.h"

#include <QVBoxLayout>

#include "shell/FormRegistry.h"

namespace orr {

frmProgress::frmProgress(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(QStringLiteral("Working ..."));
    mTxtStatus = new QLabel(QStringLiteral("Working ..."), this);
    mTxtStatus->setObjectName(QStringLiteral("txtStatus"));
    mTxtStatus->setMinimumWidth(320);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mTxtStatus);
    FormRegistry::Add(this);
}

frmProgress::~frmProgress() { FormRegistry::Remove(this); }

void frmProgress::SetStatus(const QString& sText)
{
    mTxtStatus->setText(sText);
    repaint();
    raise();
}

}  // namespace orr
