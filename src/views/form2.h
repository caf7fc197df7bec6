#pragma once

#include "views/pictureloader.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QMenu;
class QScrollArea;

// The full-screen viewer: the pictures of the page, one at a time, at their
// own size on a black screen. It lives only while it is open and its list of
// pictures is the page as it was when it opened.
class TForm2 : public QDialog
{
    Q_OBJECT
public:
    // Only these kinds are shown, known by the end of the file name.
    enum class PictureKind { None, Jpeg, Gif, Png };
    static PictureKind pictureKind(const QString &path);

    TForm2(const QStringList &pagePaths, int startIndex, QWidget *parent = nullptr);

    int currentIndex() const { return m_current; }
    // The index whose picture is on the screen, -1 before the first one.
    int shownIndex() const { return m_shown; }
    // A picture is still being decoded.
    bool isDecoding() const { return m_loader.isBusy(); }

    void previousPicture();
    void nextPicture();

    QScrollArea *scrollBox() const { return m_scrollBox1; }
    QWidget *panel1() const { return m_panel1; }
    QLabel *image1() const { return m_image1; }
    QMenu *popupMenu() const { return m_popupMenu1; }

Q_SIGNALS:
    // The picture of `index` is on the screen.
    void pictureShown(int index);

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showCurrent();
    void scrollHome();
    void onLoaded(const QImage &image);
    void placePicture(const QImage &image);
    void scrollBy(int dx, int dy);

    QStringList m_pagePaths;
    int m_pictureCount = 0;
    int m_startIndex = 0;
    int m_current = 0;
    int m_requested = -1;
    int m_shown = -1;
    bool m_opened = false;

    QScrollArea *m_scrollBox1 = nullptr;
    QWidget *m_content = nullptr;
    QWidget *m_panel1 = nullptr;
    QLabel *m_image1 = nullptr;
    QMenu *m_popupMenu1 = nullptr;
    PictureLoader m_loader;

    bool m_grabbed = false;
    QPoint m_grabPoint;
};
