// Shared set-up of the tests that speak FTP to the loopback FTP server.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "model/download_manager.h"
#include "model/text_encoding.h"
#include "tests/support/ftp_server.h"
#include "tests/support/temp_folder.h"

namespace vonu::test {

class FtpServerTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FtpServer().ok) << WideToUtf8(FtpServer().error);
        static std::atomic<int> counter{0};
        tag = L"ftp" + std::to_wstring(GetCurrentProcessId()) + L"x" + std::to_wstring(GetTickCount64()) +
              L"x" + std::to_wstring(++counter);
        Manager().BaseDir = dir.path();
        item = std::make_shared<DownloadItem>();
    }
    void TearDown() override {
        DownloadManager& m = Manager();
        {
            std::lock_guard guard(m.categoryLock);
            m.logins.clear();
        }
        std::lock_guard guard(m.lock);
        m.downloads.clear();
    }
    void AddLogin(const std::wstring& site, const std::wstring& user, const std::wstring& password) {
        std::lock_guard guard(Manager().categoryLock);
        Manager().logins.push_back(SiteLogin{site, user, password});
    }
    std::wstring Url(const std::wstring& name, const std::wstring& login = std::wstring()) const {
        return FtpUrl(FtpServer().port, tag, name, login);
    }

    TempFolder dir;
    std::shared_ptr<DownloadItem> item;
    std::wstring tag;
};

}  // namespace vonu::test
