// The particle tool run as authors run it: make writes files the engine
// loads, dump then pack gives back the same bytes, and mistakes end with a
// message and a non-zero status.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "fx2d/ParticleFile.h"
#include "fx2d/ParticleSystem.h"
#include "tests/support/TempDir.h"

using TestSupport::TempDir;

namespace {

struct ToolRun {
    int status;
    std::string err;
};

class ParticleToolTest : public ::testing::Test {
protected:
    // Runs the tool in the test directory with the arguments as one shell text.
    ToolRun Run(const std::string& arguments) {
        const std::string player = HALVENOR_BINARY;
        const std::string tool = player.substr(0, player.find_last_of('/') + 1) + "ParticleTool";
        const std::string command = "'" + tool + "' " + arguments + " >out.txt 2>err.txt";
        const int raw = std::system(command.c_str());
        return ToolRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, dir.Read("err.txt")};
    }
    void ExpectRoundTrip(const std::string& file) {
        ASSERT_EQ(Run("dump " + file).status, 0) << dir.Read("err.txt");
        dir.Write(file + ".txt", dir.Read("out.txt"));
        ASSERT_EQ(Run("pack " + file + ".txt again.bin").status, 0) << dir.Read("err.txt");
        EXPECT_EQ(dir.Read("again.bin"), dir.Read(file)) << dir.Read(file + ".txt");
    }

    TempDir dir;
};

TEST_F(ParticleToolTest, MadeFilesLoadInTheEngineAndSurviveDumpAndPack) {
    ASSERT_EQ(Run("make chispas.bin --type fall --count 40 --range 50 --size 1,3 --base 0,0,-20 --spread 30,0,5 "
                  "--texture 'texturas\\chispa.jpg' --texture otra.tga --blend 1 --seed 7")
                  .status,
              0)
        << dir.Read("err.txt");
    ParticleSystem system;
    EXPECT_TRUE(system.Load("chispas.bin"));
    EXPECT_EQ(system.particleCount, 40u);
    EXPECT_EQ(system.textureCount, 2u);
    EXPECT_STREQ(system.textureFiles[0], "texturas\\chispa.jpg");
    EXPECT_EQ(system.type, ParticleSystem::kFall);
    EXPECT_EQ(system.blendMode, 1);
    for (uint32_t i = 0; i < system.particleCount; ++i) {
        const Particle& p = system.particles[i];
        EXPECT_EQ(p.phase, 50.0f);  // the start height
        EXPECT_GE(p.posY, 0.0f);
        EXPECT_LE(p.posY, 50.0f);
        EXPECT_LE(std::abs(p.posX), 30.0f);
        EXPECT_GE(p.halfSize, 1.0f);
        EXPECT_LE(p.halfSize, 3.0f);
        EXPECT_EQ(p.textureIndex, static_cast<int32_t>(i % 2));
    }
    ExpectRoundTrip("chispas.bin");

    // The same command line writes the same bytes; the ring's centre is its base.
    ASSERT_EQ(Run("make anillo.bin --type ring --base 1,2,3 --spread 4,4,4 --billboard no").status, 0);
    ASSERT_EQ(Run("make anillo2.bin --type ring --base 1,2,3 --spread 4,4,4 --billboard no").status, 0);
    EXPECT_EQ(dir.Read("anillo.bin"), dir.Read("anillo2.bin"));
    ParticleSystem ring;
    ASSERT_TRUE(ring.Load("anillo.bin"));
    EXPECT_FALSE(ring.billboard);
    EXPECT_EQ(ring.particles[0].baseX, 1.0f);
    EXPECT_EQ(ring.particles[0].baseZ, 3.0f);
    ExpectRoundTrip("anillo.bin");
}

TEST_F(ParticleToolTest, DumpAndPackKeepEveryByteOfOddFiles) {
    // An unterminated name, bytes after a terminator, eleven names, a NaN
    // with a payload, a billboard byte of 7 and an unknown type.
    ParticleFile file;
    file.billboard = 7;
    file.type = -5;
    file.blendMode = 99;
    file.particleSize = -0.0f;
    file.range = 1e-20f;
    ParticleFile::Name full;
    full.fill('\xE9');
    file.textureNames.push_back(full);
    ParticleFile::Name tail{};
    std::memcpy(tail.data(), "a\"b\\c\0junk\n", 11);
    file.textureNames.push_back(tail);
    for (int i = 0; i < 9; ++i) {
        file.textureNames.push_back(ParticleFile::Name{});
    }
    Particle p{};
    const uint32_t nanBits = 0x7FC0BEEFu;
    std::memcpy(&p.baseX, &nanBits, 4);
    p.brightness = 0.1f;
    p.textureIndex = -2147483647 - 1;
    p.step = 3.4e38f;
    file.particles.push_back(p);
    ASSERT_TRUE(file.Write("odd.bin"));
    ExpectRoundTrip("odd.bin");
}

TEST_F(ParticleToolTest, MistakesEndWithAMessageAndANonZeroStatus) {
    EXPECT_EQ(Run("--help").status, 0);
    EXPECT_NE(dir.Read("out.txt").find("ParticleTool make OUT.bin"), std::string::npos);

    const struct {
        const char* arguments;
        int status;
        const char* message;
    } cases[] = {
        {"", 2, "usage:"},
        {"explode x.bin", 2, "unknown command 'explode'"},
        {"make", 2, "make needs an output file"},
        {"make x.bin --type zigzag", 2, "bad value for --type: 'zigzag'"},
        {"make x.bin --count 12abc", 2, "bad value for --count"},
        {"make x.bin --size 3,1", 2, "bad value for --size"},
        {"make x.bin --base 1,2", 2, "bad value for --base"},
        {"make x.bin --seed", 2, "option --seed needs a value"},
        {"make x.bin --colour red", 2, "unknown option --colour"},
        {"make no/such/dir/x.bin", 1, "cannot write no/such/dir/x.bin"},
        {"dump missing.bin", 1, "cannot open missing.bin"},
        {"dump stub.bin", 1, "stub.bin is shorter than the 25-byte header"},
        {"dump short.bin", 1, "short.bin is shorter than its counts: 0 of 0 textures, 1 of 2 particles read"},
        {"pack missing.txt x.bin", 1, "cannot open missing.txt"},
        {"pack bad.txt x.bin", 2, "bad.txt:2: a particle needs 15 values, found 3"},
        {"pack noheader.txt x.bin", 2, "particleSize, range, billboard, type and blendMode are all needed"},
    };
    dir.Write("stub.bin", "12345");
    ASSERT_EQ(Run("make full.bin --count 2").status, 0);
    dir.Write("short.bin", dir.Read("full.bin").substr(0, 25 + 90));
    dir.Write("bad.txt", "particleSize 1\nparticle 1 2 3\n");
    dir.Write("noheader.txt", "range 3\n");
    for (const auto& c : cases) {
        const ToolRun run = Run(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << ": " << run.err;
    }
    EXPECT_FALSE(dir.Exists("x.bin"));
}

}  // namespace
