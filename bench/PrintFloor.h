#pragma once

#include <string>
#include <vector>

// The floor of the print benchmark: the least a program can ask of the printer driver to
// put a framed text report on paper. Each line is one TextOut with the frame's characters
// blanked, and the frame is one stroke per maximal horizontal or vertical run, from the
// centre of its first cell to the centre of its last, with a pen selected once per page.
// PrintFloorWin.cpp draws through GDI; elsewhere there is no printer and print fails.
class PrintFloor {
public:
    // A run of the frame, in cells: from (column1, row1) to (column2, row2).
    struct Stroke {
        int column1, row1, column2, row2;
    };
    struct Page {
        std::vector<std::string> lines;
        std::vector<Stroke> strokes;
    };

    // Prints the pages on the named printer, each row of the given number of columns and
    // each page of the given number of rows. False when the printer refuses anything.
    static bool print(const char* printer, int columns, int rows, const std::vector<Page>& pages);
};
