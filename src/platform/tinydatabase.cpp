#include "platform/tinydatabase.h"

#include <QFile>
#include <sqlite3.h>

namespace {

QString quoted(const QString &name)
{
    QString q = name;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

QString declaredType(const FieldDef &f)
{
    switch (f.type) {
    case FieldType::String:
        return QStringLiteral("VARCHAR(%1)").arg(f.size);
    case FieldType::Integer:
        return QStringLiteral("INTEGER");
    case FieldType::Memo:
        return QStringLiteral("TEXT");
    }
    return QStringLiteral("TEXT");
}

} // namespace

TinyDatabase::~TinyDatabase()
{
    close();
}

void TinyDatabase::setError()
{
    m_error = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("database not open");
}

void TinyDatabase::setLockWait(int ms)
{
    if (m_db)
        sqlite3_busy_timeout(m_db, ms);
}

bool TinyDatabase::configure()
{
    sqlite3_busy_timeout(m_db, DefaultLockWaitMs);
    // WAL keeps the file consistent across a crash without an fsync per row.
    // A crawl commits a few small transactions per picture; checkpointing
    // every 1000 pages (the default) made each of its syncs a large share of
    // a fast run. The log may grow to about 16 MB and goes when the file closes.
    return exec(QStringLiteral("PRAGMA journal_mode=WAL")) &&
           exec(QStringLiteral("PRAGMA synchronous=NORMAL")) &&
           exec(QStringLiteral("PRAGMA wal_autocheckpoint=4000"));
}

bool TinyDatabase::create(const QString &path)
{
    close();
    {
        // Make the file ourselves so that it is private from the first byte,
        // and never over a file that exists: it may be another search's.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            m_error = file.errorString();
            return false;
        }
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    if (!open(path))
        return false;
    return true;
}

bool TinyDatabase::open(const QString &path)
{
    close();
    if (!QFile::exists(path)) {
        m_error = QStringLiteral("no such database: ") + path;
        return false;
    }
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        m_error = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("cannot open database");
        sqlite3_close_v2(db);
        return false;
    }
    m_db = db;
    m_path = path;
    ++m_generation;
    if (!configure()) {
        close();
        return false;
    }
    return true;
}

void TinyDatabase::close()
{
    if (!m_db)
        return;
    if (m_txDepth > 0)
        exec(QStringLiteral("COMMIT"));
    m_txDepth = 0;
    finalizeStatements();
    // Statements still held by tables are finalized by them; the connection
    // goes away with the last one.
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    ++m_generation;
}

bool TinyDatabase::exec(const QString &sql)
{
    if (!m_db) {
        setError();
        return false;
    }
    char *message = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        m_error = QString::fromUtf8(message ? message : "error");
        sqlite3_free(message);
        return false;
    }
    return true;
}

void TinyDatabase::finalizeStatements()
{
    sqlite3_finalize(m_begin);
    sqlite3_finalize(m_beginWrite);
    sqlite3_finalize(m_commit);
    m_begin = nullptr;
    m_beginWrite = nullptr;
    m_commit = nullptr;
}

bool TinyDatabase::step(sqlite3_stmt *&statement, const char *sql)
{
    if (!m_db) {
        setError();
        return false;
    }
    if (!statement &&
        sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK) {
        setError();
        return false;
    }
    const bool done = sqlite3_step(statement) == SQLITE_DONE;
    if (!done)
        setError();
    sqlite3_reset(statement);
    return done;
}

bool TinyDatabase::begin()
{
    if (m_txDepth++ == 0)
        return step(m_begin, "BEGIN");
    return true;
}

bool TinyDatabase::beginWrite()
{
    if (m_txDepth++ == 0)
        return step(m_beginWrite, "BEGIN IMMEDIATE");
    return true;
}

bool TinyDatabase::commit()
{
    if (m_txDepth <= 0)
        return false;
    if (--m_txDepth == 0)
        return step(m_commit, "COMMIT");
    return true;
}

bool TinyDatabase::createTable(const QString &table, const QList<FieldDef> &fields)
{
    QStringList columns;
    for (const FieldDef &f : fields)
        columns << quoted(f.name) + u' ' + declaredType(f);
    return exec(
        QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(table), columns.join(QStringLiteral(", "))));
}

bool TinyDatabase::createIndex(const QString &indexName, const QString &table, const QString &field)
{
    return exec(
        QStringLiteral("CREATE INDEX %1 ON %2 (%3)").arg(quoted(indexName), quoted(table), quoted(field)));
}

QStringList TinyDatabase::tableNames() const
{
    QStringList names;
    if (!m_db)
        return names;
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(m_db, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY rowid", -1, &st,
                           nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW)
            names << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    }
    sqlite3_finalize(st);
    return names;
}

QList<FieldDef> TinyDatabase::fields(const QString &table) const
{
    QList<FieldDef> result;
    if (!m_db)
        return result;
    sqlite3_stmt *st = nullptr;
    const QByteArray sql = QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table)).toUtf8();
    if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW) {
            FieldDef f;
            f.name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 1)));
            const QString type =
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 2)));
            if (type.startsWith(u"VARCHAR(")) {
                f.type = FieldType::String;
                f.size = type.mid(8, type.size() - 9).toInt();
            } else if (type == u"INTEGER") {
                f.type = FieldType::Integer;
            } else {
                f.type = FieldType::Memo;
            }
            result << f;
        }
    }
    sqlite3_finalize(st);
    return result;
}

QList<QPair<QString, QString>> TinyDatabase::indexes(const QString &table) const
{
    QList<QPair<QString, QString>> result;
    if (!m_db)
        return result;
    sqlite3_stmt *st = nullptr;
    const char *sql =
        "SELECT il.name, ii.name FROM pragma_index_list(?1) AS il, pragma_index_info(il.name) AS ii "
        "ORDER BY il.name";
    if (sqlite3_prepare_v2(m_db, sql, -1, &st, nullptr) == SQLITE_OK) {
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(st, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        while (sqlite3_step(st) == SQLITE_ROW)
            result.append({QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))),
                           QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 1)))});
    }
    sqlite3_finalize(st);
    return result;
}
