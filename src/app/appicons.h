#pragma once

#include <QIcon>

// The icons of the main window and the history tree. The desktop's icon theme
// supplies them where it has a standard name for the thing; otherwise, and on
// desktops without a theme, our own drawings (resources/icons) stand in.
class AppIcons
{
public:
    // Tool bar and menu icons by our own name (the file name without ".svg").
    static QIcon icon(const QString &name);
    // Only our own drawing, never the theme's.
    static QIcon ours(const QString &name);
    // The history tree's images: 8 "My Search", 10 "Deleted", 12 to 20 the
    // state icons (12 + 3 * search mode + state).
    static QIcon historyIcon(int index);
    // The status panel's icons 0 to 3 (finished, connecting, downloading, analysing).
    static QIcon statusIcon(int index);
    static QIcon programIcon();
};
