#include "settings/gui/form3.h"

#include "settings/settings.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

TForm3::TForm3(Settings &settings, QWidget *parent) : QDialog(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("Substrings editor"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);

    auto *label2 = new QLabel(QStringLiteral("of URL:"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    m_label1 = new QLabel(panel);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long address must not widen the fixed window.
    m_label1->setMinimumWidth(1);
    m_label1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto *panelRow = new QHBoxLayout(panel);
    panelRow->setContentsMargins(4, 2, 4, 2);
    panelRow->addWidget(m_label1);

    m_speedButton1 = new QToolButton(this);
    m_speedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    m_speedButton1->setToolTip(QStringLiteral("View the web page"));
    m_speedButton1->setAccessibleName(QStringLiteral("View the web page"));
    m_speedButton1->setIcon(
        QIcon::fromTheme(QStringLiteral("web-browser"), style()->standardIcon(QStyle::SP_DirLinkIcon)));
    // Tool buttons take no focus by default; this one must be reachable by Tab.
    m_speedButton1->setFocusPolicy(Qt::StrongFocus);

    auto *topRow = new QHBoxLayout;
    topRow->addWidget(label2);
    topRow->addWidget(panel, 1);
    topRow->addWidget(m_speedButton1);

    m_richEdit1 = new QPlainTextEdit(this);
    m_richEdit1->setObjectName(QStringLiteral("RichEdit1"));
    m_richEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_richEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_richEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on to the buttons; a phrase has no use for a tab character.
    m_richEdit1->setTabChangesFocus(true);

    m_button1 = new QPushButton(QStringLiteral("&Get from clipboard"), this);
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_button2 = new QPushButton(QStringLiteral("Clea&r"), this);
    m_button2->setObjectName(QStringLiteral("Button2"));
    m_button3 = new QPushButton(QStringLiteral("&Ok"), this);
    m_button3->setObjectName(QStringLiteral("Button3"));
    m_button4 = new QPushButton(QStringLiteral("&Cancel"), this);
    m_button4->setObjectName(QStringLiteral("Button4"));
    m_helpButton = new QPushButton(QStringLiteral("&Help"), this);
    m_helpButton->setObjectName(QStringLiteral("HelpButton"));
    // Return in the editor starts a new line; elsewhere it is OK.
    m_button3->setDefault(true);

    auto *buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_button1);
    buttonRow->addWidget(m_button2);
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_button3);
    buttonRow->addWidget(m_button4);
    buttonRow->addWidget(m_helpButton);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(topRow);
    layout->addWidget(m_richEdit1, 1);
    layout->addLayout(buttonRow);

    setTabOrder(m_speedButton1, m_richEdit1);
    setTabOrder(m_richEdit1, m_button1);
    setTabOrder(m_button1, m_button2);
    setTabOrder(m_button2, m_button3);
    setTabOrder(m_button3, m_button4);
    setTabOrder(m_button4, m_helpButton);

    connect(m_speedButton1, &QToolButton::clicked, this, &TForm3::viewWebPage);
    connect(m_button1, &QPushButton::clicked, this, &TForm3::getFromClipboard);
    connect(m_button2, &QPushButton::clicked, this, &TForm3::clearEditor);
    connect(m_button3, &QPushButton::clicked, this, &TForm3::accept);
    connect(m_button4, &QPushButton::clicked, this, &TForm3::reject);
    connect(m_helpButton, &QPushButton::clicked, this, &TForm3::openHelp);

    setFixedSize(sizeHint().expandedTo(QSize(442, 312)));
}

void TForm3::prepare(const QString &address)
{
    m_label1->setText(address);
    m_richEdit1->clear();
    for (const QString &line : m_settings.substrListbox)
        m_richEdit1->appendPlainText(line);
    m_richEdit1->setFocus();
}

QStringList TForm3::lines() const
{
    const QString text = m_richEdit1->toPlainText();
    if (text.isEmpty())
        return {};
    QStringList result = text.split(u'\n');
    if (text.endsWith(u'\n'))
        result.removeLast();
    return result;
}

void TForm3::getFromClipboard()
{
    const QString text = QApplication::clipboard()->text();
    if (text.trimmed().isEmpty())
        return;
    m_richEdit1->setPlainText(text);
}

void TForm3::clearEditor()
{
    m_richEdit1->clear();
}

void TForm3::viewWebPage()
{
    // The address goes to the browser as shown; whatever the browser makes of it is its own affair.
    QDesktopServices::openUrl(QUrl::fromUserInput(m_label1->text()));
}

void TForm3::openHelp()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_helpFile));
}

void TForm3::accept()
{
    m_settings.setSubstrings(lines());
    Q_EMIT substringsApplied();
    QDialog::accept();
}
