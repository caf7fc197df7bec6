#pragma once

#include "crawl/crawlengine.h"
#include "platform/workingfolders.h"
#include "recordinghost.h"
#include "settings/settings.h"
#include "store/currentsearch.h"
#include "store/searchhistory.h"
#include "testenv.h"

#include <memory>

// An engine on a private working folder with a recording front end, the way
// the main window would set one up.
class CrawlHarness
{
public:
    CrawlHarness();

    // Runs `start` and waits for the run to end; false when it did not start
    // or did not end within the time.
    bool run(const std::function<bool()> &start, int timeoutMs = 60000);

    // Addresses of the saved pictures (web folder + original name), sorted.
    QStringList savedAddresses();
    // Every row of a queue or table: Url (or the table's first field), in table order.
    QStringList column(TinyTable &table, const QString &field);

    TestEnv env;
    WorkingFolders folders;
    Settings settings;
    SearchHistory history;
    RecordingHost host;
    std::unique_ptr<CurrentSearch> search;
    std::unique_ptr<CrawlEngine> engine;
};
