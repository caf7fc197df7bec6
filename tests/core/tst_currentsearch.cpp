// The open search on real database files in a private working folder:
// opening, refusing what cannot be opened, deleting, naming and the hold a
// run has on its search.

#include "store/currentsearch.h"
#include "store/historyfile.h"
#include "store/searchhistory.h"
#include "store/searchinformation.h"
#include "store/searchlock.h"
#include "store/searchnaming.h"
#include "support/crawlharness.h"

#include <QFile>
#include <QTest>
#include <QThread>
#include <sqlite3.h>

namespace {

// Writes a search file with this record text.
bool writeSearch(const QString &path, const QString &record)
{
    SearchDatabase db;
    return db.create(path) && (record.isNull() || db.writeSearchInformation(record));
}

QString recordWith(int pending, int saved, const QString &start = QStringLiteral("http://s.test/"))
{
    SearchInformation info;
    info.startAddress = start;
    info.picturesPending = pending;
    info.picturesSaved = saved;
    info.timeout = 77;
    return info.toText();
}

} // namespace

class TestCurrentSearch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void damagedRecordsAreRefused_data()
    {
        QTest::addColumn<QString>("record");
        QTest::newRow("no record") << QString();
        QTest::newRow("empty record") << QStringLiteral("");
        QTest::newRow("cut after three lines") << recordWith(1, 2).section(u'\n', 0, 2) + u'\n';
    }
    void damagedRecordsAreRefused()
    {
        QFETCH(QString, record);
        CrawlHarness h;
        QVERIFY(writeSearch(h.search->path(QStringLiteral("Broken")), record));
        h.history.add(QStringLiteral("Broken"), stateIcon(0, StateFinished));
        const Settings before = h.settings;
        h.search->select(0);
        QCOMPARE(h.host.warnings.size(), 1);
        QVERIFY2(h.host.warnings.first().contains(QStringLiteral("damaged")),
                 qPrintable(h.host.warnings.first()));
        QVERIFY(!h.search->database().isOpen());
        QCOMPARE(h.search->node(), -1);
        // Nothing of the record reached the settings: no timeout 0, no picture type off.
        QCOMPARE(static_cast<const SearchSettings &>(h.settings),
                 static_cast<const SearchSettings &>(before));
        QCOMPARE(h.host.counters, QStringLiteral("0:0->0:0"));
    }

    // A search whose file is gone says so, and nothing of the search shown
    // before stays on show; it can still be deleted.
    void missingFileShowsNothingStale()
    {
        CrawlHarness h;
        QVERIFY(writeSearch(h.search->path(QStringLiteral("Here")), recordWith(12, 5)));
        h.history.add(QStringLiteral("Here"), stateIcon(0, StateStopped));
        h.history.add(QStringLiteral("Gone"), stateIcon(0, StateFinished));
        h.search->select(0);
        QCOMPARE(h.host.counters, QStringLiteral("0:12->5:0"));
        QCOMPARE(h.host.caption, QStringLiteral("Here--Snapdredge-default.sit"));
        QVERIFY(h.host.group(CommandGroup::Continue) == false); // empty queues
        QCOMPARE(h.settings.timeout, 77);

        h.search->select(1);
        QCOMPARE(h.host.warnings.size(), 1);
        QVERIFY(
            h.host.warnings.first().startsWith(QStringLiteral("The file of the search \"Gone\" is missing")));
        QCOMPARE(h.host.counters, QStringLiteral("0:0->0:0"));
        QCOMPARE(h.host.caption, QStringLiteral("NoneTitle--Snapdredge-default.sit"));
        QVERIFY(!h.host.group(CommandGroup::Continue));
        QVERIFY(!h.host.group(CommandGroup::BigPictures));
        QVERIFY(h.host.group(CommandGroup::Delete));
        QCOMPARE(h.search->node(), -1);

        QVERIFY(h.search->deleteSelected(false));
        QCOMPARE(h.history.count(), 1);
        QCOMPARE(h.history.entry(0).name, QStringLiteral("Here"));
        QCOMPARE(h.search->node(), 0); // the one left was opened
    }

    void deletingTheLastSearchClearsTheCounters()
    {
        CrawlHarness h;
        QVERIFY(writeSearch(h.search->path(QStringLiteral("Only")), recordWith(4, 9)));
        h.history.add(QStringLiteral("Only"), stateIcon(0, StateFinished));
        h.search->select(0);
        QCOMPARE(h.host.counters, QStringLiteral("0:4->9:0"));
        QVERIFY(h.search->deleteSelected(false));
        QCOMPARE(h.history.count(), 0);
        QCOMPARE(h.host.counters, QStringLiteral("0:0->0:0"));
        QCOMPARE(h.host.times, QString());
        QVERIFY(!QFile::exists(h.search->path(QStringLiteral("Only"))));
    }

    // Work a run had handed out when the program died is work to continue;
    // its history node, left "running", shows as stopped once no program runs it.
    void interruptedRunsCanBeContinued()
    {
        CrawlHarness h;
        const QString path = h.search->path(QStringLiteral("Cut"));
        {
            SearchDatabase db;
            QVERIFY(db.create(path));
            QVERIFY(db.writeSearchInformation(recordWith(0, 3)));
            QVERIFY(
                db.TinyTableR.append({QStringLiteral("http://s.test/a.jpg"), QString(), 0, 0, QString()}));
        }
        QVERIFY(writeSearch(h.search->path(QStringLiteral("Held")), recordWith(0, 0)));
        h.history.add(QStringLiteral("Cut"), stateIcon(0, StateRunning));
        h.history.add(QStringLiteral("Held"), stateIcon(1, StateRunning));
        SearchLock otherProgram;
        QVERIFY(otherProgram.take(h.folders.search, QStringLiteral("Held"), nullptr));
        h.search->settleInterruptedRuns();
        QCOMPARE(h.history.entry(0).icon, stateIcon(0, StateStopped));
        QCOMPARE(h.history.entry(1).icon, stateIcon(1, StateRunning));
        h.search->select(0);
        QVERIFY(h.host.group(CommandGroup::Continue));
    }

    // Searches dropped from the history, or added by another program, keep
    // their files: a new search never takes their names.
    void newNamesAvoidOtherSearchesFiles()
    {
        CrawlHarness h;
        const QString stranger = h.search->path(QStringLiteral("None"));
        QVERIFY(writeSearch(stranger, recordWith(1, 1, QStringLiteral("http://stranger.test/"))));
        QString error;
        QVERIFY2(h.search->create(0, &error), qPrintable(error));
        QCOMPARE(h.search->state().name, QStringLiteral("None(2)"));
        SearchDatabase db;
        QVERIFY(db.open(stranger));
        QCOMPARE(SearchInformation::fromText(db.readSearchInformation()).startAddress,
                 QStringLiteral("http://stranger.test/"));
    }

    // Two programs share his.dat: neither loses what the other added.
    void historyMergesWhatAnotherProgramWrote()
    {
        CrawlHarness h;
        const QString file = h.folders.search + QStringLiteral("his.dat");
        QVERIFY(saveHistoryFile(file, {{stateIcon(0, StateFinished), QStringLiteral("Old")}}));
        SearchHistory desktop, commandLine;
        desktop.load(file, 18);
        commandLine.load(file, 18);
        commandLine.add(QStringLiteral("FromCli"), stateIcon(0, StateFinished));
        desktop.add(QStringLiteral("FromDesktop"), stateIcon(1, StateStopped));
        desktop.setIcon(0, stateIcon(0, StateStopped));
        QCOMPARE(loadHistoryFile(file, 0),
                 (QList<HistoryEntry>{{stateIcon(0, StateStopped), QStringLiteral("Old")},
                                      {stateIcon(0, StateFinished), QStringLiteral("FromCli")},
                                      {stateIcon(1, StateStopped), QStringLiteral("FromDesktop")}}));
        // Removed by one, it stays removed when the other writes again.
        commandLine.remove(commandLine.indexOf(QStringLiteral("Old")));
        desktop.setIcon(desktop.indexOf(QStringLiteral("FromDesktop")), stateIcon(1, StateFinished));
        QCOMPARE(loadHistoryFile(file, 0),
                 (QList<HistoryEntry>{{stateIcon(0, StateFinished), QStringLiteral("FromCli")},
                                      {stateIcon(1, StateFinished), QStringLiteral("FromDesktop")}}));
    }

    void oneRunPerSearch()
    {
        CrawlHarness first;
        QString error;
        QVERIFY(first.search->create(0, &error));
        // A second program (here a second open search on the same folder).
        SearchHistory history;
        history.load(first.folders.search + QStringLiteral("his.dat"), 18);
        RecordingHost host;
        CurrentSearch second(first.settings, first.folders, history, host);
        second.select(history.indexOf(first.search->state().name));
        QVERIFY(second.database().isOpen());
        QVERIFY(!second.holdForRun(&error));
        QVERIFY2(error.contains(QStringLiteral("being run by another program")), qPrintable(error));
        QVERIFY(!second.deleteSelected(false));
        QVERIFY(QFile::exists(first.search->path(first.search->state().name)));
        first.search->releaseRun();
        QVERIFY(second.holdForRun(&error));
    }

    // A long title in a script of three bytes a character names the search,
    // cut to fit the file system at a character; the database moves, whole.
    void longTitlesFitTheFileSystem()
    {
        CrawlHarness h;
        QString error;
        QVERIFY(h.search->create(0, &error));
        const QString start = QStringLiteral("http://s.test/");
        QVERIFY(h.search->database().TinyTableR.append(
            {start, start + QStringLiteral("|2|0|0|0|*#|"), 1, 1, QString()}));
        const QString title(120, QChar(0x6F22));
        QVERIFY2(h.search->rename(title, &error), qPrintable(error));
        const QString name = h.search->state().name;
        QVERIFY(name.toUtf8().size() <= SearchNameByteLimit);
        QCOMPARE(name, QString(SearchNameByteLimit / 3, QChar(0x6F22)));
        QVERIFY(QFile::exists(h.search->path(name)));
        QVERIFY(!QFile::exists(h.search->path(QStringLiteral("None"))));
        QCOMPARE(h.history.entry(0).name, name);
        QVERIFY(h.search->database().TinyTableR.first());
        QCOMPARE(h.search->database().TinyTableR.fieldText(QStringLiteral("Url")), start);
        QVERIFY((h.search->path(name) + QStringLiteral("-wal")).toUtf8().size() -
                    h.folders.search.toUtf8().size() <=
                255);
    }

    void namesAreCutAtCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QString>("cut");
        QTest::newRow("fits") << "abc" << 3 << "abc";
        QTest::newRow("ascii") << "abcdef" << 4 << "abcd";
        QTest::newRow("inside a three-byte character")
            << QString(3, QChar(0x6F22)) << 8 << QString(2, QChar(0x6F22));
        QTest::newRow("inside a surrogate pair") << QStringLiteral("a\U0001F600") << 4 << "a";
    }
    void namesAreCutAtCharacters()
    {
        QFETCH(QString, text);
        QFETCH(int, bytes);
        QFETCH(QString, cut);
        QCOMPARE(cutToBytes(text, bytes), cut);
    }

    // The record written every second never waits for a lock another program
    // holds; the one at the finish does.
    void periodicWritesDoNotWait()
    {
        CrawlHarness h;
        QString error;
        QVERIFY(h.search->create(0, &error));
        const QByteArray path = h.search->path(h.search->state().name).toUtf8();
        for (bool wait : {false, true}) {
            sqlite3 *other = nullptr;
            QCOMPARE(sqlite3_open(path.constData(), &other), SQLITE_OK);
            QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
            // Let go after a moment, from another thread: only a waiting write gets through.
            QThread *release = QThread::create([other]() {
                QThread::msleep(300);
                sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
            });
            release->start();
            QCOMPARE(h.search->writeRecord(wait), wait);
            release->wait();
            delete release;
            sqlite3_close(other);
        }
    }
};

QTEST_GUILESS_MAIN(TestCurrentSearch)
#include "tst_currentsearch.moc"
