#pragma once
#include <QPointer>
#include <QString>

#include "app/UiService.h"
#include "shell/frmProgress.h"

namespace orr {

// User interaction through Qt dialogs.
class QtUi final : public UiService {
public:
    // How long a new progress window may take to be mapped before the work starts regardless.
    static constexpr int kExposeWaitMs = 500;

    MsgAnswer MsgBox(const std::string& sText, MsgButtons buttons, MsgIcon icon,
                     const std::string& sTitle) override;
    std::optional<std::string> InputBox(const std::string& sPrompt, const std::string& sTitle,
                                        const std::string& sDefault) override;
    int ChooseFromList(const std::string& sPrompt, const std::string& sTitle,
                       const std::vector<std::string>& items, int nSelected) override;

    void ProgressShow() override;
    void ProgressStatus(const std::string& sMessage) override;
    void ProgressRaise() override;
    void ProgressHide() override;
    void ProcessEvents() override;

    frmProgress* Progress() const { return mProgress; }

    // The window a modal dialog belongs to: the active one, but never the
    // splash window, which deletes itself (and its children) after start-up;
    // else the owner (the frame sets itself).
    static QWidget* DialogParent();
    static void SetDialogOwner(QWidget* pOwner);

    // Engine text (8-bit, CR LF line breaks) as shown to the user.
    static QString ToDisplay(const std::string& sText);

private:
    QPointer<frmProgress> mProgress;
};

}  // namespace orr
