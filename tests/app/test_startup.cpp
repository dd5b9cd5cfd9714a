#include "core/info_box.h"
#include "core/units.h"
#include "bench_fixture.h"
#include "results/form2.h"

#include <gtest/gtest.h>

TEST(Startup, TheWelcomeLineIsRedArialAndTheResultsWindowWaitsHidden)
{
    FakeBench b;
    EXPECT_EQ(std::tuple(b->info().text(), b->info().color(), b->info().fontName()),
              std::tuple(QStringLiteral("\r\nWelcome to use VXM"), VbColor::Red, QStringLiteral("Arial")));
    EXPECT_EQ(b.library->calls.first(), QStringLiteral("Initialize_Lib(0)"));
    Form2* results = b->loadedForm2();
    ASSERT_NE(results, nullptr);
    EXPECT_FALSE(results->isVisible() || results->Picture1->isEnabled());
    EXPECT_TRUE(results->LimitText1->isHidden() && results->Label3[3]->isHidden());
}

TEST(Startup, MissingLibraryIsNamedInRedAndLaterCallsFailQuietly)
{
    qputenv("VXM_MODULE_LIBRARY", "/nonexistent/libKetrolanLib.so");
    resetSharedState();
    BenchServices services = realServices();
    qunsetenv("VXM_MODULE_LIBRARY");
    ASSERT_FALSE(services.library->loadProblem().isEmpty());
    DeviceLibrary* lib = services.library.get();
    Bench bench(std::move(services));
    bench.startup().Form_Load();
    const QString text = bench.info().text();
    EXPECT_TRUE(text.startsWith(QStringLiteral("\r\nWelcome to use VXM\r\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("libKetrolanLib.so could not be loaded"))) << text.toStdString();
    EXPECT_EQ(bench.info().color(), VbColor::Red);
    std::int32_t count = 20001;
    EXPECT_EQ(lib->Initialize_Port(5), kLibraryUnavailable);
    EXPECT_EQ(lib->Get_AlignMode_Data(1001, nullptr, nullptr, &count, 0), kLibraryUnavailable);
    EXPECT_EQ(lib->Stop_All(), kLibraryUnavailable);
}
