#include "net/clsMail.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>

#include "app/UiService.h"
#include "app/modText.h"

namespace orr {
namespace {

using Easy = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using Mime = std::unique_ptr<curl_mime, decltype(&curl_mime_free)>;
using SList = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;

constexpr int kMissingInput = -1;  // nError when nothing was sent because a field is empty

void Append(SList& list, const std::string& sLine)
{
    // The head stays the same once the list has one; a failed append keeps the list.
    if (curl_slist* p = curl_slist_append(list.get(), sLine.c_str())) {
        (void)list.release();
        list.reset(p);
    }
}

// Header values on one line: a line break would start a header of its own.
std::string OneLine(std::string s)
{
    for (char& c : s)
        if (c == '\r' || c == '\n')
            c = ' ';
    return s;
}

// Mail text lines end in CR LF; the editor and the shell give LF alone.
std::string CrLf(const std::string& s)
{
    std::string out;
    out.reserve(s.size() + s.size() / 32);
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' || s[i] == '\n') {
            out += "\r\n";
            if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
                ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string Base64(const std::string& s)
{
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < s.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, s.size() - i);
        unsigned v = 0;
        for (std::size_t k = 0; k < 3; ++k)
            v = v << 8 | (k < n ? static_cast<unsigned char>(s[i + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            out += k <= n ? kDigits[(v >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}

std::string Url(const MailServer& server)
{
    const bool bIpv6 = server.sServer.find(':') != std::string::npos;
    const std::string sHost = bIpv6 ? "[" + server.sServer + "]" : server.sServer;
    const char* sScheme = server.security == MailSecurity::Tls ? "smtps://" : "smtp://";
    return sScheme + sHost + ":" + std::to_string(server.nPort);
}

std::string ToHeader(const std::vector<std::string>& to)
{
    std::string s;
    for (const std::string& sEntry : to)
        s += (s.empty() ? "" : ", ") + OneLine(sEntry);
    return s;
}

// Keeps a window painted while the server takes its time.
int OnProgress(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    gfUi().ProcessEvents();
    return 0;
}

}  // namespace

std::string clsMail::AddressOf(const std::string& sEntry)
{
    const auto open = sEntry.rfind('<');
    const auto close = sEntry.rfind('>');
    if (open != std::string::npos && close != std::string::npos && close > open)
        return sEntry.substr(open + 1, close - open - 1);
    return std::string(gfTrimBlanks(sEntry));
}

std::string clsMail::DateHeader(long long nSeconds)
{
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t t = static_cast<std::time_t>(nSeconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    // Names by hand: strftime's follow the user's locale.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s, %02d %s %04d %02d:%02d:%02d +0000", kDays[tm.tm_wday], tm.tm_mday,
                  kMonths[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

std::string clsMail::EncodeHeader(const std::string& sText)
{
    const std::string s = OneLine(sText);
    bool bAscii = true;
    for (char c : s)
        bAscii = bAscii && c >= 0x20 && c < 0x7F;
    if (bAscii)
        return s;
    // Encoded words stay under 76 characters; a word never splits a UTF-8 sequence.
    std::string out;
    std::size_t i = 0;
    while (i < s.size()) {
        std::size_t n = std::min<std::size_t>(45, s.size() - i);
        while (i + n < s.size() && (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80 && n > 1)
            --n;
        out += (out.empty() ? "" : " ") + std::string("=?UTF-8?B?") + Base64(s.substr(i, n)) + "?=";
        i += n;
    }
    return out;
}

bool clsMail::LoginDenied() const { return nError == CURLE_LOGIN_DENIED; }

bool clsMail::Fail(int nCode, const std::string& sReason)
{
    nError = nCode;
    sError = sReason;
    return false;
}

bool clsMail::Send(const MailServer& server, const MailMessage& message)
{
    nError = 0;
    sError.clear();
    if (server.sServer.empty())
        return Fail(kMissingInput, "No mail server set");
    if (server.sFrom.empty())
        return Fail(kMissingInput, "No sender address set");
    if (message.to.empty())
        return Fail(kMissingInput, "No recipient address");

    Easy easy(curl_easy_init(), &curl_easy_cleanup);
    if (!easy)
        return Fail(CURLE_FAILED_INIT, curl_easy_strerror(CURLE_FAILED_INIT));
    CURL* c = easy.get();
    char errbuf[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errbuf);
    curl_easy_setopt(c, CURLOPT_URL, Url(server).c_str());
    curl_easy_setopt(c, CURLOPT_USE_SSL, server.security == MailSecurity::StartTls ? CURLUSESSL_ALL : CURLUSESSL_NONE);
    if (!server.sUser.empty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, server.sUser.c_str());
        curl_easy_setopt(c, CURLOPT_PASSWORD, server.sPassword.c_str());
    }
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, nTimeoutSeconds);
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, nTimeoutSeconds);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, nTimeoutSeconds);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &OnProgress);

    const std::string sFrom = clsMail::AddressOf(server.sFrom);
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, sFrom.c_str());
    SList recipients(nullptr, &curl_slist_free_all);
    for (const std::string& sEntry : message.to)
        Append(recipients, AddressOf(sEntry));
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, recipients.get());

    SList headers(nullptr, &curl_slist_free_all);
    Append(headers, "Date: " + DateHeader(std::time(nullptr)));
    Append(headers, "From: " + OneLine(server.sFrom));
    Append(headers, "To: " + ToHeader(message.to));
    Append(headers, "Subject: " + EncodeHeader(message.sSubject));
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());

    Mime mime(curl_mime_init(c), &curl_mime_free);
    curl_mimepart* text = curl_mime_addpart(mime.get());
    const std::string sBody = CrLf(message.sBody);
    curl_mime_data(text, sBody.data(), sBody.size());
    curl_mime_type(text, "text/plain; charset=UTF-8");
    curl_mime_encoder(text, "quoted-printable");
    if (!message.sAttachedFile.empty()) {
        curl_mimepart* file = curl_mime_addpart(mime.get());
        // Names the part after the file; fails at once when the file cannot be read.
        if (const CURLcode rc = curl_mime_filedata(file, message.sAttachedFile.c_str()); rc != CURLE_OK)
            return Fail(rc, std::string(curl_easy_strerror(rc)) + ": " + message.sAttachedFile);
        curl_mime_type(file, "application/octet-stream");
        curl_mime_encoder(file, "base64");
    }
    curl_easy_setopt(c, CURLOPT_MIMEPOST, mime.get());

    if (const CURLcode rc = curl_easy_perform(c); rc != CURLE_OK)
        return Fail(rc, *errbuf ? errbuf : curl_easy_strerror(rc));
    return true;
}

}  // namespace orr
