// The frame's image list: the 16 x 16 pictures of menus, actions and the toolbar, drawn in code
// so they stay crisp at any scale and need no image files. Indices are those the actions refer to.
//
// Not thread-safe: needs the application object; use from the user-interface thread.
#pragma once

#include <QIcon>
#include <QImage>

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

// The picture at `index` drawn `size` pixels square, on a transparent ground; a null image for an
// index that has none. Needs no application object, so a build step can render the program's
// icon for the desktop from the same drawing as the window's.
QImage imageListImage(ImageIndex index, int size);

} // namespace marlovex::ui
