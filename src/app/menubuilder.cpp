#include "app/menubuilder.h"

#include "app/appicons.h"
#include "app/commandstates.h"
#include "app/form1.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

namespace {

QString text(const char *s)
{
    return s ? QString::fromLatin1(s) : QString();
}

} // namespace

MenuBuilder::MenuBuilder(TForm1 &form, CommandStates &commands) : m_form(form), m_commands(commands) {}

void MenuBuilder::addPlace(QWidget *place)
{
    m_places.insert(place->objectName(), place);
}

QMenu *MenuBuilder::menu(const QString &name) const
{
    return qobject_cast<QMenu *>(m_places.value(name));
}

void MenuBuilder::build(std::span<const MenuTable::Row> rows)
{
    for (const MenuTable::Row &row : rows) {
        if (row.kind == MenuTable::Kind::Popup) {
            addPopup(row);
            continue;
        }
        QWidget *place = m_places.value(text(row.in));
        Q_ASSERT_X(place, "MenuBuilder::build", row.in);
        switch (row.kind) {
        case MenuTable::Kind::Entry:
            addEntry(row, place);
            break;
        case MenuTable::Kind::Menu:
            addMenu(row, place);
            break;
        case MenuTable::Kind::Separator: {
            auto *separator = new QAction(place);
            separator->setSeparator(true);
            separator->setVisible(!(row.flags & MenuTable::Hidden));
            place->addAction(separator);
            break;
        }
        case MenuTable::Kind::Button:
            addButton(row, place);
            break;
        case MenuTable::Kind::Popup:
            break;
        }
    }
}

void MenuBuilder::setUp(QAction *action, const MenuTable::Row &row, QWidget *place)
{
    action->setObjectName(text(row.name));
    if (row.icon)
        action->setIcon(AppIcons::icon(text(row.icon)));
    if (row.flags & MenuTable::Checkable) {
        action->setCheckable(true);
        action->setChecked((row.flags & MenuTable::Ticked) == MenuTable::Ticked);
    }
    if (row.flags & MenuTable::Exclusive) {
        QActionGroup *&group = m_exclusive[place->objectName()];
        if (!group)
            group = new QActionGroup(&m_form);
        group->addAction(action);
    }
    action->setVisible(!(row.flags & MenuTable::Hidden));
    action->setEnabled(!(row.flags & MenuTable::Disabled));
    if (row.handler)
        QObject::connect(action, &QAction::triggered, &m_form,
                         [form = &m_form, handler = row.handler] { (form->*handler)(); });
    if (row.group)
        m_commands.add(*row.group, action);
    m_actions.insert(action->objectName(), action);
}

void MenuBuilder::addEntry(const MenuTable::Row &row, QWidget *place)
{
    auto *action = new QAction(text(row.text), place);
    place->addAction(action);
    setUp(action, row, place);
}

void MenuBuilder::addMenu(const MenuTable::Row &row, QWidget *place)
{
    auto *menu = new QMenu(text(row.text), place);
    menu->setObjectName(text(row.menu));
    place->addAction(menu->menuAction());
    setUp(menu->menuAction(), row, place);
    addPlace(menu);
}

void MenuBuilder::addPopup(const MenuTable::Row &row)
{
    auto *menu = new QMenu(&m_form);
    menu->setObjectName(text(row.name));
    addPlace(menu);
}

void MenuBuilder::addButton(const MenuTable::Row &row, QWidget *place)
{
    auto *bar = qobject_cast<QToolBar *>(place);
    Q_ASSERT_X(bar, "MenuBuilder::addButton", row.in);
    auto *button = new QToolButton(bar);
    button->setObjectName(text(row.name));
    button->setToolTip(text(row.tip));
    if (row.text)
        button->setText(text(row.text));
    if (row.icon)
        button->setIcon(AppIcons::icon(text(row.icon)));
    button->setIconSize(QSize(32, 32));
    button->setFixedSize(50, 41);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    if (row.flags & MenuTable::Checkable) {
        button->setCheckable(true);
        button->setChecked((row.flags & MenuTable::Ticked) == MenuTable::Ticked);
    }
    // The buttons of one tool bar are its children alike; the exclusive ones
    // make one set.
    button->setAutoExclusive(row.flags & MenuTable::Exclusive);
    button->setEnabled(!(row.flags & MenuTable::Disabled));
    if (row.menu) {
        QMenu *dropDown = menu(text(row.menu));
        Q_ASSERT_X(dropDown, "MenuBuilder::addButton", row.menu);
        button->setMenu(dropDown);
        button->setPopupMode(QToolButton::MenuButtonPopup);
        button->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(
            button, &QWidget::customContextMenuRequested, dropDown,
            [button, dropDown](const QPoint &pos) { dropDown->popup(button->mapToGlobal(pos)); });
    }
    if (row.handler)
        QObject::connect(button, &QToolButton::clicked, &m_form,
                         [form = &m_form, handler = row.handler] { (form->*handler)(); });
    bar->addWidget(button)->setVisible(!(row.flags & MenuTable::Hidden));
    if (row.group)
        m_commands.add(*row.group, button);
    m_buttons.insert(button->objectName(), button);
}
