// The main window: toolbar, the tree of views beside the download list with a splitter
// between them, and the status bar. Its 250 ms timer drives the program: the manager tick,
// a list refresh from a fresh snapshot, finished downloads and queues, and saving the list
// every two seconds when it changed.
//
// Contracts with the outside: the window carries the VonuMainWindow property (a second
// instance, the native messaging host and the setup program find it by it); the Exit
// command (57665) closes the program, also when posted from another process; a copy-data
// message with a hand-over record passes it a browser download (ui/hand_overs.h). Closing hides
// the window to the notification area when MinToTray is on and the icon exists; otherwise,
// and when Windows ends the session, every download is stopped and the list saved.
#pragma once

#include <windows.h>

#include <string>

namespace vonu {

// Creates the window hidden; null on failure. The list and settings are saved in the
// data folder ("%APPDATA%\Vonu" unless given).
HWND CreateMainWindow(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance, const std::wstring& dataFolder);

// The window's notification-area icon was added (balloons can be shown on it).
bool MainWindowHasTrayIcon(HWND mainWindow);

// One window tick, as timer 1 runs it (for the benchmark).
void RunWindowTick(HWND mainWindow);

}  // namespace vonu
