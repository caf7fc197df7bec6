#pragma once

#include <QDockWidget>
#include <QElapsedTimer>
#include <QTimer>

class ImageEnView;
class QFrame;
class QToolBar;
class QToolButton;

// "Picture": the tool window that shows one picture, the one selected in the
// picture list or, during a run, the latest saved one. Closing only hides it.
class TImage2Form : public QDockWidget
{
    Q_OBJECT
public:
    explicit TImage2Form(QWidget *parent = nullptr);

    // Shows the file (decoded off the GUI thread); a missing file blanks.
    void showPictureFile(const QString &path);
    // For the pictures of a run, which may come faster than they can be
    // decoded: at most one every PreviewIntervalMs, always the newest.
    void previewPicture(const QString &path);
    void blankPicture();
    void fitPicture();
    void zoomToOriginalSize();
    void setMouseZoom(bool zoom);

    ImageEnView *view() const { return m_view; }
    QString displayPath() const { return m_displayPath; }

    bool isShownFlag() const { return m_shown; }
    void setShownFlag(bool on) { m_shown = on; }
    // Position and client size, as the window settings keep them.
    QRect clientGeometry() const;

    static constexpr int PreviewIntervalMs = 100;

Q_SIGNALS:
    // The window was closed by the user (the View menu's tick follows).
    void closedByUser();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showPendingPreview();

    QWidget *m_scrollBox1 = nullptr;
    QToolBar *m_toolBar1 = nullptr;
    QToolButton *m_toolButton4 = nullptr;
    QToolButton *m_toolButton1 = nullptr;
    ImageEnView *m_view = nullptr;
    QFrame *m_panel3 = nullptr;
    QString m_displayPath;
    bool m_shown = true;

    QTimer m_previewTimer;
    QString m_pendingPreview;
    // A resize drag sends many resizes; the picture is read again once it rests.
    QTimer m_reloadTimer;
};
