#include "crawlharness.h"

#include "platform/settingsstore.h"

#include <QSignalSpy>
#include <QTest>

CrawlHarness::CrawlHarness()
{
    QString error;
    WorkingFolders::build(folders, &error);
    SettingsStore store;
    settings.loadSearchSettings(store, folders.working);
    settings.loadWindowSettings(store);
    history.load(folders.search + QStringLiteral("his.dat"), settings.searchhisnum);
    search = std::make_unique<CurrentSearch>(settings, folders, history, host);
    engine = std::make_unique<CrawlEngine>(*search, host);
}

bool CrawlHarness::run(const std::function<bool()> &start, int timeoutMs)
{
    QSignalSpy finished(engine.get(), &CrawlEngine::finished);
    if (!start())
        return false;
    if (finished.isEmpty() && !finished.wait(timeoutMs))
        return false;
    return !engine->isRunning();
}

QStringList CrawlHarness::savedAddresses()
{
    QStringList out;
    TinyTable &rows = engine->database().TinyTableV1;
    for (bool ok = rows.first(); ok; ok = rows.next()) {
        const PictureRow row = PictureRow::fromTable(rows);
        out << row.WebDirectory + row.OriginalName;
    }
    out.sort();
    return out;
}

QStringList CrawlHarness::column(TinyTable &table, const QString &field)
{
    QStringList out;
    for (bool ok = table.first(); ok; ok = table.next())
        out << table.fieldText(field);
    return out;
}
