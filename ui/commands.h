// The main window's commands: one handler per command id and one rule for when it is
// available, shared by the menu bar, the context menus, the toolbar, the keyboard and the
// tray menu. Commands whose dialog is not part of the program yet stay disabled and do
// nothing. A command whose dialog runs a modal loop does nothing while another dialog has
// disabled the main window. User-interface thread.
#pragma once

#include <windows.h>

#include "ui/main_window_state.h"

namespace vonu {

bool CommandEnabled(const MainWindow& w, int command);
// Runs the command if it is available, then the manager tick and a list refresh.
void RunCommand(MainWindow& w, int command);

// WM_INITMENUPOPUP: greys and checks the items of an opening menu.
void UpdateMenuItems(const MainWindow& w, HMENU menu);
// After each list refresh: the toolbar buttons that follow the rules.
void UpdateToolbarButtons(const MainWindow& w);

void ShowListMenu(MainWindow& w, POINT screen);
void ShowTreeMenu(MainWindow& w, POINT screen);
void ShowTrayMenu(MainWindow& w);

}  // namespace vonu
