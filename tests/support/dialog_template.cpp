#include "tests/support/dialog_template.h"

namespace vonu::test {
namespace {

void PutDword(std::vector<WORD>& w, DWORD v) {
    w.push_back(LOWORD(v));
    w.push_back(HIWORD(v));
}
void PutText(std::vector<WORD>& w, const std::wstring& s) {
    for (wchar_t c : s) w.push_back(static_cast<WORD>(c));
    w.push_back(0);
}
void AlignDword(std::vector<WORD>& w) {
    if (w.size() % 2) w.push_back(0);
}

}  // namespace

DialogTemplate::DialogTemplate(const std::wstring& title, short cx, short cy,
                               const std::vector<DialogItem>& items) {
    std::vector<WORD>& w = words_;
    PutDword(w, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER);
    PutDword(w, 0);
    w.push_back(static_cast<WORD>(items.size()));
    for (short v : {short(0), short(0), cx, cy}) w.push_back(static_cast<WORD>(v));
    w.push_back(0);  // no menu
    w.push_back(0);  // the standard dialog class
    PutText(w, title);
    w.push_back(9);
    PutText(w, L"Tahoma");
    for (const DialogItem& item : items) {
        AlignDword(w);
        PutDword(w, item.style | WS_CHILD | WS_VISIBLE);
        PutDword(w, 0);
        for (short v : {item.x, item.y, item.cx, item.cy}) w.push_back(static_cast<WORD>(v));
        w.push_back(item.id);
        PutText(w, item.className);
        PutText(w, item.text);
        w.push_back(0);  // no creation data
    }
}

DialogTemplate NewDownloadTemplate() {
    return DialogTemplate(
        L"New Download", 300, 124,
        {
            {L"Static", L"URL", 100, 8, 10, 50, 10, SS_LEFT},
            {L"Edit", L"https://example.com/files/setup.zip", 101, 62, 8, 230, 13,
             ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
            {L"Static", L"Category", 102, 8, 30, 50, 10, SS_LEFT},
            {L"ComboBox", L"", 103, 62, 28, 120, 60, CBS_DROPDOWNLIST | WS_TABSTOP},
            {L"Static", L"Save As", 104, 8, 50, 50, 10, SS_LEFT},
            {L"Edit", L"C:\\Users\\user\\Downloads\\Compressed\\setup.zip", 105, 62, 48, 230, 13,
             ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
            {L"Static", L"File size", 106, 8, 70, 50, 10, SS_LEFT},
            {L"Static", L"Unknown", 107, 62, 70, 120, 10, SS_LEFT},
            {L"Button", L"&Add the file to this queue", 108, 8, 86, 200, 12, BS_AUTOCHECKBOX | WS_TABSTOP},
            {L"Button", L"&Download Now", IDOK, 8, 104, 80, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
            {L"Button", L"Save for &Later", 109, 94, 104, 80, 14, BS_PUSHBUTTON | WS_TABSTOP},
            {L"Button", L"Cancel", IDCANCEL, 232, 104, 60, 14, BS_PUSHBUTTON | WS_TABSTOP},
        });
}

}  // namespace vonu::test
