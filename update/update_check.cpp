#include "update/update_check.h"

#include <memory>
#include <thread>

#include "engine/fetch.h"
#include "engine/http_request.h"
#include "engine/url.h"
#include "model/download_manager.h"
#include "model/hosts.h"
#include "model/text_case.h"
#include "update/maker_key.h"
#include "update/update_description.h"

namespace vonu {
namespace {

// The running (or last) check. User-interface thread only; never destroyed, so the process
// exit does not meet a joinable thread in a static destructor.
struct CheckSlot {
    std::thread thread;
    std::shared_ptr<DownloadItem> item;  // the check's requests; the thread holds its own reference
};

CheckSlot& Slot() {
    static CheckSlot* slot = new CheckSlot;
    return *slot;
}

bool IsLocalHost(const std::wstring& host) { return host == L"localhost" || host == L"127.0.0.1"; }

}  // namespace

bool IsLocalTestAddress(const std::wstring& address) {
    if (!address.starts_with(L"http://") || !IsLocalHost(HostOfAddress(address))) return false;
    // WinHTTP must agree on the host it connects to: an address it splits differently from
    // the model ("http://evil\@localhost/") is not local.
    AddressParts parts;
    return CrackAddress(address, parts) && !parts.secure && IsLocalHost(LowerCase(parts.host));
}

bool UpdateAddressAllowed(const std::wstring& exe, const std::wstring& askedAddress,
                          const std::wstring& answeredAddress) {
    if (exe.size() > 7 && exe.starts_with(L"https://")) return true;
    return IsLocalTestAddress(askedAddress) && IsLocalTestAddress(answeredAddress);
}

UpdateResult CheckForUpdate(const std::wstring& address, VerificationKey key, bool arabic,
                            DownloadItem& item) {
    UpdateResult result;
    std::string body;
    std::wstring answered;
    if (!FetchToMemory(Manager(), item, RequestHeaders{}, address, body, result.error, nullptr, &answered,
                       nullptr, kUpdateDescriptionCap))
        return result;
    std::optional<UpdateDescription> d = ParseUpdateDescription(body);
    if (!d) {
        result.error = L"The update information could not be read";
        return result;
    }
    result.version = d->version;
    result.date = d->date;
    result.page = d->page;
    result.exe = d->exe;
    result.sha256 = d->sha256;
    result.signature = d->signature;
    result.size = d->size;
    result.notes = arabic && !d->notesAr.empty() ? d->notesAr : d->notesEn;
    if (!UpdateAddressAllowed(d->exe, address, answered.empty() ? address : answered)) {
        result.error = L"The update address is not secure";
        return result;
    }
    if (d->size > 0 && IsSha256Text(d->sha256) &&
        VerifyUpdateSignature(key, d->version, d->sha256, d->size, d->signature)) {
        result.ok = true;
    } else {
        result.error = L"The update is not signed by Vonu, so it was ignored";
    }
    return result;
}

void StartUpdateCheck(HWND window, bool asked, const std::wstring& address, bool arabic) {
    CheckSlot& slot = Slot();
    if (slot.thread.joinable()) slot.thread.join();  // it posted its answer already
    slot.item = std::make_shared<DownloadItem>();
    slot.thread = std::thread([window, asked, address, arabic, item = slot.item] {
        auto result =
            std::make_unique<UpdateResult>(CheckForUpdate(address, MakerVerificationKey(), arabic, *item));
        PostUpdateResult(window, asked, std::move(result));
    });
}

void EndUpdateCheck() {
    CheckSlot& slot = Slot();
    if (!slot.thread.joinable()) return;
    slot.item->cancel = true;
    CloseOpenRequests(Manager(), *slot.item);
    slot.thread.join();
}

}  // namespace vonu
