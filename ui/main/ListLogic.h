// The rules of the contact list view that need no window: which row a typed letter selects,
// and where the list and the status bar go in the client area.
#pragma once

#include "data/ContactArray.h"

#include <vector>

// The row to select for a typed letter ('A' to 'Z'). rowContacts[r] is the index of the
// contact shown in row r. The first row whose last name starts with the letter (in either
// case) wins; failing that, the last row whose initial has a lower code (an initial of 0x80
// or above counts as below every letter, an empty name as 0); failing that, row 0. -1 when
// there are no rows.
int FindJumpRow(const CContactArray& contacts, const std::vector<int>& rowContacts, char chLetter);

struct CMainLayout {
    int listX, listY, listWidth, listHeight;
    int statusX, statusY, statusWidth, statusHeight;
};

// Places the list below the button row with margins of 11 pixels, and the 24-pixel status
// bar along the bottom, for a client area of the given size.
CMainLayout ComputeMainLayout(int nClientWidth, int nClientHeight);

// The main window's smallest outer size.
const int kMinWindowWidth = 620;
const int kMinWindowHeight = 240;
