#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

// Answers the program's modal message boxes while a GUI test runs, and keeps
// what each one said: a box left open would block the test for good.
class MessageBoxAnswerer : public QObject
{
public:
    struct Shown
    {
        QMessageBox::Icon icon;
        QString text;
    };

    MessageBoxAnswerer()
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, [this] { answer(); });
        m_timer.start();
    }

    // The button pressed in yes/no questions; other boxes get OK.
    void setAnswer(QMessageBox::StandardButton button) { m_answer = button; }
    QList<Shown> shown() const { return m_shown; }
    QStringList texts() const
    {
        QStringList out;
        for (const Shown &s : m_shown)
            out << s.text;
        return out;
    }
    Shown last() const { return m_shown.value(m_shown.size() - 1, Shown{QMessageBox::NoIcon, QString()}); }
    void clear() { m_shown.clear(); }

private:
    void answer()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || box == m_answered)
            return;
        m_answered = box;
        m_shown << Shown{box->icon(), box->text()};
        QAbstractButton *button = box->button(m_answer);
        if (!button)
            button = box->button(QMessageBox::Ok);
        if (button)
            button->click();
        else
            box->reject();
    }

    QTimer m_timer;
    QList<Shown> m_shown;
    QPointer<QMessageBox> m_answered;
    QMessageBox::StandardButton m_answer = QMessageBox::Yes;
};
