#include "views/form2.h"

#include "app/appicons.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

TForm2::PictureKind TForm2::pictureKind(const QString &path)
{
    if (path.contains(u'?'))
        return PictureKind::None;
    if (path.endsWith(u"JPG", Qt::CaseInsensitive) || path.endsWith(u"JPEG", Qt::CaseInsensitive))
        return PictureKind::Jpeg;
    if (path.endsWith(u"GIF", Qt::CaseInsensitive))
        return PictureKind::Gif;
    if (path.endsWith(u"PNG", Qt::CaseInsensitive))
        return PictureKind::Png;
    return PictureKind::None;
}

TForm2::TForm2(const QStringList &pagePaths, int startIndex, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint), m_pagePaths(pagePaths),
      m_pictureCount(int(pagePaths.size())), m_startIndex(startIndex)
{
    setObjectName(QStringLiteral("Form2"));
    setModal(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    m_scrollBox1 = new QScrollArea(this);
    m_scrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    m_scrollBox1->setFrameShape(QFrame::NoFrame);
    m_scrollBox1->setWidgetResizable(false);
    m_scrollBox1->setPalette(black);
    m_scrollBox1->setBackgroundRole(QPalette::Window);
    // The keys page and scroll here, not in the scroll area.
    m_scrollBox1->setFocusPolicy(Qt::NoFocus);
    m_scrollBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    m_content = new QWidget;
    m_content->setObjectName(QStringLiteral("ScrollContent"));
    m_content->setPalette(black);
    m_content->setAutoFillBackground(true);
    m_panel1 = new QWidget(m_content);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setPalette(black);
    m_panel1->setAutoFillBackground(true);
    m_image1 = new QLabel(m_panel1);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setScaledContents(true);
    m_image1->hide();
    m_image1->installEventFilter(this);
    m_scrollBox1->setWidget(m_content);

    m_popupMenu1 = new QMenu(this);
    m_popupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QAction *previous = m_popupMenu1->addAction(QStringLiteral("&Previous Picture"));
    previous->setObjectName(QStringLiteral("PreviousPicture1"));
    QAction *next = m_popupMenu1->addAction(QStringLiteral("&Next Picture"));
    next->setObjectName(QStringLiteral("NextPicture1"));
    m_popupMenu1->addSeparator();
    QAction *exit = m_popupMenu1->addAction(AppIcons::icon(QStringLiteral("exit")), QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("Exit1"));
    connect(previous, &QAction::triggered, this, &TForm2::previousPicture);
    connect(next, &QAction::triggered, this, &TForm2::nextPicture);
    connect(exit, &QAction::triggered, this, &TForm2::reject);
    connect(m_scrollBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { m_popupMenu1->popup(m_scrollBox1->viewport()->mapToGlobal(at)); });

    connect(&m_loader, &PictureLoader::loaded, this,
            [this](const QString &, const QImage &image) { onLoaded(image); });

    QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen)
        setGeometry(screen->geometry());
}

void TForm2::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    m_scrollBox1->setGeometry(rect());
}

void TForm2::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_opened)
        return;
    m_opened = true;
    m_scrollBox1->setGeometry(rect());
    m_current = m_startIndex;
    scrollHome();
    showCurrent();
}

void TForm2::scrollHome()
{
    m_scrollBox1->horizontalScrollBar()->setValue(0);
    m_scrollBox1->verticalScrollBar()->setValue(0);
}

void TForm2::showCurrent()
{
    if (m_current < 0 || m_current >= m_pictureCount)
        return;
    const QString path = m_pagePaths.at(m_current);
    if (pictureKind(path) == PictureKind::None)
        return;
    // Only the newest request may reach the screen.
    m_loader.cancel();
    m_requested = m_current;
    m_loader.load(path);
}

void TForm2::onLoaded(const QImage &image)
{
    // A file that is gone or does not decode leaves the screen as it was.
    if (image.isNull())
        return;
    placePicture(image);
    m_shown = m_requested;
    Q_EMIT pictureShown(m_shown);
}

void TForm2::placePicture(const QImage &image)
{
    const QSize client = m_scrollBox1->maximumViewportSize();
    const int left = std::max(0, client.width() / 2 - image.width() / 2);
    const int top = std::max(0, client.height() / 2 - image.height() / 2);
    m_content->resize(std::max(client.width(), left + image.width()),
                      std::max(client.height(), top + image.height()));
    m_panel1->setGeometry(left, top, image.width(), image.height());
    m_image1->setGeometry(0, 0, image.width(), image.height());
    m_image1->setPixmap(QPixmap::fromImage(image));
    m_image1->show();
}

void TForm2::previousPicture()
{
    if (m_current - 1 < 0) {
        m_current = 0;
        return;
    }
    --m_current;
    scrollHome();
    showCurrent();
}

void TForm2::nextPicture()
{
    if (m_current + 1 > m_pictureCount - 1) {
        m_current = std::max(0, m_pictureCount - 1);
        return;
    }
    ++m_current;
    scrollHome();
    showCurrent();
}

void TForm2::scrollBy(int dx, int dy)
{
    QScrollBar *h = m_scrollBox1->horizontalScrollBar();
    QScrollBar *v = m_scrollBox1->verticalScrollBar();
    h->setValue(h->value() + dx * 2 * h->singleStep());
    v->setValue(v->value() + dy * 2 * v->singleStep());
}

void TForm2::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        reject();
        break;
    case Qt::Key_PageUp:
        previousPicture();
        break;
    case Qt::Key_PageDown:
        nextPicture();
        break;
    case Qt::Key_Left:
        scrollBy(-1, 0);
        break;
    case Qt::Key_Right:
        scrollBy(1, 0);
        break;
    case Qt::Key_Up:
        scrollBy(0, -1);
        break;
    case Qt::Key_Down:
        scrollBy(0, 1);
        break;
    default:
        QDialog::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool TForm2::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_image1)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton) {
            m_grabbed = true;
            m_grabPoint = mouse->position().toPoint();
            return true;
        }
        break;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (m_grabbed && (mouse->buttons() & Qt::LeftButton)) {
            // Both points are on the picture, which moves as it scrolls: the
            // grabbed point follows the pointer.
            const QPoint by = m_grabPoint - mouse->position().toPoint();
            QScrollBar *h = m_scrollBox1->horizontalScrollBar();
            QScrollBar *v = m_scrollBox1->verticalScrollBar();
            h->setValue(h->value() + by.x());
            v->setValue(v->value() + by.y());
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            m_grabbed = false;
        break;
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            m_grabbed = false;
            reject();
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}
