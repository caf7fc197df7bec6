#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;
class Settings;

// "Search Option": keywords turned into the query address of the picture
// search service. Made once at start, so the kind ticked stays from one show
// to the next.
class TForm75 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm75(Settings &settings, QWidget *parent = nullptr);

    void start();
    void reject() override;

Q_SIGNALS:
    // Start has set the URL include text and max_level; the main window puts
    // the address in its address box and turns the keyword search on.
    void started(const QString &address);
    // Cancel or the close box: the keyword search is off.
    void cancelled();
    void moreOptionsRequested();

private:
    Settings &m_settings;
    QLineEdit *m_edit1 = nullptr;
    QRadioButton *m_radioButton1 = nullptr;
    QRadioButton *m_radioButton2 = nullptr;
    QPushButton *m_button1 = nullptr;
    QPushButton *m_button2 = nullptr;
    QPushButton *m_button3 = nullptr;
};
