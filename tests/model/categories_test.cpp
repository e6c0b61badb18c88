#include "model/categories.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "model/data_folder.h"
#include "model/user_lists.h"
#include "tests/support/temp_folder.h"

namespace vonu {
namespace {

using test::TempFolder;
using test::Utf16FileText;
using test::WriteUtf16File;

TEST(Categories, FreshProgramHasTheSixBuiltIns) {
    TempFolder dir;
    DownloadManager m;
    m.BaseDir = L"C:\\Users\\me\\Downloads";
    LoadCategoriesLoginsAndLimits(m, dir.path());
    const std::vector<std::wstring> names = {L"General", L"Compressed", L"Documents",
                                             L"Music",   L"Programs",   L"Video"};
    EXPECT_EQ(CategoryNames(m), names);
    for (const Category& c : CopyCategories(m)) {
        EXPECT_TRUE(c.builtIn);
        EXPECT_TRUE(c.folder.empty());
    }
    EXPECT_EQ(CategoryForFileName(m, L"setup.EXE"), L"Programs");
    EXPECT_EQ(FolderForCategory(m, L"Programs"), L"C:\\Users\\me\\Downloads\\Programs");
    EXPECT_EQ(CategoryForFileName(m, L"notes"), L"General");
    EXPECT_EQ(FolderForCategory(m, L"General"), L"C:\\Users\\me\\Downloads");
    EXPECT_EQ(FolderForCategory(m, L""), L"C:\\Users\\me\\Downloads");
    EXPECT_EQ(CategoryForFileName(m, L"backup.tar.GZ"), L"Compressed");
    EXPECT_TRUE(m.logins.empty());
    EXPECT_TRUE(m.serverLimits.empty());
}

TEST(Categories, TypesMatchTheLastExtensionWithoutCase) {
    const struct {
        const wchar_t* types;
        const wchar_t* name;
        bool match;
    } cases[] = {
        {L"zip rar", L"A.ZIP", true},   {L"zip rar", L"a.zi", false},  {L"zip rar", L"a.rar", true},
        {L"zip rar", L"zip", false},    {L"zip rar", L"", false},      {L"zip  rar", L"a.", false},
        {L"ZIP", L"a.zip", true},       {L"zip", L"a.zip.part", false}, {L"", L"a.zip", false},
        {L"tar.gz gz", L"a.tar.gz", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::wstring(c.types) + L" / " + c.name);
        EXPECT_EQ(TypesMatchFileName(c.types, c.name), c.match);
    }
}

TEST(Categories, UserCategoryWinsAndOwnFoldersAreUsed) {
    DownloadManager m;
    m.BaseDir = L"D:\\Down";
    m.categories = BuiltInCategories();
    m.categories.push_back({L"Clips", L"mp4", L"", false});
    EXPECT_EQ(CategoryForFileName(m, L"clip.mp4"), L"Clips");
    EXPECT_EQ(CategoryForFileName(m, L"film.mkv"), L"Video");
    EXPECT_EQ(FolderForCategory(m, L"Clips"), L"D:\\Down\\Clips");

    m.categories[5].folder = L"E:\\Films";
    EXPECT_EQ(FolderForCategory(m, L"Video"), L"E:\\Films");
    EXPECT_EQ(FolderForCategory(m, L"video"), L"D:\\Down\\video") << "names compare exactly";
}

TEST(Categories, FileAddsAndChangesCategoriesButNotGeneralsTypes) {
    TempFolder dir;
    WriteUtf16File(dir.File(L"categories.ini"),
                   L"[Cat0]\r\nName=General\r\nTypes=exe zip\r\nFolder=G:\\All\r\n"
                   L"[Cat1]\r\nName=Video\r\nTypes=mp4\r\nFolder=V:\\\r\n"
                   L"[Cat2]\r\nName=Books\r\nTypes=epub\r\nFolder=\r\n"
                   L"[Cat4]\r\nName=AfterTheGap\r\nTypes=x\r\n");
    DownloadManager m;
    m.BaseDir = L"D:\\Down";
    LoadCategoriesLoginsAndLimits(m, dir.path());
    std::vector<Category> cats = CopyCategories(m);
    ASSERT_EQ(cats.size(), 7u) << "a gap in the numbering ends the list";
    EXPECT_EQ(cats[0].types, L"") << "General never has types";
    EXPECT_EQ(cats[0].folder, L"G:\\All");
    EXPECT_EQ(cats[5].types, L"mp4");
    EXPECT_EQ(cats[5].folder, L"V:\\");
    EXPECT_TRUE(cats[5].builtIn);
    EXPECT_EQ(cats[6].name, L"Books");
    EXPECT_FALSE(cats[6].builtIn);
    EXPECT_EQ(CategoryForFileName(m, L"setup.exe"), L"Programs");
    EXPECT_EQ(CategoryForFileName(m, L"a.epub"), L"Books");
    EXPECT_EQ(FolderForCategory(m, L"General"), L"G:\\All");
}

TEST(Categories, ReplaceWritesTheFileThatLoadsBack) {
    TempFolder dir;
    DownloadManager m;
    std::vector<Category> cats = BuiltInCategories();
    cats.push_back({L"كتب", L"pdf epub", L"C:\\Line\r\nBreak", false});
    ASSERT_TRUE(ReplaceCategories(m, cats, dir.path()).ok);

    std::wstring text = Utf16FileText(dir.File(L"categories.ini"));
    EXPECT_EQ(text.rfind(L"[Cat0]\r\nName=General\r\nTypes=\r\nFolder=\r\n[Cat1]\r\nName=Compressed\r\n", 0), 0u);
    EXPECT_NE(text.find(L"[Cat6]\r\nName=كتب\r\nTypes=pdf epub\r\nFolder=C:\\Line  Break\r\n"), std::wstring::npos);

    DownloadManager back;
    LoadCategoriesLoginsAndLimits(back, dir.path());
    std::vector<Category> loaded = CopyCategories(back);
    ASSERT_EQ(loaded.size(), 7u);
    EXPECT_EQ(loaded[6].name, L"كتب");
    EXPECT_EQ(loaded[6].types, L"pdf epub");
    EXPECT_EQ(loaded[6].folder, L"C:\\Line  Break");
}

TEST(Categories, RenameInDownloadsChangesOnlyExactNames) {
    DownloadManager m;
    for (const wchar_t* cat : {L"Books", L"books", L"Video", L"Books"}) {
        auto item = std::make_shared<DownloadItem>();
        item->category = cat;
        m.downloads.push_back(item);
    }
    RenameCategoryInDownloads(m, L"Books", L"General");
    EXPECT_EQ(m.downloads[0]->category, L"General");
    EXPECT_EQ(m.downloads[1]->category, L"books");
    EXPECT_EQ(m.downloads[2]->category, L"Video");
    EXPECT_EQ(m.downloads[3]->category, L"General");
    EXPECT_TRUE(m.listDirty);
}

// The fixture's categories-save\categories.ini.tmp is a link to /dev/full (tests/CMakeLists.txt).
TEST(Categories, FailedSaveKeepsTheOldFile) {
    const char* dirEnv = std::getenv("VONU_FULL_DISK_DIR");
    ASSERT_NE(dirEnv, nullptr);
    const std::wstring dir = std::wstring(dirEnv, dirEnv + strlen(dirEnv)) + L"\\categories-save";
    WriteUtf16File(CategoriesPath(dir), L"[Cat0]\r\nName=Kept\r\n");
    DownloadManager m;
    WriteResult r = ReplaceCategories(m, BuiltInCategories(), dir);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(Utf16FileText(CategoriesPath(dir)), L"[Cat0]\r\nName=Kept\r\n");
}

}  // namespace
}  // namespace vonu
