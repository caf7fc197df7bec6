#include "app/commandstates.h"

#include <QAction>
#include <QWidget>

void CommandStates::add(CommandGroup group, QAction *action)
{
    m_actions[group] << action;
    m_state[group] = action->isEnabled();
}

void CommandStates::add(CommandGroup group, QWidget *widget)
{
    m_widgets[group] << widget;
    m_state[group] = widget->isEnabled();
}

void CommandStates::follow(CommandGroup group, std::function<void(bool)> follower)
{
    m_followers[group] << std::move(follower);
}

void CommandStates::set(CommandGroup group, bool on)
{
    m_state[group] = on;
    for (const auto &action : std::as_const(m_actions[group])) {
        if (action)
            action->setEnabled(on);
    }
    for (const auto &widget : std::as_const(m_widgets[group])) {
        if (widget)
            widget->setEnabled(on);
    }
    for (const auto &follower : std::as_const(m_followers[group]))
        follower(on);
}

QList<CommandGroup> CommandStates::selectionGroups()
{
    return {CommandGroup::Select,           CommandGroup::Unselect,  CommandGroup::SelectByFolder,
            CommandGroup::UnselectByFolder, CommandGroup::SelectAll, CommandGroup::UnselectAll};
}

void CommandStates::setSelection(bool on)
{
    for (CommandGroup g : selectionGroups())
        set(g, on);
}
