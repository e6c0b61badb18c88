// A list view with a tick box per row and the columns "File" and "Address", as the batch
// list and the site grabber show their addresses; it keeps the number of ticked rows as
// rows change, so a status line never has to count 10,000 rows per click. User-interface
// thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vonu {

class CheckedList {
public:
    // Styles the dialog's list control and adds the two columns.
    void Attach(HWND list);
    HWND window() const { return list_; }

    // Appends rows (redrawing off meanwhile): file name text, address, ticked or not.
    void Append(const std::vector<std::wstring>& files, const std::vector<std::wstring>& addresses,
                const std::vector<bool>& ticked);
    void Clear();
    void TickAll(bool ticked);

    int Rows() const { return rows_; }
    int Ticked() const { return ticked_; }
    // The addresses of the ticked rows, in list order.
    std::vector<std::wstring> TickedAddresses() const;

    // WM_NOTIFY from the list: true when a row's tick changed (the count is updated).
    bool OnNotify(const NMHDR& header);

private:
    HWND list_ = nullptr;
    int rows_ = 0;
    int ticked_ = 0;
    std::vector<std::wstring> addresses_;  // by row
};

// The File column of the batch list: the address cut before "?" or "#", then the part after
// the last "/"; the whole address when that is empty.
std::wstring BatchFileText(const std::wstring& address);

}  // namespace vonu
