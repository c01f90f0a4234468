#pragma once

// A cell of the character grid as the print loop walks it: the document line, its row on
// the page (0 for the page's first line) and the column.
struct GridPosition {
    int line = 0;
    int row = 0;
    int column = 0;
};
