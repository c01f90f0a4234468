#pragma once

#include "printer/Graphics.h"

// The font or brush that was selected before a new one, as select_font or setPaint
// answered it: going out of scope selects it back and deletes the one it replaces
// (Graphics::restoreObject), so every way out of a drawing step leaves the device as it
// found it. Holding null (the selection failed) restores nothing.
class SelectedObject {
public:
    SelectedObject(PrintDevice* dc, PrintObject saved) : mDc(dc), mSaved(saved) {}
    ~SelectedObject()
    {
        if (mSaved != nullptr)
            Graphics::restoreObject(mDc, mSaved);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

    bool selected() const { return mSaved != nullptr; }

private:
    PrintDevice* mDc;
    PrintObject mSaved;
};
