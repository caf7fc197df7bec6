#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class Settings;

// "Substrings editor": the phrases that pick the interesting piece of a
// search's first page, one per line. It lives as long as the main window and
// starts from the current substrings on every show.
class TForm3 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm3(Settings &settings, QWidget *parent = nullptr);

    // Fills the window for a show: the address and the current lines.
    void prepare(const QString &address);
    // The help page the Help button opens.
    void setHelpFile(const QString &path) { m_helpFile = path; }
    QString helpFile() const { return m_helpFile; }

    // The editor's lines; a final line break ends the last line rather than
    // starting an empty one, so a reopened editor gives back the same lines.
    QStringList lines() const;

    void getFromClipboard();
    void clearEditor();
    void viewWebPage();
    void openHelp();

    void accept() override;

Q_SIGNALS:
    // OK has set (or cleared) the substrings.
    void substringsApplied();

private:
    Settings &m_settings;
    QLabel *m_label1 = nullptr;
    QToolButton *m_speedButton1 = nullptr;
    QPlainTextEdit *m_richEdit1 = nullptr;
    QPushButton *m_button1 = nullptr;
    QPushButton *m_button2 = nullptr;
    QPushButton *m_button3 = nullptr;
    QPushButton *m_button4 = nullptr;
    QPushButton *m_helpButton = nullptr;
    QString m_helpFile;
};
