#include "crawl/linkadmission.h"
#include "crawl/urlinfo.h"

#include <QSet>
#include <QTest>

namespace {

// Lookups answered from sets the test fills.
class FakeLookups : public AdmissionLookups
{
public:
    bool isSavedPicture(const QString &a) override { return saved.contains(a); }
    bool isVisitedPage(const QString &a) override { return visited.contains(a); }
    bool isRunning(const QString &a) override { return running.contains(a); }
    bool isQueued(const QString &a) override { return queued.contains(a); }
    QSet<QString> saved, visited, running, queued;
};

} // namespace

Q_DECLARE_METATYPE(Admission)

class TestLinkAdmission : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void decisions_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("addressClass");
        QTest::addColumn<bool>("allUrls");
        QTest::addColumn<QString>("known"); // "saved", "visited", "running", "queued" or ""
        QTest::addColumn<Admission>("expected");
        const QString site = QStringLiteral("http://site.test/");
        const QString longPage = site + QString(2100, u'a') + QStringLiteral(".html");
        QTest::newRow("picture") << site + "a.jpg" << int(ClassJpeg) << true << "" << Admission::QueuePicture;
        QTest::newRow("saved picture")
            << site + "a.jpg" << int(ClassJpeg) << true << "saved" << Admission::Ignore;
        QTest::newRow("running picture")
            << site + "a.png" << int(ClassPng) << true << "running" << Admission::Ignore;
        QTest::newRow("queued picture")
            << site + "a.gif" << int(ClassGif) << true << "queued" << Admission::Ignore;
        QTest::newRow("page, all addresses")
            << "http://elsewhere.test/p.html" << int(ClassPage) << true << "" << Admission::QueuePage;
        QTest::newRow("visited page")
            << site + "p.html" << int(ClassPage) << true << "visited" << Admission::Ignore;
        // Within the site, its pages are followed whether or not substrings are set.
        QTest::newRow("page inside the site")
            << site + "docs/p.html" << int(ClassPage) << false << "" << Admission::QueuePage;
        QTest::newRow("page outside the site")
            << "http://elsewhere.test/p.html" << int(ClassPage) << false << "" << Admission::Ignore;
        QTest::newRow("other class inside the site")
            << site + "files/" << int(ClassOther) << false << "" << Admission::QueuePage;
        QTest::newRow("too long to queue")
            << longPage << int(ClassPage) << true << "" << Admission::CountPage;
        QTest::newRow("https") << "HTTPS://site.test/a.jpg" << int(ClassJpeg) << true << ""
                               << Admission::QueuePicture;
        // What cannot be fetched is never queued, nor counted.
        QTest::newRow("mailto") << "mailto:someone@site.test" << int(ClassPage) << true << ""
                                << Admission::Ignore;
        QTest::newRow("javascript") << "javascript:void(0)" << int(ClassPage) << true << ""
                                    << Admission::Ignore;
        QTest::newRow("ftp picture") << "ftp://site.test/a.jpg" << int(ClassJpeg) << true << ""
                                     << Admission::Ignore;
    }
    void decisions()
    {
        QFETCH(QString, address);
        QFETCH(int, addressClass);
        QFETCH(bool, allUrls);
        QFETCH(QString, known);
        QFETCH(Admission, expected);
        AdmissionRules rules;
        rules.allUrls = allUrls;
        rules.siteRoot = QStringLiteral("http://site.test/");
        FakeLookups lookups;
        QSet<QString> *set = known == u"saved"     ? &lookups.saved
                             : known == u"visited" ? &lookups.visited
                             : known == u"running" ? &lookups.running
                             : known == u"queued"  ? &lookups.queued
                                                   : nullptr;
        if (set)
            set->insert(address);
        urlinfo link;
        link.address = address;
        link.addressClass = addressClass;
        QCOMPARE(admitLink(link, rules, lookups), expected);
    }

    void pictureFilters_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("jpg");
        QTest::addColumn<bool>("gif");
        QTest::addColumn<QString>("include");
        QTest::addColumn<bool>("queued");
        QTest::newRow("jpg off") << "http://s.test/a.jpg" << false << true << "" << false;
        QTest::newRow("gif off") << "http://s.test/a.gif" << true << false << "" << false;
        QTest::newRow("include met") << "http://s.test/cats/a.jpg" << true << true << "cats" << true;
        QTest::newRow("include missed") << "http://s.test/dogs/a.jpg" << true << true << "cats" << false;
        QTest::newRow("include is case-sensitive")
            << "http://s.test/Cats/a.jpg" << true << true << "cats" << false;
        QTest::newRow("keyword search tests no address")
            << "http://s.test/dogs/a.jpg" << true << true << "cat+dog" << true;
    }
    void pictureFilters()
    {
        QFETCH(QString, address);
        QFETCH(bool, jpg);
        QFETCH(bool, gif);
        QFETCH(QString, include);
        QFETCH(bool, queued);
        AdmissionRules rules;
        rules.jpg = jpg;
        rules.gif = gif;
        rules.urlInclude = include;
        FakeLookups lookups;
        urlinfo link;
        link.address = address;
        link.addressClass = address.endsWith(u".gif") ? ClassGif : ClassJpeg;
        QCOMPARE(admitLink(link, rules, lookups) == Admission::QueuePicture, queued);
    }
};

QTEST_GUILESS_MAIN(TestLinkAdmission)
#include "tst_linkadmission.moc"
