#pragma once
// A file's text read in place: the file mapped into memory, so that a
// document's segment texts are the file's own pages in the page cache
// rather than a copy (no copy while opening, and the pages are the kernel's
// to drop and read back, not ours to keep).
//
// Why it is safe. A mapped file that another program truncates or rewrites
// would change our texts under us, or fault on the next read. So the file
// is mapped only under a read lease: before any program (this one
// included) may open it for writing or truncate it, the kernel tells a
// helper thread, which copies the text into private memory at the same
// addresses and then lets the writer go on. Texts already handed out stay
// valid and unchanged throughout. Where no lease can be had (a file of
// another user, a network file system, another system than Linux), Open
// gives nothing and the caller reads the file as before.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace orr {

class clsFileMapping {
public:
    // The file mapped under a lease, or null: not a regular non-empty file,
    // no lease, no mapping.
    static std::unique_ptr<clsFileMapping> Open(const std::string& sFile);
    ~clsFileMapping();
    clsFileMapping(const clsFileMapping&) = delete;
    clsFileMapping& operator=(const clsFileMapping&) = delete;

    std::string_view Text() const { return {mp, mnSize}; }
    // Faults in the pages of [nFrom, nFrom + n) at once, ahead of reading them.
    void Load(std::size_t nFrom, std::size_t n) const;
    // Takes the pages of [nFrom, nFrom + n) out of this process's memory;
    // the next read brings them back from the file. Nothing once the text
    // is a private copy.
    void Release(std::size_t nFrom, std::size_t n) const;

    struct Watcher;

private:
    clsFileMapping(int fd, char* p, std::size_t nSize);
    // The text into private memory at the same addresses; the lease given up.
    void TakeCopy();

    int mfd;
    char* mp;
    std::size_t mnSize;
};

}  // namespace orr
