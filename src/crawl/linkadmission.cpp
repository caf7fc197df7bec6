#include "crawl/linkadmission.h"

#include "crawl/urlinfo.h"
#include "settings/settings.h"

AdmissionRules AdmissionRules::from(const Settings &settings, const QString &siteRoot)
{
    AdmissionRules rules;
    rules.jpg = settings.jpg;
    rules.gif = settings.gif;
    rules.png = settings.png;
    rules.urlInclude = settings.urlIncludeText;
    rules.allUrls = settings.urllink;
    rules.siteRoot = siteRoot;
    return rules;
}

Admission admitLink(const urlinfo &link, const AdmissionRules &rules, AdmissionLookups &lookups)
{
    const QString &address = link.address;
    // Only what can be fetched: mailto:, javascript:, ftp: and the like never are.
    if (!address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) &&
        !address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        return Admission::Ignore;
    const bool fits = address.size() < QueuedAddressLimit;
    if (isPictureClass(link.addressClass)) {
        const bool wanted = (link.addressClass == ClassGif && rules.gif) ||
                            (link.addressClass == ClassJpeg && rules.jpg) ||
                            (link.addressClass == ClassPng && rules.png);
        if (!wanted || lookups.isSavedPicture(address) || lookups.isRunning(address) ||
            lookups.isQueued(address))
            return Admission::Ignore;
        const QString &include = rules.urlInclude;
        if (!include.isEmpty() && !include.contains(u'+') && !address.contains(include, Qt::CaseSensitive))
            return Admission::Ignore;
        return fits ? Admission::QueuePicture : Admission::CountPicture;
    }
    if (lookups.isVisitedPage(address) || lookups.isRunning(address) || lookups.isQueued(address))
        return Admission::Ignore;
    if (!rules.allUrls && !address.startsWith(rules.siteRoot))
        return Admission::Ignore;
    return fits ? Admission::QueuePage : Admission::CountPage;
}
