#pragma once

#include "platform/tinydatabase.h"

#include <QHash>
#include <QVariant>

struct sqlite3_stmt;

// A cursor over one table, in the order of one field (then insertion order)
// or in insertion ("stored") order. The current row is remembered by its row id,
// so deleting other rows never moves it.
class TinyTable
{
public:
    explicit TinyTable(TinyDatabase *db = nullptr) : m_db(db) {}
    ~TinyTable();
    TinyTable(const TinyTable &) = delete;
    TinyTable &operator=(const TinyTable &) = delete;

    void setDatabase(TinyDatabase *db);
    // indexField empty: stored order.
    bool open(const QString &table, const QString &indexField = {});
    void close();
    bool isOpen() const { return m_open; }
    QString tableName() const { return m_table; }

    // Positioning. Each returns false when there is no such row (then eof()).
    bool first();
    bool next();
    bool eof() const { return m_rowid < 0; }
    qint64 rowId() const { return m_rowid; }

    // The current row's field as text ("" at eof or for an unknown field).
    QString fieldText(const QString &field) const;
    int fieldInt(const QString &field) const;

    // Appends a row with values in field order; the new row becomes current.
    bool append(const QVariantList &values);
    // Same as append: in an ordered table a row's place is given by its field.
    bool insert(const QVariantList &values) { return append(values); }
    // Deletes the current row; the next row becomes current.
    bool deleteCurrent();
    // Sets one field of the current row (edit + post).
    bool setField(const QString &field, const QVariant &value);
    bool empty();
    int recordCount();
    // Moves to the first row (in this table's order) whose field equals value.
    bool findFirst(const QString &field, const QVariant &value);
    // True when some row's field equals value; does not move.
    bool contains(const QString &field, const QVariant &value);
    // True when some row has both values; the first field should be indexed.
    bool contains(const QString &field, const QVariant &value, const QString &field2, const QVariant &value2);

    QString lastError() const;

private:
    template <typename MakeSql> sqlite3_stmt *statement(const QString &key, MakeSql makeSql);
    bool loadRow(sqlite3_stmt *st);
    QString orderBy() const;
    void finalizeAll();
    bool bindValue(sqlite3_stmt *st, int index, const QVariant &value);
    bool prepareColumns();

    TinyDatabase *m_db = nullptr;
    QString m_table;
    QString m_orderField;
    QStringList m_columns;
    bool m_open = false;
    quint64 m_generation = 0;
    qint64 m_rowid = -1;
    QVariantList m_row;
    QHash<QString, sqlite3_stmt *> m_statements;
};
