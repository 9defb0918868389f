#include "doctree/RecoveryStore.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/file.h>
#include <system_error>
#include <tuple>
#include <unistd.h>

namespace orr {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMagic = "Orrindale recovery 1\n";
constexpr const char* kLockName = "lock";
constexpr const char* kTempSuffix = ".tmp";

// Paths and names on one line each.
std::string Escaped(std::string_view s)
{
    std::string out;
    for (const char c : s) {
        if (c == '%') out += "%25";
        else if (c == '\n') out += "%0A";
        else if (c == '\r') out += "%0D";
        else out += c;
    }
    return out;
}

std::optional<std::string> Unescaped(std::string_view s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out += s[i];
            continue;
        }
        const std::string_view code = s.substr(i + 1, 2);
        if (code == "25") out += '%';
        else if (code == "0A") out += '\n';
        else if (code == "0D") out += '\r';
        else return std::nullopt;
        i += 2;
    }
    return out;
}

const char* LineEndName(clsTreeDSave::LineEnd lineEnd)
{
    switch (lineEnd) {
    case clsTreeDSave::LineEnd::CrLf: return "crlf";
    case clsTreeDSave::LineEnd::Lf: return "lf";
    default: return "none";
    }
}

template <typename T>
bool Number(std::string_view s, T& value)
{
    const auto r = std::from_chars(s.data(), s.data() + s.size(), value);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

std::string SystemError(int nError, const std::string& sPath)
{
    return std::error_code(nError, std::generic_category()).message() + ": " + sPath;
}

bool WriteAll(int fd, std::string_view s)
{
    while (!s.empty()) {
        const ssize_t n = ::write(fd, s.data(), s.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        s.remove_prefix(std::size_t(n));
    }
    return true;
}

// A rename is on disk only once its folder is.
void SyncFolder(const fs::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool EndsWith(const fs::path& p, const char* sSuffix) { return p.filename().string().ends_with(sSuffix); }

}  // namespace

RecoveryStore::RecoveryStore(std::string sDir) : msDir(std::move(sDir)) {}

RecoveryStore::~RecoveryStore()
{
    for (const int fd : mLocks)
        ::close(fd);
}

int RecoveryStore::Lock(const fs::path& folder)
{
    const int fd = ::open((folder / kLockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool RecoveryStore::OpenSession(std::string& sError)
{
    std::error_code ec;
    fs::create_directories(msDir, ec);
    // Made under a hidden name and locked before it shows, so that no other
    // program starting now takes it for one left behind.
    const std::string sName = std::to_string(::getpid()) + "-" +
                              std::to_string(std::chrono::system_clock::now().time_since_epoch().count());
    const fs::path hidden = fs::path(msDir) / ("." + sName);
    const fs::path shown = fs::path(msDir) / sName;
    if (!ec && fs::create_directory(hidden, ec) && !ec) {
        fs::permissions(hidden, fs::perms::owner_all, ec);
        const int fd = Lock(hidden);
        if (fd >= 0) {
            fs::rename(hidden, shown, ec);
            if (!ec) {
                mLocks.insert(mLocks.begin(), fd);
                msSession = shown.string();
                return true;
            }
        } else {
            ec.assign(errno ? errno : EACCES, std::generic_category());
        }
        if (fd >= 0)
            ::close(fd);
        std::error_code ignored;
        fs::remove_all(hidden, ignored);
    }
    sError = ec.message() + ": " + msDir;
    return false;
}

std::string RecoveryStore::EntryPath(const std::string& sName) const
{
    return (fs::path(msSession) / (sName + kEntrySuffix)).string();
}

void RecoveryStore::CloseSession()
{
    if (msSession.empty())
        return;
    std::error_code ec;
    fs::remove_all(msSession, ec);
    ::close(mLocks.front());
    mLocks.erase(mLocks.begin());
    msSession.clear();
}

std::vector<RecoveryStore::Found> RecoveryStore::TakeLeftBehind()
{
    std::vector<Found> found;
    std::error_code ec;
    for (const fs::directory_entry& session : fs::directory_iterator(msDir, ec)) {
        const std::string sName = session.path().filename().string();
        if (sName.starts_with(".") || session.path() == fs::path(msSession) || !session.is_directory(ec))
            continue;
        const int fd = Lock(session.path());
        if (fd < 0)
            continue;  // its program is running
        mLocks.push_back(fd);
        bool bAny = false;
        for (const fs::directory_entry& file : fs::directory_iterator(session.path(), ec)) {
            const bool bDeclined = EndsWith(file.path(), kDeclinedSuffix);
            if (!bDeclined && !EndsWith(file.path(), kEntrySuffix)) {
                if (EndsWith(file.path(), kTempSuffix))
                    fs::remove(file.path(), ec);  // a write cut short; the entry before it stays
                continue;
            }
            if (std::optional<RecoveryEntry> entry = Read(file.path().string())) {
                found.push_back({file.path().string(), std::move(*entry), bDeclined, file.last_write_time(ec)});
                bAny = true;
            } else {
                fs::remove(file.path(), ec);
            }
        }
        if (!bAny)
            fs::remove_all(session.path(), ec);
    }
    std::sort(found.begin(), found.end(),
              [](const Found& a, const Found& b) { return std::tie(a.written, a.sPath) < std::tie(b.written, b.sPath); });
    return found;
}

void RecoveryStore::Decline(const std::vector<Found>& found)
{
    for (const Found& f : found) {
        if (f.bDeclined) {
            Discard(f.sPath);
            continue;
        }
        fs::path declined(f.sPath);
        declined.replace_extension(kDeclinedSuffix);
        std::error_code ec;
        fs::rename(f.sPath, declined, ec);
    }
}

void RecoveryStore::Discard(const std::string& sPath)
{
    std::error_code ec;
    fs::remove(sPath, ec);
    const fs::path folder = fs::path(sPath).parent_path();
    for (const fs::directory_entry& file : fs::directory_iterator(folder, ec))
        if (file.path().filename() != kLockName)
            return;
    fs::remove_all(folder, ec);
}

bool RecoveryStore::Write(const std::string& sPath, const RecoveryEntry& entry, std::string& sError)
{
    const std::string sTemp = sPath + kTempSuffix;
    const int fd = ::open(sTemp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        sError = SystemError(errno, sPath);
        return false;
    }
    // Flushed to disk before the rename: after a power cut the entry's name
    // holds either the old state or this one, never a file of holes.
    bool bOk = WriteAll(fd, Header(entry)) && WriteAll(fd, entry.sText) && ::fsync(fd) == 0;
    int nError = bOk ? 0 : (errno ? errno : EIO);
    if (::close(fd) != 0 && bOk) {
        bOk = false;
        nError = errno;
    }
    if (bOk && ::rename(sTemp.c_str(), sPath.c_str()) != 0) {
        bOk = false;
        nError = errno;
    }
    if (!bOk) {
        ::unlink(sTemp.c_str());
        sError = SystemError(nError, sPath);
        return false;
    }
    SyncFolder(fs::path(sPath).parent_path());
    return true;
}

std::optional<RecoveryEntry> RecoveryStore::Read(const std::string& sPath)
{
    std::ifstream in(sPath, std::ios::binary);
    if (!in)
        return std::nullopt;
    const std::string sBytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return Parse(sBytes);
}

std::string RecoveryStore::Header(const RecoveryEntry& entry)
{
    std::string s(kMagic);
    s += "file=" + Escaped(entry.sFile) + "\n";
    s += "type=" + Escaped(entry.sType) + "\n";
    s += "delimiter=" + std::to_string(entry.nDelimiter) + "\n";
    s += "selimiter=" + std::to_string(entry.nSelimiter) + "\n";
    s += std::string("lineend=") + LineEndName(entry.lineEnd) + "\n";
    if (entry.stamp)
        s += "stamp=" + std::to_string(entry.stamp->nTime) + " " + std::to_string(entry.stamp->nSize) + "\n";
    s += "text=" + std::to_string(entry.sText.size()) + "\n";
    return s;
}

std::optional<RecoveryEntry> RecoveryStore::Parse(std::string_view sBytes)
{
    if (!sBytes.starts_with(kMagic))
        return std::nullopt;
    sBytes.remove_prefix(kMagic.size());
    RecoveryEntry entry;
    bool bFile = false, bType = false, bDelimiter = false, bSelimiter = false, bLineEnd = false;
    while (true) {
        const std::size_t nEnd = sBytes.find('\n');
        const std::size_t nEq = sBytes.substr(0, nEnd).find('=');
        if (nEnd == std::string_view::npos || nEq == std::string_view::npos)
            return std::nullopt;
        const std::string_view sKey = sBytes.substr(0, nEq), sValue = sBytes.substr(nEq + 1, nEnd - nEq - 1);
        sBytes.remove_prefix(nEnd + 1);
        if (sKey == "text") {
            std::size_t nText = 0;
            // The text is the whole rest: anything else is an entry cut short.
            if (!Number(sValue, nText) || nText != sBytes.size() || !bFile || !bType || !bDelimiter || !bSelimiter ||
                !bLineEnd)
                return std::nullopt;
            entry.sText = sBytes;
            return entry;
        }
        if (sKey == "file" || sKey == "type") {
            std::optional<std::string> s = Unescaped(sValue);
            if (!s)
                return std::nullopt;
            (sKey == "file" ? entry.sFile : entry.sType) = std::move(*s);
            (sKey == "file" ? bFile : bType) = true;
        } else if (sKey == "delimiter" || sKey == "selimiter") {
            if (!Number(sValue, sKey == "delimiter" ? entry.nDelimiter : entry.nSelimiter))
                return std::nullopt;
            (sKey == "delimiter" ? bDelimiter : bSelimiter) = true;
        } else if (sKey == "lineend") {
            if (sValue == "crlf") entry.lineEnd = clsTreeDSave::LineEnd::CrLf;
            else if (sValue == "lf") entry.lineEnd = clsTreeDSave::LineEnd::Lf;
            else if (sValue == "none") entry.lineEnd = clsTreeDSave::LineEnd::None;
            else return std::nullopt;
            bLineEnd = true;
        } else if (sKey == "stamp") {
            const std::size_t nSpace = sValue.find(' ');
            RecoveryEntry::Stamp stamp;
            if (nSpace == std::string_view::npos || !Number(sValue.substr(0, nSpace), stamp.nTime) ||
                !Number(sValue.substr(nSpace + 1), stamp.nSize))
                return std::nullopt;
            entry.stamp = stamp;
        }
        // Other keys come from later versions and are passed over.
    }
}

}  // namespace orr
