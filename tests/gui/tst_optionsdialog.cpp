// The Options dialog driven as a user would: values read from a private
// settings file, edited, applied with "&Ok" or the "Max" label, or dropped
// with "&Cancel"; and the main window's start that asks it first.

#include "app/form1.h"
#include "crawl/crawlengine.h"
#include "messageboxanswerer.h"
#include "openmainwindow.h"
#include "platform/settingsstore.h"
#include "settings/gui/form4.h"
#include "settings/settings.h"
#include "store/currentsearch.h"
#include "store/gui/historytreeview.h"
#include "store/gui/treeform.h"
#include "store/historyfile.h"
#include "store/searchdatabase.h"
#include "store/searchinformation.h"
#include "support/testenv.h"
#include "support/testimages.h"
#include "views/listviewform.h"
#include "views/picturelistmodel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

namespace {

using Values = QList<QPair<QString, QString>>;

// A private settings file holding `stored`, loaded as at start, and a dialog
// on it, shown but not modal so the test can drive it.
struct Fixture
{
    TestEnv env;
    Settings settings;
    std::unique_ptr<TForm4> dialog;

    explicit Fixture(const Values &stored = {})
    {
        {
            SettingsStore store;
            for (const auto &[name, value] : stored)
                store.setValue(name, value);
        }
        SettingsStore store;
        settings.loadSearchSettings(store, env.workingFolder());
        settings.loadWindowSettings(store);
    }
    TForm4 *open()
    {
        dialog = std::make_unique<TForm4>(settings, env.workingFolder());
        dialog->show();
        return dialog.get();
    }
    template <typename T> T *get(const char *name) const
    {
        T *widget = dialog->findChild<T *>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no %s in the dialog", name);
        return widget;
    }
    void ok() const { get<QPushButton>("Button1")->click(); }
    void cancel() const { get<QPushButton>("Button2")->click(); }
    static QString stored(const QString &name) { return SettingsStore().value(name); }
    Settings reloaded() const
    {
        Settings fresh;
        SettingsStore store;
        fresh.loadSearchSettings(store, env.workingFolder());
        fresh.loadWindowSettings(store);
        return fresh;
    }
    QByteArray file() const
    {
        QFile f(env.settingsFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

// Takes the URLs the program hands to the desktop.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void openUrl(const QUrl &url) { urls << url; }
};

} // namespace

class TestOptionsDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TForm4::setOkAnswer(0); }

    void window();
    void okStoresEveryValueShown();
    void okUsesTheNarrowerWriters();
    void unfinishedSpinBoxGivesMinimum();
    void pictureTypes_data();
    void pictureTypes();
    void subdirectory_data();
    void subdirectory();
    void blankLoginKeepsStoredNames();
    void loginAndProxyTyped();
    void cancelChangesNothing();
    void answers();
    void maxLabelStoresAndStaysOpen();
    void pageRemembered();
    void preview_data();
    void preview();
    void enabling();
    void rootDirectoryRefused();
    void barRefused_data();
    void barRefused();
    void port_data();
    void port();
    void agentList();
    void buttonsSetValues();
    void helpOpensSubdirectoryPage();
    void keyboard();
    void startAsksFirst();
    void menuAndToolButtonOpenIt();
    void okRepagesTheOpenSearch();
};

void TestOptionsDialog::window()
{
    Fixture f;
    TForm4 *dialog = f.open();
    QCOMPARE(dialog->windowTitle(), u"Options");
    QCOMPARE(dialog->objectName(), u"TForm4");
    QVERIFY(dialog->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!(dialog->windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    QVERIFY(dialog->width() >= 387 && dialog->height() >= 436);
    const QPoint offset = dialog->frameGeometry().center() - dialog->screen()->availableGeometry().center();
    QVERIFY2(offset.manhattanLength() < 20,
             qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
}

void TestOptionsDialog::okStoresEveryValueShown()
{
    Fixture f(Values{{"max_level", "0"},
                     {"size1", "100"},
                     {"timeout", "5"},
                     {"a3", "1000"},
                     {"tw", "20"},
                     {"urlhisnum", "2"},
                     {"searchhisnum", "99"},
                     {"save_mode", "0"},
                     {"urllink", "0"}});
    f.open();
    f.ok();
    QCOMPARE(TForm4::okAnswer(), 1);
    QCOMPARE(Fixture::stored("max_level"), u"1");
    QCOMPARE(Fixture::stored("size1"), u"200");
    QCOMPARE(Fixture::stored("timeout"), u"10");
    QCOMPARE(Fixture::stored("a3"), u"500");
    QCOMPARE(Fixture::stored("tw"), u"40");
    QCOMPARE(Fixture::stored("urlhisnum"), u"6");
    QCOMPARE(Fixture::stored("searchhisnum"), u"30");
    QCOMPARE(Fixture::stored("save_mode"), u"0");
    QCOMPARE(Fixture::stored("urllink"), u"0");
    // What is in memory is what was stored.
    const Settings back = f.reloaded();
    QVERIFY(static_cast<const SearchSettings &>(back) == static_cast<const SearchSettings &>(f.settings));
    QCOMPARE(back.urlhisnum, f.settings.urlhisnum);
    QCOMPARE(back.searchhisnum, f.settings.searchhisnum);
    QCOMPARE(back.sitehisnum, f.settings.sitehisnum);
    QCOMPARE(back.tw, f.settings.tw);
    QCOMPARE(back.th, f.settings.th);
    QCOMPARE(back.a2, f.settings.a2);
    QCOMPARE(back.a3, f.settings.a3);
    QCOMPARE(back.isshowoption, f.settings.isshowoption);
    QCOMPARE(back.clearallafterexit, f.settings.clearallafterexit);
    QCOMPARE(back.isdeletethumb, f.settings.isdeletethumb);
    QCOMPARE(back.isdeletepic, f.settings.isdeletepic);
    QCOMPARE(f.settings.subdirectory, u"mypic");
    QCOMPARE(f.settings.urlIncludeText, QString());
}

void TestOptionsDialog::okUsesTheNarrowerWriters()
{
    Fixture f(Values{{"ispicfirst", "1"}, {"ismultithreaddb", "1"}, {"ttop", "0"}, {"bwindow", "1"}});
    f.settings.ttop = 55;
    f.settings.bwindow = false;
    f.open();
    f.get<QCheckBox>("CheckBox13")->setChecked(false);
    f.get<QCheckBox>("CheckBox14")->setChecked(false);
    f.ok();
    QCOMPARE(f.settings.ispicfirst, false);
    QCOMPARE(f.settings.ismultithreaddb, false);
    QCOMPARE(Fixture::stored("ispicfirst"), u"1");
    QCOMPARE(Fixture::stored("ismultithreaddb"), u"1");
    QCOMPARE(Fixture::stored("ttop"), u"0");
    QCOMPARE(Fixture::stored("bwindow"), u"1");
}

void TestOptionsDialog::unfinishedSpinBoxGivesMinimum()
{
    Fixture f(Values{{"size1", "5000"}, {"max_level", "4"}});
    f.open();
    for (const char *name : {"SpinEdit6", "SpinEdit2"}) {
        auto *spin = f.get<QSpinBox>(name);
        auto *edit = spin->findChild<QLineEdit *>();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QVERIFY(spin->text().isEmpty());
    }
    f.ok();
    QCOMPARE(Fixture::stored("size1"), u"200");
    QCOMPARE(Fixture::stored("max_level"), u"1");
}

void TestOptionsDialog::pictureTypes_data()
{
    QTest::addColumn<bool>("jpg");
    QTest::addColumn<bool>("gif");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<bool>("jpegAfter");
    QTest::addColumn<bool>("gifAfter");
    QTest::newRow("Jpeg then Gif") << true << true << QStringList{"CheckBox1", "CheckBox2"} << false << true;
    QTest::newRow("Gif then Jpeg") << true << true << QStringList{"CheckBox2", "CheckBox1"} << true << false;
    QTest::newRow("Png with Jpeg off") << false << false << QStringList{"CheckBox15"} << false << true;
    QTest::newRow("Png with Jpeg on") << true << false << QStringList{"CheckBox15"} << true << false;
    QTest::newRow("Jpeg alone") << true << false << QStringList{"CheckBox1"} << true << false;
    QTest::newRow("Gif back on") << true << false << QStringList{"CheckBox2"} << true << true;
}

void TestOptionsDialog::pictureTypes()
{
    QFETCH(bool, jpg);
    QFETCH(bool, gif);
    QFETCH(QStringList, clicks);
    QFETCH(bool, jpegAfter);
    QFETCH(bool, gifAfter);
    Fixture f(Values{{"jpg", jpg ? "1" : "0"}, {"gif", gif ? "1" : "0"}});
    f.open();
    for (const QString &name : clicks)
        f.get<QCheckBox>(name.toLatin1().constData())->click();
    QCOMPARE(f.get<QCheckBox>("CheckBox1")->isChecked(), jpegAfter);
    QCOMPARE(f.get<QCheckBox>("CheckBox2")->isChecked(), gifAfter);
    f.ok();
    QCOMPARE(f.settings.jpg, jpegAfter);
    QCOMPARE(f.settings.gif, gifAfter);
    QVERIFY(f.settings.png);
}

void TestOptionsDialog::subdirectory_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("plain") << "holiday"
                           << "holiday";
    QTest::newRow("blanks kept") << " x "
                                 << " x ";
    QTest::newRow("colon") << "a:b"
                           << "mypic";
    QTest::newRow("empty") << ""
                           << "mypic";
    QTest::newRow("blanks only") << "   "
                                 << "mypic";
    for (const char *c : {"\"", "*", "/", "<", ">", "?", "\\", "|"})
        QTest::addRow("refused %s", c) << QStringLiteral("a%1b").arg(QLatin1String(c)) << "mypic";
}

void TestOptionsDialog::subdirectory()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    Fixture f(Values{{"subdirectory", "before"}});
    f.open();
    QCOMPARE(f.get<QLineEdit>("Edit9")->text(), u"before");
    f.get<QLineEdit>("Edit9")->setText(typed);
    f.ok();
    QVERIFY(!f.dialog->isVisible());
    QCOMPARE(f.settings.subdirectory, stored);
    QCOMPARE(Fixture::stored("subdirectory"), stored);
}

void TestOptionsDialog::blankLoginKeepsStoredNames()
{
    Fixture f;
    f.settings.login = true;
    f.settings.loginUser = QStringLiteral("bob");
    f.settings.loginPassword = QStringLiteral("secret");
    {
        SettingsStore store;
        f.settings.saveSearchSettings(store);
    }
    f.open();
    QCOMPARE(f.get<QLineEdit>("Edit2")->text(), u"bob");
    QCOMPARE(f.get<QLineEdit>("MaskEdit1")->echoMode(), QLineEdit::Password);
    f.get<QLineEdit>("Edit2")->setText(QStringLiteral("  "));
    f.get<QLineEdit>("MaskEdit1")->setText(QStringLiteral(" "));
    f.ok();
    QCOMPARE(f.settings.login, false);
    QCOMPARE(f.settings.loginUser, u"bob");
    QCOMPARE(f.settings.loginPassword, u"secret");
    const Settings back = f.reloaded();
    QCOMPARE(back.login, false);
    QCOMPARE(back.loginUser, u"bob");
    QCOMPARE(back.loginPassword, u"secret");
}

void TestOptionsDialog::loginAndProxyTyped()
{
    Fixture f;
    f.open();
    f.get<QLineEdit>("Edit2")->setText(QStringLiteral(" ann "));
    f.get<QLineEdit>("MaskEdit1")->setText(QString());
    f.get<QCheckBox>("CheckBox3")->setChecked(true);
    f.get<QLineEdit>("Edit4")->setText(QStringLiteral("proxy.test"));
    f.get<QLineEdit>("Edit5")->setText(QStringLiteral("8080"));
    f.get<QLineEdit>("Edit6")->setText(QStringLiteral("pu"));
    f.get<QLineEdit>("MaskEdit2")->setText(QStringLiteral("pp"));
    f.ok();
    const Settings back = f.reloaded();
    QCOMPARE(back.login, true);
    QCOMPARE(back.loginUser, u" ann ");
    QCOMPARE(back.loginPassword, QString());
    QCOMPARE(back.proxy, true);
    QCOMPARE(back.proxyAddress, u"proxy.test");
    QCOMPARE(back.proxyPort, u"8080");
    QCOMPARE(back.proxyUser, u"pu");
    QCOMPARE(back.proxyPassword, u"pp");
}

void TestOptionsDialog::cancelChangesNothing()
{
    Fixture f(Values{{"max_level", "3"}});
    const Settings before = f.settings;
    const QByteArray file = f.file();
    f.open();
    f.get<QSpinBox>("SpinEdit2")->setValue(7);
    f.get<QLineEdit>("Edit9")->setText(QStringLiteral("other"));
    f.get<QCheckBox>("CheckBox6")->setChecked(true);
    f.get<QSlider>("TrackBar1")->setValue(150);
    f.get<QComboBox>("ComboBox1")->setEditText(QStringLiteral("Netscape 2.0"));
    f.cancel();
    QVERIFY(!f.dialog->isVisible());
    QCOMPARE(TForm4::okAnswer(), 0);
    QVERIFY(static_cast<const SearchSettings &>(f.settings) == static_cast<const SearchSettings &>(before));
    QCOMPARE(f.settings.isshowoption, before.isshowoption);
    QCOMPARE(f.settings.tw, before.tw);
    QCOMPARE(f.file(), file);
}

void TestOptionsDialog::answers()
{
    Fixture f;
    // The title-bar button leaves the answer as it was.
    TForm4::setOkAnswer(1);
    f.open()->close();
    QCOMPARE(TForm4::okAnswer(), 1);
    // Esc is Cancel.
    f.open();
    QTest::keyClick(f.dialog.get(), Qt::Key_Escape);
    QVERIFY(!f.dialog->isVisible());
    QCOMPARE(TForm4::okAnswer(), 0);
}

void TestOptionsDialog::maxLabelStoresAndStaysOpen()
{
    Fixture f;
    f.open();
    f.settings.optionsPage = 1;
    f.get<QSpinBox>("SpinEdit2")->setValue(5);
    // The label beside Size Max, not its unit.
    QLabel *max = nullptr;
    const QList<QLabel *> labels = f.get<QSpinBox>("SpinEdit6")->parentWidget()->findChildren<QLabel *>();
    for (QLabel *label : labels)
        if (label->buddy() == f.get<QSpinBox>("SpinEdit6"))
            max = label;
    QVERIFY(max);
    QCOMPARE(max->text(), u"Max");
    QTest::mouseClick(max, Qt::LeftButton);
    QVERIFY(f.dialog->isVisible());
    QCOMPARE(TForm4::okAnswer(), 1);
    QCOMPARE(Fixture::stored("max_level"), u"5");
    f.get<QSpinBox>("SpinEdit2")->setValue(8);
    f.cancel();
    QCOMPARE(TForm4::okAnswer(), 0);
    QCOMPARE(Fixture::stored("max_level"), u"5");
    QCOMPARE(f.settings.max_level, 5);
}

void TestOptionsDialog::pageRemembered()
{
    Fixture f;
    auto *pages = f.open()->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    QCOMPARE(pages->count(), 8);
    const QStringList captions{"Directory/Picture Names",
                               "Search",
                               "Connection",
                               "Log in",
                               "Contents",
                               "*System*",
                               "*Thumbnails*",
                               "*Advanced*"};
    for (int i = 0; i < pages->count(); ++i)
        QCOMPARE(pages->tabText(i), captions.at(i));
    QCOMPARE(pages->tabText(pages->currentIndex()), u"Search");
    pages->setCurrentIndex(6);
    f.cancel();
    f.dialog.reset();
    QCOMPARE(f.settings.optionsPage, 6);
    pages = f.open()->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    QCOMPARE(pages->tabText(pages->currentIndex()), u"*Thumbnails*");
}

void TestOptionsDialog::preview_data()
{
    QTest::addColumn<int>("tw");
    QTest::addColumn<int>("th");
    QTest::addColumn<int>("movedTo"); // 0: no slider move
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("caption");
    QTest::newRow("40 x 40") << 40 << 40 << 0 << QSize(81, 73) << " Thumbnail Size:40*40";
    QTest::newRow("170 x 170 at creation") << 170 << 170 << 0 << QSize(225, 153) << " Thumbnail Size:170*170";
    QTest::newRow("170 x 170 after a move")
        << 100 << 100 << 170 << QSize(191, 148) << " Thumbnail Size:170*170";
    QTest::newRow("100 x 100") << 100 << 100 << 0 << QSize(147, 109) << " Thumbnail Size:100*100";
}

void TestOptionsDialog::preview()
{
    QFETCH(int, tw);
    QFETCH(int, th);
    QFETCH(int, movedTo);
    QFETCH(QSize, size);
    QFETCH(QString, caption);
    Fixture f(Values{{"tw", QString::number(tw)}, {"th", QString::number(th)}});
    f.open();
    if (movedTo) {
        f.get<QSlider>("TrackBar1")->setValue(movedTo);
        f.get<QSlider>("TrackBar3")->setValue(movedTo);
    }
    auto *panel1 = f.get<QFrame>("Panel1");
    auto *panel2 = f.get<QFrame>("Panel2");
    QCOMPARE(panel1->size(), QSize(201, 153));
    QCOMPARE(panel2->size(), size);
    QCOMPARE(panel2->geometry().center().x(), panel1->rect().center().x());
    QCOMPARE(panel2->x(), (201 - size.width()) / 2);
    QCOMPARE(panel2->y(), (153 - size.height()) / 2);
    QCOMPARE(f.get<QGroupBox>("GroupBox12")->title(), caption);
}

void TestOptionsDialog::enabling()
{
    Fixture f;
    f.settings.proxy = false;
    f.settings.selecttext = true;
    f.open();
    const QList<const char *> proxyBoxes{"Edit4", "Edit5", "Edit6", "MaskEdit2"};
    for (const char *name : proxyBoxes)
        QVERIFY(!f.get<QLineEdit>(name)->isEnabled());
    QVERIFY(f.get<QLineEdit>("Edit3")->isEnabled());
    QVERIFY(f.get<QLineEdit>("Edit7")->isEnabled());
    f.get<QCheckBox>("CheckBox3")->click();
    f.get<QCheckBox>("CheckBox10")->click();
    for (const char *name : proxyBoxes)
        QVERIFY(f.get<QLineEdit>(name)->isEnabled());
    QVERIFY(!f.get<QLineEdit>("Edit3")->isEnabled());
    QVERIFY(!f.get<QLineEdit>("Edit7")->isEnabled());
    QVERIFY(!f.get<QCheckBox>("CheckBox12")->isEnabled());
    QVERIFY(!f.get<QCheckBox>("CheckBox4")->isVisibleTo(f.dialog.get()));
    QVERIFY(!f.get<QLineEdit>("Edit8")->isVisibleTo(f.dialog.get()));
}

void TestOptionsDialog::rootDirectoryRefused()
{
    MessageBoxAnswerer answerer;
    Fixture f;
    f.open();
    auto *root = f.get<QLineEdit>("Edit1");
    QCOMPARE(root->text(), f.settings.picturesRoot);
    root->setFocus();
    root->end(false);
    QTest::keyClick(root, Qt::Key_X);
    QCOMPARE(root->text(), f.settings.picturesRoot);
    QCOMPARE(answerer.texts(), QStringList{TForm4::rootDirectoryText()});
    QCOMPARE(answerer.last().icon, QMessageBox::Information);
}

void TestOptionsDialog::barRefused_data()
{
    QTest::addColumn<QString>("box");
    for (const char *name : {"Edit2", "MaskEdit1", "Edit4", "Edit6", "MaskEdit2"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestOptionsDialog::barRefused()
{
    QFETCH(QString, box);
    MessageBoxAnswerer answerer;
    Fixture f;
    f.settings.proxy = true;
    const QByteArray file = f.file();
    f.open();
    f.get<QTabWidget>("PageControl1")->setCurrentIndex(0);
    f.get<QSpinBox>("SpinEdit2")->setValue(9);
    auto *edit = f.get<QLineEdit>(box.toLatin1().constData());
    edit->setText(QStringLiteral("a|b"));
    f.ok();
    QCOMPARE(answerer.texts(), QStringList{TForm4::barRefusedText()});
    QVERIFY(f.dialog->isVisible());
    QCOMPARE(f.get<QTabWidget>("PageControl1")->currentIndex(), 3);
    QCOMPARE(TForm4::okAnswer(), 0);
    QCOMPARE(f.settings.max_level, 2);
    QCOMPARE(f.file(), file);
    // Mended, the same OK goes through.
    edit->setText(QStringLiteral("ab"));
    f.ok();
    QVERIFY(!f.dialog->isVisible());
    QCOMPARE(f.reloaded().max_level, 9);
}

void TestOptionsDialog::port_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("taken");
    QTest::newRow("empty") << ""
                           << "" << true;
    QTest::newRow("1") << "1"
                       << "1" << true;
    QTest::newRow("65535") << "65535"
                           << "65535" << true;
    QTest::newRow("0") << "0"
                       << "0" << false;
    QTest::newRow("65536") << "65536"
                           << "65536" << false;
    QTest::newRow("letters dropped") << "8a0"
                                     << "80" << true;
    QTest::newRow("six digits") << "123456"
                                << "12345" << true;
    QTest::newRow("bar") << "8|0"
                         << "80" << true;
}

void TestOptionsDialog::port()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(bool, taken);
    MessageBoxAnswerer answerer;
    Fixture f;
    f.settings.proxy = true;
    f.open();
    auto *port = f.get<QLineEdit>("Edit5");
    QTest::keyClicks(port, typed);
    QCOMPARE(port->text(), shown);
    f.ok();
    QCOMPARE(!f.dialog->isVisible(), taken);
    if (taken) {
        QVERIFY(answerer.texts().isEmpty());
        QCOMPARE(f.reloaded().proxyPort, shown);
    } else {
        QCOMPARE(answerer.texts(), QStringList{TForm4::portRefusedText()});
        QCOMPARE(f.reloaded().proxyPort, QString());
    }
}

void TestOptionsDialog::agentList()
{
    Fixture f(Values{{"agent", "My own agent"}});
    f.open();
    auto *agents = f.get<QComboBox>("ComboBox1");
    QVERIFY(agents->isEditable());
    QCOMPARE(agents->currentText(), u"My own agent");
    QCOMPARE(agents->count(), 18);
    QCOMPARE(agents->itemText(0), SearchSettings::defaultAgent());
    const QStringList tail{"Mozilla/Mozilla/4.0 (compatible)",
                           "Mozilla/Mozilla/3.0 (compatible)",
                           "Mozilla/Mozilla/2.0 (compatible)",
                           "Mozilla/Mozilla/1.0 (compatible)",
                           "Internet Explorer 6.0",
                           "Internet Explorer 5.0",
                           "Internet Explorer 4.0",
                           "Internet Explorer 3.0",
                           "Internet Explorer 2.0",
                           "Netscape 7.0",
                           "Netscape 6.0",
                           "Netscape 5.0",
                           "Netscape 4.0",
                           "Netscape 3.0",
                           "Netscape 2.0"};
    for (int i = 0; i < tail.size(); ++i)
        QCOMPARE(agents->itemText(3 + i), tail.at(i));
    agents->setCurrentIndex(12);
    f.ok();
    QCOMPARE(Fixture::stored("agent"), u"Netscape 7.0");
}

void TestOptionsDialog::buttonsSetValues()
{
    Fixture f(Values{{"extendedlevel", "0"}, {"thread_num", "8"}, {"timeout", "120"}});
    f.open();
    f.get<QPushButton>("BitBtn1")->click();
    QCOMPARE(f.get<QSpinBox>("SpinEdit10")->value(), 1);
    f.get<QSpinBox>("SpinEdit10")->setValue(2);
    f.get<QPushButton>("BitBtn1")->click();
    QCOMPARE(f.get<QSpinBox>("SpinEdit10")->value(), 2);
    f.get<QPushButton>("SpeedButton3")->click();
    QCOMPARE(f.get<QSpinBox>("SpinEdit5")->value(), 3);
    QCOMPARE(f.get<QLabel>("Label16")->text(), u"120");
    f.get<QSlider>("TrackBar2")->setValue(45);
    QCOMPARE(f.get<QLabel>("Label16")->text(), u"45");
    QVERIFY(f.get<QLabel>("Label8")->text().endsWith(u" MB"));
    f.ok();
    QCOMPARE(Fixture::stored("thread_num"), u"3");
    QCOMPARE(Fixture::stored("timeout"), u"45");
    QCOMPARE(Fixture::stored("extendedlevel"), u"2");
}

void TestOptionsDialog::helpOpensSubdirectoryPage()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "openUrl");
    Fixture f;
    f.open();
    f.get<QPushButton>("HelpButton")->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(catcher.urls.size(), 1);
    QVERIFY(catcher.urls.at(0).toLocalFile().endsWith(u"/help/subdirectory.html"));
    QCOMPARE(catcher.urls.at(0).toLocalFile(), TForm4::helpPage());
    QVERIFY(f.dialog->isVisible());
}

void TestOptionsDialog::keyboard()
{
    Fixture f;
    f.open();
    f.dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.dialog.get()));
    f.get<QSpinBox>("SpinEdit2")->setFocus();
    const QStringList order{"SpinEdit2", "SpinEdit10", "CheckBox11", "BitBtn1",   "CheckBox13", "CheckBox1",
                            "CheckBox2", "CheckBox15", "SpinEdit1",  "SpinEdit6", "SpinEdit3",  "SpinEdit4",
                            "CheckBox6", "HelpButton", "Button1",    "Button2"};
    // A spin box's focus sits in its inner line edit.
    auto focused = [] {
        QWidget *w = QApplication::focusWidget();
        while (w && w->objectName().startsWith(u"qt_"))
            w = w->parentWidget();
        return w ? w->objectName() : QString();
    };
    QCOMPARE(focused(), order.at(0));
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(focused(), order.at(i));
    }
    f.get<QSpinBox>("SpinEdit2")->setValue(4);
    QCOMPARE(f.get<QPushButton>("Button1")->shortcut(), QKeySequence(QStringLiteral("Alt+O")));
    // A mnemonic clicks its button after a short press animation.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::AltModifier);
    QTRY_VERIFY(!f.dialog->isVisible());
    QCOMPARE(Fixture::stored("max_level"), u"4");
    f.open();
    f.dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.dialog.get()));
    TForm4::setOkAnswer(1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
    QTRY_VERIFY(!f.dialog->isVisible());
    QCOMPARE(TForm4::okAnswer(), 0);
}

void TestOptionsDialog::startAsksFirst()
{
    TestEnv env;
    std::unique_ptr<TForm1> form;
    QVERIFY(openMainWindow(form));
    form->settings().isshowoption = true;
    form->addressBox()->setEditText(QStringLiteral("http://127.0.0.1:9/"));
    int asked = 0;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&asked] {
        auto *dialog = qobject_cast<TForm4 *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        ++asked;
        dialog->findChild<QPushButton *>(QStringLiteral("Button2"))->click();
    });
    timer.start();
    TForm4::setOkAnswer(1);
    form->getAnyPicture();
    QCOMPARE(asked, 1);
    QVERIFY(!form->engine()->isRunning());
    QVERIFY(form->search()->state().name.isEmpty());
    // Get any picture remembers the address before it asks; Get thumbnails only once started.
    const QStringList remembered{QStringLiteral("http://127.0.0.1:9/")};
    QCOMPARE(form->addressHistory().addresses(), remembered);
    form->addressBox()->setEditText(QStringLiteral("http://127.0.0.1:9/thumbs/"));
    form->getThumbnails();
    QCOMPARE(asked, 2);
    QVERIFY(!form->engine()->isRunning());
    QVERIFY(form->search()->state().name.isEmpty());
    QCOMPARE(form->addressHistory().addresses(), remembered);
    timer.stop();
    form->setExitWithoutAsking(true);
    form->close();
}

void TestOptionsDialog::menuAndToolButtonOpenIt()
{
    TestEnv env;
    std::unique_ptr<TForm1> form;
    QVERIFY(openMainWindow(form));
    int width = 60;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&width] {
        auto *dialog = qobject_cast<TForm4 *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialog->findChild<QSlider *>(QStringLiteral("TrackBar1"))->setValue(width);
        dialog->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
    });
    timer.start();
    form->findChild<QAction *>(QStringLiteral("Options1"))->trigger();
    QCOMPARE(form->settings().tw, 60);
    QCOMPARE(SettingsStore().value(QStringLiteral("tw")), u"60");
    width = 150;
    form->findChild<QToolButton *>(QStringLiteral("ToolButton1"))->click();
    QCOMPARE(form->settings().tw, 150);
    QCOMPARE(TForm4::okAnswer(), 1);
    timer.stop();
    form->setExitWithoutAsking(true);
    form->close();
}

// A finished search of `rows` small pictures, on disk and in the history.
static bool writeSearch(const TestEnv &env, int rows)
{
    const QString folder = env.workingFolder() + QStringLiteral("/Pictures/pics/");
    if (!QDir().mkpath(folder) || !QDir().mkpath(env.searchFolder()))
        return false;
    SearchDatabase db;
    if (!db.create(env.searchFolder() + QStringLiteral("Pics.dat")))
        return false;
    SearchInformation info;
    info.startAddress = QStringLiteral("http://s.test/");
    info.name = QStringLiteral("Pics");
    info.picturesSaved = rows;
    if (!db.writeSearchInformation(info.toText()))
        return false;
    const QByteArray jpeg = TestImages::jpeg(40, 30, 1);
    for (int i = 0; i < rows; ++i) {
        PictureRow row;
        row.PictureName = QStringLiteral("pic%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
        row.OriginalName = row.PictureName;
        row.WebDirectory = QStringLiteral("http://s.test/a/");
        row.DiskDirectory = folder;
        row.Size = 1000 + i;
        row.Width = 40;
        row.Height = 30;
        QFile file(row.path());
        if (!file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size())
            return false;
        if (!db.appendPicture(row, QStringLiteral("link-%1").arg(i)))
            return false;
    }
    db.close();
    return saveHistoryFile(env.searchFolder() + QStringLiteral("his.dat"),
                           {HistoryEntry{stateIcon(0, StateFinished), QStringLiteral("Pics")}});
}

void TestOptionsDialog::okRepagesTheOpenSearch()
{
    TestEnv env;
    QVERIFY(writeSearch(env, 25));
    std::unique_ptr<TForm1> form;
    QVERIFY(openMainWindow(form));
    auto *tree = form->findChild<HistoryTreeView *>(QStringLiteral("TreeView1"));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      tree->visualItemRect(form->treeform()->searchNode(0)).center());
    QVERIFY(form->search()->database().isOpen());
    TlistviewForm *list = form->listviewForm();
    auto *pages = list->findChild<QComboBox *>(QStringLiteral("ComboBox1"));
    QTRY_COMPARE(list->model()->rowCount(), 25);
    QCOMPARE(pages->count(), 1);
    pages->setCurrentIndex(0);

    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [] {
        auto *dialog = qobject_cast<TForm4 *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialog->findChild<QSpinBox *>(QStringLiteral("SpinEdit11"))->setValue(10);
        dialog->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
    });
    timer.start();
    form->openOptions();
    timer.stop();
    QCOMPARE(form->settings().a3, 10);
    QCOMPARE(pages->count(), 3);
    QCOMPARE(pages->currentIndex(), 0);
    QTRY_COMPARE(list->model()->rowCount(), 10);
    form->setExitWithoutAsking(true);
    form->close();
}

QTEST_MAIN(TestOptionsDialog)
#include "tst_optionsdialog.moc"
