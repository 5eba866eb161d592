#pragma once
// The program's own images, drawn in code: tool bar buttons and the application icon.

#include <QIcon>
#include <QPixmap>

/// The tool bar image of a command id, size x size pixels (designed for 32); a null
/// pixmap for ids without one.
QPixmap DrawCommandImage(int id, int size = 32);
/// The tool bar icon of a command id (normal; disabled and hot states derived).
QIcon CommandIcon(int id);
/// The application icon at one size.
QPixmap DrawAppImage(int size);
/// The application icon at the usual sizes.
QIcon AppIcon();
