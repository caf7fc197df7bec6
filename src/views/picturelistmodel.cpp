#include "views/picturelistmodel.h"

#include "crawl/crawltexts.h"
#include "store/gui/historytreeview.h"

#include <QApplication>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeData>
#include <QPainter>
#include <QStyle>

namespace {

const char *const Titles[] = {"Original Name", "Web Directory", "Picture Name", "Disk Directory",
                              "Size",          "Width",         "Height"};

// A small badge per picture type; the list has no other picture of a row.
QIcon typeIcon(const QColor &colour, QChar letter)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(colour);
    p.setPen(colour.darker(150));
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    QFont font = p.font();
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString(letter));
    return QIcon(pixmap);
}

int bitsPerPixel(QImage::Format format)
{
    switch (format) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        return 1;
    case QImage::Format_Indexed8:
    case QImage::Format_Grayscale8:
    case QImage::Format_Alpha8:
        return 8;
    case QImage::Format_Grayscale16:
        return 16;
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
        return 32;
    case QImage::Format_RGBA64:
    case QImage::Format_RGBA64_Premultiplied:
        return 64;
    case QImage::Format_RGBX64:
        return 48;
    default:
        // RGB32 and the other formats without alpha hold three 8-bit samples.
        return 24;
    }
}

} // namespace

PictureListModel::PictureListModel(QObject *parent) : QAbstractTableModel(parent)
{
    m_typeIcons[0] = typeIcon(QColor(0x3a, 0x7b, 0xc8), u'J');
    m_typeIcons[1] = typeIcon(QColor(0x2e, 0x9d, 0x5b), u'G');
    m_typeIcons[2] = typeIcon(QColor(0xc8, 0x6a, 0x1e), u'P');
}

QString PictureListModel::columnTitle(int column)
{
    return column >= 0 && column < ColumnCount ? QString::fromLatin1(Titles[column]) : QString();
}

QString PictureListModel::infoText(const QString &path, bool *recognised)
{
    *recognised = false;
    if (!QFileInfo(path).isFile())
        return QStringLiteral("0 x0 b");
    // The header only: nothing is decoded here.
    QImageReader reader(path);
    const QSize size = reader.size();
    if (!reader.canRead() || !size.isValid())
        return QStringLiteral("0 x0 b");
    *recognised = true;
    return QStringLiteral("%1x%2x%3b")
        .arg(size.width())
        .arg(size.height())
        .arg(bitsPerPixel(reader.imageFormat()));
}

PictureListModel::Entry PictureListModel::entryFor(const PictureRow &row)
{
    Entry e;
    e.row = row;
    e.info = infoText(row.path(), &e.recognised);
    return e;
}

void PictureListModel::setRows(const QList<PictureRow> &rows)
{
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(rows.size());
    for (const PictureRow &row : rows)
        m_rows << entryFor(row);
    endResetModel();
}

void PictureListModel::appendRow(const PictureRow &row)
{
    const int at = int(m_rows.size());
    beginInsertRows({}, at, at);
    m_rows << entryFor(row);
    endInsertRows();
}

void PictureListModel::removeRowAt(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    endRemoveRows();
}

QStringList PictureListModel::paths() const
{
    QStringList out;
    for (const Entry &e : m_rows)
        out << e.row.path();
    return out;
}

void PictureListModel::setCheckBoxes(bool on)
{
    if (m_checkBoxes == on)
        return;
    m_checkBoxes = on;
    if (!m_rows.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, 0));
}

void PictureListModel::setTicked(int row, bool ticked)
{
    if (row < 0 || row >= m_rows.size())
        return;
    m_rows[row].row.Checked = ticked ? 1 : 0;
    Q_EMIT dataChanged(index(row, 0), index(row, 0), {Qt::CheckStateRole, TickedRole});
}

void PictureListModel::setHeaderImageColumn(int column)
{
    m_headerImageColumn = column;
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

int PictureListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int PictureListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PictureListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Entry &e = m_rows.at(index.row());
    const PictureRow &r = e.row;
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case 0:
            return r.OriginalName;
        case 1:
            return r.WebDirectory;
        case 2:
            return r.PictureName;
        case 3:
            return r.DiskDirectory;
        case 4:
            return QString::number(r.Size);
        case 5:
            return QString::number(r.Width);
        case 6:
            return QString::number(r.Height);
        default:
            return {};
        }
    case Qt::DecorationRole:
        if (index.column() != 0)
            return {};
        if (r.Type == 1)
            return m_typeIcons[1];
        if (r.Type == 4)
            return m_typeIcons[2];
        return m_typeIcons[0];
    case Qt::TextAlignmentRole:
        return index.column() == 1 ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                   : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::CheckStateRole:
        if (!m_checkBoxes || index.column() != 0)
            return {};
        return r.Checked == 1 ? Qt::Checked : Qt::Unchecked;
    case Qt::ToolTipRole:
        return r.path();
    case PathRole:
        return r.path();
    case BottomTextRole:
        return shortDisplayName(r.PictureName);
    case InfoTextRole:
        return e.info;
    case RecognisedRole:
        return e.recognised;
    case TickedRole:
        return r.Checked == 1;
    default:
        return {};
    }
}

bool PictureListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !m_checkBoxes || !index.isValid() || index.row() >= m_rows.size())
        return false;
    const bool ticked = value.toInt() == Qt::Checked;
    setTicked(index.row(), ticked);
    Q_EMIT tickToggled(index.row(), ticked);
    return true;
}

QVariant PictureListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return columnTitle(section);
    if (role == Qt::DecorationRole && section == m_headerImageColumn)
        return QApplication::style()->standardIcon(QStyle::SP_ArrowUp);
    if (role == Qt::TextAlignmentRole)
        return section == 1 ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                            : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags PictureListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (m_checkBoxes && index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QStringList PictureListModel::mimeTypes() const
{
    return {HistoryTreeView::pictureMimeType()};
}

QMimeData *PictureListModel::mimeData(const QModelIndexList &indexes) const
{
    if (indexes.isEmpty())
        return nullptr;
    auto *dragged = new QMimeData;
    dragged->setData(HistoryTreeView::pictureMimeType(), QByteArray::number(indexes.first().row()));
    return dragged;
}
