// Scanner throughput on pages like the ones a picture search walks: galleries
// of hundreds of thumbnail links, article pages, inline scripts, comments and
// styles, with relative, absolute and protocol-relative addresses. Gumbo, a
// complete HTML5 parser, reads the same pages and collects the A, IMG and
// FRAME addresses as a yardstick.
#include "html/pagescanner.h"

#include <benchmark/benchmark.h>
#include <gumbo.h>

#include <QByteArray>
#include <random>
#include <string>
#include <vector>

namespace {

struct Corpus
{
    std::vector<QByteArray> pages;
    std::vector<QString> addresses;
    qint64 bytes = 0;
};

class PageWriter
{
public:
    explicit PageWriter(unsigned seed) : m_random(seed) {}

    QByteArray gallery(int index)
    {
        QByteArray p;
        head(p, "Summer Gallery " + QByteArray::number(index));
        p += "<body class=\"gallery\">\n<div id=\"nav\">";
        for (int i = 0; i < 12; ++i)
            p += "<a href=\"/section/" + word() + ".html\">" + word() + "</a> | ";
        p += "</div>\n<!-- gallery grid generated " + word() + " -->\n<table class=\"grid\">\n";
        const int thumbs = between(200, 600);
        for (int i = 0; i < thumbs; ++i) {
            if (i % 5 == 0)
                p += "<tr>\n";
            const QByteArray name = "img_" + QByteArray::number(between(1000, 99999));
            p += "  <td><a href=\"" + linkTo(name) + "\"><img src=\"thumbs/" + name + ".jpg\" width=\"" +
                 QByteArray::number(between(80, 160)) + "\" height=\"" +
                 QByteArray::number(between(60, 120)) + "\" alt=\"" + word() + " " + word() +
                 "\" border=0></a><br><span class=\"cap\">" + sentence(4) + "</span></td>\n";
            if (i % 5 == 4)
                p += "</tr>\n";
        }
        p += "</table>\n<p class=\"pages\">";
        for (int i = 1; i <= 20; ++i)
            p += "<a href=\"?page=" + QByteArray::number(i) + "&amp;sort=date\">" + QByteArray::number(i) +
                 "</a> ";
        p += "</p>\n";
        script(p);
        footer(p);
        return p;
    }

    QByteArray article(int index)
    {
        QByteArray p;
        head(p, "Travel notes " + QByteArray::number(index));
        p += "<body>\n<h1>" + sentence(6) + "</h1>\n";
        const int paragraphs = between(60, 160);
        for (int i = 0; i < paragraphs; ++i) {
            p += "<p>" + sentence(between(30, 80));
            if (i % 3 == 0)
                p += " <a href=\"../" + word() + "/" + word() + ".htm\">" + sentence(3) + "</a>";
            if (i % 4 == 0)
                p += " <img src=\"//cdn.example.net/pics/" + word() + ".png\" width=\"640\" height=\"480\">";
            if (i % 7 == 0)
                p += " <a href=\"http://www.example.org/story/" + word() + "?ref=" + word() + "\">" + word() +
                     "</a>";
            p += "</p>\n";
            if (i % 25 == 0) {
                p += "<!-- ad slot <a href=\"ads/" + word() + ".htm\">x</a> -->\n";
                script(p);
            }
        }
        footer(p);
        return p;
    }

private:
    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

    QByteArray word()
    {
        static const char *const words[] = {"sunset", "beach",  "harbour", "mountain", "forest", "lake",
                                            "city",   "night",  "market",  "garden",   "bridge", "river",
                                            "spring", "winter", "autumn",  "summer",   "island", "valley"};
        return words[between(0, int(std::size(words)) - 1)];
    }

    QByteArray sentence(int words)
    {
        QByteArray s;
        for (int i = 0; i < words; ++i) {
            if (i)
                s += ' ';
            s += word();
        }
        return s;
    }

    QByteArray linkTo(const QByteArray &name)
    {
        switch (between(0, 3)) {
        case 0:
            return "photos/" + name + ".jpg";
        case 1:
            return "view.php?id=" + name + "&amp;size=big";
        case 2:
            return "http://images.example.com/big/" + name + ".jpg";
        default:
            return "../full/" + name + ".html";
        }
    }

    void head(QByteArray &p, const QByteArray &title)
    {
        p += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + title +
             "</title>\n<link rel=\"stylesheet\" href=\"/css/site.css\">\n<style>\n";
        for (int i = 0; i < 40; ++i)
            p += "." + word() + " { margin: 0 auto; color: #333; background: url(/img/" + word() +
                 ".gif); }\n";
        p += "</style>\n";
        script(p);
        p += "</head>\n";
    }

    void script(QByteArray &p)
    {
        p += "<script type=\"text/javascript\">\nvar items = [];\n";
        for (int i = 0; i < 30; ++i)
            p += "if (i < n && items.length > 0) { document.write('<a href=\"" + word() +
                 ".htm\">' + items[i] + "
                 "'</a>'); }\n";
        p += "</script>\n";
    }

    void footer(QByteArray &p)
    {
        p += "<div id=\"footer\">" + sentence(20) +
             " <a href=\"/about.html\">About</a> <a href=\"/contact.html\">"
             "Contact</a></div>\n</body>\n</html>\n";
    }

    std::mt19937 m_random;
};

const Corpus &corpus()
{
    static const Corpus c = [] {
        Corpus made;
        PageWriter writer(20240611);
        for (int i = 0; made.bytes < 12 * 1024 * 1024; ++i) {
            made.pages.push_back(i % 3 == 2 ? writer.article(i) : writer.gallery(i));
            made.addresses.push_back(QStringLiteral("http://www.example.com/albums/%1/index.html").arg(i));
            made.bytes += made.pages.back().size();
        }
        return made;
    }();
    return c;
}

void scanCorpus(benchmark::State &state, bool thumbnails)
{
    const Corpus &c = corpus();
    PageScanner scanner;
    ScanOptions options;
    options.thumbnailLinks = thumbnails;
    options.namingPending = true;
    qint64 found = 0;
    for (auto _ : state) {
        for (size_t i = 0; i < c.pages.size(); ++i) {
            ScanResult result;
            scanner.scanPage(c.pages[i], c.addresses[i], options, result);
            found += result.found.size();
            benchmark::DoNotOptimize(result);
        }
    }
    state.SetBytesProcessed(state.iterations() * c.bytes);
    state.counters["pages"] = double(c.pages.size());
    state.counters["links/iteration"] = double(found) / double(state.iterations());
}

void BM_ScanPage(benchmark::State &state)
{
    scanCorpus(state, false);
}
BENCHMARK(BM_ScanPage)->Unit(benchmark::kMillisecond);

void BM_ScanPageThumbnails(benchmark::State &state)
{
    scanCorpus(state, true);
}
BENCHMARK(BM_ScanPageThumbnails)->Unit(benchmark::kMillisecond);

void collect(const GumboNode *node, std::vector<std::string> &addresses)
{
    if (node->type != GUMBO_NODE_ELEMENT)
        return;
    const GumboElement &e = node->v.element;
    const char *attribute = e.tag == GUMBO_TAG_A                                   ? "href"
                            : (e.tag == GUMBO_TAG_IMG || e.tag == GUMBO_TAG_FRAME) ? "src"
                                                                                   : nullptr;
    if (attribute) {
        if (const GumboAttribute *a = gumbo_get_attribute(&e.attributes, attribute))
            addresses.emplace_back(a->value);
    }
    for (unsigned i = 0; i < e.children.length; ++i)
        collect(static_cast<const GumboNode *>(e.children.data[i]), addresses);
}

void BM_Gumbo(benchmark::State &state)
{
    const Corpus &c = corpus();
    qint64 found = 0;
    for (auto _ : state) {
        for (const QByteArray &page : c.pages) {
            GumboOutput *output =
                gumbo_parse_with_options(&kGumboDefaultOptions, page.constData(), size_t(page.size()));
            std::vector<std::string> addresses;
            collect(output->root, addresses);
            found += qint64(addresses.size());
            benchmark::DoNotOptimize(addresses);
            gumbo_destroy_output(&kGumboDefaultOptions, output);
        }
    }
    state.SetBytesProcessed(state.iterations() * c.bytes);
    state.counters["links/iteration"] = double(found) / double(state.iterations());
}
BENCHMARK(BM_Gumbo)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
