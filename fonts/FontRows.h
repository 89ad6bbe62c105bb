#pragma once
// The rows of a font list as a run walks them, without the list box: each row shows one item of
// a catalogue, in display order. The main window's lists provide them (ui/FontListBox.h).
#include "fonts/FontItem.h"

#include <string>

namespace typa {

class FontRows {
public:
    virtual ~FontRows() = default;
    virtual int Count() const = 0;
    virtual bool Selected(int row) const = 0;
    virtual int SelectedCount() const = 0;
    // The row's item; null for a row without one.
    virtual TToShowItem* Item(int row) const = 0;
    // The row's text as the list shows it.
    virtual std::string Text(int row) const = 0;
    // Takes the row out of the list (an installed font leaves the folder list at once).
    virtual void Remove(int row) = 0;
    // No row is the current one any more.
    virtual void ClearCurrent() = 0;
};

} // namespace typa
