// The Picture window, its zoom view and the full-screen viewer, driven by the
// names of their widgets, with real picture files in a temporary folder.

#include "app/form1.h"
#include "openmainwindow.h"
#include "store/searchdatabase.h"
#include "support/testenv.h"
#include "support/testimages.h"
#include "views/form2.h"
#include "views/image2form.h"
#include "views/imageenview.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

namespace {

constexpr int DecodeTimeout = 10000;

// Picture files made for one test.
struct Pictures
{
    QTemporaryDir dir;

    QString write(const QString &name, const QByteArray &bytes) const
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            qWarning("cannot write %s", qPrintable(path));
        return path;
    }
    QString jpeg(const QString &name, int w, int h, int seed = 0) const
    {
        return write(name, TestImages::jpeg(w, h, seed));
    }
    QString png(const QString &name, int w, int h, int seed = 0) const
    {
        return write(name, TestImages::png(w, h, seed));
    }
    QString gif(const QString &name, int w, int h, int seed = 0) const
    {
        return write(name, TestImages::gif(w, h, seed));
    }
    QString missing(const QString &name) const { return dir.filePath(name); }
};

// A Picture window of its own, shown at a known size.
struct PictureWindow
{
    TImage2Form form;

    PictureWindow()
    {
        form.resize(400, 300);
        form.show();
    }
    // Exposed, and past the reload that the first layout's resizes ask for.
    bool exposed()
    {
        if (!QTest::qWaitForWindowExposed(&form))
            return false;
        QTest::qWait(250);
        return true;
    }
    ImageEnView *view() const { return form.findChild<ImageEnView *>(QStringLiteral("ImageEnView1")); }
    QFrame *panel3() const { return form.findChild<QFrame *>(QStringLiteral("Panel3")); }
    QToolButton *button(const char *name) const
    {
        return form.findChild<QToolButton *>(QString::fromLatin1(name));
    }
    // Shows the file and waits until its decode has come back.
    bool show(const QString &path)
    {
        QSignalSpy loaded(view(), &ImageEnView::fileLoaded);
        form.showPictureFile(path);
        return loaded.wait(DecodeTimeout) || !loaded.isEmpty();
    }
};

// The scaled picture is as large as it can be and still whole in the view.
bool fitsExactly(const ImageEnView &view)
{
    const QRect r = view.pictureRect();
    const QSize room = view.viewport()->size();
    const bool inside = QRect(QPoint(0, 0), room).contains(r);
    const bool touches = qAbs(r.width() - room.width()) <= 1 || qAbs(r.height() - room.height()) <= 1;
    return inside && touches;
}

double expectedFitZoom(const ImageEnView &view)
{
    const QSize room = view.maximumViewportSize();
    const QSize s = view.pictureSize();
    return 100.0 * std::min(double(room.width()) / s.width(), double(room.height()) / s.height());
}

// The full-screen viewer, opened without blocking, on the test's pictures.
struct FullScreen
{
    std::unique_ptr<TForm2> form;

    FullScreen(const QStringList &paths, int start) : form(std::make_unique<TForm2>(paths, start))
    {
        form->show();
    }
    // Waits until no picture is being decoded any more.
    bool settled() const
    {
        return QTest::qWaitFor([this] { return !form->isDecoding(); }, DecodeTimeout);
    }
    void key(Qt::Key key) { QTest::keyClick(form.get(), key); }
    QLabel *image1() const { return form->findChild<QLabel *>(QStringLiteral("Image1")); }
    QScrollBar *hbar() const { return form->scrollBox()->horizontalScrollBar(); }
    QScrollBar *vbar() const { return form->scrollBox()->verticalScrollBar(); }
    QAction *entry(const char *name) const { return form->findChild<QAction *>(QString::fromLatin1(name)); }
};

enum class CloseBy { Escape, DoubleClick, ExitEntry };

} // namespace

Q_DECLARE_METATYPE(CloseBy)

class TestPictureViewers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showPictureFile_data();
    void showPictureFile();
    void blankPicture();
    void undecodablePictureShowsNothing();
    void originalSizeAndFit_data();
    void originalSizeAndFit();
    void smoothOnScreen_data();
    void smoothOnScreen();
    void mouseModes();
    void resizeReloadsThePicture();
    void savedPicturesArePacedAndTheNewestWins();

    void pictureKind_data();
    void pictureKind();
    void fullScreenPaging();
    void fullScreenPageUpAtFirstAndArrows();
    void fullScreenPlacement_data();
    void fullScreenPlacement();
    void fullScreenDragging();
    void fullScreenCloses_data();
    void fullScreenCloses();

    void mainWindowPictureWindow();
    void mainWindowBestFit_data();
    void mainWindowBestFit();
    void mainWindowShowsSavedPictures();
};

// ---- The Picture window ----

void TestPictureViewers::showPictureFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QSize>("size");
    QTest::newRow("jpeg") << "jpg" << QSize(120, 90);
    QTest::newRow("gif") << "gif" << QSize(64, 48);
    QTest::newRow("png") << "png" << QSize(30, 200);
}

void TestPictureViewers::showPictureFile()
{
    QFETCH(QString, kind);
    QFETCH(QSize, size);
    Pictures pictures;
    const QString name = QStringLiteral("picture.") + kind;
    const QString path = kind == u"jpg"   ? pictures.jpeg(name, size.width(), size.height())
                         : kind == u"gif" ? pictures.gif(name, size.width(), size.height())
                                          : pictures.png(name, size.width(), size.height());
    PictureWindow w;
    QVERIFY(w.exposed());
    // The cover hides the view until there is a picture.
    QVERIFY(w.panel3()->isVisible());
    QVERIFY(!w.view()->hasPicture());
    QVERIFY(w.show(path));
    QVERIFY(!w.panel3()->isVisible());
    QCOMPARE(w.view()->pictureSize(), size);
    QCOMPARE(w.form.displayPath(), path);
}

void TestPictureViewers::blankPicture()
{
    Pictures pictures;
    const QString path = pictures.png(QStringLiteral("a.png"), 80, 60);
    PictureWindow w;
    QVERIFY(w.exposed());
    QVERIFY(w.show(path));
    QVERIFY(w.view()->hasPicture());

    w.form.blankPicture();
    QVERIFY(!w.view()->hasPicture());
    const QImage seen = w.view()->viewport()->grab().toImage();
    QCOMPARE(seen.pixelColor(seen.width() / 2, seen.height() / 2), w.view()->backgroundColor());

    // A blank while the decode is still under way wins over the decode.
    w.form.showPictureFile(path);
    w.form.blankPicture();
    QVERIFY(QTest::qWaitFor([&] { return !w.view()->isLoading(); }, DecodeTimeout));
    QTest::qWait(20);
    QVERIFY(!w.view()->hasPicture());

    // A file that has gone blanks the view as well.
    QVERIFY(w.show(path));
    QVERIFY(QFile::remove(path));
    w.form.showPictureFile(path);
    QVERIFY(!w.view()->hasPicture());
}

void TestPictureViewers::undecodablePictureShowsNothing()
{
    Pictures pictures;
    const QString good = pictures.jpeg(QStringLiteral("good.jpg"), 50, 40);
    QByteArray garbage(3000, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919) % 251);
    // A JPEG start with nonsense after it, and plain nonsense.
    const QString broken =
        pictures.write(QStringLiteral("broken.jpg"), QByteArray("\xff\xd8\xff\xe0", 4) + garbage);
    const QString noise = pictures.write(QStringLiteral("noise.JPG"), garbage);

    PictureWindow w;
    QVERIFY(w.exposed());
    for (const QString &bad : {broken, noise}) {
        QVERIFY(w.show(good));
        QVERIFY(w.view()->hasPicture());
        QSignalSpy loaded(w.view(), &ImageEnView::fileLoaded);
        w.form.showPictureFile(bad);
        QVERIFY(loaded.wait(DecodeTimeout));
        QCOMPARE(loaded.first().at(1).toBool(), false);
        QVERIFY(!w.view()->hasPicture());
        w.form.fitPicture();
        w.view()->viewport()->repaint();
    }

    // The full-screen viewer keeps what it showed.
    FullScreen fs({good, broken, noise}, 0);
    QVERIFY(fs.settled());
    QCOMPARE(fs.form->shownIndex(), 0);
    fs.key(Qt::Key_PageDown);
    fs.key(Qt::Key_PageDown);
    QVERIFY(fs.settled());
    QCOMPARE(fs.form->currentIndex(), 2);
    QCOMPARE(fs.form->shownIndex(), 0);
    QCOMPARE(fs.image1()->size(), QSize(50, 40));
}

void TestPictureViewers::originalSizeAndFit_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("larger than the view") << QSize(1600, 700);
    QTest::newRow("smaller than the view") << QSize(40, 30);
    QTest::newRow("taller than the view") << QSize(200, 1500);
}

void TestPictureViewers::originalSizeAndFit()
{
    QFETCH(QSize, size);
    Pictures pictures;
    const QString path = pictures.png(QStringLiteral("p.png"), size.width(), size.height());
    PictureWindow w;
    QVERIFY(w.exposed());
    QVERIFY(w.show(path));
    ImageEnView &view = *w.view();
    QCOMPARE(view.zoom(), 100.0);
    QCOMPARE(view.pictureRect().size(), size);

    // "Fit the picture to the window": enlarges a small picture too.
    w.button("ToolButton3")->click();
    QVERIFY(qAbs(view.zoom() - expectedFitZoom(view)) < 1e-6);
    QVERIFY2(fitsExactly(view), qPrintable(QStringLiteral("zoom %1").arg(view.zoom())));
    QVERIFY(view.horizontalScrollBar()->maximum() == 0 && view.verticalScrollBar()->maximum() == 0);

    // "Reset to the original size".
    w.button("ToolButton2")->click();
    QCOMPARE(view.zoom(), 100.0);
    QCOMPARE(view.pictureRect().size(), size);

    // Another picture keeps the zoom the user chose.
    w.form.fitPicture();
    const double fitted = view.zoom();
    QVERIFY(w.show(pictures.png(QStringLiteral("q.png"), 10, 10)));
    QCOMPARE(view.zoom(), fitted);
}

void TestPictureViewers::smoothOnScreen_data()
{
    QTest::addColumn<QSize>("size");
    // Too large to shrink within a paint: it is smoothed on the thread pool.
    QTest::newRow("shrinking a large picture") << QSize(2400, 1800);
    QTest::newRow("enlarging a small picture") << QSize(48, 36);
}

void TestPictureViewers::smoothOnScreen()
{
    QFETCH(QSize, size);
    Pictures pictures;
    // A fine checkerboard over the drawing: unfiltered shrinking shows its
    // squares, smooth shrinking their mean.
    QImage drawing =
        TestImages::drawing(size.width(), size.height(), 7).convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < drawing.height(); ++y) {
        for (int x = 0; x < drawing.width(); x += 2) {
            if ((x / 2 + y / 2) % 2 == 0)
                drawing.setPixel(x, y, qRgb(0, 0, 0));
        }
    }
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(drawing.save(&buffer, "PNG"));
    }
    PictureWindow w;
    QVERIFY(w.exposed());
    QVERIFY(w.show(pictures.write(QStringLiteral("d.png"), bytes)));
    ImageEnView &view = *w.view();
    view.fit();
    view.viewport()->repaint();
    QTRY_VERIFY_WITH_TIMEOUT(!view.isSmoothing(), DecodeTimeout);
    const QRect r = view.pictureRect();
    const QImage seen = view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage wanted = view.picture()
                              .scaled(r.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_RGB32);
    // Every point of the picture is where the whole scaled picture has it, in its colour.
    for (int i = 1; i < 8; ++i) {
        for (int j = 1; j < 8; ++j) {
            const QPoint at(r.width() * i / 8, r.height() * j / 8);
            const QColor a = seen.pixelColor(r.topLeft() + at);
            const QColor b = wanted.pixelColor(at);
            const int diff =
                qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue());
            QVERIFY2(diff <= 24, qPrintable(QStringLiteral("at %1,%2: %3 against %4")
                                                .arg(at.x())
                                                .arg(at.y())
                                                .arg(a.name(), b.name())));
        }
    }
}

void TestPictureViewers::mouseModes()
{
    Pictures pictures;
    const QString path = pictures.png(QStringLiteral("big.png"), 1200, 900);
    PictureWindow w;
    QVERIFY(w.exposed());
    QVERIFY(w.show(path));
    ImageEnView &view = *w.view();
    QToolButton *ordinary = w.button("ToolButton4");
    QToolButton *zoom = w.button("ToolButton1");
    QCOMPARE(ordinary->toolTip(), QStringLiteral("Ordinary mouse"));
    QCOMPARE(zoom->toolTip(),
             QStringLiteral("Zoom in/out(Mouse left-right to zoom in, right-click to zoom out"));
    QCOMPARE(w.button("ToolButton2")->toolTip(), QStringLiteral("Reset to the original size"));
    QCOMPARE(w.button("ToolButton3")->toolTip(), QStringLiteral("Fit the picture to the window"));
    QVERIFY(ordinary->isChecked() && !zoom->isChecked());
    QCOMPARE(view.mouseInteract(), ImageEnView::MouseInteract::Scroll);
    QWidget *vp = view.viewport();
    const QPoint middle = vp->rect().center();

    // Ordinary mouse: a click does not zoom, a drag scrolls.
    QTest::mouseClick(vp, Qt::LeftButton, {}, middle);
    QTest::mouseClick(vp, Qt::RightButton, {}, middle);
    QCOMPARE(view.zoom(), 100.0);
    QTest::mousePress(vp, Qt::LeftButton, {}, middle);
    QTest::mouseMove(vp, middle - QPoint(30, 20));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, middle - QPoint(30, 20));
    QCOMPARE(view.horizontalScrollBar()->value(), 30);
    QCOMPARE(view.verticalScrollBar()->value(), 20);

    // Zoom mode: left click in, right click out; a drag still only scrolls.
    zoom->click();
    QVERIFY(zoom->isChecked() && !ordinary->isChecked());
    QCOMPARE(view.mouseInteract(), ImageEnView::MouseInteract::ZoomScroll);
    QTest::mouseClick(vp, Qt::LeftButton, {}, middle);
    const double zoomedIn = view.zoom();
    QVERIFY(zoomedIn > 100.0);
    QTest::mouseClick(vp, Qt::RightButton, {}, middle);
    QCOMPARE(view.zoom(), 100.0);
    QTest::mouseClick(vp, Qt::RightButton, {}, middle);
    QVERIFY(view.zoom() < 100.0);
    w.form.zoomToOriginalSize();
    QTest::mousePress(vp, Qt::LeftButton, {}, middle);
    QTest::mouseMove(vp, middle + QPoint(40, 0));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, middle + QPoint(40, 0));
    QCOMPARE(view.zoom(), 100.0);
    // A double click does nothing of its own.
    QTest::mouseDClick(vp, Qt::LeftButton, {}, middle);
    QVERIFY(w.form.isVisible());

    ordinary->click();
    QVERIFY(ordinary->isChecked() && !zoom->isChecked());
    QCOMPARE(view.mouseInteract(), ImageEnView::MouseInteract::Scroll);
}

void TestPictureViewers::resizeReloadsThePicture()
{
    Pictures pictures;
    const QString path = pictures.png(QStringLiteral("r.png"), 100, 80);
    PictureWindow w;
    QVERIFY(w.exposed());
    QVERIFY(w.show(path));
    // The file changes under the window; a resize reads it again.
    pictures.png(QStringLiteral("r.png"), 60, 50, 3);
    QSignalSpy loaded(w.view(), &ImageEnView::fileLoaded);
    w.form.resize(420, 330);
    QVERIFY(loaded.wait(DecodeTimeout));
    QCOMPARE(w.view()->pictureSize(), QSize(60, 50));
}

void TestPictureViewers::savedPicturesArePacedAndTheNewestWins()
{
    Pictures pictures;
    QStringList paths;
    for (int i = 0; i < 20; ++i)
        paths << pictures.png(QStringLiteral("s%1.png").arg(i), 200 + i, 100, i);
    PictureWindow w;
    QVERIFY(w.exposed());
    QSignalSpy loaded(w.view(), &ImageEnView::fileLoaded);
    for (const QString &path : paths)
        w.form.previewPicture(path);
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty() && loaded.last().at(0).toString() == paths.last(),
                             DecodeTimeout);
    QCOMPARE(w.view()->pictureSize(), QSize(219, 100));
    // The first is shown at once, the newest when the pause is over; the
    // ones between were never decoded.
    QCOMPARE(loaded.size(), 2);
    QCOMPARE(loaded.first().at(0).toString(), paths.first());
}

// ---- The full-screen viewer ----

void TestPictureViewers::pictureKind_data()
{
    using K = TForm2::PictureKind;
    QTest::addColumn<QString>("path");
    QTest::addColumn<K>("kind");
    QTest::newRow("jpg") << "/p/a.jpg" << K::Jpeg;
    QTest::newRow("JPEG") << "/p/a.JPEG" << K::Jpeg;
    QTest::newRow("Jpg") << "/p/a.Jpg" << K::Jpeg;
    QTest::newRow("Gif") << "/p/a.Gif" << K::Gif;
    QTest::newRow("png") << "/p/a.png" << K::Png;
    // Only the last characters count, not a dot.
    QTest::newRow("no dot") << "/p/photojpg" << K::Jpeg;
    QTest::newRow("bmp") << "/p/a.bmp" << K::None;
    QTest::newRow("jpe") << "/p/a.jpe" << K::None;
    QTest::newRow("kind in the middle") << "/p/a.png.txt" << K::None;
    QTest::newRow("question mark") << "/p/show?id=3.jpg" << K::None;
    QTest::newRow("empty") << "" << K::None;
}

void TestPictureViewers::pictureKind()
{
    QFETCH(QString, path);
    QFETCH(TForm2::PictureKind, kind);
    QCOMPARE(TForm2::pictureKind(path), kind);
}

void TestPictureViewers::fullScreenPaging()
{
    Pictures pictures;
    const QStringList paths = {
        pictures.jpeg(QStringLiteral("0.jpg"), 100, 80, 0),
        pictures.gif(QStringLiteral("1.Gif"), 90, 70, 1),
        pictures.png(QStringLiteral("2.PNG"), 80, 60, 2),
        pictures.write(QStringLiteral("3?id=1.jpg"), TestImages::jpeg(70, 50, 3)),
        pictures.missing(QStringLiteral("4.png")),
        pictures.jpeg(QStringLiteral("5.JPEG"), 60, 40, 5),
    };
    // Opened on the third of the page.
    FullScreen fs(paths, 2);
    QVERIFY(QTest::qWaitForWindowExposed(fs.form.get()));
    QVERIFY(fs.settled());
    QCOMPARE(fs.form->currentIndex(), 2);
    QCOMPARE(fs.form->shownIndex(), 2);
    QCOMPARE(fs.image1()->size(), QSize(80, 60));

    struct Step
    {
        int current;
        int shown;
        QSize size;
    };
    // Past the "?" path and the missing file the screen keeps picture 2.
    const QList<Step> steps = {
        {3, 2, QSize(80, 60)}, {4, 2, QSize(80, 60)}, {5, 5, QSize(60, 40)}, {5, 5, QSize(60, 40)}};
    for (const Step &step : steps) {
        const int shownBefore = fs.form->shownIndex();
        const qint64 before = fs.image1()->pixmap().cacheKey();
        fs.key(Qt::Key_PageDown);
        QVERIFY(fs.settled());
        QCOMPARE(fs.form->currentIndex(), step.current);
        QCOMPARE(fs.form->shownIndex(), step.shown);
        QCOMPARE(fs.image1()->size(), step.size);
        // Where nothing new is shown (and at the last Page Down) the screen is untouched.
        if (step.shown == shownBefore)
            QCOMPARE(fs.image1()->pixmap().cacheKey(), before);
    }

    // Back with Page Up and the pop-up's "&Previous Picture" / "&Next Picture".
    QCOMPARE(fs.entry("PreviousPicture1")->text(), QStringLiteral("&Previous Picture"));
    QCOMPARE(fs.entry("NextPicture1")->text(), QStringLiteral("&Next Picture"));
    QCOMPARE(fs.entry("Exit1")->text(), QStringLiteral("E&xit"));
    fs.key(Qt::Key_PageUp);
    fs.key(Qt::Key_PageUp);
    fs.entry("PreviousPicture1")->trigger();
    QVERIFY(fs.settled());
    QCOMPARE(fs.form->currentIndex(), 2);
    QCOMPARE(fs.form->shownIndex(), 2);
    fs.entry("PreviousPicture1")->trigger();
    QVERIFY(fs.settled());
    QCOMPARE(fs.form->shownIndex(), 1);
    fs.entry("NextPicture1")->trigger();
    QVERIFY(fs.settled());
    QCOMPARE(fs.form->shownIndex(), 2);
}

void TestPictureViewers::fullScreenPageUpAtFirstAndArrows()
{
    Pictures pictures;
    const QStringList paths = {pictures.png(QStringLiteral("wide.png"), 2000, 1500),
                               pictures.png(QStringLiteral("small.png"), 50, 50)};
    FullScreen fs(paths, 0);
    QVERIFY(QTest::qWaitForWindowExposed(fs.form.get()));
    QVERIFY(fs.settled());
    QCOMPARE(fs.form->shownIndex(), 0);
    QScrollBar *h = fs.hbar();
    QScrollBar *v = fs.vbar();
    QVERIFY(h->maximum() > 0 && v->maximum() > 0);

    fs.key(Qt::Key_Right);
    fs.key(Qt::Key_Right);
    fs.key(Qt::Key_Down);
    QCOMPARE(h->value(), 4 * h->singleStep());
    QCOMPARE(v->value(), 2 * v->singleStep());
    fs.key(Qt::Key_Left);
    fs.key(Qt::Key_Down);
    fs.key(Qt::Key_Up);
    QCOMPARE(h->value(), 2 * h->singleStep());
    QCOMPARE(v->value(), 2 * v->singleStep());

    // Page Up on the first picture does nothing, not even scroll home.
    fs.key(Qt::Key_PageUp);
    QVERIFY(fs.settled());
    QCOMPARE(fs.form->currentIndex(), 0);
    QCOMPARE(h->value(), 2 * h->singleStep());
    QCOMPARE(v->value(), 2 * v->singleStep());

    // Paging goes back to the top-left.
    fs.key(Qt::Key_PageDown);
    QVERIFY(fs.settled());
    QCOMPARE(fs.form->shownIndex(), 1);
    QCOMPARE(h->value(), 0);
    QCOMPARE(v->value(), 0);
}

void TestPictureViewers::fullScreenPlacement_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("smaller than the screen") << QSize(101, 61);
    QTest::newRow("wider than the screen") << QSize(3000, 100);
    QTest::newRow("taller than the screen") << QSize(100, 3000);
}

void TestPictureViewers::fullScreenPlacement()
{
    QFETCH(QSize, size);
    Pictures pictures;
    FullScreen fs({pictures.png(QStringLiteral("p.png"), size.width(), size.height())}, 0);
    QVERIFY(QTest::qWaitForWindowExposed(fs.form.get()));
    QVERIFY(fs.settled());
    // Black, frameless and as large as the screen.
    QVERIFY(fs.form->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(fs.form->size(), fs.form->screen()->geometry().size());
    QCOMPARE(fs.form->scrollBox()->palette().color(QPalette::Window), QColor(Qt::black));

    const QSize client = fs.form->scrollBox()->maximumViewportSize();
    const int left = std::max(0, client.width() / 2 - size.width() / 2);
    const int top = std::max(0, client.height() / 2 - size.height() / 2);
    QCOMPARE(fs.form->panel1()->geometry(), QRect(QPoint(left, top), size));
    QVERIFY(fs.image1()->isVisible());
    QCOMPARE(fs.image1()->pixmap().size(), size);
    QCOMPARE(fs.hbar()->value(), 0);
    QCOMPARE(fs.vbar()->value(), 0);
}

void TestPictureViewers::fullScreenDragging()
{
    Pictures pictures;
    FullScreen fs({pictures.png(QStringLiteral("huge.png"), 2400, 1800)}, 0);
    QVERIFY(QTest::qWaitForWindowExposed(fs.form.get()));
    QVERIFY(fs.settled());
    QLabel *picture = fs.image1();
    const QPoint grabbed(300, 300);
    QTest::mousePress(picture, Qt::LeftButton, {}, grabbed);
    QTest::mouseMove(picture, grabbed - QPoint(40, 25));
    QCOMPARE(fs.hbar()->value(), 40);
    QCOMPARE(fs.vbar()->value(), 25);
    QTest::mouseRelease(picture, Qt::LeftButton, {}, grabbed - QPoint(40, 25));
    // The grab has ended: moving the pointer no longer scrolls.
    QTest::mouseMove(picture, grabbed - QPoint(100, 100));
    QCOMPARE(fs.hbar()->value(), 40);
    // The right button does not grab.
    QTest::mousePress(picture, Qt::RightButton, {}, grabbed);
    QTest::mouseMove(picture, grabbed - QPoint(10, 10));
    QTest::mouseRelease(picture, Qt::RightButton, {}, grabbed - QPoint(10, 10));
    QCOMPARE(fs.hbar()->value(), 40);
}

void TestPictureViewers::fullScreenCloses_data()
{
    QTest::addColumn<CloseBy>("by");
    QTest::newRow("Esc") << CloseBy::Escape;
    QTest::newRow("double click on the picture") << CloseBy::DoubleClick;
    QTest::newRow("E&xit") << CloseBy::ExitEntry;
}

void TestPictureViewers::fullScreenCloses()
{
    QFETCH(CloseBy, by);
    Pictures pictures;
    FullScreen fs({pictures.jpeg(QStringLiteral("a.jpg"), 100, 100)}, 0);
    QVERIFY(QTest::qWaitForWindowExposed(fs.form.get()));
    QVERIFY(fs.settled());
    QSignalSpy finished(fs.form.get(), &QDialog::finished);
    switch (by) {
    case CloseBy::Escape:
        fs.key(Qt::Key_Escape);
        break;
    case CloseBy::DoubleClick:
        QTest::mouseDClick(fs.image1(), Qt::LeftButton, {}, QPoint(50, 50));
        break;
    case CloseBy::ExitEntry:
        fs.entry("Exit1")->trigger();
        break;
    }
    QCOMPARE(finished.size(), 1);
    QVERIFY(!fs.form->isVisible());
}

// ---- In the main window ----

void TestPictureViewers::mainWindowPictureWindow()
{
    TestEnv env;
    std::unique_ptr<TForm1> form;
    QVERIFY(openMainWindow(form));
    TImage2Form *picture = form->image2form();
    QVERIFY(picture);
    QCOMPARE(picture->windowTitle(), QStringLiteral("Picture"));
    QCOMPARE(picture->parentWidget(), form->dockArea());
    QVERIFY(picture->isVisible());
    QCOMPARE(form->dockArea()->dockWidgetArea(picture), Qt::LeftDockWidgetArea);
    QAction *entry = form->findChild<QAction *>(QStringLiteral("Picture1"));
    QAction *preview = form->findChild<QAction *>(QStringLiteral("Whendownloading1"));
    QVERIFY(entry->isChecked() && preview->isChecked());

    // Closing the window unticks "&Picture" and leaves picture preview alone.
    QVERIFY(picture->close());
    QVERIFY(!picture->isVisible());
    QVERIFY(!entry->isChecked());
    QVERIFY(preview->isChecked());

    // "&Picture" brings it back, docked, and takes picture preview with it.
    entry->trigger();
    QVERIFY(picture->isVisible());
    QVERIFY(entry->isChecked() && preview->isChecked());
    QVERIFY(!picture->isFloating());
    entry->trigger();
    QVERIFY(!picture->isVisible());
    QVERIFY(!entry->isChecked() && !preview->isChecked());
    entry->trigger();
    QVERIFY(picture->isVisible() && entry->isChecked() && preview->isChecked());

    // Without a selected picture the full-screen command opens nothing.
    QWidget *modal = nullptr;
    QTimer::singleShot(0, form.get(), [&modal] {
        modal = QApplication::activeModalWidget();
        if (modal)
            modal->close();
    });
    form->findChild<QToolButton *>(QStringLiteral("ToolButton9"))->click();
    QTest::qWait(20);
    QVERIFY(!modal);
}

void TestPictureViewers::mainWindowBestFit_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("View > &Best fit") << "Bestfit1";
    QTest::newRow("Best fit button") << "ToolButton2";
}

void TestPictureViewers::mainWindowBestFit()
{
    QFETCH(QString, command);
    TestEnv env;
    Pictures pictures;
    std::unique_ptr<TForm1> form;
    QVERIFY(openMainWindow(form));
    ImageEnView *view = form->image2form()->view();
    QSignalSpy loaded(view, &ImageEnView::fileLoaded);
    form->showPictureRequested(pictures.jpeg(QStringLiteral("big.jpg"), 1500, 1100));
    QVERIFY(loaded.wait(DecodeTimeout));
    QCOMPARE(view->zoom(), 100.0);
    // The main window's own tool bar holds the button, not the Picture window's.
    if (command.startsWith(u"ToolButton")) {
        QToolButton *button = form->findChild<QToolButton *>(command);
        QCOMPARE(button->toolTip(), QStringLiteral("Best fit"));
        QVERIFY(!form->image2form()->isAncestorOf(button));
        button->click();
    } else {
        form->findChild<QAction *>(command)->trigger();
    }
    QVERIFY(qAbs(view->zoom() - expectedFitZoom(*view)) < 1e-6);
    QVERIFY(fitsExactly(*view));
}

void TestPictureViewers::mainWindowShowsSavedPictures()
{
    TestEnv env;
    Pictures pictures;
    std::unique_ptr<TForm1> form;
    QVERIFY(openMainWindow(form));
    TImage2Form *picture = form->image2form();
    ImageEnView *view = picture->view();
    PictureRow row;
    row.DiskDirectory = pictures.dir.path() + QStringLiteral("/");
    row.PictureName = QStringLiteral("saved.png");
    pictures.png(row.PictureName, 77, 55);

    // Shown also while the window is hidden and with both ticks off: the
    // track tick is the picture list's, picture preview only gates the
    // list's selection.
    form->findChild<QAction *>(QStringLiteral("Trackthelatestpicture1"))->trigger();
    form->findChild<QAction *>(QStringLiteral("Whendownloading1"))->trigger();
    QVERIFY(!form->trackLatest() && !form->picturePreview());
    picture->close();
    QSignalSpy loaded(view, &ImageEnView::fileLoaded);
    form->pictureSaved(row, 1);
    QVERIFY(loaded.wait(DecodeTimeout));
    QCOMPARE(view->pictureSize(), QSize(77, 55));

    // A new search or run starts with a blank picture.
    form->clearPictureViewer();
    QVERIFY(!view->hasPicture());
}

QTEST_MAIN(TestPictureViewers)
#include "tst_pictureviewers.moc"
