// A list.ini with one download of each kind the main window shows (complete, stopped part
// way, failed, queued in a second queue, a video, an unknown size), and seeding it into the
// prefix's data folder before the real Vonu.exe starts.
#pragma once

#include <string>

namespace vonu::test {

// Rows in list order: D1 ubuntu iso (Programs, Complete), D2 report.pdf (Documents, Stopped
// at 25%), D3 holiday.mp4 (Video, Error), D4 album.zip (Compressed, Queued in queue 2
// "Night queue"), D5 lecture.mp4 (Video, video stream of 120 parts, Stopped), D6 notes.txt
// (General, unknown size, Stopped), D7 song.mp3 (Music, Complete).
std::wstring SampleListText();

// Writes list.ini and settings.ini ("[Main]" plus `settingsLines`) into %APPDATA%\Vonu,
// removing categories.ini so the built-in categories apply.
void SeedVonuData(const std::wstring& listText, const std::wstring& settingsLines);
// Removes list.ini, settings.ini and categories.ini again.
void ClearVonuData();

}  // namespace vonu::test
