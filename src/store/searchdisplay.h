#pragma once

#include <QString>

// Groups of commands that are switched on and off together.
enum class CommandGroup {
    Select,
    Unselect,
    SelectByFolder,
    UnselectByFolder,
    SelectAll,
    UnselectAll,
    Delete,
    Run,
    Stop,
    Continue,
    BigPictures,
    Options,
    CompanionSearch,
    SiteCommands,
    AddFavourite,
    DisplayAllInformation,
};

// Where the open search shows itself: the main window with its views, or the
// command line, which shows nearly nothing.
class SearchDisplay
{
public:
    virtual ~SearchDisplay() = default;

    virtual void showCounters(const QString &text) = 0;
    virtual void showTimes(const QString &text) = 0;
    virtual void setCaption(const QString &caption) = 0;
    virtual void setAddressText(const QString &address) = 0;
    virtual void setCommandGroup(CommandGroup group, bool on) = 0;

    // The views must be emptied, an opened search must be shown, the picture
    // list must (not) show tick boxes, the picture window must go blank.
    virtual void clearViews() = 0;
    virtual void clearPictureViewer() = 0;
    virtual void searchOpened() = 0;
    virtual void setCheckBoxMode(bool on) = 0;
    // The substrings changed (a search was opened, or the engine cleared them).
    virtual void substringsChanged() = 0;

    virtual void showWarning(const QString &text) = 0;
    virtual void showError(const QString &text) = 0;
};
