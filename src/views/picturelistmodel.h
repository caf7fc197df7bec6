#pragma once

#include "store/searchdatabase.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>

// The rows of the page on show, for both views of the picture list: the
// detail list shows the seven columns, the thumbnail grid column 0 with the
// roles below. Ticks are shown only in a thumbnails search.
class PictureListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Role {
        PathRole = Qt::UserRole + 1,
        BottomTextRole, // the shortened picture name
        InfoTextRole,   // "640x480x24b", or "0 x0 b" for a placeholder
        RecognisedRole, // the file exists and its header can be read
        TickedRole,     // shown or not, the row's tick
    };
    static constexpr int ColumnCount = 7;

    explicit PictureListModel(QObject *parent = nullptr);

    // The header of a picture file: width, height and bits per pixel.
    static QString infoText(const QString &path, bool *recognised);
    static QString columnTitle(int column);

    void setRows(const QList<PictureRow> &rows);
    void appendRow(const PictureRow &row);
    void removeRowAt(int row);
    void clear() { setRows({}); }
    const PictureRow &pictureRow(int row) const { return m_rows.at(row).row; }
    QStringList paths() const;

    void setCheckBoxes(bool on);
    bool checkBoxes() const { return m_checkBoxes; }
    // Changes the tick without telling anyone: the caller stores it.
    void setTicked(int row, bool ticked);
    void setHeaderImageColumn(int column);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

Q_SIGNALS:
    // The user ticked or unticked a row (a click in its box, the "S" key).
    void tickToggled(int row, bool ticked);

private:
    struct Entry
    {
        PictureRow row;
        QString info;
        bool recognised = false;
    };
    static Entry entryFor(const PictureRow &row);

    QList<Entry> m_rows;
    QIcon m_typeIcons[3];
    bool m_checkBoxes = false;
    int m_headerImageColumn = -1;
};
