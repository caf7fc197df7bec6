#pragma once

#include <QString>

// The desktop wallpaper commands. The picture is kept as Wallpaper.bmp in the
// working folder and its path and style are recorded in the settings group
// "desktop"; desktops that take a wallpaper through gsettings are told too.
class Wallpaper
{
public:
    // style: "0" centred, "1" tiled, "2" stretched. A name ending in "JPG" (any
    // case) is read as JPEG, anything else as GIF; a picture that does not
    // read that way leaves the wallpaper as it was (false, with the reason).
    static bool apply(const QString &picturePath, const QString &style, const QString &workingFolder,
                      QString *problem);
    static bool clear();
    static QString bitmapPath(const QString &workingFolder);
    // Hands the recorded values to the desktop where it has a way to take them.
    static void refreshDesktop();
};
