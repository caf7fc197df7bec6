#pragma once

#include "crawl/crawlhost.h"

#include <optional>
#include <span>

class TForm1;

// Every menu, menu entry, pop-up menu, separator and tool button of the main
// window, one row each. A row is placed at the end of the place it names, so
// the order of the rows is the order on screen; a place must come before the
// rows placed in it.
class MenuTable
{
public:
    enum class Kind {
        Entry,
        // A menu of the menu bar or a submenu: the entry that opens it.
        Menu,
        // A pop-up menu of the window, placed nowhere.
        Popup,
        Separator,
        Button,
    };

    enum Flag : unsigned {
        Hidden = 1u << 0,   // never shown
        Disabled = 1u << 1, // off until its command group switches it on
        Checkable = 1u << 2,
        Ticked = Checkable | 1u << 3,
        // Ticking one of the exclusive rows of a place unticks the others.
        Exclusive = 1u << 4,
    };

    using Handler = void (TForm1::*)();

    struct Row
    {
        Kind kind = Kind::Entry;
        // For a Menu row the name of the entry that opens it.
        const char *name = nullptr;
        // With its "&" accelerator; a tool button's caption.
        const char *text = nullptr;
        // The name of the menu bar, menu or tool bar the row is placed in.
        const char *in = nullptr;
        // The name of the menu a Menu row opens, or of the pop-up menu a tool
        // button drops down and shows on a right click.
        const char *menu = nullptr;
        std::optional<CommandGroup> group = std::nullopt;
        unsigned flags = 0;
        const char *icon = nullptr;
        // A tool button's hint.
        const char *tip = nullptr;
        // Runs when the entry is chosen or the button clicked. A checkable
        // entry has ticked or unticked itself by then.
        Handler handler = nullptr;
    };

    static std::span<const Row> rows();
};
