#include "shell/frmOptions.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "shell/modSeparatorBox.h"
#include "app/modRegistry.h"
#include "shell/frmDirPath.h"
#include "shell/modWebBrowser.h"

namespace orr {
namespace {

QString L1(const std::string& s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }
std::string Engine(const QString& s) { return s.trimmed().toLatin1().toStdString(); }


QLineEdit* NewEdit(QWidget* parent, const char* sName)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(sName));
    return e;
}

// A control number that is not a whole number leaves the stored one as it is.
void StoreNumber(const QLineEdit* box, std::int32_t& nField)
{
    bool bOk = false;
    const int n = box->text().trimmed().toInt(&bOk);
    if (bOk)
        nField = n;
}

}  // namespace

frmOptions::frmOptions(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));

    auto edit = [this](const char* sName) { return NewEdit(this, sName); };
    auto check = [this](const char* sName, const char* sCaption) {
        auto* c = new QCheckBox(QString::fromLatin1(sCaption), this);
        c->setObjectName(QString::fromLatin1(sName));
        return c;
    };
    auto button = [this](const char* sName, const char* sCaption) {
        auto* b = new QPushButton(QString::fromLatin1(sCaption), this);
        b->setObjectName(QString::fromLatin1(sName));
        return b;
    };

    tbsOptions = new QTabBar(this);
    tbsOptions->setObjectName(QStringLiteral("tbsOptions"));
    tbsOptions->addTab(QStringLiteral("General"));
    tbsOptions->addTab(QStringLiteral("Transmission"));
    tbsOptions->addTab(QStringLiteral("Functional Group"));
    tbsOptions->addTab(QStringLiteral("Mail"));

    // General
    picOptions[0] = new QGroupBox(QStringLiteral(" Program General Settings "), this);
    cboDelimiter = new QComboBox(this);
    cboDelimiter->setObjectName(QStringLiteral("cboDelimiter"));
    cboSegDelimiter = new QComboBox(this);
    cboSegDelimiter->setObjectName(QStringLiteral("cboSegDelimiter"));
    txtIncomingDir = edit("txtIncomingDir");
    cmdIncoming = button("cmdIncoming", "...");
    txtOutgoingDir = edit("txtOutgoingDir");
    cmdOutgoing = button("cmdOutgoing", "...");
    auto* expansion = new QGroupBox(QStringLiteral(" Open Doc Expansion "), this);
    chkISA = check("chkISA", "Transmission");
    chkGS = check("chkGS", "Functional Groups");
    chkST = check("chkST", "Transactions");
    auto* expansionLayout = new QVBoxLayout(expansion);
    for (QCheckBox* c : {chkISA, chkGS, chkST})
        expansionLayout->addWidget(c);
    auto withButton = [](QLineEdit* e, QPushButton* b) {
        // Room for an ordinary path without scrolling through it.
        e->setMinimumWidth(e->fontMetrics().averageCharWidth() * 50);
        auto* row = new QHBoxLayout;
        row->addWidget(e, 1);
        row->addWidget(b);
        return row;
    };
    auto* general = new QFormLayout(picOptions[0]);
    general->addRow(QStringLiteral("Data Element Separator:"), cboDelimiter);
    general->addRow(QStringLiteral("Segment Separator:"), cboSegDelimiter);
    general->addRow(QStringLiteral("Incoming Document Directory"), withButton(txtIncomingDir, cmdIncoming));
    general->addRow(QStringLiteral("Outgoing Document Directory"), withButton(txtOutgoingDir, cmdOutgoing));
    general->addRow(expansion);
    txtHomePage = edit("txtHomePage");
    txtHomePage->setPlaceholderText(QStringLiteral("https://..."));
    general->addRow(QStringLiteral("Web Browser Home Page:"), txtHomePage);
    spnRecoverySeconds = new QSpinBox(this);
    spnRecoverySeconds->setObjectName(QStringLiteral("spnRecoverySeconds"));
    spnRecoverySeconds->setRange(0, 3600);
    spnRecoverySeconds->setSuffix(QStringLiteral(" s"));
    spnRecoverySeconds->setSpecialValueText(QStringLiteral("Off"));
    spnRecoverySeconds->setToolTip(
        QStringLiteral("Unsaved changes are kept for recovery this long after the last change."));
    general->addRow(QStringLiteral("Keep Unsaved Changes for Recovery After:"), spnRecoverySeconds);

    // Transmission
    picOptions[1] = new QGroupBox(QStringLiteral(" Transmission Control Header "), this);
    txtExIdQualifier = edit("txtExIdQualifier");
    txtExId = edit("txtExId");
    txtPartnerIxIdQualifier = edit("txtPartnerIxIdQualifier");
    txtPartnerIxId = edit("txtPartnerIxId");
    chkAckRequired = check("chkAckRequired", "Acknowledgement Required");
    chkTest = check("chkTest", "Test Transmission");
    auto* control = new QGroupBox(QStringLiteral(" Interchange Control "), this);
    txtIcId = edit("txtIcId");
    txtIcVersion = edit("txtIcVersion");
    txtIcNumber = edit("txtIcNumber");
    auto* controlLayout = new QFormLayout(control);
    controlLayout->addRow(QStringLiteral("ID:"), txtIcId);
    controlLayout->addRow(QStringLiteral("Version:"), txtIcVersion);
    controlLayout->addRow(QStringLiteral("Number:"), txtIcNumber);
    auto* transmission = new QFormLayout(picOptions[1]);
    transmission->addRow(QStringLiteral("My Interchange ID Qualifier:"), txtExIdQualifier);
    transmission->addRow(QStringLiteral("My Interchange ID:"), txtExId);
    transmission->addRow(QStringLiteral("Partner Interchange ID Qualifier:"), txtPartnerIxIdQualifier);
    transmission->addRow(QStringLiteral("Partner Interchange ID:"), txtPartnerIxId);
    transmission->addRow(chkAckRequired);
    transmission->addRow(chkTest);
    transmission->addRow(control);

    // Functional Group
    picOptions[2] = new QGroupBox(QStringLiteral(" Functional Group Control Parameters "), this);
    txtGSAgencyCode = edit("txtGSAgencyCode");
    txtGSReleaseID = edit("txtGSReleaseID");
    txtGSControlNumber = edit("txtGSControlNumber");
    auto* group = new QFormLayout(picOptions[2]);
    group->addRow(QStringLiteral("Agency Code:"), txtGSAgencyCode);
    group->addRow(QStringLiteral("Release ID:"), txtGSReleaseID);
    group->addRow(QStringLiteral("Control Number:"), txtGSControlNumber);

    picOptions[3] = CreateMailPanel();

    cmdOK = button("cmdOK", "OK");
    cmdOK->setDefault(true);
    cmdCancel = button("cmdCancel", "Cancel");
    cmdApply = button("cmdApply", "&Apply");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tbsOptions);
    for (int i = 0; i < int(picOptions.size()); ++i) {
        picOptions[std::size_t(i)]->setObjectName(QStringLiteral("picOptions%1").arg(i));
        layout->addWidget(picOptions[std::size_t(i)]);
    }
    layout->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {cmdOK, cmdCancel, cmdApply})
        buttons->addWidget(b);
    layout->addLayout(buttons);
    setMinimumSize(460, 420);

    connect(tbsOptions, &QTabBar::currentChanged, this, &frmOptions::ShowSelectedPanel);
    connect(cmdIncoming, &QPushButton::clicked, this, [this] { PickDirectory(txtIncomingDir); });
    connect(cmdOutgoing, &QPushButton::clicked, this, [this] { PickDirectory(txtOutgoingDir); });
    connect(cmdApply, &QPushButton::clicked, this, &frmOptions::CmdApplyClick);
    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::CmdOkClick);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    // A transaction level implies its group and interchange levels.
    connect(chkST, &QCheckBox::toggled, this, [this](bool bOn) {
        if (bOn) {
            chkGS->setChecked(true);
            chkISA->setChecked(true);
        }
    });
    connect(chkGS, &QCheckBox::toggled, this, [this](bool bOn) {
        if (bOn)
            chkISA->setChecked(true);
        else
            chkST->setChecked(false);
    });
    connect(chkISA, &QCheckBox::toggled, this, [this](bool bOn) {
        if (!bOn) {
            chkGS->setChecked(false);
            chkST->setChecked(false);
        }
    });

    Load();
}

QGroupBox* frmOptions::CreateMailPanel()
{
    auto* panel = new QGroupBox(QStringLiteral(" Mail Server "), this);
    txtMailServer = NewEdit(this, "txtMailServer");
    txtMailPort = NewEdit(this, "txtMailPort");
    cboMailSecurity = new QComboBox(this);
    cboMailSecurity->setObjectName(QStringLiteral("cboMailSecurity"));
    cboMailSecurity->addItem(QStringLiteral("None"), QStringLiteral("none"));
    cboMailSecurity->addItem(QStringLiteral("STARTTLS"), QStringLiteral("starttls"));
    cboMailSecurity->addItem(QStringLiteral("SSL/TLS"), QStringLiteral("tls"));
    txtMailUser = NewEdit(this, "txtMailUser");
    txtMailUser->setPlaceholderText(QStringLiteral("empty: the server needs no sign-on"));
    txtMailFrom = NewEdit(this, "txtMailFrom");
    auto* form = new QFormLayout(panel);
    form->addRow(QStringLiteral("Server:"), txtMailServer);
    form->addRow(QStringLiteral("Port:"), txtMailPort);
    form->addRow(QStringLiteral("Security:"), cboMailSecurity);
    form->addRow(QStringLiteral("User Name:"), txtMailUser);
    form->addRow(QStringLiteral("Sender Address:"), txtMailFrom);
    auto* note = new QLabel(QStringLiteral("The password is asked when you send, and kept until the program ends."), this);
    note->setWordWrap(true);
    form->addRow(note);
    connect(cboMailSecurity, &QComboBox::currentIndexChanged, this, &frmOptions::MailSecurityChanged);
    return panel;
}

void frmOptions::LoadMail()
{
    mMail = gfReadMailSettings();
    txtMailServer->setText(QString::fromStdString(mMail.sServer));
    txtMailPort->setText(QString::number(mMail.nPort));
    msShownSecurity = mMail.sSecurity;
    {
        const QSignalBlocker block(cboMailSecurity);
        cboMailSecurity->setCurrentIndex(cboMailSecurity->findData(QString::fromStdString(mMail.sSecurity)));
    }
    txtMailUser->setText(QString::fromStdString(mMail.sUser));
    txtMailFrom->setText(QString::fromStdString(mMail.sFrom));
}

void frmOptions::MailSecurityChanged()
{
    const std::string sSecurity = cboMailSecurity->currentData().toString().toStdString();
    if (txtMailPort->text().trimmed() == QString::number(gfDefaultMailPort(msShownSecurity)))
        txtMailPort->setText(QString::number(gfDefaultMailPort(sSecurity)));
    msShownSecurity = sSecurity;
}

void frmOptions::StoreMail()
{
    mMail.sServer = txtMailServer->text().trimmed().toStdString();
    // A port that is no port keeps the stored one.
    bool bOk = false;
    const int nPort = txtMailPort->text().trimmed().toInt(&bOk);
    if (bOk && nPort > 0 && nPort <= 65535)
        mMail.nPort = nPort;
    mMail.sSecurity = cboMailSecurity->currentData().toString().toStdString();
    mMail.sUser = txtMailUser->text().trimmed().toStdString();
    mMail.sFrom = txtMailFrom->text().trimmed().toStdString();
    gfSaveMailSettings(mMail);
}

void frmOptions::Load()
{
    const clsConfig& c = *gConfig;
    gfFillSeparatorBox(cboSegDelimiter, c.PopulateSelimiter());
    gfFillSeparatorBox(cboDelimiter, c.PopulateDelimiter());
    txtIncomingDir->setText(QString::fromStdString(c.DirIncoming));
    txtOutgoingDir->setText(QString::fromStdString(c.DirOutgoing));
    txtExIdQualifier->setText(L1(c.MyAddrQualifier));
    txtExId->setText(L1(c.MyAddr));
    txtPartnerIxIdQualifier->setText(L1(c.HerAddrQualifier));
    txtPartnerIxId->setText(L1(c.HerAddr));
    txtIcId->setText(L1(c.IsaIcId));
    txtIcVersion->setText(L1(c.IsaIcVersion));
    txtIcNumber->setText(QString::number(c.IsaIcNumber));
    txtGSAgencyCode->setText(L1(c.GsAgencyCode));
    txtGSReleaseID->setText(L1(c.GsReleaseID));
    txtGSControlNumber->setText(QString::number(c.GsControlNumber));
    chkAckRequired->setChecked(c.IsaAckRequired);
    chkTest->setChecked(c.IsaTest);
    {
        // The stored switches are shown as they are, even when inconsistent.
        const QSignalBlocker b1(chkISA), b2(chkGS), b3(chkST);
        chkISA->setChecked(c.OpenISA);
        chkGS->setChecked(c.OpenGS);
        chkST->setChecked(c.OpenST);
    }
    mbOpenISA = c.OpenISA;
    mbOpenGS = c.OpenGS;
    mbOpenST = c.OpenST;
    txtHomePage->setText(QString::fromStdString(gfHomePage()));
    spnRecoverySeconds->setValue(c.RecoverySeconds);
    LoadMail();
    ShowSelectedPanel();
}

void frmOptions::ShowSelectedPanel()
{
    for (int i = 0; i < int(picOptions.size()); ++i) {
        const bool bSelected = i == tbsOptions->currentIndex();
        picOptions[std::size_t(i)]->setVisible(bSelected);
        picOptions[std::size_t(i)]->setEnabled(bSelected);
    }
}

void frmOptions::keyPressEvent(QKeyEvent* event)
{
    const bool bTab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    const int n = tbsOptions->count();
    if (bTab && mods == Qt::ControlModifier) {
        tbsOptions->setCurrentIndex((tbsOptions->currentIndex() + 1) % n);
        return;
    }
    if (bTab && mods == (Qt::ControlModifier | Qt::ShiftModifier)) {
        tbsOptions->setCurrentIndex((tbsOptions->currentIndex() + n - 1) % n);
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmOptions::PickDirectory(QLineEdit* pBox)
{
    frmDirPath picker(pBox->text().toStdString(), this);
    picker.exec();
    if (!picker.Chosen().empty())
        pBox->setText(QString::fromStdString(picker.Chosen()));
}

void frmOptions::StoreAndSave()
{
    clsConfig& c = *gConfig;
    c.Delimiter = clsConfig::S2N(cboDelimiter->currentText().toLatin1().toStdString());
    c.Selimiter = clsConfig::S2N(cboSegDelimiter->currentText().toLatin1().toStdString());
    c.DirOutgoing = txtOutgoingDir->text().trimmed().toStdString();
    c.DirIncoming = txtIncomingDir->text().trimmed().toStdString();
    c.MyAddr = Engine(txtExId->text());
    c.MyAddrQualifier = Engine(txtExIdQualifier->text());
    c.HerAddr = Engine(txtPartnerIxId->text());
    c.HerAddrQualifier = Engine(txtPartnerIxIdQualifier->text());
    c.IsaIcId = Engine(txtIcId->text());
    c.IsaIcVersion = Engine(txtIcVersion->text());
    StoreNumber(txtIcNumber, c.IsaIcNumber);
    c.IsaAckRequired = chkAckRequired->isChecked();
    c.IsaTest = chkTest->isChecked();
    c.GsAgencyCode = Engine(txtGSAgencyCode->text());
    c.GsReleaseID = Engine(txtGSReleaseID->text());
    StoreNumber(txtGSControlNumber, c.GsControlNumber);
    c.OpenDocument = true;
    c.OpenISA = chkISA->isChecked();
    c.OpenGS = chkGS->isChecked();
    c.OpenST = chkST->isChecked();
    c.bOptionsChanged = c.OpenISA != mbOpenISA || c.OpenGS != mbOpenGS || c.OpenST != mbOpenST;
    c.RecoverySeconds = spnRecoverySeconds->value();
    gfSaveRegistry();
    gfSaveHomePage(txtHomePage->text().trimmed().toStdString());
    StoreMail();
}

void frmOptions::CmdApplyClick() { StoreAndSave(); }

void frmOptions::CmdOkClick()
{
    StoreAndSave();
    accept();
}

}  // namespace orr
