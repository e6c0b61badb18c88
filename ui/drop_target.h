// The main window's OLE drop target: a drag that offers "UniformResourceLocatorW" (a link
// dragged from a browser) or Unicode text is accepted as a copy; a drop's text is kept as
// the main window's pending dropped text and WM_APP + 5 posted, whose handler gives one
// address to the add-from-address flow and two or more to the batch list dialog.
// User-interface thread (OLE calls the target on the thread that registered it).
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>

#include "ui/main_window_state.h"

namespace vonu {

inline constexpr UINT kDropMessage = WM_APP + 5;

// The text a drop offers: "UniformResourceLocatorW" first, then Unicode text; each read up
// to its first NUL within its memory's size; empty when neither gives text.
std::wstring DroppedText(IDataObject* data);

// Registers the main window and its list as drop targets (after OleInitialize); Revoke
// undoes it before the window goes.
void RegisterDropTargets(MainWindow& w);
void RevokeDropTargets(MainWindow& w);

// WM_APP + 5.
void TakeDroppedText(MainWindow& w);

}  // namespace vonu
