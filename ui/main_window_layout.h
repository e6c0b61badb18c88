// Placing the main window's children and the splitter between tree and list.
#pragma once

#include <windows.h>

#include "ui/main_window_state.h"

namespace vonu {

// The tree is at least 140 (x scale) and at most half the client width wide.
int ClampTreeWidth(int wanted, int clientWidth, double scale);

void LayOutMainWindow(MainWindow& w);
void PaintMainWindow(MainWindow& w);  // white background and the splitter line

bool OverSplitter(const MainWindow& w, POINT client);
void BeginSplitterDrag(MainWindow& w);
void DragSplitter(MainWindow& w, int x);
void EndSplitterDrag(MainWindow& w);

}  // namespace vonu
