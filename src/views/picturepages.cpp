#include "views/picturepages.h"

#include <algorithm>

namespace {

const char *const Fields[] = {"OriginalName",  "WebDirectory", "PictureName",
                              "DiskDirectory", "Size",         "Width"};

} // namespace

int PicturePages::pageCount(int rows, int pageSize)
{
    if (rows <= 0)
        return 1;
    return (rows - 1) / std::max(1, pageSize) + 1;
}

QString PicturePages::fieldOf(int column)
{
    if (column < 0 || column >= OrderedColumns)
        return {};
    return QString::fromLatin1(Fields[column]);
}

QString PicturePages::indexName(int column, bool descending)
{
    if (column < 0 || column >= OrderedColumns)
        return {};
    return QStringLiteral("Listview1_") + fieldOf(column) + QStringLiteral("Index") +
           (descending ? QStringLiteral("Descend") : QString());
}

QString PicturePages::indexName() const
{
    return indexName(m_column, m_descending);
}

void PicturePages::setOrder(int column, bool descending)
{
    if (column < 0 || column >= OrderedColumns) {
        m_column = SavingOrder;
        m_descending = false;
        return;
    }
    m_column = column;
    m_descending = descending;
}

bool PicturePages::ready()
{
    // The search may have been reopened or renamed since the last call; a
    // fresh cursor is cheap next to what the caller does with it.
    if (!m_db.isOpen())
        return false;
    m_table.setDatabase(&m_db.database());
    return m_table.open(QStringLiteral("T_Listview1"), fieldOf(m_column));
}

int PicturePages::count()
{
    return ready() ? m_table.recordCount() : 0;
}

bool PicturePages::seek(int position)
{
    // The descending order is the ascending one (field, then saving order)
    // read backwards.
    if (m_descending)
        position = m_table.recordCount() - 1 - position;
    if (position < 0 || !m_table.first())
        return false;
    for (int i = 0; i < position; ++i) {
        if (!m_table.next())
            return false;
    }
    return true;
}

QList<PictureRow> PicturePages::rows(int from, int count)
{
    QList<PictureRow> out;
    if (count <= 0 || from < 0 || !ready())
        return out;
    const int n = m_table.recordCount();
    count = std::min(count, n - from);
    if (count <= 0)
        return out;
    const int start = m_descending ? n - from - count : from;
    if (!m_table.first())
        return out;
    for (int i = 0; i < start; ++i) {
        if (!m_table.next())
            return out;
    }
    for (int i = 0; i < count && !m_table.eof(); ++i) {
        out << PictureRow::fromTable(m_table);
        m_table.next();
    }
    if (m_descending)
        std::reverse(out.begin(), out.end());
    return out;
}

bool PicturePages::setChecked(int position, bool ticked)
{
    return ready() && seek(position) && m_table.setField(QStringLiteral("Checked"), ticked ? 1 : 0);
}

bool PicturePages::setCheckedAll(bool ticked, const QString *webDirectory)
{
    if (!ready())
        return false;
    TinyTable &all = m_db.TinyTableV1;
    TinyDatabase &db = m_db.database();
    db.beginWrite();
    bool ok = true;
    for (bool more = all.first(); more; more = all.next()) {
        if (webDirectory && all.fieldText(QStringLiteral("WebDirectory")) != *webDirectory)
            continue;
        ok = all.setField(QStringLiteral("Checked"), ticked ? 1 : 0) && ok;
    }
    return db.commit() && ok;
}

bool PicturePages::remove(int position)
{
    if (!ready() || !seek(position))
        return false;
    const qint64 target = m_table.rowId();
    // Its place in saving order is the place of its link row.
    TinyTable &saved = m_db.TinyTableV1;
    int place = 0;
    bool found = false;
    for (bool more = saved.first(); more; more = saved.next(), ++place) {
        if (saved.rowId() == target) {
            found = true;
            break;
        }
    }
    if (!found)
        return false;
    TinyDatabase &db = m_db.database();
    db.beginWrite();
    bool ok = saved.deleteCurrent();
    TinyTable &links = m_db.TinyTable2;
    bool onLink = links.first();
    for (int i = 0; i < place && onLink; ++i)
        onLink = links.next();
    if (ok && onLink)
        ok = links.deleteCurrent();
    return db.commit() && ok;
}
