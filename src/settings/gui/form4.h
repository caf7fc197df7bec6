#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QSlider;
class QTabWidget;
class Settings;

// "Options": the modal editor of the stored settings. Each opening makes a
// new dialog; only the settings and the page left open outlive it.
class TForm4 : public QDialog
{
    Q_OBJECT
public:
    // `workingFolder` is the folder whose free space is shown.
    TForm4(Settings &settings, const QString &workingFolder, QWidget *parent = nullptr);
    ~TForm4() override;

    // 1 after "&Ok" (or the "Max" label), 0 after "&Cancel" or Esc; closing
    // with the title-bar button leaves it as it was. Shared by every opening.
    static int okAnswer() { return s_okAnswer; }
    static void setOkAnswer(int answer) { s_okAnswer = answer; }

    // The thumbnail-link flag rides through the dialog unchanged.
    void setThumbnailLink(bool on);
    bool thumbnailLink() const;

    // Applies and stores what the dialog shows; false (and a message) when a
    // login or proxy text cannot be stored.
    bool apply();
    void reject() override;

    // The preview's size for a thumbnail size, at creation and after a slider
    // move: the two use different factors.
    static int previewWidth(int tw, bool moved);
    static int previewHeight(int th, bool moved);

    static QString rootDirectoryText()
    {
        return QStringLiteral(
            "For the system safety, you can not change the root directory of storing downloaded pictures.");
    }
    static QString barRefusedText()
    {
        return QStringLiteral("The login and proxy settings can not hold the character \"|\".");
    }
    static QString portRefusedText()
    {
        return QStringLiteral("The proxy port must be a number from 1 to 65535, or left empty.");
    }
    // help/subdirectory.html beside the program.
    static QString helpPage();

Q_SIGNALS:
    // The settings were applied and stored; the dialog may still be open.
    void applied();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildPages();
    void buildThumbnailGroup(QGroupBox *group);
    void connectRules();
    void fill();
    void showFreeSpace();
    void updateEnabling();
    void showThumbnailCaption();
    void placePreview(int width, int height);
    bool loginAndProxyStorable();
    void okClicked();
    void cancelClicked();

    template <typename T> T *control(const char *name) const;

    Settings &m_settings;
    QString m_workingFolder;
    QTabWidget *m_pages = nullptr;
    QGroupBox *m_thumbnailGroup = nullptr;
    QSlider *m_trackBar1 = nullptr;
    QSlider *m_trackBar3 = nullptr;
    QFrame *m_panel1 = nullptr;
    QFrame *m_panel2 = nullptr;
    QLabel *m_maxLabel = nullptr;
    QCheckBox *m_checkBox6 = nullptr;
    bool m_closingByTitleBar = false;

    static int s_okAnswer;
};
