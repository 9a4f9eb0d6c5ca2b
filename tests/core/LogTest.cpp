#include "core/Log.h"

#include <gtest/gtest.h>

#include "platform/MessageBox.h"
#include "tests/support/TempDir.h"

using TestSupport::TempDir;

TEST(Log, StartEmptiesTheFileAndWritesTheBanner) {
    TempDir dir;
    dir.Write("error_log.txt", "left over from an earlier run\n");
    Log::Start();
    const std::string log = dir.Read("error_log.txt");
    EXPECT_EQ(log.find("left over"), std::string::npos);
    const size_t ok = log.find("-> Inicializado sistema de LOG: [OK]\n");
    ASSERT_NE(ok, std::string::npos);
    EXPECT_EQ(log.substr(ok), "-> Inicializado sistema de LOG: [OK]\n===> Sistema inicializado.\n");
}

TEST(Log, TextsAreAppendedUnchangedAndInOrder) {
    TempDir dir;
    Log::Start();
    const std::string banner = dir.Read("error_log.txt");
    Log::Write("-> Liberando fuentes: ");
    Log::Write("100% [OK] %s %d\n");
    EXPECT_EQ(dir.Read("error_log.txt"), banner + "-> Liberando fuentes: 100% [OK] %s %d\n");
}

TEST(Log, EngineErrorsAreBoxesWithTheirCaption) {
    Platform::ClearMessageBoxes();
    ShowEngineError("textura %s no encontrada (%d)", "a.jpg", 3);
    ASSERT_EQ(Platform::MessageBoxes().size(), 1u);
    EXPECT_EQ(Platform::MessageBoxes()[0].text, "textura a.jpg no encontrada (3)");
    EXPECT_EQ(Platform::MessageBoxes()[0].caption, "Engine Error");
}
