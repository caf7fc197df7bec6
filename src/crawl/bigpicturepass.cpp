#include "crawl/bigpicturepass.h"

#include "crawl/urlinfo.h"
#include "store/searchdatabase.h"

#include <QFile>

int queueBigPictures(SearchDatabase &db, bool withPages, bool deleteThumbnails)
{
    int pictures = 0;
    db.database().begin();
    db.TinyTable1.empty();
    db.TinyTable7.empty();
    db.TinyTable9.empty();
    db.TinyTableR.empty();

    bool hasPicture = db.TinyTableV1.first();
    bool hasLink = db.TinyTable2.first();
    while (hasPicture) {
        if (db.TinyTableV1.fieldText(QStringLiteral("Checked")) == u"1" && hasLink) {
            const QString text = db.TinyTable2.fieldText(QStringLiteral("UrlRef"));
            urlinfo info = urlinfo::fromText(text);
            if (isPictureClass(info.addressClass)) {
                QString queued = text;
                if (info.address.startsWith(u"ttp")) {
                    // Markup that lost the "h" of "http"; the record must carry the mended address too.
                    info.address.prepend(u'h');
                    queued = info.toText();
                }
                db.TinyTable7.append({info.address, queued});
                ++pictures;
            } else if (withPages) {
                db.TinyTable1.append({info.address, text, 1});
            }
        }
        if (deleteThumbnails)
            QFile::remove(PictureRow::fromTable(db.TinyTableV1).path());
        hasPicture = db.TinyTableV1.next();
        hasLink = hasLink && db.TinyTable2.next();
    }
    db.TinyTableV1.empty();
    db.TinyTable2.empty();
    db.database().commit();
    return pictures;
}
