#pragma once
// Pictures drawn by the program itself: the toolbar icons and the section picture of the
// materials page.
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace ktv {

// Icon of a toolbar button by its image key: "New", "Open", "Save", "Print", "Preview".
QIcon ToolbarIcon(const QString& key);

// The cantilever wall section with the design sections A-A', B-B', C-C' and D-D'.
QPixmap CantileverSectionPicture(int width, int height);

}  // namespace ktv
