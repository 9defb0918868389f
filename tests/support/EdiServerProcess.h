#pragma once
// The project's test EDI server (tools/ediserver) run on a free loopback
// port for one test: started by the constructor, stopped by itself after
// its connections or its time limit, and at the latest by the destructor.
#include <sys/types.h>

#include <string>
#include <vector>

namespace orr::test {

class EdiServerProcess {
public:
    // sSaveDir receives the files; extra arguments go to the server as they
    // are (--send, --pieces, --close-after-send, ...). Throws when the
    // server does not come up within a few seconds.
    EdiServerProcess(const std::string& sSaveDir, const std::vector<std::string>& extra = {});
    ~EdiServerProcess();
    EdiServerProcess(const EdiServerProcess&) = delete;
    EdiServerProcess& operator=(const EdiServerProcess&) = delete;

    int Port() const { return mnPort; }
    // Waits until the server has ended (at most nSeconds); true when it has.
    bool WaitForEnd(int nSeconds);
    // What the server printed after its first line, once it has ended.
    const std::string& Output() const { return msOutput; }

private:
    // Reads what the server printed; false when nothing came.
    bool ReadAvailable(int nTimeoutMs);

    pid_t mPid = -1;
    int mFd = -1;
    int mnPort = 0;
    std::string msOutput;
};

}  // namespace orr::test
