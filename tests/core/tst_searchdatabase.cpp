#include "settings/settings.h"
#include "store/searchdatabase.h"
#include "store/searchinformation.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

class TestSearchDatabase : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void createdThenReopened()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Gallery.dat"));
        {
            SearchDatabase db;
            QVERIFY(db.create(path));
        }
        SearchDatabase db;
        QVERIFY(db.open(path));
        TinyDatabase &t = db.database();
        // The six tables of a search, and the work handed out but not yet done.
        QCOMPARE(t.tableNames(), (QStringList{"T_Listboxs", "T_Listbox1", "T_Listbox7", "T_Listbox9",
                                              "T_Listbox2", "T_Listview1", "T_Running"}));
        const auto describe = [&](const QString &table) {
            QStringList out;
            for (const FieldDef &f : t.fields(table)) {
                const QString type = f.type == FieldType::String    ? QStringLiteral("S%1").arg(f.size)
                                     : f.type == FieldType::Integer ? QStringLiteral("I")
                                                                    : QStringLiteral("M");
                out << f.name + u':' + type;
            }
            return out.join(u' ');
        };
        QCOMPARE(describe("T_Listboxs"), QStringLiteral("infos:M"));
        QCOMPARE(describe("T_Listbox1"), QStringLiteral("Url:S200 Str:S200 Level:I"));
        QCOMPARE(describe("T_Listbox7"), QStringLiteral("Url:S200 Str:S400"));
        QCOMPARE(describe("T_Listbox9"), QStringLiteral("Url:S200"));
        QCOMPARE(describe("T_Listbox2"), QStringLiteral("UrlRef:S200"));
        QCOMPARE(
            describe("T_Listview1"),
            QStringLiteral("OriginalName:S100 WebDirectory:S200 PictureName:S70 DiskDirectory:S100 Size:I "
                           "Width:I Height:I Type:I Checked:I"));
        QList<QPair<QString, QString>> indexes;
        for (const char *table : {"T_Listbox1", "T_Listbox7", "T_Listbox9", "T_Listbox2", "T_Listview1"})
            indexes += t.indexes(QString::fromLatin1(table));
        const QList<QPair<QString, QString>> expected = {
            {"Listbox1_UrlIndex", "Url"},
            {"Listbox7_UrlIndex", "Url"},
            {"Listbox9_UrlIndex", "Url"},
            {"Listview1_DiskDirectoryIndex", "DiskDirectory"},
            {"Listview1_HeightIndex", "Height"},
            {"Listview1_OriginalNameIndex", "OriginalName"},
            {"Listview1_PictureNameIndex", "PictureName"},
            {"Listview1_SizeIndex", "Size"},
            {"Listview1_WebDirectoryIndex", "WebDirectory"},
            {"Listview1_WidthIndex", "Width"},
        };
        QCOMPARE(indexes, expected);
        for (TinyTable *table : {&db.TinyTableS, &db.TinyTable1, &db.TinyTable7, &db.TinyTable9,
                                 &db.TinyTable2, &db.TinyTableV1})
            QCOMPARE(table->recordCount(), 0);
        QFile file(path);
        QCOMPARE(file.permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    }

    void indexOrderAndStoredOrder()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.dat"));
        {
            SearchDatabase db;
            QVERIFY(db.create(path));
            for (const char *url : {"http://h/c.jpg", "http://h/a.jpg", "http://h/b.jpg"}) {
                QVERIFY(db.TinyTable7.append({QString::fromLatin1(url), QStringLiteral("x")}));
                PictureRow row;
                row.OriginalName = QString::fromLatin1(url).mid(9);
                QVERIFY(db.appendPicture(row, QString::fromLatin1(url)));
            }
            // A text longer than its nominal size is kept whole.
            const QString longUrl =
                QStringLiteral("http://h/") + QString(1000, u'x') + QStringLiteral(".jpg");
            QVERIFY(db.TinyTable1.append({longUrl, longUrl, 3}));
        }
        SearchDatabase db;
        QVERIFY(db.open(path));
        QStringList byIndex;
        for (bool ok = db.TinyTable7.first(); ok; ok = db.TinyTable7.next())
            byIndex << db.TinyTable7.fieldText(QStringLiteral("Url"));
        QCOMPARE(byIndex, (QStringList{"http://h/a.jpg", "http://h/b.jpg", "http://h/c.jpg"}));
        QStringList stored;
        QStringList links;
        bool link = db.TinyTable2.first();
        for (bool ok = db.TinyTableV1.first(); ok; ok = db.TinyTableV1.next()) {
            stored << db.TinyTableV1.fieldText(QStringLiteral("OriginalName"));
            QVERIFY(link);
            links << db.TinyTable2.fieldText(QStringLiteral("UrlRef"));
            link = db.TinyTable2.next();
        }
        QCOMPARE(stored, (QStringList{"c.jpg", "a.jpg", "b.jpg"}));
        QCOMPARE(links, (QStringList{"http://h/c.jpg", "http://h/a.jpg", "http://h/b.jpg"}));
        QVERIFY(db.TinyTable1.first());
        QCOMPARE(db.TinyTable1.fieldText(QStringLiteral("Url")).size(), 1013);
        QCOMPARE(db.TinyTable1.fieldInt(QStringLiteral("Level")), 3);

        // Deleting the current row moves on to the next in order; lookups bind their value.
        QVERIFY(db.TinyTable7.first());
        QVERIFY(db.TinyTable7.deleteCurrent());
        QCOMPARE(db.TinyTable7.fieldText(QStringLiteral("Url")), QStringLiteral("http://h/b.jpg"));
        QVERIFY(db.TinyTable7.append({QStringLiteral("http://h/it's,odd'.jpg"), QStringLiteral("y")}));
        QVERIFY(db.TinyTable7.contains(QStringLiteral("Url"), QStringLiteral("http://h/it's,odd'.jpg")));
        QVERIFY(db.TinyTable7.findFirst(QStringLiteral("Url"), QStringLiteral("http://h/c.jpg")));
        QCOMPARE(db.TinyTable7.recordCount(), 3);
        QVERIFY(db.TinyTableV1.findFirst(QStringLiteral("OriginalName"), QStringLiteral("a.jpg")));
        QVERIFY(db.TinyTableV1.setField(QStringLiteral("Checked"), 1));
        QVERIFY(db.TinyTableV1.findFirst(QStringLiteral("Checked"), 1));
        QCOMPARE(db.TinyTableV1.fieldText(QStringLiteral("OriginalName")), QStringLiteral("a.jpg"));
        QVERIFY(db.TinyTable7.empty());
        QCOMPARE(db.TinyTable7.recordCount(), 0);
        QVERIFY(!db.TinyTable7.first());
    }

    void searchInformationRoundTrip()
    {
        SearchInformation info;
        info.startAddress = QStringLiteral("http://h/gallery/");
        info.subdirectory = QStringLiteral("cats");
        info.substrings = QStringList{"Next Page", "More"};
        info.urlIncludeText = QStringLiteral("photo");
        info.wholePageScan = 0;
        info.pagesPending = 3;
        info.picturesPending = 12;
        info.picturesSaved = 5;
        info.picturesFailed = 2;
        info.elapsedSeconds = 125;
        info.searchMode = 1;
        info.thumbnailLink = true;
        info.name = QStringLiteral("Gallery");
        info.rootDirectory = QStringLiteral("/w/Pictures");
        info.save_mode = 0;
        info.extendedlevel = 2;
        info.max_level = 3;
        info.size = 4;
        info.width = 50;
        info.height = 60;
        info.timeout = 120;
        info.gif = false;
        info.login = true;
        info.loginUser = QStringLiteral("ann");
        info.loginPassword = QStringLiteral("pw");
        info.urllink = false;
        info.selecttext = true;
        info.includestext = QStringLiteral("sun sea");
        info.notincludestext = QStringLiteral("rain");
        const QString text = info.toText();
        const QStringList lines = text.split(u'\n');
        QCOMPARE(lines.at(2), QStringLiteral("2"));
        QCOMPARE(lines.at(5), QStringLiteral("-photo"));
        QCOMPARE(lines.at(17), QStringLiteral("-2"));
        QVERIFY(text.endsWith(u'\n'));
        QVERIFY(!text.contains(QStringLiteral("ann")));
        const SearchInformation back = SearchInformation::fromText(text);
        QCOMPARE(back.toText(), text);
        QCOMPARE(back, info);

        info.substrings.clear();
        info.urlIncludeText.clear();
        const QStringList none = info.toText().split(u'\n');
        QCOMPARE(none.at(2), QStringLiteral("0"));
        QCOMPARE(none.at(3), QStringLiteral("-"));
        QCOMPARE(SearchInformation::fromText(info.toText()), info);
    }

    void olderLayoutWithoutPrefixes()
    {
        SearchInformation info;
        info.wholePageScan = 0;
        info.max_level = 4;
        info.extendedlevel = 2;
        QStringList lines = info.toText().split(u'\n');
        lines.removeAt(3);                   // no keyword line
        lines.removeAt(lines.indexOf("-2")); // no extended-level line
        const SearchInformation back = SearchInformation::fromText(lines.join(u'\n'), 1);
        QCOMPARE(back.wholePageScan, 0);
        QVERIFY(back.urlIncludeText.isEmpty());
        QCOMPARE(back.max_level, 4);
        QCOMPARE(back.extendedlevel, 1); // left as it was
        QCOMPARE(back.size, info.size);
        QCOMPARE(back.includestext, info.includestext);
    }

    void informationRecordReplaced()
    {
        QTemporaryDir dir;
        SearchDatabase db;
        QVERIFY(db.create(dir.filePath(QStringLiteral("x.dat"))));
        QVERIFY(db.writeSearchInformation(QStringLiteral("one\n")));
        QVERIFY(db.writeSearchInformation(QStringLiteral("two\n")));
        QCOMPARE(db.TinyTableS.recordCount(), 1);
        QCOMPARE(db.readSearchInformation(), QStringLiteral("two\n"));
    }

    // Making a database never replaces a file that is there: it may be another search's.
    void createNeverReplacesAFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.dat"));
        {
            SearchDatabase first;
            QVERIFY(first.create(path));
            QVERIFY(first.writeSearchInformation(QStringLiteral("mine\n")));
        }
        SearchDatabase second;
        QVERIFY(!second.create(path));
        QVERIFY(!second.isOpen());
        QVERIFY(second.open(path));
        QCOMPARE(second.readSearchInformation(), QStringLiteral("mine\n"));
    }
};

QTEST_GUILESS_MAIN(TestSearchDatabase)
#include "tst_searchdatabase.moc"
