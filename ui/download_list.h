// The main window's download list: a report-view list with owner data. The window keeps the
// rows (download id, the seven cell texts, icon) and the control asks for the texts it
// paints, so a refresh touches only the rows whose texts changed. Rows are never sorted: a
// download's row is appended when it first becomes visible and keeps its place; the
// selection and scroll position survive refreshes. User-interface thread.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/download_snapshot.h"
#include "ui/row_texts.h"

namespace vonu {

class DownloadList {
public:
    bool Create(HWND parent, HINSTANCE instance, HFONT font);
    HWND window() const { return list_; }

    // Shows exactly `visible` (in snapshot order for new rows): rows of downloads no longer
    // visible go, new ones are appended, changed cells are rewritten and repainted.
    void Update(const std::vector<const DownloadSnapshot*>& visible);
    // Empties the list (the tree's node changed).
    void Clear();

    std::vector<int32_t> SelectedIds() const;
    void SelectAll();
    size_t RowCount() const { return rows_.size(); }

    // LVN_GETDISPINFOW from the control.
    void FillDisplayInfo(NMLVDISPINFOW& info);

private:
    struct Row {
        int32_t id = 0;
        RowTexts texts;
        RowInputs inputs;
        std::wstring fileName, description;  // inputs that are strings
        int icon = 0;
    };
    void RemoveHiddenRows(const std::unordered_set<int32_t>& visibleIds);
    int IconFor(const std::wstring& fileName);
    void RefreshRow(Row& row, const DownloadSnapshot& d, int index);

    HWND list_ = nullptr;
    std::vector<Row> rows_;
    std::unordered_map<int32_t, size_t> rowOf_;
    std::unordered_map<std::wstring, int> iconCache_;  // extension with its dot -> system icon
};

}  // namespace vonu
