#pragma once

#include <QIcon>

/// The window's own pictures, drawn at run time so that no image file is needed.
namespace window_icons {
QIcon application();  ///< a small meter: the program's icon
QIcon openFile();     ///< an opening folder: `OpenDataFiles`
QIcon saveFile();     ///< a diskette: `saveas`
QIcon print();        ///< a printer: `BtPrint`
QIcon clearLog();     ///< a sheet with a red cross: `RecordNew`
}  // namespace window_icons
