#include "browser/native_host.h"

#include "browser/native_message.h"
#include "browser/program_file.h"
#include "l10n/language.h"
#include "ui/hand_over_record.h"
#include "ui/main_window_search.h"

namespace vonu {
namespace {

constexpr DWORD kSendTimeoutMs = 5000;
constexpr int kWindowPolls = 150;  // 100 ms apart: about 15 seconds
constexpr DWORD kSettleMs = 300;   // a found window finishes its start before the record

// The Language key read straight from settings.ini: the data folder is only looked at,
// never created, and nothing else of the settings is loaded.
std::string PingLanguage() {
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD n = ExpandEnvironmentStringsW(L"%APPDATA%\\Vonu\\settings.ini", path, MAX_PATH * 2);
    wchar_t value[8] = {};
    if (n > 0 && n <= MAX_PATH * 2) GetPrivateProfileStringW(L"Main", L"Language", L"", value, 8, path);
    const std::wstring setting = value;
    // Only an exact "ar" is Arabic; an empty value follows the user's Windows language.
    const std::wstring choice = setting.empty() ? L"" : setting == L"ar" ? L"ar" : L"en";
    return ChooseArabicInterface(choice, GetUserDefaultUILanguage()) ? "ar" : "en";
}

std::string PingReply() {
    const bool running = FindMainWindow() != nullptr;
    return std::string("{\"ok\":true,\"running\":") + (running ? "true" : "false") + ",\"lang\":\"" +
           PingLanguage() + "\"}";
}

bool IsWebAddress(const std::wstring& url) {
    return url.starts_with(L"http://") || url.starts_with(L"https://");
}

// Firefox runs its host inside a job it ends with the host, and a program started from
// there would end too: it is started outside the job when the job allows that, and inside
// it otherwise. (Wine has no such jobs; only Windows shows the difference.)
bool StartProgram(const std::wstring& program) {
    std::wstring line = L"\"" + program + L"\" /tray";
    BOOL inJob = FALSE;
    IsProcessInJob(GetCurrentProcess(), nullptr, &inJob);
    for (DWORD flags : {inJob ? DWORD{CREATE_BREAKAWAY_FROM_JOB} : DWORD{0}, DWORD{0}}) {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &si,
                           &pi)) {
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
            return true;
        }
        if (!flags) break;  // refused without breaking away too
    }
    return false;
}

// Vonu.exe beside the host, started with "/tray"; its main window once it exists, or null.
// A cut path of our own would name another file: then nothing is started.
HWND StartMainProgram() {
    const std::wstring self = UncutProgramPath();
    if (self.empty()) return nullptr;
    if (!StartProgram(self.substr(0, self.rfind(L'\\') + 1) + L"Vonu.exe")) return nullptr;
    for (int poll = 0; poll < kWindowPolls; ++poll) {
        if (HWND window = FindMainWindow()) {
            Sleep(kSettleMs);
            return window;
        }
        Sleep(100);
    }
    return nullptr;
}

bool SendHandOver(HWND window, const std::wstring& record) {
    COPYDATASTRUCT data{};
    data.dwData = kHandOverId;
    data.cbData = static_cast<DWORD>((record.size() + 1) * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(record.c_str());
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                               kSendTimeoutMs, &result) != 0 &&
           result != 0;
}

std::string HandOverReply(std::string_view request) {
    HandOver h;
    h.address = JsonStringField(request, "url");
    if (!IsWebAddress(h.address)) return kUnsupportedAddress;
    h.userAgent = JsonStringField(request, "ua");
    h.cookie = JsonStringField(request, "cookie");
    h.fileName = JsonStringField(request, "filename");
    h.referrer = JsonStringField(request, "referrer");
    const std::wstring record = HandOverRecordText(h);
    HWND window = FindMainWindow();
    if (!window) window = StartMainProgram();
    if (!window) return kDidNotStart;
    return SendHandOver(window, record) ? kHandOverAccepted : kDidNotAnswer;
}

}  // namespace

void ServeNativeRequest(HANDLE input, HANDLE output) {
    const std::optional<std::string> request = ReadNativeMessage(input);
    if (!request) return;
    const std::string reply = IsPingRequest(*request) ? PingReply() : HandOverReply(*request);
    (void)WriteNativeMessage(output, reply);  // a failed reply is nobody's to hear
    FlushFileBuffers(output);
}

void RunNativeHost() { ServeNativeRequest(GetStdHandle(STD_INPUT_HANDLE), GetStdHandle(STD_OUTPUT_HANDLE)); }

}  // namespace vonu
