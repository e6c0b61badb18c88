#include "tests/support/sample_list.h"

#include <windows.h>

#include "model/data_folder.h"
#include "tests/support/temp_folder.h"

namespace vonu::test {

std::wstring SampleListText() {
    return L"[D1]\r\nUrl=https://releases.example.org/ubuntu-24.04-desktop-amd64.iso\r\n"
           L"File=ubuntu-24.04-desktop-amd64.iso\r\nPath=C:\\Downloads\\Programs\\ubuntu-24.04-desktop-amd64."
           L"iso\r\n"
           L"Cat=Programs\r\nSize=6114656256\r\nRes=1\r\nProbed=1\r\nState=3\r\nAdded=134405910000000000\r\n"
           L"Last=134405910000000000\r\nConn=8\r\nSegs=0,6114656255,6114656256;\r\n\r\n"
           L"[D2]\r\nUrl=https://files.example.org/report-2026.pdf\r\nFile=report-2026.pdf\r\n"
           L"Path=C:\\Downloads\\Documents\\report-2026.pdf\r\nCat=Documents\r\nDesc=Yearly report\r\n"
           L"Size=2411520\r\nRes=1\r\nProbed=1\r\nState=2\r\nAdded=134412123000000000\r\nLast="
           L"134412123000000000\r\n"
           L"Conn=8\r\nSegs=0,1205759,602880;1205760,2411519,1205760;\r\n\r\n"
           L"[D3]\r\nUrl=https://media.example.org/holiday-video.mp4\r\nFile=holiday-video.mp4\r\n"
           L"Path=C:\\Downloads\\Video\\holiday-video.mp4\r\nCat=Video\r\nErr=HTTP 404: file not found on "
           L"the server\r\n"
           L"Size=734003200\r\nState=4\r\nAdded=134412123000000000\r\nLast=134413227000000000\r\nConn="
           L"8\r\n\r\n"
           L"[D4]\r\nUrl=https://music.example.org/"
           L"album.zip\r\nFile=album.zip\r\nPath=C:\\Downloads\\Compressed\\album.zip\r\n"
           L"Cat=Compressed\r\nSize=157286400\r\nRes=1\r\nState=0\r\nQueue=2\r\nAdded="
           L"134413227000000000\r\nConn=8\r\n\r\n"
           L"[D5]\r\nUrl=https://video.example.org/lecture/index.m3u8\r\nFile=lecture.mp4\r\n"
           L"Path=C:\\Downloads\\Video\\lecture.mp4\r\nCat=Video\r\nDesc=Week 3 "
           L"lecture\r\nHls=1\r\nParts=120\r\n"
           L"State=2\r\nAdded=134413227000000000\r\nConn=8\r\n\r\n"
           L"[D6]\r\nUrl=http://127.0.0.1:9/notes.txt\r\nFile=notes.txt\r\nPath=C:\\Downloads\\notes.txt\r\n"
           L"Cat=General\r\nDesc=From the course "
           L"page\r\nState=2\r\nAdded=134413227000000000\r\nConn=8\r\n\r\n"
           L"[D7]\r\nUrl=https://music.example.org/"
           L"song.mp3\r\nFile=song.mp3\r\nPath=C:\\Downloads\\Music\\song.mp3\r\n"
           L"Cat=Music\r\nSize=5242880\r\nState=3\r\nAdded=134405910000000000\r\nLast="
           L"134405910000000000\r\nConn=8\r\n"
           L"Segs=0,5242879,5242880;\r\n\r\n"
           L"[Q1]\r\nName=Default queue\r\nMaxActive=3\r\n\r\n"
           L"[Q2]\r\nName=Night queue\r\nMaxActive=2\r\n\r\n";
}

void SeedVonuData(const std::wstring& listText, const std::wstring& settingsLines) {
    const std::wstring folder = DataFolder();
    WriteUtf16File(ListPath(folder), listText);
    WriteUtf16File(SettingsPath(folder), L"[Main]\r\n" + settingsLines);
    DeleteFileW(CategoriesPath(folder).c_str());
}

void ClearVonuData() {
    const std::wstring folder = DataFolder();
    for (const std::wstring& path : {ListPath(folder), SettingsPath(folder), CategoriesPath(folder)})
        DeleteFileW(path.c_str());
}

}  // namespace vonu::test
