#pragma once

#include <QList>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// The field types of a table: a text of (nominally) at most `size` characters,
// a signed 32-bit integer, or a text of any length. Texts are always stored whole.
enum class FieldType { String, Integer, Memo };

struct FieldDef
{
    QString name;
    FieldType type = FieldType::String;
    int size = 0;
};

// One database file with its tables. The file is SQLite with a write-ahead
// log, so a crash at any moment leaves a consistent file.
class TinyDatabase
{
public:
    TinyDatabase() = default;
    ~TinyDatabase();
    TinyDatabase(const TinyDatabase &) = delete;
    TinyDatabase &operator=(const TinyDatabase &) = delete;

    // How long a statement waits for another process's lock before it fails.
    static constexpr int DefaultLockWaitMs = 5000;

    // Creates a new, empty database file; fails when a file of that name exists.
    bool create(const QString &path);
    bool open(const QString &path);
    // Closing a closed database is no error.
    void close();
    bool isOpen() const { return m_db != nullptr; }
    QString path() const { return m_path; }

    bool createTable(const QString &table, const QList<FieldDef> &fields);
    bool createIndex(const QString &indexName, const QString &table, const QString &field);

    QStringList tableNames() const;
    QList<FieldDef> fields(const QString &table) const;
    // index name -> indexed field, for the table
    QList<QPair<QString, QString>> indexes(const QString &table) const;

    // Groups many row operations into one transaction (nestable; the outermost
    // commit writes).
    bool begin();
    // A transaction that will write, holding the write lock from its start:
    // one that reads first cannot take it later while another program writes.
    bool beginWrite();
    bool commit();

    bool exec(const QString &sql);
    // Changes the lock wait of the open file (DefaultLockWaitMs after open).
    void setLockWait(int ms);
    QString lastError() const { return m_error; }
    sqlite3 *handle() const { return m_db; }

    // Bumped on every close/open so tables notice their statements are stale.
    quint64 generation() const { return m_generation; }

private:
    friend class TinyTable;
    void setError();
    bool configure();
    bool step(sqlite3_stmt *&statement, const char *sql);
    void finalizeStatements();

    sqlite3 *m_db = nullptr;
    QString m_path;
    QString m_error;
    int m_txDepth = 0;
    // A crawl begins and commits several transactions per picture.
    sqlite3_stmt *m_begin = nullptr;
    sqlite3_stmt *m_beginWrite = nullptr;
    sqlite3_stmt *m_commit = nullptr;
    quint64 m_generation = 0;
};
