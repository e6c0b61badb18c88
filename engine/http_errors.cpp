#include "engine/http_errors.h"

#include <windows.h>
#include <winhttp.h>

namespace vonu {

namespace {

std::wstring MessageText(DWORD flags, HMODULE module, uint32_t code) {
    wchar_t* buffer = nullptr;
    DWORD n = FormatMessageW(flags | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
                             module, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (n && buffer) text.assign(buffer, n);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' ||
                             text.back() == L'.'))
        text.pop_back();
    return text;
}

}  // namespace

std::wstring ErrorTextFor(uint32_t code) {
    switch (code) {
        case ERROR_WINHTTP_TIMEOUT:
        case WSAETIMEDOUT:  // what Wine reports for a receive time-out
            return L"Connection timed out";
        case ERROR_WINHTTP_NAME_NOT_RESOLVED:
            return L"Server name not found";
        case ERROR_WINHTTP_OPERATION_CANCELLED:
            return L"Cancelled";
        case ERROR_WINHTTP_CANNOT_CONNECT:
        case WSAECONNREFUSED:  // what Wine reports for a refused connection
            return L"Cannot connect to the server";
        case ERROR_WINHTTP_CONNECTION_ERROR:
            return L"Connection to the server was reset";
        case ERROR_WINHTTP_SECURE_FAILURE:
            return L"Secure connection failed (certificate problem)";
        case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:  // also Wine's answer to an untrusted certificate
            return L"Secure connection failed";
        default:
            break;
    }
    std::wstring text = MessageText(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code);
    if (text.empty() && code >= 12000 && code <= 12999)
        if (HMODULE winhttp = GetModuleHandleW(L"winhttp.dll"))
            text = MessageText(FORMAT_MESSAGE_FROM_HMODULE, winhttp, code);
    if (text.empty()) text = L"Error " + std::to_wstring(code);
    return text;
}

}  // namespace vonu
