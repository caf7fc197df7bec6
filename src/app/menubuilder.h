#pragma once

#include "app/menutable.h"

#include <QHash>
#include <QString>

class CommandStates;
class QAction;
class QActionGroup;
class QMenu;
class QToolButton;
class QWidget;

// Makes the menus, entries and tool buttons of the menu table, connects them
// to the window's commands and hands the ones with a command group to the
// command states.
class MenuBuilder
{
public:
    MenuBuilder(TForm1 &form, CommandStates &commands);

    // A place the rows are put in that the window made itself (the menu bar,
    // the tool bar), known by its objectName.
    void addPlace(QWidget *place);
    void build(std::span<const MenuTable::Row> rows);

    QAction *action(const QString &name) const { return m_actions.value(name); }
    QMenu *menu(const QString &name) const;
    QToolButton *button(const QString &name) const { return m_buttons.value(name); }

private:
    void addEntry(const MenuTable::Row &row, QWidget *place);
    void addMenu(const MenuTable::Row &row, QWidget *place);
    void addPopup(const MenuTable::Row &row);
    void addButton(const MenuTable::Row &row, QWidget *place);
    void setUp(QAction *action, const MenuTable::Row &row, QWidget *place);

    TForm1 &m_form;
    CommandStates &m_commands;
    QHash<QString, QWidget *> m_places;
    QHash<QString, QAction *> m_actions;
    QHash<QString, QToolButton *> m_buttons;
    QHash<QString, QActionGroup *> m_exclusive;
};
