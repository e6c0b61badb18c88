#include "ui/queue_chooser.h"

#include "l10n/localization.h"
#include "ui/localize_window.h"
#include "ui/resource.h"

namespace vonu {
namespace {

struct ChooserRequest {
    const std::vector<DownloadQueue>* queues = nullptr;
    int32_t chosen = 0;
};

INT_PTR CALLBACK QueueChooserProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* request = reinterpret_cast<ChooserRequest*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            request = reinterpret_cast<ChooserRequest*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            LocalizeWindow(dialog);
            HWND box = GetDlgItem(dialog, IDC_QC_QUEUE);
            for (const DownloadQueue& q : *request->queues)
                SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Translate(q.name.c_str())));
            SendMessageW(box, CB_SETCURSEL, 0, 0);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                const LRESULT index = SendDlgItemMessageW(dialog, IDC_QC_QUEUE, CB_GETCURSEL, 0, 0);
                if (index < 0 || static_cast<size_t>(index) >= request->queues->size()) return TRUE;
                request->chosen = (*request->queues)[static_cast<size_t>(index)].id;
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

std::optional<int32_t> ChooseQueue(HWND owner, const std::vector<DownloadQueue>& queues) {
    if (queues.empty()) return std::nullopt;
    ChooserRequest request{&queues, 0};
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_QUEUE_CHOOSER),
                                           owner, QueueChooserProc, reinterpret_cast<LPARAM>(&request));
    if (result != IDOK) return std::nullopt;
    return request.chosen;
}

}  // namespace vonu
