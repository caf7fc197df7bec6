#pragma once

#include "platform/tinytable.h"
#include "store/searchdatabase.h"

#include <QList>
#include <QString>

// The picture rows of the open search in the order the picture list shows
// them: saving order, or one column's order, ascending or descending.
// Positions are 0-based in that order. The database's own TinyTableV1 stays
// in saving order, because the crawl and the big-picture pass pair its rows
// with the link rows of TinyTable2 by position.
class PicturePages
{
public:
    static constexpr int SavingOrder = -1;
    // Columns 0 to 5 of the list can order it; "Height" cannot.
    static constexpr int OrderedColumns = 6;

    explicit PicturePages(SearchDatabase &db) : m_db(db) {}

    // (n - 1) / s + 1, and 1 for an empty search.
    static int pageCount(int rows, int pageSize);
    static QString fieldOf(int column);
    // "Listview1_<field>Index", with "Descend" appended for the second order.
    static QString indexName(int column, bool descending);

    // The order outlives the search: the next search opens in it too.
    void setOrder(int column, bool descending);
    int orderColumn() const { return m_column; }
    bool descending() const { return m_descending; }
    QString indexName() const;

    int count();
    QList<PictureRow> rows(int from, int count);
    bool setChecked(int position, bool ticked);
    // Every row, or every row of this web folder (exact comparison).
    bool setCheckedAll(bool ticked, const QString *webDirectory = nullptr);
    // Deletes the picture row at the position and its link row, which sits
    // at the picture row's place in saving order, in one transaction.
    bool remove(int position);

private:
    bool ready();
    // The cursor on the row at the position of the list's order.
    bool seek(int position);

    SearchDatabase &m_db;
    TinyTable m_table;
    int m_column = SavingOrder;
    bool m_descending = false;
};
