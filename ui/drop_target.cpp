#include "ui/drop_target.h"

#include <atomic>
#include <utility>
#include <vector>

#include "ui/add_from_address.h"
#include "ui/link_tools_hooks.h"

namespace vonu {
namespace {

UINT UrlFormat() {
    static const UINT format = RegisterClipboardFormatW(L"UniformResourceLocatorW");
    return format;
}

FORMATETC TextFormat(UINT format) { return {static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

bool Offers(IDataObject* data) {
    if (!data) return false;
    for (UINT format : {UrlFormat(), static_cast<UINT>(CF_UNICODETEXT)}) {
        FORMATETC wanted = TextFormat(format);
        if (data->QueryGetData(&wanted) == S_OK) return true;
    }
    return false;
}

std::wstring ReadFormat(IDataObject* data, UINT format) {
    FORMATETC wanted = TextFormat(format);
    STGMEDIUM medium{};
    if (data->GetData(&wanted, &medium) != S_OK) return {};
    std::wstring text;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(medium.hGlobal))) {
            const size_t most = GlobalSize(medium.hGlobal) / sizeof(wchar_t);
            size_t length = 0;
            while (length < most && chars[length]) ++length;
            text.assign(chars, length);
            GlobalUnlock(medium.hGlobal);
        }
    }
    ReleaseStgMedium(&medium);
    return text;
}

class DropTarget final : public IDropTarget {
public:
    explicit DropTarget(HWND mainWindow) : mainWindow_(mainWindow) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDropTarget) {
            *object = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        accepted_ = Offers(data);
        *effect = accepted_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect = accepted_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        accepted_ = false;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_NONE;
        accepted_ = false;
        std::wstring text = data ? DroppedText(data) : std::wstring();
        MainWindow* w = MainWindowOf(mainWindow_);
        if (text.empty() || !w) return S_OK;
        w->pendingDroppedText = std::move(text);
        PostMessageW(mainWindow_, kDropMessage, 0, 0);
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }

private:
    std::atomic<ULONG> references_{1};
    HWND mainWindow_;
    bool accepted_ = false;
};

}  // namespace

std::wstring DroppedText(IDataObject* data) {
    for (UINT format : {UrlFormat(), static_cast<UINT>(CF_UNICODETEXT)}) {
        std::wstring text = ReadFormat(data, format);
        if (!text.empty()) return text;
    }
    return {};
}

void RegisterDropTargets(MainWindow& w) {
    for (HWND target : {w.window, w.list.window()}) {
        if (!target) continue;
        auto* drop = new DropTarget(w.window);
        RegisterDragDrop(target, drop);  // holds its own reference when it succeeds
        drop->Release();
    }
}

void RevokeDropTargets(MainWindow& w) {
    for (HWND target : {w.window, w.list.window()})
        if (target) RevokeDragDrop(target);
}

void TakeDroppedText(MainWindow& w) {
    if (!IsWindowEnabled(w.window) || !LinkToolsInstalled()) return;
    const std::wstring text = std::exchange(w.pendingDroppedText, {});
    const std::vector<std::wstring> links = LinkTools().extractLinks(text);
    if (links.size() == 1) {
        AddFromAddress(w, links.front(), true);
    } else if (links.size() >= 2) {
        const HWND window = w.window;  // the dialog's loop runs messages: an Exit can free `w`
        if (LinkTools().batchList(window, links) && IsWindow(window) && MainWindowOf(window) == &w) RefreshList(w);
    }
}

}  // namespace vonu
