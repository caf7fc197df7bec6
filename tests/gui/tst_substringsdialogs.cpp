// The Substrings editor and Search Option, driven through the main window as a
// user would: by the menu, the URL bar's mark and the keyboard.

#include "app/form1.h"
#include "crawl/crawlengine.h"
#include "messageboxanswerer.h"
#include "openmainwindow.h"
#include "settings/gui/form3.h"
#include "settings/gui/form75.h"
#include "support/testenv.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>

namespace {

// Runs `step` on the modal dialog once it is up; `open` is what brings it up
// (and blocks until it closes). A dialog that never comes up fails the step.
bool whileModal(const std::function<void()> &open, const std::function<void(QDialog *)> &step)
{
    bool ran = false;
    auto *poll = new QTimer;
    poll->setInterval(10);
    int tries = 0;
    QObject::connect(poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            if (++tries > 500)
                poll->stop();
            return;
        }
        poll->stop();
        ran = true;
        // Accelerators work only in the active window.
        dialog->activateWindow();
        if (!QTest::qWaitForWindowActive(dialog))
            qWarning("the dialog did not become active");
        step(dialog);
        // A step that left the dialog open would block the test for good.
        if (dialog->isVisible())
            dialog->reject();
    });
    poll->start();
    open();
    delete poll;
    return ran;
}

// Alt with the underlined letter. A button pressed by its accelerator clicks
// once its pressed look has shown, a moment later.
void pressAccelerator(QWidget *focus, Qt::Key key)
{
    QTest::keyClick(focus, key, Qt::AltModifier);
    QTest::qWait(250);
}

// Records the addresses handed to the desktop instead of opening them.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};

} // namespace

class TestSubstringsDialogs : public QObject
{
    Q_OBJECT

    TestEnv m_env;
    std::unique_ptr<TForm1> m_form;
    UrlRecorder m_recorder;

    template <typename T> T *find(QObject *in, const char *name) const
    {
        return in->findChild<T *>(QString::fromLatin1(name));
    }
    QAction *action(const char *name) const { return find<QAction>(m_form.get(), name); }
    Settings &settings() const { return m_form->settings(); }
    QPlainTextEdit *editor(QDialog *d) const { return find<QPlainTextEdit>(d, "RichEdit1"); }
    qint64 markKey() const { return find<QLabel>(m_form.get(), "Image4")->pixmap().cacheKey(); }

    // Types the lines into the editor, one Return between them.
    static void typeLines(QDialog *d, const QStringList &lines)
    {
        auto *edit = d->findChild<QPlainTextEdit *>(QStringLiteral("RichEdit1"));
        edit->setFocus();
        for (int i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(edit, Qt::Key_Return);
            QTest::keyClicks(edit, lines.at(i));
        }
    }

    void openEditor(const std::function<void(QDialog *)> &step)
    {
        QVERIFY(whileModal([this] { action("Substringseditor1")->trigger(); }, step));
    }

    // Sets the substrings as a user would: the editor's lines and OK.
    void setLines(const QStringList &lines)
    {
        openEditor([&](QDialog *d) {
            editor(d)->clear();
            typeLines(d, lines);
            find<QPushButton>(d, "Button3")->click();
        });
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_env.isValid());
        QVERIFY(openMainWindow(m_form));
        QVERIFY(m_form->form3());
        QVERIFY(m_form->form75());
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_recorder, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &m_recorder, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_recorder, "open");
    }

    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        m_form->setExitWithoutAsking(true);
        m_form.reset();
    }

    void init()
    {
        settings().clearSubstrings();
        settings().selecttext = false;
        m_form->refreshSubstringMark();
        m_form->addressBox()->setEditText(QStringLiteral("https://www.example.org/gallery/"));
        m_recorder.urls.clear();
    }

    void substringsRoundTrip()
    {
        const qint64 noneKey = markKey();
        QString shownAddress;
        openEditor([&](QDialog *d) {
            QCOMPARE(d->objectName(), QStringLiteral("TForm3"));
            QCOMPARE(d->windowTitle(), QStringLiteral("Substrings editor"));
            shownAddress = find<QLabel>(d, "Label1")->text();
            QVERIFY(editor(d)->toPlainText().isEmpty());
            typeLines(d, {QStringLiteral("Next Page"), QStringLiteral("Gallery")});
            // The Ok accelerator, from inside the editor.
            pressAccelerator(editor(d), Qt::Key_O);
        });
        QCOMPARE(shownAddress, QStringLiteral("https://www.example.org/gallery/"));
        const QStringList lines = {QStringLiteral("Next Page"), QStringLiteral("Gallery")};
        QCOMPARE(settings().substringsText, QStringLiteral(" Next Page Gallery"));
        QCOMPARE(settings().substrListbox, lines);
        QVERIFY(settings().substringsFlag);
        QVERIFY(m_form->substringMarkShown());
        QVERIFY(markKey() != noneKey);

        QString reopened;
        openEditor([&](QDialog *d) {
            reopened = editor(d)->toPlainText();
            find<QPushButton>(d, "Button3")->click();
        });
        QCOMPARE(reopened, QStringLiteral("Next Page\nGallery"));
        QCOMPARE(settings().substringsText, QStringLiteral(" Next Page Gallery"));
        QCOMPARE(settings().substrListbox, lines);
    }

    void emptyOkClearsSubstrings()
    {
        setLines({QStringLiteral("More")});
        QVERIFY(m_form->substringMarkShown());
        openEditor([&](QDialog *d) {
            QCOMPARE(editor(d)->toPlainText(), QStringLiteral("More"));
            pressAccelerator(editor(d), Qt::Key_R); // Clea&r
            QVERIFY(editor(d)->toPlainText().isEmpty());
            find<QPushButton>(d, "Button3")->click();
        });
        QVERIFY(settings().substringsText.isEmpty());
        QVERIFY(settings().substrListbox.isEmpty());
        QVERIFY(!settings().substringsFlag);
        QVERIFY(!m_form->substringMarkShown());
    }

    void emptyLineKeepsItsPlace()
    {
        setLines({QStringLiteral("a"), QString(), QStringLiteral("b")});
        QCOMPARE(settings().substringsText, QStringLiteral(" a  b"));
        QCOMPARE(settings().substrListbox, (QStringList{"a", "", "b"}));
    }

    void cancelChangesNothing_data()
    {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Escape") << true;
    }
    void cancelChangesNothing()
    {
        QFETCH(bool, byEscape);
        setLines({QStringLiteral("Next Page")});
        openEditor([&](QDialog *d) {
            editor(d)->clear();
            typeLines(d, {QStringLiteral("Other")});
            if (byEscape)
                QTest::keyClick(editor(d), Qt::Key_Escape);
            else
                pressAccelerator(editor(d), Qt::Key_C);
            QVERIFY(!d->isVisible());
        });
        QCOMPARE(settings().substringsText, QStringLiteral(" Next Page"));
        QCOMPARE(settings().substrListbox, QStringList{QStringLiteral("Next Page")});
        QVERIFY(m_form->substringMarkShown());
    }

    void getFromClipboard_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("after");
        QTest::newRow("one line") << "Next Page"
                                  << "Next Page";
        QTest::newRow("several lines") << "Next Page\nGallery"
                                       << "Next Page\nGallery";
        QTest::newRow("only blanks") << " \t \n"
                                     << "kept";
        QTest::newRow("empty") << ""
                               << "kept";
    }
    void getFromClipboard()
    {
        QFETCH(QString, clipboard);
        QFETCH(QString, after);
        QApplication::clipboard()->setText(clipboard);
        QString shown;
        openEditor([&](QDialog *d) {
            typeLines(d, {QStringLiteral("kept")});
            pressAccelerator(editor(d), Qt::Key_G);
            shown = editor(d)->toPlainText();
        });
        QCOMPARE(shown, after);
    }

    void image4ClickOpensEditor()
    {
        auto *image4 = find<QLabel>(m_form.get(), "Image4");
        QString title;
        QString address;
        QVERIFY(whileModal([&] { QTest::mouseClick(image4, Qt::LeftButton); },
                           [&](QDialog *d) {
                               title = d->windowTitle();
                               address = find<QLabel>(d, "Label1")->text();
                           }));
        QCOMPARE(title, QStringLiteral("Substrings editor"));
        QCOMPARE(address, QStringLiteral("https://www.example.org/gallery/"));
    }

    void viewPageAndHelp()
    {
        openEditor([&](QDialog *d) {
            find<QToolButton>(d, "SpeedButton1")->click();
            pressAccelerator(editor(d), Qt::Key_H);
        });
        QCOMPARE(m_recorder.urls.size(), 2);
        QCOMPARE(m_recorder.urls.at(0), QUrl(QStringLiteral("https://www.example.org/gallery/")));
        const QString help = m_recorder.urls.at(1).toLocalFile();
        QVERIFY2(help.endsWith(QStringLiteral("/help/substring.html")), qPrintable(help));
        QCOMPARE(QFileInfo(help).path(), QFileInfo(m_form->helpFile()).path());
    }

    // Tab walks the window as it is laid out.
    void tabOrder_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("Substrings editor")
            << "TForm3" << QStringList{"SpeedButton1", "RichEdit1", "Button1",   "Button2",
                                       "Button3",      "Button4",   "HelpButton"};
        QTest::newRow("Search Option") << "TForm75" << QStringList{"Edit1",   "RadioButton1", "RadioButton2",
                                                                   "Button1", "Button2",      "Button3"};
    }
    void tabOrder()
    {
        QFETCH(QString, dialog);
        QFETCH(QStringList, order);
        QWidget *d = m_form->findChild<QDialog *>(dialog);
        QVERIFY(d);
        QWidget *first = d->findChild<QWidget *>(order.first());
        QStringList walked{first->objectName()};
        for (QWidget *w = first->nextInFocusChain(); w != first && walked.size() < order.size();
             w = w->nextInFocusChain()) {
            if (w->focusPolicy() & Qt::TabFocus && w->isVisibleTo(d) && d->isAncestorOf(w))
                walked << w->objectName();
        }
        QCOMPARE(walked, order);
    }

    // A start rebuilds the lists with the words the page scanner reads, even
    // one refused for want of an address, but only with selecttext on.
    void keywordLists_data()
    {
        QTest::addColumn<bool>("selecttext");
        QTest::addColumn<QString>("include");
        QTest::addColumn<QString>("exclude");
        QTest::addColumn<QStringList>("includelist");
        QTest::addColumn<QStringList>("excludelist");
        QTest::newRow("comma") << true << "sun,beach"
                               << "red, green" << QStringList{"SUN", "BEACH"} << QStringList{"RED", "GREEN"};
        QTest::newRow("hyphen") << true << "e-mail"
                                << "" << QStringList{"E", "MAIL"} << QStringList();
        QTest::newRow("accented letter") << true << QString::fromUtf8("caf\xc3\xa9s bar") << ""
                                         << QStringList{"CAF", "S", "BAR"} << QStringList();
        QTest::newRow("selecttext off") << false << "sun,beach"
                                        << "red" << QStringList{"OLD"} << QStringList{"OLDER"};
    }
    void keywordLists()
    {
        QFETCH(bool, selecttext);
        QFETCH(QString, include);
        QFETCH(QString, exclude);
        QFETCH(QStringList, includelist);
        QFETCH(QStringList, excludelist);
        Settings &s = settings();
        s.includelist = QStringList{QStringLiteral("OLD")};
        s.excludelist = QStringList{QStringLiteral("OLDER")};
        s.selecttext = selecttext;
        s.includestext = include;
        s.notincludestext = exclude;
        m_form->addressBox()->setEditText(QString());
        {
            MessageBoxAnswerer boxes;
            m_form->getAnyPicture();
        }
        QVERIFY(!m_form->engine()->isRunning());
        QCOMPARE(s.includelist, includelist);
        QCOMPARE(s.excludelist, excludelist);
    }

    void searchOptionStart()
    {
        settings().max_level = 1;
        m_form->engine()->setKeywordSearch(false);
        bool thumbnails = false;
        QVERIFY(whileModal([this] { action("SearchOption1")->trigger(); },
                           [&](QDialog *d) {
                               QCOMPARE(d->windowTitle(), QStringLiteral("Search Option"));
                               thumbnails = find<QRadioButton>(d, "RadioButton2")->isChecked();
                               auto *edit = find<QLineEdit>(d, "Edit1");
                               edit->setFocus();
                               edit->clear();
                               QTest::keyClicks(edit, QStringLiteral("red sports cars"));
                               // Return is Start.
                               QTest::keyClick(edit, Qt::Key_Return);
                               QVERIFY(!d->isVisible());
                               QCOMPARE(d->result(), int(QDialog::Accepted));
                           }));
        QVERIFY(thumbnails);
        QCOMPARE(m_form->addressBox()->currentText(),
                 settings().searchservice + QStringLiteral("red+sports+cars"));
        QCOMPARE(settings().max_level, 2);
        QCOMPARE(settings().urlIncludeText, QStringLiteral("red+sports+cars"));
        QVERIFY(m_form->engine()->keywordSearch());
    }

    void searchOptionCancelKeepsKind()
    {
        m_form->engine()->setKeywordSearch(true);
        const QString address = m_form->addressBox()->currentText();
        QVERIFY(whileModal([this] { action("SearchOption1")->trigger(); },
                           [&](QDialog *d) { pressAccelerator(find<QLineEdit>(d, "Edit1"), Qt::Key_C); }));
        QVERIFY(!m_form->engine()->keywordSearch());
        QCOMPARE(m_form->addressBox()->currentText(), address);

        // The dialog is the same one each time, so the kind ticked stays.
        find<QRadioButton>(m_form->form75(), "RadioButton1")->setChecked(true);
        bool anyPicture = false;
        QVERIFY(
            whileModal([this] { action("SearchOption1")->trigger(); },
                       [&](QDialog *d) { anyPicture = find<QRadioButton>(d, "RadioButton1")->isChecked(); }));
        QVERIFY(anyPicture);
    }
};

QTEST_MAIN(TestSubstringsDialogs)
#include "tst_substringsdialogs.moc"
