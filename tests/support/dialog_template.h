// In-memory dialog templates for tests and test tools: a dialog like the program's own,
// built without a resource file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vonu::test {

struct DialogItem {
    std::wstring className;  // "Button", "Static", "Edit", "ComboBox"...
    std::wstring text;
    WORD id = 0;
    short x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    DWORD style = 0;                     // WS_CHILD | WS_VISIBLE are added
};

class DialogTemplate {
public:
    DialogTemplate(const std::wstring& title, short cx, short cy, const std::vector<DialogItem>& items);
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    std::vector<WORD> words_;
};

// The "New Download" form: labels, address and path edits, a category box and three buttons.
DialogTemplate NewDownloadTemplate();

}  // namespace vonu::test
