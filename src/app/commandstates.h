#pragma once

#include "crawl/crawlhost.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <functional>

class QAction;
class QWidget;

// The on/off groups of commands: every menu entry, tool button and basket
// entry of a group is switched at once, so the places a command is offered
// never disagree.
class CommandStates
{
public:
    void add(CommandGroup group, QAction *action);
    void add(CommandGroup group, QWidget *widget);
    // Something besides the entries follows the group (the basket's look
    // follows the run group).
    void follow(CommandGroup group, std::function<void(bool)> follower);

    void set(CommandGroup group, bool on);
    bool isOn(CommandGroup group) const { return m_state.value(group, false); }

    // The six selection groups at once.
    void setSelection(bool on);
    static QList<CommandGroup> selectionGroups();

private:
    QHash<CommandGroup, QList<QPointer<QAction>>> m_actions;
    QHash<CommandGroup, QList<QPointer<QWidget>>> m_widgets;
    QHash<CommandGroup, QList<std::function<void(bool)>>> m_followers;
    QHash<CommandGroup, bool> m_state;
};
