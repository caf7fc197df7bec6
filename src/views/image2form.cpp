#include "views/image2form.h"

#include "app/appicons.h"
#include "views/imageenview.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int ReloadDelayMs = 150;

QToolButton *addButton(QToolBar *bar, const char *name, const char *icon, const char *hint)
{
    auto *button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(AppIcons::icon(QString::fromLatin1(icon)));
    button->setToolTip(QString::fromLatin1(hint));
    button->setAutoRaise(true);
    bar->addWidget(button);
    return button;
}

} // namespace

TImage2Form::TImage2Form(QWidget *parent) : QDockWidget(parent)
{
    setObjectName(QStringLiteral("Image2Form"));
    setWindowTitle(QStringLiteral("Picture"));
    setMinimumSize(1, 1);
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                QDockWidget::DockWidgetFloatable);

    auto *panel1 = new QWidget(this);
    panel1->setObjectName(QStringLiteral("Panel1"));
    auto *panelLayout = new QVBoxLayout(panel1);
    panelLayout->setContentsMargins(0, 0, 0, 0);

    m_scrollBox1 = new QWidget(panel1);
    m_scrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    m_scrollBox1->setBackgroundRole(QPalette::Dark);
    m_scrollBox1->setAutoFillBackground(true);
    m_scrollBox1->installEventFilter(this);
    panelLayout->addWidget(m_scrollBox1);
    auto *column = new QVBoxLayout(m_scrollBox1);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_toolBar1 = new QToolBar(m_scrollBox1);
    m_toolBar1->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar1->setMovable(false);
    m_toolBar1->setFloatable(false);
    m_toolBar1->setIconSize(QSize(16, 16));
    m_toolButton4 = addButton(m_toolBar1, "ToolButton4", "mouse", "Ordinary mouse");
    m_toolButton1 = addButton(m_toolBar1, "ToolButton1", "zoom",
                              "Zoom in/out(Mouse left-right to zoom in, right-click to zoom out");
    m_toolButton4->setCheckable(true);
    m_toolButton1->setCheckable(true);
    auto *group = new QButtonGroup(this);
    group->setExclusive(true);
    group->addButton(m_toolButton4);
    group->addButton(m_toolButton1);
    m_toolButton4->setChecked(true);
    m_toolBar1->addSeparator();
    QToolButton *toolButton2 =
        addButton(m_toolBar1, "ToolButton2", "actualsize", "Reset to the original size");
    QToolButton *toolButton3 =
        addButton(m_toolBar1, "ToolButton3", "bestfit", "Fit the picture to the window");
    column->addWidget(m_toolBar1);

    // Panel3 lies over the view in the same cell until the first picture.
    auto *cell = new QWidget(m_scrollBox1);
    cell->setObjectName(QStringLiteral("ViewCell"));
    auto *stack = new QGridLayout(cell);
    stack->setContentsMargins(0, 0, 0, 0);
    m_view = new ImageEnView(cell);
    m_panel3 = new QFrame(cell);
    m_panel3->setObjectName(QStringLiteral("Panel3"));
    m_panel3->setAutoFillBackground(true);
    stack->addWidget(m_view, 0, 0);
    stack->addWidget(m_panel3, 0, 0);
    m_panel3->raise();
    column->addWidget(cell, 1);
    setWidget(panel1);

    connect(m_toolButton4, &QToolButton::clicked, this, [this] { setMouseZoom(false); });
    connect(m_toolButton1, &QToolButton::clicked, this, [this] { setMouseZoom(true); });
    connect(toolButton2, &QToolButton::clicked, this, &TImage2Form::zoomToOriginalSize);
    connect(toolButton3, &QToolButton::clicked, this, &TImage2Form::fitPicture);

    m_previewTimer.setSingleShot(true);
    m_previewTimer.setInterval(PreviewIntervalMs);
    connect(&m_previewTimer, &QTimer::timeout, this, &TImage2Form::showPendingPreview);
    m_reloadTimer.setSingleShot(true);
    m_reloadTimer.setInterval(ReloadDelayMs);
    connect(&m_reloadTimer, &QTimer::timeout, this, [this] {
        if (!m_displayPath.isEmpty() && QFile::exists(m_displayPath))
            m_view->loadFile(m_displayPath);
    });
}

void TImage2Form::showPictureFile(const QString &path)
{
    if (!m_panel3->isHidden())
        m_panel3->hide();
    m_displayPath = path;
    if (!path.isEmpty() && QFile::exists(path))
        m_view->loadFile(path);
    else
        blankPicture();
}

void TImage2Form::previewPicture(const QString &path)
{
    if (m_previewTimer.isActive()) {
        m_pendingPreview = path;
        return;
    }
    showPictureFile(path);
    m_previewTimer.start();
}

void TImage2Form::showPendingPreview()
{
    if (m_pendingPreview.isEmpty())
        return;
    const QString path = m_pendingPreview;
    m_pendingPreview.clear();
    showPictureFile(path);
    m_previewTimer.start();
}

void TImage2Form::blankPicture()
{
    // A preview still waiting belongs to what is being cleared.
    m_pendingPreview.clear();
    m_view->blank();
}

void TImage2Form::fitPicture()
{
    m_view->fit();
}

void TImage2Form::zoomToOriginalSize()
{
    m_view->setZoom(100.0);
}

void TImage2Form::setMouseZoom(bool zoom)
{
    m_toolButton1->setChecked(zoom);
    m_toolButton4->setChecked(!zoom);
    m_view->setMouseInteract(zoom ? ImageEnView::MouseInteract::ZoomScroll
                                  : ImageEnView::MouseInteract::Scroll);
}

QRect TImage2Form::clientGeometry() const
{
    const QPoint topLeft = isFloating() ? pos() : geometry().topLeft();
    const QSize client = widget() ? widget()->size() : size();
    return QRect(topLeft, client);
}

bool TImage2Form::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_scrollBox1 && event->type() == QEvent::Resize)
        m_reloadTimer.start();
    return QDockWidget::eventFilter(watched, event);
}

void TImage2Form::closeEvent(QCloseEvent *event)
{
    if (m_shown) {
        m_shown = false;
        Q_EMIT closedByUser();
    }
    QDockWidget::closeEvent(event);
}
