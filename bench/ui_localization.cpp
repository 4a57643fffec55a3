// Applying a language to the real main window with a 5,000-item translation file, and
// generating the file from the loaded windows.
#include <benchmark/benchmark.h>
#include "QtBench.h"

#include <QApplication>

#include <string>

#include "appearance/ProgramFiles.h"
#include "localization/LocalizationFormat.h"
#include "shell/Form1.h"
#include "shell/localization/FormLocalization.h"
#include "shell/localization/frmLanguage.h"
#include "support/ScopedHives.h"
#include "support/TempDir.h"

namespace {

// The generated English group, a German copy of it padded to `items` lines.
std::string FileWith(const std::string& english, int items) {
    const std::size_t start = english.find("<LANGUAGE_GROUP");
    std::string group = english.substr(start, english.rfind("</XML_DIZ_INFO>") - start);
    group.replace(group.find("English</"), 7, "Deutsch");
    std::string filler;
    for (int i = 0; i < items; ++i)
        quorvel::AppendItemLine(filler, "FRMOTHER_CONTROL" + std::to_string(i), "Übersetzter Text");
    group.insert(group.find("<TRANSLATION_ITEMS>\r\n") + 21, filler);
    std::string file = english;
    file.insert(file.rfind("</XML_DIZ_INFO>"), group);
    return file;
}

void BM_ApplyLanguageToForm1(benchmark::State& state) {
    quorvel::test::ScopedHives hives;
    quorvel::SetApplicationFolder(hives.Dir().Path());
    quorvel::Form1Options options;
    options.createPlayer = false;
    auto* form = new quorvel::Form1(options);
    quorvel::MakeLocalizationFile();
    const std::string english = hives.Dir().Read("Localization.xml");
    hives.Dir().Write("Localization.xml", FileWith(english, int(state.range(0))));
    bool german = true;
    for (auto _ : state) {
        quorvel::ChangeLanguage(*form, german ? "Deutsch" : "English");
        german = !german;
    }
    form->Unload();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
BENCHMARK(BM_ApplyLanguageToForm1)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_GenerateForEveryLoadedWindow(benchmark::State& state) {
    quorvel::test::ScopedHives hives;
    quorvel::SetApplicationFolder(hives.Dir().Path());
    quorvel::Form1Options options;
    options.createPlayer = false;
    auto* form = new quorvel::Form1(options);
    auto* language = new quorvel::frmLanguage;
    for (auto _ : state)
        benchmark::DoNotOptimize(quorvel::MakeLocalizationFile());
    form->Unload();
    language->Unload();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
BENCHMARK(BM_GenerateForEveryLoadedWindow)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return quorvel::bench::RunQtBenchmarks(argc, argv, quorvel::bench::BenchDisplay::Offscreen) ? 0
                                                                                                : 1;
}
