// The banner's worst pages: a 512 KB page boiled down to its markup, then laid out by Qt's
// rich-text document at the banner's width, as the banner shows it. Target: under 50 ms each.
#include "QtBench.h"
#include "appearance/BannerMarkup.h"

#include <benchmark/benchmark.h>

#include <QAbstractTextDocumentLayout>
#include <QTextDocument>

#include <string>

namespace {

constexpr std::size_t kPageBytes = 512 * 1024;  // the most the banner downloads
constexpr int kBannerWidth = 489;               // 7335 twips

// A document that loads nothing a page names, as the banner's own.
class RefusingDocument : public QTextDocument {
protected:
    QVariant loadResource(int, const QUrl&) override { return {}; }
};

std::string Page(const std::string& piece, std::size_t bytes = kPageBytes) {
    std::string page;
    while (page.size() + piece.size() <= bytes)
        page += piece;
    return page;
}

void LayOut(benchmark::State& state, const std::string& page) {
    std::size_t markupBytes = 0;
    for (auto _ : state) {
        const std::string markup = quorvel::BannerMarkup(page);
        RefusingDocument document;
        document.setTextWidth(kBannerWidth);
        document.setHtml(QString::fromUtf8(markup.data(), static_cast<qsizetype>(markup.size())));
        benchmark::DoNotOptimize(document.documentLayout()->documentSize());
        markupBytes = markup.size();
    }
    state.counters["markup_bytes"] = static_cast<double>(markupBytes);
}

void BM_NestedTables(benchmark::State& state) {
    LayOut(state, Page("<table><tr><td>"));
}
BENCHMARK(BM_NestedTables)->Unit(benchmark::kMillisecond);

void BM_HugePictures(benchmark::State& state) {
    LayOut(state, Page("<img src=x width=100000 height=100000>"));
}
BENCHMARK(BM_HugePictures)->Unit(benchmark::kMillisecond);

void BM_DeepEmphasisAndLinks(benchmark::State& state) {
    LayOut(state, Page("<b><i><u><em><strong><a href=http://a.example/>x "));
}
BENCHMARK(BM_DeepEmphasisAndLinks)->Unit(benchmark::kMillisecond);

void BM_ShortLinksAndBreaks(benchmark::State& state) {
    LayOut(state, Page("<a href=http://a.example/>ad</a> <i>now</i><br>x<p>"));
}
BENCHMARK(BM_ShortLinksAndBreaks)->Unit(benchmark::kMillisecond);

void BM_OneLongWord(benchmark::State& state) {
    LayOut(state, Page("x"));
}
BENCHMARK(BM_OneLongWord)->Unit(benchmark::kMillisecond);

void BM_Entities(benchmark::State& state) {
    LayOut(state, Page("&#x263A;&amp;&nbsp;"));
}
BENCHMARK(BM_Entities)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return quorvel::bench::RunQtBenchmarks(argc, argv, quorvel::bench::BenchDisplay::Offscreen) ? 0
                                                                                                : 1;
}
