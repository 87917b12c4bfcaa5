// The frame's image list: the 16 x 16 pictures of menus, actions and the toolbar, drawn in code
// so they stay crisp at any scale and need no image files. Indices are those the actions refer to.
//
// Not thread-safe: needs the application object; use from the user-interface thread.
#pragma once

#include <QIcon>

namespace marlovex::ui {

enum class ImageIndex {
    Cut = 0,
    Copy = 1,
    Paste = 2,
    Open = 7,
    Save = 8,
    TileHorizontal = 15,
    TileVertical = 16,
    Cascade = 17,
    NewChart = 18,
    Exit = 19,
    WarrantTracker = 20,
};

// The picture at `index`; an empty icon for an index that has none.
QIcon imageListIcon(int index);
QIcon imageListIcon(ImageIndex index);

} // namespace marlovex::ui
