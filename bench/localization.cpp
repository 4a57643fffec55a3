// Applying a language and generating the localization file, on windows of plain controls
// the size of the program's own (about 150 controls over six windows).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "appearance/ProgramFiles.h"
#include "localization/FakeWindow.h"
#include "localization/LocalizationFormat.h"
#include "localization/clsLanguages.h"
#include "support/TempDir.h"

namespace {

using quorvel::test::FakeWindow;

FakeWindow MakeWindow(const std::string& name, int controls) {
    FakeWindow w(name);
    for (int i = 0; i < controls; ++i) {
        switch (i % 4) {
            case 0:
                w.Add("cmd" + std::to_string(i), "CommandButton", "Button caption");
                break;
            case 1:
                w.Add("Label" + std::to_string(i), "Label", "A label of some length");
                break;
            case 2:
                w.Add("mnuItem", "Menu", "Menu item", i);
                break;
            default:
                w.Add("ListView" + std::to_string(i), "ListView", "").items = {"Name", "Category",
                                                                               "Type", "URL"};
        }
    }
    return w;
}

// A file whose German group holds `items` lines, the window's keys among them.
std::string FileWith(const std::string& english, int items) {
    std::string group = english;
    const std::size_t start = group.find("<LANGUAGE_GROUP");
    group = group.substr(start, group.rfind("</XML_DIZ_INFO>") - start);
    group.replace(group.find("English</"), 7, "Deutsch");
    const std::size_t itemsAt = group.find("<TRANSLATION_ITEMS>\r\n") + 21;
    std::string filler;
    for (int i = 0; i < items; ++i)
        quorvel::AppendItemLine(filler, "FRMOTHER_CONTROL" + std::to_string(i), "Übersetzter Text");
    group.insert(itemsAt, filler);
    std::string file = english;
    file.insert(file.rfind("</XML_DIZ_INFO>"), group);
    return file;
}

void BM_ApplyLanguageToMainWindow(benchmark::State& state) {
    quorvel::test::TempDir dir;
    quorvel::SetApplicationFolder(dir.Path());
    FakeWindow form1 = MakeWindow("Form1", 120);
    quorvel::clsLanguages store;
    const std::string english = store.LocalizationFileText({&form1});
    dir.Write("Localization.xml", FileWith(english, int(state.range(0))));
    for (auto _ : state) {
        store.ChangeLanguage(form1, "Deutsch");
        benchmark::DoNotOptimize(form1.controls.front()->caption.data());
    }
}
BENCHMARK(BM_ApplyLanguageToMainWindow)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_GenerateForEveryWindow(benchmark::State& state) {
    quorvel::test::TempDir dir;
    quorvel::SetApplicationFolder(dir.Path());
    std::vector<FakeWindow> windows;
    windows.push_back(MakeWindow("Form1", 120));
    for (const char* name : {"frmSplash", "frmAbout", "frmWebsite", "Form8", "frmLanguage"})
        windows.push_back(MakeWindow(name, 8));
    std::vector<quorvel::LocalizableWindow*> all;
    for (auto& w : windows)
        all.push_back(&w);
    quorvel::clsLanguages store;
    quorvel::RegisterProgramMessages(store);
    for (auto _ : state)
        benchmark::DoNotOptimize(store.makeLocalizationFile(all));
}
BENCHMARK(BM_GenerateForEveryWindow)->Unit(benchmark::kMillisecond);

}  // namespace
