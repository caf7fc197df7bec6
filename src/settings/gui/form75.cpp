#include "settings/gui/form75.h"

#include "settings/settings.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TForm75::TForm75(Settings &settings, QWidget *parent) : QDialog(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("TForm75"));
    setWindowTitle(QStringLiteral("Search Option"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);

    auto *image1 = new QLabel(this);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setPixmap(QApplication::windowIcon().pixmap(48, 48));
    image1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto *label1 = new QLabel(QStringLiteral("Keywords:"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_edit1 = new QLineEdit(this);
    m_edit1->setObjectName(QStringLiteral("Edit1"));
    label1->setBuddy(m_edit1);

    m_radioButton1 = new QRadioButton(QStringLiteral("Any picture"), this);
    m_radioButton1->setObjectName(QStringLiteral("RadioButton1"));
    m_radioButton2 = new QRadioButton(QStringLiteral("Thumbnails"), this);
    m_radioButton2->setObjectName(QStringLiteral("RadioButton2"));
    m_radioButton2->setChecked(true);

    const QStringList noteLines = {QStringLiteral("(If you want to get big pictures, you can click the"),
                                   QStringLiteral("popup menu item 'Get big size pictures' after  "),
                                   QStringLiteral("Get"), QStringLiteral("downloaded thumbnails.)")};
    auto *notes = new QVBoxLayout;
    notes->setSpacing(0);
    for (int i = 0; i < noteLines.size(); ++i) {
        auto *note = new QLabel(noteLines.at(i), this);
        note->setObjectName(QStringLiteral("Label%1").arg(i + 2));
        notes->addWidget(note);
    }

    m_button1 = new QPushButton(QStringLiteral("&Start"), this);
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_button1->setDefault(true);
    m_button2 = new QPushButton(QStringLiteral("&Cancel"), this);
    m_button2->setObjectName(QStringLiteral("Button2"));
    m_button3 = new QPushButton(QStringLiteral("&More options"), this);
    m_button3->setObjectName(QStringLiteral("Button3"));

    auto *fields = new QVBoxLayout;
    fields->addWidget(label1);
    fields->addWidget(m_edit1);
    fields->addWidget(m_radioButton1);
    fields->addWidget(m_radioButton2);
    fields->addLayout(notes);
    fields->addStretch(1);

    auto *top = new QHBoxLayout;
    top->addWidget(image1);
    top->addLayout(fields, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_button1);
    buttons->addWidget(m_button2);
    buttons->addWidget(m_button3);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);

    setTabOrder(m_edit1, m_radioButton1);
    setTabOrder(m_radioButton1, m_radioButton2);
    setTabOrder(m_radioButton2, m_button1);
    setTabOrder(m_button1, m_button2);
    setTabOrder(m_button2, m_button3);

    connect(m_button1, &QPushButton::clicked, this, &TForm75::start);
    connect(m_button2, &QPushButton::clicked, this, &TForm75::reject);
    connect(m_button3, &QPushButton::clicked, this, &TForm75::moreOptionsRequested);

    setFixedSize(sizeHint().expandedTo(QSize(395, 280)));
}

void TForm75::start()
{
    // The service reads "+" as the blank between keywords.
    const QString keywords = QString(m_edit1->text()).replace(u' ', u'+');
    m_settings.urlIncludeText = keywords;
    m_settings.max_level = 2;
    Q_EMIT started(m_settings.searchservice + keywords);
    QDialog::accept();
}

void TForm75::reject()
{
    Q_EMIT cancelled();
    QDialog::reject();
}
