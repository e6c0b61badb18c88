#include "engine/ftp_session.h"

#include <windows.h>
#include <wininet.h>

#include <mutex>
#include <vector>

#include "engine/http_errors.h"
#include "engine/user_agent.h"
#include "model/download_manager.h"

namespace vonu {

namespace {

HINTERNET g_session = nullptr;  // manager lock

// The server's last reply on this thread, at most 512 characters, trailing CR and LF removed.
std::wstring LastResponse() {
    DWORD code = 0;
    std::vector<wchar_t> text(513);
    DWORD length = static_cast<DWORD>(text.size());
    if (!InternetGetLastResponseInfoW(&code, text.data(), &length)) {
        // Too long for the buffer: the first 512 characters are all we keep.
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::wstring();
        std::vector<wchar_t> whole(length + 1);
        DWORD wholeLength = length + 1;
        if (!InternetGetLastResponseInfoW(&code, whole.data(), &wholeLength)) return std::wstring();
        length = std::min<DWORD>(wholeLength, 512);
        std::copy(whole.begin(), whole.begin() + length, text.begin());
    }
    std::wstring reply(text.data(), std::min<DWORD>(length, 512));
    const size_t nul = reply.find(L'\0');
    if (nul != std::wstring::npos) reply.resize(nul);
    while (!reply.empty() && (reply.back() == L'\r' || reply.back() == L'\n')) reply.pop_back();
    return reply;
}

}  // namespace

void* FtpSession() {
    std::lock_guard guard(Manager().lock);
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

bool ConnectFtp(DownloadItem& item, const FtpAddress& address, RequestRecord& record, std::wstring& error) {
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
        std::lock_guard guard(Manager().lock);
        if (!item.cancel.load()) {
            record.owner = &item;
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

bool FtpCommandReply(void* connection, const std::wstring& command, std::wstring& reply,
                     std::wstring& error) {
    reply.clear();
    if (!FtpCommandW(static_cast<HINTERNET>(connection), FALSE, FTP_TRANSFER_TYPE_BINARY, command.c_str(), 0,
                     nullptr)) {
        error = FtpErrorText();
        return false;
    }
    reply = LastResponse();
    return true;
}

}  // namespace vonu
