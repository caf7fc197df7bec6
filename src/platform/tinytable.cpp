#include "platform/tinytable.h"

#include <sqlite3.h>

namespace {

QString quoted(const QString &name)
{
    QString q = name;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

QVariant columnValue(sqlite3_stmt *st, int i)
{
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(st, i)));
    case SQLITE_NULL:
        return QVariant(QString());
    default:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)),
                                          sqlite3_column_bytes(st, i)));
    }
}

} // namespace

TinyTable::~TinyTable()
{
    finalizeAll();
}

void TinyTable::setDatabase(TinyDatabase *db)
{
    close();
    m_db = db;
}

void TinyTable::finalizeAll()
{
    for (sqlite3_stmt *st : std::as_const(m_statements))
        sqlite3_finalize(st);
    m_statements.clear();
}

void TinyTable::close()
{
    finalizeAll();
    m_open = false;
    m_rowid = -1;
    m_row.clear();
}

bool TinyTable::prepareColumns()
{
    m_columns.clear();
    for (const FieldDef &f : m_db->fields(m_table))
        m_columns << f.name;
    return !m_columns.isEmpty();
}

bool TinyTable::open(const QString &table, const QString &indexField)
{
    close();
    if (!m_db || !m_db->isOpen())
        return false;
    m_table = table;
    m_orderField = indexField;
    m_generation = m_db->generation();
    if (!prepareColumns()) {
        m_db->m_error = QStringLiteral("no such table: ") + table;
        return false;
    }
    if (!indexField.isEmpty() && !m_columns.contains(indexField))
        return false;
    m_open = true;
    return true;
}

QString TinyTable::lastError() const
{
    return m_db ? m_db->lastError() : QStringLiteral("no database");
}

QString TinyTable::orderBy() const
{
    return m_orderField.isEmpty() ? QStringLiteral("rowid")
                                  : quoted(m_orderField) + QStringLiteral(", rowid");
}

template <typename MakeSql> sqlite3_stmt *TinyTable::statement(const QString &key, MakeSql makeSql)
{
    if (!m_open || !m_db || !m_db->isOpen())
        return nullptr;
    if (m_generation != m_db->generation()) {
        // The database was closed and reopened under us.
        m_open = false;
        finalizeAll();
        return nullptr;
    }
    if (sqlite3_stmt *st = m_statements.value(key)) {
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
        return st;
    }
    sqlite3_stmt *st = nullptr;
    // Formatted only when first prepared: the lookup above runs on every row operation.
    const QByteArray utf8 = makeSql().toUtf8();
    if (sqlite3_prepare_v3(m_db->handle(), utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &st,
                           nullptr) != SQLITE_OK) {
        m_db->setError();
        return nullptr;
    }
    m_statements.insert(key, st);
    return st;
}

bool TinyTable::bindValue(sqlite3_stmt *st, int index, const QVariant &value)
{
    int rc;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Bool:
        rc = sqlite3_bind_int64(st, index, value.toLongLong());
        break;
    default: {
        const QByteArray text = value.toString().toUtf8();
        rc = sqlite3_bind_text(st, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    }
    return rc == SQLITE_OK;
}

bool TinyTable::loadRow(sqlite3_stmt *st)
{
    const int rc = sqlite3_step(st);
    if (rc != SQLITE_ROW) {
        if (rc != SQLITE_DONE)
            m_db->setError();
        m_rowid = -1;
        m_row.clear();
        sqlite3_reset(st);
        return false;
    }
    m_rowid = sqlite3_column_int64(st, 0);
    m_row.clear();
    const int n = sqlite3_column_count(st);
    for (int i = 1; i < n; ++i)
        m_row << columnValue(st, i);
    sqlite3_reset(st);
    return true;
}

bool TinyTable::first()
{
    sqlite3_stmt *st = statement(QStringLiteral("first"), [&] {
        return QStringLiteral("SELECT rowid, * FROM %1 ORDER BY %2 LIMIT 1").arg(quoted(m_table), orderBy());
    });
    if (!st) {
        m_rowid = -1;
        return false;
    }
    return loadRow(st);
}

bool TinyTable::next()
{
    if (m_rowid < 0)
        return false;
    sqlite3_stmt *st;
    if (m_orderField.isEmpty()) {
        st = statement(QStringLiteral("next"), [&] {
            return QStringLiteral("SELECT rowid, * FROM %1 WHERE rowid > ?1 ORDER BY rowid LIMIT 1")
                .arg(quoted(m_table));
        });
        if (!st)
            return false;
        sqlite3_bind_int64(st, 1, m_rowid);
    } else {
        st = statement(QStringLiteral("next"), [&] {
            return QStringLiteral(
                       "SELECT rowid, * FROM %1 WHERE (%2, rowid) > (?1, ?2) ORDER BY %2, rowid LIMIT 1")
                .arg(quoted(m_table), quoted(m_orderField));
        });
        if (!st)
            return false;
        const qsizetype col = m_columns.indexOf(m_orderField);
        bindValue(st, 1, col >= 0 && col < m_row.size() ? m_row.at(col) : QVariant(QString()));
        sqlite3_bind_int64(st, 2, m_rowid);
    }
    return loadRow(st);
}

QString TinyTable::fieldText(const QString &field) const
{
    const qsizetype col = m_columns.indexOf(field);
    if (m_rowid < 0 || col < 0 || col >= m_row.size())
        return {};
    return m_row.at(col).toString();
}

int TinyTable::fieldInt(const QString &field) const
{
    return fieldText(field).toInt();
}

bool TinyTable::append(const QVariantList &values)
{
    sqlite3_stmt *st = statement(QStringLiteral("append"), [&] {
        QStringList marks;
        for (int i = 1; i <= m_columns.size(); ++i)
            marks << u'?' + QString::number(i);
        return QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(quoted(m_table), marks.join(u','));
    });
    if (!st || values.size() != m_columns.size())
        return false;
    for (int i = 0; i < values.size(); ++i)
        bindValue(st, i + 1, values.at(i));
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE) {
        m_db->setError();
        return false;
    }
    m_rowid = sqlite3_last_insert_rowid(m_db->handle());
    m_row = values;
    return true;
}

bool TinyTable::deleteCurrent()
{
    if (m_rowid < 0)
        return false;
    sqlite3_stmt *st = statement(QStringLiteral("delete"), [&] {
        return QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(quoted(m_table));
    });
    if (!st)
        return false;
    sqlite3_bind_int64(st, 1, m_rowid);
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE) {
        m_db->setError();
        return false;
    }
    next();
    return true;
}

bool TinyTable::setField(const QString &field, const QVariant &value)
{
    const qsizetype col = m_columns.indexOf(field);
    if (m_rowid < 0 || col < 0)
        return false;
    sqlite3_stmt *st = statement(QStringLiteral("set:") + field, [&] {
        return QStringLiteral("UPDATE %1 SET %2 = ?1 WHERE rowid = ?2").arg(quoted(m_table), quoted(field));
    });
    if (!st)
        return false;
    bindValue(st, 1, value);
    sqlite3_bind_int64(st, 2, m_rowid);
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE) {
        m_db->setError();
        return false;
    }
    m_row[col] = value;
    return true;
}

bool TinyTable::empty()
{
    sqlite3_stmt *st = statement(QStringLiteral("empty"),
                                 [&] { return QStringLiteral("DELETE FROM %1").arg(quoted(m_table)); });
    if (!st)
        return false;
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    m_rowid = -1;
    m_row.clear();
    if (rc != SQLITE_DONE) {
        m_db->setError();
        return false;
    }
    return true;
}

int TinyTable::recordCount()
{
    sqlite3_stmt *st = statement(QStringLiteral("count"), [&] {
        return QStringLiteral("SELECT count(*) FROM %1").arg(quoted(m_table));
    });
    if (!st)
        return 0;
    int count = 0;
    if (sqlite3_step(st) == SQLITE_ROW)
        count = sqlite3_column_int(st, 0);
    sqlite3_reset(st);
    return count;
}

bool TinyTable::findFirst(const QString &field, const QVariant &value)
{
    if (!m_columns.contains(field))
        return false;
    sqlite3_stmt *st = statement(QStringLiteral("find:") + field, [&] {
        return QStringLiteral("SELECT rowid, * FROM %1 WHERE %2 = ?1 ORDER BY %3 LIMIT 1")
            .arg(quoted(m_table), quoted(field), orderBy());
    });
    if (!st)
        return false;
    bindValue(st, 1, value);
    return loadRow(st);
}

bool TinyTable::contains(const QString &field, const QVariant &value)
{
    if (!m_columns.contains(field))
        return false;
    sqlite3_stmt *st = statement(QStringLiteral("has:") + field, [&] {
        return QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?1 LIMIT 1").arg(quoted(m_table), quoted(field));
    });
    if (!st)
        return false;
    bindValue(st, 1, value);
    const bool found = sqlite3_step(st) == SQLITE_ROW;
    sqlite3_reset(st);
    return found;
}

bool TinyTable::contains(const QString &field, const QVariant &value, const QString &field2,
                         const QVariant &value2)
{
    if (!m_columns.contains(field) || !m_columns.contains(field2))
        return false;
    sqlite3_stmt *st = statement(QStringLiteral("has2:") + field + u':' + field2, [&] {
        return QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?1 AND %3 = ?2 LIMIT 1")
            .arg(quoted(m_table), quoted(field), quoted(field2));
    });
    if (!st)
        return false;
    bindValue(st, 1, value);
    bindValue(st, 2, value2);
    const bool found = sqlite3_step(st) == SQLITE_ROW;
    sqlite3_reset(st);
    return found;
}
