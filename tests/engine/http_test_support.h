// Shared set-up of the tests that speak HTTP to the loopback test servers.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>

#include "engine/http_session.h"
#include "model/download_manager.h"
#include "model/text_encoding.h"
#include "tests/support/test_servers.h"

namespace vonu::test {

class HttpServersTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Servers().ok) << WideToUtf8(Servers().error);
        DownloadManager& m = Manager();
        m.ProxyMode = 1;  // loopback only: never a system proxy
        m.Proxy.clear();
        m.PacUrl.clear();
        OpenHttpSession();
        item = std::make_shared<DownloadItem>();
        tag = UniqueTag();
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

    std::shared_ptr<DownloadItem> item;
    std::wstring tag;
};

}  // namespace vonu::test
