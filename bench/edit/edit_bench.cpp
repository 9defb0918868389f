// Structural edits of whole transaction sets in the real document window on
// a large document, as the user runs them: delete, undo, redo, cut and
// paste (a move), copy and paste, each timed from the command until the view
// has repainted. The window shows the tree as opened, and with --expand
// the twenty sets around the one edited wholly expanded, as when the user
// works there; the scroll position and the expanded rows are checked after
// every step.
//   orrindale_bench_edit FILE TYPE [--defs DIR] [--expand]
// Prints one line of key=value pairs (seconds; expanded_kept=1 when the
// view kept its expanded rows, scrolled_after the commands after which it had
// scrolled, resets=0 when no step reset the model).
#include <unistd.h>

#include <QApplication>
#include <QScrollBar>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/common/BenchEnv.h"
#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "doctree/modNodeD.h"
#include "edi/modGuessEdi.h"
#include "schema/clsDefFiles.h"
#include "shell/TreeModel.h"
#include "shell/frmDocument.h"

namespace {

namespace fs = std::filesystem;
using namespace orr;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

// The transaction sets of the document, in order.
std::vector<NodeId> Transactions(const TreeNode& root)
{
    std::vector<NodeId> sets;
    for (TreeNode x = root.FirstChild(); x; x = x.Next())
        for (TreeNode f = x.FirstChild(); f; f = f.Next())
            for (TreeNode t = f.FirstChild(); t; t = t.Next())
                if (gfDnodeType(t) == 'T')
                    sets.push_back(t.Id());
    return sets;
}

std::size_t Count(const TreeNode& nd)
{
    std::size_t n = 1;
    for (TreeNode c = nd.FirstChild(); c; c = c.Next())
        n += Count(c);
    return n;
}

class Bench {
public:
    explicit Bench(frmDocument& w) : mW(w), mModel(static_cast<TreeModel*>(w.tvc->model()))
    {
        QObject::connect(mModel, &QAbstractItemModel::modelAboutToBeReset, [this] { ++mnResets; });
    }

    // Runs a command on the node and waits until the view has painted it.
    double Time(NodeId node, DocCommand command)
    {
        if (node)
            mW.NodeClick(node);
        QApplication::processEvents();
        const int nScroll = mW.tvc->verticalScrollBar()->value();
        const auto t0 = Clock::now();
        mW.Run(command);
        QApplication::processEvents();
        mW.tvc->viewport()->repaint();
        const double d = Seconds(t0);
        // The rows above stay where they were: the view does not jump.
        if (mW.tvc->verticalScrollBar()->value() != nScroll)
            msMoved += (msMoved.empty() ? "" : ",") + std::to_string(static_cast<int>(command));
        return d;
    }
    // The expanded rows of the first sets, as the view shows them.
    std::vector<bool> Expansion(const std::vector<NodeId>& sets)
    {
        std::vector<bool> shown;
        for (std::size_t i = 0; i < sets.size() && i < 200; ++i)
            shown.push_back(mW.tvc->isExpanded(mModel->IndexOf(sets[i])));
        return shown;
    }
    void Expect(bool b) { mbKept = mbKept && b; }
    bool Kept() const { return mbKept; }
    // The commands (by number) after which the view had scrolled.
    const std::string& Moved() const { return msMoved; }
    int Resets() const { return mnResets; }

private:
    frmDocument& mW;
    TreeModel* mModel;
    bool mbKept = true;
    std::string msMoved;
    int mnResets = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: orrindale_bench_edit FILE TYPE [--defs DIR] [--expand]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string sFile = argv[1], sType = argv[2];
    std::string sDefs = fs::path(argv[0]).parent_path().string();
    bool bExpand = false;
    for (int i = 3; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--defs") && i + 1 < argc)
            sDefs = argv[++i];
        else if (!std::strcmp(argv[i], "--expand"))
            bExpand = true;
    }
    BenchEnv env(sDefs, "orrindale-bench-edit");
    clsConfig& config = env.config;
    clsDefFiles& files = env.files;
    SepCode nDelimiter = 0, nSelimiter = 0;
    if (!files.RefreshBinFile() || !gfGuessEdi(sFile, nDelimiter, nSelimiter)) {
        std::fprintf(stderr, "cannot read %s or %s\n", config.DefinitionFile.c_str(), sFile.c_str());
        return 1;
    }
    int nExit = 1;
    {
        auto* w = new frmDocument(QStringLiteral("Document 1"));
        auto t0 = Clock::now();
        if (!w->EdiFileOpen({sFile, nDelimiter, nSelimiter, sType, EdiDocument::NewContent::Skeleton, QStringLiteral("Document 1")})) {
            std::fprintf(stderr, "cannot open %s as %s\n", sFile.c_str(), sType.c_str());
            return 1;
        }
        w->resize(900, 700);
        w->show();
        QApplication::processEvents();
        const double dOpen = Seconds(t0);
        const std::vector<NodeId> sets = Transactions(w->RootD());
        if (sets.size() < 24) {
            std::fprintf(stderr, "only %zu transaction sets\n", sets.size());
            return 1;
        }
        const std::size_t nMid = sets.size() / 2;
        auto* model = static_cast<TreeModel*>(w->tvc->model());
        std::size_t nRows = 0;
        for (std::size_t i = nMid - 10; bExpand && i < nMid + 10; ++i) {
            w->tvc->expandRecursively(model->IndexOf(sets[i]));
            nRows += Count(w->DocTree().Node(sets[i]));
        }
        Bench bench(*w);
        const std::vector<bool> expanded = bench.Expansion(sets);
        std::printf("sets=%zu nodes=%zu open_s=%.3f expanded_nodes=%zu", sets.size(), w->DocTree().NodeCount(), dOpen,
                    nRows);
        std::printf(" delete_s=%.4f", bench.Time(sets[nMid], DocCommand::Delete));
        std::printf(" undo_delete_s=%.4f", bench.Time({}, DocCommand::Undo));
        std::printf(" redo_delete_s=%.4f", bench.Time({}, DocCommand::Redo));
        bench.Time({}, DocCommand::Undo);
        bench.Expect(bench.Expansion(sets) == expanded);
        // A move: cut one set, paste it five sets further on.
        std::printf(" cut_s=%.4f", bench.Time(sets[nMid], DocCommand::Cut));
        std::printf(" paste_move_s=%.4f", bench.Time(sets[nMid + 5], DocCommand::Paste));
        std::printf(" undo_move_s=%.4f", bench.Time({}, DocCommand::Undo));
        bench.Expect(bench.Expansion(sets) == expanded);
        bench.Time(sets[nMid], DocCommand::Copy);
        std::printf(" paste_copy_s=%.4f", bench.Time(sets[nMid + 5], DocCommand::Paste));
        std::printf(" undo_copy_s=%.4f", bench.Time({}, DocCommand::Undo));
        bench.Expect(bench.Expansion(sets) == expanded);
        std::printf(" expanded_kept=%d scrolled_after=%s resets=%d\n", int(bench.Kept()),
                    bench.Moved().empty() ? "none" : bench.Moved().c_str(), bench.Resets());
        nExit = 0;
        w->Document().SetModified(false);
        delete w;
    }
    return nExit;
}
