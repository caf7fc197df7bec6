#include "crawl/startchecks.h"

namespace StartText {
const QString MustInputSubdirectory =
    QStringLiteral("Must input subdirectory name, such as \"a\", \"b\" or \"c\" etc into \"Save To\".");
const QString BadSubdirectory = QStringLiteral("\"Subdirectory\" can not include char \\ / : * \" < > | . "
                                               "You should input character \"a\", \"b\" etc in "
                                               "\"Subdirectory\" on URL bar rather than input \"c:\\a\", "
                                               "\"c:\\b\". Do not try to input the full name of a "
                                               "directory into \"Subdirectory\". ");
const QString MustInputUrl = QStringLiteral("Must input URL.");
const QString MustSelectThumbnails =
    QStringLiteral("Must select the thumbnails for downloading big size pictures.");
} // namespace StartText

QString subdirectoryProblem(const QString &subdirectory)
{
    if (subdirectory.isEmpty())
        return StartText::MustInputSubdirectory;
    static const QString badChars = QStringLiteral("\"*/:<>?\\|");
    bool bad = subdirectory == u"." || subdirectory == u"..";
    for (QChar c : subdirectory)
        bad = bad || badChars.contains(c) || c.unicode() < 32;
    return bad ? StartText::BadSubdirectory : QString();
}
