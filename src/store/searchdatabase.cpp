#include "store/searchdatabase.h"

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
    for (TinyTable *t : {&TinyTableS, &TinyTable1, &TinyTable7, &TinyTable9, &TinyTable2, &TinyTableV1})
        t->setDatabase(&m_db);
}

SearchDatabase::~SearchDatabase()
{
    close();
}

void SearchDatabase::close()
{
    for (TinyTable *t : {&TinyTableS, &TinyTable1, &TinyTable7, &TinyTable9, &TinyTable2, &TinyTableV1})
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
        m_db.begin() && m_db.createTable(QStringLiteral("T_Listboxs"), {F{QStringLiteral("infos"), FieldType::Memo, 0}}) &&
        m_db.createTable(QStringLiteral("T_Listbox1"),
                         {F{QStringLiteral("Url"), S, 200}, F{QStringLiteral("Str"), S, 200}, F{QStringLiteral("Level"), I, 0}}) &&
        m_db.createIndex(QStringLiteral("Listbox1_UrlIndex"), QStringLiteral("T_Listbox1"), QStringLiteral("Url")) &&
        m_db.createTable(QStringLiteral("T_Listbox7"), {F{QStringLiteral("Url"), S, 200}, F{QStringLiteral("Str"), S, 400}}) &&
        m_db.createIndex(QStringLiteral("Listbox7_UrlIndex"), QStringLiteral("T_Listbox7"), QStringLiteral("Url")) &&
        m_db.createTable(QStringLiteral("T_Listbox9"), {F{QStringLiteral("Url"), S, 200}}) &&
        m_db.createIndex(QStringLiteral("Listbox9_UrlIndex"), QStringLiteral("T_Listbox9"), QStringLiteral("Url")) &&
        m_db.createTable(QStringLiteral("T_Listbox2"), {F{QStringLiteral("UrlRef"), S, 200}}) &&
        m_db.createTable(QStringLiteral("T_Listview1"),
                         {F{QStringLiteral("OriginalName"), S, 100}, F{QStringLiteral("WebDirectory"), S, 200},
                          F{QStringLiteral("PictureName"), S, 70}, F{QStringLiteral("DiskDirectory"), S, 100},
                          F{QStringLiteral("Size"), I, 0}, F{QStringLiteral("Width"), I, 0}, F{QStringLiteral("Height"), I, 0},
                          F{QStringLiteral("Type"), I, 0}, F{QStringLiteral("Checked"), I, 0}}) &&
        m_db.createIndex(QStringLiteral("Listview1_OriginalNameIndex"), QStringLiteral("T_Listview1"), QStringLiteral("OriginalName")) &&
        m_db.createIndex(QStringLiteral("Listview1_WebDirectoryIndex"), QStringLiteral("T_Listview1"), QStringLiteral("WebDirectory")) &&
        m_db.createIndex(QStringLiteral("Listview1_PictureNameIndex"), QStringLiteral("T_Listview1"), QStringLiteral("PictureName")) &&
        m_db.createIndex(QStringLiteral("Listview1_DiskDirectoryIndex"), QStringLiteral("T_Listview1"), QStringLiteral("DiskDirectory")) &&
        m_db.createIndex(QStringLiteral("Listview1_SizeIndex"), QStringLiteral("T_Listview1"), QStringLiteral("Size")) &&
        m_db.createIndex(QStringLiteral("Listview1_WidthIndex"), QStringLiteral("T_Listview1"), QStringLiteral("Width")) &&
        m_db.createIndex(QStringLiteral("Listview1_HeightIndex"), QStringLiteral("T_Listview1"), QStringLiteral("Height")) &&
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
    const bool ok = TinyTable1.open(QStringLiteral("T_Listbox1"), QStringLiteral("Url")) &&
                    TinyTableS.open(QStringLiteral("T_Listboxs")) &&
                    TinyTable7.open(QStringLiteral("T_Listbox7"), QStringLiteral("Url")) &&
                    TinyTable9.open(QStringLiteral("T_Listbox9"), QStringLiteral("Url")) &&
                    TinyTable2.open(QStringLiteral("T_Listbox2")) && TinyTableV1.open(QStringLiteral("T_Listview1"));
    if (!ok)
        close();
    return ok;
}

bool SearchDatabase::writeSearchInformation(const QString &text)
{
    if (!isOpen())
        return false;
    m_db.begin();
    if (TinyTableS.first())
        TinyTableS.deleteCurrent();
    const bool ok = TinyTableS.append({text});
    m_db.commit();
    return ok;
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
