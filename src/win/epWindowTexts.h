// Texts shown in windows: held in the log's encoding like names, handed to the
// system as Unicode so that a UTF-8 log's texts appear exactly as written and
// an ANSI log's as the ANSI functions showed them.
#pragma once

#include <windows.h>

#include <string_view>

// The window's caption or a control's text; false when the system refused it.
bool SetWindowTextIn(HWND window, std::string_view text);
bool SetDlgItemTextIn(HWND dialog, int id, std::string_view text);

// Adds a line at the end of a list box; returns its index, or a negative
// value (LB_ERR, LB_ERRSPACE) when it was not added.
LRESULT AddListBoxLine(HWND list, std::string_view text);
