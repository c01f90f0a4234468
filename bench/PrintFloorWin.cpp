#include "bench/PrintFloor.h"

#include <windows.h>

bool PrintFloor::print(const char* printer, int columns, int rows, const std::vector<Page>& pages)
{
    HDC dc = CreateDCA("WINSPOOL", printer, nullptr, nullptr);
    if (dc == nullptr || columns <= 0 || rows <= 0)
        return false;
    const int cell = GetDeviceCaps(dc, HORZRES) / columns;
    const int pitch = GetDeviceCaps(dc, VERTRES) / rows;
    HFONT font = CreateFontA(pitch, cell, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
        CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, FIXED_PITCH, "Courier New");
    HPEN pen = CreatePen(PS_SOLID, 3, RGB(0, 0, 0));
    DOCINFOA info = {};
    info.cbSize = sizeof info;
    info.lpszDocName = "print_bench floor";
    bool ok = font != nullptr && pen != nullptr && StartDocA(dc, &info) > 0;
    for (size_t p = 0; ok && p < pages.size(); ++p) {
        ok = StartPage(dc) > 0;
        HGDIOBJ oldFont = SelectObject(dc, font);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        SetBkMode(dc, TRANSPARENT);
        for (size_t i = 0; ok && i < pages[p].lines.size(); ++i) {
            const std::string& s = pages[p].lines[i];
            ok = s.empty() || TextOutA(dc, 0, pitch * static_cast<int>(i), s.data(), static_cast<int>(s.size()));
        }
        for (const Stroke& s : pages[p].strokes) {
            MoveToEx(dc, cell * s.column1 + cell / 2, pitch * s.row1 + pitch / 2, nullptr);
            LineTo(dc, cell * s.column2 + cell / 2, pitch * s.row2 + pitch / 2);
        }
        SelectObject(dc, oldPen);
        SelectObject(dc, oldFont);
        ok = ok && EndPage(dc) > 0;
    }
    ok = ok && EndDoc(dc) > 0;
    DeleteObject(pen);
    DeleteObject(font);
    DeleteDC(dc);
    return ok;
}
