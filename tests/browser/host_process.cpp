#include "tests/browser/host_process.h"

#include <vector>

#include "tests/support/process.h"

namespace vonu::test {
namespace {

// The test's environment with APPDATA replaced, as a Unicode environment block.
std::vector<wchar_t> EnvironmentWith(const std::wstring& appData) {
    std::vector<wchar_t> block;
    wchar_t* env = GetEnvironmentStringsW();
    for (const wchar_t* p = env; *p; p += wcslen(p) + 1) {
        if (_wcsnicmp(p, L"APPDATA=", 8) == 0) continue;
        block.insert(block.end(), p, p + wcslen(p) + 1);
    }
    FreeEnvironmentStringsW(env);
    const std::wstring entry = L"APPDATA=" + appData;
    block.insert(block.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
    block.push_back(L'\0');
    return block;
}

}  // namespace

std::string NativeFrame(std::string_view body, uint32_t length) {
    std::string frame(4, '\0');
    for (int i = 0; i < 4; ++i) frame[i] = static_cast<char>(length >> (8 * i) & 0xFF);
    return frame + std::string(body);
}

std::string NativeFrame(std::string_view body) { return NativeFrame(body, static_cast<uint32_t>(body.size())); }

HostProcess::HostProcess(const std::wstring& appData, const std::wstring& exe) {
    HANDLE childIn = nullptr, childOut = nullptr;
    if (!CreatePipe(&childIn, &input_, nullptr, 0) || !CreatePipe(&output_, &childOut, nullptr, 1 << 16)) return;
    // Only the child's ends are inherited (tests start hosts from one thread at a time).
    SetHandleInformation(childIn, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    SetHandleInformation(childOut, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = childIn;
    si.hStdOutput = childOut;
    si.hStdError = childOut;
    const std::wstring program = exe.empty() ? VonuExePath() : exe;
    std::wstring line = L"\"" + program + L"\" " + kTestOrigin;
    std::vector<wchar_t> env;
    if (!appData.empty()) env = EnvironmentWith(appData);
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                       env.empty() ? nullptr : env.data(), nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        process_ = pi.hProcess;
    }
    CloseHandle(childIn);
    CloseHandle(childOut);
}

HostProcess::~HostProcess() {
    CloseInput();
    if (process_) {
        if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) TerminateProcess(process_, 99);
        CloseHandle(process_);
    }
    if (output_) CloseHandle(output_);
}

void HostProcess::Write(std::string_view bytes, size_t piece) {
    if (!input_) return;
    const size_t step = piece ? piece : bytes.size();
    for (size_t at = 0; at < bytes.size(); at += step) {
        DWORD written = 0;
        if (!WriteFile(input_, bytes.data() + at, static_cast<DWORD>(std::min(step, bytes.size() - at)), &written,
                       nullptr))
            return;
        if (piece) Sleep(2);
    }
}

void HostProcess::CloseInput() {
    if (input_) CloseHandle(input_);
    input_ = nullptr;
}

std::optional<std::string> HostProcess::ReadReply(DWORD milliseconds) {
    std::string got;
    uint32_t want = 4;
    bool haveLength = false;
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (got.size() < want) {
        DWORD available = 0;
        if (!PeekNamedPipe(output_, nullptr, 0, nullptr, &available, nullptr)) return std::nullopt;  // ended
        if (available == 0) {
            if (GetTickCount64() >= end) return std::nullopt;
            Sleep(2);
            continue;
        }
        std::string chunk(std::min<DWORD>(available, want - static_cast<uint32_t>(got.size())), '\0');
        DWORD read = 0;
        if (!ReadFile(output_, chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr)) return std::nullopt;
        got.append(chunk.data(), read);
        if (!haveLength && got.size() == 4) {
            const auto* b = reinterpret_cast<const unsigned char*>(got.data());
            want = 4 + (b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24);
            haveLength = true;
        }
    }
    return got.substr(4);
}

bool HostProcess::WaitEnd(DWORD milliseconds) {
    return process_ && WaitForSingleObject(process_, milliseconds) == WAIT_OBJECT_0;
}

std::optional<std::string> AskHost(std::string_view request, const std::wstring& appData, DWORD milliseconds) {
    HostProcess host(appData);
    if (!host.started()) return std::nullopt;
    host.Write(request);
    host.CloseInput();
    return host.ReadReply(milliseconds);
}

}  // namespace vonu::test
