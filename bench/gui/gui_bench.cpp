// The document window with a large document, offscreen: the real window
// (frmDocument with its tree model and views), the real clicks.
//   orrindale_bench_gui FILE TYPE [--defs DIR] [--repeat N] [--closed-sets]
//   show:   from the type chosen (frmDocument::EdiFileOpen: definition,
//           reading, matching, the levels the options open) until both
//           views have painted
//   expand: the node with the most children (collapsed, at the top of the
//           view) expands and the view paints its first page of children
//   scroll: one page down, painted
//   select: a click on a row in the middle of the view, until both views
//           have painted the highlights (the schema view follows)
//   expand_all, collapse_all: View > Expand All / Collapse All until both
//           views have painted (once each, after the timed interactions)
//   preview, source: File > Print ... / Edit EDI Source until the window
//           shows its first page (the working file written and indexed);
//           text_rss_added: the peak of resident memory while they show,
//           above what was resident before them
//   rss_closed: resident memory after the window has closed and the
//           program has given memory back as it does after its last document
// Prints one line of key=value pairs; each interaction runs --repeat times
// (5) and reports its median and its slowest. --closed-sets: the options do
// not open the transaction sets (they do by default).
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
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
#include "edi/modGuessEdi.h"
#include "schema/clsDefFiles.h"
#include "shell/TreeModel.h"
#include "shell/frmDocument.h"
#include "shell/frmMain.h"
#include "shell/frmPrintView.h"

namespace {

namespace fs = std::filesystem;
using namespace orr;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

// Everything queued runs, then both views paint now.
void Settle(frmDocument& w)
{
    QApplication::processEvents();
    w.tvc->viewport()->repaint();
    w.tvS->viewport()->repaint();
}

// The node with the most children; segments' elements are not made for it.
NodeId Widest(clsTree& tree, NodeId root)
{
    NodeId best = root;
    std::vector<NodeId> stack{root};
    while (!stack.empty()) {
        const NodeId n = stack.back();
        stack.pop_back();
        if (tree.ChildrenPending(n))
            continue;
        const std::uint32_t nCount = tree.ChildCount(n);
        if (nCount > tree.ChildCount(best))
            best = n;
        for (std::uint32_t i = 0; i < nCount; ++i)
            stack.push_back(tree.Child(n, i));
    }
    return best;
}

// Median and slowest of nRepeat timed runs of fn (prepare runs untimed first).
std::pair<double, double> Time(int nRepeat, const std::function<void()>& prepare, const std::function<void()>& fn)
{
    std::vector<double> d;
    for (int i = 0; i < nRepeat; ++i) {
        prepare();
        const auto t0 = Clock::now();
        fn();
        d.push_back(Seconds(t0));
    }
    std::sort(d.begin(), d.end());
    return {d[d.size() / 2], d.back()};
}

// Seconds from the command until its preview window has painted; the window is closed then.
double UntilShown(frmDocument& w, DocCommand command)
{
    double d = 0;
    const auto t0 = Clock::now();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* view = qobject_cast<frmPrintView*>(QApplication::activeModalWidget())) {
            poll.stop();
            view->repaint();
            d = Seconds(t0);
            view->reject();
        }
    });
    poll.start(1);
    w.Run(command);
    return d;
}

// The kernel's high-water mark of resident memory starts again from what is
// resident now (Linux 4.0 and later; nothing happens elsewhere).
void ResetPeak()
{
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

// VmHWM: the peak since the last ResetPeak (or since the start).
long long PeakBytes()
{
    long long nKb = 0;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmHWM: %lld kB", &nKb) == 1)
                break;
        std::fclose(f);
    }
    return nKb * 1024;
}

long long ResidentBytes()
{
    long long nPages = 0, nResident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%lld %lld", &nPages, &nResident) != 2)
            nResident = 0;
        std::fclose(f);
    }
    return nResident * sysconf(_SC_PAGESIZE);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: orrindale_bench_gui FILE TYPE [--defs DIR] [--repeat N] [--closed-sets]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const std::string sFile = argv[1], sType = argv[2];
    std::string sDefs = fs::path(argv[0]).parent_path().string();
    int nRepeat = 5;
    bool bClosedSets = false;
    for (int i = 3; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--defs") && i + 1 < argc)
            sDefs = argv[++i];
        else if (!std::strcmp(argv[i], "--repeat") && i + 1 < argc)
            nRepeat = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--closed-sets"))
            bClosedSets = true;
    }
    BenchEnv env(sDefs, "orrindale-bench-gui");
    clsConfig& config = env.config;
    clsDefFiles& files = env.files;
    if (bClosedSets)
        config.OpenST = false;
    SepCode nDelimiter = 0, nSelimiter = 0;
    if (!files.RefreshBinFile() || !gfGuessEdi(sFile, nDelimiter, nSelimiter)) {
        std::fprintf(stderr, "cannot read %s or the separators of %s\n", config.DefinitionFile.c_str(), sFile.c_str());
        return 1;
    }
    {
        frmDocument w(QStringLiteral("Document 1"));
        w.resize(1200, 900);
        w.show();
        QApplication::processEvents();

        auto t0 = Clock::now();
        const bool bOpen = w.EdiFileOpen({sFile, nDelimiter, nSelimiter, sType, EdiDocument::NewContent::Skeleton, QStringLiteral("Document 1")});
        const double dOpen = Seconds(t0);
        Settle(w);
        const double dShow = Seconds(t0);
        if (!bOpen) {
            std::fprintf(stderr, "%s did not open as %s\n", sFile.c_str(), sType.c_str());
            return 1;
        }

        auto* model = static_cast<TreeModel*>(w.tvc->model());
        const NodeId widest = Widest(w.DocTree(), w.RootD().Id());
        const QModelIndex iWidest = model->IndexOf(widest);
        for (QModelIndex up = iWidest.parent(); up.isValid(); up = up.parent())
            w.tvc->expand(up);
        const auto expand = Time(
            nRepeat,
            [&] {
                w.tvc->collapse(iWidest);
                w.tvc->scrollTo(iWidest, QAbstractItemView::PositionAtTop);
                Settle(w);
            },
            [&] {
                w.tvc->expand(iWidest);
                Settle(w);
            });

        QScrollBar* bar = w.tvc->verticalScrollBar();
        const auto scroll = Time(nRepeat, [] {}, [&] {
            bar->setValue(bar->value() + bar->pageStep());
            Settle(w);
        });

        int nClick = 0;
        const auto select = Time(nRepeat, [] {}, [&] {
            const QPoint at(60, w.tvc->viewport()->height() / 2 + (nClick++ % 3) * 20);
            QTest::mouseClick(w.tvc->viewport(), Qt::LeftButton, {}, at);
            Settle(w);
        });

        auto t1 = Clock::now();
        w.ExpandAll(true);
        Settle(w);
        const double dExpandAll = Seconds(t1);
        t1 = Clock::now();
        w.ExpandAll(false);
        Settle(w);
        const double dCollapseAll = Seconds(t1);
        // What the two text windows take beyond the open document.
        const long long nBeforeText = ResidentBytes();
        ResetPeak();
        const double dPreview = UntilShown(w, DocCommand::Print), dSource = UntilShown(w, DocCommand::EditSource);
        const long long nTextPeak = PeakBytes() - nBeforeText;

        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        std::printf("bytes=%lld show_s=%.6f open_s=%.6f nodes=%zu widest=%u expand_s=%.6f expand_max_s=%.6f scroll_s=%.6f "
                    "scroll_max_s=%.6f select_s=%.6f select_max_s=%.6f expand_all_s=%.6f collapse_all_s=%.6f "
                    "preview_s=%.6f source_s=%.6f text_rss_added=%lld nerror=%d rss_peak=%lld ",
                    static_cast<long long>(fs::file_size(sFile)), dShow, dOpen, w.DocTree().NodeCount(),
                    w.DocTree().ChildCount(widest), expand.first, expand.second, scroll.first, scroll.second,
                    select.first, select.second, dExpandAll, dCollapseAll, dPreview, dSource, nTextPeak,
                    int(w.Document().BuildError()),
                    static_cast<long long>(u.ru_maxrss) * 1024);
    }
    frmMain::GiveMemoryBack();
    std::printf("rss_closed=%lld\n", ResidentBytes());
    return 0;
}
