#include "store/searchdatabase.h"

#include <QFile>

QVariantList PictureRow::values() const
{
    return {OriginalName, WebDirectory, PictureName, DiskDirectory, Size, Width, Height, Type, Checked};
}

PictureRow PictureRow::fromTable(const TinyTable &t)
{
    PictureRow row;
    row.OriginalName = t.fieldText(QStringLiteral("OriginalName"));
    row.WebDirectory = t.fieldText(QStringLiteral("WebDirectory"));
    row.PictureName = t.fieldText(QStringLiteral("PictureName"));
    row.DiskDirectory = t.fieldText(QStringLiteral("DiskDirectory"));
    row.Size = t.fieldInt(QStringLiteral("Size"));
    row.Width = t.fieldInt(QStringLiteral("Width"));
    row.Height = t.fieldInt(QStringLiteral("Height"));
    row.Type = t.fieldInt(QStringLiteral("Type"));
    row.Checked = t.fieldInt(QStringLiteral("Checked"));
    return row;
}

SearchDatabase::SearchDatabase()
{
    for (TinyTable *t :
         {&TinyTableS, &TinyTable1, &TinyTable7, &TinyTable9, &TinyTable2, &TinyTableV1, &TinyTableR})
        t->setDatabase(&m_db);
}

SearchDatabase::~SearchDatabase()
{
    close();
}

void SearchDatabase::close()
{
    for (TinyTable *t :
         {&TinyTableS, &TinyTable1, &TinyTable7, &TinyTable9, &TinyTable2, &TinyTableV1, &TinyTableR})
        t->close();
    m_db.close();
}

bool SearchDatabase::create(const QString &path)
{
    close();
    if (!m_db.create(path))
        return false;
    using F = FieldDef;
    const auto S = FieldType::String;
    const auto I = FieldType::Integer;
    const bool ok =
        m_db.begin() &&
        m_db.createTable(QStringLiteral("T_Listboxs"), {F{QStringLiteral("infos"), FieldType::Memo, 0}}) &&
        m_db.createTable(QStringLiteral("T_Listbox1"),
                         {F{QStringLiteral("Url"), S, 200}, F{QStringLiteral("Str"), S, 200},
                          F{QStringLiteral("Level"), I, 0}}) &&
        m_db.createIndex(QStringLiteral("Listbox1_UrlIndex"), QStringLiteral("T_Listbox1"),
                         QStringLiteral("Url")) &&
        m_db.createTable(QStringLiteral("T_Listbox7"),
                         {F{QStringLiteral("Url"), S, 200}, F{QStringLiteral("Str"), S, 400}}) &&
        m_db.createIndex(QStringLiteral("Listbox7_UrlIndex"), QStringLiteral("T_Listbox7"),
                         QStringLiteral("Url")) &&
        m_db.createTable(QStringLiteral("T_Listbox9"), {F{QStringLiteral("Url"), S, 200}}) &&
        m_db.createIndex(QStringLiteral("Listbox9_UrlIndex"), QStringLiteral("T_Listbox9"),
                         QStringLiteral("Url")) &&
        m_db.createTable(QStringLiteral("T_Listbox2"), {F{QStringLiteral("UrlRef"), S, 200}}) &&
        m_db.createTable(QStringLiteral("T_Listview1"),
                         {F{QStringLiteral("OriginalName"), S, 100},
                          F{QStringLiteral("WebDirectory"), S, 200}, F{QStringLiteral("PictureName"), S, 70},
                          F{QStringLiteral("DiskDirectory"), S, 100}, F{QStringLiteral("Size"), I, 0},
                          F{QStringLiteral("Width"), I, 0}, F{QStringLiteral("Height"), I, 0},
                          F{QStringLiteral("Type"), I, 0}, F{QStringLiteral("Checked"), I, 0}}) &&
        m_db.createIndex(QStringLiteral("Listview1_OriginalNameIndex"), QStringLiteral("T_Listview1"),
                         QStringLiteral("OriginalName")) &&
        m_db.createIndex(QStringLiteral("Listview1_WebDirectoryIndex"), QStringLiteral("T_Listview1"),
                         QStringLiteral("WebDirectory")) &&
        m_db.createIndex(QStringLiteral("Listview1_PictureNameIndex"), QStringLiteral("T_Listview1"),
                         QStringLiteral("PictureName")) &&
        m_db.createIndex(QStringLiteral("Listview1_DiskDirectoryIndex"), QStringLiteral("T_Listview1"),
                         QStringLiteral("DiskDirectory")) &&
        m_db.createIndex(QStringLiteral("Listview1_SizeIndex"), QStringLiteral("T_Listview1"),
                         QStringLiteral("Size")) &&
        m_db.createIndex(QStringLiteral("Listview1_WidthIndex"), QStringLiteral("T_Listview1"),
                         QStringLiteral("Width")) &&
        m_db.createIndex(QStringLiteral("Listview1_HeightIndex"), QStringLiteral("T_Listview1"),
                         QStringLiteral("Height")) &&
        m_db.commit();
    if (!ok) {
        m_db.close();
        return false;
    }
    return bindTables();
}

bool SearchDatabase::open(const QString &path)
{
    close();
    return m_db.open(path) && bindTables();
}

bool SearchDatabase::bindTables()
{
    // Files made before the running table existed get it on first open.
    if (!m_db.tableNames().contains(QStringLiteral("T_Running"))) {
        const bool made = m_db.createTable(QStringLiteral("T_Running"),
                                           {FieldDef{QStringLiteral("Url"), FieldType::String, 200},
                                            FieldDef{QStringLiteral("Str"), FieldType::String, 400},
                                            FieldDef{QStringLiteral("Level"), FieldType::Integer, 0},
                                            FieldDef{QStringLiteral("Kind"), FieldType::Integer, 0},
                                            FieldDef{QStringLiteral("File"), FieldType::String, 200}}) &&
                          m_db.createIndex(QStringLiteral("Running_UrlIndex"), QStringLiteral("T_Running"),
                                           QStringLiteral("Url"));
        if (!made) {
            close();
            return false;
        }
    }
    const bool ok = TinyTable1.open(QStringLiteral("T_Listbox1"), QStringLiteral("Url")) &&
                    TinyTableS.open(QStringLiteral("T_Listboxs")) &&
                    TinyTable7.open(QStringLiteral("T_Listbox7"), QStringLiteral("Url")) &&
                    TinyTable9.open(QStringLiteral("T_Listbox9"), QStringLiteral("Url")) &&
                    TinyTable2.open(QStringLiteral("T_Listbox2")) &&
                    TinyTableV1.open(QStringLiteral("T_Listview1")) &&
                    TinyTableR.open(QStringLiteral("T_Running"));
    if (!ok)
        close();
    return ok;
}

bool SearchDatabase::writeSearchInformation(const QString &text)
{
    if (!isOpen())
        return false;
    if (!m_db.beginWrite()) {
        m_db.commit();
        return false;
    }
    if (TinyTableS.first())
        TinyTableS.deleteCurrent();
    const bool ok = TinyTableS.append({text});
    return m_db.commit() && ok;
}

QString SearchDatabase::readSearchInformation()
{
    if (!TinyTableS.first())
        return {};
    return TinyTableS.fieldText(QStringLiteral("infos"));
}

bool SearchDatabase::appendPicture(const PictureRow &row, const QString &linkText)
{
    // The n-th link row belongs to the n-th picture row: both go in together.
    m_db.begin();
    bool ok = TinyTableV1.append(row.values());
    if (ok && !TinyTable2.append({linkText})) {
        TinyTableV1.deleteCurrent();
        ok = false;
    }
    m_db.commit();
    return ok;
}

bool SearchDatabase::takeFromQueue(TinyTable &queue, bool page)
{
    m_db.begin();
    const QString url = queue.fieldText(QStringLiteral("Url"));
    const QString text = queue.fieldText(QStringLiteral("Str"));
    const int level = page ? queue.fieldInt(QStringLiteral("Level")) : 0;
    const bool ok = queue.deleteCurrent() && TinyTableR.append({url, text, level, page ? 1 : 0, QString()});
    m_db.commit();
    return ok;
}

// The lookup and the change share one transaction: each statement on its
// own would take and drop the log's locks.
void SearchDatabase::setRunningFile(const QString &address, const QString &filePath)
{
    m_db.begin();
    if (TinyTableR.findFirst(QStringLiteral("Url"), address))
        TinyTableR.setField(QStringLiteral("File"), filePath);
    m_db.commit();
}

void SearchDatabase::finishRunning(const QString &address)
{
    m_db.begin();
    if (TinyTableR.findFirst(QStringLiteral("Url"), address))
        TinyTableR.deleteCurrent();
    m_db.commit();
}

int SearchDatabase::requeueRunning()
{
    int count = 0;
    m_db.begin();
    for (bool row = TinyTableR.first(); row; row = TinyTableR.first()) {
        const QString url = TinyTableR.fieldText(QStringLiteral("Url"));
        const QString text = TinyTableR.fieldText(QStringLiteral("Str"));
        const QString file = TinyTableR.fieldText(QStringLiteral("File"));
        // Only the file of a picture that never got its row: a name that a
        // row holds belongs to a saved picture, whatever the running row says.
        if (!file.isEmpty() && !namesPictureFile(file))
            QFile::remove(file);
        const bool ok = TinyTableR.fieldInt(QStringLiteral("Kind")) == 1
                            ? TinyTable1.append({url, text, TinyTableR.fieldInt(QStringLiteral("Level"))})
                            : TinyTable7.append({url, text});
        if (!TinyTableR.deleteCurrent() || !ok)
            break;
        ++count;
    }
    m_db.commit();
    return count;
}

bool SearchDatabase::hasSavedPicture(const QString &webDirectory, const QString &originalName)
{
    return TinyTableV1.contains(QStringLiteral("OriginalName"), originalName, QStringLiteral("WebDirectory"),
                                webDirectory);
}

bool SearchDatabase::namesPictureFile(const QString &filePath)
{
    // Split as the saver joined them: DiskDirectory ends with "/".
    const qsizetype slash = filePath.lastIndexOf(u'/');
    return TinyTableV1.contains(QStringLiteral("PictureName"), filePath.mid(slash + 1),
                                QStringLiteral("DiskDirectory"), filePath.left(slash + 1));
}

bool SearchDatabase::hasWork()
{
    return TinyTable7.first() || TinyTable1.first() || TinyTableR.first();
}
