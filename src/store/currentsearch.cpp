#include "store/currentsearch.h"

#include "platform/settingsstore.h"
#include "platform/workingfolders.h"
#include "settings/settings.h"
#include "store/historyfile.h"
#include "store/searchdisplay.h"
#include "store/searchhistory.h"
#include "store/searchinformation.h"
#include "store/searchnaming.h"

#include <QDir>
#include <QFile>

namespace {

const CommandGroup SelectionGroups[] = {CommandGroup::Select,         CommandGroup::Unselect,
                                        CommandGroup::SelectByFolder, CommandGroup::UnselectByFolder,
                                        CommandGroup::SelectAll,      CommandGroup::UnselectAll};

// The database file with its logs.
void removeSearchFiles(const QString &path)
{
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::remove(path + QString::fromLatin1(suffix));
}

} // namespace

CurrentSearch::CurrentSearch(Settings &settings, const WorkingFolders &folders, SearchHistory &history,
                             SearchDisplay &display, QObject *parent)
    : QObject(parent), m_settings(settings), m_folders(folders), m_history(history), m_display(display)
{
}

CurrentSearch::~CurrentSearch() = default;

QString CurrentSearch::path(const QString &name) const
{
    return m_folders.search + name + QStringLiteral(".dat");
}

int CurrentSearch::node() const
{
    return m_db.isOpen() ? m_history.current() : -1;
}

QString CurrentSearch::caption(bool withSearch) const
{
    return withSearch ? captionFor(m_state.name) : productLabel() + u'-' + m_siteName;
}

QString CurrentSearch::captionFor(const QString &searchName) const
{
    const QString name = searchName.trimmed();
    return (name.isEmpty() ? QStringLiteral("NoneTitle") : name) + QStringLiteral("--") + productLabel() +
           u'-' + m_siteName;
}

void CurrentSearch::showCaption(bool withSearch)
{
    m_display.setCaption(caption(withSearch));
}

void CurrentSearch::showCounters()
{
    m_display.showCounters(countersText(m_state.counters));
}

void CurrentSearch::showTimes()
{
    m_display.showTimes(timesText(m_state.counters));
}

void CurrentSearch::setSelectionCommands(bool deleteOn)
{
    for (CommandGroup g : SelectionGroups)
        m_display.setCommandGroup(g, false);
    m_display.setCommandGroup(CommandGroup::Delete, deleteOn);
}

// ---------------------------------------------------------------------------
// Selection, opening and write-back

void CurrentSearch::select(int index)
{
    m_history.setSelected(index);
    if (m_running)
        return;
    if (index >= 0 && index == m_history.current() && m_db.isOpen())
        return;
    writeBack();
    if (index < 0) {
        // "My Search" or "Deleted": the open search stays on show.
        setSelectionCommands(false);
        return;
    }
    openSelected(index);
}

void CurrentSearch::openSelected(int index)
{
    const QString name = m_history.entry(index).name;
    const QString file = path(name);
    QString problem;
    SearchInformation info;
    if (!QFile::exists(file)) {
        problem = QStringLiteral("The file of the search \"%1\" is missing: %2").arg(name, file);
    } else if (!m_db.open(file)) {
        problem = QStringLiteral("The search \"%1\" cannot be opened: %2").arg(name, m_db.lastError());
    } else {
        info = SearchInformation::fromText(m_db.readSearchInformation(), m_settings.extendedlevel);
        if (!info.readable)
            problem = QStringLiteral("The record of the search \"%1\" is damaged or empty, so it cannot be "
                                     "opened. The settings stay as they are.")
                          .arg(name);
    }
    if (!problem.isEmpty()) {
        // Nothing of the search shown before may pass for this one.
        m_db.close();
        m_history.setCurrent(-1);
        showNothing();
        setSelectionCommands(true);
        m_display.showWarning(problem);
        return;
    }
    m_history.setCurrent(index);
    restoreRecord(info);
    m_display.clearPictureViewer();
    setSelectionCommands(true);
}

void CurrentSearch::restoreRecord(const SearchInformation &info)
{
    m_state.startAddress = info.startAddress;
    m_display.setAddressText(info.startAddress);
    info.giveSettings(m_settings);
    m_settings.picturesRoot = Settings::picturesRootFor(m_folders.working);
    m_state.wholePageScan = info.wholePageScan != 0;
    m_state.counters.pagesPending = info.pagesPending;
    m_state.counters.picturesPending = info.picturesPending;
    m_state.counters.picturesSaved = info.picturesSaved;
    m_state.counters.picturesFailed = info.picturesFailed;
    m_state.counters.elapsedSeconds = info.elapsedSeconds;
    m_state.mode = info.searchMode;
    m_state.thumbnailLink = info.thumbnailLink;
    m_state.name = info.name.isEmpty() ? m_history.entry(m_history.current()).name : info.name;
    m_state.pictureRows = m_db.TinyTableV1.recordCount();
    m_display.searchOpened();
    showCounters();
    refreshDisplay();
    m_modified = false;
    Q_EMIT opened();
}

void CurrentSearch::refreshDisplay()
{
    m_display.substringsChanged();
    m_display.setCheckBoxMode(m_state.mode == 1);
    m_display.setCommandGroup(CommandGroup::BigPictures, m_db.isOpen() && m_db.TinyTable2.first());
    m_display.setCommandGroup(CommandGroup::Continue, m_db.isOpen() && m_db.hasWork());
    m_state.name = m_state.name.trimmed();
    showCaption();
    m_display.setCommandGroup(CommandGroup::AddFavourite, true);
    if (m_persistSettings) {
        SettingsStore store;
        m_settings.saveSearchSettings(store);
    }
    showTimes();
}

void CurrentSearch::showNothing()
{
    m_state = OpenSearchState();
    m_display.clearViews();
    m_display.clearPictureViewer();
    showCounters();
    showTimes();
    showCaption();
    m_display.setCommandGroup(CommandGroup::BigPictures, false);
    m_display.setCommandGroup(CommandGroup::Continue, false);
    Q_EMIT opened();
}

void CurrentSearch::writeBack()
{
    if (m_history.current() >= 0 && m_modified && m_db.isOpen()) {
        writeRecord();
        m_db.close();
    }
    m_modified = false;
}

bool CurrentSearch::writeRecord(bool wait)
{
    if (!m_db.isOpen())
        return false;
    SearchInformation info;
    info.takeSettings(m_settings);
    info.startAddress = m_state.startAddress;
    info.wholePageScan = m_state.wholePageScan ? 1 : 0;
    info.pagesPending = m_state.counters.pagesPending;
    info.picturesPending = m_state.counters.picturesPending;
    info.picturesSaved = m_state.counters.picturesSaved;
    info.picturesFailed = m_state.counters.picturesFailed;
    info.elapsedSeconds = m_state.counters.elapsedSeconds;
    info.searchMode = m_state.mode;
    info.thumbnailLink = m_state.thumbnailLink;
    info.name = m_state.name;
    if (!wait)
        m_db.database().setLockWait(0);
    const bool ok = m_db.writeSearchInformation(info.toText());
    if (!wait)
        m_db.database().setLockWait(TinyDatabase::DefaultLockWaitMs);
    return ok;
}

// ---------------------------------------------------------------------------
// Deletion

bool CurrentSearch::deleteSelected(bool byDrop)
{
    if (m_running) {
        m_display.showWarning(byDrop ? QStringLiteral("Can not delete my search item when downloading!")
                                     : QStringLiteral("Can not delete item when downloading!"));
        return false;
    }
    const int index = m_history.selected();
    if (index < 0)
        return false;
    const QString name = m_history.entry(index).name;
    const QString file = path(name);
    if (SearchLock::isRunElsewhere(m_folders.search, name)) {
        m_display.showWarning(
            QStringLiteral("The search \"%1\" is being run by another program; it can not be deleted now.")
                .arg(name));
        return false;
    }
    if (m_settings.isdeletepic && QFile::exists(file)) {
        // Every picture of the search, not only those of the page on show.
        SearchDatabase other;
        SearchDatabase &db = m_history.current() == index && m_db.isOpen() ? m_db : other;
        if (&db == &other)
            other.open(file);
        for (bool row = db.TinyTableV1.first(); row; row = db.TinyTableV1.next())
            QFile::remove(PictureRow::fromTable(db.TinyTableV1).path());
    }
    if (m_db.path() == file)
        m_db.close();
    removeSearchFiles(file);
    m_modified = false;
    m_history.remove(index);
    if (m_history.count() > 0) {
        select(qMin(index, m_history.count() - 1));
    } else {
        m_history.setCurrent(-1);
        showNothing();
        select(-1);
    }
    return true;
}

// ---------------------------------------------------------------------------
// A new search, its name, and the run's hold on it

QStringList CurrentSearch::takenNames() const
{
    QStringList taken;
    for (const HistoryEntry &e : m_history.entries())
        taken << e.name;
    const QStringList suffixes = {QStringLiteral(".dat"), QStringLiteral(".dat-wal"),
                                  QStringLiteral(".dat-shm"), QStringLiteral(".lock")};
    const QStringList files = QDir(m_folders.search)
                                  .entryList({QStringLiteral("*.dat"), QStringLiteral("*.dat-wal"),
                                              QStringLiteral("*.dat-shm"), QStringLiteral("*.lock")},
                                             QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &f : files) {
        for (const QString &suffix : suffixes) {
            if (f.endsWith(suffix)) {
                taken << f.chopped(suffix.size());
                break;
            }
        }
    }
    return taken;
}

bool CurrentSearch::create(int mode, QString *error)
{
    const QString name = uniqueSearchName(QStringLiteral("None"), takenNames());
    const QString file = path(name);
    if (!m_db.create(file)) {
        // Making it closed the search that was open.
        m_history.setCurrent(-1);
        *error = QStringLiteral("Cannot create ") + file + QStringLiteral(": ") + m_db.lastError();
        return false;
    }
    QString why;
    if (!m_lock.take(m_folders.search, name, &why)) {
        m_db.close();
        m_history.setCurrent(-1);
        removeSearchFiles(file);
        *error = QStringLiteral("Cannot create ") + file + QStringLiteral(": ") + why;
        return false;
    }
    // The oldest search goes only once the new one exists, and never while
    // another program runs it.
    if (m_history.count() >= m_settings.searchhisnum && m_history.count() > 0) {
        const QString oldest = m_history.entry(0).name;
        if (!SearchLock::isRunElsewhere(m_folders.search, oldest))
            removeSearchFiles(path(oldest));
        m_history.remove(0);
    }
    m_state.name = name;
    m_state.mode = mode;
    m_state.pictureRows = 0;
    const int index = m_history.add(name, stateIcon(mode, StateRunning));
    m_history.setCurrent(index);
    m_history.setSelected(index);
    m_modified = false;
    // The search can be continued from its database alone, even when the
    // program dies before the first page is in.
    writeRecord();
    return true;
}

bool CurrentSearch::rename(const QString &title, QString *error)
{
    const int index = node();
    if (index < 0)
        return false;
    const QString oldName = m_history.entry(index).name;
    QStringList taken = takenNames();
    taken.removeAll(oldName);
    const QString name = uniqueSearchName(title, taken);
    if (name == oldName) {
        m_state.name = name;
        m_history.setSelected(index);
        return true;
    }
    QString why;
    if (!m_lock.rename(m_folders.search, name, &why)) {
        *error = QStringLiteral("Cannot rename the search to \"%1\": %2").arg(name, why);
        return false;
    }
    const QString oldPath = path(oldName);
    const QString newPath = path(name);
    // Closing checkpoints the log into the file, so the file alone moves;
    // nothing is deleted before the new name exists.
    m_db.close();
    bool moved = QFile::rename(oldPath, newPath);
    if (moved) {
        for (const char *suffix : {"-wal", "-shm"}) {
            const QString s = QString::fromLatin1(suffix);
            if (QFile::exists(oldPath + s))
                QFile::rename(oldPath + s, newPath + s);
        }
    }
    if (!m_db.open(moved ? newPath : oldPath)) {
        *error = QStringLiteral("Cannot open ") + (moved ? newPath : oldPath) + QStringLiteral(": ") +
                 m_db.lastError();
        return false;
    }
    if (!moved) {
        m_lock.rename(m_folders.search, oldName, nullptr);
        *error = QStringLiteral("Cannot rename %1 to %2").arg(oldPath, newPath);
        return false;
    }
    m_state.name = name;
    m_history.rename(index, name);
    m_history.setSelected(index);
    writeRecord();
    return true;
}

bool CurrentSearch::holdForRun(QString *error)
{
    const int index = node();
    if (index < 0)
        return false;
    const QString name = m_history.entry(index).name;
    QString why;
    if (m_lock.take(m_folders.search, name, &why))
        return true;
    *error = QStringLiteral("The search \"%1\" can not be run now: %2.").arg(name, why);
    return false;
}

void CurrentSearch::settleInterruptedRuns()
{
    for (int i = 0; i < m_history.count(); ++i) {
        const HistoryEntry e = m_history.entry(i);
        if (stateOfIcon(e.icon) == StateRunning && !SearchLock::isRunElsewhere(m_folders.search, e.name))
            m_history.setIcon(i, stateIcon(modeOfIcon(e.icon), StateStopped));
    }
}
