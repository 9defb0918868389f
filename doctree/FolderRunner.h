#pragma once
// Runs one job per file over many files, in worker processes (each a copy
// of this one, definitions loaded), and hands the results back in the order
// the files were given, whatever order the workers finish in. A worker that
// dies takes only its file with it: that file's result says so and a new
// worker takes over. Messages a job shows are kept with its result.
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace orr {

class FolderRunner {
public:
    struct Result {
        int nStatus = 0;   // the job's own code; kDied when its worker ended
        std::string sOut;  // what the job has to say (lines for standard output)
        std::string sLog;  // the messages it showed, one a line
    };
    static constexpr int kDied = -1;
    using Job = std::function<Result(const std::string& sFile)>;
    // Called once per file, in file order.
    using Deliver = std::function<void(std::size_t nIndex, const Result& result)>;
    // Called between results and while waiting; false stops the run (the
    // files not delivered yet are not).
    using Idle = std::function<bool()>;

    // The files paths name, in order: a file as given; a folder's files
    // sorted by name (with bRecursive, each subfolder's after the folder's own
    // files, the same way); "-": file names read from in, one a line.
    static std::vector<std::string> ExpandPaths(const std::vector<std::string>& paths, bool bRecursive,
                                                std::istream& in);

    // Runs job on every file with at most nJobs workers at once (1: in this
    // process, one file after another). False when stopped by idle.
    static bool Run(const std::vector<std::string>& files, unsigned nJobs, const Job& job, const Deliver& deliver,
                    const Idle& idle = {});

    // The number of processors, at least 1.
    static unsigned DefaultJobs();
};

}  // namespace orr
