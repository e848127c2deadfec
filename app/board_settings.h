// SPDX-License-Identifier: MIT
#pragma once
// The board window as the user left it in an earlier session: its place,
// size and open tab, and the walk's range and time per event.

class BoardWindow;
class WalkTab;

// Puts the remembered place, tab and time per event on a new board window,
// and keeps its tab remembered as the user changes it.
void restore_board_settings(BoardWindow& board, WalkTab& walk);
// Remembers the board's place and size (when it closes).
void remember_board_place(const BoardWindow& board);
// Remembers the range and the time per event a walk starts with.
void remember_walk(const WalkTab& walk);
// "Od" and "Do" as the board opens: from the selected row; with no event
// selected (a row below 5), the range of the last walk where there is one.
void set_walk_range_on_opening(WalkTab& walk, int selected_row);
