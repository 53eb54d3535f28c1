#pragma once

#include <QPixmap>

// The background pictures, drawn by the program itself.
namespace Artwork {
QPixmap splash(); // 350 x 250
QPixmap mainWindow(); // 870 x 564
} // namespace Artwork
