#pragma once
// Random sequences of the document window's Edit commands on an open
// document, with checks after every step: the tree store's invariants, and
// at the end that undoing everything gives back the original tree exactly,
// redoing everything the final one, and that the written document reads
// back. Shared by the property test, the model test of the shell and the
// fuzz harness; no test framework needed.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "app/UiService.h"
#include "doctree/EdiDocument.h"
#include "editing/DocumentEditor.h"

namespace orr::test {

class RandomEdits {
public:
    // A number from 0 to n - 1 (n > 0).
    using Choose = std::function<std::uint32_t(std::uint32_t n)>;

    // Answers questions and choosers with the choice function; messages are dropped.
    class Ui final : public UiService {
    public:
        explicit Ui(Choose choose) : mChoose(std::move(choose)) {}
        // The answers given since the last call, as "answer A" script lines.
        std::string TakeAnswers() { return std::exchange(msAnswers, {}); }
        MsgAnswer MsgBox(const std::string& sText, MsgButtons buttons, MsgIcon icon,
                         const std::string& sTitle) override;
        std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override
        {
            return std::nullopt;
        }
        int ChooseFromList(const std::string& sPrompt, const std::string& sTitle, const std::vector<std::string>& items,
                           int nSelected) override;

    private:
        Choose mChoose;
        std::string msAnswers;
    };

    RandomEdits(EdiDocument& doc, DocumentEditor& editor, Ui& ui, Choose choose);

    // Runs nSteps commands (with bAllowedOnly, only commands the permission
    // set allows), then the final checks; sWorkFile is where the document is
    // written to be read back. The first failed check, or "".
    std::string Run(int nSteps, const std::string& sWorkFile, bool bAllowedOnly = false);
    // The commands run as a script of `orrindale-cli edit` (a deselection
    // shows as a comment), for reproducing a failure.
    const std::string& Log() const { return msLog; }

    // Texts, tags, images and expanded flags of every node below the root.
    static std::string Dump(EdiDocument& doc);
    // The store's invariants below the root: rows, parents and siblings agree.
    static std::string CheckTree(clsTree& tree, NodeId root);

private:
    void Step();
    void SelectSomeNode();
    static bool Allowed(std::uint32_t nCommand, const EditPermissions& permissions);
    void Command(std::uint32_t nCommand);
    std::string ReadBack(const std::string& sWorkFile);

    EdiDocument& mDoc;
    DocumentEditor& mEditor;
    Ui& mUi;
    Choose mChoose;
    std::string msLog;
    bool mbAllowedOnly = false;
};

}  // namespace orr::test
