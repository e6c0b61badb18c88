#include "engine/ftp_session.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <mutex>
#include <string>

#include "engine/http_errors.h"
#include "engine/user_agent.h"
#include "model/download_manager.h"

namespace vonu {

namespace {

std::mutex g_sessionLock;
HINTERNET g_session = nullptr;  // g_sessionLock; opened once, kept until the process ends

// The server's reply bytes as text: UTF-8 when they are valid UTF-8, else the ANSI code page.
std::wstring ReplyText(const std::string& bytes) {
    for (UINT codePage : {static_cast<UINT>(CP_UTF8), static_cast<UINT>(CP_ACP)}) {
        const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
        const int n =
            MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        if (n <= 0) continue;
        std::wstring text(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
        return text;
    }
    return std::wstring();
}

// The server's last reply on this thread, at most 512 characters, trailing CR and LF removed.
// Read as bytes (the wide function would read them in the ANSI code page).
std::wstring LastResponse() {
    DWORD code = 0;
    std::string bytes(2048, '\0');
    DWORD length = static_cast<DWORD>(bytes.size());
    if (!InternetGetLastResponseInfoA(&code, bytes.data(), &length)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::wstring();
        bytes.assign(static_cast<size_t>(length) + 1, '\0');
        length = static_cast<DWORD>(bytes.size());
        if (!InternetGetLastResponseInfoA(&code, bytes.data(), &length)) return std::wstring();
    }
    bytes.resize(std::min<size_t>(length, bytes.size()));
    const size_t nul = bytes.find('\0');
    if (nul != std::string::npos) bytes.resize(nul);
    std::wstring reply = ReplyText(bytes);
    if (reply.size() > 512) {
        reply.resize(512);
        if (IS_HIGH_SURROGATE(reply.back())) reply.pop_back();  // no half of a character
    }
    while (!reply.empty() && (reply.back() == L'\r' || reply.back() == L'\n')) reply.pop_back();
    return reply;
}

}  // namespace

void* FtpSession() {
    std::lock_guard guard(g_sessionLock);
    if (g_session) return g_session;
    HINTERNET session = InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session) return nullptr;
    DWORD timeout = kFtpTimeoutMs;
    InternetSetOptionW(session, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
    InternetSetOptionW(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
    InternetSetOptionW(session, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
    g_session = session;
    return g_session;
}

bool ConnectFtp(DownloadManager& m, DownloadItem& item, const FtpAddress& address, RequestRecord& record, std::wstring& error) {
    ReleaseRequest(record);    // a record is used for one request at a time
    if (item.cancel.load()) {  // no login for a download that is already stopping
        error = L"Cancelled";
        return false;
    }
    HINTERNET session = FtpSession();
    if (!session) {
        error = FtpErrorText();
        return false;
    }
    HINTERNET connection =
        InternetConnectW(session, address.host.c_str(), address.port, address.user.c_str(),
                         address.password.c_str(), INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
    if (!connection) {
        error = FtpErrorText();
        return false;
    }
    {
        std::lock_guard guard(m.lock);
        if (!item.cancel.load()) {
            record.owner = &item;
            record.ownerLock = &m.lock;
            record.winInet = true;
            record.connection = connection;
            record.closed = false;
            item.openRequests.insert(&record);
            return true;
        }
    }
    // Stopped while logging in: the stop could not see this connection, so close it here.
    InternetCloseHandle(connection);
    error = L"Cancelled";
    return false;
}

std::wstring FtpErrorText() {
    const DWORD code = GetLastError();
    switch (code) {
        case ERROR_INTERNET_TIMEOUT:
            return L"Connection timed out";
        case ERROR_INTERNET_EXTENDED_ERROR: {
            std::wstring reply = LastResponse();
            if (!reply.empty()) return L"FTP server: " + reply;
            break;
        }
        case ERROR_INTERNET_NAME_NOT_RESOLVED:
            return L"Server name not found";
        case ERROR_INTERNET_LOGIN_FAILURE:
            return L"The site did not accept the saved user name and password";
        case ERROR_INTERNET_CANNOT_CONNECT:
            return L"Cannot connect to the server";
        default:
            break;
    }
    return ErrorTextFor(code);
}

bool FtpCommandReply(void* connection, const std::string& command, std::wstring& reply, std::wstring& error) {
    reply.clear();
    if (!FtpCommandA(static_cast<HINTERNET>(connection), FALSE, FTP_TRANSFER_TYPE_BINARY, command.c_str(), 0,
                     nullptr)) {
        error = FtpErrorText();
        return false;
    }
    reply = LastResponse();
    return true;
}

}  // namespace vonu
