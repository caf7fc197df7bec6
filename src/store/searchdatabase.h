#pragma once

#include "platform/tinydatabase.h"
#include "platform/tinytable.h"

#include <QString>

// One saved picture: a row of T_Listview1. Its file is DiskDirectory + PictureName.
struct PictureRow
{
    QString OriginalName;
    QString WebDirectory;
    QString PictureName;
    QString DiskDirectory;
    int Size = 0;
    int Width = 0;
    int Height = 0;
    int Type = 0;
    int Checked = 0;

    QString path() const { return DiskDirectory + PictureName; }
    QVariantList values() const;
    static PictureRow fromTable(const TinyTable &table);
    bool operator==(const PictureRow &) const = default;
};

// The database of one search: its queues, visited pages, picture rows, link
// rows and its search information record. Only one is open at a time.
class SearchDatabase
{
public:
    SearchDatabase();
    ~SearchDatabase();

    // Closes what is open, makes a new file with the six tables and ten indexes, opens it.
    bool create(const QString &path);
    // Closes what is open and opens the file with every table bound.
    bool open(const QString &path);
    void close();
    bool isOpen() const { return m_db.isOpen(); }
    QString path() const { return m_db.path(); }
    QString lastError() const { return m_db.lastError(); }

    // Replaces the record of T_Listboxs.
    bool writeSearchInformation(const QString &text);
    // Empty when there is no record.
    QString readSearchInformation();

    bool appendPicture(const PictureRow &row, const QString &linkText);
    // A picture of this web folder and name has a row (two folders of a site
    // may hold pictures of the same name).
    bool hasSavedPicture(const QString &webDirectory, const QString &originalName);
    // Some picture row's file is this one.
    bool namesPictureFile(const QString &filePath);
    // Something is left to fetch: queued work, or work a run had handed out
    // when it was interrupted.
    bool hasWork();

    // Work handed out to a connection is remembered here until its request is
    // done, so that a search continued after the program died fetches it again.
    bool takeFromQueue(TinyTable &queue, bool page);
    void setRunningFile(const QString &address, const QString &filePath);
    void finishRunning(const QString &address);
    // Puts every remembered running item back at the head of its queue; files
    // written for a picture whose row never got recorded are removed.
    // Returns the number of items put back.
    int requeueRunning();

    TinyDatabase &database() { return m_db; }

    TinyTable TinyTableS;  // T_Listboxs: the search information record
    TinyTable TinyTable1;  // T_Listbox1: page queue, by Url
    TinyTable TinyTable7;  // T_Listbox7: picture queue, by Url
    TinyTable TinyTable9;  // T_Listbox9: visited pages, by Url
    TinyTable TinyTable2;  // T_Listbox2: link rows, stored order
    TinyTable TinyTableV1; // T_Listview1: picture rows, stored order
    TinyTable TinyTableR;  // T_Running: work handed out and not yet done

private:
    bool bindTables();
    TinyDatabase m_db;
};
